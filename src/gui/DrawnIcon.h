#pragma once

#include <QIcon>
#include <QList>

class QPainter;

// Icons drawn in code: no image file is read or decoded, and each size is drawn when a window first
// asks for it, so a window shows without decoding pictures at sizes it never uses.
namespace DrawnIcon {

// Paints the picture on a grid of `grid` x `grid` units (the painter is scaled to the size asked for).
using Painting = void (*)(QPainter &painter);

// `sizes` are the sizes the icon offers to a window system that picks one; any other size is drawn as
// asked. The disabled picture is the style's greyed version of the drawn one.
QIcon make(Painting painting, qreal grid, QList<int> sizes);

} // namespace DrawnIcon
