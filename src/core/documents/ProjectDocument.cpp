#include "ProjectDocument.h"

#include "app/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ProjectDocument {

QDomDocument create(const QString &rootName, bool withVersionComment)
{
    QDomDocument doc;
    doc.appendChild(doc.createElement(rootName));
    if (withVersionComment)
        doc.appendChild(doc.createComment(VersionComment));
    return doc;
}

QDomElement root(const QDomDocument &doc)
{
    return doc.documentElement();
}

QDomElement appendElement(QDomNode parent, const QString &name)
{
    QDomElement element = parent.ownerDocument().createElement(name);
    parent.appendChild(element);
    return element;
}

QDomElement appendTextElement(QDomNode parent, const QString &name, const QString &text)
{
    QDomElement element = appendElement(parent, name);
    if (!text.isEmpty())
        element.appendChild(parent.ownerDocument().createTextNode(text));
    return element;
}

QByteArray toBytes(const QDomDocument &doc)
{
    return doc.toByteArray(-1);
}

QString writeTo(const QDomDocument &doc, QIODevice &device)
{
    const QByteArray bytes = toBytes(doc);
    if (device.write(bytes) != bytes.size())
        return device.errorString();
    return QString();
}

void save(const QDomDocument &doc, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    const QString error = writeTo(doc, file);
    if (!error.isEmpty()) {
        file.cancelWriting();
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, error));
    }
    if (!file.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

QDomDocument parse(const QByteArray &bytes, const QString &fileNameForMessages)
{
    QDomDocument doc;
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(bytes, &message, &line, &column))
        throw AppError(QStringLiteral("%1: line %2, column %3: %4")
                           .arg(fileNameForMessages)
                           .arg(line)
                           .arg(column)
                           .arg(message));
    return doc;
}

QDomDocument load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return parse(file.readAll(), path);
}

QDomNode firstNode(const QDomDocument &doc)
{
    return doc.firstChild();
}

QDomElement firstChildElement(const QDomNode &parent, const QString &name)
{
    return parent.firstChildElement(name);
}

std::optional<QString> childText(const QDomNode &parent, const QString &name)
{
    const QDomElement element = parent.firstChildElement(name);
    if (element.isNull())
        return std::nullopt;
    return element.text();
}

QString childText(const QDomNode &parent, const QString &name, const QString &fallback)
{
    return childText(parent, name).value_or(fallback);
}

std::optional<QString> attribute(const QDomNode &node, const QString &name)
{
    const QDomElement element = node.toElement();
    if (element.isNull() || !element.hasAttribute(name))
        return std::nullopt;
    return element.attribute(name);
}

} // namespace ProjectDocument
