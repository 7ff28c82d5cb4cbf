#pragma once
// The lab's time chart as a widget: the session's beat against time
// (timefigure.h) kept as a picture, the cursor's line over it, and while a
// transient plays its next beat drawn ahead.

#include "lab/labchart.h"
#include "lab/timefigure.h"

namespace valthera::lab {

class TimeChart : public LabChart {
    Q_OBJECT
public:
    TimeChart(const LabSession &session, QWidget *parent = nullptr);
    void refresh();
    // The whole chart of the next beat: a transient's beats differ throughout.
    bool prepareNextBeat() override;
    // The x at which an instant of the beat is drawn, as last painted.
    double placeOf(double seconds) const { return layout_.placeOf(seconds); }

protected:
    void paint(QPainter &painter) override;
    void paintCursor(QPainter &painter, const Sample &at) override;
    void drawFigure(QPainter &painter, QSize size) override;
    int sampleAt(QPointF at, const BeatCursor &cursor) const override;
    bool takePrepared(QImage &content) override;
    bool hasPrepared() const override;

private:
    // What a picture of the chart showing beat depends on.
    QString pictureKey(const Beat &beat, bool transient) const;

    TimeLayout layout_;
    QImage prepared_; // the next beat, drawn ahead
    QString preparedKey_;
    TimeLayout preparedLayout_;
};

} // namespace valthera::lab
