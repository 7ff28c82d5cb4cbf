#pragma once
// The pieces both lab charts are drawn from: axes of round numbers, a plot's
// frame, the title, the legend, the markers, and a beat's samples as a line
// thin enough to draw often. Plain drawing onto any painter.

#include "lab/chartstyle.h"
#include "model/model.h"

#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <cmath>
#include <functional>
#include <span>
#include <vector>

class QPainter;

namespace valthera::lab {

using namespace valthera::model;

// Round numbers for an axis that holds lo..hi in about `steps` steps of 1, 2
// or 5 times a power of ten.
struct AxisRange {
    double min = 0;
    double max = 1;
    double step = 1;
};
AxisRange niceAxis(double lo, double hi, int steps = 6);

// A plot's area and the values at its edges.
struct Plot {
    QRectF area;
    AxisRange x;
    AxisRange y;

    QPointF map(double X, double Y) const
    {
        return {area.left() + area.width() * (X - x.min) / (x.max - x.min),
            area.bottom() - area.height() * (Y - y.min) / (y.max - y.min)};
    }
};

// Green area, black grid at every labelled step and frame, white axes outside
// with ticks and labels, white axis titles. xTitle empty: no volume labels
// (a panel above another that carries them).
void paintFrame(QPainter &painter, const Plot &plot, const QString &xTitle, const QString &yTitle,
    const ChartStyle &style, double leftEdge);
// Height the frame needs below its plot for tick labels and the axis title.
double bottomBand(const ChartStyle &style);
// The chart's title centred in a band across the top; a long one shrinks to fit.
void paintTitle(QPainter &painter, const QRectF &target, double top, double bandHeight, const QString &text,
    const ChartStyle &style);

// The two kinds of dot the charts draw: the loop's numbered points and the
// valve events (black with a white rim), and the occlusion run's end-systolic
// points (white with a black rim, smaller). The legend draws its samples with
// the same functions, so a sample always looks like what it names.
void marker(QPainter &painter, QPointF at, const ChartStyle &style);
void endSystolicDot(QPainter &painter, QPointF at, const ChartStyle &style);
// The cursor's mark on a curve.
void cursorDot(QPainter &painter, QPointF at, double radius, const ChartStyle &style);

// A legend entry: a short stretch of the line as drawn, perhaps with its marker.
enum class Dot { None, Point, EndSystolic };
struct LegendEntry {
    QString text;
    QPen pen;
    Dot dot = Dot::None;
};
// Legend entries flow left to right and wrap; the height they take at a width.
double legendHeight(const std::vector<LegendEntry> &entries, double width, const ChartStyle &style);
void paintLegend(
    QPainter &painter, const std::vector<LegendEntry> &entries, const QRectF &band, const ChartStyle &style);

// A beat's samples as a line, mapped by map, through points at least
// kMinStep pixels apart, then only those a straight run between its
// neighbours would miss by more than kTolerance. A beat has well over a
// thousand samples, several to a pixel; drawing them all costs many times
// more while looking the same, and the charts are redrawn on every move of a
// dragged slider.
QPolygonF thinLine(const Beat &beat, const std::function<QPointF(const Sample &)> &map);
// A beat's loop on a pressure-volume plot.
QPolygonF loopLine(const Plot &plot, const Beat &beat);

// The earlier beats of a transient fade with age: the one just played at
// kNewestShade, each older one kFade times as dark as the next, so the path
// from the old loop to the new one reads and some thirty loops stay faint.
inline constexpr double kNewestShade = 0.62;
inline constexpr double kFade = 0.94;
QPen familyPen(double shade, const ChartStyle &style);
// Every loop of the family at its own shade, the oldest first.
void paintFamily(QPainter &painter, const Plot &plot, std::span<const Beat> family, const ChartStyle &style);
// A beat further on in a transient's family: every loop so far a step
// fainter, then the one just played over them at the newest shade. Drawn
// without antialiasing, which would cost as much again as the rest of the
// chart in the frame that reaches a new beat.
void fadeAndAdd(QPainter &layer, const QRectF &clip, const Plot &plot, const Beat &beat, const ChartStyle &style);

// What a picture depends on, in a few characters that change when it does.
QString axisKey(const AxisRange &axis);
// A beat's length and a few dozen of its points, far cheaper than every sample.
QString beatKey(const Beat &beat);
QString parametersKey(const Parameters &p);

// Where a chart keeps pictures of the parts of it that change seldom, and
// draws them from while what they show stays the same. Without one, a chart
// draws every part as it is painted, as vectors: a saved figure.
class ChartLayers {
public:
    enum class Part {
        Backdrop, // what changes only with the size, the zoom and the axes
        Underlay, // everything under the loops of a transient
    };
    virtual ~ChartLayers() = default;
    // Draws a part from a picture kept while key stays the same, drawing it
    // with paint when the key changed.
    virtual void drawPart(
        QPainter &painter, Part part, const QString &key, const std::function<void(QPainter &)> &paint) = 0;
    // A transient's earlier beats on the plot, clipped to clip; key names the
    // transient and the axes.
    virtual void drawFamily(QPainter &painter, const QRectF &clip, const QString &key, const Plot &plot,
        std::span<const Beat> family, const ChartStyle &style) = 0;
};

// The part drawn through layers, or straight onto the painter without.
void drawPart(ChartLayers *layers, QPainter &painter, ChartLayers::Part part, const QString &key,
    const std::function<void(QPainter &)> &paint);

} // namespace valthera::lab
