// The EDS reader and the rule for a slave's two byte counts, on small data sheets written from the
// format's rules: the connection chosen, the counts, the refusals, and the syntax errors by line.
#include "EdsSamples.h"
#include "eds/EdsFile.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TextCatalog english()
{
    TextCatalog c;
    c.LoadDefaultTexts();
    return c;
}

// The shared head (18 lines) and an [IO_Info] section from line 19; its first entry is on line 20.
QByteArray withIo(const QByteArray &io)
{
    return EdsSamples::head() + "[IO_Info]\n" + io;
}

const QByteArray PollEntries = "    Input1 = 10, 0, 0x0001, \"Status\", 6, \"20 04 24 64 30 03\", \"\";\n"
                               "    Output1 = 6, 0, 0x0001, \"Command\", 6, \"20 04 24 65 30 03\", \"\";\n";

QByteArray windows1252(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode())); // Latin letters only: the same code in Windows-1252
    return bytes;
}

} // namespace

class TestEds : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void counts_data();
    void counts();
    void deviceFields();
    void names_data();
    void names();
    void entryChoice();
    void repeatedEntryKeepsFirst();
    void warningsAreBounded();
    void unreadableFile();
};

void TestEds::counts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("connection"); // 0 when the file is refused
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<QString>("error"); // what the refusal must say, after "test.eds"

    const int poll = int(Eds::Connection::Poll);
    QTest::newRow("poll only") << EdsSamples::pollDevice() << poll << 10 << 6 << QString();
    QTest::newRow("poll and change of state: poll wins")
        << withIo("Default = 0x0005;\nPollInfo = 0x0005, 1, 1;\nCOSInfo = 0x0005, 2, 0;\n" + PollEntries +
                  "Input2 = 2, 0, 0x0004, \"Alarms\", 0, \"\", \"\";\n")
        << poll << 10 << 6 << QString();
    QTest::newRow("poll info without a default bit") << withIo("PollInfo = 1, 1, 1;\n" + PollEntries) << poll << 10
                                                     << 6 << QString();
    QTest::newRow("change of state only")
        << withIo("Default = 0x0004;\nCOSInfo = 0x0004, 2, 1;\n" + PollEntries +
                  "Input2 = 2, 0, 0x0004, \"Alarms\", 0, \"\", \"\";\n")
        << int(Eds::Connection::ChangeOfState) << 2 << 6 << QString();
    QTest::newRow("strobe only: no output")
        << withIo("Default = 0x0002;\nStrobeInfo = 0x0002, 1, 1;\n"
                  "Input1 = 8, 0, 0x0002, \"Sensors\", 0, \"\", \"\";\nOutput1 = 8, 0, 0x0002, \"x\", 0, \"\", \"\";\n")
        << int(Eds::Connection::Strobe) << 8 << 0 << QString();
    QTest::newRow("cyclic before strobe")
        << withIo("Default = 0x000A;\nStrobeInfo = 0x0002, 1, 0;\nCyclicInfo = 0x0008, 1, 1;\n" + PollEntries)
        << int(Eds::Connection::Cyclic) << 10 << 6 << QString();
    QTest::newRow("change of state before cyclic")
        << withIo("Default = 0x000C;\nCyclicInfo = 0x0008, 1, 1;\nCOSInfo = 0x0004, 1, 0;\n" + PollEntries)
        << int(Eds::Connection::ChangeOfState) << 10 << 0 << QString();
    QTest::newRow("entry number 0") << withIo("Default = 1;\nPollInfo = 1, 0, 1;\n" + PollEntries) << poll << 0 << 6
                                    << QString();
    QTest::newRow("missing entry")
        << withIo("Default = 1;\nPollInfo = 1, 3, 1;\n" + PollEntries) << 0 << 0 << 0
        << QStringLiteral(", line 21: PollInfo names Input3, which the file does not have");
    QTest::newRow("default sets a connection the file lacks")
        << withIo("Default = 0x0004;\n" + PollEntries) << 0 << 0 << 0
        << QStringLiteral(", line 20: Default names COSInfo, which the file does not have");
    QTest::newRow("no connection") << withIo("Default = 0;\n" + PollEntries) << 0 << 0 << 0
                                   << QStringLiteral(", line 19: the device has no poll connection");
    // Entry numbers: one rule (1 to 65535, no leading zero) for the default entry and for the choices,
    // so that the entry whose size is checked is the one taken.
    QTest::newRow("ten-digit entry number beside Input1")
        << withIo("PollInfo = 0x0001, 1234567890, 1;\nInput1 = 4, 0, 0x0001, \"Small\";\n"
                  "Input1234567890 = 100, 0, 0x0001, \"Big\";\nOutput1 = 2, 0, 0x0001, \"Out\";\n")
        << 0 << 0 << 0
        << QStringLiteral(", line 20: field 2 of PollInfo is no entry number: 1234567890 (0 for none, else 1 to 65535)");
    QTest::newRow("ten-digit entry number alone")
        << withIo("PollInfo = 0x0001, 1, 1234567890;\nInput1 = 4;\nOutput1234567890 = 100;\n") << 0 << 0 << 0
        << QStringLiteral(", line 20: field 3 of PollInfo is no entry number: 1234567890 (0 for none, else 1 to 65535)");
    QTest::newRow("entry number 65535")
        << withIo("PollInfo = 1, 0xFFFF, 1;\nInput65535 = 12, 0, 1;\nInput1 = 4, 0, 1;\nOutput1 = 2;\n") << poll
        << 12 << 2 << QString();
    QTest::newRow("entry number 65536")
        << withIo("PollInfo = 1, 65536, 1;\nInput65536 = 12;\nOutput1 = 2;\n") << 0 << 0 << 0
        << QStringLiteral(", line 20: field 2 of PollInfo is no entry number: 65536 (0 for none, else 1 to 65535)");
    QTest::newRow("entry number with a leading zero is another keyword")
        << withIo("PollInfo = 1, 1, 1;\nInput01 = 12;\nOutput1 = 2;\n") << 0 << 0 << 0
        << QStringLiteral(", line 20: PollInfo names Input1, which the file does not have");
    QTest::newRow("hexadecimal entry number")
        << withIo("PollInfo = 1, 0x0002, 0x1;\nInput1 = 4, 0, 1;\nInput2 = 9, 0, 1;\nOutput1 = 2;\n") << poll << 9
        << 2 << QString();
    QTest::newRow("hexadecimal sizes")
        << withIo("Default = 0x0001;\nPollInfo = 0x0001, 0x01, 0X1;\n"
                  "Input1 = 0x0A, 0, 0x0001, \"\", 0, \"\", \"\";\nOutput1 = 0X1c, 0, 1, \"\", 0, \"\", \"\";\n")
        << poll << 10 << 28 << QString();
    QTest::newRow("455 bytes") << withIo("PollInfo = 1, 1, 1;\nInput1 = 455;\nOutput1 = 455;\n") << poll << 455 << 455
                               << QString();
    QTest::newRow("456 bytes in")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 456;\nOutput1 = 1;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: Input1 gives 456 bytes; the converter takes 0 to 455 per slave");
    QTest::newRow("456 bytes out")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 1;\nOutput1 = 0x1C8;\n") << 0 << 0 << 0
        << QStringLiteral(", line 22: Output1 gives 456 bytes; the converter takes 0 to 455 per slave");
    QTest::newRow("size not a number")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = ten;\nOutput1 = 1;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: field 1 of Input1 is not a number: \"ten\"");
    QTest::newRow("negative size")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = -4;\nOutput1 = 1;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: field 1 of Input1 is not a number: \"-4\"");
    QTest::newRow("empty fields between commas")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 3,,,,,,;\nOutput1 = 2 , , , , , , ;\n") << poll << 3 << 2
        << QString();
    QTest::newRow("empty default entry number")
        << withIo("PollInfo = 1, , 1;\n" + PollEntries) << 0 << 0 << 0
        << QStringLiteral(", line 20: field 2 of PollInfo is not a number: \"\"");
    QTest::newRow("entries over several lines")
        << withIo("PollInfo =\n   1,\n   1,   $ default input\n   1\n;\n"
                  "Input1 =\n 12, 0, 0x0001,\n \"Long \"\n \"name\", 0, \"\",\n \"help\";\nOutput1 = 4;\n")
        << poll << 12 << 4 << QString();
    QTest::newRow("comments with $ inside strings")
        << withIo("$ Input1 = 99; a comment is no entry\n"
                  "PollInfo = 1, 1, 1; $ poll\n"
                  "Input1 = 7, 0, 1, \"$ not a comment; nor this,\", 0, \"\", \"\"; $ real one \"\n"
                  "Output1 = 5; $ \"\n")
        << poll << 7 << 5 << QString();
    QTest::newRow("mixed case names")
        << (QByteArray("[DEVICE]\nprodname = \"x\";\n[io_info]\nDEFAULT = 1;\npollINFO = 1, 1, 1;\n") +
            "INPUT1 = 9;\noutput1 = 3;\n")
        << poll << 9 << 3 << QString();
    QTest::newRow("vendor keywords ignored")
        << withIo("1234_Input1 = 300;\n42_Special = \"anything\", ;\nPollInfo = 1, 1, 1;\n" + PollEntries) << poll
        << 10 << 6 << QString();
    QTest::newRow("CR LF lines") << QByteArray(EdsSamples::pollDevice()).replace("\n", "\r\n") << poll << 10 << 6
                                 << QString();
    QTest::newRow("UTF-8 with a byte-order mark") << "\xEF\xBB\xBF" + EdsSamples::pollDevice() << poll << 10 << 6
                                                  << QString();

    QTest::newRow("CANopen") << EdsSamples::canOpenFile() << 0 << 0 << 0
                             << QStringLiteral(": a CANopen file, not a DeviceNet EDS");
    QTest::newRow("EtherNet/IP by its connection manager")
        << (EdsSamples::head() + "[Connection Manager]\nConnection1 = 0x04010002, 0x44640405;\n") << 0 << 0 << 0
        << QStringLiteral(": an EtherNet/IP file, not a DeviceNet EDS");
    QTest::newRow("EtherNet/IP by its classification")
        << (EdsSamples::pollDevice() + "[Device Classification]\nClass1 = EtherNetIP;\n") << 0 << 0 << 0
        << QStringLiteral(": an EtherNet/IP file, not a DeviceNet EDS");
    QTest::newRow("DeviceNet by its classification")
        << (EdsSamples::pollDevice() + "[Device Classification]\nClass1 = DeviceNet;\n") << poll << 10 << 6
        << QString();
    QTest::newRow("not text") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20) << 0 << 0 << 0
                              << QStringLiteral(": not a text file");
    QTest::newRow("empty") << QByteArray() << 0 << 0 << 0
                           << QStringLiteral(": no [IO_Info] section, so the file states no I/O sizes");
    QTest::newRow("no IO_Info") << EdsSamples::head() << 0 << 0 << 0
                                << QStringLiteral(": no [IO_Info] section, so the file states no I/O sizes");

    QTest::newRow("entry without its ;")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 10, 0, 1\nOutput1 = 6;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: the entry Input1 does not end with \";\"");
    QTest::newRow("last entry without its ;")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 10;\nOutput1 = 6\n") << 0 << 0 << 0
        << QStringLiteral(", line 22: the entry Output1 does not end with \";\"");
    QTest::newRow("string without its closing quote")
        << withIo("PollInfo = 1, 1, 1;\nInput1 = 10, 0, 1, \"Status;\nOutput1 = 6;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: a quoted string without its closing quote");
    QTest::newRow("section without its ]")
        << withIo("PollInfo = 1, 1, 1;\n[Params\nInput1 = 10;\n") << 0 << 0 << 0
        << QStringLiteral(", line 21: a section name without its closing \"]\"");
    QTest::newRow("entry before any section") << QByteArray("Input1 = 10;\n[IO_Info]\n") << 0 << 0 << 0
                                              << QStringLiteral(", line 1: \"Input1 =\" is not an entry");
    QTest::newRow("keyword without =")
        << withIo("PollInfo 1, 1, 1;\n" + PollEntries) << 0 << 0 << 0
        << QStringLiteral(", line 20: \"PollInfo 1,\" is not an entry");
}

void TestEds::counts()
{
    QFETCH(QByteArray, text);
    QFETCH(int, connection);
    QFETCH(QString, error);
    const Eds::Result r = Eds::read(text, QStringLiteral("test.eds"), english());
    if (!error.isEmpty()) {
        QVERIFY2(!r.device, "the file should be refused");
        QVERIFY2(r.error.startsWith(QLatin1String("test.eds") + error), qPrintable(r.error));
        return;
    }
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(int(r.device->connection), connection);
    QTEST(r.device->inputBytes(), "in");
    QTEST(r.device->outputBytes(), "out");
    QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join(QLatin1Char('\n'))));
}

void TestEds::deviceFields()
{
    const Eds::Result r = Eds::read(EdsSamples::pollDevice(), QStringLiteral("pump.eds"), english());
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(r.device->productName, QStringLiteral("Pump 10/6"));
    QCOMPARE(r.device->vendorName, QStringLiteral("Acme Drives"));
    QCOMPARE(r.device->vendorCode, QStringLiteral("1234"));
    QCOMPARE(r.device->productCode, QStringLiteral("56"));
    QCOMPARE(r.device->revision, QStringLiteral("2.003"));
    QCOMPARE(r.device->inputs.size(), 1);
    QCOMPARE(r.device->inputs.first().name, QStringLiteral("Status"));
    QCOMPARE(r.device->inputs.first().number, 1);
}

void TestEds::names_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");

    const QString mueller = QStringLiteral("M\u00FCller Antriebe");
    const QString product = QStringLiteral("Pumpe \u00BD Zoll");
    const QByteArray io = "[IO_Info]\nPollInfo = 1, 0, 0;\n";
    QTest::newRow("Windows-1252") << "[Device]\nVendName = \"" + windows1252(mueller) + "\";\nProdName = \"" +
                                         windows1252(product) + "\";\n" + io
                                  << mueller << product;
    QTest::newRow("Windows-1252 quotes")
        << QByteArray("[Device]\nVendName = \"\x93" "Acme\x94 S.\xE0 r.l.\";\nProdName = \"A\x96" "B\";\n") + io
        << QStringLiteral("\u201CAcme\u201D S.\u00E0 r.l.") << QStringLiteral("A\u2013B");
    QTest::newRow("UTF-8") << "[Device]\nVendName = \"" + mueller.toUtf8() + "\";\nProdName = \"" +
                                  product.toUtf8() + "\";\n" + io
                           << mueller << product;
    QTest::newRow("strings joined over lines")
        << QByteArray("[Device]\nVendName = \"Acme \" \"Drives\";\nProdName =\n  \"Pump with a \"  $ first part\n"
                      "  \"very long \"\n  \"name\";\n") +
               io
        << QStringLiteral("Acme Drives") << QStringLiteral("Pump with a very long name");
    QTest::newRow("escaped quote") << QByteArray("[Device]\nVendName = \"Acme \\\"AD\\\"\";\nProdName = \"a\\\\b\";\n") +
                                          io
                                   << QStringLiteral("Acme \"AD\"") << QStringLiteral("a\\b");
}

void TestEds::names()
{
    QFETCH(QByteArray, bytes);
    const Eds::Result r = Eds::read(bytes, QStringLiteral("names.eds"), english());
    QVERIFY2(r.device, qPrintable(r.error));
    QTEST(r.device->vendorName, "vendor");
    QTEST(r.device->productName, "product");
}

void TestEds::entryChoice()
{
    const Eds::Result r = Eds::read(EdsSamples::choiceDevice(), QStringLiteral("choice.eds"), english());
    QVERIFY2(r.device, qPrintable(r.error));
    const Eds::Device &d = *r.device;
    // Input3 serves change of state only: no choice for a poll connection.
    QCOMPARE(d.inputs.size(), 2);
    QCOMPARE(d.inputs.at(0).name, QStringLiteral("Basic"));
    QCOMPARE(d.inputs.at(0).bytes, 4);
    QCOMPARE(d.inputs.at(1).name, QStringLiteral("Extended"));
    QCOMPARE(d.defaultInput, 1);
    QCOMPARE(d.inputBytes(), 16);
    QCOMPARE(d.outputs.size(), 2);
    QCOMPARE(d.defaultOutput, 0);
    QCOMPARE(d.outputBytes(), 2);
    QCOMPARE(d.outputs.at(1).bytes, 8);

    // A choice too large for the converter is left out; the default decides alone.
    const Eds::Result big = Eds::read(EdsSamples::choiceDevice() + "Output3 = 500, 0, 1, \"Huge\";\n",
                                      QStringLiteral("choice.eds"), english());
    QVERIFY2(big.device, qPrintable(big.error));
    QCOMPARE(big.device->outputs.size(), 2);
}

void TestEds::repeatedEntryKeepsFirst()
{
    // Line 22 repeats Input1 (line 21), and a second [io_info] later goes on with the first one.
    const Eds::Result r =
        Eds::read(withIo("PollInfo = 1, 1, 1;\nInput1 = 10;\nINPUT1 = 99;\nOutput1 = 6;\n[Other]\nA = 1;\n"
                         "[io_info]\nOutput1 = 77;\n"),
                  QStringLiteral("twice.eds"), english());
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(r.device->inputBytes(), 10);
    QCOMPARE(r.device->outputBytes(), 6);
    QCOMPARE(r.warnings, QStringList({QStringLiteral("twice.eds, line 22: INPUT1 repeats line 21; the first one is kept"),
                                      QStringLiteral("twice.eds, line 27: Output1 repeats line 23; the first one is kept")}));
}

void TestEds::warningsAreBounded()
{
    // Every repeat is a warning; past the kept ones a last line counts the rest.
    QByteArray text = EdsSamples::pollDevice();
    for (int i = 0; i < Eds::MaxWarnings + 500; ++i)
        text += "Input1 = 3;\n";
    const Eds::Result r = Eds::read(text, QStringLiteral("many.eds"), english());
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(r.device->inputBytes(), 10);
    QCOMPARE(r.warnings.size(), Eds::MaxWarnings + 1);
    QCOMPARE(r.warnings.at(Eds::MaxWarnings - 1),
             QStringLiteral("many.eds, line %1: Input1 repeats line 22; the first one is kept").arg(23 + Eds::MaxWarnings));
    QCOMPARE(r.warnings.last(), QStringLiteral("many.eds: ... and 500 more warnings"));

    // At the limit itself nothing is counted on.
    const Eds::Result atLimit =
        Eds::read(EdsSamples::pollDevice() + QByteArray("Input1 = 3;\n").repeated(Eds::MaxWarnings),
                  QStringLiteral("many.eds"), english());
    QCOMPARE(atLimit.warnings.size(), Eds::MaxWarnings);
    QVERIFY(atLimit.warnings.last().contains(QLatin1String("repeats")));
}

void TestEds::unreadableFile()
{
    QTemporaryDir dir;
    const TextCatalog catalog = english();
    const QString missing = dir.filePath(QStringLiteral("none.eds"));
    Eds::Result r = Eds::readFile(missing, catalog);
    QVERIFY(!r.device);
    QVERIFY2(r.error.contains(missing), qPrintable(r.error));

    // A folder is no file.
    r = Eds::readFile(dir.path(), catalog);
    QVERIFY(!r.device);
    QVERIFY2(r.error.contains(dir.path()), qPrintable(r.error));

    const QString path = dir.filePath(QStringLiteral("pump.eds"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(EdsSamples::pollDevice());
    file.close();
    r = Eds::readFile(path, catalog);
    QVERIFY2(r.device, qPrintable(r.error));
    QCOMPARE(r.device->inputBytes(), 10);
}

QTEST_GUILESS_MAIN(TestEds)
#include "tst_eds.moc"
