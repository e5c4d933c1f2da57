#include "documents/DnetNetDocument.h"
#include "documents/ProjectDocument.h"
#include "text/TextCatalog.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(QList<DnetSlaveRow>)

namespace {

DnetSlaveRow slave(const QString &id, const QString &in = QStringLiteral("0"), const QString &out = QStringLiteral("0"),
                   const QString &mnemonic = QString())
{
    return {id, in, out, mnemonic};
}

QList<DnetSlaveRow> slaves(int count, int bytesIn, int bytesOut)
{
    QList<DnetSlaveRow> list;
    for (int i = 0; i < count; ++i)
        list.append(slave(QString::number(i), QString::number(bytesIn), QString::number(bytesOut)));
    return list;
}

} // namespace

class TestDnet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingFileIsEmptyList();
    void rowsReadInOrderWhateverTheirName();
    void onlyFirst63Load();
    void fileReadsAsTheDocument();
    void missingAttributeReadsEmpty();
    void savedListReadsBack();
    void emptyListIsBareRoot();
    void filledRunStopsAtFirstBlankId();
    void check_data();
    void check();
};

void TestDnet::missingFileIsEmptyList()
{
    QTemporaryDir dir;
    const DnetNetDocument::Loaded loaded = DnetNetDocument::load(dir.filePath(QStringLiteral("DNET_Net.xml")));
    QVERIFY(loaded.slaves.isEmpty());
    QCOMPARE(loaded.notLoaded, 0);
}

void TestDnet::rowsReadInOrderWhateverTheirName()
{
    const QDomDocument doc =
        ProjectDocument::parse("<DNET_Net><row ID=\"1\" NB_IN=\"2\" NB_OUT=\"3\" Mnemonic=\"a\"/>"
                               "<other ID=\" 4\" NB_IN=\"$5\" NB_OUT=\"\" Mnemonic=\"b c\"/></DNET_Net>",
                               QStringLiteral("DNET_Net.xml"));
    const DnetNetDocument::Loaded loaded = DnetNetDocument::fromDocument(doc);
    QCOMPARE(loaded.slaves.size(), 2);
    QVERIFY(loaded.slaves.at(0) == slave("1", "2", "3", "a"));
    QVERIFY(loaded.slaves.at(1) == slave(" 4", "$5", "", "b c"));
}

// The file is read with the compact tree (a list of many rows costs little); it must give what the
// document form gives: rows of any kind, layout skipped, the rows beyond 63 counted.
void TestDnet::fileReadsAsTheDocument()
{
    QByteArray xml = "<DNET_Net>\n  <!--c-->\n  <row ID=\"1\" NB_IN=\" 2\" Mnemonic=\"&lt;a&gt;\"/>\n  x\n";
    for (int i = 0; i < 70; ++i)
        xml += "  <row ID=\"" + QByteArray::number(i) + "\" NB_IN=\"1\" NB_OUT=\"1\" Mnemonic=\"\"/>\n";
    xml += "</DNET_Net>\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(xml);
    file.close();
    const DnetNetDocument::Loaded fromFile = DnetNetDocument::load(path);
    const DnetNetDocument::Loaded fromDocument =
        DnetNetDocument::fromDocument(ProjectDocument::parse(xml, QStringLiteral("DNET_Net.xml")));
    QCOMPARE(fromFile.slaves.size(), 63);
    QVERIFY(fromFile.slaves == fromDocument.slaves);
    QCOMPARE(fromFile.notLoaded, 10);
    QCOMPARE(fromDocument.notLoaded, 10);
    QVERIFY(fromFile.slaves.at(1) == slave("1", " 2", "", "<a>"));
}

void TestDnet::onlyFirst63Load()
{
    const DnetNetDocument::Loaded loaded = DnetNetDocument::fromDocument(DnetNetDocument::toDocument(slaves(66, 1, 1)));
    QCOMPARE(loaded.slaves.size(), 63);
    QCOMPARE(loaded.slaves.last().ID, QStringLiteral("62"));
    QCOMPARE(loaded.notLoaded, 3);
}

void TestDnet::missingAttributeReadsEmpty()
{
    const QDomDocument doc = ProjectDocument::parse("<DNET_Net><row ID=\"1\" NB_OUT=\"3\"/></DNET_Net>", "x.xml");
    QVERIFY(DnetNetDocument::fromDocument(doc).slaves.value(0) == slave("1", "", "3", ""));
}

void TestDnet::savedListReadsBack()
{
    const QList<DnetSlaveRow> list = {slave(" 7", "$10", "0x1C7", "Valve island <3> & \"X\""), slave("63", "455", "0"),
                                      slave("1", "1", "1", "   ")};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    DnetNetDocument::save(list, path);
    QVERIFY(DnetNetDocument::load(path).slaves == list);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("<DNET_Net><row ID=\" 7\" NB_IN=\"$10\" NB_OUT=\"0x1C7\" Mnemonic="));
}

void TestDnet::emptyListIsBareRoot()
{
    QCOMPARE(ProjectDocument::toBytes(DnetNetDocument::toDocument({})).trimmed(),
             QByteArray("<DNET_Net/><!--SW_VERSION = 2.004-->"));
}

void TestDnet::filledRunStopsAtFirstBlankId()
{
    const QList<DnetSlaveRow> table = {slave("1"), slave(" \t", "5", "5", "looks used"), slave("3"), slave("4")};
    const QList<DnetSlaveRow> run = DnetNetDocument::filledRun(table);
    QCOMPARE(run.size(), 1);
    QCOMPARE(run.at(0).ID, QStringLiteral("1"));
}

void TestDnet::check_data()
{
    QTest::addColumn<QList<DnetSlaveRow>>("list");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty list") << QList<DnetSlaveRow>() << QString();
    QTest::newRow("ID 0 and 63") << QList<DnetSlaveRow>{slave("0"), slave("$3F")} << QString();
    QTest::newRow("repeated IDs") << QList<DnetSlaveRow>{slave("5"), slave("5")} << QString();
    QTest::newRow("ID 64") << QList<DnetSlaveRow>{slave("64")} << "Error in row 1!! ID Device must be between 0 and 63";
    QTest::newRow("ID -1 in row 2") << QList<DnetSlaveRow>{slave("1"), slave("-1")}
                                    << "Error in row 2!! ID Device must be between 0 and 63";
    QTest::newRow("ID not a number") << QList<DnetSlaveRow>{slave("1a")}
                                     << "Error in row 1!! ID Device must be between 0 and 63";
    QTest::newRow("bytes 455") << QList<DnetSlaveRow>{slave("1", "455", "455")} << QString();
    QTest::newRow("bytes in 456") << QList<DnetSlaveRow>{slave("1", "456", "0")}
                                  << "Error in row 1!! Number Byte IN must be between 0 and 455";
    QTest::newRow("bytes out 456") << QList<DnetSlaveRow>{slave("1", "0", "456")}
                                   << "Error in row 1!! Number Byte OUT must be between 0 and 455";
    QTest::newRow("empty byte cells") << QList<DnetSlaveRow>{slave("1", "", "")}
                                      << "Error in row 1!! Number Byte IN must be between 0 and 455";
    QTest::newRow("first failure wins") << QList<DnetSlaveRow>{slave("1", "0", "999"), slave("99")}
                                        << "Error in row 1!! Number Byte OUT must be between 0 and 455";
    QTest::newRow("row failure before sums") << (slaves(14, 455, 455) << slave("1", "455", "x"))
                                             << "Error in row 15!! Number Byte OUT must be between 0 and 455";
    QTest::newRow("6000 in and out") << slaves(15, 400, 400) << QString();
    QList<DnetSlaveRow> oneMoreIn = slaves(15, 400, 400);
    oneMoreIn[7].NB_IN = QStringLiteral("401");
    QTest::newRow("6001 in") << oneMoreIn << "Error!! Number Byte IN must be under 6000";
    QList<DnetSlaveRow> oneMoreOut = slaves(15, 400, 400);
    oneMoreOut.append(slave("3", "0", "1"));
    QTest::newRow("6001 out") << oneMoreOut << "Error!! Number Byte OUT must be under 6000";
    QTest::newRow("both sums too high") << slaves(20, 400, 400) << "Error!! Number Byte IN must be under 6000";
}

void TestDnet::check()
{
    QFETCH(QList<DnetSlaveRow>, list);
    QFETCH(QString, message);
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    const DnetCheckFailure failure = Controllo_dati(list);
    QCOMPARE(failure.ok(), message.isEmpty());
    QCOMPARE(failure.message(catalog), message);
}

QTEST_GUILESS_MAIN(TestDnet)
#include "tst_dnet.moc"
