#pragma once
// The Loop Lab's two charts, painted as vectors from a LabSession in the look
// of the lessons' loop charts: blue surround, green plot with a black frame and
// grid, white Arial axes and titles. Their axes follow what they show.
//
// Lengths are in pixels at zoom 1; text and pens grow with the zoom.

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <functional>

class QPainter;

namespace valthera::lab {

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
    // Draws the chart as the screen shows it, at the zoom on view, onto any
    // painter (an image, an SVG generator) filling size: the figure a student saves.
    void paintFigure(QPainter &painter, QSize size);

protected:
    // className is the chart's own, by which it reads as a graphic.
    LabChart(const LabSession &session, const char *className, const QString &name, const QString &accessibleName,
        QSize minimum, QWidget *parent);
    // Draws the parts of the chart that change only with its size, zoom and
    // axes from a picture kept while key stays the same; paint draws them anew.
    void drawBackdrop(QPainter &painter, const QString &key, const std::function<void(QPainter &)> &paint);
    void paintEvent(QPaintEvent *event) final;
    // Draws everything into target, the chart's whole area.
    virtual void paint(QPainter &painter, const QRectF &target) = 0;

    const LabSession &session_;
    double zoom_ = 1;

private:
    QPixmap backdrop_;
    QString backdropKey_;
    bool figure_ = false; // painting a saved figure: the backdrop drawn as vectors, not from the cached picture
};

class PvChart : public LabChart {
    Q_OBJECT
public:
    PvChart(const LabSession &session, QWidget *parent = nullptr);
    // Call after the session changed: repaints and describes the loop anew.
    void refresh();
    // The axes the chart last used, in ml and mmHg.
    AxisRange volumeAxis() const { return volume_; }
    AxisRange pressureAxis() const { return pressure_; }

protected:
    void paint(QPainter &painter, const QRectF &target) override;

private:
    AxisRange volume_;
    AxisRange pressure_;
};

// One beat against time: ventricular, aortic and atrial pressure above, the
// ventricular volume below, with the valve events at the instants of the
// loop's points 1, 2, 4 and 5.
class TimeChart : public LabChart {
    Q_OBJECT
public:
    TimeChart(const LabSession &session, QWidget *parent = nullptr);
    void refresh();

protected:
    void paint(QPainter &painter, const QRectF &target) override;
};

} // namespace valthera::lab
