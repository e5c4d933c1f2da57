#pragma once

#include "ConfigurationReport.h"

#include <QString>

// The report as one self-contained HTML file: the style sheet inside, no script, no outside reference.
// The markup is also well-formed XML, so that a reader of XML (and the tests) can take it apart.
namespace ReportHtml {

// Text for an element or an attribute: & < > " ' as references, and characters XML cannot hold (other
// control characters, unpaired surrogates) as U+FFFD. Applied exactly once, to document text only.
QString escaped(const QString &text);

QString render(const ReportContent &report);

} // namespace ReportHtml
