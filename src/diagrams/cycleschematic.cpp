#include "diagrams/cycleschematic.h"

#include "diagrams/curves.h"
#include "diagrams/drawing.h"
#include "diagrams/schematicgeometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace valthera {

namespace {

// ---- Canvas --------------------------------------------------------------
constexpr double kCanvasWidth = 600;
constexpr double kCanvasHeight = 330;
constexpr double kLabelledWidth = 680; // room on the right for the valve labels
constexpr double kLoopPanelLeft = 280;

constexpr double kHeadingPixels = 17;
constexpr double kAxisTitlePixels = 12;
constexpr double kTickPixels = 12;
constexpr double kLabelPixels = 12.5;
constexpr double kLetterPixels = 15;

// ---- Loop panel ----------------------------------------------------------
constexpr double kPressureAxisX = 345;
constexpr double kVolumeAxisY = 280;
constexpr double kVolumeAxisEnd = 580;
constexpr double kPressureAxisTop = 56;

using curves::Cubic;
using curves::Tick;

// Unevenly spaced, as drawn: the low pressures get more room than their share.
constexpr std::array<Tick, 3> kVolumeTicks{{{50, 395}, {100, 465}, {150, 535}}};
constexpr std::array<Tick, 6> kPressureTicks{{{0, 280}, {30, 236}, {60, 204}, {80, 174}, {100, 136}, {120, 96}}};

// Pressures at points 1, 2 and 5, which sit between labelled ticks. Point 2,
// the aortic opening, reads between 70 and 80.
constexpr double kEndDiastolicPressure = 12;
constexpr double kAorticOpeningPressure = 75;
constexpr double kMitralOpeningPressure = 7;

// ---- Time panel -----------------------------------------------------------
constexpr double kTimeAxisX = 30;
constexpr double kTimeAxisY = 280;
constexpr double kTimeAxisEnd = 270;
constexpr double kPixelsPerSecond = 340;
constexpr double kPixelsPerMmHg = 1.55;

QPointF timePoint(double seconds, double mmHg)
{
    return {kTimeAxisX + seconds * kPixelsPerSecond, kTimeAxisY - mmHg * kPixelsPerMmHg};
}

// Ventricular pressure over one beat (s, mmHg). Indexes of the event knots:
// A (mitral closes) 4, B (aortic opens) 6, C (aortic closes) 10, D (mitral opens) 12.
struct Knot {
    double t, p;
};
constexpr std::array<Knot, 17> kVentricle{
    {{0.00, 4}, {0.03, 5}, {0.06, 9}, {0.08, 6}, {0.10, 7}, {0.125, 40}, {0.15, 80}, {0.20, 113}, {0.25, 121},
        {0.31, 115}, {0.37, 100}, {0.40, 50}, {0.43, 10}, {0.47, 4}, {0.55, 3}, {0.63, 4}, {0.72, 5}}};
constexpr std::size_t kKnotA = 4, kKnotB = 6, kKnotC = 10, kKnotD = 12;

constexpr std::array<Knot, 12> kAortic{{{0.00, 88}, {0.08, 83}, {0.15, 80}, {0.20, 109}, {0.25, 117}, {0.31, 112},
    {0.37, 100}, {0.385, 95}, {0.41, 99}, {0.50, 95}, {0.62, 90}, {0.72, 87}}};

constexpr std::array<Knot, 12> kAtrial{{{0.00, 6}, {0.06, 12}, {0.09, 7}, {0.10, 7}, {0.12, 9}, {0.16, 4}, {0.30, 7},
    {0.41, 12}, {0.43, 10}, {0.47, 6}, {0.58, 5}, {0.72, 6}}};

template <std::size_t N> std::vector<QPointF> timeKnots(const std::array<Knot, N> &knots)
{
    std::vector<QPointF> points;
    for (const Knot &k : knots)
        points.push_back(timePoint(k.t, k.p));
    return points;
}

void boxedLetter(QPainter &painter, QPointF centre, const QString &letter, QPointF target)
{
    const QRectF box(centre.x() - 8, centre.y() - 8, 16, 16);
    painter.setPen(Qt::black);
    // The arrow leaves the box edge nearest its target.
    const QPointF direction = target - centre;
    const double reach = 8 / std::max(std::abs(direction.x()), std::abs(direction.y()));
    drawing::arrow(painter, centre + direction * reach, target, 1.2, 6);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setFont(drawing::arialPixels(kLetterPixels, true));
    drawing::centredText(painter, centre, letter);
}

void heading(QPainter &painter, QPointF centre, const QString &text)
{
    painter.setPen(Qt::black);
    painter.setFont(drawing::arialPixels(kHeadingPixels, true));
    drawing::centredText(painter, centre, text);
}

void dot(QPainter &painter, QPointF at, double radius = 3.5)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(at, radius, radius);
}

// The control loop's curved parts.
Cubic fillingCurve()
{
    const QPointF p5 = CycleSchematic::loopPoint(5);
    const QPointF p1 = CycleSchematic::loopPoint(1);
    return {p5, {p5.x() + 30, kVolumeAxisY - 8}, {p1.x() - 40, kVolumeAxisY - 7}, p1};
}

QPainterPath ejectionPath(QPointF p2, QPointF p3, QPointF p4)
{
    // Rises steeply from 2, flattens over the peak at 3, falls into 4.
    QPainterPath path(p2);
    path.cubicTo(QPointF(p2.x() - 6, p3.y() + 30), QPointF(p3.x() + 35, p3.y()), p3);
    path.cubicTo(QPointF(p3.x() - 35, p3.y()), QPointF(p4.x() + 12, p4.y() - 18), p4);
    return path;
}

// Loop 2 of the afterload comparison, a stiffer outflow: the same filling and
// point 1, a higher opening, a higher peak, and an earlier close at a higher
// pressure with a larger ESV.
QPointF loop2Opening()
{
    return {CycleSchematic::loopPoint(1).x(), CycleSchematic::pressureTickY(95)};
}

QPointF loop2Peak()
{
    return {CycleSchematic::loopPoint(3).x() + 14, CycleSchematic::pressureTickY(120) - 32};
}

QPointF loop2Close()
{
    return {CycleSchematic::volumeTickX(75), CycleSchematic::pressureTickY(115)};
}

using drawing::Annotation;

// The labels of each design, painted over everything else in this order.
std::vector<Annotation> labels(CycleSchematic::Design design)
{
    using Design = CycleSchematic::Design;
    const QPointF p1 = CycleSchematic::loopPoint(1), p2 = CycleSchematic::loopPoint(2),
                  p3 = CycleSchematic::loopPoint(3), p4 = CycleSchematic::loopPoint(4),
                  p5 = CycleSchematic::loopPoint(5);
    const QColor black = Qt::black;
    const QColor opens = CycleSchematic::contractionGreen().darker(130);
    const QColor closes = CycleSchematic::relaxationBlue();
    const auto from = [](QPointF tail, QPointF head) { return QLineF(tail, head); };

    switch (design) {
    case Design::Cycle:
        return {};
    case Design::Labelled:
        return {
            // Right of the loop: the aortic valve opening at 2, the mitral closing and EDV at 1.
            {{QStringLiteral("Aortic Valve"), QStringLiteral("Opens")}, {p2.x() + 45, p2.y() - 40},
                from({p2.x() + 43, p2.y() - 30}, p2 + QPointF(5, -3)), kLabelPixels, black, opens},
            {{QStringLiteral("Mitral Valve"), QStringLiteral("Closes")}, {p1.x() + 45, p1.y() - 62},
                from({p1.x() + 43, p1.y() - 40}, p1 + QPointF(5, -4)), kLabelPixels, black, closes},
            {{QStringLiteral("EDV")}, {p1.x() + 45, p1.y() - 12}, from({p1.x() + 43, p1.y() - 4}, p1 + QPointF(5, 0)),
                kLabelPixels},
            // Above and left: the aortic closing at 4, max LVP at 3.
            {{QStringLiteral("Aortic Valve"), QStringLiteral("Closes")}, {kPressureAxisX + 6, kPressureAxisTop - 18},
                from({kPressureAxisX + 30, kPressureAxisTop + 10}, p4 + QPointF(-2, -5)), kLabelPixels, black, closes},
            {{QStringLiteral("max LVP")}, {p3.x() + 14, p3.y() - 30},
                from({p3.x() + 18, p3.y() - 16}, p3 + QPointF(3, -4)), kLabelPixels},
            // Inside the loop: the phases, the mitral opening at 5; ESV outside at 5.
            {{QStringLiteral("Ejection")}, {p3.x() - 18, p3.y() + 26}, {}, kLabelPixels},
            {{QStringLiteral("Isovolumic"), QStringLiteral("Contraction")}, {p2.x() - 72, p2.y() + 8}, {},
                kLabelPixels},
            {{QStringLiteral("Isovolumic Relaxation")}, {p4.x() + 6, p4.y() + 16}, {}, kLabelPixels - 1.5},
            {{QStringLiteral("Filling")}, {(p5.x() + p1.x()) / 2 + 20, p1.y() - 34}, {}, kLabelPixels},
            {{QStringLiteral("Mitral Valve"), QStringLiteral("Opens")}, {p5.x() + 8, p5.y() - 48},
                from({p5.x() + 16, p5.y() - 20}, p5 + QPointF(3, -4)), kLabelPixels, black, opens},
            {{QStringLiteral("ESV")}, {kPressureAxisX + 4, p5.y() - 26},
                from({kPressureAxisX + 14, p5.y() - 12}, p5 + QPointF(-4, -2)), kLabelPixels},
        };
    case Design::AfterloadComparison:
        return {
            {{QStringLiteral("Loop 2")}, {p1.x() + 8, loop2Peak().y() + 6}, {}, kLabelPixels + 1, QColor(255, 0, 0)},
            {{QStringLiteral("Control"), QStringLiteral("Loop")}, {p1.x() + 8, p2.y() + 12}, {}, kLabelPixels + 1},
        };
    case Design::ThreePatient:
        return {
            {{QStringLiteral("Loops"), QStringLiteral("are for"), QStringLiteral("three"), QStringLiteral("different"),
                 QStringLiteral("patients")},
                {296, 150}, {}, kLabelPixels + 1},
        };
    }
    return {};
}

} // namespace

CycleSchematic::CycleSchematic(Design design)
    : design_(design)
{
}

QString CycleSchematic::name() const
{
    switch (design_) {
    case Design::Cycle:
        return QStringLiteral("Cycle schematic");
    case Design::Labelled:
        return QStringLiteral("Labelled cycle schematic");
    case Design::AfterloadComparison:
        return QStringLiteral("Afterload comparison schematic");
    case Design::ThreePatient:
        return QStringLiteral("Three-patient schematic");
    }
    return {};
}

QRectF CycleSchematic::canvas() const
{
    switch (design_) {
    case Design::Cycle:
        return {0, 0, kCanvasWidth, kCanvasHeight};
    case Design::Labelled:
        return {0, 0, kLabelledWidth, kCanvasHeight};
    case Design::AfterloadComparison:
        return {kLoopPanelLeft, 0, kCanvasWidth - kLoopPanelLeft, kCanvasHeight};
    case Design::ThreePatient:
        return {0, 0, 360, 300};
    }
    return {};
}

QTransform CycleSchematic::toTarget(const QRectF &target) const
{
    const QRectF c = canvas();
    const double scale = std::min(target.width() / c.width(), target.height() / c.height());
    QTransform transform;
    transform.translate(target.center().x(), target.center().y());
    transform.scale(scale, scale);
    transform.translate(-c.center().x(), -c.center().y());
    return transform;
}

double CycleSchematic::volumeTickX(double ml)
{
    return curves::positionOf(ml, kVolumeTicks);
}

double CycleSchematic::pressureTickY(double mmHg)
{
    return curves::positionOf(mmHg, kPressureTicks);
}

double CycleSchematic::pressureAt(double y)
{
    return curves::valueAt(y, kPressureTicks);
}

QPointF CycleSchematic::loopPoint(int number)
{
    const SchematicLoopValues &v = kCycleSchematicValues;
    switch (number) {
    case 1:
        return {volumeTickX(v.edv), pressureTickY(kEndDiastolicPressure)};
    case 2:
        return {volumeTickX(v.edv), pressureTickY(kAorticOpeningPressure)};
    case 3:
        return {volumeTickX((v.edv + v.esv) / 2) + 3, pressureTickY(v.peakPressure)};
    case 4:
        return {volumeTickX(v.esv), pressureTickY(v.esp)};
    case 5:
        return {volumeTickX(v.esv), pressureTickY(kMitralOpeningPressure)};
    default:
        return {};
    }
}

QPointF CycleSchematic::eventPoint(char letter)
{
    const auto at = [](std::size_t i) { return timePoint(kVentricle[i].t, kVentricle[i].p); };
    switch (letter) {
    case 'A':
        return at(kKnotA);
    case 'B':
        return at(kKnotB);
    case 'C':
        return at(kKnotC);
    case 'D':
        return at(kKnotD);
    default:
        return {};
    }
}

void CycleSchematic::paint(QPainter &painter, const QRectF &target) const
{
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(target, Qt::white);
    painter.setTransform(toTarget(target), true);

    switch (design_) {
    case Design::Cycle:
        paintTimePanel(painter);
        paintLoopPanel(painter);
        break;
    case Design::Labelled:
        paintTimePanel(painter);
        paintLoopPanel(painter);
        break;
    case Design::AfterloadComparison:
        paintLoopPanel(painter);
        paintLoop2(painter);
        break;
    case Design::ThreePatient:
        paintThreePatients(painter);
        break;
    }
    for (const drawing::Annotation &label : labels(design_))
        drawing::annotate(painter, label, {});
    painter.restore();
}

void CycleSchematic::paintTimePanel(QPainter &painter) const
{
    heading(painter, {150, 22}, QStringLiteral("P vs Time"));

    // Axes.
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawLine(QPointF(kTimeAxisX, kTimeAxisY), QPointF(kTimeAxisEnd, kTimeAxisY));
    painter.drawLine(QPointF(kTimeAxisX, kTimeAxisY), QPointF(kTimeAxisX, 50));

    // Time labels as one line of text; the 0.2 and 0.5 marks stand over their numbers.
    const QString timeLine = QStringLiteral("0                     0.2                         0.5    seconds");
    painter.setFont(drawing::arialPixels(kTickPixels));
    const QFontMetricsF metrics(painter.font());
    const double start = kTimeAxisX - metrics.horizontalAdvance(QStringLiteral("0")) / 2;
    painter.drawText(QPointF(start, kTimeAxisY + 6 + metrics.ascent()), timeLine);
    for (const QString &mark : {QStringLiteral("0"), QStringLiteral("0.2"), QStringLiteral("0.5")}) {
        const qsizetype index = mark == QStringLiteral("0") ? 0 : timeLine.indexOf(mark);
        const double x = start + metrics.horizontalAdvance(timeLine.left(index)) + metrics.horizontalAdvance(mark) / 2;
        painter.drawLine(QPointF(x, kTimeAxisY), QPointF(x, kTimeAxisY + 4));
    }

    // Aortic (dashed) and atrial (dotted) pressures under the ventricle.
    const std::vector<QPointF> aortic = timeKnots(kAortic);
    const std::vector<QPointF> atrial = timeKnots(kAtrial);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1.3, Qt::DashLine));
    painter.drawPath(curves::smoothStretch(aortic, 0, aortic.size() - 1));
    painter.setPen(QPen(Qt::black, 1.3, Qt::DotLine));
    painter.drawPath(curves::smoothStretch(atrial, 0, atrial.size() - 1));

    // Ventricle: black, then green rise, red dome, blue fall, black again.
    const std::vector<QPointF> ventricle = timeKnots(kVentricle);
    const struct {
        std::size_t from, to;
        QColor colour;
        double width;
    } stretches[] = {
        {0, kKnotA, Qt::black, 1.8},
        {kKnotA, kKnotB, contractionGreen(), 2.6},
        {kKnotB, kKnotC, ejectionRed(), 2.6},
        {kKnotC, kKnotD, relaxationBlue(), 2.6},
        {kKnotD, ventricle.size() - 1, Qt::black, 1.8},
    };
    for (const auto &s : stretches) {
        painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(curves::smoothStretch(ventricle, s.from, s.to));
    }

    // Curve names.
    painter.setPen(Qt::black);
    painter.setFont(drawing::arialPixels(kLabelPixels, true));
    painter.drawText(timePoint(0.51, 101), QStringLiteral("Aortic"));
    painter.drawText(timePoint(0.56, 17), QStringLiteral("Atrial"));
    painter.drawText(timePoint(0.075, 124), QStringLiteral("Ventricle"));

    // Event marks.
    boxedLetter(painter, timePoint(0.035, 48), QStringLiteral("A"), eventPoint('A'));
    boxedLetter(painter, timePoint(0.065, 92), QStringLiteral("B"), eventPoint('B'));
    boxedLetter(painter, timePoint(0.46, 128), QStringLiteral("C"), eventPoint('C'));
    boxedLetter(painter, timePoint(0.52, 58), QStringLiteral("D"), eventPoint('D'));
}

void CycleSchematic::paintLoopPanel(QPainter &painter) const
{
    const bool full = design_ != Design::AfterloadComparison;
    heading(painter, {455, 22}, QStringLiteral("P - V Loop"));

    // Axes, ticks and their labels.
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawLine(QPointF(kPressureAxisX, kVolumeAxisY), QPointF(kVolumeAxisEnd, kVolumeAxisY));
    painter.drawLine(QPointF(kPressureAxisX, kVolumeAxisY), QPointF(kPressureAxisX, kPressureAxisTop));
    painter.setFont(drawing::arialPixels(kTickPixels));
    const QFontMetricsF metrics(painter.font());
    for (const Tick &tick : kVolumeTicks) {
        painter.drawLine(QPointF(tick.at, kVolumeAxisY), QPointF(tick.at, kVolumeAxisY + 4));
        drawing::centredText(painter, {tick.at, kVolumeAxisY + 6 + metrics.height() / 2}, QString::number(tick.value));
    }
    for (const Tick &tick : kPressureTicks) {
        painter.drawLine(QPointF(kPressureAxisX - 4, tick.at), QPointF(kPressureAxisX, tick.at));
        const QString text = QString::number(tick.value);
        painter.drawText(QPointF(kPressureAxisX - 6 - metrics.horizontalAdvance(text),
                             tick.at + (metrics.ascent() - metrics.descent()) / 2),
            text);
    }
    painter.setFont(drawing::arialPixels(kAxisTitlePixels, true));
    drawing::centredText(
        painter, {(kPressureAxisX + kVolumeAxisEnd) / 2, kVolumeAxisY + 32}, QStringLiteral("LV Volume (ml)"));
    painter.save();
    painter.translate(kPressureAxisX - 36, (kVolumeAxisY + kPressureAxisTop) / 2);
    painter.rotate(-90);
    drawing::centredText(painter, {0, 0}, QStringLiteral("LV Pressure (mmHg)"));
    painter.restore();

    const QPointF p1 = loopPoint(1), p2 = loopPoint(2), p3 = loopPoint(3), p4 = loopPoint(4), p5 = loopPoint(5);
    const Cubic filling = fillingCurve();
    const QPointF fillingMiddle = filling.at(filling.parameterAtX((p5.x() + p1.x()) / 2));

    if (full) {
        // Dotted guides to the axes.
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawLine(p3, QPointF(kPressureAxisX, p3.y()));
        painter.drawLine(p4, QPointF(kPressureAxisX, p4.y()));
        for (const QPointF &p : {p1, p5, fillingMiddle})
            painter.drawLine(p, QPointF(p.x(), kVolumeAxisY));
    }

    // The loop: curved filling (E) and ejection (G), straight isovolumic F and H.
    QPainterPath loop(p5);
    loop.cubicTo(filling.c1, filling.c2, filling.p3);
    loop.lineTo(p2);
    loop.connectPath(ejectionPath(p2, p3, p4));
    loop.lineTo(p5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(loop);

    painter.setFont(drawing::arialPixels(kLabelPixels, true));
    const struct {
        QPointF at;
        QPointF offset;
    } numbers[] = {{p1, {6, 10}}, {p2, {7, 4}}, {p3, {-4, -8}}, {p4, {-12, -6}}, {p5, {-12, 4}}};
    for (int n = 1; n <= 5; ++n) {
        dot(painter, numbers[n - 1].at);
        painter.setPen(Qt::black);
        painter.drawText(numbers[n - 1].at + numbers[n - 1].offset, QString::number(n));
    }

    if (full) {
        painter.setFont(drawing::arialPixels(kLetterPixels, true));
        drawing::centredText(painter, fillingMiddle + QPointF(-10, -14), QStringLiteral("E"));
        drawing::centredText(painter, QPointF(p1.x() + 12, (p1.y() + p2.y()) / 2), QStringLiteral("F"));
        drawing::centredText(painter, QPointF(p2.x() - 2, p3.y() + 12), QStringLiteral("G"));
        drawing::centredText(painter, QPointF(p4.x() + 12, (p4.y() + p5.y()) / 2 - 6), QStringLiteral("H"));
    }
}

void CycleSchematic::paintLoop2(QPainter &painter) const
{
    const QPointF q2 = loop2Opening(), q3 = loop2Peak(), q4 = loop2Close();
    const Cubic filling = fillingCurve();
    const Cubic part = filling.tail(filling.parameterAtX(q4.x()));

    QPainterPath loop(part.p0);
    loop.cubicTo(part.c1, part.c2, part.p3);
    loop.lineTo(q2);
    loop.connectPath(ejectionPath(q2, q3, q4));
    loop.lineTo(part.p0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 0, 0), 2, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(loop);
}

void CycleSchematic::paintThreePatients(QPainter &painter) const
{
    const QPointF origin(50, 262);
    const double right = 345, top = 24;
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawLine(origin, QPointF(right, origin.y()));
    painter.drawLine(origin, QPointF(origin.x(), top));
    painter.setFont(drawing::arialPixels(kAxisTitlePixels + 1, true));
    drawing::centredText(painter, {(origin.x() + right) / 2, origin.y() + 18}, QStringLiteral("LV Volume"));
    painter.save();
    painter.translate(origin.x() - 14, (origin.y() + top) / 2);
    painter.rotate(-90);
    drawing::centredText(painter, {0, 0}, QStringLiteral("LV Pressure"));
    painter.restore();

    // One filling curve, one point 1, one aortic opening; three end-systolic points.
    const QPointF p1(285, 236), p2(285, 170);
    const Cubic filling{{100, 252}, {150, 256}, {240, 254}, p1};
    const QPointF pipFoot(origin.x() + 14, origin.y() - 4);
    const struct {
        QPointF end;
        QString number;
        QString pip;
        QColor colour;
        Qt::PenStyle style;
    } patients[] = {
        {{118, 118}, QStringLiteral("1"), QStringLiteral("PIP 1"), QColor(255, 0, 0), Qt::DashLine},
        {{160, 124}, QStringLiteral("2"), QStringLiteral("PIP 2"), Qt::black, Qt::SolidLine},
        {{205, 132}, QStringLiteral("3"), QStringLiteral("PIP 3"), QColor(0, 0, 255), Qt::DotLine},
    };

    painter.setFont(drawing::arialPixels(kLabelPixels, true));
    for (const auto &p : patients) {
        // The PIP line from the lower left through the end-systolic point, and on a little.
        const QPointF direction = p.end - pipFoot;
        const QPointF far = pipFoot + direction * 1.45;
        painter.setPen(QPen(p.colour, 1.6, p.style, Qt::FlatCap));
        painter.drawLine(pipFoot, far);
        painter.setPen(p.colour);
        painter.drawText(far + QPointF(-14, -5), p.pip);
    }
    for (const auto &p : patients) {
        const Cubic part = filling.tail(filling.parameterAtX(p.end.x()));
        QPainterPath loop(part.p0);
        loop.cubicTo(part.c1, part.c2, part.p3);
        loop.lineTo(p2);
        const double peakX = (p.end.x() + p2.x()) / 2;
        loop.cubicTo(QPointF(p2.x() - 4, 110), QPointF(peakX + 30, p.end.y() - 26), QPointF(peakX, p.end.y() - 26));
        loop.cubicTo(QPointF(peakX - 30, p.end.y() - 26), QPointF(p.end.x() + 8, p.end.y() - 10), p.end);
        loop.lineTo(part.p0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(loop);
    }
    for (const auto &p : patients) {
        dot(painter, p.end, 3.2);
        painter.setPen(Qt::black);
        painter.drawText(p.end + QPointF(-12, -4), p.number);
    }
}

} // namespace valthera
