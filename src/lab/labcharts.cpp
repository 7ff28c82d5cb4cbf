#include "lab/labcharts.h"

#include "diagrams/drawing.h"
#include "lab/beatcursor.h"
#include "lab/labsession.h"
#include "model/parameters.h"
#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QFontMetricsF>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace valthera::lab {

using namespace valthera::model;

namespace {

// Sizes at zoom 1, in pixels.
constexpr double kTitlePixels = 17;
constexpr double kTickPixels = 12;
constexpr double kAxisTitlePixels = 13;
constexpr double kPointLabelPixels = 12;
constexpr double kLegendPixels = 12;
constexpr double kLoopWidth = 3;
constexpr double kLineWidth = 2;
constexpr double kMarkerRadius = 4.5;
constexpr double kTick = 5;

QColor plotGreen()
{
    return {0, 255, 0};
}
QColor baselineGrey()
{
    return {70, 70, 70};
}
QColor espvrRed()
{
    return {220, 0, 0};
}
QColor edpvrBlue()
{
    return look::darkBlue();
}
QColor eaPurple()
{
    return {140, 0, 170};
}
QColor occlusionGreen()
{
    return {0, 105, 0};
}
QColor aorticRed()
{
    return {220, 0, 0};
}
QColor atrialBlue()
{
    return look::darkBlue();
}
// How a screen-reader user finds the cursor, told with each chart's description.
QString cursorKeys()
{
    return QStringLiteral(" Left and Right step a cursor through the beat, Page Up and Page Down go from event to "
                          "event, Space plays.");
}

// The cursor stands out from every line and marker of both charts.
QColor cursorYellow()
{
    return {255, 225, 0};
}

void cursorDot(QPainter &painter, QPointF at, double radius, double z)
{
    painter.setPen(QPen(Qt::black, 2 * z));
    painter.setBrush(cursorYellow());
    painter.drawEllipse(at, radius * z, radius * z);
    painter.setBrush(Qt::NoBrush);
}

QColor deviceOrange()
{
    return {210, 80, 0};
}
// The balloon's inflation, behind the pressures: a pale band.
QColor balloonShade()
{
    return {255, 255, 255, 90};
}

// Whether a support device shows in the beat: its flow gets a panel of its
// own below the volume.
bool hasDeviceFlow(const Beat &beat)
{
    return std::any_of(beat.samples.begin(), beat.samples.end(), [](const Sample &s) { return s.Qpump != 0; });
}

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

QString tickText(double value, double step)
{
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return QString::number(std::round(value / step) * step + 0.0, 'f', decimals);
}

// Green area, black grid at every labelled step and frame, white axes outside
// with ticks and labels, white axis titles. xTitle empty: no volume labels
// (a panel above another that carries them).
void paintFrame(
    QPainter &painter, const Plot &plot, const QString &xTitle, const QString &yTitle, double z, double leftEdge)
{
    const QRectF &a = plot.area;
    painter.fillRect(a, plotGreen());
    painter.setPen(QPen(Qt::black, 1 * z));
    painter.setBrush(Qt::NoBrush);
    for (double v = plot.y.min + plot.y.step; v < plot.y.max - 1e-9; v += plot.y.step)
        painter.drawLine(plot.map(plot.x.min, v), plot.map(plot.x.max, v));
    for (double v = plot.x.min + plot.x.step; v < plot.x.max - 1e-9; v += plot.x.step)
        painter.drawLine(plot.map(v, plot.y.min), plot.map(v, plot.y.max));
    painter.drawRect(a);

    const double gap = 2 * z;
    const double axisX = a.left() - gap;
    const double axisY = a.bottom() + gap;
    painter.setPen(QPen(Qt::white, 1 * z, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(axisX, a.top()), QPointF(axisX, a.bottom() + gap));
    painter.setFont(drawing::arialPixels(kTickPixels * z));
    const QFontMetricsF metrics(painter.font());
    const double middle = (metrics.ascent() - metrics.descent()) / 2;
    for (double v = plot.y.min; v <= plot.y.max + 1e-9; v += plot.y.step) {
        const double y = plot.map(0, v).y();
        painter.drawLine(QPointF(axisX - kTick * z, y), QPointF(axisX, y));
        const QString text = tickText(v, plot.y.step);
        painter.drawText(QPointF(axisX - (kTick + 2) * z - metrics.horizontalAdvance(text), y + middle), text);
    }
    painter.drawLine(QPointF(axisX, axisY), QPointF(a.right(), axisY));
    for (double v = plot.x.min; v <= plot.x.max + 1e-9; v += plot.x.step) {
        const double x = plot.map(v, 0).x();
        painter.drawLine(QPointF(x, axisY), QPointF(x, axisY + kTick * z));
        if (xTitle.isEmpty())
            continue;
        const QString text = tickText(v, plot.x.step);
        painter.drawText(
            QPointF(x - metrics.horizontalAdvance(text) / 2, axisY + (kTick + 1) * z + metrics.ascent()), text);
    }

    painter.setFont(drawing::arialPixels(kAxisTitlePixels * z, true));
    const QFontMetricsF title(painter.font());
    if (!xTitle.isEmpty()) {
        const double baseline = axisY + (kTick + 1) * z + metrics.height() + 2 * z + title.ascent();
        painter.drawText(QPointF(a.center().x() - title.horizontalAdvance(xTitle) / 2, baseline), xTitle);
    }
    painter.save();
    painter.translate(leftEdge + 4 * z + title.ascent(), a.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-title.horizontalAdvance(yTitle) / 2, 0), yTitle);
    painter.restore();
}

// Height the frame needs below its plot for tick labels and the axis title.
double bottomBand(double z)
{
    return 2 * z + (kTick + 1) * z + QFontMetricsF(drawing::arialPixels(kTickPixels * z)).height() + 2 * z +
        QFontMetricsF(drawing::arialPixels(kAxisTitlePixels * z, true)).height() + 4 * z;
}

void paintTitle(QPainter &painter, const QRectF &target, double top, double bandHeight, const QString &text, double z)
{
    QFont font = drawing::arialPixels(kTitlePixels * z, true);
    double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > target.width() - 8 * z && width > 0) {
        font = drawing::arialPixels(kTitlePixels * z * (target.width() - 8 * z) / width, true);
        width = QFontMetricsF(font).horizontalAdvance(text);
    }
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QFontMetricsF metrics(font);
    painter.drawText(
        QPointF(target.center().x() - width / 2, top + bandHeight / 2 + (metrics.ascent() - metrics.descent()) / 2),
        text);
}

// A legend entry: a short stretch of the line as drawn, perhaps with its marker.
// The two kinds of dot the charts draw: the loop's numbered points and the
// valve events (black with a white rim), and the occlusion run's end-systolic
// points (white with a black rim, smaller). The legend draws its samples with
// the same functions, so a sample always looks like what it names.
void marker(QPainter &painter, QPointF at, double z, const QColor &fill = Qt::black)
{
    painter.setPen(QPen(Qt::white, 1.5 * z));
    painter.setBrush(fill);
    painter.drawEllipse(at, kMarkerRadius * z, kMarkerRadius * z);
    painter.setBrush(Qt::NoBrush);
}

void endSystolicDot(QPainter &painter, QPointF at, double z)
{
    painter.setPen(QPen(Qt::black, 1.2 * z));
    painter.setBrush(Qt::white);
    painter.drawEllipse(at, 3.5 * z, 3.5 * z);
    painter.setBrush(Qt::NoBrush);
}

enum class Dot { None, Point, EndSystolic };

struct LegendEntry {
    QString text;
    QPen pen;
    Dot dot = Dot::None;
};

// Legend entries flow left to right and wrap; returns the height they take.
double legendHeight(const std::vector<LegendEntry> &entries, double width, double z)
{
    const QFontMetricsF metrics(drawing::arialPixels(kLegendPixels * z, true));
    const double sample = 26 * z, gap = 16 * z, rowHeight = metrics.height() + 4 * z;
    double x = 0;
    int rows = entries.empty() ? 0 : 1;
    for (const LegendEntry &e : entries) {
        const double w = sample + 6 * z + metrics.horizontalAdvance(e.text);
        if (x > 0 && x + w > width) {
            ++rows;
            x = 0;
        }
        x += w + gap;
    }
    return rows * rowHeight;
}

void paintLegend(QPainter &painter, const std::vector<LegendEntry> &entries, const QRectF &band, double z)
{
    painter.setFont(drawing::arialPixels(kLegendPixels * z, true));
    const QFontMetricsF metrics(painter.font());
    const double sample = 26 * z, gap = 16 * z, rowHeight = metrics.height() + 4 * z;
    double x = band.left(), y = band.top();
    for (const LegendEntry &e : entries) {
        const double w = sample + 6 * z + metrics.horizontalAdvance(e.text);
        if (x > band.left() && x + w > band.right()) {
            x = band.left();
            y += rowHeight;
        }
        const double mid = y + rowHeight / 2;
        // Each sample on a patch of the plot's green, so dark lines show on the blue.
        const QRectF patch(x, y + 2 * z, sample, rowHeight - 4 * z);
        painter.fillRect(patch, plotGreen());
        painter.setPen(e.pen);
        painter.drawLine(QPointF(patch.left() + 3 * z, mid), QPointF(patch.right() - 3 * z, mid));
        if (e.dot == Dot::Point)
            marker(painter, QPointF(x + sample / 2, mid), z);
        else if (e.dot == Dot::EndSystolic)
            endSystolicDot(painter, QPointF(x + sample / 2, mid), z);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(x + sample + 6 * z, mid + (metrics.ascent() - metrics.descent()) / 2), e.text);
        x += w + gap;
    }
}

// A beat's samples as a line through points at least kMinStep pixels apart,
// then only those a straight run between its neighbours would miss by more
// than kTolerance. A beat has well over a thousand samples, several to a
// pixel; drawing them all costs many times more while looking the same, and
// the charts are redrawn on every move of a dragged slider.
constexpr double kMinStep = 1.5;
constexpr double kTolerance = 0.1;

template <typename Map> QPolygonF thinLine(const Beat &beat, Map map)
{
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

// The earlier beats of a transient fade with age: the one just played at
// kNewestShade, each older one kFade times as dark as the next, so the path
// from the old loop to the new one reads and some thirty loops stay faint.
constexpr double kNewestShade = 0.62;
constexpr double kFade = 0.94;

QPen familyPen(double shade, double z)
{
    QColor colour = Qt::black;
    colour.setAlphaF(shade);
    return QPen(colour, kLineWidth * z, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
}

// A beat further on in a transient's family: every loop so far a step
// fainter, then the one just played over them at the newest shade. Drawn
// without antialiasing, which would cost as much again as the rest of the
// chart in the frame that reaches a new beat.
void fadeAndAdd(QPainter &layer, const QRectF &clip, const Plot &plot, const Beat &beat, double z)
{
    layer.setRenderHint(QPainter::Antialiasing, false);
    layer.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QColor keep = Qt::black;
    keep.setAlphaF(kFade);
    layer.fillRect(clip, keep);
    layer.setCompositionMode(QPainter::CompositionMode_SourceOver);
    layer.setPen(familyPen(kNewestShade, z));
    layer.drawPolygon(loopLine(plot, beat));
}

QString axisKey(const AxisRange &axis)
{
    return QStringLiteral("%1/%2/%3;").arg(axis.min).arg(axis.max).arg(axis.step);
}

// What a beat looks like on a chart, in a number that changes when it does:
// its length and a few dozen of its points, far cheaper than every sample.
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

QString chartTitle(const LabSession &session)
{
    const Preset *preset = session.matchingPreset();
    return QStringLiteral("P-V Loop: %1").arg(preset ? toQString(preset->name) : QStringLiteral("Own settings"));
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

// ---------------------------------------------------------------------------

LabChart::LabChart(const LabSession &session, const char *className, const QString &name, const QString &accessibleName,
    QSize minimum, QWidget *parent)
    : QWidget(parent)
    , session_(session)
{
    look::presentAs(className, QAccessible::Graphic);
    setObjectName(name);
    setAccessibleName(accessibleName);
    setMinimumSize(minimum);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted
    setFocusPolicy(Qt::StrongFocus); // the cursor's keys work on either chart
    // Only once the student pauses: steps in quick succession draw at once.
    readyNext_.setSingleShot(true);
    readyNext_.setInterval(100);
    connect(&readyNext_, &QTimer::timeout, this, &LabChart::readyNextSize);
}

void LabChart::setZoom(double zoom)
{
    finishDrawing();
    zoom_ = zoom;
    markStale();
    update();
}

void LabChart::setBeatCursor(const BeatCursor *cursor)
{
    cursor_ = cursor;
    update();
}

LabChart::~LabChart()
{
    finishDrawing();
}

bool LabChart::contentFitsSize() const
{
    return content_.size() == pixelSize() && content_.devicePixelRatio() == devicePixelRatioF();
}

bool LabChart::contentOutOfDate() const
{
    return contentStale_ || !contentFitsSize();
}

void LabChart::drawContent(QImage &content)
{
    const qreal ratio = devicePixelRatioF();
    if (content.size() != pixelSize())
        content = drawing::canvas(pixelSize(), QImage::Format_RGB32);
    content.setDevicePixelRatio(ratio);
    QPainter chart(&content);
    chart.setRenderHint(QPainter::Antialiasing);
    chart.setRenderHint(QPainter::TextAntialiasing);
    paint(chart, rect());
}

void LabChart::drawAhead()
{
    // Only a whole picture at a new size or for a new state is worth a
    // thread. The first picture is drawn here: the thread would first have
    // to find and load its fonts, which the window opening has just done.
    if (!threads_ || drawing_ || content_.isNull() || !isVisible() || !contentOutOfDate())
        return;
    // At the same size, a beat drawn ahead is taken as it is, and a beat of
    // a transient adds one loop over kept pictures: quicker done here than
    // handed to a thread.
    if (contentStale_ && contentFitsSize() && (hasPrepared() || session_.transientBeat() > 0))
        return;
    drawing_ = true;
    // Nothing the picture is drawn from changes until finishDrawing: the
    // session and the chart's size change only in events, and the window
    // collects the picture before its frame's event returns.
    threads_->start([this] {
        drawContent(drawn_);
        done_.release();
    });
}

std::vector<std::function<void()>> LabChart::fontReadying(double zoom, qreal pixelRatio)
{
    QString printable;
    for (char16_t c = u'!'; c <= u'~'; ++c)
        printable += QChar(c);
    // The tick labels' font, and the bold one of the axis titles, the chart
    // titles and the legends and point labels (one size).
    const std::pair<QFont, QString> fonts[] = {
        {drawing::arialPixels(kTickPixels * zoom), QStringLiteral("0123456789.-")},
        {drawing::arialPixels(kAxisTitlePixels * zoom, true), printable},
        {drawing::arialPixels(kTitlePixels * zoom, true), printable},
        {drawing::arialPixels(kLegendPixels * zoom, true), printable},
    };
    static_assert(kPointLabelPixels == kLegendPixels);
    std::vector<std::function<void()>> pieces;
    for (const auto &[font, text] : fonts) {
        pieces.emplace_back([font, text, pixelRatio] {
            // As the charts draw: antialiased, onto an image at the screen's ratio.
            QImage scratch(384, 96, QImage::Format_RGB32);
            scratch.setDevicePixelRatio(pixelRatio);
            QPainter painter(&scratch);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setFont(font);
            look::makeGlyphs(painter, text);
        });
    }
    return pieces;
}

void LabChart::readyNextSize()
{
    if (!threads_ || !isVisible())
        return;
    // A step up grows the chart about as much as the zoom; a step down may
    // grow it a little, where the controls beside it shrink more.
    const auto &steps = look::Zoom::kSteps;
    const auto up = std::upper_bound(steps.begin(), steps.end(), std::lround(zoom_ * 100));
    const double growth = (up != steps.end() ? *up / (zoom_ * 100) : 1.0) * 1.05;
    const QSize next = (QSizeF(pixelSize()) * growth).toSize();
    threads_->start([next] { drawing::readyCanvas(next, QImage::Format_RGB32); }, -1);
}

void LabChart::finishDrawing()
{
    if (!drawing_)
        return;
    done_.acquire();
    drawing_ = false;
    std::swap(content_, drawn_);
    contentStale_ = false;
    // The picture before is kept to draw the next one into only at this size.
    if (drawn_.size() != content_.size())
        drawn_ = QImage();
}

void LabChart::paintEvent(QPaintEvent *)
{
    finishDrawing();
    if (contentStale_ && contentFitsSize() && takePrepared(content_)) {
        contentStale_ = false;
    } else if (contentOutOfDate()) {
        drawContent(content_);
        contentStale_ = false;
    }
    if (threads_ && content_.size() != readiedAfter_) {
        readiedAfter_ = content_.size();
        readyNext_.start();
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), content_);
    painter.setRenderHint(QPainter::Antialiasing);
    if (cursor_ && cursor_->hasBeat())
        paintCursor(painter, *cursor_);
    if (hasFocus()) {
        painter.setPen(QPen(Qt::white, 1.5 * zoom_, Qt::DashLine));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1.5, -1.5));
    }
}

void LabChart::pick(QPointF at)
{
    if (!cursor_ || !cursor_->hasBeat())
        return;
    if (const int k = sampleAt(at, *cursor_); k >= 0)
        emit samplePicked(k);
}

void LabChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pick(event->position());
}

void LabChart::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        pick(event->position());
}

void LabChart::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void LabChart::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void LabChart::paintFigure(QPainter &painter, QSize size)
{
    finishDrawing();
    figure_ = true;
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    if (cursor_ && cursor_->hasBeat())
        paintCursor(painter, *cursor_);
    figure_ = false;
    // Painting at the figure's size moved the plot areas the cursor and the
    // mouse are mapped through: the screen's are painted again.
    markStale();
    update();
}

// The upright axis title is drawn as outlines every time it is painted, and
// the text costs more than the lines; a dragged slider moves the loop on every
// mouse move but the axes only now and then.
void LabChart::drawBackdrop(QPainter &painter, const QString &key, const std::function<void(QPainter &)> &paint)
{
    drawLayer(painter, backdrop_, key, paint);
}

void LabChart::drawLayer(
    QPainter &painter, Layer &layer, const QString &key, const std::function<void(QPainter &)> &paint)
{
    if (figure_) {
        paint(painter);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = pixelSize();
    // The first paint at a new size (a zoom step, a resized window) draws
    // straight into the chart: a picture kept now would cost a copy more, and
    // the next size may come before it is used. It is kept from the next
    // paint at this size on.
    if (layer.paintedAt != pixels || layer.ratio != ratio) {
        layer.paintedAt = pixels;
        layer.ratio = ratio;
        layer.picture = QImage();
        layer.key.clear();
        paint(painter);
        return;
    }
    if (key != layer.key || layer.picture.isNull()) {
        if (layer.picture.size() != pixels)
            layer.picture = drawing::canvas(pixels, QImage::Format_RGB32);
        layer.picture.setDevicePixelRatio(ratio);
        QPainter picture(&layer.picture);
        picture.setRenderHint(QPainter::Antialiasing);
        picture.setRenderHint(QPainter::TextAntialiasing);
        paint(picture);
        layer.key = key;
    }
    painter.drawImage(QPointF(0, 0), layer.picture);
}

// ---------------------------------------------------------------------------

PvChart::PvChart(const LabSession &session, QWidget *parent)
    : LabChart(session, staticMetaObject.className(), QStringLiteral("labChart"),
          QStringLiteral("Pressure-volume loop chart"), QSize(280, 240), parent)
{
    refresh();
}

void PvChart::refresh()
{
    setAccessibleDescription(session_.describeLoop() + cursorKeys());
    markStale();
    update();
}

QPointF PvChart::place(double volume, double pressure) const
{
    return Plot{plotArea_, volume_, pressure_}.map(volume, pressure);
}

void PvChart::paintCursor(QPainter &painter, const BeatCursor &cursor)
{
    if (plotArea_.isEmpty())
        return;
    const Sample &s = cursor.beat().samples[static_cast<std::size_t>(cursor.sample())];
    painter.save();
    painter.setClipRect(plotArea_.adjusted(-8 * zoom_, -8 * zoom_, 8 * zoom_, 8 * zoom_));
    cursorDot(painter, place(s.V, s.Plv), 6.5, zoom_);
    painter.restore();
}

int PvChart::sampleAt(QPointF at, const BeatCursor &cursor) const
{
    if (plotArea_.isEmpty())
        return -1;
    const auto &samples = cursor.beat().samples;
    int best = -1;
    double bestDistance = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const QPointF d = place(samples[k].V, samples[k].Plv) - at;
        const double distance = QPointF::dotProduct(d, d);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(k);
            bestDistance = distance;
        }
    }
    return best;
}

void PvChart::paintFamily(QPainter &painter, const QRectF &clip, const QString &key, int earlier)
{
    const Plot plot{plotArea_, volume_, pressure_};
    const auto &beats = session_.playingTransient()->beats;
    const auto pen = [this](double shade) { return familyPen(shade, zoom_); };
    // Each loop at its own shade, the oldest first.
    const auto drawAll = [&](QPainter &onto) {
        onto.setRenderHint(QPainter::Antialiasing, false); // as each beat adds its loop
        for (int b = 0; b < earlier; ++b) {
            onto.setPen(pen(kNewestShade * std::pow(kFade, earlier - 1 - b)));
            onto.drawPolygon(loopLine(plot, beats[static_cast<std::size_t>(b)]));
        }
    };
    if (paintingFigure()) {
        painter.save();
        painter.setClipRect(clip);
        drawAll(painter);
        painter.restore();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = pixelSize();
    if (key != familyKey_ || family_.size() != pixels || family_.devicePixelRatio() != ratio ||
        familyCount_ > earlier) {
        family_ = drawing::canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        family_.setDevicePixelRatio(ratio);
        family_.fill(Qt::transparent);
        familyKey_ = key;
        familyCount_ = 0;
        nextFamilyCount_ = 0;
    }
    if (familyCount_ + 1 == earlier && nextFamilyCount_ == earlier && nextFamily_.size() == family_.size()) {
        std::swap(family_, nextFamily_);
        familyCount_ = earlier;
    }
    nextFamilyCount_ = 0;
    if (familyCount_ < earlier) {
        QPainter layer(&family_);
        layer.setRenderHint(QPainter::Antialiasing, false);
        layer.setClipRect(clip);
        if (familyCount_ == 0) {
            drawAll(layer);
        } else {
            // A beat further on: every loop so far a step fainter, then the
            // one just played over them at the newest shade.
            for (; familyCount_ < earlier; ++familyCount_)
                fadeAndAdd(layer, clip, plot, beats[static_cast<std::size_t>(familyCount_)], zoom_);
        }
        familyCount_ = earlier;
    }
    painter.save();
    painter.setClipRect(clip);
    painter.drawImage(QPointF(0, 0), family_);
    painter.restore();
}

bool PvChart::prepareNextBeat()
{
    finishDrawing();
    const Transient *transient = session_.playingTransient();
    const int shown = session_.transientBeat();
    if (!transient || shown >= static_cast<int>(transient->beats.size()) || family_.isNull() ||
        familyCount_ != shown - 1 || nextFamilyCount_ == shown)
        return false;
    // Into the picture the last beat left behind, not fresh memory.
    if (nextFamily_.size() != family_.size() || nextFamily_.format() != family_.format())
        nextFamily_ = drawing::canvas(family_.size(), family_.format());
    nextFamily_.setDevicePixelRatio(family_.devicePixelRatio());
    std::memcpy(nextFamily_.bits(), family_.constBits(), static_cast<std::size_t>(family_.sizeInBytes()));
    QPainter layer(&nextFamily_);
    const QRectF clip = plotArea_.adjusted(-1, -1, 1, 1);
    layer.setClipRect(clip);
    fadeAndAdd(
        layer, clip, Plot{plotArea_, volume_, pressure_}, transient->beats[static_cast<std::size_t>(shown - 1)], zoom_);
    nextFamilyCount_ = shown;
    return true;
}

void PvChart::paint(QPainter &painter, const QRectF &target)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double z = zoom_;

    const SteadyState &current = session_.current();
    const SteadyState &baseline = session_.baseline();
    const Parameters &p = current.parameters;
    const double v0 = p[Param::V0];
    const auto &occlusion = session_.occlusion();

    // The axes hold both loops and the occlusion run, from zero volume and
    // pressure, with a little room above and to the right.
    double vMax = 0, pMax = 0;
    auto include = [&](const Beat &beat) {
        for (const Sample &s : beat.samples) {
            vMax = std::max(vMax, s.V);
            pMax = std::max(pMax, s.Plv);
        }
    };
    include(current.beat);
    include(baseline.beat);
    const int playing = session_.transientBeat();
    const Transient *transient = playing > 0 ? session_.playingTransient() : nullptr;
    if (transient) {
        for (int b = 0; b < playing; ++b)
            include(transient->beats[static_cast<std::size_t>(b)]);
    }
    if (occlusion) {
        for (const Beat &beat : occlusion->beats)
            include(beat);
    }
    volume_ = niceAxis(0, vMax * 1.08, 7);
    pressure_ = niceAxis(0, pMax * 1.1, 6);

    std::vector<LegendEntry> legend{
        {QStringLiteral("Current loop"), QPen(Qt::black, kLoopWidth * z), Dot::Point},
        {QStringLiteral("Baseline loop"), QPen(baselineGrey(), kLineWidth * z, Qt::DashLine)},
        {QStringLiteral("ESPVR"), QPen(espvrRed(), kLineWidth * z)},
        {QStringLiteral("EDPVR"), QPen(edpvrBlue(), kLineWidth * z)},
        {QStringLiteral("Ea line"), QPen(eaPurple(), kLineWidth * z)},
    };
    if (occlusion) {
        legend.push_back({QStringLiteral("Occlusion beats"), QPen(occlusionGreen(), 1.5 * z)});
        legend.push_back({QStringLiteral("End-systolic points"), QPen(Qt::NoPen), Dot::EndSystolic});
        legend.push_back({QStringLiteral("Fitted line"), QPen(Qt::white, kLineWidth * z, Qt::DashLine)});
    }

    const double top = 34 * z, left = 64 * z, right = 18 * z;
    const double legendTop = bottomBand(z);
    const double legendH = legendHeight(legend, target.width() - left - right, z);
    Plot plot{target.adjusted(left, top, -right, -(legendTop + legendH + 6 * z)), volume_, pressure_};
    plotArea_ = QRectF();
    if (plot.area.width() < 10 || plot.area.height() < 10) {
        painter.fillRect(target, look::windowBlue());
        return;
    }
    plotArea_ = plot.area;

    const QString title = chartTitle(session_);
    const QString key =
        QStringLiteral("%1x%2 %3 %4 %5").arg(width()).arg(height()).arg(z).arg(title).arg(legend.size()) +
        axisKey(volume_) + axisKey(pressure_);
    const auto backdrop = [&](QPainter &backdrop) {
        backdrop.fillRect(target, look::windowBlue());
        paintTitle(backdrop, target, 0, top, title, z);
        paintFrame(backdrop, plot, QStringLiteral("VENTRICLE VOLUME (ml)"), QStringLiteral("VENTRICLE PRESSURE (mmHg)"),
            z, target.left());
        paintLegend(
            backdrop, legend, QRectF(left, plot.area.bottom() + legendTop, target.width() - left - right, legendH), z);
    };
    const QRectF clip = plot.area.adjusted(-1, -1, 1, 1);
    // While the beats after a change play, only the newest loop and the
    // family behind it change from beat to beat; what lies under them is a
    // picture of its own, kept until the steady loops, the occlusion run or
    // the axes change.
    QString underKey = key + parametersKey(p) + beatKey(current.beat) + beatKey(baseline.beat);
    if (occlusion) {
        underKey += QStringLiteral("%1/%2;").arg(occlusion->eesFit).arg(occlusion->v0Fit) +
            beatKey(occlusion->beats.front()) + beatKey(occlusion->beats.back());
    }
    drawLayer(painter, underlay_, underKey, [&](QPainter &under) {
        drawBackdrop(under, key, backdrop);
        under.save();
        under.setClipRect(clip);
        under.setBrush(Qt::NoBrush);

        // The relations first, under the loops.
        QPainterPath edpvrCurve;
        const int n = 80;
        for (int i = 0; i <= n; ++i) {
            const double V = v0 + (volume_.max - v0) * i / n;
            const QPointF at = plot.map(V, std::min(edpvr(p, V), pressure_.max * 2));
            if (i == 0)
                edpvrCurve.moveTo(at);
            else
                edpvrCurve.lineTo(at);
        }
        under.setPen(QPen(edpvrBlue(), kLineWidth * z));
        under.drawPath(edpvrCurve);
        const double espvrEnd = std::min(volume_.max, v0 + pressure_.max / p[Param::Ees]);
        under.setPen(QPen(espvrRed(), kLineWidth * z));
        under.drawLine(plot.map(v0, 0), plot.map(espvrEnd, espvr(p, espvrEnd)));
        const Segment ea = arterialElastanceLine(current);
        under.setPen(QPen(eaPurple(), kLineWidth * z));
        under.drawLine(plot.map(ea.from.V, ea.from.P), plot.map(ea.to.V, ea.to.P));

        if (occlusion) {
            under.setPen(QPen(occlusionGreen(), 1.5 * z));
            for (const Beat &beat : occlusion->beats)
                drawing::curve(under, loopLine(plot, beat), true);
            // The fitted line across the plot from its volume intercept.
            const double fitEnd = std::min(volume_.max, occlusion->v0Fit + pressure_.max / occlusion->eesFit);
            under.setPen(QPen(Qt::white, kLineWidth * z, Qt::DashLine));
            under.drawLine(
                plot.map(occlusion->v0Fit, 0), plot.map(fitEnd, occlusion->eesFit * (fitEnd - occlusion->v0Fit)));
        }

        under.setPen(QPen(baselineGrey(), kLineWidth * z, Qt::DashLine, Qt::FlatCap, Qt::BevelJoin));
        drawing::curve(under, loopLine(plot, baseline.beat), true);
        under.restore();
    });

    if (transient)
        paintFamily(painter, clip, key + beatKey(transient->beats.front()), playing - 1);

    painter.save();
    painter.setClipRect(clip);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, kLoopWidth * z, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    drawing::curve(painter, loopLine(plot, session_.shownBeat()), true);

    if (occlusion) {
        for (const Point &es : occlusion->endSystole)
            endSystolicDot(painter, plot.map(es.V, es.P), z);
    }
    painter.restore();

    // Points 1 to 5, every label but the peak's to the left of its point: so
    // 1 and 2 sit inside the loop, clear of the plot's right edge, and 4 and 5
    // outside it, where the end-systolic line leaves room above 4 and the
    // diastolic curve below 5.
    enum class Side { LeftAbove, LeftBelow, Above };
    struct PointLabel {
        int index;
        QString text;
        Side side;
    };
    const ValveEvents &ev = session_.events();
    const std::array<PointLabel, 5> points{{
        {ev.mitralClose, QStringLiteral("1 MV closes"), Side::LeftAbove},
        {ev.aorticOpen, QStringLiteral("2 AV opens"), Side::LeftBelow},
        {ev.peakPressure, QStringLiteral("3 Peak"), Side::Above},
        {ev.aorticClose, QStringLiteral("4 AV closes"), Side::LeftAbove},
        {ev.mitralOpen, QStringLiteral("5 MV opens"), Side::LeftBelow},
    }};
    // While the beats after a change play, the numbered points wait for the new steady loop.
    static const std::vector<Sample> none;
    const auto &samples = transient ? none : current.beat.samples;
    painter.setFont(drawing::arialPixels(kPointLabelPixels * z, true));
    const QFontMetricsF metrics(painter.font());
    for (const PointLabel &point : points) {
        if (point.index < 0 || point.index >= static_cast<int>(samples.size()))
            continue;
        const Sample &s = samples[static_cast<std::size_t>(point.index)];
        const QPointF at = plot.map(s.V, s.Plv);
        marker(painter, at, z);
        const double w = metrics.horizontalAdvance(point.text);
        const double off = kMarkerRadius * z + 3 * z;
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
        text.setX(std::clamp(text.x(), plot.area.left() + 2 * z, plot.area.right() - w - 2 * z));
        painter.setPen(Qt::black);
        painter.drawText(text, point.text);
    }
}

// The spans of the beat with the balloon more than half full, shaded over
// the pressure panel.
static void paintBalloon(QPainter &painter, const Beat &beat, const Plot &plot, double full)
{
    double from = -1;
    auto shade = [&](double a, double b) {
        const QPointF p = plot.map(a, plot.y.max), q = plot.map(b, plot.y.min);
        painter.fillRect(QRectF(p, q).normalized(), balloonShade());
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

// ---------------------------------------------------------------------------

TimeChart::TimeChart(const LabSession &session, QWidget *parent)
    : LabChart(session, staticMetaObject.className(), QStringLiteral("labTimeChart"),
          QStringLiteral("Pressures and volume over one beat"), QSize(280, 200), parent)
{
    refresh();
}

void TimeChart::refresh()
{
    const Beat &beat = session_.current().beat;
    const ValveEvents &ev = session_.events();
    const auto at = [&beat](int k) { return QString::number(timeOf(beat, k), 'f', 2); };
    const QString span = beat.beats > 1
        ? QStringLiteral("A balloon pump cycle of %1 beats, the first assisted, lasting %2 s.")
              .arg(beat.beats)
              .arg(QString::number(beat.period, 'f', 2))
        : QStringLiteral("A beat of %1 s.").arg(QString::number(beat.period, 'f', 2));
    QString text = span +
        QStringLiteral(" Aortic pressure between %1 and %2; ventricular volume between %3 and %4.")
            .arg(session_.value(Measure::DBP), session_.value(Measure::SBP), session_.value(Measure::ESV),
                session_.value(Measure::EDV));
    if (ev.mitralClose >= 0)
        text += QStringLiteral(" The mitral valve closes at %1 s (point 1).").arg(at(ev.mitralClose));
    if (ev.aorticOpen >= 0)
        text += QStringLiteral(" The aortic valve opens at %1 s (point 2).").arg(at(ev.aorticOpen));
    if (ev.aorticClose >= 0)
        text += QStringLiteral(" The aortic valve closes at %1 s (point 4).").arg(at(ev.aorticClose));
    if (ev.mitralOpen >= 0)
        text += QStringLiteral(" The mitral valve opens at %1 s (point 5).").arg(at(ev.mitralOpen));
    setAccessibleDescription(text + cursorKeys());
    markStale();
    update();
}

double TimeChart::placeOf(double seconds) const
{
    return axes_.upper.left() + axes_.upper.width() * (seconds - axes_.time.min) / (axes_.time.max - axes_.time.min);
}

void TimeChart::paintCursor(QPainter &painter, const BeatCursor &cursor)
{
    if (axes_.upper.isEmpty())
        return;
    const Sample &s = cursor.beat().samples[static_cast<std::size_t>(cursor.sample())];
    const double z = zoom_;
    const double x = placeOf(s.t);
    // A dark edge either side, so the line shows on the green and over the curves.
    painter.setPen(QPen(Qt::black, 4 * z, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x, axes_.upper.top()), QPointF(x, axes_.lower.bottom()));
    painter.setPen(QPen(cursorYellow(), 2 * z, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x, axes_.upper.top()), QPointF(x, axes_.lower.bottom()));
    cursorDot(painter, Plot{axes_.upper, axes_.time, axes_.pressure}.map(s.t, s.Plv), 5, z);
    cursorDot(painter, Plot{axes_.lower, axes_.time, axes_.volume}.map(s.t, s.V), 5, z);
}

int TimeChart::sampleAt(QPointF at, const BeatCursor &cursor) const
{
    if (axes_.upper.isEmpty())
        return -1;
    const Beat &beat = cursor.beat();
    const double t =
        axes_.time.min + (at.x() - axes_.upper.left()) / axes_.upper.width() * (axes_.time.max - axes_.time.min);
    const int last = static_cast<int>(beat.samples.size()) - 1;
    return std::clamp(static_cast<int>(std::lround(t / beat.step)), 0, last);
}

void TimeChart::paint(QPainter &painter, const QRectF &target)
{
    paintBeat(painter, target, session_.shownBeat(), session_.transientBeat() > 0);
}

QString TimeChart::pictureKey(const Beat &beat, bool transient) const
{
    return QStringLiteral("%1x%2 %3 %4 %5 ")
               .arg(width())
               .arg(height())
               .arg(devicePixelRatioF())
               .arg(zoom_)
               .arg(transient) +
        parametersKey(session_.current().parameters) + beatKey(beat);
}

bool TimeChart::prepareNextBeat()
{
    finishDrawing();
    const Transient *transient = session_.playingTransient();
    const int shown = session_.transientBeat();
    if (!transient || shown >= static_cast<int>(transient->beats.size()) || !isVisible())
        return false;
    const Beat &next = transient->beats[static_cast<std::size_t>(shown)];
    const QString key = pictureKey(next, true);
    if (key == preparedKey_)
        return false;
    if (prepared_.size() != pixelSize())
        prepared_ = drawing::canvas(pixelSize(), QImage::Format_RGB32);
    prepared_.setDevicePixelRatio(devicePixelRatioF());
    const Axes onShow = axes_;
    {
        QPainter chart(&prepared_);
        chart.setRenderHint(QPainter::Antialiasing);
        chart.setRenderHint(QPainter::TextAntialiasing);
        paintBeat(chart, rect(), next, true);
    }
    preparedAxes_ = axes_;
    axes_ = onShow;
    preparedKey_ = key;
    return true;
}

bool TimeChart::hasPrepared() const
{
    return !preparedKey_.isEmpty() && preparedKey_ == pictureKey(session_.shownBeat(), session_.transientBeat() > 0);
}

bool TimeChart::takePrepared(QImage &content)
{
    if (!hasPrepared() || prepared_.size() != content.size())
        return false;
    std::swap(content, prepared_);
    axes_ = preparedAxes_;
    preparedKey_.clear();
    return true;
}

void TimeChart::paintBeat(QPainter &painter, const QRectF &target, const Beat &beat, bool transient)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double z = zoom_;
    if (beat.samples.empty()) {
        painter.fillRect(target, look::windowBlue());
        return;
    }
    double pMax = 0, vMin = beat.samples.front().V, vMax = vMin;
    for (const Sample &s : beat.samples) {
        pMax = std::max({pMax, s.Plv, s.Pao, s.Pla});
        vMin = std::min(vMin, s.V);
        vMax = std::max(vMax, s.V);
    }
    const AxisRange time = niceAxis(0, beat.period, 8);
    const AxisRange pressure = niceAxis(0, pMax * 1.08, 4);
    const double pad = std::max(2.0, (vMax - vMin) * 0.1);
    const AxisRange volume = niceAxis(vMin - pad, vMax + pad, 3);
    const bool device = hasDeviceFlow(beat);
    double qMin = 0, qMax = 1;
    for (const Sample &s : beat.samples) {
        qMin = std::min(qMin, s.Qpump);
        qMax = std::max(qMax, s.Qpump);
    }
    const AxisRange flow = niceAxis(qMin, qMax * 1.05, 2);
    const double balloonFull = session_.current().parameters[Param::IABPvol];
    const bool balloon =
        std::any_of(beat.samples.begin(), beat.samples.end(), [](const Sample &s) { return s.Vballoon > 0; });

    std::vector<LegendEntry> legend{
        {QStringLiteral("LV pressure"), QPen(Qt::black, kLineWidth * z)},
        {QStringLiteral("Aortic"), QPen(aorticRed(), kLineWidth * z)},
        {QStringLiteral("Left atrial"), QPen(atrialBlue(), kLineWidth * z)},
        {QStringLiteral("Valve event"), QPen(Qt::black, 1 * z, Qt::DashLine), Dot::Point},
    };
    if (device)
        legend.push_back({QStringLiteral("Device flow"), QPen(deviceOrange(), kLineWidth * z)});
    if (balloon)
        legend.push_back({QStringLiteral("Balloon inflated"), QPen(balloonShade(), 8 * z)});
    const double top = 46 * z, left = 64 * z, right = 18 * z, between = 12 * z;
    const double legendH = legendHeight(legend, target.width() - left - right, z);
    const QRectF inner = target.adjusted(left, top, -right, -(bottomBand(z) + legendH + 6 * z));
    axes_.upper = axes_.lower = QRectF();
    if (inner.width() < 10 || inner.height() < 30) {
        painter.fillRect(target, look::windowBlue());
        return;
    }
    const double gaps = device ? 2 * between : between;
    const double pressureHeight = (inner.height() - gaps) * (device ? 0.5 : 0.6);
    const double volumeHeight = (inner.height() - gaps) * (device ? 0.28 : 0.4);
    Plot upper{QRectF(inner.left(), inner.top(), inner.width(), pressureHeight), time, pressure};
    Plot lower{QRectF(inner.left(), inner.top() + pressureHeight + between, inner.width(), volumeHeight), time, volume};
    Plot pump{QRectF(inner.left(), lower.area.bottom() + between, inner.width(),
                  inner.bottom() - lower.area.bottom() - between),
        time, flow};
    axes_.time = time;
    axes_.pressure = pressure;
    axes_.volume = volume;
    axes_.upper = upper.area;
    axes_.lower = lower.area;

    const QString key = QStringLiteral("%1x%2 %3 %4%5 ").arg(width()).arg(height()).arg(z).arg(device).arg(balloon) +
        axisKey(time) + axisKey(pressure) + axisKey(volume) + (device ? axisKey(flow) : QString());
    drawBackdrop(painter, key, [&](QPainter &backdrop) {
        backdrop.fillRect(target, look::windowBlue());
        paintTitle(backdrop, target, 0, 28 * z,
            beat.beats > 1 ? QStringLiteral("One Balloon Cycle of %1 Beats").arg(beat.beats)
                           : QStringLiteral("One Beat"),
            z);
        paintFrame(backdrop, upper, QString(), QStringLiteral("mmHg"), z, target.left());
        if (device) {
            paintFrame(backdrop, lower, QString(), QStringLiteral("LV ml"), z, target.left());
            paintFrame(backdrop, pump, QStringLiteral("TIME (s)"), QStringLiteral("ml/s"), z, target.left());
        } else {
            paintFrame(backdrop, lower, QStringLiteral("TIME (s)"), QStringLiteral("LV ml"), z, target.left());
        }
        const double bottom = device ? pump.area.bottom() : lower.area.bottom();
        paintLegend(backdrop, legend, QRectF(left, bottom + bottomBand(z), inner.width(), legendH), z);
    });
    if (balloon)
        paintBalloon(painter, beat, upper, balloonFull);

    const auto trace = [&beat](const Plot &plot, auto value) {
        return thinLine(beat, [&plot, &value](const Sample &s) { return plot.map(s.t, value(s)); });
    };
    painter.save();
    painter.setClipRect(upper.area.adjusted(-1, -1, 1, 1));
    painter.setPen(QPen(atrialBlue(), kLineWidth * z));
    drawing::curve(painter, trace(upper, [](const Sample &s) { return s.Pla; }), false);
    painter.setPen(QPen(aorticRed(), kLineWidth * z));
    drawing::curve(painter, trace(upper, [](const Sample &s) { return s.Pao; }), false);
    painter.setPen(QPen(Qt::black, kLineWidth * z));
    drawing::curve(painter, trace(upper, [](const Sample &s) { return s.Plv; }), false);
    painter.restore();
    painter.save();
    painter.setClipRect(lower.area.adjusted(-1, -1, 1, 1));
    painter.setPen(QPen(Qt::black, kLineWidth * z));
    drawing::curve(painter, trace(lower, [](const Sample &s) { return s.V; }), false);
    painter.restore();
    if (device) {
        painter.save();
        painter.setClipRect(pump.area.adjusted(-1, -1, 1, 1));
        painter.setPen(QPen(deviceOrange(), kLineWidth * z));
        drawing::curve(painter, trace(pump, [](const Sample &s) { return s.Qpump; }), false);
        painter.restore();
    }

    // The valve events: a dashed line through both panels, numbered above,
    // and a marker on each curve at the instant.
    const ValveEvents ev = transient ? ValveEvents{} : session_.events();
    painter.setFont(drawing::arialPixels(kPointLabelPixels * z, true));
    const QFontMetricsF metrics(painter.font());
    for (const auto &[index, number] : std::array<std::pair<int, const char *>, 4>{
             {{ev.mitralClose, "1"}, {ev.aorticOpen, "2"}, {ev.aorticClose, "4"}, {ev.mitralOpen, "5"}}}) {
        if (index < 0 || index >= static_cast<int>(beat.samples.size()))
            continue;
        const Sample &s = beat.samples[static_cast<std::size_t>(index)];
        const double x = upper.map(s.t, 0).x();
        painter.setPen(QPen(Qt::black, 1 * z, Qt::DashLine));
        painter.drawLine(QPointF(x, upper.area.top()), QPointF(x, lower.area.bottom()));
        marker(painter, upper.map(s.t, s.Plv), z);
        marker(painter, lower.map(s.t, s.V), z);
        painter.setPen(Qt::white);
        const QString text = QString::fromLatin1(number);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, upper.area.top() - 5 * z), text);
    }
}

} // namespace valthera::lab
