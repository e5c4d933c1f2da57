#include "TFDeviceNetNetwork.h"

#include "Accessibility.h"
#include "GridWidget.h"
#include "SlaveEdsImport.h"
#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "documents/MapOverview.h"
#include "documents/MasterAddress.h"
#include "text/Plural.h"
#include "base/ConfigurationLock.h"
#include "documents/ProjectDocument.h"
#include "documents/RegisterRenumber.h"

#include <QFileInfo>

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int TitleHeight = 69;
constexpr int ButtonBandHeight = 40;
constexpr int Columns = 5;
constexpr int ColumnWidths[Columns] = {40, 90, 90, 90, 430};
constexpr int MinimumDescriptionWidth = 120;

} // namespace

TFDeviceNetNetwork::TFDeviceNetNetwork(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFDeviceNetNetwork"));
    FormCreate();
}

void TFDeviceNetNetwork::FormCreate()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    makeTitleBand(766);
    sga = new GridWidget(DnetNetDocument::EditorSlaveRows, Columns, m_ctx.settings, this);
    sga->setObjectName(QStringLiteral("sga"));
    for (int c = 0; c < Columns; ++c)
        sga->setColumnWidth(c, ColumnWidths[c]);
    m_buttonBand = new QWidget(this);
    m_buttonBand->setObjectName(QStringLiteral("P_Button"));
    const auto place = [this](const char *name, int i) {
        return makeButton(m_buttonBand, QLatin1String(name), QRect(16 + 118 * i, 6, 110, 28));
    };
    Btn_OK = place("Btn_OK", 0);
    Btn_Cancel = place("Btn_Cancel", 1);
    Btn_DelRow = place("Btn_DelRow", 2);
    Btn_InsRow = place("Btn_InsRow", 3);
    Btn_CopyRow = place("Btn_CopyRow", 4);
    Btn_PasteRow = place("Btn_PasteRow", 5);
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    onClick(Btn_DelRow, [this] { Btn_DelRowClick(); });
    onClick(Btn_InsRow, [this] { Btn_InsRowClick(); });
    onClick(Btn_CopyRow, [this] { Btn_CopyRowClick(); });
    onClick(Btn_PasteRow, [this] { Btn_PasteRowClick(); });
    new SlaveEdsImport(m_ctx, *this, *sga);
    resize(766, 337);
    setMinimumSize(400, 200);
    Set_Lang();
}

void TFDeviceNetNetwork::Set_Lang()
{
    setWindowTitle(text(500));
    titleDescription()->setText(text(501));
    Btn_OK->setText(text(502));
    Btn_OK->setToolTip(text(514));
    Btn_Cancel->setText(text(503));
    Btn_Cancel->setToolTip(text(515));
    Btn_DelRow->setText(text(504));
    Btn_DelRow->setToolTip(text(516));
    Btn_InsRow->setText(text(505));
    Btn_InsRow->setToolTip(text(517));
    Btn_CopyRow->setText(text(506));
    Btn_CopyRow->setToolTip(text(518));
    Btn_PasteRow->setText(text(507));
    Btn_PasteRow->setToolTip(text(519));
    Hint_DN_Net = {text(520), text(521), text(522), text(524)};
    sga->setHeader(0, text(508));
    sga->setHeader(1, text(509), Hint_DN_Net.at(0));
    sga->setHeader(2, text(510), Hint_DN_Net.at(1));
    sga->setHeader(3, text(511), Hint_DN_Net.at(2));
    sga->setHeader(4, text(513), Hint_DN_Net.at(3));
    sga->setAccessibleName(text(Accessibility::SlaveTableName));
}

void TFDeviceNetNetwork::resizeEvent(QResizeEvent *event)
{
    DialogBase::resizeEvent(event);
    sga->setGeometry(8, TitleHeight, width() - 16, height() - TitleHeight - ButtonBandHeight);
    m_buttonBand->setGeometry(0, height() - ButtonBandHeight, width(), ButtonBandHeight);
    // The description takes the width left beside the vertical scroll bar, so that no horizontal
    // one appears (a wider description can still be fitted with a double-click).
    int room = sga->width() - 2 * sga->frameWidth() -
               sga->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, sga->verticalScrollBar());
    for (int c = 0; c < Columns - 1; ++c)
        room -= sga->columnWidth(c);
    sga->setColumnWidth(Columns - 1, std::max(room, MinimumDescriptionWidth));
}

void TFDeviceNetNetwork::reject()
{
    const auto *edsImport = findChild<SlaveEdsImport *>();
    if (edsImport && edsImport->hasImported() && !messages().question(text(1678)))
        return;
    DialogBase::reject();
}

void TFDeviceNetNetwork::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    centreOnScreen();
    FormShow();
}

void TFDeviceNetNetwork::FormShow()
{
    sga->clearData();
    m_origin.fill(0, DnetNetDocument::EditorSlaveRows);
    m_loaded.clear();
    // An unreadable document leaves the table empty; the file on disk stays as it is.
    ErrorReport::run(messages(), [this] {
        const DnetNetDocument::Loaded loaded = DnetNetDocument::load(m_ctx.paths.DnetNetPath);
        m_loaded = loaded.slaves;
        fillTable(loaded.slaves);
        if (loaded.notLoaded > 0)
            messages().warning(text(532));
    });
    Do_Copy = false;
    sga->setCurrentCell(0, 1);
    if (sga->isEnabled() && sga->isVisible())
        sga->setFocus();
}

void TFDeviceNetNetwork::fillTable(const QList<DnetSlaveRow> &slaves)
{
    GridTable &cells = sga->cells();
    for (int i = 0; i < m_origin.size(); ++i)
        m_origin[i] = i < slaves.size() ? i + 1 : 0;
    for (int i = 0; i < slaves.size() && i + 1 < cells.rowCount(); ++i) {
        const DnetSlaveRow &s = slaves.at(i);
        cells.setCell(i + 1, 1, s.ID);
        cells.setCell(i + 1, 2, s.NB_IN);
        cells.setCell(i + 1, 3, s.NB_OUT);
        cells.setCell(i + 1, 4, s.Mnemonic);
    }
}

QList<DnetSlaveRow> TFDeviceNetNetwork::tableRows() const
{
    const GridTable &cells = sga->cells();
    QList<DnetSlaveRow> rows;
    for (int r = 1; r < cells.rowCount(); ++r)
        rows.append({cells.cell(r, 1), cells.cell(r, 2), cells.cell(r, 3), cells.cell(r, 4)});
    return rows;
}

bool TFDeviceNetNetwork::Controllo_dati()
{
    const DnetCheckFailure failure = ::Controllo_dati(DnetNetDocument::filledRun(tableRows()));
    if (failure.ok())
        return true;
    messages().error(failure.message(m_ctx.catalog));
    return false;
}

void TFDeviceNetNetwork::Btn_OKClick()
{
    // A cell still being edited holds text that the table does not have yet.
    sga->commitOpenEditor();
    // The list ends at the first blank ID: anything below it would be dropped without a word.
    if (const int blank = DnetNetDocument::blankRowAboveData(tableRows()); blank > 0) {
        sga->setCurrentCell(blank - 1, 1);
        messages().error(text(525) + QString::number(blank) + text(1250));
        return;
    }
    if (!Controllo_dati())
        return;
    const QList<DnetSlaveRow> slaves = DnetNetDocument::filledRun(tableRows());
    // A slave at the converter's own node address is asked about, not refused: stored lists may hold one.
    QStringList ids;
    for (const DnetSlaveRow &slave : slaves)
        ids.append(slave.ID);
    QVector<SlaveAtMasterAddress> atMaster;
    try {
        atMaster = MasterAddress::find(MasterAddress::settingsAddress(m_ctx.paths.ParGenPath), ids);
    } catch (const AppError &) {
        // Settings that cannot be read are reported where they are edited and compiled; the list is saved.
    }
    if (!atMaster.isEmpty() &&
        !messages().question(MasterAddress::warning(atMaster, m_ctx.catalog) + QStringLiteral("\n\n") + text(1730))) {
        sga->setCurrentCell(atMaster.first().slave, 1);
        return;
    }
    if (saveWithRegisters(slaves))
        accept();
}

QString TFDeviceNetNetwork::registerQuestion(const RegisterRenumber::Result &change,
                                             const QList<DnetSlaveRow> &slaves) const
{
    const auto count = [this](int n, int one, int other) { return Plural::pick(m_ctx.catalog, n, one, other); };
    const auto loadedId = [this](int position) {
        return position >= 1 && position <= m_loaded.size() ? m_loaded.at(position - 1).ID.trimmed() : QString();
    };
    QStringList lines;
    for (auto it = change.removedOf.cbegin(); it != change.removedOf.cend(); ++it)
        lines.append(count(it.value(), 1714, 1491).arg(QString::number(it.key()), loadedId(it.key()),
                                                       QString::number(it.value())));
    for (auto it = change.movedOf.cbegin(); it != change.movedOf.cend(); ++it) {
        const int target = it.key() - 1 < m_newPositions.size() ? m_newPositions.at(it.key() - 1) : 0;
        lines.append(count(it.value(), 1715, 1492).arg(QString::number(it.key()), loadedId(it.key()),
                                                       QString::number(target), QString::number(it.value())));
    }
    for (auto it = change.pastBytesOf.cbegin(); it != change.pastBytesOf.cend(); ++it) {
        const int target = it.key().first;
        const DnetSlaveRow &slave = slaves.at(target - 1);
        const bool read = it.key().second == ModbusMap::Read;
        lines.append(count(it.value(), 1713, 1490).arg(QString::number(target), slave.ID.trimmed(),
                                    MapOverview::pageName(it.key().second, m_ctx.catalog), QString::number(it.value()),
                                    QString::number(ParseIntOrDefault(read ? slave.NB_OUT : slave.NB_IN, 0))));
    }
    // A long list would push the buttons off the screen.
    constexpr int Shown = 10;
    if (lines.size() > Shown) {
        const int more = int(lines.size()) - Shown;
        lines.erase(lines.begin() + Shown, lines.end());
        lines.append(text(1482).arg(more));
    }
    const int removed = change.removed + change.pastBytes;
    return text(1489) + QLatin1Char('\n') + lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
           (removed > 0 ? count(removed, 1716, 1493).arg(removed) : text(1496)) + QLatin1Char('\n') + text(1494) + QLatin1Char('\n') +
           text(1495);
}

bool TFDeviceNetNetwork::saveWithRegisters(const QList<DnetSlaveRow> &slaves)
{
    // Where each loaded slave is now; a slave beyond the saved list is gone.
    m_newPositions.clear();
    for (int i = 0; i < m_origin.size(); ++i) {
        if (m_origin.at(i) <= 0)
            continue;
        if (m_newPositions.size() < m_origin.at(i))
            m_newPositions.resize(m_origin.at(i));
        m_newPositions[m_origin.at(i) - 1] = i < slaves.size() ? i + 1 : 0;
    }
    QVector<RegisterRenumber::SlaveBytes> bytes;
    for (const DnetSlaveRow &slave : slaves)
        bytes.append({ParseIntOrDefault(slave.NB_IN, 0), ParseIntOrDefault(slave.NB_OUT, 0)});

    bool identity = true;
    for (int k = 0; k < m_newPositions.size() && identity; ++k)
        identity = m_newPositions.at(k) == k + 1;

    const QString defRegPath = m_ctx.paths.DefRegPath;
    RegisterRenumber::Result renumbered;
    if (!m_newPositions.isEmpty() && QFileInfo(defRegPath).isFile()) {
        try {
            renumbered = RegisterRenumber::renumber(ProjectDocument::load(defRegPath), m_newPositions, bytes);
        } catch (const AppError &) {
            // With no slave moved, a register map that cannot be read does not hold up the slave list:
            // the register map step reports it when opened. Moved slaves need it renumbered.
            if (!identity)
                throw;
        }
    }
    bool follow = false;
    if (renumbered.changed()) {
        switch (messages().questionWithCancel(registerQuestion(renumbered, slaves))) {
        case Messages::Answer::Cancel:
            return false;
        case Messages::Answer::Yes:
            follow = true;
            break;
        case Messages::Answer::No:
            break;
        }
    }
    // A failed save throws: the general error report shows it and the dialog stays open.
    DnetNetDocument::save(slaves, m_ctx.paths.DnetNetPath);
    if (!follow)
        return true;
    try {
        const ConfigurationLock lock(m_ctx.paths.ProjectFolder, ConfigurationLock::MapChange);
        ProjectDocument::save(renumbered.document, defRegPath);
    } catch (const AppError &e) {
        // The slave list is saved and the old register map is untouched (the save file leaves it
        // whole): say exactly that, and stay open so that OK can try the register map again.
        messages().error(text(1254) + e.message());
        return false;
    }
    return true;
}

void TFDeviceNetNetwork::Btn_DelRowClick()
{
    sga->commitOpenEditor();
    const int row = sga->cells().currentRow();
    if (row < 1)
        return;
    if (!messages().question(text(531) + QString::number(row)))
        return;
    GridDeleteRow(row, sga->cells());
    m_origin.removeAt(row - 1);
    m_origin.append(0);
}

void TFDeviceNetNetwork::Btn_InsRowClick()
{
    sga->commitOpenEditor();
    const int row = sga->cells().currentRow();
    if (row < 1)
        return;
    // The last row would be pushed out of the table.
    if (DnetNetDocument::holdsAnything(tableRows().constLast())) {
        messages().error(text(1251));
        return;
    }
    GridInsertRow(row, sga->cells());
    m_origin.insert(row - 1, 0);
    m_origin.removeLast();
}

void TFDeviceNetNetwork::Btn_CopyRowClick()
{
    sga->commitOpenEditor();
    const int row = sga->cells().currentRow();
    if (row < 1)
        return;
    GridCopyRow(sga->cells(), row, m_ctx.RowClipboard);
    Do_Copy = true;
}

void TFDeviceNetNetwork::Btn_PasteRowClick()
{
    sga->commitOpenEditor();
    GridPasteRow(sga->cells(), sga->cells().currentRow(), Do_Copy, m_ctx.RowClipboard, messages(), m_ctx.catalog);
}
