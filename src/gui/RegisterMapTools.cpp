#include "RegisterMapTools.h"

#include "TFAutoMap.h"
#include "TFDefineModbusRegs.h"
#include "TFMapOverview.h"
#include "documents/AutoMap.h"
#include "documents/MapCsv.h"

#include "base/ParseIntOrDefault.h"
#include "documents/MapOverview.h"
#include "text/Plural.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

RegisterMapTools::RegisterMapTools(TFDefineModbusRegs &dialog)
    : QObject(&dialog)
    , m_dialog(dialog)
{
    setObjectName(QStringLiteral("RegisterMapTools"));
    // Bottom left, level with OK and Cancel: the only free room outside the pages.
    m_button = dialog.makeButton(&dialog, QStringLiteral("Btn_Map_Tools"), QRect(8, 494, 130, 28));

    m_menu = new QMenu(&dialog);
    m_menu->setObjectName(QStringLiteral("PM_Map_Tools"));
    Messages *messages = dialog.m_ctx.messages;
    const auto addAction = [this, messages](const char *name, void (RegisterMapTools::*command)()) {
        QAction *action = m_menu->addAction(QString());
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this,
                ErrorReport::guarded(messages, [this, command] { (this->*command)(); }));
        return action;
    };
    m_autoMapSlave = addAction("A_AutoMap_Slave", &RegisterMapTools::autoMapSlave);
    m_autoMapAll = addAction("A_AutoMap_All", &RegisterMapTools::autoMapAll);
    m_menu->addSeparator();
    m_overview = addAction("A_Overview", &RegisterMapTools::showOverview);
    m_menu->addSeparator();
    m_export = addAction("A_Export_CSV", &RegisterMapTools::exportCsv);
    m_import = addAction("A_Import_CSV", &RegisterMapTools::importCsv);
    connect(m_menu, &QMenu::aboutToShow, this, &RegisterMapTools::updateActions);

    connect(m_button, &QPushButton::clicked, this,
            [this] { popupAt(m_button->mapToGlobal(QPoint(0, m_button->height()))); });
    for (const auto &page : dialog.m_pages) {
        for (QListWidget *list : {page.slaves, page.regs}) {
            list->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(list, &QWidget::customContextMenuRequested, this,
                    [this, list](const QPoint &position) { listContextMenu(list, position); });
        }
    }
    // The language may change while the dialog is closed: the texts follow at every opening.
    dialog.installEventFilter(this);
    setTexts();
}

bool RegisterMapTools::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_dialog && event->type() == QEvent::Show)
        setTexts();
    return QObject::eventFilter(watched, event);
}

void RegisterMapTools::setTexts()
{
    m_button->setText(m_dialog.text(1355));
    m_button->setToolTip(m_dialog.text(1356));
    m_autoMapSlave->setText(m_dialog.text(1350));
    m_autoMapAll->setText(m_dialog.text(1351));
    m_overview->setText(m_dialog.text(1352));
    m_export->setText(m_dialog.text(1353));
    m_import->setText(m_dialog.text(1354));
}

int RegisterMapTools::shownPage() const
{
    return m_dialog.PC_Modbus->currentIndex() == 1 ? ModbusMap::Write : ModbusMap::Read;
}

void RegisterMapTools::updateActions()
{
    m_autoMapSlave->setEnabled(m_dialog.selectedSlave(shownPage()) >= 0);
}

void RegisterMapTools::popupAt(const QPoint &globalPosition)
{
    updateActions();
    m_menu->popup(globalPosition);
}

void RegisterMapTools::listContextMenu(QListWidget *list, const QPoint &position)
{
    popupAt(list->viewport()->mapToGlobal(position));
}

void RegisterMapTools::refreshRegisters()
{
    // As after Create: the lists show the new registers, the editor keeps its contents.
    m_dialog.Aggiorna_Lista_ModReg();
}

void RegisterMapTools::showChanged(int page, int slave)
{
    // The first slave that changed, on its page, with its registers in view.
    if (page != ModbusMap::Read && page != ModbusMap::Write)
        return;
    m_dialog.PC_Modbus->setCurrentIndex(page - 1);
    QListWidget *slaves = m_dialog.page(page).slaves;
    if (slaves->currentRow() != slave)
        slaves->setCurrentRow(slave); // refreshes the lists as a click does
    slaves->scrollToItem(slaves->currentItem());
}

QString RegisterMapTools::pageRanges(const QVector<AutoMapResult::Block> &blocks) const
{
    // Per page, from the lowest index given to the highest.
    QStringList parts;
    for (const int page : {ModbusMap::Read, ModbusMap::Write}) {
        int first = -1;
        int last = -1;
        for (const AutoMapResult::Block &b : blocks) {
            if (b.page != page || b.count == 0)
                continue;
            first = first < 0 ? b.first : std::min(first, b.first);
            last = std::max(last, b.last);
        }
        if (first >= 0)
            parts.append(m_dialog.text(1499).arg(MapOverview::pageName(page, m_dialog.m_ctx.catalog),
                                                 QString::number(first), QString::number(last)));
    }
    return parts.join(QLatin1String("; "));
}

void RegisterMapTools::autoMapped(const AutoMapResult &result)
{
    refreshRegisters();
    m_dialog.m_bulkChanged = true;
    m_dialog.showStatus(Plural::pick(m_dialog.m_ctx.catalog, result.added, 1717, 1498)
                            .arg(QString::number(result.added), pageRanges(result.blocks)));
    if (!result.blocks.isEmpty())
        showChanged(result.blocks.first().page, result.blocks.first().slave);
}

namespace {

// Shows a refusal, or that there was nothing to do; true when registers were added.
bool report(const AutoMapResult &result, Messages &messages, const AppContext &ctx)
{
    if (result.failure) {
        messages.error(result.message(ctx.catalog));
        return false;
    }
    if (result.added == 0) {
        messages.warning(ctx.text(1357));
        return false;
    }
    return true;
}

} // namespace

void RegisterMapTools::autoMapSlave()
{
    const int page = shownPage();
    const int slave = m_dialog.selectedSlave(page);
    if (slave < 0)
        return;
    if (!m_autoMapDialog)
        m_autoMapDialog = new TFAutoMap(m_dialog.m_ctx, &m_dialog);
    m_autoMapDialog->Set_Lang();
    m_autoMapDialog->setForSlave(slave, m_dialog.Lista_DNET_Slave.slave(slave).ID, page);
    if (m_autoMapDialog->exec() != QDialog::Accepted)
        return;
    const AutoMapResult result = AutoMap::mapSlave(m_dialog.Lista_DNET_Slave, slave, page, m_autoMapDialog->options());
    if (report(result, m_dialog.messages(), m_dialog.m_ctx))
        autoMapped(result);
}

void RegisterMapTools::autoMapAll()
{
    if (!m_autoMapDialog)
        m_autoMapDialog = new TFAutoMap(m_dialog.m_ctx, &m_dialog);
    m_autoMapDialog->Set_Lang();
    m_autoMapDialog->setForAllSlaves(true);
    if (m_autoMapDialog->exec() != QDialog::Accepted)
        return;
    const AutoMapResult result =
        AutoMap::mapAll(m_dialog.Lista_DNET_Slave, m_autoMapDialog->pages(), m_autoMapDialog->options());
    if (report(result, m_dialog.messages(), m_dialog.m_ctx))
        autoMapped(result);
}

void RegisterMapTools::showOverview()
{
    TFMapOverview overview(m_dialog.m_ctx, m_dialog.Lista_DNET_Slave, &m_dialog);
    // The size the user gave the window last, for the rest of the run.
    if (m_overviewSize.isValid())
        overview.resize(m_overviewSize);
    const int result = overview.exec();
    m_overviewSize = overview.size();
    if (result != QDialog::Accepted || !overview.chosen())
        return;
    const OverviewRow chosen = *overview.chosen();
    const int p = chosen.page;
    m_dialog.PC_Modbus->setCurrentIndex(p - 1);
    auto &page = m_dialog.page(p);
    if (page.slaves->currentRow() != chosen.slave)
        page.slaves->setCurrentRow(chosen.slave); // refreshes the lists as a click does
    page.regs->setCurrentRow(chosen.position);
    m_dialog.Aggiorna_Green_Fields();
    page.regs->scrollToItem(page.regs->currentItem());
    page.regs->setFocus();
}

QString RegisterMapTools::askFile(bool forSave) const
{
    if (chooseFile)
        return chooseFile(forSave);
    QFileDialog fileDialog(&m_dialog, m_dialog.text(forSave ? 1411 : 1412), m_dialog.m_ctx.paths.ProjectFolder,
                           m_dialog.text(1410));
    fileDialog.setAcceptMode(forSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fileDialog.setFileMode(forSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    fileDialog.setDefaultSuffix(QStringLiteral("csv"));
    if (fileDialog.exec() != QDialog::Accepted)
        return QString();
    return fileDialog.selectedFiles().value(0);
}

void RegisterMapTools::exportCsv()
{
    const QString path = askFile(true);
    if (path.isEmpty())
        return;
    MapCsv::save(m_dialog.Lista_DNET_Slave, path);
    const int exported = m_dialog.Lista_DNET_Slave.registerCount();
    m_dialog.showStatus(Plural::pick(m_dialog.m_ctx.catalog, exported, 1719, 1501)
                            .arg(QString::number(exported), QFileInfo(path).fileName()));
}

void RegisterMapTools::importCsv()
{
    const QString path = askFile(false);
    if (path.isEmpty())
        return;
    const AppContext &ctx = m_dialog.m_ctx;
    const MapCsv::ImportResult result = MapCsv::parse(MapCsv::readFile(path), m_dialog.Lista_DNET_Slave, ctx.catalog);
    if (!result.problems.isEmpty()) {
        m_dialog.messages().error(ctx.text(1359) + QLatin1Char('\n') + path + QStringLiteral("\n\n") +
                                  MapCsv::problemsText(result.problems, ctx.catalog, 20, result.problemCount));
        return;
    }
    const int before = m_dialog.Lista_DNET_Slave.registerCount();
    if (before > 0 &&
        !m_dialog.messages().question(ctx.text(1358).arg(QString::number(before), QString::number(result.registers))))
        return;
    // Which slave changed first, and which indexes the imported registers use, page by page.
    const ModbusMap &old = m_dialog.Lista_DNET_Slave;
    const ModbusMap &imported = result.map;
    int changedPage = 0;
    int changedSlave = -1;
    QVector<AutoMapResult::Block> spans;
    for (const int page : {ModbusMap::Read, ModbusMap::Write}) {
        for (int s = 0; s < imported.slaveCount(); ++s) {
            const QVector<TMod_Reg> &now = imported.registers(s, page);
            const QVector<TMod_Reg> was = old.hasSlave(s) ? old.registers(s, page) : QVector<TMod_Reg>();
            const bool same = now.size() == was.size() &&
                              std::equal(now.begin(), now.end(), was.begin(), [](const TMod_Reg &x, const TMod_Reg &y) {
                                  return x.Ind_Mod == y.Ind_Mod && x.HiPart == y.HiPart && x.LoPart == y.LoPart;
                              });
            if (!same && changedSlave < 0) {
                changedPage = page;
                changedSlave = s;
            }
            for (const TMod_Reg &reg : now) {
                const int index = ParseIntOrDefault(reg.Ind_Mod, -1);
                if (index >= 0)
                    spans.append({s, page, 1, index, index});
            }
        }
    }
    const QString ranges = pageRanges(spans);
    m_dialog.Lista_DNET_Slave = result.map;
    refreshRegisters();
    m_dialog.m_bulkChanged = true;
    QString summary =
        Plural::pick(ctx.catalog, result.registers, 1718, 1500).arg(QString::number(result.registers), ranges);
    if (result.hasMnemonic)
        summary += QStringLiteral(". ") + m_dialog.text(1674);
    m_dialog.showStatus(summary);
    if (changedSlave >= 0)
        showChanged(changedPage, changedSlave);
}
