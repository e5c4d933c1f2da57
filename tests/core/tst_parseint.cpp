#include "base/ParseIntOrDefault.h"
#include "base/TextUtil.h"

#include <QtTest>

class TestParseInt : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void trimControl_data();
    void trimControl();
};

void TestParseInt::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    const int fb = -777;
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("leading blank") << " 12" << 12;
    QTest::newRow("several leading blanks") << "   7" << 7;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("minus sign") << "-5" << -5;
    QTest::newRow("dollar hex") << "$3F" << 63;
    QTest::newRow("0x hex lower") << "0x3f" << 63;
    QTest::newRow("0X hex") << "0X3F" << 63;
    QTest::newRow("x hex") << "x10" << 16;
    QTest::newRow("X hex") << "XfF" << 255;
    QTest::newRow("hex all bits is -1") << "$FFFFFFFF" << -1;
    QTest::newRow("hex top bit") << "$80000000" << int(0x80000000u);
    QTest::newRow("negated hex") << "-$A" << -10;
    QTest::newRow("leading zeros") << "010" << 10;
    QTest::newRow("int max") << "2147483647" << 2147483647;
    QTest::newRow("int min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("too large") << "2147483648" << fb;
    QTest::newRow("hex too large") << "$100000000" << fb;
    QTest::newRow("empty") << "" << fb;
    QTest::newRow("only blanks") << "   " << fb;
    QTest::newRow("trailing blank") << "12 " << fb;
    QTest::newRow("fraction") << "1.5" << fb;
    QTest::newRow("word") << "abc" << fb;
    QTest::newRow("sign only") << "-" << fb;
    QTest::newRow("prefix only") << "$" << fb;
    QTest::newRow("0x only") << "0x" << fb;
    QTest::newRow("blank after sign") << "- 5" << fb;
    QTest::newRow("tab is not skipped") << "\t5" << fb;
    QTest::newRow("hex digit in decimal") << "1A" << fb;
    QTest::newRow("many zeros") << "0000000000000000000001" << 1;
}

void TestParseInt::parse()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(ParseIntOrDefault(text, -777), expected);
}

void TestParseInt::trimControl_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks and tabs") << " \t a b \r\n"
                                     << "a b";
    QTest::newRow("control chars") << QString::fromLatin1("\x01x\x1f") << "x";
    QTest::newRow("no-break space kept") << QString::fromUtf8("\xc2\xa0x") << QString::fromUtf8("\xc2\xa0x");
    QTest::newRow("all blank") << "   "
                               << "";
}

void TestParseInt::trimControl()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::trimControl(text), expected);
}

QTEST_GUILESS_MAIN(TestParseInt)
#include "tst_parseint.moc"
