#pragma once
// A pressure-volume chart drawn from the loop table: blue surround, green plot
// with a black frame and grid, white Arial axes and titles, the black control
// loop and, over it, an optional red changed loop with PIP lines and notes.
//
// Everything is painted as vectors into whatever rectangle the caller gives.
// Lengths below are in pixels of the design box (393 x 307); they scale with
// the box, while the plot itself stretches to fill what the margins leave.

#include "diagrams/chartlook.h"
#include "diagrams/drawing.h"
#include "diagrams/loopgeometry.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QPainter;

namespace valthera {

enum class VolumeAxis {
    To130, // labels every 10 ml, ticks every 5
    To160, // labels every 20 ml, ticks every 10
};

// A dotted line from the origin through point 4 of a loop, to the plot's edge.
struct PipLine {
    LoopId loop;
    QColor colour;
};

// Black text lines with an arrow from beside the text to a place on the chart,
// in chart units (x in ml, y in mmHg).
using ChartNote = drawing::Annotation;

struct LoopChartDesign {
    QString title;
    VolumeAxis volumeAxis = VolumeAxis::To130;
    std::optional<LoopId> changedLoop; // red, drawn over the control loop
    bool segmentLetters = false; // "E", "F", "G", "H" beside the control loop
    std::vector<PipLine> pipLines;
    std::vector<ChartNote> notes;
};

// Where a chart lands in a target rectangle.
struct ChartFrame {
    QRectF plot; // the green area; its edges are the axes' ends
    double volumeMax = 0; // ml at the right edge
    double pressureMax = 0; // mmHg at the top edge
    double scale = 1; // design pixels to target pixels, for text and lines

    QPointF map(double volume, double pressure) const;
    QPointF map(const LoopPoint &p) const { return map(p.volume, p.pressure); }
};

class LoopChart {
public:
    static constexpr double kDesignWidth = 393;
    static constexpr double kDesignHeight = 307;
    static constexpr double kPressureMax = 160;

    explicit LoopChart(LoopChartDesign design);

    const LoopChartDesign &design() const { return design_; }
    ChartFrame frame(const QRectF &target) const;
    void paint(QPainter &painter, const QRectF &target) const;

    static QColor controlColour() { return Qt::black; }
    static QColor changedColour() { return {255, 0, 0}; }
    static QColor plotColour() { return chartlook::plotGreen(); }

private:
    void paintAxes(QPainter &painter, const ChartFrame &frame, const QRectF &target) const;
    void paintLoop(
        QPainter &painter, const ChartFrame &frame, LoopId loop, const QColor &colour, const QColor &outline) const;
    void paintPipLine(QPainter &painter, const ChartFrame &frame, const PipLine &line) const;
    void paintSegmentLetters(QPainter &painter, const ChartFrame &frame) const;

    LoopChartDesign design_;
};

} // namespace valthera
