#pragma once
// The lab's pressure-volume chart as a drawing of what it shows, apart from
// any window or session: the loop on show with its points 1 to 5, the
// baseline loop, the end-systolic and end-diastolic relations, the arterial
// elastance line, the occlusion run when there is one, a transient's earlier
// beats fading behind, a legend, and the cursor's mark. The same drawing on
// the screen, in a saved figure and from the command line.

#include "lab/chartparts.h"
#include "model/measures.h"
#include "model/model.h"

#include <QSizeF>
#include <QString>
#include <optional>
#include <span>

class QPainter;

namespace valthera::lab {

// What a P-V chart shows. It refers to the beats it draws, which must outlast it.
struct PvFigure {
    // The steady state solved for the parameters set: its parameters draw the
    // relations, its loop the arterial elastance line.
    const SteadyState *current = nullptr;
    // The loop drawn bold: the current steady beat, or the transient's beat on show.
    const Beat *shown = nullptr;
    const SteadyState *baseline = nullptr;
    QString baselineName; // the legend's "Baseline: <name>"
    const Occlusion *occlusion = nullptr;
    // A transient's beats before the one on show, oldest first.
    std::span<const Beat> family;
    // The numbered points on the loop on show: a sample index, -1 for an event
    // that did not happen (none while a transient's beats play).
    ValveEvents events;
    QString title;
    // The cursor's instant, marked on the loop.
    std::optional<Sample> cursor;
};

// Where the chart put its plot, for the cursor and the mouse.
struct PvLayout {
    QRectF plot; // empty when the chart is too small for one
    AxisRange volume;
    AxisRange pressure;

    QPointF place(double volume, double pressure) const;
};

// The whole chart, the cursor included, filling size.
PvLayout paintPvChart(QPainter &painter, const PvFigure &figure, const ChartStyle &style, QSizeF size);
// The chart without the cursor, its seldom-changing parts kept by layers.
PvLayout paintPvContent(
    QPainter &painter, const PvFigure &figure, const ChartStyle &style, QSizeF size, ChartLayers *layers);
// The cursor's mark, at a sample, over a chart drawn with layout.
void paintPvCursor(QPainter &painter, const PvLayout &layout, const Sample &at, const ChartStyle &style);

} // namespace valthera::lab
