#include "base/AppError.h"
#include "documents/ParGenDocument.h"
#include "documents/ProjectDocument.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Every element with a value unlike its fallback, so a fallback shows.
const char *const FullDocument =
    "<Par_Gen><Device_Type>1</Device_Type><DNET_DEV_ID>5</DNET_DEV_ID><DNET_BAUD>0</DNET_BAUD>"
    "<DNET_INTERSCAN_DELAY>7</DNET_INTERSCAN_DELAY>"
    "<MTCPs_IP1>10</MTCPs_IP1><MTCPs_IP2>11</MTCPs_IP2><MTCPs_IP3>12</MTCPs_IP3><MTCPs_IP4>13</MTCPs_IP4>"
    "<MTCPs_SUB1>20</MTCPs_SUB1><MTCPs_SUB2>21</MTCPs_SUB2><MTCPs_SUB3>22</MTCPs_SUB3><MTCPs_SUB4>23</MTCPs_SUB4>"
    "<MTCPs_EN_GAT>1</MTCPs_EN_GAT>"
    "<MTCPs_GAT1>30</MTCPs_GAT1><MTCPs_GAT2>31</MTCPs_GAT2><MTCPs_GAT3>32</MTCPs_GAT3><MTCPs_GAT4>33</MTCPs_GAT4>"
    "<MTCPs_PORT>8000</MTCPs_PORT><MTCPs_DN_State>99</MTCPs_DN_State></Par_Gen><!--SW_VERSION = 2.004-->";

ParGenValues fullValues()
{
    ParGenValues v;
    v.Device_Type = 1;
    v.DNET_DEV_ID = QStringLiteral("5");
    v.DNET_BAUD = 0;
    v.DNET_INTERSCAN_DELAY = QStringLiteral("7");
    v.MTCPs_IP = {QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13")};
    v.MTCPs_SUB = {QStringLiteral("20"), QStringLiteral("21"), QStringLiteral("22"), QStringLiteral("23")};
    v.MTCPs_EN_GAT = true;
    v.MTCPs_GAT = {QStringLiteral("30"), QStringLiteral("31"), QStringLiteral("32"), QStringLiteral("33")};
    v.MTCPs_PORT = QStringLiteral("8000");
    v.MTCPs_DN_State = QStringLiteral("99");
    return v;
}

ParGenValues readBytes(const QByteArray &bytes)
{
    return ParGenDocument::fromDocument(ProjectDocument::parse(bytes, QStringLiteral("ParGen.xml")));
}

} // namespace

Q_DECLARE_METATYPE(std::function<void(ParGenValues &)>)

class TestParGen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingFileGivesDefaults();
    void fullDocumentReads();
    void missingElementTakesItsOwnFallback_data();
    void missingElementTakesItsOwnFallback();
    void gatewaySwitch_data();
    void gatewaySwitch();
    void writesElementsInOrder();
    void savedValuesReadBackAsTyped();
    void unreadableFileIsAnError();
    void dataCheckBoundaries_data();
    void dataCheckBoundaries();
};

void TestParGen::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    const ParGenValues v = ParGenDocument::load(dir.filePath(QStringLiteral("ParGen.xml")));
    QCOMPARE(v.Device_Type, 1);
    QCOMPARE(v.DNET_DEV_ID, QStringLiteral("10"));
    QCOMPARE(v.DNET_BAUD, 2);
    QCOMPARE(v.DNET_INTERSCAN_DELAY, QStringLiteral("0"));
    QCOMPARE(QStringList(v.MTCPs_IP.begin(), v.MTCPs_IP.end()).join(QLatin1Char('.')), QStringLiteral("192.168.0.10"));
    QCOMPARE(QStringList(v.MTCPs_SUB.begin(), v.MTCPs_SUB.end()).join(QLatin1Char('.')),
             QStringLiteral("255.255.255.0"));
    QCOMPARE(v.MTCPs_EN_GAT, false);
    QCOMPARE(QStringList(v.MTCPs_GAT.begin(), v.MTCPs_GAT.end()).join(QLatin1Char('.')), QStringLiteral("192.168.0.1"));
    QCOMPARE(v.MTCPs_PORT, QStringLiteral("502"));
    QCOMPARE(v.MTCPs_DN_State, QStringLiteral("0"));
    QCOMPARE(Controllo_Dati(v), 0);
}

void TestParGen::fullDocumentReads()
{
    QVERIFY(readBytes(FullDocument) == fullValues());
}

void TestParGen::missingElementTakesItsOwnFallback_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<std::function<void(ParGenValues &)>>("fallback");
    using F = std::function<void(ParGenValues &)>;
    // Device_Type falls back to 0, unlike the 1 of a configuration without the file.
    QTest::newRow("Device_Type") << "Device_Type" << F([](ParGenValues &v) { v.Device_Type = 0; });
    QTest::newRow("DNET_DEV_ID") << "DNET_DEV_ID" << F([](ParGenValues &v) { v.DNET_DEV_ID = QStringLiteral("10"); });
    QTest::newRow("DNET_BAUD") << "DNET_BAUD" << F([](ParGenValues &v) { v.DNET_BAUD = 2; });
    QTest::newRow("DNET_INTERSCAN_DELAY")
        << "DNET_INTERSCAN_DELAY" << F([](ParGenValues &v) { v.DNET_INTERSCAN_DELAY = QStringLiteral("0"); });
    QTest::newRow("MTCPs_IP4") << "MTCPs_IP4" << F([](ParGenValues &v) { v.MTCPs_IP[3] = QStringLiteral("10"); });
    QTest::newRow("MTCPs_SUB1") << "MTCPs_SUB1" << F([](ParGenValues &v) { v.MTCPs_SUB[0] = QStringLiteral("255"); });
    QTest::newRow("MTCPs_SUB4") << "MTCPs_SUB4" << F([](ParGenValues &v) { v.MTCPs_SUB[3] = QStringLiteral("0"); });
    QTest::newRow("MTCPs_EN_GAT") << "MTCPs_EN_GAT" << F([](ParGenValues &v) { v.MTCPs_EN_GAT = false; });
    QTest::newRow("MTCPs_GAT4") << "MTCPs_GAT4" << F([](ParGenValues &v) { v.MTCPs_GAT[3] = QStringLiteral("1"); });
    QTest::newRow("MTCPs_PORT") << "MTCPs_PORT" << F([](ParGenValues &v) { v.MTCPs_PORT = QStringLiteral("502"); });
    QTest::newRow("MTCPs_DN_State") << "MTCPs_DN_State"
                                    << F([](ParGenValues &v) { v.MTCPs_DN_State = QStringLiteral("0"); });
}

void TestParGen::missingElementTakesItsOwnFallback()
{
    QFETCH(QString, element);
    QFETCH(std::function<void(ParGenValues &)>, fallback);
    QDomDocument doc = ProjectDocument::parse(FullDocument, QStringLiteral("ParGen.xml"));
    QDomElement root = doc.documentElement();
    QVERIFY(!root.removeChild(root.firstChildElement(element)).isNull());
    ParGenValues expected = fullValues();
    fallback(expected);
    QVERIFY(ParGenDocument::fromDocument(doc) == expected);
}

void TestParGen::gatewaySwitch_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("word true") << QByteArray("true") << false;
    QTest::newRow("blank before 1") << QByteArray(" 1") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestParGen::gatewaySwitch()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, ticked);
    const ParGenValues v = readBytes("<Par_Gen><MTCPs_EN_GAT>" + stored + "</MTCPs_EN_GAT></Par_Gen>");
    QCOMPARE(v.MTCPs_EN_GAT, ticked);
    const QDomNode root = ProjectDocument::firstNode(ParGenDocument::toDocument(v));
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("MTCPs_EN_GAT")),
             std::optional<QString>(ticked ? QStringLiteral("1") : QStringLiteral("0")));
}

void TestParGen::writesElementsInOrder()
{
    const QDomDocument doc = ParGenDocument::toDocument(fullValues());
    QStringList names;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        names << e.tagName();
    QCOMPARE(names, QStringList({"Device_Type", "DNET_DEV_ID", "DNET_BAUD", "DNET_INTERSCAN_DELAY", "MTCPs_IP1",
                                 "MTCPs_IP2", "MTCPs_IP3", "MTCPs_IP4", "MTCPs_SUB1", "MTCPs_SUB2", "MTCPs_SUB3",
                                 "MTCPs_SUB4", "MTCPs_EN_GAT", "MTCPs_GAT1", "MTCPs_GAT2", "MTCPs_GAT3", "MTCPs_GAT4",
                                 "MTCPs_PORT", "MTCPs_DN_State"}));
    QCOMPARE(ProjectDocument::toBytes(doc).trimmed(), QByteArray(FullDocument));
}

void TestParGen::savedValuesReadBackAsTyped()
{
    ParGenValues v;
    v.Device_Type = 0;
    v.DNET_DEV_ID = QStringLiteral(" 7");
    v.DNET_BAUD = 1;
    v.DNET_INTERSCAN_DELAY = QStringLiteral("$3E8");
    v.MTCPs_IP = {QStringLiteral("0x0A"), QStringLiteral("+0"), QStringLiteral("  1"), QStringLiteral("255")};
    v.MTCPs_GAT = {QStringLiteral("   "), QString(), QStringLiteral("abc"), QStringLiteral("x")};
    v.MTCPs_PORT = QStringLiteral("X1F6");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    ParGenDocument::save(v, path);
    QVERIFY(ParGenDocument::load(path) == v);
}

void TestParGen::unreadableFileIsAnError()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<Par_Gen><DNET_DEV_ID>5</Par_Gen>");
    file.close();
    QVERIFY_THROWS_EXCEPTION(AppError, ParGenDocument::load(path));
}

using Change = std::function<void(ParGenValues &)>;

void TestParGen::dataCheckBoundaries_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("textIndex"); // 0: accepted
    const auto row = [](const char *name, Change change, int textIndex) { QTest::newRow(name) << change << textIndex; };
    row(
        "all in range", [](ParGenValues &) {}, 0);
    row(
        "device ID 0", [](ParGenValues &v) { v.DNET_DEV_ID = "0"; }, 0);
    row(
        "device ID 63", [](ParGenValues &v) { v.DNET_DEV_ID = "63"; }, 0);
    row(
        "device ID 64", [](ParGenValues &v) { v.DNET_DEV_ID = "64"; }, 420);
    row(
        "device ID -1", [](ParGenValues &v) { v.DNET_DEV_ID = "-1"; }, 420);
    row(
        "interscan delay 0", [](ParGenValues &v) { v.DNET_INTERSCAN_DELAY = "0"; }, 0);
    row(
        "interscan delay 1000", [](ParGenValues &v) { v.DNET_INTERSCAN_DELAY = "1000"; }, 0);
    row(
        "interscan delay 1001", [](ParGenValues &v) { v.DNET_INTERSCAN_DELAY = "1001"; }, 499);
    row(
        "interscan delay -1", [](ParGenValues &v) { v.DNET_INTERSCAN_DELAY = "-1"; }, 499);
    row(
        "address part 255", [](ParGenValues &v) { v.MTCPs_IP[3] = "255"; }, 0);
    row(
        "address part 256", [](ParGenValues &v) { v.MTCPs_IP[3] = "256"; }, 424);
    row(
        "mask part 256", [](ParGenValues &v) { v.MTCPs_SUB[0] = "256"; }, 425);
    row(
        "gateway part 255", [](ParGenValues &v) { v.MTCPs_GAT[3] = "255"; }, 0);
    row(
        "gateway part 256", [](ParGenValues &v) { v.MTCPs_GAT[3] = "256"; }, 432);
    row(
        "gateway part 256 while disabled",
        [](ParGenValues &v) {
            v.MTCPs_EN_GAT = false;
            v.MTCPs_GAT[0] = "256";
        },
        0);
    row(
        "gateway part empty while disabled",
        [](ParGenValues &v) {
            v.MTCPs_EN_GAT = false;
            v.MTCPs_GAT[1] = "";
        },
        0);
    row(
        "port 65535", [](ParGenValues &v) { v.MTCPs_PORT = "65535"; }, 0);
    row(
        "port 65536", [](ParGenValues &v) { v.MTCPs_PORT = "65536"; }, 433);
    row(
        "state register 65535", [](ParGenValues &v) { v.MTCPs_DN_State = "65535"; }, 0);
    row(
        "state register 65536", [](ParGenValues &v) { v.MTCPs_DN_State = "65536"; }, 434);
}

void TestParGen::dataCheckBoundaries()
{
    QFETCH(Change, change);
    QFETCH(int, textIndex);
    ParGenValues values = fullValues();
    change(values);
    QCOMPARE(Controllo_Dati(values), textIndex);
}

QTEST_GUILESS_MAIN(TestParGen)
#include "tst_pargen.moc"
