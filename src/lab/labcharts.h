#pragma once
// The Loop Lab's two charts, painted as vectors from a LabSession in the look
// of the lessons' loop charts: blue surround, green plot with a black frame and
// grid, white Arial axes and titles. Their axes follow what they show.
//
// Lengths are in pixels at zoom 1; text and pens grow with the zoom.

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

namespace valthera::model {
struct Beat;
}

namespace valthera::lab {

using namespace valthera::model;

class BeatCursor;
class LabSession;

// Round numbers for an axis that holds lo..hi in about `steps` steps of 1, 2
// or 5 times a power of ten.
struct AxisRange {
    double min = 0;
    double max = 1;
    double step = 1;
};
AxisRange niceAxis(double lo, double hi, int steps = 6);

// The current loop with its points 1 to 5, the baseline loop, the
// end-systolic and end-diastolic relations, the arterial elastance line, the
// occlusion run when there is one, and a legend.
// What both charts share: the session they show, the zoom, and the picture of
// the parts that change only with size, zoom and axes.
class LabChart : public QWidget {
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
    // piece a font, each a millisecond or two, so a picture asked for meanwhile
    // waits little.
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
    // Draws the parts of the chart that change only with its size, zoom and
    // axes from a picture kept while key stays the same; paint draws them anew.
    void drawBackdrop(QPainter &painter, const QString &key, const std::function<void(QPainter &)> &paint);
    // A picture kept while its key stays the same, drawn at the chart's
    // origin; a saved figure draws it anew as vectors.
    struct Layer {
        QImage picture;
        QString key;
        QSize paintedAt; // the chart's size in device pixels when last painted
        qreal ratio = 0;
    };
    void drawLayer(QPainter &painter, Layer &layer, const QString &key, const std::function<void(QPainter &)> &paint);
    bool paintingFigure() const { return figure_; }
    // The chart without the cursor, painted only when what it shows changed
    // (refresh, zoom, size): while Play runs, a frame is this picture and the
    // cursor over it.
    void paintEvent(QPaintEvent *event) final;
    // Draws the chart without the cursor into target, the chart's whole area.
    virtual void paint(QPainter &painter, const QRectF &target) = 0;
    virtual void paintCursor(QPainter &painter, const BeatCursor &cursor) = 0;
    // The sample of the cursor's beat nearest a place on the chart, -1 for none.
    virtual int sampleAt(QPointF at, const BeatCursor &cursor) const = 0;
    void markStale() { contentStale_ = true; }
    // Takes a picture drawn ahead of what the chart now shows in place of
    // painting it: false when there is none.
    virtual bool takePrepared(QImage &) { return false; }
    virtual bool hasPrepared() const { return false; }
    // The chart's size in device pixels and their ratio, for its pictures.
    QSize pixelSize() const { return (QSizeF(size()) * devicePixelRatioF()).toSize(); }

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    const LabSession &session_;
    double zoom_ = 1;

private:
    void pick(QPointF at);

    // The picture is of the chart's present size (it may still show an old state).
    bool contentFitsSize() const;
    bool contentOutOfDate() const;
    void drawContent(QImage &content);
    // Has the memory for the chart's picture at the next zoom step made ready
    // on its threads, so the step's picture costs no page faults.
    void readyNextSize();

    Layer backdrop_;
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
    bool figure_ = false; // painting a saved figure: the backdrop drawn as vectors, not from the cached picture
};

class PvChart : public LabChart {
    Q_OBJECT
public:
    PvChart(const LabSession &session, QWidget *parent = nullptr);
    // Call after the session changed: repaints and describes the loop anew.
    void refresh();
    // The family as it will stand at the next beat: the one on show joins it.
    bool prepareNextBeat() override;
    // The axes the chart last used, in ml and mmHg.
    AxisRange volumeAxis() const { return volume_; }
    AxisRange pressureAxis() const { return pressure_; }
    // Where a volume and pressure are drawn, as last painted.
    QPointF place(double volume, double pressure) const;

protected:
    void paint(QPainter &painter, const QRectF &target) override;
    void paintCursor(QPainter &painter, const BeatCursor &cursor) override;
    int sampleAt(QPointF at, const BeatCursor &cursor) const override;

private:
    // The earlier beats of the transient on show, each fainter by a fixed
    // factor with every beat that follows it.
    void paintFamily(QPainter &painter, const QRectF &clip, const QString &key, int earlier);

    AxisRange volume_;
    AxisRange pressure_;
    QRectF plotArea_;
    // Everything under the loops of the transient: the backdrop, the
    // relations, the occlusion run and the baseline loop.
    Layer underlay_;
    // The transient's earlier beats, faded, on a transparent picture that
    // gains one loop as each beat plays; familyCount_ loops are in it.
    QImage family_;
    QString familyKey_;
    int familyCount_ = 0;
    QImage nextFamily_; // family_ a beat on, drawn ahead
    int nextFamilyCount_ = 0;
};

// One beat against time: ventricular, aortic and atrial pressure above, the
// ventricular volume below, with the valve events at the instants of the
// loop's points 1, 2, 4 and 5.
class TimeChart : public LabChart {
    Q_OBJECT
public:
    TimeChart(const LabSession &session, QWidget *parent = nullptr);
    void refresh();
    // The whole chart of the next beat: a transient's beats differ throughout.
    bool prepareNextBeat() override;
    // The x at which an instant of the beat is drawn, as last painted.
    double placeOf(double seconds) const;

protected:
    void paint(QPainter &painter, const QRectF &target) override;
    void paintCursor(QPainter &painter, const BeatCursor &cursor) override;
    int sampleAt(QPointF at, const BeatCursor &cursor) const override;
    bool takePrepared(QImage &content) override;
    bool hasPrepared() const override;

private:
    // Where the beat is drawn: read by the cursor and the mouse.
    struct Axes {
        AxisRange time;
        AxisRange pressure;
        AxisRange volume;
        QRectF upper;
        QRectF lower;
    };
    void paintBeat(QPainter &painter, const QRectF &target, const Beat &beat, bool transient);
    // What a picture of the chart showing beat depends on.
    QString pictureKey(const Beat &beat, bool transient) const;

    Axes axes_;
    QImage prepared_; // the next beat, drawn ahead
    QString preparedKey_;
    Axes preparedAxes_;
};

} // namespace valthera::lab
