// Times the EDS reader on files at its size cap (8 MiB), each case in a process of its own so that its
// peak memory is its own: two million repeated entries (a warning each), as many distinct entries in
// a section the rule does not read and in [IO_Info], a long [IO_Info] of InputN entries, a million
// sections, and a data sheet of a real size for comparison. Build it in Release to measure.
//
// Usage: bench_eds [CASE]   (without CASE: every case, each in a child process)

#include "BenchSupport.h"
#include "eds/EdsFile.h"
#include "text/TextCatalog.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

constexpr int Rounds = 3;

const QByteArray Head = "[Device]\nVendCode = 1;\nProdName = \"Bench\";\n"
                        "[IO_Info]\nDefault = 0x0001;\nPollInfo = 0x0001, 1, 1;\n"
                        "Input1 = 10, 0, 0x0001, \"In\";\nOutput1 = 6, 0, 0x0001, \"Out\";\n";

// Lines from make(i) after the head until the file is at the cap.
template <typename F> QByteArray fill(const QByteArray &head, F make)
{
    QByteArray bytes = head;
    bytes.reserve(Eds::MaxFileSize);
    for (qint64 i = 1;; ++i) {
        const QByteArray line = make(i);
        if (bytes.size() + line.size() > Eds::MaxFileSize)
            break;
        bytes += line;
    }
    return bytes;
}

QByteArray caseBytes(const QString &name)
{
    if (name == QLatin1String("repeated"))
        return fill(Head, [](qint64) { return QByteArray("a=;\n"); });
    if (name == QLatin1String("distinct"))
        return fill(Head + "[Params]\n", [](qint64 i) { return "P" + QByteArray::number(i) + "=;\n"; });
    if (name == QLatin1String("io-distinct"))
        return fill(Head, [](qint64 i) { return "P" + QByteArray::number(i) + "=;\n"; });
    if (name == QLatin1String("sections"))
        return fill(Head, [](qint64 i) { return "[S" + QByteArray::number(i) + "]\n"; });
    if (name == QLatin1String("io-entries"))
        return fill(Head, [](qint64 i) {
            return "Input" + QByteArray::number(i + 1) + " = " + QByteArray::number(i % 400) + ", 0, 0x0001, \"E\";\n";
        });
    if (name == QLatin1String("sheet")) {
        // About 200 kB of parameters, as a drive's data sheet has.
        QByteArray bytes = Head + "[Params]\n";
        for (int i = 1; i <= 1500; ++i)
            bytes += "Param" + QByteArray::number(i) +
                     " = 0, 6, \"20 0F 24 01 30 01\", 0x0000, 0xC7, 2, \"Speed\", "
                     "\"rpm\", \"Motor speed reference\", 0, 6000, 1500, 1, 1, 1, 0, 0, 0, 0, 0;\n";
        return bytes;
    }
    return QByteArray();
}

const QStringList Cases = {QStringLiteral("repeated"),   QStringLiteral("distinct"), QStringLiteral("io-distinct"),
                           QStringLiteral("io-entries"), QStringLiteral("sections"), QStringLiteral("sheet")};

// The process's peak resident memory in MiB, where the system tells it.
QString peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("n/a");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::number(line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024) +
                   QStringLiteral(" MiB");
    }
    return QStringLiteral("n/a");
}

int runCase(const QString &name, QTextStream &out)
{
    const QByteArray bytes = caseBytes(name);
    if (bytes.isEmpty()) {
        out << "unknown case " << name << "\n";
        return 2;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.eds"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();
    const TextCatalog &catalog = TextCatalog::english();
    Eds::Result result;
    const std::vector<Bench::Sample> samples = Bench::measure(Rounds, [&] { result = Eds::readFile(path, catalog); });
    qint64 warningBytes = 0;
    for (const QString &w : result.warnings)
        warningBytes += w.toUtf8().size() + 1;
    out << name << ": " << bytes.size() << " bytes, " << Bench::summary(samples) << ", peak memory " << peakMemory()
        << ", " << (result.device ? QStringLiteral("N Byte IN = %1").arg(result.device->inputBytes()) : result.error)
        << ", " << result.warnings.size() << " warning lines (" << warningBytes << " bytes)\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty())
        return runCase(args.first(), out);
    int status = 0;
    for (const QString &name : Cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {name});
        child.waitForFinished(-1);
        status |= child.exitCode();
    }
    return status;
}
