#include "lab/pvfigure.h"

#include "diagrams/drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace valthera::lab {

using namespace chartsize;

namespace {

// The axes hold both loops, the transient's and the occlusion run, from zero
// volume and pressure, with a little room above and to the right.
void fitAxes(const PvFigure &f, PvLayout &layout)
{
    double vMax = 0, pMax = 0;
    auto include = [&](const Beat &beat) {
        for (const Sample &s : beat.samples) {
            vMax = std::max(vMax, s.V);
            pMax = std::max(pMax, s.Plv);
        }
    };
    include(f.current->beat);
    include(f.baseline->beat);
    for (const Beat &beat : f.family)
        include(beat);
    if (f.shown != &f.current->beat)
        include(*f.shown);
    if (f.occlusion) {
        for (const Beat &beat : f.occlusion->beats)
            include(beat);
    }
    layout.volume = niceAxis(0, vMax * 1.08, 7);
    layout.pressure = niceAxis(0, pMax * 1.1, 6);
}

std::vector<LegendEntry> legendOf(const PvFigure &f, const ChartStyle &z)
{
    std::vector<LegendEntry> legend{
        {QStringLiteral("Current loop"), QPen(Qt::black, z(kLoopWidth)), Dot::Point},
        {QStringLiteral("Baseline: %1").arg(f.baselineName), QPen(ChartStyle::baseline(), z(kLineWidth), Qt::DashLine)},
        {QStringLiteral("ESPVR"), QPen(ChartStyle::espvr(), z(kLineWidth))},
        {QStringLiteral("EDPVR"), QPen(ChartStyle::edpvr(), z(kLineWidth))},
        {QStringLiteral("Ea line"), QPen(ChartStyle::ea(), z(kLineWidth))},
    };
    if (f.occlusion) {
        legend.push_back({QStringLiteral("Occlusion beats"), QPen(ChartStyle::occlusion(), z(1.5))});
        legend.push_back({QStringLiteral("End-systolic points"), QPen(Qt::NoPen), Dot::EndSystolic});
        legend.push_back({QStringLiteral("Fitted line"), QPen(Qt::white, z(kLineWidth), Qt::DashLine)});
    }
    return legend;
}

// The end-systolic and end-diastolic relations and the arterial elastance line.
void paintRelations(QPainter &painter, const Plot &plot, const SteadyState &current, const ChartStyle &z)
{
    const Parameters &p = current.parameters;
    const double v0 = p[Param::V0];
    QPainterPath edpvrCurve;
    const int n = 80;
    for (int i = 0; i <= n; ++i) {
        const double V = v0 + (plot.x.max - v0) * i / n;
        const QPointF at = plot.map(V, std::min(edpvr(p, V), plot.y.max * 2));
        if (i == 0)
            edpvrCurve.moveTo(at);
        else
            edpvrCurve.lineTo(at);
    }
    painter.setPen(QPen(ChartStyle::edpvr(), z(kLineWidth)));
    painter.drawPath(edpvrCurve);
    const double espvrEnd = std::min(plot.x.max, v0 + plot.y.max / p[Param::Ees]);
    painter.setPen(QPen(ChartStyle::espvr(), z(kLineWidth)));
    painter.drawLine(plot.map(v0, 0), plot.map(espvrEnd, espvr(p, espvrEnd)));
    const Segment ea = arterialElastanceLine(current);
    painter.setPen(QPen(ChartStyle::ea(), z(kLineWidth)));
    painter.drawLine(plot.map(ea.from.V, ea.from.P), plot.map(ea.to.V, ea.to.P));
}

// The occlusion run's loops and the line fitted through their end-systolic points.
void paintOcclusion(QPainter &painter, const Plot &plot, const Occlusion &occlusion, const ChartStyle &z)
{
    painter.setPen(QPen(ChartStyle::occlusion(), z(1.5)));
    for (const Beat &beat : occlusion.beats)
        drawing::curve(painter, loopLine(plot, beat), true);
    // The fitted line across the plot from its volume intercept.
    const double fitEnd = std::min(plot.x.max, occlusion.v0Fit + plot.y.max / occlusion.eesFit);
    painter.setPen(QPen(Qt::white, z(kLineWidth), Qt::DashLine));
    painter.drawLine(plot.map(occlusion.v0Fit, 0), plot.map(fitEnd, occlusion.eesFit * (fitEnd - occlusion.v0Fit)));
}

// What lies under the loop on show and the family behind it changes only with
// the steady loops, the occlusion run or the axes.
QString underlayKey(const PvFigure &f, const QString &key)
{
    QString under = key + parametersKey(f.current->parameters) + beatKey(f.current->beat) + beatKey(f.baseline->beat);
    if (f.occlusion) {
        under += QStringLiteral("%1/%2;").arg(f.occlusion->eesFit).arg(f.occlusion->v0Fit) +
            beatKey(f.occlusion->beats.front()) + beatKey(f.occlusion->beats.back());
    }
    return under;
}

// Points 1 to 5 where each happened, every label but the peak's to the left
// of its point: so 1 and 2 sit inside the loop, clear of the plot's right
// edge, and 4 and 5 outside it, where the end-systolic line leaves room above
// 4 and the diastolic curve below 5.
void paintPoints(QPainter &painter, const Plot &plot, const PvFigure &f, const ChartStyle &z)
{
    enum class Side { LeftAbove, LeftBelow, Above };
    struct PointLabel {
        int index;
        QString text;
        Side side;
    };
    const ValveEvents &ev = f.events;
    const std::array<PointLabel, 5> points{{
        {ev.mitralClose, QStringLiteral("1 MV closes"), Side::LeftAbove},
        {ev.aorticOpen, QStringLiteral("2 AV opens"), Side::LeftBelow},
        {ev.peakPressure, QStringLiteral("3 Peak"), Side::Above},
        {ev.aorticClose, QStringLiteral("4 AV closes"), Side::LeftAbove},
        {ev.mitralOpen, QStringLiteral("5 MV opens"), Side::LeftBelow},
    }};
    const auto &samples = f.shown->samples;
    painter.setFont(z.labelFont());
    const QFontMetricsF metrics(painter.font());
    for (const PointLabel &point : points) {
        if (point.index < 0 || point.index >= static_cast<int>(samples.size()))
            continue;
        const Sample &s = samples[static_cast<std::size_t>(point.index)];
        const QPointF at = plot.map(s.V, s.Plv);
        marker(painter, at, z);
        const double w = metrics.horizontalAdvance(point.text);
        const double off = z(kMarkerRadius) + z(3);
        QPointF text;
        switch (point.side) {
        case Side::LeftAbove:
            text = {at.x() - off - w, at.y() - off};
            break;
        case Side::LeftBelow:
            text = {at.x() - off - w, at.y() + off + metrics.ascent()};
            break;
        case Side::Above:
            text = {at.x() - w / 2, at.y() - off - metrics.descent()};
            break;
        }
        text.setX(std::clamp(text.x(), plot.area.left() + z(2), plot.area.right() - w - z(2)));
        painter.setPen(Qt::black);
        painter.drawText(text, point.text);
    }
}

// The loop on show over the family, and the occlusion run's end-systolic points.
void paintLoop(QPainter &painter, const Plot &plot, const QRectF &clip, const PvFigure &f, const ChartStyle &z)
{
    painter.save();
    painter.setClipRect(clip);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, z(kLoopWidth), Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    drawing::curve(painter, loopLine(plot, *f.shown), true);
    if (f.occlusion) {
        for (const Point &es : f.occlusion->endSystole)
            endSystolicDot(painter, plot.map(es.V, es.P), z);
    }
    painter.restore();
}

} // namespace

QPointF PvLayout::place(double v, double p) const
{
    return Plot{plot, volume, pressure}.map(v, p);
}

PvLayout paintPvContent(QPainter &painter, const PvFigure &f, const ChartStyle &z, QSizeF size, ChartLayers *layers)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF target(QPointF(0, 0), size);
    PvLayout layout;
    fitAxes(f, layout);
    const std::vector<LegendEntry> legend = legendOf(f, z);
    const double top = z(34), left = z(64), right = z(18);
    const double legendTop = bottomBand(z);
    const double legendH = legendHeight(legend, target.width() - left - right, z);
    const Plot plot{target.adjusted(left, top, -right, -(legendTop + legendH + z(6))), layout.volume, layout.pressure};
    if (plot.area.width() < 10 || plot.area.height() < 10) {
        painter.fillRect(target, ChartStyle::surround());
        return layout;
    }
    layout.plot = plot.area;

    const QString key = QStringLiteral("%1x%2 %3 %4 %5 %6")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(z.zoom)
                            .arg(f.title, f.baselineName)
                            .arg(legend.size()) +
        axisKey(layout.volume) + axisKey(layout.pressure);
    const QRectF clip = plot.area.adjusted(-1, -1, 1, 1);
    drawPart(layers, painter, ChartLayers::Part::Underlay, underlayKey(f, key), [&](QPainter &under) {
        drawPart(layers, under, ChartLayers::Part::Backdrop, key, [&](QPainter &backdrop) {
            backdrop.fillRect(target, ChartStyle::surround());
            paintTitle(backdrop, target, 0, top, f.title, z);
            paintFrame(backdrop, plot, QStringLiteral("VENTRICLE VOLUME (ml)"),
                QStringLiteral("VENTRICLE PRESSURE (mmHg)"), z, target.left());
            paintLegend(backdrop, legend,
                QRectF(left, plot.area.bottom() + legendTop, target.width() - left - right, legendH), z);
        });
        under.save();
        under.setClipRect(clip);
        under.setBrush(Qt::NoBrush);
        paintRelations(under, plot, *f.current, z); // under the loops
        if (f.occlusion)
            paintOcclusion(under, plot, *f.occlusion, z);
        under.setPen(QPen(ChartStyle::baseline(), z(kLineWidth), Qt::DashLine, Qt::FlatCap, Qt::BevelJoin));
        drawing::curve(under, loopLine(plot, f.baseline->beat), true);
        under.restore();
    });
    if (!f.family.empty()) {
        const QString familyKey = key + beatKey(f.family.front());
        if (layers) {
            layers->drawFamily(painter, clip, familyKey, plot, f.family, z);
        } else {
            painter.save();
            painter.setClipRect(clip);
            paintFamily(painter, plot, f.family, z);
            painter.restore();
        }
    }
    paintLoop(painter, plot, clip, f, z);
    paintPoints(painter, plot, f, z);
    return layout;
}

void paintPvCursor(QPainter &painter, const PvLayout &layout, const Sample &at, const ChartStyle &z)
{
    if (layout.plot.isEmpty())
        return;
    painter.save();
    painter.setClipRect(layout.plot.adjusted(-z(8), -z(8), z(8), z(8)));
    cursorDot(painter, layout.place(at.V, at.Plv), 6.5, z);
    painter.restore();
}

PvLayout paintPvChart(QPainter &painter, const PvFigure &figure, const ChartStyle &style, QSizeF size)
{
    const PvLayout layout = paintPvContent(painter, figure, style, size, nullptr);
    if (figure.cursor) {
        painter.setRenderHint(QPainter::Antialiasing);
        paintPvCursor(painter, layout, *figure.cursor, style);
    }
    return layout;
}

} // namespace valthera::lab
