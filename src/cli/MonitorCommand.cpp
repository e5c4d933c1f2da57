// The register monitor from the command line: reads every mapped register from the converter and
// prints the table once, or after every poll until interrupted. Only read requests are sent.
#include "Cli.h"
#include "Commands.h"

#include "PlatformServices.h"
#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "base/WorkspacePaths.h"
#include "monitor/MonitorSource.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace Cli {

namespace {

// Set by Ctrl+C while the monitor polls on; the event loop looks at it, as nothing else may be done
// inside a signal handler.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

void monitorHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli monitor PROJECT_FOLDER [--host H] [--port P] [--unit N] [--function 3|4]\n"
              "                           [--period MS] [--once] [--csv]\n\n"
              "Reads every register of both pages of the saved register map, and the slave-state register of\n"
              "the communication settings, from the converter over Modbus TCP, and prints one line per register:\n"
              "page, index (the 0-based address on the wire), reference (400001 + index with function 3,\n"
              "300001 + index with function 4), slave, high and low byte, the value, and the error when the\n"
              "device gave none. Address and port come from ParGen.xml unless --host and --port are given; the\n"
              "unit identifier is 1 and the function 3 (read holding registers) unless told otherwise. Without\n"
              "--once it polls every --period milliseconds (default 1000, 100 to 60000) until interrupted\n"
              "(Ctrl+C), and the exit status is that of the last poll.\n"
              "With --csv each table is CSV under the header\n"
              "page,index,reference,slave,high byte,low byte,value,error,state\n"
              "where state is ok (the value of the last poll), old (the value of an earlier poll: the last\n"
              "one brought the error) or error (no value).\n"
              "Connecting may take as long as an answer (2 s); nothing written to standard output that\n"
              "cannot be ends the command.\n"
              "Nothing is ever written to the device.\n\n"
              "Exit codes: 0 every request was answered, 1 some request was not (or a document could not be\n"
              "read), 2 wrong usage.\n";
}

QString csvField(const QString &value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvPage(const MonitorRow &row)
{
    if (row.isState())
        return QStringLiteral("state");
    return row.page == ModbusMap::Read ? QStringLiteral("read") : QStringLiteral("write");
}

QString csvTable(const MonitorTable &table, int function, const TextCatalog &texts)
{
    QString out = QStringLiteral("page,index,reference,slave,high byte,low byte,value,error,state\n");
    for (const MonitorRow &row : table.rows()) {
        const QString address = row.address >= 0 ? QString::number(row.address) : QString();
        const QString high = row.isState() || row.hiPart == 0 ? QString() : QString::number(row.hiPart);
        const QString low = row.isState() || row.loPart == 0 ? QString() : QString::number(row.loPart);
        const QStringList fields{csvPage(row),
                                 address,
                                 MonitorTable::referenceText(row, function),
                                 row.isState() ? QString() : table.map().slave(row.slave).ID,
                                 high,
                                 low,
                                 MonitorTable::decimalText(row),
                                 MonitorTable::errorText(row.error, texts),
                                 MonitorTable::stateWord(row)};
        QStringList quoted;
        for (const QString &f : fields)
            quoted.append(csvField(f));
        out += quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

QString plainTable(const MonitorTable &table, int function, const TextCatalog &texts)
{
    // The window's columns; the state register's two bytes in binary under the byte values.
    QVector<QStringList> lines;
    QStringList header;
    for (int index = 1568; index <= 1578; ++index)
        header.append(texts.text(index));
    lines.append(header);
    for (const MonitorRow &row : table.rows()) {
        const bool state = row.isState();
        QString error = MonitorTable::errorText(row.error, texts);
        if (row.old && !error.isEmpty())
            error = texts.text(1645).arg(error);
        lines.append({MonitorTable::pageText(row, texts),
                      row.address >= 0 ? QString::number(row.address) : QString(),
                      MonitorTable::referenceText(row, function),
                      table.slaveText(row),
                      state ? QString() : MonitorTable::partText(row.hiPart, texts),
                      state ? QString() : MonitorTable::partText(row.loPart, texts),
                      MonitorTable::hexText(row),
                      MonitorTable::decimalText(row),
                      MonitorTable::byteValueText(row, true),
                      MonitorTable::byteValueText(row, false),
                      error});
    }
    QVector<int> widths(lines.first().size(), 0);
    for (const QStringList &line : lines)
        for (int c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], int(line.at(c).size()));
    QString out;
    for (const QStringList &line : lines) {
        QString l;
        for (int c = 0; c < line.size(); ++c)
            l += line.at(c).leftJustified(c + 1 < line.size() ? widths[c] + 2 : 0);
        out += l.trimmed() + QLatin1Char('\n');
    }
    return out;
}

QString summaryLine(const PollSummary &summary, const TextCatalog &texts)
{
    const QString answered = summary.answeredText(texts);
    // Nothing came back at all: there is no answer to speak of, only why.
    if (answered.isEmpty())
        return MonitorTable::errorText(summary.failure, texts);
    if (summary.failure.kind != MonitorError::None)
        return answered + QStringLiteral("; ") + MonitorTable::errorText(summary.failure, texts);
    return answered;
}

// The value of an option, or nothing when the option is absent. Wrong usage when it has no value.
bool takeOption(QStringList &args, const QString &name, QString *value, bool *usageError)
{
    const int at = int(args.indexOf(name));
    if (at < 0)
        return false;
    if (at + 1 >= args.size()) {
        *usageError = true;
        return false;
    }
    *value = args.at(at + 1);
    args.remove(at, 2);
    if (args.contains(name))
        *usageError = true;
    return true;
}

} // namespace

int monitorCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        monitorHelp(out);
        return Ok;
    }
    QStringList rest = args;
    const bool once = rest.removeAll(QStringLiteral("--once")) > 0;
    const bool csv = rest.removeAll(QStringLiteral("--csv")) > 0;
    bool usageError = false;
    QString host, port, unit, function, period;
    const bool hasHost = takeOption(rest, QStringLiteral("--host"), &host, &usageError);
    const bool hasPort = takeOption(rest, QStringLiteral("--port"), &port, &usageError);
    const bool hasUnit = takeOption(rest, QStringLiteral("--unit"), &unit, &usageError);
    const bool hasFunction = takeOption(rest, QStringLiteral("--function"), &function, &usageError);
    const bool hasPeriod = takeOption(rest, QStringLiteral("--period"), &period, &usageError);
    const int portValue = hasPort ? ParseIntOrDefault(port, -1) : 502;
    const int unitValue = hasUnit ? ParseIntOrDefault(unit, -1) : 1;
    const int functionValue = hasFunction ? ParseIntOrDefault(function, -1) : 3;
    const int periodValue = hasPeriod ? ParseIntOrDefault(period, -1) : 1000;
    if (usageError || rest.size() != 1 || rest.first().startsWith(QLatin1Char('-')) || (hasHost && host.isEmpty()) ||
        portValue < 1 || portValue > 65535 || unitValue < 0 || unitValue > 255 ||
        (functionValue != 3 && functionValue != 4) || periodValue < PollSettings::MinPeriodMs ||
        periodValue > PollSettings::MaxPeriodMs) {
        monitorHelp(err);
        return Usage;
    }
    const TextCatalog &texts = TextCatalog::english();
    const QFileInfo info(rest.first());
    if (!info.isDir()) {
        err << texts.text(1650).arg(rest.first()) << "\n";
        return Failed;
    }
    WorkspacePaths paths;
    paths.ProjectFolder = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    paths.ProjectName = info.fileName();
    paths.Set_Files();

    MonitorSource source;
    try {
        source = MonitorSource::load(paths);
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
    PollSettings settings = source.settings;
    if (hasHost)
        settings.host = host;
    if (hasPort)
        settings.port = quint16(portValue);
    settings.unit = quint8(unitValue);
    settings.function = functionValue;
    settings.periodMs = periodValue;

    MonitorTable table;
    table.build(source.map, source.stateRegister);
    RegisterPoller poller(createModbusTransportFactory()->create(), table);
    QEventLoop loop;
    int code = Ok;
    bool finished = false;
    QObject::connect(&poller, &RegisterPoller::pollFinished, &loop, [&](const PollSummary &summary) {
        code = summary.allAnswered() ? Ok : Failed;
        if (csv) {
            out << csvTable(table, settings.function, texts);
            err << summaryLine(summary, texts) << "\n";
        } else {
            out << plainTable(table, settings.function, texts) << summaryLine(summary, texts) << "\n";
        }
        out.flush();
        err.flush();
        // Standard output that takes no more (a full disk, a reader gone) ends the polling: Cli::run
        // says why, and the device is asked no more.
        if (out.status() != QTextStream::Ok) {
            code = Failed;
            poller.stop();
            finished = true;
            loop.quit();
            return;
        }
        if (once) {
            poller.stop();
            finished = true;
            loop.quit();
        } else if (!csv) {
            out << "\n";
        }
    });
    err << texts.text(1579).arg(settings.host).arg(settings.port) << "\n";
    err.flush();
    QTimer interruptCheck;
    void (*previous)(int) = SIG_DFL;
    if (!once) {
        interrupted = 0;
        previous = std::signal(SIGINT, onInterrupt);
        QObject::connect(&interruptCheck, &QTimer::timeout, &loop, [&] {
            if (interrupted) {
                poller.stop();
                finished = true;
                loop.quit();
            }
        });
        interruptCheck.start(50);
    }
#ifdef SIGPIPE
    // A reader that went away (monitor | head -2) is a failed write to report, not a silent end; the
    // closing flushes after the command must report it too, so it stays so.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    poller.start(settings);
    if (!finished)
        loop.exec();
    if (!once)
        std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
    return code;
}

} // namespace Cli
