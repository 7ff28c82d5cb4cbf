#pragma once
// Small drawing helpers shared by the charts and the schematics.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QStringList>
#include <functional>
#include <optional>

class QPainter;
class QPolygonF;

namespace valthera::drawing {

// Arial (through the program's font substitutes) at a size in pixels of the
// painter's logical coordinates; at least one pixel.
QFont arialPixels(double pixels, bool bold = false);

// A straight arrow with a filled head at `to`, in the painter's current pen colour.
void arrow(QPainter &painter, QPointF from, QPointF to, double width, double headLength);

// A long line (or, closed, a loop) through many points in the painter's pen.
// Drawn in runs where the pen allows, which costs a fraction of one stroke
// and looks the same.
void curve(QPainter &painter, const QPolygonF &line, bool closed);

// The line through as few of its points as keep every one of them within
// `tolerance` of it, the ends always kept. A thick antialiased pen costs by
// the point more than by the length: a beat's smooth curve needs a fifth of
// its points at a tenth of a pixel.
QPolygonF simplified(const QPolygonF &line, double tolerance);

// An image for a picture drawn again at every new size (a chart on a zoom
// step), uninitialised like QImage(size, format). Its memory is taken from,
// and goes back to when the last copy is gone, a small store shared by every
// thread. The first write to fresh memory costs a page fault per 4 KiB: about
// 8 ms for a full-screen chart, more than drawing it.
QImage canvas(QSize pixels, QImage::Format format);
// Makes the store keep memory for a canvas of this size already written, so
// the next canvas that fits costs no page faults: for the size a picture is
// likely drawn at next, made while the program is idle. Nothing when the store
// keeps such memory already.
void readyCanvas(QSize pixels, QImage::Format format);

// Text centred on a point.
void centredText(QPainter &painter, QPointF centre, const QString &text);

// A label on a picture: bold lines of text and, where it has one, an arrow
// from beside the text to what it names. Places are in the drawing's own units
// (a schematic's canvas, a chart's ml and mmHg), so a label keeps its place on
// any box.
struct Annotation {
    QStringList lines;
    QPointF textAt; // top-left corner of the first line
    std::optional<QLineF> arrow;
    double pixels = 12; // text size, in the drawing's units
    QColor colour = Qt::black; // of the text and the arrow
    QColor lastLine = {}; // a colour of its own for the last line, where valid
};

// How a drawing puts its annotations on the painter.
struct AnnotationStyle {
    std::function<QPointF(QPointF)> place; // drawing units to the painter's; none: as they are
    double scale = 1; // drawing units to the painter's, for text and arrows
    double arrowWidth = 1.2;
    double headLength = 6;
};

// Paints the text, then the arrow over it.
void annotate(QPainter &painter, const Annotation &note, const AnnotationStyle &style);

} // namespace valthera::drawing
