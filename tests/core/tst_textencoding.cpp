#include "base/TextEncoding.h"

#include <QtTest>

namespace {

// UTF-32 units in the byte order asked for.
QByteArray utf32(std::initializer_list<quint32> units, bool bigEndian)
{
    QByteArray out;
    for (const quint32 u : units) {
        for (int k = 0; k < 4; ++k)
            out.append(char(u >> (bigEndian ? 24 - 8 * k : 8 * k)));
    }
    return out;
}

} // namespace

// The strict decoding that documents, the workspace's language upgrade and the CSV import rely on: what is not
// valid in the encoding is refused, never turned into other characters.
class TestTextEncoding : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void utf32Units_data();
    void utf32Units();
    void utf8Refused_data();
    void utf8Refused();
    void windows1252Bytes_data();
    void windows1252Bytes();
};

void TestTextEncoding::utf32Units_data()
{
    QTest::addColumn<quint32>("unit");
    QTest::addColumn<QString>("text"); // null: refused
    const QString refused;
    QTest::newRow("ASCII") << quint32(0x3C) << QStringLiteral("<");
    QTest::newRow("last before the surrogates") << quint32(0xD7FF) << QStringLiteral("\uD7FF");
    QTest::newRow("first after the surrogates") << quint32(0xE000) << QStringLiteral("\uE000");
    QTest::newRow("U+FFFF") << quint32(0xFFFF) << QStringLiteral("\uFFFF");
    QTest::newRow("first beyond 16 bits") << quint32(0x10000) << QStringLiteral("\U00010000");
    QTest::newRow("last code point") << quint32(0x10FFFF) << QStringLiteral("\U0010FFFF");
    // The low bits alone would read as a valid character: 0x04010000 as U+10000.
    QTest::newRow("0x04010000") << quint32(0x04010000) << refused;
    QTest::newRow("0x0401DC00") << quint32(0x0401DC00) << refused;
    QTest::newRow("first beyond the last") << quint32(0x110000) << refused;
    QTest::newRow("all bits") << quint32(0xFFFFFFFF) << refused;
    QTest::newRow("high surrogate") << quint32(0xD800) << refused;
    QTest::newRow("low surrogate") << quint32(0xDFFF) << refused;
}

void TestTextEncoding::utf32Units()
{
    QFETCH(quint32, unit);
    QFETCH(QString, text);
    for (const bool big : {false, true}) {
        const QStringConverter::Encoding encoding = big ? QStringConverter::Utf32BE : QStringConverter::Utf32LE;
        const QByteArray bytes = utf32({0x61, unit, 0x62}, big);
        const std::optional<QString> whole = TextEncoding::decodeStrict(bytes, encoding);
        const std::optional<QString> piece = TextEncoding::decodePiece(bytes, encoding);
        if (text.isNull()) {
            QVERIFY2(!whole, qPrintable(big ? "big-endian" : "little-endian"));
            QVERIFY(!piece);
        } else {
            QCOMPARE(whole.value_or(QString()), QLatin1Char('a') + text + QLatin1Char('b'));
            QCOMPARE(piece.value_or(QString()), QLatin1Char('a') + text + QLatin1Char('b'));
        }
    }
    // A surrogate pair written as two UTF-32 units is two halves, not one character.
    QVERIFY(!TextEncoding::decodeStrict(utf32({0xD83D, 0xDE00}, false), QStringConverter::Utf32LE));
}

void TestTextEncoding::utf8Refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("encoded high surrogate") << QByteArray("a\xed\xa0\x80" "b");
    QTest::newRow("encoded low surrogate") << QByteArray("a\xed\xbf\xbf" "b");
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf" "b");
    QTest::newRow("beyond U+10FFFF") << QByteArray("a\xf4\x90\x80\x80" "b");
    QTest::newRow("cut at the end") << QByteArray("a\xe2\x82");
    QTest::newRow("lone continuation byte") << QByteArray("a\x80" "b");
}

void TestTextEncoding::utf8Refused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!TextEncoding::decodeStrict(bytes, QStringConverter::Utf8));
    QVERIFY(!TextEncoding::decodePiece(bytes, QStringConverter::Utf8));
}

void TestTextEncoding::windows1252Bytes_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("character");
    // Every printable byte from 0x80 to 0x9F is its Windows-1252 character, the last one included.
    const int printable[][2] = {{0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
                                {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160},
                                {0x8B, 0x2039}, {0x8C, 0x0152}, {0x8E, 0x017D}, {0x91, 0x2018}, {0x92, 0x2019},
                                {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014},
                                {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153},
                                {0x9E, 0x017E}, {0x9F, 0x0178}};
    for (const auto &[byte, character] : printable)
        QTest::addRow("0x%02X", byte) << byte << character;
    // The five bytes Windows-1252 leaves undefined are read as their Latin-1 control characters.
    for (const int byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        QTest::addRow("0x%02X undefined", byte) << byte << byte;
    // Around the range: ASCII and Latin-1 as they are.
    for (const int byte : {0x7F, 0xA0, 0xFF})
        QTest::addRow("0x%02X", byte) << byte << byte;
}

void TestTextEncoding::windows1252Bytes()
{
    QFETCH(int, byte);
    QFETCH(int, character);
    const QString text = TextEncoding::decodeWindows1252(QByteArray("a") + char(byte) + "b");
    QCOMPARE(text.size(), 3);
    QCOMPARE(int(text.at(1).unicode()), character);
}

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
