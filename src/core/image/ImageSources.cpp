#include "ImageSources.h"

#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"

#include <QDir>
#include <QFileInfo>

ImageSources::ImageSources(const WorkspacePaths &paths)
    : m_paths(paths)
{}

const SourceDocument &ImageSources::load(Slot &slot, const QString &existingPath)
{
    if (!slot.loaded) {
        if (!existingPath.isEmpty()) {
            slot.source.tree = XmlTree::load(existingPath);
            slot.source.path = existingPath;
        }
        slot.loaded = true;
    }
    return slot.source;
}

static QString ifExists(const QString &path)
{
    return QFileInfo::exists(path) ? path : QString();
}

const SourceDocument &ImageSources::dnetNet()
{
    return load(m_dnetNet, m_dnetNet.loaded ? QString() : ifExists(m_paths.DnetNetPath));
}

const SourceDocument &ImageSources::defReg()
{
    return load(m_defReg, m_defReg.loaded ? QString() : ifExists(m_paths.DefRegPath));
}

const SourceDocument &ImageSources::bankParGen()
{
    if (m_bankParGen.loaded)
        return m_bankParGen.source;
    const QString path = findFileIgnoringCase(m_paths.ProjectFolder, QStringLiteral("ParGen.xml"));
    // Share the parse with the record reader when both name the same file.
    if (!path.isEmpty() && m_parGen.loaded && m_parGen.source.path == path) {
        m_bankParGen = m_parGen;
        return m_bankParGen.source;
    }
    return load(m_bankParGen, path);
}

const SourceDocument &ImageSources::parGen()
{
    if (m_parGen.loaded)
        return m_parGen.source;
    const QString path = ifExists(m_paths.ParGenPath);
    if (!path.isEmpty() && m_bankParGen.loaded && m_bankParGen.source.path == path) {
        m_parGen = m_bankParGen;
        return m_parGen.source;
    }
    return load(m_parGen, path);
}

QString findFileIgnoringCase(const QString &folder, const QString &name)
{
    const QString exact = joinPath(folder, name);
    if (QFileInfo::exists(exact))
        return exact;
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return joinPath(folder, entry);
    }
    return QString();
}

QString RowPlace::text() const
{
    const QString number = QStringLiteral("row ") + QString::number(row);
    return section.isEmpty() ? number : section.toString() + QLatin1Char(' ') + number;
}

QStringView attributeAsText(const SourceDocument &source, int row, const RowPlace &where, QStringView name)
{
    QStringView value;
    if (!source.tree.attribute(row, name, &value))
        throw AppError(
            QStringLiteral("%1: %2: attribute %3 is missing").arg(source.path, where.text(), name.toString()));
    return value;
}

int attributeAsInteger(const SourceDocument &source, int row, const RowPlace &where, QStringView name)
{
    const QStringView text = attributeAsText(source, row, where, name);
    int value = 0;
    if (!tryParseInt(text, &value))
        throw AppError(QStringLiteral("%1: %2: attribute %3 \"%4\" is not an integer")
                           .arg(source.path, where.text(), name.toString(), text.toString()));
    return value;
}

int elementAsInteger(const SourceDocument &source, int root, const QString &name)
{
    const int element = source.tree.firstChildElement(root, name);
    if (element == XmlTree::None)
        throw AppError(QStringLiteral("%1: element %2 is missing").arg(source.path, name));
    const QString text = source.tree.text(element);
    int value = 0;
    if (!tryParseInt(text, &value))
        throw AppError(QStringLiteral("%1: element %2 \"%3\" is not an integer").arg(source.path, name, text));
    return value;
}

int SourceDocument::section(const QString &name) const
{
    const int node = tree.firstChildElement(root(), name);
    if (node == XmlTree::None)
        throw AppError(QStringLiteral("%1: section %2 is missing").arg(path, name));
    return node;
}
