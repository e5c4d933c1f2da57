// The configuration report from the command line: the same content and files as the main window's
// "Report..." button.
#include "Cli.h"
#include "Commands.h"

#include "ReportPdf.h"
#include "base/AppError.h"
#include "base/SafeFile.h"
#include "report/ConfigurationReport.h"
#include "report/ReportHtml.h"
#include "text/TextCatalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Cli {

namespace {

void reportHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli report PROJECT_FOLDER [--pdf] [-o FILE] [--language NAME]\n\n"
              "Writes the configuration report for the plant's documentation, made from the saved documents:\n"
              "the configuration and the state of its device images, the communication settings, the DeviceNet\n"
              "slave list, the register map of both pages with the reference numbers a PLC reads (400001 and\n"
              "300001 plus the index) and the totals. What the compile would refuse is listed first.\n"
              "The report is one HTML file, written to standard output, or to FILE with -o; --pdf writes a\n"
              "PDF instead and needs -o. --language takes a language file's name (Deutsch) from the\n"
              "workspace's or the program's LANGUAGE folder, or the path of a .lng file; English otherwise.\n\n"
              "Exit codes: 0 written, 1 a document could not be read or the file not written, 2 wrong usage.\n";
}

struct Options
{
    QString project;
    QString output;
    QString language;
    bool pdf = false;
};

// False on wrong usage.
bool parse(const QStringList &args, Options &options)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--pdf")) {
            options.pdf = true;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--language")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return false;
            (arg == QLatin1String("-o") ? options.output : options.language) = args.at(++i);
        } else if (arg.startsWith(QLatin1Char('-')) || !options.project.isEmpty()) {
            return false;
        } else {
            options.project = arg;
        }
    }
    return !options.project.isEmpty() && (!options.pdf || !options.output.isEmpty());
}

// The language file a name stands for: a path as given, else NAME.lng in the workspace that holds the
// configuration (PROJECTS' sibling LANGUAGE), else beside the program. Empty when none is found.
QString languageFile(const QString &name, const QString &projectFolder)
{
    if (QFileInfo(name).isFile())
        return name;
    const QString file = name + QStringLiteral(".lng");
    const QStringList folders{QDir(projectFolder).filePath(QStringLiteral("../../LANGUAGE")),
                              QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("LANGUAGE"))};
    for (const QString &folder : folders) {
        const QString path = QDir::cleanPath(QDir(folder).filePath(file));
        if (QFileInfo(path).isFile())
            return QDir::toNativeSeparators(path);
    }
    return QString();
}

} // namespace

int reportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        reportHelp(out);
        return Ok;
    }
    Options options;
    if (!parse(args, options)) {
        if (options.pdf && options.output.isEmpty())
            err << "--pdf needs -o FILE: a PDF is not written to standard output.\n\n";
        reportHelp(err);
        return Usage;
    }
    if (!QFileInfo(options.project).isDir()) {
        err << "Not a configuration folder: " << options.project << "\n";
        return Failed;
    }
    const WorkspacePaths paths = ConfigurationReport::pathsOf(options.project);

    TextCatalog catalog = TextCatalog::english();
    if (!options.language.isEmpty() && options.language != QLatin1String("English")) {
        const QString file = languageFile(options.language, paths.ProjectFolder);
        if (file.isEmpty()) {
            err << "No language file " << options.language << ".lng in the workspace's or the program's LANGUAGE folder\n";
            return Failed;
        }
        catalog.LoadLanguageFile(file);
    }

    if (!options.output.isEmpty() && ConfigurationReport::overwritesConfiguration(paths, options.output)) {
        err << TextCatalog::english().text(1808).arg(QDir::toNativeSeparators(options.output)) << "\n";
        return Failed;
    }
    try {
        const ReportContent report = ConfigurationReport::build(paths, catalog);
        if (options.pdf) {
            SafeFile::write(options.output, ReportPdf::render(report).bytes);
        } else {
            const QString html = ReportHtml::render(report);
            if (options.output.isEmpty())
                out << html;
            else
                SafeFile::write(options.output, html.toUtf8());
        }
        if (!options.output.isEmpty())
            out << QDir::toNativeSeparators(QFileInfo(options.output).absoluteFilePath()) << "\n";
        return Ok;
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
}

} // namespace Cli
