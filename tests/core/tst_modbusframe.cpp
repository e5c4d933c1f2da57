// The monitor's pure parts: the read request and the one parser of answers, the plan of requests,
// and the table that keeps each register's last good value.
#include "monitor/ModbusFrame.h"
#include "monitor/MonitorTable.h"
#include "monitor/ReadPlan.h"
#include "text/TextCatalog.h"

#include <QtTest>

using ModbusFrame::ReplyStatus;

Q_DECLARE_METATYPE(ReplyStatus)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QString rangesText(const QVector<ReadRange> &ranges)
{
    QStringList parts;
    for (const ReadRange &r : ranges)
        parts.append(QStringLiteral("%1+%2").arg(r.start).arg(r.count));
    return parts.join(QLatin1Char(' '));
}

QVector<int> span(int first, int last)
{
    QVector<int> all;
    for (int a = first; a <= last; ++a)
        all.append(a);
    return all;
}

} // namespace

class TestModbusFrame : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encode();
    void parse_data();
    void parse();
    void parseGrowing();
    void plan_data();
    void plan();
    void tableMarks();
    void tableTexts();
    void textsInEveryLanguage_data();
    void textsInEveryLanguage();
};

void TestModbusFrame::encode()
{
    // Transaction 0x1234, protocol 0, length 6, unit 0x11, function 4, start 65535, count 1.
    QCOMPARE(ModbusFrame::encode({0x1234, 0x11, 4, 65535, 1}), hex("1234 0000 0006 11 04 ffff 0001"));
    QCOMPARE(ModbusFrame::encode({0, 1, 3, 0, 125}), hex("0000 0000 0006 01 03 0000 007d"));
}

void TestModbusFrame::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReplyStatus>("status");
    QTest::addColumn<QString>("values"); // Values: the registers; Exception: the code; Malformed: part of the problem
    // Every row answers transaction 7, unit 1, function 3, two registers.
    QTest::newRow("values") << hex("0007 0000 0007 01 03 04 1234 ffff") << ReplyStatus::Values << "4660 65535";
    QTest::newRow("values, more bytes behind") << hex("0007 0000 0007 01 03 04 1234 ffff 00") << ReplyStatus::Values
                                               << "4660 65535";
    QTest::newRow("exception") << hex("0007 0000 0003 01 83 02") << ReplyStatus::Exception << "2";
    QTest::newRow("header only") << hex("0007 0000 0007 01") << ReplyStatus::Incomplete << "";
    QTest::newRow("cut in the data") << hex("0007 0000 0007 01 03 04 1234 ff") << ReplyStatus::Incomplete << "";
    QTest::newRow("cut exception") << hex("0007 0000 0003 01 83") << ReplyStatus::Incomplete << "";
    QTest::newRow("wrong transaction") << hex("0008 0000 0007 01 03 04 1234 ffff") << ReplyStatus::Malformed
                                       << "transaction 8";
    QTest::newRow("wrong protocol") << hex("0007 0001 0007 01 03 04 1234 ffff") << ReplyStatus::Malformed
                                    << "protocol 1";
    QTest::newRow("wrong unit") << hex("0007 0000 0007 02 03 04 1234 ffff") << ReplyStatus::Malformed << "unit 2";
    QTest::newRow("wrong function") << hex("0007 0000 0007 01 04 04 1234 ffff") << ReplyStatus::Malformed
                                    << "function 4";
    QTest::newRow("exception of another function") << hex("0007 0000 0003 01 84 02") << ReplyStatus::Malformed
                                                   << "function 132";
    QTest::newRow("too few registers") << hex("0007 0000 0005 01 03 02 1234") << ReplyStatus::Malformed
                                       << "2 data bytes instead of 4";
    QTest::newRow("too many registers") << hex("0007 0000 0009 01 03 06 1234 ffff 0000") << ReplyStatus::Malformed
                                        << "6 data bytes instead of 4";
    QTest::newRow("length longer than the data") << hex("0007 0000 0009 01 03 04 1234 ffff 0000")
                                                 << ReplyStatus::Malformed << "length 9 instead of 7";
    QTest::newRow("length beyond any frame") << hex("0007 0000 00ff 01 03 04") << ReplyStatus::Malformed
                                             << "length 255";
    QTest::newRow("length zero") << hex("0007 0000 0000 01") << ReplyStatus::Malformed << "length 0";
    QTest::newRow("long exception") << hex("0007 0000 0004 01 83 02 00") << ReplyStatus::Malformed
                                    << "exception answer of length 4";
}

void TestModbusFrame::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReplyStatus, status);
    QFETCH(QString, values);
    const ModbusFrame::ReadRequest request{7, 1, 3, 100, 2};
    const ModbusFrame::Reply reply = ModbusFrame::parse(bytes, request);
    QCOMPARE(reply.status, status);
    switch (status) {
    case ReplyStatus::Values: {
        QStringList got;
        for (quint16 v : reply.values)
            got.append(QString::number(v));
        QCOMPARE(got.join(QLatin1Char(' ')), values);
        QCOMPARE(reply.size, 13);
        break;
    }
    case ReplyStatus::Exception:
        QCOMPARE(QString::number(reply.exceptionCode), values);
        QCOMPARE(reply.size, 9);
        break;
    case ReplyStatus::Malformed:
    {
        const QString text =
            MonitorTable::errorText({MonitorError::Malformed, 0, QString(), reply.problem}, TextCatalog::english());
        QVERIFY2(text.contains(values), qPrintable(text));
    }
        break;
    case ReplyStatus::Incomplete:
        break;
    }
}

void TestModbusFrame::parseGrowing()
{
    // An answer of 125 registers as a socket may hand it over: incomplete at every cut, whole at the end.
    const ModbusFrame::ReadRequest request{0xffff, 0xf7, 4, 0, 125};
    QByteArray frame = hex("ffff 0000 00fd f7 04 fa");
    for (int i = 0; i < 125; ++i)
        frame += char(i) + QByteArray(1, char(0x80));
    QCOMPARE(frame.size(), 259);
    for (int cut = 0; cut < frame.size(); ++cut)
        QCOMPARE(ModbusFrame::parse(frame.left(cut), request).status, ReplyStatus::Incomplete);
    const ModbusFrame::Reply reply = ModbusFrame::parse(frame, request);
    QCOMPARE(reply.status, ReplyStatus::Values);
    QCOMPARE(reply.values.size(), 125);
    QCOMPARE(reply.values.last(), quint16(124 * 256 + 0x80));
}

void TestModbusFrame::plan_data()
{
    QTest::addColumn<QVector<int>>("addresses");
    QTest::addColumn<QString>("ranges");
    QTest::newRow("none") << QVector<int>{} << "";
    QTest::newRow("one run, unordered, repeated") << QVector<int>{5, 3, 4, 4, 3} << "3+3";
    QTest::newRow("125 in one") << span(0, 124) << "0+125";
    QTest::newRow("126 in two") << span(0, 125) << "0+125 125+1";
    QTest::newRow("gap of 16 read across") << QVector<int>{10, 27} << "10+18";
    QTest::newRow("gap of 17 skipped") << QVector<int>{10, 28} << "10+1 28+1";
    QTest::newRow("gap that saves nothing is skipped") << (span(0, 119) + span(130, 135)) << "0+120 130+6";
    QTest::newRow("gap read across where it saves a request") << (span(0, 99) + span(110, 124)) << "0+125";
    // Two requests either way: the plan that reads 120 registers, not the one that reads 126.
    QTest::newRow("as many requests, fewer registers") << (span(0, 100) + span(107, 125)) << "0+101 107+19";
    QTest::newRow("the last register") << QVector<int>{65535, 65534, 65530} << "65530+6";
    QTest::newRow("last 126 registers") << span(65410, 65535) << "65410+125 65535+1";
    QTest::newRow("out of range left out") << QVector<int>{-1, 65536, 7} << "7+1";
    QTest::newRow("both ends") << QVector<int>{0, 65535} << "0+1 65535+1";
}

void TestModbusFrame::plan()
{
    QFETCH(QVector<int>, addresses);
    QFETCH(QString, ranges);
    const QVector<ReadRange> planned = ReadPlan::plan(addresses);
    QCOMPARE(rangesText(planned), ranges);
    for (const ReadRange &r : planned) {
        QVERIFY(r.count >= 1 && r.count <= ModbusFrame::MaxRegistersPerRead);
        QVERIFY(r.last() <= 65535);
    }
}

void TestModbusFrame::tableMarks()
{
    ModbusMap map;
    map.appendSlave(QStringLiteral("3"), 0, 4, QStringLiteral("valve"));
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("12"), 1, 2});
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("10"), 0, 3});
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("no"), 4, 0});
    MonitorTable table;
    table.build(map, 11);
    // The state register first, then by address; a row without a register number cannot be read.
    QCOMPARE(table.rows().size(), 4);
    QCOMPARE(table.rows().at(0).address, 11);
    QVERIFY(table.rows().at(0).isState());
    QCOMPARE(table.rows().at(1).address, -1);
    QCOMPARE(table.rows().at(1).error.kind, MonitorError::NoRegister);
    QCOMPARE(table.addresses(), QVector<int>({10, 11, 12}));

    table.applyValues(10, {1, 2, 3});
    const MonitorRow &state = table.rows().at(0);
    const MonitorRow &r10 = table.rows().at(2);
    const MonitorRow &r12 = table.rows().at(3);
    QCOMPARE(r12.value, quint16(3));
    QVERIFY(!r12.changed && !r12.old);

    // A value unlike the last poll's is marked; one like it is not.
    table.applyValues(10, {1, 2, 4});
    QVERIFY(r12.changed);
    QVERIFY(!r10.changed);
    // An error keeps the last good value, marked as old.
    table.applyError({11, 2}, {MonitorError::Timeout, 0, QString(), {}});
    QCOMPARE(r12.value, quint16(4));
    QVERIFY(r12.old && !r12.changed);
    QCOMPARE(r12.error.kind, MonitorError::Timeout);
    QVERIFY(state.old);
    QVERIFY(!r10.old);
    QCOMPARE(r10.error.kind, MonitorError::None);
    // The next answer makes it fresh again.
    table.applyValues(12, {4});
    QVERIFY(!r12.old && !r12.changed);
    QCOMPARE(r12.error.kind, MonitorError::None);
    QCOMPARE(table.takeTouched(), (QVector<QPair<int, int>>{{0, 0}, {2, 3}}));
    QVERIFY(table.takeTouched().isEmpty());
    QCOMPARE(MonitorTable::stateWord(r12), QStringLiteral("ok"));
    table.applyError({12, 1}, {MonitorError::Lost, 0, QString(), {}});
    QCOMPARE(MonitorTable::stateWord(r12), QStringLiteral("old"));
    QCOMPARE(MonitorTable::stateWord(table.rows().at(1)), QStringLiteral("error"));

    // Another device asked: nothing of the last one stays, and the row without a register says so still.
    table.clearValues();
    for (const MonitorRow &row : table.rows()) {
        QVERIFY(!row.hasValue && !row.old && !row.changed);
        QCOMPARE(row.error.kind, row.address < 0 ? MonitorError::NoRegister : MonitorError::None);
        QCOMPARE(MonitorTable::hexText(row), QString());
    }
    QCOMPARE(table.takeTouched(), (QVector<QPair<int, int>>{{0, 3}}));
}

void TestModbusFrame::tableTexts()
{
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    MonitorRow row;
    row.page = ModbusMap::Read;
    row.slave = 0;
    row.address = 65535;
    row.hiPart = 3;
    row.hasValue = true;
    row.value = 0xA50F;
    QCOMPARE(MonitorTable::referenceText(row, 3), QStringLiteral("465536"));
    QCOMPARE(MonitorTable::referenceText(row, 4), QStringLiteral("365536"));
    QCOMPARE(MonitorTable::hexText(row), QStringLiteral("0xA50F"));
    QCOMPARE(MonitorTable::decimalText(row), QStringLiteral("42255"));
    QCOMPARE(MonitorTable::byteValueText(row, true), QStringLiteral("165"));
    QCOMPARE(MonitorTable::byteValueText(row, false), QString()); // the low half carries no byte
    QCOMPARE(MonitorTable::partText(3, catalog), QStringLiteral("Byte 3"));
    QCOMPARE(MonitorTable::partText(0, catalog), QStringLiteral("None"));
    row.slave = -1; // the state register, in binary
    QCOMPARE(MonitorTable::byteValueText(row, true), QStringLiteral("10100101"));
    QCOMPARE(MonitorTable::byteValueText(row, false), QStringLiteral("00001111"));
    QCOMPARE(MonitorTable::errorText({MonitorError::Exception, 2, QString(), {}}, catalog),
             QStringLiteral("Exception 02: ILLEGAL DATA ADDRESS"));
    QCOMPARE(MonitorTable::errorText({MonitorError::Exception, 0x0B, QString(), {}}, catalog),
             QStringLiteral("Exception 0B: GATEWAY TARGET DEVICE FAILED TO RESPOND"));
    QCOMPARE(MonitorTable::errorText({MonitorError::Exception, 0x42, QString(), {}}, catalog),
             QStringLiteral("Exception 42: unknown exception"));
    QCOMPARE(MonitorTable::errorText({MonitorError::ConnectTimeout, 2000, QString(), {}}, catalog),
             QStringLiteral("No connection within 2 s"));
    QCOMPARE(MonitorTable::errorText({MonitorError::ConnectTimeout, 300, QString(), {}}, catalog),
             QStringLiteral("No connection within 0.3 s"));
}

void TestModbusFrame::textsInEveryLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("exception"); // exception 02
    QTest::addColumn<QString>("malformed"); // an answer of transaction 18516 to request 3
    QTest::newRow("English") << "English" << "Exception 02: ILLEGAL DATA ADDRESS"
                             << "The answer does not fit the request: transaction 18516 instead of 3";
    QTest::newRow("Deutsch") << "Deutsch" << "Ausnahme 02: UNZULÄSSIGE DATENADRESSE"
                             << "Die Antwort passt nicht zur Anfrage: Transaktion 18516 statt 3";
    QTest::newRow("Français") << "Français" << "Exception 02 : ADRESSE DE DONNÉES ILLÉGALE"
                              << "La réponse ne correspond pas à la requête : transaction 18516 au lieu de 3";
    QTest::newRow("Español") << "Español" << "Excepción 02: DIRECCIÓN DE DATOS NO VÁLIDA"
                             << "La respuesta no corresponde a la petición: transacción 18516 en lugar de 3";
    QTest::newRow("Italiano") << "Italiano" << "Eccezione 02: INDIRIZZO DATI NON VALIDO"
                              << "La risposta non corrisponde alla richiesta: transazione 18516 invece di 3";
}

void TestModbusFrame::textsInEveryLanguage()
{
    // The lead and the details after it in the shipped language: what the parser found is no English
    // sentence of its own.
    QFETCH(QString, language);
    QFETCH(QString, exception);
    QFETCH(QString, malformed);
    TextCatalog catalog;
    QString loaded = language;
    catalog.LoadLanguage(loaded, QStringLiteral(SW_SOURCE_DIR "/lang"));
    QCOMPARE(loaded, language);
    QCOMPARE(MonitorTable::errorText({MonitorError::Exception, 2, QString(), {}}, catalog), exception);
    const ModbusFrame::Reply reply =
        ModbusFrame::parse(hex("4854 0000 0007 01 03 04 1234 ffff"), ModbusFrame::ReadRequest{3, 1, 3, 100, 2});
    QCOMPARE(reply.status, ReplyStatus::Malformed);
    QCOMPARE(MonitorTable::errorText({MonitorError::Malformed, 0, QString(), reply.problem}, catalog), malformed);
}

QTEST_GUILESS_MAIN(TestModbusFrame)
#include "tst_modbusframe.moc"
