#include "ConfigurationReportWriter.h"

#include "ReportPdf.h"
#include "app/AppContext.h"
#include "base/SafeFile.h"
#include "report/ConfigurationReport.h"
#include "report/ReportHtml.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

namespace {

// The busy cursor while the largest map's report is made, taken back on every way out.
struct BusyCursor
{
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

ConfigurationReportWriter::ConfigurationReportWriter(AppContext &context, QWidget &window)
    : QObject(&window)
    , m_ctx(context)
    , m_window(window)
{
    setObjectName(QStringLiteral("ConfigurationReportWriter"));
}

bool ConfigurationReportWriter::isPdf(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
}

QString ConfigurationReportWriter::askFile(const QString &suggested)
{
    if (chooseFile)
        return chooseFile(suggested);
    const QString html = m_ctx.text(1795);
    const QString pdf = m_ctx.text(1796);
    QFileDialog fileDialog(&m_window, m_ctx.text(1797), suggested, html + QStringLiteral(";;") + pdf);
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.setFileMode(QFileDialog::AnyFile);
    // The chosen type gives the file its ending when the name has none.
    connect(&fileDialog, &QFileDialog::filterSelected, &fileDialog, [&](const QString &filter) {
        fileDialog.setDefaultSuffix(filter == pdf ? QStringLiteral("pdf") : QStringLiteral("html"));
    });
    fileDialog.setDefaultSuffix(QStringLiteral("html"));
    if (fileDialog.exec() != QDialog::Accepted)
        return QString();
    return fileDialog.selectedFiles().value(0);
}

void ConfigurationReportWriter::writeReport()
{
    const QString suggested =
        joinPath(m_ctx.paths.ProjectFolder, ConfigurationReport::defaultFileName(m_ctx.paths.ProjectName));
    const QString chosen = askFile(suggested);
    if (chosen.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(chosen);
    if (ConfigurationReport::overwritesConfiguration(m_ctx.paths, path)) {
        m_ctx.messages->error(m_ctx.text(1808).arg(path));
        return;
    }
    {
        const BusyCursor busy;
        const ReportContent report = ConfigurationReport::build(m_ctx.paths, m_ctx.catalog);
        SafeFile::write(path, isPdf(path) ? ReportPdf::render(report).bytes : ReportHtml::render(report).toUtf8());
    }
    if (m_ctx.messages->question(m_ctx.text(1798).arg(path)) && m_ctx.platform.urlOpener)
        m_ctx.platform.urlOpener->open(QUrl::fromLocalFile(QDir::fromNativeSeparators(path)).toString());
}
