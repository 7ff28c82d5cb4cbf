// The schematic's loop stands on the ticks whose values the questions read,
// and its drawing puts points and coloured phases where the layout says.
#include "diagrams/cycleschematic.h"
#include "diagrams/schematicgeometry.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace valthera;

namespace {

QImage render(const CycleSchematic &schematic, QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    schematic.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

template <typename Test> bool near(const QImage &image, QPointF p, int radius, Test test)
{
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -radius; dy <= radius; ++dy) {
            const QPoint q(qFloor(p.x()) + dx, qFloor(p.y()) + dy);
            if (image.rect().contains(q) && test(image.pixelColor(q)))
                return true;
        }
    return false;
}

bool isDark(const QColor &c)
{
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}

} // namespace

class TestCycleSchematic : public QObject {
    Q_OBJECT

private slots:
    void pointsStandOnTheirTicks();
    void valuesReadOffTheTicks();
    void fitsAnyBoxKeepingShape();
    void drawnWhereLaidOut();
    void names();
};

void TestCycleSchematic::pointsStandOnTheirTicks()
{
    using S = CycleSchematic;
    QCOMPARE(S::loopPoint(1).x(), S::volumeTickX(150));
    QCOMPARE(S::loopPoint(2).x(), S::volumeTickX(150));
    QCOMPARE(S::loopPoint(4).x(), S::volumeTickX(50));
    QCOMPARE(S::loopPoint(5).x(), S::volumeTickX(50));
    QCOMPARE(S::loopPoint(3).y(), S::pressureTickY(120));
    QCOMPARE(S::loopPoint(4).y(), S::pressureTickY(100));

    // Point 3 is the top of the loop, between the isovolumic lines; 1 is below 2, 5 below 4.
    for (int n : {1, 2, 4, 5})
        QVERIFY(S::loopPoint(3).y() < S::loopPoint(n).y());
    QVERIFY(S::loopPoint(4).x() < S::loopPoint(3).x() && S::loopPoint(3).x() < S::loopPoint(1).x());
    QVERIFY(S::loopPoint(1).y() > S::loopPoint(2).y());
    QVERIFY(S::loopPoint(5).y() > S::loopPoint(4).y());
    QVERIFY(S::loopPoint(1).y() < S::pressureTickY(0));

    // Ticks rise up the page and along it; the pressure ticks are unevenly spaced.
    const double ticks[] = {0, 30, 60, 80, 100, 120};
    QSet<int> gaps;
    for (int i = 1; i < 6; ++i) {
        const double gap = S::pressureTickY(ticks[i - 1]) - S::pressureTickY(ticks[i]);
        QVERIFY(gap > 0);
        gaps.insert(qRound(gap / (ticks[i] - ticks[i - 1]) * 10));
    }
    QVERIFY(gaps.size() > 1);
    QVERIFY(S::volumeTickX(50) < S::volumeTickX(100) && S::volumeTickX(100) < S::volumeTickX(150));
}

void TestCycleSchematic::valuesReadOffTheTicks()
{
    using S = CycleSchematic;
    const SchematicLoopValues &v = kCycleSchematicValues;
    QCOMPARE(v.strokeVolume(), 100.0);
    QCOMPARE(v.ejectionFraction(), 2.0 / 3.0);
    // What a student reads off the pressure ticks at each point.
    QCOMPARE(S::pressureAt(S::loopPoint(3).y()), v.peakPressure);
    QCOMPARE(S::pressureAt(S::loopPoint(4).y()), v.esp);
    const double opening = S::pressureAt(S::loopPoint(2).y());
    QVERIFY2(opening > 70 && opening < 80, qPrintable(QString::number(opening))); // aortic diastolic
    QVERIFY(S::pressureAt(S::loopPoint(1).y()) < 30);
    QVERIFY(S::pressureAt(S::loopPoint(5).y()) < S::pressureAt(S::loopPoint(1).y()));
}

void TestCycleSchematic::fitsAnyBoxKeepingShape()
{
    for (auto design : {CycleSchematic::Design::Cycle, CycleSchematic::Design::Labelled,
             CycleSchematic::Design::AfterloadComparison, CycleSchematic::Design::ThreePatient}) {
        const CycleSchematic s(design);
        for (const QRectF target : {QRectF(0, 0, 369, 393), QRectF(0, 0, 513, 273), QRectF(10, 20, 313, 281)}) {
            const QTransform t = s.toTarget(target);
            const QRectF mapped = t.mapRect(s.canvas());
            QVERIFY(mapped.left() >= target.left() - 1e-6 && mapped.right() <= target.right() + 1e-6);
            QVERIFY(mapped.top() >= target.top() - 1e-6 && mapped.bottom() <= target.bottom() + 1e-6);
            QVERIFY(std::abs(mapped.center().x() - target.center().x()) < 1e-6);
            QVERIFY(std::abs(mapped.center().y() - target.center().y()) < 1e-6);
            QCOMPARE(t.m11(), t.m22()); // not stretched
            QVERIFY(
                std::abs(mapped.width() - target.width()) < 1e-6 || std::abs(mapped.height() - target.height()) < 1e-6);
        }
    }
    // The loop-only picture shows the loop panel, not the time panel.
    const CycleSchematic loopOnly(CycleSchematic::Design::AfterloadComparison);
    QVERIFY(loopOnly.canvas().left() > CycleSchematic::eventPoint('D').x());
    QVERIFY(loopOnly.canvas().contains(CycleSchematic::loopPoint(1)));
}

void TestCycleSchematic::drawnWhereLaidOut()
{
    for (auto design : {CycleSchematic::Design::Cycle, CycleSchematic::Design::Labelled}) {
        const CycleSchematic s(design);
        for (QSize size : {QSize(513, 273), QSize(369, 393)}) {
            const QImage image = render(s, size);
            const QTransform t = s.toTarget(QRectF(QPointF(0, 0), QSizeF(size)));
            // The black dots of points 1 to 5.
            for (int n = 1; n <= 5; ++n)
                QVERIFY2(isDark(image.pixelColor(t.map(CycleSchematic::loopPoint(n)).toPoint())),
                    qPrintable(QStringLiteral("point %1").arg(n)));
            // Green between A and B, blue between C and D, red over the dome.
            const auto mid = [&](char a, char b) {
                return t.map((CycleSchematic::eventPoint(a) + CycleSchematic::eventPoint(b)) / 2);
            };
            QVERIFY(near(image, mid('A', 'B'), 2,
                [](const QColor &c) { return c.green() > 200 && c.red() < 90 && c.blue() < 90; }));
            QVERIFY(near(image, mid('C', 'D'), 2,
                [](const QColor &c) { return c.blue() > 150 && c.red() < 110 && c.green() < 110; }));
            const QPointF b = CycleSchematic::eventPoint('B'), c = CycleSchematic::eventPoint('C');
            const QPointF domeTop = t.map(QPointF((b.x() + c.x()) / 2, std::min(b.y(), c.y()) - 10));
            bool red = false;
            for (int dy = -40; dy <= 10 && !red; ++dy)
                red = near(image, domeTop + QPointF(0, dy), 0,
                    [](const QColor &c) { return c.red() > 150 && c.green() < 90 && c.blue() < 60; });
            QVERIFY2(red, "red dome above B and C");
            // Nothing in the canvas' far corner; background is white.
            QCOMPARE(image.pixelColor(t.map(QPointF(s.canvas().right() - 2, s.canvas().bottom() - 2)).toPoint()),
                QColor(Qt::white));
        }
    }
    // The three-patient drawing has no loop-panel dots where the cycle loop would be.
    const CycleSchematic three(CycleSchematic::Design::ThreePatient);
    const QImage image = render(three, QSize(313, 281));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += isDark(image.pixelColor(x, y));
    QVERIFY(dark > 500);
}

void TestCycleSchematic::names()
{
    QCOMPARE(CycleSchematic(CycleSchematic::Design::Cycle).name(), QStringLiteral("Cycle schematic"));
    QCOMPARE(CycleSchematic(CycleSchematic::Design::Labelled).name(), QStringLiteral("Labelled cycle schematic"));
}

QTEST_MAIN(TestCycleSchematic)
#include "tst_cycleschematic.moc"
