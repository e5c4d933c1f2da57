#pragma once

#include <QAbstractItemView>
#include <QAccessible>
#include <QHash>
#include <QLabel>
#include <QMap>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>

// Reads a shown window the way a screen reader does, through QAccessible, and lists what such a
// reader would miss: a control without a name, a hint that is not its description, two controls
// it could not tell apart, a window that is not exposed as one, a Tab stop that reads as text or a
// picture (a focusable label).
namespace AccessibilityCheck {

struct Report
{
    QStringList faults;
    // Name and description of each control read, by its place in the window.
    QMap<QString, QString> texts;
};

// Controls a user operates or reads a value from.
inline bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::PageTab:
    case QAccessible::ColumnHeader:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

inline QString roleName(QAccessible::Role role)
{
    return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role));
}

// On X11 a drop-down list reports its current entry as its name; the reader takes the name from
// the labels related to it instead.
inline QString nameOf(QAccessibleInterface *iface)
{
#ifdef Q_OS_UNIX
    if (iface->role() == QAccessible::ComboBox) {
        QStringList parts;
        for (const auto &relation : iface->relations(QAccessible::Label))
            if (qobject_cast<QLabel *>(relation.first->object()))
                parts.append(relation.first->text(QAccessible::Name).simplified());
        return parts.join(QLatin1Char(' '));
    }
#endif
    return iface->text(QAccessible::Name).simplified();
}

class Walker
{
public:
    explicit Walker(QWidget *window)
        : m_window(window)
    {}

    Report run()
    {
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(m_window);
        const QString where = m_window->objectName();
        if (!root) {
            m_report.faults.append(where + QStringLiteral(": no accessible interface"));
            return m_report;
        }
        if (root->role() != QAccessible::Window && root->role() != QAccessible::Dialog)
            m_report.faults.append(where + QStringLiteral(": exposed as ") + roleName(root->role()));
        if (root->text(QAccessible::Name).isEmpty() || root->text(QAccessible::Name) != m_window->windowTitle())
            m_report.faults.append(where + QStringLiteral(": named \"") + root->text(QAccessible::Name) +
                                   QStringLiteral("\", caption \"") + m_window->windowTitle() + QLatin1Char('"'));
        visitChildren(root, where);
        for (auto it = m_byName.cbegin(); it != m_byName.cend(); ++it)
            if (it.value().size() > 1)
                m_report.faults.append(QStringLiteral("\"%1\" names %2").arg(it.key(), it.value().join(", ")));
        return m_report;
    }

private:
    void visitChildren(QAccessibleInterface *parent, const QString &where)
    {
        auto *view = qobject_cast<QAbstractItemView *>(parent->object());
        for (int i = 0; i < parent->childCount(); ++i) {
            QAccessibleInterface *child = parent->child(i);
            if (!child)
                continue;
            // Of an item view only the header cells are read; they come before the items.
            if (view) {
                const QAccessible::Role role = child->role();
                if (role == QAccessible::Cell || role == QAccessible::ListItem || role == QAccessible::TreeItem)
                    break;
                if (role != QAccessible::ColumnHeader && role != QAccessible::RowHeader)
                    continue;
            }
            visit(child, where, i, view);
        }
    }

    void visit(QAccessibleInterface *iface, const QString &parentWhere, int index, QAbstractItemView *view)
    {
        auto *widget = qobject_cast<QWidget *>(iface->object());
        if (widget && widget->isWindow())
            return;
        if (iface->state().invisible)
            return;
        QString where = parentWhere + QLatin1Char('/');
        if (widget && !widget->objectName().isEmpty())
            where += widget->objectName();
        else
            where += roleName(iface->role()) + QString::number(index);

        const QAccessible::Role role = iface->role();
        // A label the keyboard reaches is read as text: the reader never says that it can be chosen.
        if (widget && (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
            (role == QAccessible::StaticText || role == QAccessible::Graphic))
            m_report.faults.append(where + QStringLiteral(": a Tab stop read as ") + roleName(role));
        if (isControl(role)) {
            const QString name = nameOf(iface);
            const QString description = iface->text(QAccessible::Description);
            m_report.texts.insert(where, name + QStringLiteral(" | ") + description);
            if (name.isEmpty())
                m_report.faults.append(where + QStringLiteral(" (") + roleName(role) + QStringLiteral("): no name"));
            else
                m_byName[name.toCaseFolded()].append(where);
            QString hint = widget ? widget->toolTip() : QString();
            if (role == QAccessible::ColumnHeader && view)
                hint = columnHint(view, name);
            if (!hint.isEmpty() && description != hint)
                m_report.faults.append(where + QStringLiteral(": hint \"") + hint +
                                       QStringLiteral("\", description \"") + description + QLatin1Char('"'));
        }
        // What a control holds (a drop-down's entries, an edit's text) is no further control.
        if (role == QAccessible::ComboBox || role == QAccessible::EditableText || role == QAccessible::SpinBox)
            return;
        visitChildren(iface, where);
    }

    static QString columnHint(QAbstractItemView *view, const QString &caption)
    {
        const QAbstractItemModel *model = view->model();
        for (int c = 0; model && c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().simplified() == caption)
                return model->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
        return QString();
    }

    QWidget *m_window;
    Report m_report;
    QMap<QString, QStringList> m_byName;
};

inline Report walk(QWidget *window)
{
    return Walker(window).run();
}

} // namespace AccessibilityCheck
