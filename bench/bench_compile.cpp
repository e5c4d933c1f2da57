// Times `SW40917-cli compile` on the largest configuration the editors accept (63 slaves, 6000 bytes
// each way, 6144 read and 6144 write registers) against `xmllint --noout` on the same three documents.
// Paired runs (compile, xmllint, compile, ...): medians of wall time, CPU time and peak memory, and of the
// per-pair ratios.
// Usage: bench_compile [RUNS] [PATH_TO_SW40917-cli] [FOLDER_TO_KEEP_THE_PROJECT_IN]
#include "ProcessRuns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

const QByteArray kVersion = "<!--SW_VERSION = 2.004-->\n";

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Byte counts of the 63 slaves: 6000 in all, each within the editor's 0..455.
std::vector<int> byteCounts()
{
    std::vector<int> counts(63, 95);
    counts.back() = 6000 - 62 * 95;
    return counts;
}

void makeProject(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/bin"));
    write(folder + QStringLiteral("/ParGen.xml"),
          "<Par_Gen><Device_Type>1</Device_Type><DNET_DEV_ID>10</DNET_DEV_ID><DNET_BAUD>2</DNET_BAUD>"
          "<DNET_INTERSCAN_DELAY>0</DNET_INTERSCAN_DELAY><MTCPs_IP1>192</MTCPs_IP1><MTCPs_IP2>168</MTCPs_IP2>"
          "<MTCPs_IP3>0</MTCPs_IP3><MTCPs_IP4>10</MTCPs_IP4><MTCPs_SUB1>255</MTCPs_SUB1><MTCPs_SUB2>255</MTCPs_SUB2>"
          "<MTCPs_SUB3>255</MTCPs_SUB3><MTCPs_SUB4>0</MTCPs_SUB4><MTCPs_EN_GAT>0</MTCPs_EN_GAT>"
          "<MTCPs_GAT1>192</MTCPs_GAT1><MTCPs_GAT2>168</MTCPs_GAT2><MTCPs_GAT3>0</MTCPs_GAT3><MTCPs_GAT4>1</MTCPs_GAT4>"
          "<MTCPs_PORT>502</MTCPs_PORT><MTCPs_DN_State>0</MTCPs_DN_State></Par_Gen>" +
              kVersion);

    const std::vector<int> counts = byteCounts();
    QByteArray slaves = "<DNET_Net>";
    for (size_t i = 0; i < counts.size(); ++i)
        slaves += QStringLiteral("<row ID=\"%1\" NB_IN=\"%2\" NB_OUT=\"%2\" Mnemonic=\"Slave %1\"/>")
                      .arg(i + 1)
                      .arg(counts[i])
                      .toUtf8();
    write(folder + QStringLiteral("/DNET_Net.xml"), slaves + "</DNET_Net>" + kVersion);

    // 6144 registers per page spread over the slaves, each carrying up to two of its bytes.
    QByteArray map = "<InfoMod>";
    int index = 0;
    for (const char *section : {"Modbus_Read", "Modbus_Write"}) {
        map += QByteArray("<") + section + ">";
        int made = 0;
        for (size_t slave = 0; slave < counts.size() && made < 6144; ++slave) {
            const int perSlave = slave + 1 == counts.size() ? 6144 - made : 6144 / 63;
            for (int r = 0; r < perSlave; ++r, ++made) {
                const int lo = (2 * r) % counts[slave] + 1;
                const int hi = (2 * r + 1) % counts[slave] + 1;
                map += QStringLiteral("<row Index=\"%1\" NrDNNode=\"%2\" PosComp=\"%3\"/>")
                           .arg(index++)
                           .arg(slave + 1)
                           .arg(hi * 65536 + lo)
                           .toUtf8();
            }
        }
        map += QByteArray("</") + section + ">";
    }
    write(folder + QStringLiteral("/DefReg.xml"), map + "</InfoMod>" + kVersion);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args.at(1).toInt() : 21;
    const QString cli = args.size() > 2
                            ? args.at(2)
                            : QCoreApplication::applicationDirPath() + QStringLiteral("/../program/SW40917-cli");

    QTemporaryDir dir;
    const QString folder = args.size() > 3 ? args.at(3) : dir.filePath(QStringLiteral("Largest"));
    makeProject(folder);
    const QStringList documents = {folder + QStringLiteral("/ParGen.xml"), folder + QStringLiteral("/DNET_Net.xml"),
                                   folder + QStringLiteral("/DefReg.xml")};

    out << "documents: DefReg.xml " << QFileInfo(documents[2]).size() << " bytes, 12288 registers, 63 slaves\n";
    Bench::comparePaired(out, {QStringLiteral("SW40917-cli compile"), cli, {QStringLiteral("compile"), folder}, {}},
                         {QStringLiteral("xmllint --noout"), QStringLiteral("xmllint"),
                          QStringList{QStringLiteral("--noout")} + documents, {}},
                         runs);
    return 0;
}
