#include "lab/chartparts.h"

#include "diagrams/drawing.h"
#include "model/parameters.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace valthera::lab {

using namespace chartsize;

namespace {

QString tickText(double value, double step)
{
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return QString::number(std::round(value / step) * step + 0.0, 'f', decimals);
}

// The grid inside the frame at every labelled step, and the frame over their ends.
void paintGrid(QPainter &painter, const Plot &plot, const ChartStyle &z)
{
    painter.fillRect(plot.area, ChartStyle::plot());
    painter.setPen(QPen(Qt::black, z(chartlook::kFrameWidth)));
    painter.setBrush(Qt::NoBrush);
    for (double v = plot.y.min + plot.y.step; v < plot.y.max - 1e-9; v += plot.y.step)
        painter.drawLine(plot.map(plot.x.min, v), plot.map(plot.x.max, v));
    for (double v = plot.x.min + plot.x.step; v < plot.x.max - 1e-9; v += plot.x.step)
        painter.drawLine(plot.map(v, plot.y.min), plot.map(v, plot.y.max));
    painter.drawRect(plot.area);
}

} // namespace

AxisRange niceAxis(double lo, double hi, int steps)
{
    if (!(hi > lo))
        hi = lo + 1;
    const double raw = (hi - lo) / std::max(steps, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * magnitude >= raw - 1e-12) {
            step = m * magnitude;
            break;
        }
    }
    return {std::floor(lo / step + 1e-9) * step, std::ceil(hi / step - 1e-9) * step, step};
}

void paintFrame(QPainter &painter, const Plot &plot, const QString &xTitle, const QString &yTitle, const ChartStyle &z,
    double leftEdge)
{
    paintGrid(painter, plot, z);
    const QRectF &a = plot.area;
    const double gap = z(chartlook::kAxisGap);
    const double axisX = a.left() - gap;
    const double axisY = a.bottom() + gap;
    painter.setPen(QPen(Qt::white, z(chartlook::kFrameWidth), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(axisX, a.top()), QPointF(axisX, a.bottom() + gap));
    painter.setFont(z.tickFont());
    const QFontMetricsF metrics(painter.font());
    const double middle = (metrics.ascent() - metrics.descent()) / 2;
    for (double v = plot.y.min; v <= plot.y.max + 1e-9; v += plot.y.step) {
        const double y = plot.map(0, v).y();
        painter.drawLine(QPointF(axisX - z(kTick), y), QPointF(axisX, y));
        const QString text = tickText(v, plot.y.step);
        painter.drawText(QPointF(axisX - z(kTick + 2) - metrics.horizontalAdvance(text), y + middle), text);
    }
    painter.drawLine(QPointF(axisX, axisY), QPointF(a.right(), axisY));
    for (double v = plot.x.min; v <= plot.x.max + 1e-9; v += plot.x.step) {
        const double x = plot.map(v, 0).x();
        painter.drawLine(QPointF(x, axisY), QPointF(x, axisY + z(kTick)));
        if (xTitle.isEmpty())
            continue;
        const QString text = tickText(v, plot.x.step);
        painter.drawText(
            QPointF(x - metrics.horizontalAdvance(text) / 2, axisY + z(kTick + 1) + metrics.ascent()), text);
    }

    painter.setFont(z.axisTitleFont());
    const QFontMetricsF title(painter.font());
    if (!xTitle.isEmpty()) {
        const double baseline = axisY + z(kTick + 1) + metrics.height() + z(2) + title.ascent();
        painter.drawText(QPointF(a.center().x() - title.horizontalAdvance(xTitle) / 2, baseline), xTitle);
    }
    painter.save();
    painter.translate(leftEdge + z(4) + title.ascent(), a.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-title.horizontalAdvance(yTitle) / 2, 0), yTitle);
    painter.restore();
}

double bottomBand(const ChartStyle &z)
{
    return z(2) + z(kTick + 1) + QFontMetricsF(z.tickFont()).height() + z(2) +
        QFontMetricsF(z.axisTitleFont()).height() + z(4);
}

void paintTitle(
    QPainter &painter, const QRectF &target, double top, double bandHeight, const QString &text, const ChartStyle &z)
{
    QFont font = z.titleFont();
    double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > target.width() - z(8) && width > 0) {
        font = drawing::arialPixels(kTitlePixels * z.zoom * (target.width() - z(8)) / width, true);
        width = QFontMetricsF(font).horizontalAdvance(text);
    }
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QFontMetricsF metrics(font);
    painter.drawText(
        QPointF(target.center().x() - width / 2, top + bandHeight / 2 + (metrics.ascent() - metrics.descent()) / 2),
        text);
}

void marker(QPainter &painter, QPointF at, const ChartStyle &z)
{
    painter.setPen(QPen(Qt::white, z(chartlook::kMarkerRim)));
    painter.setBrush(Qt::black);
    painter.drawEllipse(at, z(kMarkerRadius), z(kMarkerRadius));
    painter.setBrush(Qt::NoBrush);
}

void endSystolicDot(QPainter &painter, QPointF at, const ChartStyle &z)
{
    painter.setPen(QPen(Qt::black, z(1.2)));
    painter.setBrush(Qt::white);
    painter.drawEllipse(at, z(3.5), z(3.5));
    painter.setBrush(Qt::NoBrush);
}

void cursorDot(QPainter &painter, QPointF at, double radius, const ChartStyle &z)
{
    painter.setPen(QPen(Qt::black, z(2)));
    painter.setBrush(ChartStyle::cursor());
    painter.drawEllipse(at, z(radius), z(radius));
    painter.setBrush(Qt::NoBrush);
}

double legendHeight(const std::vector<LegendEntry> &entries, double width, const ChartStyle &z)
{
    const QFontMetricsF metrics(z.labelFont());
    const double sample = z(26), gap = z(16), rowHeight = metrics.height() + z(4);
    double x = 0;
    int rows = entries.empty() ? 0 : 1;
    for (const LegendEntry &e : entries) {
        const double w = sample + z(6) + metrics.horizontalAdvance(e.text);
        if (x > 0 && x + w > width) {
            ++rows;
            x = 0;
        }
        x += w + gap;
    }
    return rows * rowHeight;
}

void paintLegend(QPainter &painter, const std::vector<LegendEntry> &entries, const QRectF &band, const ChartStyle &z)
{
    painter.setFont(z.labelFont());
    const QFontMetricsF metrics(painter.font());
    const double sample = z(26), gap = z(16), rowHeight = metrics.height() + z(4);
    double x = band.left(), y = band.top();
    for (const LegendEntry &e : entries) {
        const double w = sample + z(6) + metrics.horizontalAdvance(e.text);
        if (x > band.left() && x + w > band.right()) {
            x = band.left();
            y += rowHeight;
        }
        const double mid = y + rowHeight / 2;
        // Each sample on a patch of the plot's green, so dark lines show on the blue.
        const QRectF patch(x, y + z(2), sample, rowHeight - z(4));
        painter.fillRect(patch, ChartStyle::plot());
        painter.setPen(e.pen);
        painter.drawLine(QPointF(patch.left() + z(3), mid), QPointF(patch.right() - z(3), mid));
        if (e.dot == Dot::Point)
            marker(painter, QPointF(x + sample / 2, mid), z);
        else if (e.dot == Dot::EndSystolic)
            endSystolicDot(painter, QPointF(x + sample / 2, mid), z);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(x + sample + z(6), mid + (metrics.ascent() - metrics.descent()) / 2), e.text);
        x += w + gap;
    }
}

QPolygonF thinLine(const Beat &beat, const std::function<QPointF(const Sample &)> &map)
{
    constexpr double kMinStep = 1.5;
    constexpr double kTolerance = 0.1;
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(beat.samples.size() / 2));
    for (const Sample &s : beat.samples) {
        const QPointF p = map(s);
        if (line.isEmpty() || std::abs(p.x() - line.back().x()) + std::abs(p.y() - line.back().y()) >= kMinStep)
            line.append(p);
    }
    if (!beat.samples.empty() && line.size() > 1)
        line.back() = map(beat.samples.back());
    return drawing::simplified(line, kTolerance);
}

QPolygonF loopLine(const Plot &plot, const Beat &beat)
{
    return thinLine(beat, [&plot](const Sample &s) { return plot.map(s.V, s.Plv); });
}

QPen familyPen(double shade, const ChartStyle &z)
{
    QColor colour = Qt::black;
    colour.setAlphaF(shade);
    return QPen(colour, z(kLineWidth), Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
}

void paintFamily(QPainter &painter, const Plot &plot, std::span<const Beat> family, const ChartStyle &style)
{
    painter.setRenderHint(QPainter::Antialiasing, false); // as each beat adds its loop
    const auto earlier = static_cast<int>(family.size());
    for (int b = 0; b < earlier; ++b) {
        painter.setPen(familyPen(kNewestShade * std::pow(kFade, earlier - 1 - b), style));
        painter.drawPolygon(loopLine(plot, family[static_cast<std::size_t>(b)]));
    }
}

void fadeAndAdd(QPainter &layer, const QRectF &clip, const Plot &plot, const Beat &beat, const ChartStyle &style)
{
    layer.setRenderHint(QPainter::Antialiasing, false);
    layer.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QColor keep = Qt::black;
    keep.setAlphaF(kFade);
    layer.fillRect(clip, keep);
    layer.setCompositionMode(QPainter::CompositionMode_SourceOver);
    layer.setPen(familyPen(kNewestShade, style));
    layer.drawPolygon(loopLine(plot, beat));
}

QString axisKey(const AxisRange &axis)
{
    return QStringLiteral("%1/%2/%3;").arg(axis.min).arg(axis.max).arg(axis.step);
}

QString beatKey(const Beat &beat)
{
    std::size_t seed = qHash(beat.samples.size());
    seed = qHash(beat.period, seed);
    const std::size_t n = beat.samples.size();
    constexpr std::size_t kProbes = 32;
    for (std::size_t i = 0; n > 0 && i < kProbes; ++i) {
        const Sample &s = beat.samples[i * (n - 1) / (kProbes - 1)];
        seed = qHash(s.V, seed);
        seed = qHash(s.Plv, seed);
    }
    return QString::number(seed, 16) + QLatin1Char(';');
}

QString parametersKey(const Parameters &p)
{
    std::size_t seed = qHash(static_cast<int>(p.model));
    for (const ParamInfo &info : parameterTable())
        seed = qHash(p[info.id], seed);
    return QString::number(seed, 16) + QLatin1Char(';');
}

void drawPart(ChartLayers *layers, QPainter &painter, ChartLayers::Part part, const QString &key,
    const std::function<void(QPainter &)> &paint)
{
    if (layers)
        layers->drawPart(painter, part, key, paint);
    else
        paint(painter);
}

} // namespace valthera::lab
