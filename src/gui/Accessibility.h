#pragma once

#include <QList>

class QWidget;
class TextCatalog;

// What assistive technology reads of the windows. Each control's accessible name comes from the
// caption it is tied to and each hint becomes its accessible description; `update` puts them on
// after the window's texts change, so they follow the language like every other text.
namespace Accessibility {

// Catalog texts used by the names composed here.
enum CatalogIndex {
    SlaveTableName = 1450,
    FieldPartFormat = 1451,      // "%1, byte %2": one field of an address row
    ControlContextFormat = 1452, // "%1 (%2)": a control named after its hint and its group
};

// Installs, once per process, the interfaces that expose a top-level plain widget as a window.
void exposeWindows();

// The field is named after its captions, read one after the other (two-line labels); caption
// labels become the field's buddies, which is where some platforms look for the name.
void setCaption(QWidget *field, const QList<QWidget *> &captions);
// A row of fields under one caption (the four bytes of an address): "<caption>, byte <n>".
void setRowCaption(const QList<QWidget *> &fields, QWidget *caption);
// The control's name also says which group it belongs to: "<name> (<group title>)".
void setContext(QWidget *control, QWidget *context);

// Walks the widgets under root: a control tied to captions by setCaption, or a list whose label
// names it as buddy, takes the captions' text as its name (Qt reads other buddies itself), a button
// without text its hint; a control with a hint takes the hint as its description. Names and
// descriptions set by other means are left alone.
void update(QWidget *root, const TextCatalog &catalog);

// The text a caption shows, without mnemonics, markup or repeated blanks.
QString captionText(const QWidget *caption);

} // namespace Accessibility
