#pragma once

#include "base/WorkspacePaths.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class TextCatalog;

// The configuration report as content: what the HTML text and the PDF both show, built from the saved
// documents only (never from a window's unsaved state). Every heading and column title is a catalog text.
struct ReportColumn
{
    QString title;
    int weight = 1;       // share of the table's width
    bool numeric = false; // right-aligned, never wrapped in the middle of a number
    bool freeText = false; // text typed by a user: any direction, wraps anywhere
};

struct ReportTable
{
    QVector<ReportColumn> columns;
    QVector<QStringList> rows;
    QVector<bool> marked; // per row: a register past its slave's bytes (shown as the register map shows it)
    bool lastRowIsTotal = false;

    void addRow(const QStringList &cells, bool mark = false)
    {
        rows.append(cells);
        marked.append(mark);
    }
};

// One piece of a section, in order.
struct ReportBlock
{
    enum Kind { Subheading, Paragraph, Table };
    Kind kind = Paragraph;
    QString text; // the subheading or paragraph
    ReportTable table;
};

struct ReportSection
{
    QString id; // the HTML anchor
    QString heading;
    QVector<ReportBlock> blocks;

    void subheading(const QString &text) { blocks.append({ReportBlock::Subheading, text, {}}); }
    void paragraph(const QString &text) { blocks.append({ReportBlock::Paragraph, text, {}}); }
    ReportTable &table()
    {
        blocks.append({ReportBlock::Table, QString(), {}});
        return blocks.last().table;
    }
};

struct ReportContent
{
    QString language;      // the catalog's language code for the HTML lang attribute ("en", "de", ...)
    QString title;         // "Configuration report: NAME"
    QString name;          // the configuration's name: on every PDF page
    QString problemsHeading;
    QStringList problems;  // what the compile (or the window) would refuse: shown first, in a box
    QVector<ReportSection> sections;
};

namespace ConfigurationReport {

// Builds the report of the configuration at paths.ProjectFolder from its saved documents.
// Throws AppError (naming the file) when a document cannot be read at all; what the compile would
// refuse goes into ReportContent::problems and the report is still made.
ReportContent build(const WorkspacePaths &paths, const TextCatalog &catalog,
                    const QDateTime &madeAt = QDateTime::currentDateTime());

// "Name" for a configuration folder given on the command line (the documents' paths set as a window
// sets them for the active configuration).
WorkspacePaths pathsOf(const QString &projectFolder);

// The default file name beside the documents: "<configuration>-report.html".
QString defaultFileName(const QString &configurationName);

// True when the file is one of the configuration's documents or device images: a report written there
// would replace the user's data.
bool overwritesConfiguration(const WorkspacePaths &paths, const QString &file);

// The local time with its offset from UTC, ISO 8601: 2026-12-11T09:30:00+01:00.
QString isoLocalTime(const QDateTime &time);

} // namespace ConfigurationReport
