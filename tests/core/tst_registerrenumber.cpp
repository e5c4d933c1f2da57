#include "documents/ProjectDocument.h"
#include "documents/RegisterRenumber.h"

#include <QtTest>

namespace {

QByteArray defReg(const QByteArray &readRows, const QByteArray &writeRows)
{
    return "<InfoMod><Modbus_Read>" + readRows + "</Modbus_Read><Modbus_Write>" + writeRows +
           "</Modbus_Write></InfoMod><!--SW_VERSION = 2.004-->";
}

// One register row per character: the character is the slave number, the index is the row's place.
QByteArray rows(const QByteArray &nodes, int firstIndex)
{
    QByteArray xml;
    for (int i = 0; i < nodes.size(); ++i)
        xml += "<row Index=\"" + QByteArray::number(firstIndex + i) + "\" NrDNNode=\"" + QByteArray(1, nodes.at(i)) +
               "\" PosComp=\"65537\"/>";
    return xml;
}

} // namespace

class TestRegisterRenumber : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void renumber_data();
    void renumber();
    void foreignNodesStay();
    void bytesBeyondTheNewCount_data();
    void bytesBeyondTheNewCount();
};

void TestRegisterRenumber::renumber_data()
{
    QTest::addColumn<QByteArray>("read");  // slave numbers of the read registers, in order
    QTest::addColumn<QByteArray>("write"); // and of the write registers
    QTest::addColumn<QVector<int>>("newPositions");
    QTest::addColumn<QByteArray>("readAfter");
    QTest::addColumn<QByteArray>("writeAfter");
    QTest::addColumn<int>("moved");
    QTest::addColumn<int>("removed");
    // Each register keeps its index (its place in the row list before), so the rows are told apart.
    QTest::newRow("nothing moved") << QByteArray("123") << QByteArray("3") << QVector<int>{1, 2, 3} << QByteArray("123")
                                   << QByteArray("3") << 0 << 0;
    QTest::newRow("slave 2 of 5 deleted") << QByteArray("12345") << QByteArray("52") << QVector<int>{1, 0, 2, 3, 4}
                                          << QByteArray("1-234") << QByteArray("4-") << 4 << 2;
    QTest::newRow("row inserted before slave 1")
        << QByteArray("12") << QByteArray("21") << QVector<int>{2, 3} << QByteArray("23") << QByteArray("32") << 4 << 0;
    QTest::newRow("last slave deleted") << QByteArray("1233") << QByteArray("") << QVector<int>{1, 2, 0}
                                        << QByteArray("12--") << QByteArray("") << 0 << 2;
    QTest::newRow("every slave deleted") << QByteArray("12") << QByteArray("1") << QVector<int>{0, 0}
                                         << QByteArray("--") << QByteArray("-") << 0 << 3;
    // A register of a slave beyond the loaded list (the readers drop it) is no business of the list.
    QTest::newRow("register beyond the list")
        << QByteArray("19") << QByteArray("") << QVector<int>{2} << QByteArray("29") << QByteArray("") << 1 << 0;
    QTest::newRow("no registers") << QByteArray("") << QByteArray("") << QVector<int>{0, 1} << QByteArray("")
                                  << QByteArray("") << 0 << 0;
}

void TestRegisterRenumber::renumber()
{
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, write);
    QFETCH(QVector<int>, newPositions);
    QFETCH(QByteArray, readAfter);
    QFETCH(QByteArray, writeAfter);
    QFETCH(int, moved);
    QFETCH(int, removed);

    const QDomDocument before = ProjectDocument::parse(defReg(rows(read, 0), rows(write, 100)), "DefReg.xml");
    const QByteArray beforeBytes = ProjectDocument::toBytes(before);
    const RegisterRenumber::Result result = RegisterRenumber::renumber(before, newPositions);

    // '-' marks a row that is gone: the expected document keeps the others with their own index.
    const auto expected = [](const QByteArray &nodes, int firstIndex) {
        QByteArray xml;
        for (int i = 0; i < nodes.size(); ++i) {
            if (nodes.at(i) != '-')
                xml += "<row Index=\"" + QByteArray::number(firstIndex + i) + "\" NrDNNode=\"" +
                       QByteArray(1, nodes.at(i)) + "\" PosComp=\"65537\"/>";
        }
        return xml;
    };
    const QByteArray want = defReg(expected(readAfter, 0), expected(writeAfter, 100));
    QCOMPARE(ProjectDocument::toBytes(result.document), ProjectDocument::toBytes(ProjectDocument::parse(want, "x")));
    QCOMPARE(result.moved, moved);
    QCOMPARE(result.removed, removed);
    QCOMPARE(result.changed(), moved + removed > 0);
    // The document given stays as it was: a No or Cancel keeps using it.
    QCOMPARE(ProjectDocument::toBytes(before), beforeBytes);
}

void TestRegisterRenumber::foreignNodesStay()
{
    // Slave numbers are read as the readers read them; what is not a slave number stays untouched.
    const QByteArray xml = "<InfoMod><Modbus_Read><row Index=\"1\" NrDNNode=\" 02\" PosComp=\"1\"/>"
                           "<row Index=\"2\" NrDNNode=\"x\" PosComp=\"1\"/><row Index=\"3\" PosComp=\"1\"/>"
                           "<!--note--></Modbus_Read><Modbus_Write/></InfoMod><!--SW_VERSION = 2.004-->";
    const RegisterRenumber::Result result =
        RegisterRenumber::renumber(ProjectDocument::parse(xml, "DefReg.xml"), QVector<int>{1, 3});
    QCOMPARE(ProjectDocument::toBytes(result.document),
             QByteArray("<InfoMod><Modbus_Read><row Index=\"1\" NrDNNode=\"3\" PosComp=\"1\"/>"
                        "<row Index=\"2\" NrDNNode=\"x\" PosComp=\"1\"/><row Index=\"3\" PosComp=\"1\"/>"
                        "<!--note--></Modbus_Read><Modbus_Write/></InfoMod><!--SW_VERSION = 2.004-->"));
    QCOMPARE(result.moved, 1);
}

void TestRegisterRenumber::bytesBeyondTheNewCount_data()
{
    QTest::addColumn<QString>("posComp"); // of the one register, on slave 1
    QTest::addColumn<bool>("onRead");
    QTest::addColumn<bool>("kept"); // slave 1 has 4 bytes IN and 2 OUT
    QTest::newRow("read, bytes 2 and 1") << "131073" << true << true;
    QTest::newRow("read, high byte 3") << "196609" << true << false;
    QTest::newRow("read, low byte 3") << "3" << true << false;
    QTest::newRow("write, bytes 4 and 3") << "262147" << false << true;
    QTest::newRow("write, low byte 5") << "5" << false << false;
    // Read as the compiler reads it: -1 is byte 65535 in both parts, and what does not parse is 0.
    QTest::newRow("read, PosComp -1") << "-1" << true << false;
    QTest::newRow("read, PosComp x") << "x" << true << true;
}

void TestRegisterRenumber::bytesBeyondTheNewCount()
{
    QFETCH(QString, posComp);
    QFETCH(bool, onRead);
    QFETCH(bool, kept);
    const QByteArray row = "<row Index=\"9\" NrDNNode=\"1\" PosComp=\"" + posComp.toUtf8() + "\"/>";
    const QByteArray xml = defReg(onRead ? row : QByteArray(), onRead ? QByteArray() : row);
    // Slave 1 moves to 2: the counts are those of the new position.
    const RegisterRenumber::Result result =
        RegisterRenumber::renumber(ProjectDocument::parse(xml, "DefReg.xml"), QVector<int>{2},
                                   QVector<RegisterRenumber::SlaveBytes>{{0, 0}, {4, 2}});
    QCOMPARE(result.pastBytes, kept ? 0 : 1);
    QCOMPARE(result.moved, kept ? 1 : 0);
    QCOMPARE(result.pastBytesOf.value({2, onRead ? 1 : 2}), kept ? 0 : 1);
    QCOMPARE(ProjectDocument::toBytes(result.document).contains("Index=\"9\""), kept);
    // Without counts the bytes are not looked at.
    QCOMPARE(RegisterRenumber::renumber(ProjectDocument::parse(xml, "DefReg.xml"), QVector<int>{2}).pastBytes, 0);
}

QTEST_APPLESS_MAIN(TestRegisterRenumber)
#include "tst_registerrenumber.moc"
