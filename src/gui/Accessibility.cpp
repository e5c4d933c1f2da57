#include "Accessibility.h"

#include "text/TextCatalog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTextDocumentFragment>

namespace {

// Dynamic properties on the controls: their captions, their place in a row, their group, and
// the name and description last put on by update (so that a later update may replace them).
constexpr char CaptionsProperty[] = "swAccessibleCaptions";
constexpr char PartProperty[] = "swAccessiblePart";
constexpr char ContextProperty[] = "swAccessibleContext";
constexpr char AutoNameProperty[] = "swAccessibleAutoName";
constexpr char AutoDescriptionProperty[] = "swAccessibleAutoDescription";

// A window class made straight from QWidget is otherwise exposed as a plain client area.
QAccessibleInterface *windowFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    const QMetaObject *meta = object->metaObject();
    if (!widget->isWindow() || className != QLatin1String(meta->className()) ||
        meta->superClass() != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

QString stripMnemonics(const QString &text)
{
    // "&&" shows a single "&"; any other "&" only marks the shortcut letter.
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            plain += text.at(i);
        } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
            plain += QLatin1Char('&');
            ++i;
        }
    }
    return plain;
}

QString compose(const QString &format, const QString &first, const QString &second)
{
    // A language file whose entry lost a placeholder still gives every control its own name.
    if (!format.contains(QLatin1String("%1")) || !format.contains(QLatin1String("%2")))
        return first + QLatin1Char(' ') + second;
    return format.arg(first, second);
}

QList<QWidget *> storedCaptions(const QWidget *field)
{
    QList<QWidget *> captions;
    const QVariantList stored = field->property(CaptionsProperty).toList();
    for (const QVariant &v : stored)
        if (auto *w = qobject_cast<QWidget *>(v.value<QObject *>()))
            captions.append(w);
    return captions;
}

// Labels beside the field (same parent) that name it as their buddy, as Qt itself looks for them.
QList<QWidget *> buddyLabels(const QWidget *field)
{
    QList<QWidget *> labels;
    if (const QWidget *parent = field->parentWidget()) {
        for (QObject *child : parent->children())
            if (auto *label = qobject_cast<QLabel *>(child); label && label->buddy() == field)
                labels.append(label);
    }
    return labels;
}

QString derivedName(const QWidget *w, const TextCatalog &catalog)
{
    QList<QWidget *> captions = storedCaptions(w);
    // Qt reads a buddy label itself, always up to date, except for an item view.
    if (captions.isEmpty() && qobject_cast<const QAbstractItemView *>(w))
        captions = buddyLabels(w);
    QStringList parts;
    for (const QWidget *caption : std::as_const(captions))
        if (const QString text = Accessibility::captionText(caption); !text.isEmpty())
            parts.append(text);
    QString name = parts.join(QLatin1Char(' '));
    if (name.isEmpty()) {
        // A button that shows only an icon is known by its hint.
        if (auto *button = qobject_cast<const QAbstractButton *>(w); button && button->text().isEmpty())
            name = button->toolTip().simplified();
    }
    if (name.isEmpty())
        return name;
    if (const int part = w->property(PartProperty).toInt(); part > 0)
        name = compose(catalog.text(Accessibility::FieldPartFormat), name, QString::number(part));
    if (auto *context = qobject_cast<QWidget *>(w->property(ContextProperty).value<QObject *>()))
        if (const QString title = Accessibility::captionText(context); !title.isEmpty())
            name = compose(catalog.text(Accessibility::ControlContextFormat), name, title);
    return name;
}

void updateName(QWidget *w, const TextCatalog &catalog)
{
    const QString previous = w->property(AutoNameProperty).toString();
    const QString current = w->accessibleName();
    if (!current.isEmpty() && current != previous)
        return; // named on purpose elsewhere
    const QString name = derivedName(w, catalog);
    if (name.isEmpty() && previous.isEmpty())
        return;
    w->setAccessibleName(name);
    w->setProperty(AutoNameProperty, name);
}

void updateDescription(QWidget *w)
{
    const QString previous = w->property(AutoDescriptionProperty).toString();
    const QString current = w->accessibleDescription();
    if (!current.isEmpty() && current != previous)
        return;
    // Qt reads an ordinary widget's tool tip by itself, but not an item view's: set it for all.
    const QString hint = w->toolTip();
    if (hint.isEmpty() && previous.isEmpty())
        return;
    w->setAccessibleDescription(hint);
    w->setProperty(AutoDescriptionProperty, hint);
}

} // namespace

void Accessibility::exposeWindows()
{
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void Accessibility::setCaption(QWidget *field, const QList<QWidget *> &captions)
{
    QVariantList stored;
    for (QWidget *caption : captions) {
        stored.append(QVariant::fromValue<QObject *>(caption));
        if (auto *label = qobject_cast<QLabel *>(caption))
            label->setBuddy(field);
    }
    field->setProperty(CaptionsProperty, stored);
}

void Accessibility::setRowCaption(const QList<QWidget *> &fields, QWidget *caption)
{
    for (int i = 0; i < fields.size(); ++i) {
        fields.at(i)->setProperty(CaptionsProperty, QVariantList{QVariant::fromValue<QObject *>(caption)});
        fields.at(i)->setProperty(PartProperty, i + 1);
    }
    // The first field is where the label's shortcut leads.
    if (auto *label = qobject_cast<QLabel *>(caption); label && !fields.isEmpty())
        label->setBuddy(fields.first());
}

void Accessibility::setContext(QWidget *control, QWidget *context)
{
    control->setProperty(ContextProperty, QVariant::fromValue<QObject *>(context));
}

void Accessibility::update(QWidget *root, const TextCatalog &catalog)
{
    if (!root)
        return;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : std::as_const(widgets)) {
        updateName(w, catalog);
        updateDescription(w);
    }
}

QString Accessibility::captionText(const QWidget *caption)
{
    QString text;
    if (auto *label = qobject_cast<const QLabel *>(caption)) {
        text = label->text();
        if (label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
            text = QTextDocumentFragment::fromHtml(text).toPlainText();
        else if (label->buddy())
            text = stripMnemonics(text);
    } else if (auto *button = qobject_cast<const QAbstractButton *>(caption)) {
        text = stripMnemonics(button->text());
    } else if (auto *group = qobject_cast<const QGroupBox *>(caption)) {
        text = stripMnemonics(group->title());
    }
    return text.simplified();
}
