#pragma once

// Configurations for the report's tests and benchmark, and the report's HTML read back as tables.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>

namespace ReportSupport {

struct Slave
{
    QString id;
    int in = 0;
    int out = 0;
    QString mnemonic;
};

struct Register
{
    int page = 1; // 1 read, 2 write
    QString index;
    int slave = 1; // row in the slave list, from 1
    int hi = 0;
    int lo = 0;
};

inline void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

inline QString attribute(const QString &text)
{
    return text.toHtmlEscaped();
}

// The slave list and the register map of a configuration folder, as the editors write them.
inline void writeDocuments(const QString &folder, const QVector<Slave> &slaves, const QVector<Register> &registers)
{
    QDir().mkpath(folder + QStringLiteral("/bin"));
    QString net = QStringLiteral("<DNET_Net>");
    for (const Slave &s : slaves)
        net += QStringLiteral("<row ID=\"%1\" NB_IN=\"%2\" NB_OUT=\"%3\" Mnemonic=\"%4\"/>")
                   .arg(attribute(s.id))
                   .arg(s.in)
                   .arg(s.out)
                   .arg(attribute(s.mnemonic));
    write(folder + QStringLiteral("/DNET_Net.xml"), (net + QStringLiteral("</DNET_Net>")).toUtf8());
    QString map = QStringLiteral("<InfoMod>");
    for (int page : {1, 2}) {
        map += page == 1 ? QStringLiteral("<Modbus_Read>") : QStringLiteral("<Modbus_Write>");
        for (const Register &r : registers)
            if (r.page == page)
                map += QStringLiteral("<row Index=\"%1\" NrDNNode=\"%2\" PosComp=\"%3\"/>")
                           .arg(attribute(r.index))
                           .arg(r.slave)
                           .arg(r.hi * 65536 + r.lo);
        map += page == 1 ? QStringLiteral("</Modbus_Read>") : QStringLiteral("</Modbus_Write>");
    }
    write(folder + QStringLiteral("/DefReg.xml"), (map + QStringLiteral("</InfoMod>")).toUtf8());
}

// The largest configuration the editors accept: 63 slaves of 6000 bytes in all each way, 6144 read
// and 6144 write registers, each carrying two of its slave's bytes.
inline void writeLargest(const QString &folder)
{
    QVector<Slave> slaves;
    for (int i = 1; i <= 63; ++i) {
        const int bytes = i < 63 ? 95 : 6000 - 62 * 95;
        slaves.append({QString::number(i), bytes, bytes, QStringLiteral("Slave %1").arg(i)});
    }
    QVector<Register> registers;
    int index = 0;
    for (int page : {1, 2}) {
        int made = 0;
        for (int s = 0; s < 63 && made < 6144; ++s) {
            const int perSlave = s == 62 ? 6144 - made : 6144 / 63;
            for (int r = 0; r < perSlave; ++r, ++made)
                registers.append({page, QString::number(index++), s + 1, (2 * r + 1) % slaves[s].in + 1,
                                  (2 * r) % slaves[s].in + 1});
        }
    }
    writeDocuments(folder, slaves, registers);
}

// The report's HTML as a reader sees it: the sections by id, each with its tables (the header row
// first) and its headings and paragraphs, and the problems box.
struct Html
{
    QString error; // the XML reader's, when the markup is not well-formed
    QString title;
    QStringList problems;
    QStringList elements; // every element name met, once each
    QMap<QString, QVector<QVector<QStringList>>> tables;
    QMap<QString, QStringList> texts; // h2, h3 and p of each section
    QMap<QString, QVector<QStringList>> rowClasses; // per section, per table: each body row's class

    const QVector<QStringList> &table(const QString &section, int n) const
    {
        static const QVector<QStringList> none;
        const auto it = tables.find(section);
        return it != tables.end() && n < it->size() ? it->at(n) : none;
    }
};

inline Html readHtml(const QString &html)
{
    Html result;
    QXmlStreamReader xml(html);
    QString section;
    QStringList row;
    QString cell;
    bool inCell = false;
    bool inText = false;
    bool inProblem = false;
    bool inTitle = false;
    QString text;
    QString rowClass;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        const QString name = xml.name().toString();
        if (token == QXmlStreamReader::StartElement) {
            if (!result.elements.contains(name))
                result.elements.append(name);
            if (name == QLatin1String("section")) {
                section = xml.attributes().value(QLatin1String("id")).toString();
            } else if (name == QLatin1String("table")) {
                result.tables[section].append(QVector<QStringList>());
                result.rowClasses[section].append(QStringList());
            } else if (name == QLatin1String("tr")) {
                row.clear();
                rowClass = xml.attributes().value(QLatin1String("class")).toString();
            } else if (name == QLatin1String("td") || name == QLatin1String("th")) {
                cell.clear();
                inCell = true;
            } else if (name == QLatin1String("h2") || name == QLatin1String("h3") || name == QLatin1String("p")) {
                text.clear();
                inText = true;
            } else if (name == QLatin1String("li")) {
                text.clear();
                inProblem = true;
            } else if (name == QLatin1String("title")) {
                text.clear();
                inTitle = true;
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (inCell)
                cell += xml.text();
            else if (inText || inProblem || inTitle)
                text += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("td") || name == QLatin1String("th")) {
                row.append(cell);
                inCell = false;
            } else if (name == QLatin1String("tr")) {
                result.tables[section].last().append(row);
                result.rowClasses[section].last().append(rowClass);
            } else if (inText && (name == QLatin1String("h2") || name == QLatin1String("h3") || name == QLatin1String("p"))) {
                result.texts[section].append(text);
                inText = false;
            } else if (name == QLatin1String("li")) {
                result.problems.append(text);
                inProblem = false;
            } else if (name == QLatin1String("title")) {
                result.title = text;
                inTitle = false;
            } else if (name == QLatin1String("section")) {
                section.clear();
            }
        }
    }
    if (xml.hasError())
        result.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return result;
}

} // namespace ReportSupport
