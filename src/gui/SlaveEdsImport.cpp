#include "SlaveEdsImport.h"

#include "ErrorReport.h"
#include "GridWidget.h"
#include "TFImportEds.h"
#include "app/AppContext.h"
#include "base/TextUtil.h"
#include "eds/EdsFile.h"

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

namespace {

constexpr int ButtonWidth = 130;

} // namespace

SlaveEdsImport::SlaveEdsImport(AppContext &context, QDialog &dialog, GridWidget &table)
    : QObject(&dialog)
    , m_ctx(context)
    , m_dialog(dialog)
    , m_table(table)
{
    setObjectName(QStringLiteral("SlaveEdsImport"));
    // Top right, in the title band: the bottom band is full with the six row buttons.
    m_button = new QPushButton(&dialog);
    m_button->setObjectName(QStringLiteral("Btn_Import_EDS"));
    m_button->setAutoDefault(false);
    m_button->setDefault(false);
    placeButton();
    connect(m_button, &QPushButton::clicked, this, ErrorReport::guarded(m_ctx.messages, [this] { importEds(); }));

    m_menu = new QMenu(&dialog);
    m_menu->setObjectName(QStringLiteral("PM_Slave_Row"));
    m_import = m_menu->addAction(QString());
    m_import->setObjectName(QStringLiteral("A_Import_EDS"));
    connect(m_import, &QAction::triggered, this, ErrorReport::guarded(m_ctx.messages, [this] { importEds(); }));
    m_table.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_table, &QWidget::customContextMenuRequested, this, &SlaveEdsImport::rowContextMenu);

    // The language may change while the dialog is closed: the texts follow at every opening.
    dialog.installEventFilter(this);
    setTexts();
}

bool SlaveEdsImport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_dialog) {
        if (event->type() == QEvent::Show) {
            // Each opening starts from the saved list: nothing imported yet (a window restored from
            // the task bar is shown again, spontaneously, and keeps its imports).
            if (!event->spontaneous())
                m_imported = false;
            setTexts();
        } else if (event->type() == QEvent::Resize)
            placeButton();
    }
    return QObject::eventFilter(watched, event);
}

void SlaveEdsImport::setTexts()
{
    m_button->setText(m_ctx.text(1520));
    m_button->setToolTip(m_ctx.text(1521));
    m_import->setText(m_ctx.text(1520));
}

void SlaveEdsImport::placeButton()
{
    m_button->setGeometry(m_dialog.width() - ButtonWidth - 16, 8, ButtonWidth, 28);
    m_button->raise();
}

void SlaveEdsImport::rowContextMenu(const QPoint &position)
{
    // A right click picks the row it is on, as a left click would.
    const int row = m_table.rowAt(position.y());
    if (row < 0)
        return;
    const int column = m_table.currentColumn();
    m_table.setCurrentCell(row, column >= 1 ? column : 1);
    m_menu->popup(m_table.viewport()->mapToGlobal(position));
}

QString SlaveEdsImport::askFile()
{
    if (chooseFile)
        return chooseFile();
    QString folder = m_folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QFileInfo(m_ctx.paths.ProjectFolder).isDir() ? m_ctx.paths.ProjectFolder : QDir::homePath();
    QFileDialog fileDialog(&m_dialog, m_ctx.text(1522), folder, QStringLiteral("EDS (*.eds *.EDS *.Eds)"));
    fileDialog.setAcceptMode(QFileDialog::AcceptOpen);
    fileDialog.setFileMode(QFileDialog::ExistingFile);
    if (fileDialog.exec() != QDialog::Accepted)
        return QString();
    return fileDialog.selectedFiles().value(0);
}

void SlaveEdsImport::importEds()
{
    m_table.commitOpenEditor();
    GridTable &cells = m_table.cells();
    const int row = cells.currentRow();
    if (row < 1)
        return;
    const QString path = askFile();
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    const Eds::Result result = Eds::readFile(path, m_ctx.catalog);
    if (!result.device) {
        m_ctx.messages->error(result.error + QLatin1Char('\n') + m_ctx.text(1549));
        return;
    }
    TFImportEds window(m_ctx, *result.device, path, result.warnings, row, trimControl(cells.cell(row, 1)), &m_dialog);
    if (window.exec() != QDialog::Accepted)
        return;
    m_imported = true;
    cells.setCell(row, 2, QString::number(window.inputBytes()));
    cells.setCell(row, 3, QString::number(window.outputBytes()));
    if (trimControl(cells.cell(row, 4)).isEmpty())
        cells.setCell(row, 4, result.device->productName);
    cells.setCurrentCell(row, 2);
}
