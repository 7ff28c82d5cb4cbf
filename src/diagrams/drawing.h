#pragma once
// Small drawing helpers shared by the charts and the schematics.

#include <QFont>
#include <QPointF>

class QPainter;
class QColor;

namespace valthera::drawing {

// Arial (through the program's font substitutes) at a size in pixels of the
// painter's logical coordinates; at least one pixel.
QFont arialPixels(double pixels, bool bold = false);

// A straight arrow with a filled head at `to`, in the painter's current pen colour.
void arrow(QPainter &painter, QPointF from, QPointF to, double width, double headLength);

// Text centred on a point.
void centredText(QPainter &painter, QPointF centre, const QString &text);

} // namespace valthera::drawing
