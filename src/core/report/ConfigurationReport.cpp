#include "ConfigurationReport.h"

#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "base/ProductIdentity.h"
#include "documents/MapOverview.h"
#include "documents/ModbusMap.h"
#include "documents/ParGenDocument.h"
#include "documents/PastBytes.h"
#include "documents/SlaveListLimits.h"
#include "image/Bank2Image.h"
#include "image/ByteWriter.h"
#include "image/CompileDriver.h"
#include "text/TextCatalog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace ConfigurationReport {

namespace {

// Reference numbers of a register as a PLC programmer writes them: holding and input registers.
constexpr int HoldingBase = 400001;
constexpr int InputBase = 300001;

QString dottedAddress(const std::array<QString, 4> &parts)
{
    return QStringList(parts.begin(), parts.end()).join(QLatin1Char('.'));
}

// --- the configuration and its images ---

struct ImageFile
{
    QString path;
    QByteArray bytes;
    QDateTime modified;
    bool read = false;
};

ImageFile readImage(const QString &path, QStringList &problems)
{
    ImageFile image;
    image.path = path;
    const QFileInfo info(path);
    if (!info.exists())
        return image;
    QString error;
    if (std::optional<QByteArray> bytes = BoundedFile::read(path, &error, Bank2Image::Capacity)) {
        image.bytes = *bytes;
        image.modified = info.lastModified();
        image.read = true;
    } else {
        problems.append(error);
    }
    return image;
}

QString checksumText(const ImageFile &bank2, const TextCatalog &texts, QStringList &problems)
{
    if (bank2.bytes.size() != Bank2Image::FileSize) {
        const QString wrong = texts.text(1802).arg(QDir::toNativeSeparators(bank2.path), QString::number(bank2.bytes.size()));
        problems.append(wrong);
        return wrong;
    }
    const auto *block = reinterpret_cast<const uchar *>(bank2.bytes.constData()) + Bank2Image::ParameterBlockOffset;
    const quint32 stored = getU32(block + Bank2Image::ChecksumOffset);
    QString text = QStringLiteral("0x%1 (%2)").arg(QString::number(stored, 16).toUpper().rightJustified(8, QLatin1Char('0')))
                       .arg(stored);
    if (stored != parameterBlockChecksum(block)) {
        problems.append(QDir::toNativeSeparators(bank2.path) + QStringLiteral(": ") + texts.text(1801));
        text += QStringLiteral(" ") + texts.text(1801);
    }
    return text;
}

void imageState(ReportSection &section, const WorkspacePaths &paths, const TextCatalog &texts, QStringList &problems)
{
    const ImageFile bank = readImage(joinPath(paths.binFolder(), QStringLiteral("bank.bin")), problems);
    const ImageFile bank2 = readImage(joinPath(paths.binFolder(), QStringLiteral("bank2.bin")), problems);
    section.subheading(texts.text(1758));
    if (!bank.read || !bank2.read) {
        section.paragraph(texts.text(1760));
        return;
    }
    // The images are as old as the older of the two; a document saved after that is not in them.
    const QDateTime compiled = std::min(bank.modified, bank2.modified);
    QDateTime newestDocument;
    for (const QString &document : {paths.ParGenPath, paths.DnetNetPath, paths.DefRegPath}) {
        const QFileInfo info(document);
        if (info.exists() && (!newestDocument.isValid() || info.lastModified() > newestDocument))
            newestDocument = info.lastModified();
    }
    const bool older = newestDocument.isValid() && newestDocument > compiled;
    section.paragraph(older ? texts.text(1761) : texts.text(1759));

    ReportTable &files = section.table();
    files.columns = {{texts.text(1762), 3}, {texts.text(1763), 2, true}, {texts.text(1765), 5},
                     {texts.text(1764), 9}};
    for (const ImageFile *image : {&bank, &bank2}) {
        // Named within the configuration's folder, which the report names above.
        const QString name = QStringLiteral("bin/") + QFileInfo(image->path).fileName();
        files.addRow({QDir::toNativeSeparators(name), QString::number(image->bytes.size()),
                      isoLocalTime(image->modified),
                      QString::fromLatin1(QCryptographicHash::hash(image->bytes, QCryptographicHash::Sha256).toHex())});
    }
    ReportTable &checksum = section.table();
    checksum.columns = {{texts.text(1769), 1}, {texts.text(1770), 1}};
    checksum.addRow({texts.text(1766), checksumText(bank2, texts, problems)});
}

ReportSection configurationSection(const WorkspacePaths &paths, const QString &name, const TextCatalog &texts,
                                   const QDateTime &madeAt, QStringList &problems)
{
    ReportSection section{QStringLiteral("configuration"), texts.text(1753), {}};
    ReportTable &fields = section.table();
    fields.columns = {{texts.text(1769), 1}, {texts.text(1770), 3, false, true}};
    fields.addRow({texts.text(1754), name});
    fields.addRow({texts.text(1755), QDir::toNativeSeparators(paths.ProjectFolder)});
    fields.addRow({texts.text(1756), Product::Version});
    fields.addRow({texts.text(1757), isoLocalTime(madeAt)});
    imageState(section, paths, texts, problems);
    return section;
}

// --- the communication settings, as their window shows them ---

ReportSection settingsSection(const WorkspacePaths &paths, const TextCatalog &texts, QStringList &problems)
{
    ReportSection section{QStringLiteral("settings"), texts.text(1768), {}};
    const bool missing = !QFileInfo::exists(paths.ParGenPath);
    const ParGenValues v = ParGenDocument::load(paths.ParGenPath);
    if (missing)
        section.paragraph(texts.text(1800));
    if (const int refused = Controllo_Dati(v))
        problems.append(texts.text(1804).arg(texts.text(refused).trimmed()));

    // The baud rate list of the window; a stored position outside it shows as the number stored.
    const QStringList bauds{QStringLiteral("125K"), QStringLiteral("250K"), QStringLiteral("500K")};
    const QString baud = v.DNET_BAUD >= 0 && v.DNET_BAUD < bauds.size() ? bauds.at(v.DNET_BAUD)
                                                                        : QString::number(v.DNET_BAUD);
    const QVector<ReportColumn> columns{{texts.text(1769), 1}, {texts.text(1770), 1, false, true}};

    section.subheading(texts.text(404).trimmed());
    ReportTable &dnet = section.table();
    dnet.columns = columns;
    dnet.addRow({texts.text(405).trimmed(), v.DNET_DEV_ID});
    dnet.addRow({texts.text(406).trimmed(), baud});
    dnet.addRow({texts.text(497).trimmed(), v.DNET_INTERSCAN_DELAY});

    section.subheading(texts.text(407).trimmed());
    ReportTable &modbus = section.table();
    modbus.columns = columns;
    modbus.addRow({texts.text(408).trimmed(), dottedAddress(v.MTCPs_IP)});
    modbus.addRow({texts.text(409).trimmed(), dottedAddress(v.MTCPs_SUB)});
    modbus.addRow({texts.text(410).trimmed(), (v.MTCPs_EN_GAT ? texts.text(1771) : texts.text(1772)) +
                                                  QStringLiteral(": ") + dottedAddress(v.MTCPs_GAT)});
    modbus.addRow({texts.text(411).trimmed(), v.MTCPs_PORT});
    modbus.addRow({texts.text(412).trimmed(), v.MTCPs_DN_State});
    return section;
}

// --- the slave list, the register map and the totals ---

// Bytes of one slave on one page that a register carries, and those none does.
struct ByteUse
{
    int mapped = 0;
    int unmapped = 0;
};

ByteUse byteUse(const ModbusMap &map, int slave, int page)
{
    const QVector<bool> carried = MapOverview::carriedBytes(map, slave, page);
    ByteUse use;
    for (int byte = 1; byte < carried.size(); ++byte)
        (carried.at(byte) ? use.mapped : use.unmapped) += 1;
    return use;
}

QString countOrBlank(int count)
{
    return count > 0 ? QString::number(count) : QString();
}

ReportSection slavesSection(const ModbusMap &map, const TextCatalog &texts)
{
    ReportSection section{QStringLiteral("slaves"), texts.text(1773), {}};
    if (map.slaveCount() == 0) {
        section.paragraph(texts.text(1806));
        return section;
    }
    ReportTable &table = section.table();
    table.columns = {{texts.text(1774), 1, true},  {texts.text(1775), 2, true}, {texts.text(513), 6, false, true},
                     {texts.text(510), 2, true},   {texts.text(511), 2, true},  {texts.text(1776), 2, true},
                     {texts.text(1777), 2, true}};
    for (int s = 0; s < map.slaveCount(); ++s) {
        const TDNET_Slave &slave = map.slave(s);
        // IN bytes travel on the write page, OUT bytes on the read page.
        table.addRow({QString::number(s + 1), slave.ID, slave.Mnemonic, QString::number(slave.Num_Byte_IN),
                      QString::number(slave.Num_Byte_OUT), countOrBlank(byteUse(map, s, ModbusMap::Write).unmapped),
                      countOrBlank(byteUse(map, s, ModbusMap::Read).unmapped)});
    }
    return section;
}

QString pageHeading(int page, const TextCatalog &texts)
{
    return texts.text(page == ModbusMap::Read ? 1779 : 1780);
}

QVector<ReportColumn> registerColumns(const TextCatalog &texts)
{
    return {{texts.text(1781), 2, true}, {texts.text(1782), 3, true},        {texts.text(1783), 3, true},
            {texts.text(1784), 5, false, true}, {texts.text(1397), 2, true}, {texts.text(1398), 2, true},
            {texts.text(513), 5, false, true}};
}

QStringList registerCells(const ModbusMap &map, const OverviewRow &row, const TextCatalog &texts, bool past)
{
    const TDNET_Slave &slave = map.slave(row.slave);
    const TMod_Reg &reg = map.registers(row.slave, row.page).at(row.position);
    const bool valid = row.address >= 0;
    QString low = MapOverview::partText(reg.LoPart, texts);
    if (past)
        low += texts.text(1484);
    return {MapOverview::addressText(reg), valid ? QString::number(HoldingBase + row.address) : QString(),
            valid ? QString::number(InputBase + row.address) : QString(),
            QString::number(row.slave + 1) + QStringLiteral(": ") + slave.ID,
            MapOverview::partText(reg.HiPart, texts), low, slave.Mnemonic};
}

ReportSection mapSection(const ModbusMap &map, const TextCatalog &texts)
{
    ReportSection section{QStringLiteral("map"), texts.text(1778), {}};
    const QVector<OverviewRow> rows = MapOverview::rows(map);
    QVector<OverviewRow> past;
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        section.subheading(pageHeading(page, texts));
        ReportTable *table = nullptr;
        for (const OverviewRow &row : rows) {
            if (row.page != page)
                continue;
            if (!table) {
                table = &section.table();
                table->columns = registerColumns(texts);
                table->rows.reserve(int(rows.size()));
            }
            const bool isPast = MapOverview::pastCount(map, row);
            if (isPast)
                past.append(row);
            table->addRow(registerCells(map, row, texts, isPast), isPast);
        }
        if (!table)
            section.paragraph(texts.text(1805));
    }
    // The registers the device would fill from other slaves' bytes, once more together.
    section.subheading(texts.text(1785));
    if (past.isEmpty()) {
        section.paragraph(texts.text(1786));
    } else {
        ReportTable &table = section.table();
        table.columns = registerColumns(texts);
        table.columns.prepend({texts.text(1393), 2});
        for (const OverviewRow &row : past) {
            QStringList cells = registerCells(map, row, texts, true);
            cells.prepend(MapOverview::pageName(row.page, texts));
            table.addRow(cells, true);
        }
    }
    return section;
}

ReportSection totalsSection(const ModbusMap &map, const TextCatalog &texts)
{
    ReportSection section{QStringLiteral("totals"), texts.text(1787), {}};
    int perPage[3] = {0, 0, 0};
    for (int s = 0; s < map.slaveCount(); ++s)
        for (int page : {ModbusMap::Read, ModbusMap::Write})
            perPage[page] += int(map.registers(s, page).size());
    ReportTable &counts = section.table();
    counts.columns = {{texts.text(1769), 3}, {texts.text(1770), 1, true}};
    counts.addRow({texts.text(1788), QString::number(map.slaveCount())});
    counts.addRow({texts.text(1789), QString::number(perPage[ModbusMap::Read])});
    counts.addRow({texts.text(1790), QString::number(perPage[ModbusMap::Write])});
    if (map.slaveCount() == 0)
        return section;

    ReportTable &bytes = section.table();
    bytes.columns = {{texts.text(1774), 1, true}, {texts.text(1775), 2, true}, {texts.text(1791), 3, true},
                     {texts.text(1792), 3, true}, {texts.text(1793), 3, true}, {texts.text(1794), 3, true}};
    ByteUse sum[3];
    for (int s = 0; s < map.slaveCount(); ++s) {
        const ByteUse read = byteUse(map, s, ModbusMap::Read);
        const ByteUse write = byteUse(map, s, ModbusMap::Write);
        for (int page : {ModbusMap::Read, ModbusMap::Write}) {
            const ByteUse &use = page == ModbusMap::Read ? read : write;
            sum[page].mapped += use.mapped;
            sum[page].unmapped += use.unmapped;
        }
        bytes.addRow({QString::number(s + 1), map.slave(s).ID, QString::number(read.mapped),
                      QString::number(read.unmapped), QString::number(write.mapped), QString::number(write.unmapped)});
    }
    bytes.addRow({texts.text(1807), QString(), QString::number(sum[ModbusMap::Read].mapped),
                  QString::number(sum[ModbusMap::Read].unmapped), QString::number(sum[ModbusMap::Write].mapped),
                  QString::number(sum[ModbusMap::Write].unmapped)});
    bytes.lastRowIsTotal = true;
    return section;
}

// What the compile would refuse, by its own reading of the documents: its first error, then the
// registers it warns of (an error with compile --strict).
void compileProblems(const WorkspacePaths &paths, const TextCatalog &texts, QStringList &problems)
{
    try {
        const DeviceImages images = BuildDeviceImages(paths);
        if (!images.pastBytes.isEmpty())
            problems.append(PastBytes::warning(images.pastBytes, texts));
    } catch (const AppError &error) {
        problems.append(error.message());
    }
}

} // namespace

QString isoLocalTime(const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

bool overwritesConfiguration(const WorkspacePaths &paths, const QString &file)
{
    const QFileInfo target(file);
    const QString bin = paths.binFolder();
    for (const QString &own : {paths.ParGenPath, paths.DnetNetPath, paths.DefRegPath,
                               joinPath(bin, QStringLiteral("bank.bin")), joinPath(bin, QStringLiteral("bank2.bin"))}) {
        const QFileInfo document(own);
        // Names compare as the file system does: without letter case on Windows.
        const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
            Qt::CaseInsensitive;
#else
            Qt::CaseSensitive;
#endif
        if (target.absoluteFilePath().compare(document.absoluteFilePath(), cs) == 0)
            return true;
        if (target.exists() && document.exists() && target.canonicalFilePath() == document.canonicalFilePath())
            return true;
    }
    return false;
}

WorkspacePaths pathsOf(const QString &projectFolder)
{
    const QFileInfo info(projectFolder);
    WorkspacePaths paths;
    paths.ProjectFolder = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    paths.ProjectName = info.fileName();
    paths.Set_Files();
    return paths;
}

QString defaultFileName(const QString &configurationName)
{
    return configurationName + QStringLiteral("-report.html");
}

ReportContent build(const WorkspacePaths &paths, const TextCatalog &catalog, const QDateTime &madeAt)
{
    const QString name =
        paths.ProjectName.isEmpty() ? QFileInfo(QDir::fromNativeSeparators(paths.ProjectFolder)).fileName()
                                    : paths.ProjectName;
    ReportContent report;
    report.language = catalog.text(1460).trimmed();
    report.name = name;
    report.title = catalog.text(1752).arg(name);
    report.problemsHeading = catalog.text(1767);

    QStringList problems;
    report.sections.append(configurationSection(paths, name, catalog, madeAt, problems));
    report.sections.append(settingsSection(paths, catalog, problems));

    // A slave list the slave list window could not have written would size the map's lists by its
    // byte counts: it is reported, and the map is not read.
    const SlaveListLimitFailure limits = checkSlaveListLimits(paths.DnetNetPath);
    if (!limits.ok()) {
        problems.append(paths.DnetNetPath + QStringLiteral(": ") + limits.message(catalog));
        for (const QString &id : {QStringLiteral("slaves"), QStringLiteral("map"), QStringLiteral("totals")}) {
            ReportSection section{id, catalog.text(id == QLatin1String("slaves") ? 1773
                                                   : id == QLatin1String("map") ? 1778
                                                                                : 1787),
                                  {}};
            section.paragraph(catalog.text(1803));
            report.sections.append(section);
        }
    } else {
        ModbusMap map;
        map.loadSlaves(paths.DnetNetPath);
        map.loadRegisters(paths.DefRegPath);
        report.sections.append(slavesSection(map, catalog));
        report.sections.append(mapSection(map, catalog));
        report.sections.append(totalsSection(map, catalog));
        compileProblems(paths, catalog, problems);
    }
    report.problems = problems;
    return report;
}

} // namespace ConfigurationReport
