#include "lab/labchart.h"

#include "diagrams/drawing.h"
#include "lab/beatcursor.h"
#include "lab/labsession.h"
#include "ui/accessibility.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QMouseEvent>
#include <QPainter>
#include <QThreadPool>
#include <algorithm>

namespace valthera::lab {

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

QString LabChart::cursorKeys()
{
    return QStringLiteral(" Left and Right step a cursor through the beat, Page Up and Page Down go from event to "
                          "event, Space plays.");
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
    paint(chart);
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
    // The tick labels' font, and the bold ones of the axis titles, the chart
    // titles and the legends and point labels.
    const ChartStyle style{zoom};
    const std::pair<QFont, QString> fonts[] = {
        {style.tickFont(), QStringLiteral("0123456789.-")},
        {style.axisTitleFont(), printable},
        {style.titleFont(), printable},
        {style.labelFont(), printable},
    };
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
        paintCursor(painter, cursor_->beat().samples[static_cast<std::size_t>(cursor_->sample())]);
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
    drawFigure(painter, size);
}

void LabChart::drawPart(QPainter &painter, Part part, const QString &key, const std::function<void(QPainter &)> &paint)
{
    drawLayer(painter, part == Part::Backdrop ? backdrop_ : underlay_, key, paint);
}

void LabChart::drawFamily(QPainter &painter, const QRectF &clip, const QString &, const Plot &plot,
    std::span<const Beat> family, const ChartStyle &style)
{
    painter.save();
    painter.setClipRect(clip);
    paintFamily(painter, plot, family, style);
    painter.restore();
}

void LabChart::drawLayer(
    QPainter &painter, Layer &layer, const QString &key, const std::function<void(QPainter &)> &paint)
{
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

} // namespace valthera::lab
