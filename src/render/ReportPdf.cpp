#include "ReportPdf.h"

#include "base/AppError.h"
#include "base/ProductIdentity.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace ReportPdf {

namespace {

constexpr int Resolution = 300; // device units per inch
const QColor kPast(176, 0, 0);   // as the register map window marks a register past its slave's bytes
const QColor kHeaderFill(232, 232, 232);
const QColor kGrid(153, 153, 153);
const QColor kProblemFill(255, 240, 240);

QFont makeFont(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    // No ligatures in Latin text: "fi" stays two letters for a search or a copy out of the PDF. Scripts
    // that need shaping (Arabic) are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Latin text is drawn unshaped (see makeFont); a text with letters of other scripts, Arabic above all,
// keeps its shaping.
QFont fontFor(const QFont &font, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x0300) {
            QFont shaped(font);
            shaped.setStyleStrategy(QFont::PreferDefault);
            return shaped;
        }
    }
    return font;
}

// Lays the report out page by page. Run twice: once without a painter to count the pages, then
// painting, so that every foot can say "n / N".
class Layout
{
public:
    Layout(QPdfWriter &writer, const ReportContent &report)
        : m_writer(writer)
        , m_report(report)
        , m_body(makeFont(8.5, false))
        , m_bold(makeFont(8.5, true))
        , m_title(makeFont(15, true))
        , m_heading(makeFont(12, true))
        , m_subheading(makeFont(10, true))
        , m_foot(makeFont(7.5, false))
    {
        const QRect paint = writer.pageLayout().paintRectPixels(writer.resolution());
        m_width = paint.width();
        m_footHeight = QFontMetricsF(m_foot, &writer).height() * 2;
        m_bottom = paint.height() - m_footHeight;
        m_padding = Resolution * 0.03;
        m_gap = Resolution * 0.08;
    }

    int run(QPainter *painter, int totalPages)
    {
        m_painter = painter;
        m_total = totalPages;
        m_page = 0;
        startPage();
        paragraph(m_report.title, m_title);
        m_y += m_gap;
        if (!m_report.problems.isEmpty())
            problems();
        for (int i = 0; i < m_report.sections.size(); ++i) {
            if (i > 0)
                newPage();
            section(m_report.sections.at(i));
        }
        return m_page;
    }

private:
    struct Cell
    {
        double height = 0;
        bool wrapped = false;
    };

    QFontMetricsF metrics(const QFont &font) const { return QFontMetricsF(font, &m_writer); }

    static QTextOption option(const QString &text, Qt::Alignment alignment)
    {
        QTextOption option(alignment);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        if (text.isRightToLeft()) {
            option.setTextDirection(Qt::RightToLeft);
            option.setAlignment(Qt::AlignRight);
        }
        return option;
    }

    // The height of a text in that width: one line when it fits, else the lines of its wrapping.
    Cell measure(const QString &text, const QFont &plainFont, double width) const
    {
        const QFont font = fontFor(plainFont, text);
        const QFontMetricsF fm = metrics(font);
        if (!text.contains(QLatin1Char('\n')) && !text.isRightToLeft() && fm.horizontalAdvance(text) <= width)
            return {fm.height(), false};
        QTextLayout layout(text, font, &m_writer);
        layout.setTextOption(option(text, Qt::AlignLeft));
        layout.beginLayout();
        double height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        return {std::max(height, fm.height()), true};
    }

    void drawText(const QString &text, const QFont &plainFont, const QRectF &box, Qt::Alignment alignment,
                  bool wrapped)
    {
        if (!m_painter)
            return;
        const QFont font = fontFor(plainFont, text);
        m_painter->setFont(font);
        if (!wrapped) {
            const QFontMetricsF fm = metrics(font);
            const double x = alignment & Qt::AlignRight ? box.right() - fm.horizontalAdvance(text) : box.left();
            m_painter->drawText(QPointF(x, box.top() + fm.ascent()), text);
            return;
        }
        QTextLayout layout(text, font, &m_writer);
        layout.setTextOption(option(text, alignment));
        layout.beginLayout();
        double height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(box.width());
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        m_painter->save();
        m_painter->setClipRect(box);
        layout.draw(m_painter, box.topLeft());
        m_painter->restore();
    }

    void startPage()
    {
        ++m_page;
        m_y = 0;
        if (!m_painter)
            return;
        // The foot: the configuration's name on the left, the page number on the right.
        const QFontMetricsF fm = metrics(m_foot);
        const double base = m_bottom + m_footHeight - fm.descent();
        const QString number = QStringLiteral("%1 / %2").arg(m_page).arg(m_total);
        const double numberWidth = fm.horizontalAdvance(number);
        m_painter->setPen(Qt::black);
        m_painter->setFont(m_foot);
        m_painter->drawText(QPointF(0, base), fm.elidedText(m_report.name, Qt::ElideRight, m_width - numberWidth - m_gap));
        m_painter->drawText(QPointF(m_width - numberWidth, base), number);
        m_painter->drawLine(QPointF(0, m_bottom + m_footHeight * 0.25), QPointF(m_width, m_bottom + m_footHeight * 0.25));
    }

    void newPage()
    {
        if (m_painter)
            m_writer.newPage();
        startPage();
    }

    void ensure(double height)
    {
        if (m_y > 0 && m_y + height > m_bottom)
            newPage();
    }

    void paragraph(const QString &text, const QFont &font, const QColor &color = Qt::black)
    {
        const Cell cell = measure(text, font, m_width);
        ensure(std::min(cell.height, m_bottom));
        if (m_painter)
            m_painter->setPen(color);
        drawText(text, font, QRectF(0, m_y, m_width, std::min(cell.height, m_bottom - m_y)), Qt::AlignLeft,
                 cell.wrapped);
        m_y += cell.height + m_gap / 2;
    }

    void problems()
    {
        paragraph(m_report.problemsHeading, m_subheading, kPast);
        const double inset = m_padding * 4;
        for (const QString &problem : m_report.problems) {
            const Cell cell = measure(problem, m_body, m_width - 2 * inset);
            const double height = std::min(cell.height + 2 * m_padding, m_bottom);
            ensure(height);
            if (m_painter) {
                m_painter->fillRect(QRectF(0, m_y, m_width, height), kProblemFill);
                m_painter->fillRect(QRectF(0, m_y, inset / 2, height), kPast);
                m_painter->setPen(Qt::black);
            }
            drawText(problem, m_body, QRectF(inset, m_y + m_padding, m_width - 2 * inset, height - 2 * m_padding),
                     Qt::AlignLeft, cell.wrapped);
            m_y += height;
        }
        m_y += m_gap;
    }

    void section(const ReportSection &section)
    {
        paragraph(section.heading, m_heading);
        for (int i = 0; i < section.blocks.size(); ++i) {
            const ReportBlock &block = section.blocks.at(i);
            switch (block.kind) {
            case ReportBlock::Subheading:
                // Kept with what follows it: a heading alone at the foot of a page moves on.
                ensure(metrics(m_subheading).height() + 4 * metrics(m_body).height());
                m_y += m_gap / 2;
                paragraph(block.text, m_subheading);
                break;
            case ReportBlock::Paragraph:
                paragraph(block.text, m_body);
                break;
            case ReportBlock::Table:
                table(block.table);
                break;
            }
        }
    }

    QVector<double> columnWidths(const ReportTable &table) const
    {
        int weights = 0;
        for (const ReportColumn &column : table.columns)
            weights += column.weight;
        QVector<double> widths;
        for (const ReportColumn &column : table.columns)
            widths.append(m_width * column.weight / weights);
        return widths;
    }

    // One row of cells; the row's height is its tallest cell's, at most what a page holds.
    double rowHeight(const QStringList &cells, const QFont &font, const QVector<double> &widths,
                     QVector<Cell> &measured) const
    {
        double height = 0;
        measured.resize(widths.size());
        for (int c = 0; c < widths.size(); ++c) {
            measured[c] = measure(cells.value(c), font, widths.at(c) - 2 * m_padding);
            height = std::max(height, measured.at(c).height);
        }
        return height + 2 * m_padding;
    }

    void drawRow(const QStringList &cells, const QFont &font, const ReportTable &table, const QVector<double> &widths,
                 const QVector<Cell> &measured, double height, const QColor *fill, const QColor &color)
    {
        if (!m_painter)
            return;
        double x = 0;
        if (fill)
            m_painter->fillRect(QRectF(0, m_y, m_width, height), *fill);
        for (int c = 0; c < widths.size(); ++c) {
            const QRectF box(x, m_y, widths.at(c), height);
            m_painter->setPen(kGrid);
            m_painter->drawRect(box);
            m_painter->setPen(color);
            drawText(cells.value(c), font, box.adjusted(m_padding, m_padding, -m_padding, -m_padding),
                     table.columns.at(c).numeric ? Qt::AlignRight : Qt::AlignLeft, measured.at(c).wrapped);
            x += widths.at(c);
        }
    }

    void table(const ReportTable &table)
    {
        const QVector<double> widths = columnWidths(table);
        QStringList titles;
        for (const ReportColumn &column : table.columns)
            titles.append(column.title);
        QVector<Cell> headerCells;
        const double headerHeight = std::min(rowHeight(titles, m_bold, widths, headerCells), m_bottom / 4);
        const double pageRoom = m_bottom - headerHeight;
        QVector<Cell> cells;

        const auto header = [&] {
            drawRow(titles, m_bold, table, widths, headerCells, headerHeight, &kHeaderFill, Qt::black);
            m_y += headerHeight;
        };
        ensure(headerHeight + (table.rows.isEmpty() ? 0 : metrics(m_body).height() + 2 * m_padding));
        header();
        for (int r = 0; r < table.rows.size(); ++r) {
            const QStringList &row = table.rows.at(r);
            const bool total = table.lastRowIsTotal && r == table.rows.size() - 1;
            const QFont &font = total ? m_bold : m_body;
            const double height = std::min(rowHeight(row, font, widths, cells), pageRoom);
            if (m_y + height > m_bottom) {
                newPage();
                header();
            }
            drawRow(row, font, table, widths, cells, height, nullptr, table.marked.value(r) ? kPast : Qt::black);
            m_y += height;
        }
        m_y += m_gap;
    }

    QPdfWriter &m_writer;
    const ReportContent &m_report;
    QPainter *m_painter = nullptr;
    QFont m_body;
    QFont m_bold;
    QFont m_title;
    QFont m_heading;
    QFont m_subheading;
    QFont m_foot;
    double m_width = 0;
    double m_bottom = 0;
    double m_footHeight = 0;
    double m_padding = 0;
    double m_gap = 0;
    double m_y = 0;
    int m_page = 0;
    int m_total = 0;
};

} // namespace

Result render(const ReportContent &report)
{
    // Fonts and their measures come from the platform of a QGuiApplication.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw AppError(QStringLiteral("The PDF report needs the program's graphics library started"));
    Result result;
    QBuffer buffer(&result.bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Resolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(12, 14, 12, 10), QPageLayout::Millimeter));
        writer.setTitle(report.title);
        writer.setCreator(Product::SoftwareCode);
        Layout layout(writer, report);
        const int pages = layout.run(nullptr, 0);
        QPainter painter(&writer);
        result.pages = layout.run(&painter, pages);
        painter.end();
    }
    buffer.close();
    return result;
}

} // namespace ReportPdf
