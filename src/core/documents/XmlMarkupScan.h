#pragma once

#include <QString>
#include <QStringView>

// A pass over a document's text before it is parsed, for what the XML parser itself handles in time that
// grows with the square of the input: it checks every attribute of a start tag against the ones before it,
// so one tag with 100 000 attributes takes minutes. Both readers refuse a tag with more than MaxAttributes.
namespace XmlMarkupScan {

// The documents' rows have at most four attributes.
constexpr int MaxAttributes = 256;

struct Finding
{
    qint64 line = 0;
    qint64 column = 0;
    QString reason; // empty: nothing found
};

// Finds the first start tag with more than MaxAttributes attributes, in the decoded text (XmlEncoding), so
// that the bound holds whatever encoding the file was stored in.
Finding scan(QStringView text);

} // namespace XmlMarkupScan
