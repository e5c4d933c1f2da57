#include "TFDeviceNetNetwork.h"

#include "Accessibility.h"
#include "GridWidget.h"
#include "base/AppError.h"
#include "base/ConfigurationLock.h"
#include "documents/ProjectDocument.h"
#include "documents/RegisterRenumber.h"

#include <QFileInfo>

#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int TitleHeight = 69;
constexpr int ButtonBandHeight = 40;
constexpr int Columns = 5;
constexpr int ColumnWidths[Columns] = {40, 90, 90, 90, 430};

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
    // An unreadable document leaves the table empty; the file on disk stays as it is.
    ErrorReport::run(messages(), [this] {
        const DnetNetDocument::Loaded loaded = DnetNetDocument::load(m_ctx.paths.DnetNetPath);
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
    if (saveWithRegisters(DnetNetDocument::filledRun(tableRows())))
        accept();
}

bool TFDeviceNetNetwork::saveWithRegisters(const QList<DnetSlaveRow> &slaves)
{
    // Where each loaded slave is now; a slave beyond the saved list is gone.
    QVector<int> newPositions;
    for (int i = 0; i < m_origin.size(); ++i) {
        if (m_origin.at(i) <= 0)
            continue;
        if (newPositions.size() < m_origin.at(i))
            newPositions.resize(m_origin.at(i));
        newPositions[m_origin.at(i) - 1] = i < slaves.size() ? i + 1 : 0;
    }
    bool identity = true;
    for (int k = 0; k < newPositions.size() && identity; ++k)
        identity = newPositions.at(k) == k + 1;

    const QString defRegPath = m_ctx.paths.DefRegPath;
    RegisterRenumber::Result renumbered;
    if (!identity && QFileInfo(defRegPath).isFile())
        renumbered = RegisterRenumber::renumber(ProjectDocument::load(defRegPath), newPositions);
    bool follow = false;
    if (renumbered.changed()) {
        QString question = text(1252);
        if (renumbered.removed > 0)
            question += text(1253) + QString::number(renumbered.removed);
        switch (messages().questionWithCancel(question)) {
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
