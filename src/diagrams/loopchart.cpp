#include "diagrams/loopchart.h"

#include "diagrams/chartlook.h"
#include "diagrams/drawing.h"
#include "ui/look.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace valthera {

namespace {

// Margins around the plot and text sizes, in design pixels.
constexpr double kTopMargin = 34;
constexpr double kLeftMargin = 60;
constexpr double kBottomMargin = 50;
constexpr double kRightMargin = 16;
constexpr double kTitlePixels = 21;
constexpr double kAxisTitlePixels = 14;
constexpr double kLetterPixels = 15;
constexpr double kNoteArrowWidth = 1.5;
constexpr double kNoteArrowHead = 8;
using chartlook::kAxisGap; // white axis line outside the black frame
constexpr double kLongTick = chartlook::kTick;
constexpr double kShortTick = 3;
using chartlook::kLoopWidth;
using chartlook::kMarkerRadius;
using chartlook::kTickLabelPixels;

struct AxisSteps {
    double max;
    double labelStep;
    double tickStep;
};

AxisSteps volumeSteps(VolumeAxis axis)
{
    return axis == VolumeAxis::To130 ? AxisSteps{130, 10, 5} : AxisSteps{160, 20, 10};
}

constexpr AxisSteps kPressureSteps{LoopChart::kPressureMax, 20, 10};

QString number(double value)
{
    return QString::number(static_cast<int>(std::lround(value)));
}

} // namespace

QPointF ChartFrame::map(double volume, double pressure) const
{
    return {plot.left() + plot.width() * volume / volumeMax, plot.bottom() - plot.height() * pressure / pressureMax};
}

LoopChart::LoopChart(LoopChartDesign design)
    : design_(std::move(design))
{
}

ChartFrame LoopChart::frame(const QRectF &target) const
{
    ChartFrame frame;
    frame.scale = std::min(target.width() / kDesignWidth, target.height() / kDesignHeight);
    const double s = frame.scale;
    frame.plot = target.adjusted(kLeftMargin * s, kTopMargin * s, -kRightMargin * s, -kBottomMargin * s);
    frame.volumeMax = volumeSteps(design_.volumeAxis).max;
    frame.pressureMax = kPressureMax;
    return frame;
}

void LoopChart::paint(QPainter &painter, const QRectF &target) const
{
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const ChartFrame f = frame(target);

    painter.fillRect(target, look::windowBlue());
    painter.fillRect(f.plot, plotColour());
    paintAxes(painter, f, target);

    painter.save();
    painter.setClipRect(f.plot, Qt::IntersectClip);
    for (const PipLine &line : design_.pipLines)
        paintPipLine(painter, f, line);
    painter.restore();

    paintLoop(painter, f, LoopId::Control, controlColour(), Qt::white);
    if (design_.changedLoop)
        paintLoop(painter, f, *design_.changedLoop, changedColour(), changedColour());
    if (design_.segmentLetters)
        paintSegmentLetters(painter, f);
    const drawing::AnnotationStyle noteStyle{
        [&f](QPointF at) { return f.map(at.x(), at.y()); }, f.scale, kNoteArrowWidth, kNoteArrowHead};
    for (const ChartNote &note : design_.notes)
        drawing::annotate(painter, note, noteStyle);
    painter.restore();
}

void LoopChart::paintAxes(QPainter &painter, const ChartFrame &f, const QRectF &target) const
{
    const double s = f.scale;
    const QRectF &plot = f.plot;
    const AxisSteps volume = volumeSteps(design_.volumeAxis);

    // Grid lines every 20 mmHg, then the thin black frame over their ends.
    painter.setPen(QPen(Qt::black, chartlook::kFrameWidth * s));
    for (double p = kPressureSteps.labelStep; p < kPressureSteps.max; p += kPressureSteps.labelStep) {
        const double y = f.map(0, p).y();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    // White axis lines just outside the frame, ticks pointing out.
    const double axisX = plot.left() - kAxisGap * s;
    const double axisY = plot.bottom() + kAxisGap * s;
    painter.setPen(QPen(Qt::white, chartlook::kFrameWidth * s, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(axisX, plot.top()), QPointF(axisX, axisY));
    painter.drawLine(QPointF(axisX, axisY), QPointF(plot.right(), axisY));

    const auto isLabelled = [](double value, double step) { return std::fmod(value + 1e-9, step) < 1e-6; };
    for (double p = 0; p <= kPressureSteps.max + 1e-9; p += kPressureSteps.tickStep) {
        const double y = f.map(0, p).y();
        const double length = (isLabelled(p, kPressureSteps.labelStep) ? kLongTick : kShortTick) * s;
        painter.drawLine(QPointF(axisX - length, y), QPointF(axisX, y));
    }
    for (double v = 0; v <= volume.max + 1e-9; v += volume.tickStep) {
        const double x = f.map(v, 0).x();
        const double length = (isLabelled(v, volume.labelStep) ? kLongTick : kShortTick) * s;
        painter.drawLine(QPointF(x, axisY), QPointF(x, axisY + length));
    }

    // Tick labels.
    painter.setFont(drawing::arialPixels(kTickLabelPixels * s));
    const QFontMetricsF tickMetrics(painter.font());
    const double textMiddle = (tickMetrics.ascent() - tickMetrics.descent()) / 2;
    for (double p = 0; p <= kPressureSteps.max + 1e-9; p += kPressureSteps.labelStep) {
        const QString text = number(p);
        const double y = f.map(0, p).y();
        painter.drawText(
            QPointF(axisX - (kLongTick + 2) * s - tickMetrics.horizontalAdvance(text), y + textMiddle), text);
    }
    for (double v = 0; v <= volume.max + 1e-9; v += volume.labelStep) {
        const QString text = number(v);
        const double x = f.map(v, 0).x();
        painter.drawText(
            QPointF(x - tickMetrics.horizontalAdvance(text) / 2, axisY + (kLongTick + 1) * s + tickMetrics.ascent()),
            text);
    }

    // Axis titles: volume under its labels, pressure running up beside its labels.
    painter.setFont(drawing::arialPixels(kAxisTitlePixels * s, true));
    const QFontMetricsF titleMetrics(painter.font());
    const QString volumeTitle = QStringLiteral("VENTRICLE VOLUME");
    const double volumeBaseline = axisY + (kLongTick + 1) * s + tickMetrics.height() + 2 * s + titleMetrics.ascent();
    painter.drawText(
        QPointF(plot.center().x() - titleMetrics.horizontalAdvance(volumeTitle) / 2, volumeBaseline), volumeTitle);
    const QString pressureTitle = QStringLiteral("VENTRICLE PRESSURE");
    painter.save();
    painter.translate(target.left() + 4 * s + titleMetrics.ascent(), plot.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-titleMetrics.horizontalAdvance(pressureTitle) / 2, 0), pressureTitle);
    painter.restore();

    // The chart title, centred over the plot; a long title shrinks to stay inside the box.
    QFont titleFont = drawing::arialPixels(kTitlePixels * s, true);
    painter.setFont(titleFont);
    double titleWidth = QFontMetricsF(titleFont).horizontalAdvance(design_.title);
    const double room = target.width() - 4 * s;
    if (titleWidth > room && titleWidth > 0) {
        titleFont = drawing::arialPixels(kTitlePixels * s * room / titleWidth, true);
        painter.setFont(titleFont);
        titleWidth = QFontMetricsF(titleFont).horizontalAdvance(design_.title);
    }
    const QFontMetricsF headMetrics(titleFont);
    double left = plot.center().x() - titleWidth / 2;
    left = std::clamp(left, target.left() + 2 * s, target.right() - 2 * s - titleWidth);
    const double bandMiddle = target.top() + (plot.top() - target.top()) / 2;
    painter.drawText(QPointF(left, bandMiddle + (headMetrics.ascent() - headMetrics.descent()) / 2), design_.title);
}

void LoopChart::paintLoop(
    QPainter &painter, const ChartFrame &f, LoopId loop, const QColor &colour, const QColor &outline) const
{
    const double s = f.scale;
    const LoopGeometry &geometry = loopGeometry(loop);
    QPainterPath path(f.map(geometry.point(5)));
    for (int n = 1; n <= 4; ++n)
        path.lineTo(f.map(geometry.point(n)));
    path.closeSubpath();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, kLoopWidth * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);

    painter.setPen(QPen(outline, chartlook::kMarkerRim * s));
    painter.setBrush(colour);
    for (int n = 1; n <= 5; ++n)
        painter.drawEllipse(f.map(geometry.point(n)), kMarkerRadius * s, kMarkerRadius * s);
}

void LoopChart::paintPipLine(QPainter &painter, const ChartFrame &f, const PipLine &line) const
{
    // From the origin through point 4, on to wherever it leaves the plot.
    const LoopPoint &end = loopGeometry(line.loop).point(4);
    const double slope = end.pressure / end.volume;
    double volume = f.volumeMax;
    double pressure = slope * volume;
    if (pressure > f.pressureMax) {
        pressure = f.pressureMax;
        volume = pressure / slope;
    }
    QPen pen(line.colour, 2 * f.scale, Qt::DotLine, Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(f.map(0, 0), f.map(volume, pressure));
}

void LoopChart::paintSegmentLetters(QPainter &painter, const ChartFrame &f) const
{
    // Beside the middle of each segment of the control loop: E inside above
    // the filling line, F right of contraction, G outside ejection, H left of relaxation.
    const LoopGeometry &g = loopGeometry(LoopId::Control);
    const auto middle = [](const LoopPoint &a, const LoopPoint &b) {
        return LoopPoint{(a.volume + b.volume) / 2, (a.pressure + b.pressure) / 2};
    };
    const LoopPoint e = middle(g.point(5), g.point(1));
    const LoopPoint fm = middle(g.point(1), g.point(2));
    const LoopPoint gm = middle(g.point(2), g.point(3));
    const LoopPoint h = middle(g.point(4), g.point(5));
    painter.setPen(Qt::black);
    painter.setFont(drawing::arialPixels(kLetterPixels * f.scale, true));
    drawing::centredText(painter, f.map(e.volume, e.pressure + 13), QStringLiteral("E"));
    drawing::centredText(painter, f.map(fm.volume + 6, fm.pressure), QStringLiteral("F"));
    drawing::centredText(painter, f.map(gm.volume + 6, gm.pressure + 12), QStringLiteral("G"));
    drawing::centredText(painter, f.map(h.volume - 6, h.pressure), QStringLiteral("H"));
}

} // namespace valthera
