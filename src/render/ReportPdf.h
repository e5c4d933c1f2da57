#pragma once

#include "report/ConfigurationReport.h"

#include <QByteArray>

// The configuration report as a PDF: A4 portrait, the configuration's name and "n / N" at the foot of
// every page, each section from a new page, a table's header row again on each page it runs onto.
// Painted row by row rather than through a rich-text document, so that the largest register map
// stays quick and its size proportional to its rows.
namespace ReportPdf {

struct Result
{
    QByteArray bytes;
    int pages = 0;
};

// Needs a QGuiApplication (the fonts come from its platform; "offscreen" will do). Throws AppError
// when there is none.
Result render(const ReportContent &report);

} // namespace ReportPdf
