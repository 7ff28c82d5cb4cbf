#pragma once
// The lab's pressure-volume chart as a widget: the session's P-V figure
// (pvfigure.h) kept as a picture, the cursor's dot over it, and a transient's
// faded family kept as a picture that gains one loop a beat.

#include "lab/labchart.h"
#include "lab/pvfigure.h"

namespace valthera::lab {

class PvChart : public LabChart {
    Q_OBJECT
public:
    PvChart(const LabSession &session, QWidget *parent = nullptr);
    // Call after the session changed: repaints and describes the loop anew.
    void refresh();
    // The family as it will stand at the next beat: the one on show joins it.
    bool prepareNextBeat() override;
    // The axes the chart last used, in ml and mmHg.
    AxisRange volumeAxis() const { return layout_.volume; }
    AxisRange pressureAxis() const { return layout_.pressure; }
    // Where a volume and pressure are drawn, as last painted.
    QPointF place(double volume, double pressure) const { return layout_.place(volume, pressure); }

protected:
    void paint(QPainter &painter) override;
    void paintCursor(QPainter &painter, const Sample &at) override;
    void drawFigure(QPainter &painter, QSize size) override;
    int sampleAt(QPointF at, const BeatCursor &cursor) const override;
    // The transient's earlier beats, each fainter by a fixed factor with
    // every beat that follows it, kept as a picture.
    void drawFamily(QPainter &painter, const QRectF &clip, const QString &key, const Plot &plot,
        std::span<const Beat> family, const ChartStyle &style) override;

private:
    PvLayout layout_;
    // The transient's earlier beats, faded, on a transparent picture that
    // gains one loop as each beat plays; familyCount_ loops are in it.
    QImage family_;
    QString familyKey_;
    int familyCount_ = 0;
    QImage nextFamily_; // family_ a beat on, drawn ahead
    int nextFamilyCount_ = 0;
};

} // namespace valthera::lab
