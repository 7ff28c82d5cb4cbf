#include "lab/timefigure.h"

#include "diagrams/drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>

namespace valthera::lab {

using namespace chartsize;

namespace {

// The beat's panels: pressures, volume and, with a support device, its flow.
struct Panels {
    Plot upper;
    Plot lower;
    Plot pump;
    bool device = false; // a support device's flow shows in the beat
    bool balloon = false; // the balloon inflates in it
};

// The axes of each panel, fitted to the beat.
Panels fitAxes(const Beat &beat)
{
    double pMax = 0, vMin = beat.samples.front().V, vMax = vMin, qMin = 0, qMax = 1;
    Panels panels;
    for (const Sample &s : beat.samples) {
        pMax = std::max({pMax, s.Plv, s.Pao, s.Pla});
        vMin = std::min(vMin, s.V);
        vMax = std::max(vMax, s.V);
        qMin = std::min(qMin, s.Qpump);
        qMax = std::max(qMax, s.Qpump);
        panels.device = panels.device || s.Qpump != 0;
        panels.balloon = panels.balloon || s.Vballoon > 0;
    }
    const AxisRange time = niceAxis(0, beat.period, 8);
    const double pad = std::max(2.0, (vMax - vMin) * 0.1);
    panels.upper = {QRectF(), time, niceAxis(0, pMax * 1.08, 4)};
    panels.lower = {QRectF(), time, niceAxis(vMin - pad, vMax + pad, 3)};
    panels.pump = {QRectF(), time, niceAxis(qMin, qMax * 1.05, 2)};
    return panels;
}

// The panels stacked in inner: pressures over volume over the device's flow.
void placePanels(Panels &panels, const QRectF &inner, double between)
{
    const bool device = panels.device;
    const double gaps = device ? 2 * between : between;
    const double pressureHeight = (inner.height() - gaps) * (device ? 0.5 : 0.6);
    const double volumeHeight = (inner.height() - gaps) * (device ? 0.28 : 0.4);
    panels.upper.area = QRectF(inner.left(), inner.top(), inner.width(), pressureHeight);
    panels.lower.area = QRectF(inner.left(), inner.top() + pressureHeight + between, inner.width(), volumeHeight);
    panels.pump.area = QRectF(inner.left(), panels.lower.area.bottom() + between, inner.width(),
        inner.bottom() - panels.lower.area.bottom() - between);
}

std::vector<LegendEntry> legendOf(const Panels &panels, const ChartStyle &z)
{
    std::vector<LegendEntry> legend{
        {QStringLiteral("LV pressure"), QPen(Qt::black, z(kLineWidth))},
        {QStringLiteral("Aortic"), QPen(ChartStyle::aortic(), z(kLineWidth))},
        {QStringLiteral("Left atrial"), QPen(ChartStyle::atrial(), z(kLineWidth))},
        {QStringLiteral("Valve event"), QPen(Qt::black, z(1), Qt::DashLine), Dot::Point},
    };
    if (panels.device)
        legend.push_back({QStringLiteral("Device flow"), QPen(ChartStyle::device(), z(kLineWidth))});
    if (panels.balloon)
        legend.push_back({QStringLiteral("Balloon inflated"), QPen(ChartStyle::balloon(), z(8))});
    return legend;
}

void paintBackdrop(QPainter &backdrop, const QRectF &target, const Beat &beat, const Panels &panels,
    const std::vector<LegendEntry> &legend, const QRectF &legendBand, const ChartStyle &z)
{
    backdrop.fillRect(target, ChartStyle::surround());
    paintTitle(backdrop, target, 0, z(28),
        beat.beats > 1 ? QStringLiteral("One Balloon Cycle of %1 Beats").arg(beat.beats) : QStringLiteral("One Beat"),
        z);
    paintFrame(backdrop, panels.upper, QString(), QStringLiteral("mmHg"), z, target.left());
    if (panels.device) {
        paintFrame(backdrop, panels.lower, QString(), QStringLiteral("LV ml"), z, target.left());
        paintFrame(backdrop, panels.pump, QStringLiteral("TIME (s)"), QStringLiteral("ml/s"), z, target.left());
    } else {
        paintFrame(backdrop, panels.lower, QStringLiteral("TIME (s)"), QStringLiteral("LV ml"), z, target.left());
    }
    paintLegend(backdrop, legend, legendBand, z);
}

// The spans of the beat with the balloon more than half full, shaded over
// the pressure panel.
void paintBalloon(QPainter &painter, const Beat &beat, const Plot &plot, double full)
{
    double from = -1;
    auto shade = [&](double a, double b) {
        const QPointF p = plot.map(a, plot.y.max), q = plot.map(b, plot.y.min);
        painter.fillRect(QRectF(p, q).normalized(), ChartStyle::balloon());
    };
    for (const Sample &s : beat.samples) {
        const bool inflated = s.Vballoon > 0.5 * full;
        if (inflated && from < 0)
            from = s.t;
        else if (!inflated && from >= 0) {
            shade(from, s.t);
            from = -1;
        }
    }
    if (from >= 0)
        shade(from, beat.samples.back().t);
}

// One value of the beat against time, in a panel, clipped to it.
void paintTrace(QPainter &painter, const Beat &beat, const Plot &plot, const QPen &pen, double Sample::*value)
{
    painter.save();
    painter.setClipRect(plot.area.adjusted(-1, -1, 1, 1));
    painter.setPen(pen);
    drawing::curve(painter, thinLine(beat, [&plot, value](const Sample &s) { return plot.map(s.t, s.*value); }), false);
    painter.restore();
}

void paintTraces(QPainter &painter, const Beat &beat, const Panels &panels, const ChartStyle &z)
{
    const double w = z(kLineWidth);
    painter.save();
    painter.setClipRect(panels.upper.area.adjusted(-1, -1, 1, 1));
    for (const auto &[colour, value] : {std::pair{ChartStyle::atrial(), &Sample::Pla},
             std::pair{ChartStyle::aortic(), &Sample::Pao}, std::pair{QColor(Qt::black), &Sample::Plv}}) {
        painter.setPen(QPen(colour, w));
        drawing::curve(painter,
            thinLine(beat, [&panels, value](const Sample &s) { return panels.upper.map(s.t, s.*value); }), false);
    }
    painter.restore();
    paintTrace(painter, beat, panels.lower, QPen(Qt::black, w), &Sample::V);
    if (panels.device)
        paintTrace(painter, beat, panels.pump, QPen(ChartStyle::device(), w), &Sample::Qpump);
}

// The valve events where each happened: a dashed line through both panels,
// numbered above, and a marker on each curve at the instant.
void paintEvents(QPainter &painter, const Beat &beat, const ValveEvents &ev, const Panels &panels, const ChartStyle &z)
{
    const Plot &upper = panels.upper, &lower = panels.lower;
    painter.setFont(z.labelFont());
    const QFontMetricsF metrics(painter.font());
    for (const auto &[index, number] : std::array<std::pair<int, const char *>, 4>{
             {{ev.mitralClose, "1"}, {ev.aorticOpen, "2"}, {ev.aorticClose, "4"}, {ev.mitralOpen, "5"}}}) {
        if (index < 0 || index >= static_cast<int>(beat.samples.size()))
            continue;
        const Sample &s = beat.samples[static_cast<std::size_t>(index)];
        const double x = upper.map(s.t, 0).x();
        painter.setPen(QPen(Qt::black, z(1), Qt::DashLine));
        painter.drawLine(QPointF(x, upper.area.top()), QPointF(x, lower.area.bottom()));
        marker(painter, upper.map(s.t, s.Plv), z);
        marker(painter, lower.map(s.t, s.V), z);
        painter.setPen(Qt::white);
        const QString text = QString::fromLatin1(number);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, upper.area.top() - z(5)), text);
    }
}

} // namespace

double TimeLayout::placeOf(double seconds) const
{
    return upper.left() + upper.width() * (seconds - time.min) / (time.max - time.min);
}

TimeLayout paintTimeContent(
    QPainter &painter, const TimeFigure &f, const ChartStyle &z, QSizeF size, ChartLayers *layers)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF target(QPointF(0, 0), size);
    TimeLayout layout;
    const Beat &beat = *f.beat;
    if (beat.samples.empty()) {
        painter.fillRect(target, ChartStyle::surround());
        return layout;
    }
    Panels panels = fitAxes(beat);
    const std::vector<LegendEntry> legend = legendOf(panels, z);
    const double top = z(46), left = z(64), right = z(18), between = z(12);
    const double legendH = legendHeight(legend, target.width() - left - right, z);
    const QRectF inner = target.adjusted(left, top, -right, -(bottomBand(z) + legendH + z(6)));
    if (inner.width() < 10 || inner.height() < 30) {
        painter.fillRect(target, ChartStyle::surround());
        return layout;
    }
    placePanels(panels, inner, between);
    layout = {panels.upper.x, panels.upper.y, panels.lower.y, panels.upper.area, panels.lower.area};

    const QString key = QStringLiteral("%1x%2 %3 %4%5 ")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(z.zoom)
                            .arg(panels.device)
                            .arg(panels.balloon) +
        axisKey(panels.upper.x) + axisKey(panels.upper.y) + axisKey(panels.lower.y) +
        (panels.device ? axisKey(panels.pump.y) : QString());
    const double bottom = panels.device ? panels.pump.area.bottom() : panels.lower.area.bottom();
    const QRectF legendBand(left, bottom + bottomBand(z), inner.width(), legendH);
    drawPart(layers, painter, ChartLayers::Part::Backdrop, key,
        [&](QPainter &backdrop) { paintBackdrop(backdrop, target, beat, panels, legend, legendBand, z); });
    if (panels.balloon)
        paintBalloon(painter, beat, panels.upper, f.balloonVolume);
    paintTraces(painter, beat, panels, z);
    paintEvents(painter, beat, f.events, panels, z);
    return layout;
}

void paintTimeCursor(QPainter &painter, const TimeLayout &layout, const Sample &s, const ChartStyle &z)
{
    if (layout.upper.isEmpty())
        return;
    const double x = layout.placeOf(s.t);
    // A dark edge either side, so the line shows on the green and over the curves.
    painter.setPen(QPen(Qt::black, z(4), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x, layout.upper.top()), QPointF(x, layout.lower.bottom()));
    painter.setPen(QPen(ChartStyle::cursor(), z(2), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x, layout.upper.top()), QPointF(x, layout.lower.bottom()));
    cursorDot(painter, Plot{layout.upper, layout.time, layout.pressure}.map(s.t, s.Plv), 5, z);
    cursorDot(painter, Plot{layout.lower, layout.time, layout.volume}.map(s.t, s.V), 5, z);
}

TimeLayout paintTimeChart(QPainter &painter, const TimeFigure &figure, const ChartStyle &style, QSizeF size)
{
    const TimeLayout layout = paintTimeContent(painter, figure, style, size, nullptr);
    if (figure.cursor) {
        painter.setRenderHint(QPainter::Antialiasing);
        paintTimeCursor(painter, layout, *figure.cursor, style);
    }
    return layout;
}

} // namespace valthera::lab
