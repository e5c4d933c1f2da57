// Times the configuration report of the largest configuration the editors accept (63 slaves, 6144 read
// and 6144 write registers): reading the documents and making the HTML, and the same with the PDF, as the
// main window's button and `SW40917-cli report` make them. Prints the sizes and the PDF's page count.
// Usage: bench_report [ROUNDS] [FOLDER_TO_KEEP_THE_FILES_IN]
#include "BenchSupport.h"
#include "ReportPdf.h"
#include "ReportSupport.h"
#include "documents/ParGenDocument.h"
#include "image/CompileDriver.h"
#include "report/ConfigurationReport.h"
#include "report/ReportHtml.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    Bench::Workspace ws;
    const WorkspacePaths &paths = ws.ctx.paths;
    ReportSupport::writeLargest(paths.ProjectFolder);
    ParGenDocument::save(ParGenDocument::missingFileValues(), paths.ParGenPath);
    // Compiled images, so that their hashes are part of the work.
    CompileDeviceImages(paths);

    QString html;
    ReportPdf::Result pdf;
    const auto htmlTimes = Bench::measure(rounds, [&] {
        html = ReportHtml::render(ConfigurationReport::build(paths, ws.ctx.catalog));
    });
    const auto pdfTimes = Bench::measure(rounds, [&] {
        pdf = ReportPdf::render(ConfigurationReport::build(paths, ws.ctx.catalog));
    });
    const QByteArray htmlBytes = html.toUtf8();
    const ReportContent content = ConfigurationReport::build(paths, ws.ctx.catalog);
    const auto buildTimes = Bench::measure(rounds, [&] { ConfigurationReport::build(paths, ws.ctx.catalog); });
    const auto renderTimes = Bench::measure(rounds, [&] { html = ReportHtml::render(content); });
    const auto paintTimes = Bench::measure(rounds, [&] { pdf = ReportPdf::render(content); });

    QTextStream out(stdout);
    out << "largest configuration: 63 slaves, 6144 + 6144 registers, " << rounds << " rounds\n";
    out << "HTML (documents read, report built and rendered): " << Bench::summary(htmlTimes) << ", "
        << htmlBytes.size() << " bytes\n";
    out << "PDF  (documents read, report built and painted):  " << Bench::summary(pdfTimes) << ", "
        << pdf.bytes.size() << " bytes, " << pdf.pages << " pages\n";
    out << "  of which reading the documents and building the content: " << Bench::summary(buildTimes) << "\n";
    out << "  of which the HTML text: " << Bench::summary(renderTimes) << "\n";
    out << "  of which the PDF's painting: " << Bench::summary(paintTimes) << "\n";
    if (argc > 2) {
        for (const auto &[name, bytes] : {std::pair{QStringLiteral("largest-report.html"), htmlBytes},
                                          std::pair{QStringLiteral("largest-report.pdf"), pdf.bytes}}) {
            QFile f(QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') + name);
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        }
    }
    return 0;
}
