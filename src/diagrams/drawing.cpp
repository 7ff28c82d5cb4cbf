#include "diagrams/drawing.h"

#include "ui/look.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>
#include <cmath>

namespace valthera::drawing {

QFont arialPixels(double pixels, bool bold)
{
    QFont font = look::arial(look::kOrdinaryPointSize, bold);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return font;
}

void arrow(QPainter &painter, QPointF from, QPointF to, double width, double headLength)
{
    const QColor colour = painter.pen().color();
    const QLineF shaft(from, to);
    if (shaft.length() <= 0)
        return;
    const QLineF unit = shaft.unitVector();
    const QPointF direction(unit.dx(), unit.dy());
    const QPointF normal(-direction.y(), direction.x());
    const QPointF base = to - direction * headLength;
    const double half = headLength * 0.45;

    painter.save();
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF{{to, base + normal * half, base - normal * half}});
    painter.restore();
}

void centredText(QPainter &painter, QPointF centre, const QString &text)
{
    const QFontMetricsF metrics(painter.font());
    const double width = metrics.horizontalAdvance(text);
    painter.drawText(QPointF(centre.x() - width / 2, centre.y() + (metrics.ascent() - metrics.descent()) / 2), text);
}

} // namespace valthera::drawing
