#pragma once
// The lab's time chart as a drawing of what it shows, apart from any window or
// session: one beat against time, ventricular, aortic and atrial pressure
// above, the ventricular volume below, a support device's flow under that when
// one runs, the balloon's inflation shaded, the valve events at the instants
// of the loop's points 1, 2, 4 and 5, and the cursor's line.

#include "lab/chartparts.h"
#include "model/measures.h"
#include "model/model.h"

#include <QSizeF>
#include <optional>

class QPainter;

namespace valthera::lab {

// What a time chart shows. It refers to the beat it draws, which must outlast it.
struct TimeFigure {
    const Beat *beat = nullptr;
    // Sample indices into the beat, -1 for an event that did not happen (none
    // while a transient's beats play).
    ValveEvents events;
    double balloonVolume = 0; // ml when full; more than half of it shades the span
    std::optional<Sample> cursor;
};

// Where the chart put its panels, for the cursor and the mouse.
struct TimeLayout {
    AxisRange time;
    AxisRange pressure;
    AxisRange volume;
    QRectF upper; // empty when the chart is too small for its panels
    QRectF lower;

    // The x at which an instant of the beat is drawn.
    double placeOf(double seconds) const;
};

// The whole chart, the cursor included, filling size.
TimeLayout paintTimeChart(QPainter &painter, const TimeFigure &figure, const ChartStyle &style, QSizeF size);
// The chart without the cursor, its backdrop kept by layers.
TimeLayout paintTimeContent(
    QPainter &painter, const TimeFigure &figure, const ChartStyle &style, QSizeF size, ChartLayers *layers);
// The cursor's line across both panels and its marks on the curves.
void paintTimeCursor(QPainter &painter, const TimeLayout &layout, const Sample &at, const ChartStyle &style);

} // namespace valthera::lab
