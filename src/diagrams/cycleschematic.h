#pragma once
// The smooth-curve drawings: a pressure-against-time panel ("P vs Time")
// beside a pressure-volume loop ("P - V Loop"), and two loop-only variants.
//
// Each design is laid out once on a canvas of its own (design units, y down)
// and scaled uniformly, centred, into the target rectangle. The loop panel's
// axes are not to scale, but its ticks carry the numbers the questions read,
// and the loop's points stand on those ticks.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

class QPainter;

namespace valthera {

class CycleSchematic {
public:
    enum class Design {
        Cycle, // both panels
        Labelled, // both panels, arrows and labels around the loop
        AfterloadComparison, // loop panel only, with a red dashed "Loop 2"
        ThreePatient, // three loops on their PIP lines, no tick values
    };

    explicit CycleSchematic(Design design);

    Design design() const { return design_; }
    QString name() const;

    // The design canvas and its uniform, centred mapping into a target.
    QRectF canvas() const;
    QTransform toTarget(const QRectF &target) const;

    void paint(QPainter &painter, const QRectF &target) const;

    // Loop panel landmarks in design units (Cycle, Labelled, AfterloadComparison).
    // Only the ticks that carry labels are known: 50, 100, 150 ml and
    // 0, 30, 60, 80, 100, 120 mmHg; ticks between are interpolated.
    static double volumeTickX(double ml);
    static double pressureTickY(double mmHg);
    // Points 1 to 5 of the loop.
    static QPointF loopPoint(int number);
    // The value a student reads off the unevenly spaced pressure ticks at a height.
    static double pressureAt(double y);

    // Event marks A to D on the ventricular curve of the time panel.
    static QPointF eventPoint(char letter);

    static QColor contractionGreen() { return {0, 255, 0}; }
    static QColor ejectionRed() { return {204, 51, 0}; }
    static QColor relaxationBlue() { return {51, 51, 204}; }

private:
    void paintTimePanel(QPainter &painter) const;
    void paintLoopPanel(QPainter &painter) const;
    void paintLoop2(QPainter &painter) const;
    void paintThreePatients(QPainter &painter) const;

    Design design_;
};

} // namespace valthera
