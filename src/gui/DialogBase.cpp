#include "DialogBase.h"

#include "Accessibility.h"
#include "base/ProductIdentity.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

DialogBase::DialogBase(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_ctx(context)
{
    applyLook(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

const QColor &DialogBase::background()
{
    static const QColor colour(248, 247, 237);
    return colour;
}

void DialogBase::applyLook(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, background());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(8);
    window->setFont(font);
}

bool DialogBase::pressFocusedButton(QWidget *window, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // A button whose own handling let Enter pass (it is no default button) reaches its window here.
    auto *button = qobject_cast<QPushButton *>(window->focusWidget());
    if (!button || button->window() != window || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return false;
    event->accept();
    button->click();
    return true;
}

void DialogBase::keyPressEvent(QKeyEvent *event)
{
    if (!pressFocusedButton(this, event))
        QDialog::keyPressEvent(event);
}

QWidget *DialogBase::makeTitleBand(int width)
{
    auto *band = new QWidget(this);
    band->setObjectName(QStringLiteral("P_Title"));
    band->setGeometry(0, 0, width, 69);
    m_titleCode = new QLabel(Product::SoftwareCode, band);
    m_titleCode->setObjectName(QStringLiteral("L_SW_Code"));
    QFont codeFont = m_titleCode->font();
    codeFont.setPixelSize(32);
    m_titleCode->setFont(codeFont);
    m_titleCode->setStyleSheet(QStringLiteral("color: grey;"));
    m_titleCode->move(16, 8);
    m_titleCode->adjustSize();
    m_titleDescription = new QLabel(band);
    m_titleDescription->setObjectName(QStringLiteral("L_SW_Desc"));
    QFont descFont = m_titleDescription->font();
    descFont.setBold(true);
    m_titleDescription->setFont(descFont);
    m_titleDescription->setStyleSheet(QStringLiteral("color: grey;"));
    m_titleDescription->setGeometry(16, 42, width - 24, 20);
    return band;
}

QPushButton *DialogBase::makeButton(QWidget *parent, const QString &objectName, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void DialogBase::onClick(QAbstractButton *button, const std::function<void()> &command)
{
    connect(button, &QAbstractButton::clicked, this, ErrorReport::guarded(m_ctx.messages, command));
}

QLabel *DialogBase::makeLabel(QWidget *parent, const QString &objectName, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    return label;
}

namespace {

// A table of whole rows to look at is one stop of its window's Tab order: the arrow keys move inside
// it, Tab and Shift+Tab leave it (no cell-by-cell walk that wraps inside), and so do Ctrl+Tab and
// Ctrl+Shift+Tab, which a view would otherwise swallow.
class RowTableView : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
        if (tab && (event->modifiers() & Qt::ControlModifier)) {
            const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
            QWidget::focusNextPrevChild(!back);
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }
};

} // namespace

QTableView *DialogBase::makeRowTable(QWidget *parent, const QString &objectName, const QRect &geometry,
                                     QAbstractItemModel *model)
{
    auto *table = new RowTableView(parent);
    table->setTabKeyNavigation(false);
    table->setObjectName(objectName);
    table->setGeometry(geometry);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    // Fixed row heights and column widths: thousands of rows need no measuring.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void DialogBase::centreOnScreen()
{
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void DialogBase::setFixedClientSize(int width, int height)
{
    setFixedSize(width, height);
}

void DialogBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Accessibility::update(this, m_ctx.catalog);
}
