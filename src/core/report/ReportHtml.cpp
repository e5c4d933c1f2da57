#include "ReportHtml.h"

namespace ReportHtml {

namespace {

// Printing: A4 portrait, each section on a new page, a table's header row again on every page, and
// columns of fixed shares whose text wraps, so that a long or right-to-left description never pushes
// the table past the right edge.
const char kStyle[] = R"css(
@page { size: A4 portrait; margin: 14mm 12mm 16mm 12mm; }
body { font-family: "DejaVu Sans", Arial, Helvetica, sans-serif; font-size: 10pt; color: #000; margin: 0 auto; max-width: 60em; }
h1 { font-size: 16pt; margin: 0 0 0.6em 0; }
h2 { font-size: 13pt; margin: 0 0 0.5em 0; border-bottom: 1px solid #888; }
h3 { font-size: 11pt; margin: 1em 0 0.4em 0; }
section { break-before: page; page-break-before: always; padding-top: 0.5em; }
section:first-of-type { break-before: auto; page-break-before: auto; }
table { width: 100%; table-layout: fixed; border-collapse: collapse; margin: 0 0 0.8em 0; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
th, td { border: 1px solid #999; padding: 2px 4px; text-align: start; vertical-align: top;
  overflow-wrap: anywhere; word-break: break-word; white-space: pre-wrap; }
th { background: #e8e8e8; font-size: 9pt; overflow-wrap: break-word; word-break: normal; hyphens: auto; }
td.n, th.n { text-align: right; }
td.t { unicode-bidi: plaintext; }
tr.past td { color: #b00000; }
tr.total td { font-weight: bold; }
.problems { border: 2px solid #b00000; background: #fff0f0; padding: 0.4em 0.8em; margin: 0 0 1em 0; }
.problems h2 { color: #b00000; border: none; }
.problems li { white-space: pre-wrap; overflow-wrap: anywhere; }
)css";

bool allowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void appendEscaped(QString &out, const QString &text)
{
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); continue;
        case '<': out += QLatin1String("&lt;"); continue;
        case '>': out += QLatin1String("&gt;"); continue;
        case '"': out += QLatin1String("&quot;"); continue;
        case '\'': out += QLatin1String("&#39;"); continue;
        default: break;
        }
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || !allowedInXml(c.unicode())) {
            out += QChar(QChar::ReplacementCharacter);
        } else {
            out += c;
        }
    }
}

void appendTable(QString &out, const ReportTable &table)
{
    int weights = 0;
    for (const ReportColumn &column : table.columns)
        weights += column.weight;
    out += QLatin1String("<table>\n<colgroup>");
    for (const ReportColumn &column : table.columns)
        out += QStringLiteral("<col style=\"width: %1%\"/>").arg(100.0 * column.weight / weights, 0, 'f', 2);
    out += QLatin1String("</colgroup>\n<thead><tr>");
    for (const ReportColumn &column : table.columns) {
        out += column.numeric ? QLatin1String("<th class=\"n\">") : QLatin1String("<th>");
        appendEscaped(out, column.title);
        out += QLatin1String("</th>");
    }
    out += QLatin1String("</tr></thead>\n<tbody>\n");
    const int rows = int(table.rows.size());
    for (int r = 0; r < rows; ++r) {
        if (table.marked.value(r))
            out += QLatin1String("<tr class=\"past\">");
        else if (table.lastRowIsTotal && r == rows - 1)
            out += QLatin1String("<tr class=\"total\">");
        else
            out += QLatin1String("<tr>");
        const QStringList &cells = table.rows.at(r);
        for (int c = 0; c < table.columns.size(); ++c) {
            const ReportColumn &column = table.columns.at(c);
            // A user's text takes its direction from its own first strong letter.
            out += column.numeric   ? QLatin1String("<td class=\"n\">")
                   : column.freeText ? QLatin1String("<td class=\"t\" dir=\"auto\">")
                                     : QLatin1String("<td>");
            appendEscaped(out, cells.value(c));
            out += QLatin1String("</td>");
        }
        out += QLatin1String("</tr>\n");
    }
    out += QLatin1String("</tbody>\n</table>\n");
}

} // namespace

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

QString render(const ReportContent &report)
{
    qsizetype cells = 0;
    for (const ReportSection &section : report.sections)
        for (const ReportBlock &block : section.blocks)
            cells += block.table.rows.size() * block.table.columns.size();
    QString out;
    out.reserve(4096 + cells * 24);
    out += QLatin1String("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"");
    appendEscaped(out, report.language);
    out += QLatin1String("\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>");
    appendEscaped(out, report.title);
    out += QLatin1String("</title>\n<style>");
    out += QLatin1String(kStyle);
    out += QLatin1String("</style>\n</head>\n<body>\n<h1>");
    appendEscaped(out, report.title);
    out += QLatin1String("</h1>\n");
    if (!report.problems.isEmpty()) {
        out += QLatin1String("<div class=\"problems\" id=\"problems\">\n<h2>");
        appendEscaped(out, report.problemsHeading);
        out += QLatin1String("</h2>\n<ul>\n");
        for (const QString &problem : report.problems) {
            out += QLatin1String("<li>");
            appendEscaped(out, problem);
            out += QLatin1String("</li>\n");
        }
        out += QLatin1String("</ul>\n</div>\n");
    }
    for (const ReportSection &section : report.sections) {
        out += QLatin1String("<section id=\"");
        appendEscaped(out, section.id);
        out += QLatin1String("\">\n<h2>");
        appendEscaped(out, section.heading);
        out += QLatin1String("</h2>\n");
        for (const ReportBlock &block : section.blocks) {
            switch (block.kind) {
            case ReportBlock::Subheading:
                out += QLatin1String("<h3>");
                appendEscaped(out, block.text);
                out += QLatin1String("</h3>\n");
                break;
            case ReportBlock::Paragraph:
                out += QLatin1String("<p>");
                appendEscaped(out, block.text);
                out += QLatin1String("</p>\n");
                break;
            case ReportBlock::Table:
                appendTable(out, block.table);
                break;
            }
        }
        out += QLatin1String("</section>\n");
    }
    out += QLatin1String("</body>\n</html>\n");
    return out;
}

} // namespace ReportHtml
