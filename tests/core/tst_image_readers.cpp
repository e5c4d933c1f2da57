#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "image/Bank2Image.h"
#include "image/DocumentReaders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kVersion = "<!--SW_VERSION = 2.004-->\n";

QString dotted(const std::array<quint8, 4> &o)
{
    return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]);
}

// The readers run alone here, so the lenient fallbacks show; a whole compile converts strictly first.
struct Fixture
{
    QTemporaryDir dir;
    WorkspacePaths paths;
    std::unique_ptr<DeviceConfigRecord> record = std::make_unique<DeviceConfigRecord>();

    Fixture()
    {
        paths.ProjectFolder = QDir::toNativeSeparators(dir.path());
        paths.Set_Files();
        ResetDeviceConfig(*record);
    }
    void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void readAll()
    {
        ImageSources sources(paths);
        ReadCommunicationSettings(*record, sources);
        ReadSlaveList(*record, sources);
        ReadRegisterMap(*record, sources);
    }
    const ParameterFields &p() const { return record->DeviceParameters; }
};

QByteArray parGen(const QByteArray &elements)
{
    return "<Par_Gen>" + elements + "</Par_Gen>" + kVersion;
}

} // namespace

class TestImageReaders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void communicationSettings_data();
    void communicationSettings();
    void slaveOffsetsFollowTheList();
    void slaveRowThatIsNoIntegerStops_data();
    void slaveRowThatIsNoIntegerStops();
    void registerRowsOfMissingSlavesAreDropped();
    void missingWriteSectionStops();
    void resetRecordImage();
    void checksumCoversTheFirst2044Bytes_data();
    void checksumCoversTheFirst2044Bytes();
};

void TestImageReaders::communicationSettings_data()
{
    QTest::addColumn<QByteArray>("document"); // empty: no ParGen.xml
    QTest::addColumn<int>("masterId");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("interscan");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("stateRegister");

    QTest::newRow("no document: reset values") << QByteArray() << 0 << 125000 << 0 << "192.168.0.10"
                                               << "255.255.255.0"
                                               << "255.255.255.255" << 10001 << 0;
    QTest::newRow("root without children") << parGen("") << 10 << 500000 << 0 << "192.168.0.10"
                                           << "255.255.255.0"
                                           << "255.255.255.255" << 10001 << 0;
    QTest::newRow("bit rate code 0") << parGen("<DNET_BAUD>0</DNET_BAUD>") << 10 << 125000 << 0 << "192.168.0.10"
                                     << "255.255.255.0"
                                     << "255.255.255.255" << 10001 << 0;
    QTest::newRow("bit rate code 1") << parGen("<DNET_BAUD>1</DNET_BAUD>") << 10 << 250000 << 0 << "192.168.0.10"
                                     << "255.255.255.0"
                                     << "255.255.255.255" << 10001 << 0;
    QTest::newRow("bit rate code 7") << parGen("<DNET_BAUD>7</DNET_BAUD>") << 10 << 500000 << 0 << "192.168.0.10"
                                     << "255.255.255.0"
                                     << "255.255.255.255" << 10001 << 0;
    QTest::newRow("bit rate abc") << parGen("<DNET_BAUD>abc</DNET_BAUD><DNET_DEV_ID>x</DNET_DEV_ID>") << 10 << 500000
                                  << 0 << "192.168.0.10"
                                  << "255.255.255.0"
                                  << "255.255.255.255" << 10001 << 0;
    QTest::newRow("gateway enabled")
        << parGen("<MTCPs_EN_GAT>1</MTCPs_EN_GAT><MTCPs_GAT1>10</MTCPs_GAT1><MTCPs_GAT2>0</MTCPs_GAT2>"
                  "<MTCPs_GAT3>0</MTCPs_GAT3><MTCPs_GAT4>254</MTCPs_GAT4>")
        << 10 << 500000 << 0 << "192.168.0.10"
        << "255.255.255.0"
        << "10.0.0.254" << 10001 << 0;
    QTest::newRow("gateway disabled")
        << parGen("<MTCPs_EN_GAT>0</MTCPs_EN_GAT><MTCPs_GAT1>10</MTCPs_GAT1><MTCPs_GAT4>254</MTCPs_GAT4>") << 10
        << 500000 << 0 << "192.168.0.10"
        << "255.255.255.0"
        << "255.255.255.255" << 10001 << 0;
    QTest::newRow("values cut to their fields")
        << parGen("<DNET_DEV_ID>300</DNET_DEV_ID><MTCPs_IP1>257</MTCPs_IP1><MTCPs_PORT>70000</MTCPs_PORT>"
                  "<MTCPs_DN_State>70000</MTCPs_DN_State><DNET_INTERSCAN_DELAY>-1</DNET_INTERSCAN_DELAY>")
        << 44 << 500000 << -1 << "1.168.0.10"
        << "255.255.255.0"
        << "255.255.255.255" << 4464 << 70000;
    QTest::newRow("hexadecimal and leading blanks")
        << parGen("<DNET_DEV_ID>$3F</DNET_DEV_ID><MTCPs_SUB4> 128</MTCPs_SUB4><MTCPs_PORT>0x1F6</MTCPs_PORT>") << 63
        << 500000 << 0 << "192.168.0.10"
        << "255.255.255.128"
        << "255.255.255.255" << 502 << 0;
}

void TestImageReaders::communicationSettings()
{
    QFETCH(QByteArray, document);
    Fixture f;
    if (!document.isEmpty())
        f.write(f.paths.ParGenPath, document);
    f.readAll();

    QTEST(int(f.p().MasterId), "masterId");
    QTEST(int(f.p().BaudRate), "baudRate");
    QTEST(int(f.p().InterscanDelay), "interscan");
    QTEST(dotted(f.p().IpAddress), "ip");
    QTEST(dotted(f.p().SubnetMask), "mask");
    QTEST(dotted(f.p().Gateway), "gateway");
    QTEST(int(f.p().TcpPort), "port");
    QTEST(int(f.p().SlaveStateRegister), "stateRegister");
    QCOMPARE(f.p().TcpPortCopy, f.p().TcpPort);
    QCOMPARE(f.p().IpAddressCopy, f.p().IpAddress);
    QCOMPARE(f.p().SubnetMaskCopy, f.p().SubnetMask);
    QCOMPARE(f.p().GatewayCopy, f.p().Gateway);
    // Set whether or not the document exists.
    QCOMPARE(dotted(f.p().ConstantBytes), QStringLiteral("64.0.0.8"));
    QCOMPARE(f.p().SlaveTableAddress, 0x68800u);
    QCOMPARE(f.p().ReadTableAddress, 0x50000u);
    QCOMPARE(f.p().WriteTableAddress, 0x5C000u);
}

void TestImageReaders::slaveOffsetsFollowTheList()
{
    Fixture f;
    f.write(f.paths.DnetNetPath, "<DNET_Net><row ID=\"5\" NB_IN=\"10\" NB_OUT=\"1\" Mnemonic=\"\"/>"
                                 "<row ID=\"6\" NB_IN=\"0\" NB_OUT=\"2\" Mnemonic=\"\"/>"
                                 "<row ID=\"7\" NB_IN=\"5\" NB_OUT=\"3\" Mnemonic=\"\"/></DNET_Net>" +
                                     kVersion);
    f.readAll();
    QCOMPARE(f.p().SlaveCount, 3u);
    const auto &t = f.record->SlaveTable;
    QCOMPARE(t[0].InputOffset, quint16(0));
    QCOMPARE(t[1].InputOffset, quint16(10));
    QCOMPARE(t[2].InputOffset, quint16(10));
    QCOMPARE(t[2].OutputOffset, quint16(3));
    QCOMPARE(t[2].SlaveId, quint8(7));
    QCOMPARE(t[3].SlaveId, quint8(0));
}

void TestImageReaders::slaveRowThatIsNoIntegerStops_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("message");
    QTest::newRow("ID abc") << QByteArray("<row ID=\"abc\" NB_IN=\"1\" NB_OUT=\"1\"/>")
                            << "row 1: attribute ID \"abc\" is not an integer";
    QTest::newRow("NB_OUT empty") << QByteArray("<row ID=\"1\" NB_IN=\"1\" NB_OUT=\"\"/>")
                                  << "row 1: attribute NB_OUT \"\" is not an integer";
    QTest::newRow("NB_IN missing") << QByteArray("<row ID=\"1\" NB_OUT=\"1\"/>") << "row 1: attribute NB_IN is missing";
}

void TestImageReaders::slaveRowThatIsNoIntegerStops()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, message);
    Fixture f;
    f.write(f.paths.DnetNetPath, "<DNET_Net>" + row + "</DNET_Net>" + kVersion);
    try {
        f.readAll();
        QFAIL("the reader accepted the row");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(f.paths.DnetNetPath + QStringLiteral(": ") + message), qPrintable(e.message()));
    }
}

void TestImageReaders::registerRowsOfMissingSlavesAreDropped()
{
    Fixture f;
    f.write(f.paths.DnetNetPath, "<DNET_Net><row ID=\"1\" NB_IN=\"4\" NB_OUT=\"2\"/>"
                                 "<row ID=\"2\" NB_IN=\"6\" NB_OUT=\"8\"/></DNET_Net>" +
                                     kVersion);
    // A dropped row needs no Index or PosComp: they are read only for rows that are taken.
    f.write(f.paths.DefRegPath, "<InfoMod><Modbus_Read><row NrDNNode=\"0\"/>"
                                "<row Index=\"1\" NrDNNode=\"x\" PosComp=\"0\"/>"
                                "<row Index=\"2\" NrDNNode=\"3\" PosComp=\"0\"/>"
                                "<row Index=\"-2147483648\" NrDNNode=\"-2147483648\" PosComp=\"0\"/>"
                                "<row Index=\"7\" NrDNNode=\"2\" PosComp=\"-1\"/>"
                                "<row Index=\"70008\" NrDNNode=\"1\" PosComp=\"abc\"/></Modbus_Read>"
                                "<Modbus_Write><row Index=\"9\" NrDNNode=\"1\" PosComp=\"65538\"/></Modbus_Write>"
                                "</InfoMod>" +
                                    kVersion);
    f.readAll();
    QCOMPARE(f.p().ReadCount, 2u);
    const RegisterEntry &first = f.record->ReadTable[0];
    QCOMPARE(first.RegisterIndex, quint16(7));
    QCOMPARE(first.LoPart, quint16(65535));
    QCOMPARE(first.HiPart, quint16(65535));
    QCOMPARE(first.SlaveIndex, quint8(1));
    const RegisterEntry &second = f.record->ReadTable[1];
    QCOMPARE(second.RegisterIndex, quint16(70008 - 65536));
    QCOMPARE(second.LoPart, quint16(0));
    QCOMPARE(second.HiPart, quint16(0));
    QCOMPARE(second.SlaveIndex, quint8(0));
    QCOMPARE(f.record->ReadTable[2].RegisterIndex, quint16(0));
    QCOMPARE(f.p().WriteCount, 1u);
    QCOMPARE(f.record->WriteTable[0].LoPart, quint16(2));
    QCOMPARE(f.record->WriteTable[0].HiPart, quint16(1));
}

void TestImageReaders::missingWriteSectionStops()
{
    Fixture f;
    f.write(f.paths.DefRegPath, "<InfoMod><Modbus_Read/></InfoMod>" + kVersion);
    try {
        f.readAll();
        QFAIL("a missing section must stop the compile");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("DefReg.xml: section Modbus_Write is missing")),
                 qPrintable(e.message()));
    }
}

void TestImageReaders::resetRecordImage()
{
    auto record = std::make_unique<DeviceConfigRecord>();
    record->DeviceParameters.MasterId = 99;
    record->ReadTable[5].RegisterIndex = 3;
    ResetDeviceConfig(*record);
    QCOMPARE(record->ReadTable[5].RegisterIndex, quint16(0));

    Bank2Image image;
    int position = SerialiseRegisterTables(*record, image, 0);
    QCOMPARE(position, 98304);
    position = SerialiseParameterBlock(*record, image, position);
    QCOMPARE(position, 100352);
    position = SerialiseSlaveTable(*record, image, position);
    QCOMPARE(position, 101376);

    const QByteArray block = image.buffer.mid(98304, 2048);
    QCOMPARE(block.left(4), QByteArray::fromHex("48E80100")); // 125000
    QCOMPARE(block.mid(96, 4), QByteArray(4, '\0'));          // set only by the settings reader
    QCOMPARE(block.at(128), '\0');
    QCOMPARE(block.mid(48, 4), QByteArray(4, char(0xFF)));
    QCOMPARE(block.mid(312, 2), QByteArray::fromHex("C0BA"));
    QCOMPARE(block.mid(80, 16), QByteArray(16, '\0'));
    QCOMPARE(block.mid(356, 2044 - 356), QByteArray(2044 - 356, '\0'));
    QCOMPARE(parameterBlockChecksum(reinterpret_cast<const uchar *>(block.constData())),
             quint32(6082 - 72 - 142 - 5 - 197)); // 6082 less the constant bytes and the three addresses
}

void TestImageReaders::checksumCoversTheFirst2044Bytes_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<quint32>("sum");
    const auto only = [](int offset, char value) {
        QByteArray block(Bank2Image::ParameterBlockSize, '\0');
        block[offset] = value;
        return block;
    };
    // The sum covers bytes 0 to 2043; the four bytes from 2044 hold the sum itself.
    QTest::newRow("all bytes 1") << QByteArray(Bank2Image::ParameterBlockSize, '\1') << quint32(2044);
    QTest::newRow("all bytes 255") << QByteArray(Bank2Image::ParameterBlockSize, char(0xFF)) << quint32(2044 * 255);
    QTest::newRow("only byte 0 set") << only(0, char(0xC8)) << quint32(200);
    QTest::newRow("only byte 2043 set") << only(2043, char(0xC8)) << quint32(200);
    QTest::newRow("byte 2044 excluded") << only(2044, char(0xC8)) << quint32(0);
    QTest::newRow("byte 2047 excluded") << only(2047, char(0xC8)) << quint32(0);
}

void TestImageReaders::checksumCoversTheFirst2044Bytes()
{
    QFETCH(QByteArray, block);
    QFETCH(quint32, sum);
    QCOMPARE(parameterBlockChecksum(reinterpret_cast<const uchar *>(block.constData())), sum);
}

QTEST_GUILESS_MAIN(TestImageReaders)
#include "tst_image_readers.moc"
