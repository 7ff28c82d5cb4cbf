#pragma once
// What both of the lab's charts share as widgets: the session they show, the
// zoom, the cursor drawn over them, pictures of the parts that change seldom,
// and drawing ahead on other threads so a frame costs little. What each chart
// draws is a figure (pvfigure.h, timefigure.h); the widget only keeps and
// shows it.

#include "lab/chartparts.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSemaphore>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;
class QThreadPool;

namespace valthera::lab {

using namespace valthera::model;

class BeatCursor;
class LabSession;

class LabChart : public QWidget, protected ChartLayers {
    Q_OBJECT
public:
    void setZoom(double zoom);
    // The instant drawn over the chart (a dot on the loop, a line across the
    // time chart), or none.
    void setBeatCursor(const BeatCursor *cursor);
    // Only the cursor moved: it is drawn afresh over the chart as last painted.
    void cursorMoved() { update(); }
    // Draws the chart as the screen shows it, at the zoom on view, onto any
    // painter (an image, an SVG generator) filling size, the cursor included:
    // the figure a student saves.
    void paintFigure(QPainter &painter, QSize size);
    // While the beats after a change play: draws ahead, in a frame that only
    // moves the cursor, what changes when the next beat comes, so the frame
    // that reaches it costs no more than one that moves the cursor. True when
    // it drew anything.
    virtual bool prepareNextBeat() { return false; }
    // Just before the window paints a frame: when the chart must be drawn
    // anew for it, starts drawing it on one of the threads given to
    // drawAheadOn, so it is drawn while the other controls are painted. The
    // chart's paint, or finishDrawing, takes the picture.
    void drawAhead();
    // Threads to draw ahead on, which must outlast any drawing begun; none:
    // the chart is drawn as it is painted.
    void drawAheadOn(QThreadPool *threads) { threads_ = threads; }
    // The work of making the charts' fonts at zoom, with the glyphs they
    // write, on the thread it runs on, so a chart's first picture at that
    // zoom there finds them made rather than making them in its frame. One
    // piece a font, each a millisecond or two, so a picture asked for
    // meanwhile waits little.
    static std::vector<std::function<void()>> fontReadying(double zoom, qreal pixelRatio);
    void finishDrawing();
    ~LabChart() override;

signals:
    // A click or drag on the chart picked this sample of the cursor's beat.
    void samplePicked(int sample);

protected:
    // className is the chart's own, by which it reads as a graphic.
    LabChart(const LabSession &session, const char *className, const QString &name, const QString &accessibleName,
        QSize minimum, QWidget *parent);
    ChartStyle style() const { return ChartStyle{zoom_}; }
    const BeatCursor *cursor() const { return cursor_; }
    // How a screen-reader user finds the cursor, told with each chart's description.
    static QString cursorKeys();
    // The chart without the cursor, painted only when what it shows changed
    // (refresh, zoom, size): while Play runs, a frame is this picture and the
    // cursor over it.
    void paintEvent(QPaintEvent *event) final;
    // Draws the chart without the cursor, filling the chart, through the kept pictures.
    virtual void paint(QPainter &painter) = 0;
    virtual void paintCursor(QPainter &painter, const Sample &at) = 0;
    // The whole figure, the cursor included, at a size: no kept picture used.
    virtual void drawFigure(QPainter &painter, QSize size) = 0;
    // The sample of the cursor's beat nearest a place on the chart, -1 for none.
    virtual int sampleAt(QPointF at, const BeatCursor &cursor) const = 0;
    void markStale() { contentStale_ = true; }
    // Takes a picture drawn ahead of what the chart now shows in place of
    // painting it: false when there is none.
    virtual bool takePrepared(QImage &) { return false; }
    virtual bool hasPrepared() const { return false; }
    // The chart's size in device pixels and their ratio, for its pictures.
    QSize pixelSize() const { return (QSizeF(size()) * devicePixelRatioF()).toSize(); }

    // The backdrop and the underlay, each from a picture kept while its key
    // stays the same. A transient's family is drawn as it is, unless a chart
    // keeps it.
    void drawPart(
        QPainter &painter, Part part, const QString &key, const std::function<void(QPainter &)> &paint) override;
    void drawFamily(QPainter &painter, const QRectF &clip, const QString &key, const Plot &plot,
        std::span<const Beat> family, const ChartStyle &style) override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    const LabSession &session_;
    double zoom_ = 1;

private:
    // A picture kept while its key stays the same, drawn at the chart's origin.
    struct Layer {
        QImage picture;
        QString key;
        QSize paintedAt; // the chart's size in device pixels when last painted
        qreal ratio = 0;
    };
    void drawLayer(QPainter &painter, Layer &layer, const QString &key, const std::function<void(QPainter &)> &paint);
    void pick(QPointF at);

    // The picture is of the chart's present size (it may still show an old state).
    bool contentFitsSize() const;
    bool contentOutOfDate() const;
    void drawContent(QImage &content);
    // Has the memory for the chart's picture at the next zoom step made ready
    // on its threads, so the step's picture costs no page faults.
    void readyNextSize();

    // The upright axis title is drawn as outlines every time it is painted,
    // and the text costs more than the lines; a dragged slider moves the loop
    // on every mouse move but the axes only now and then.
    Layer backdrop_;
    // Everything under the loops of a transient: the backdrop, the
    // relations, the occlusion run and the baseline loop.
    Layer underlay_;
    QImage content_;
    bool contentStale_ = true;
    // Drawn on another thread between drawAhead and finishDrawing.
    QImage drawn_;
    QSemaphore done_;
    bool drawing_ = false;
    QThreadPool *threads_ = nullptr;
    QTimer readyNext_; // a moment after the chart is drawn at a new size
    QSize readiedAfter_; // the size it was last started at
    const BeatCursor *cursor_ = nullptr;
};

} // namespace valthera::lab
