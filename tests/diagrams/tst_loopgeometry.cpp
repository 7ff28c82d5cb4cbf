// The loop table against the physiology it encodes and the answers the lessons mark.
#include "diagrams/loopgeometry.h"

#include <QtTest>

using namespace valthera;

Q_DECLARE_METATYPE(valthera::LoopId)

class TestLoopGeometry : public QObject {
    Q_OBJECT

private slots:
    void relations_data();
    void relations();
    void afterloadMultiples_data();
    void afterloadMultiples();
    void answerValues();
};

void TestLoopGeometry::relations_data()
{
    QTest::addColumn<LoopId>("loop");
    QTest::addColumn<double>("afterload");
    QTest::addColumn<double>("contractilitySlope");
    QTest::addColumn<double>("tableSv");
    QTest::addColumn<double>("tableEf");

    QTest::newRow("control") << LoopId::Control << 80.0 << 2.0 << 70.0 << 0.58;
    QTest::newRow("afterload 90") << LoopId::Afterload90 << 90.0 << 2.0 << 63.75 << 0.53;
    QTest::newRow("afterload 100") << LoopId::Afterload100 << 100.0 << 2.0 << 57.5 << 0.48;
    QTest::newRow("preload 100") << LoopId::Preload100 << 80.0 << 2.0 << 50.0 << 0.50;
    QTest::newRow("preload 140") << LoopId::Preload140 << 80.0 << 2.0 << 90.0 << 0.64;
    QTest::newRow("contractility 125") << LoopId::Contractility125 << 80.0 << 2.5 << 80.0 << 0.67;
    QTest::newRow("contractility 75") << LoopId::Contractility75 << 80.0 << 1.5 << 53.3 << 0.44;
}

void TestLoopGeometry::relations()
{
    QFETCH(LoopId, loop);
    QFETCH(double, afterload);
    QFETCH(double, contractilitySlope);
    QFETCH(double, tableSv);
    QFETCH(double, tableEf);
    const LoopGeometry &g = loopGeometry(loop);
    QCOMPARE(g.id, loop);

    // Isovolumic segments are vertical.
    QCOMPARE(g.point(1).volume, g.point(2).volume);
    QCOMPARE(g.point(4).volume, g.point(5).volume);

    // Point 2 at the afterload; point 5 at 10 mmHg; EDP = EDV / 8.
    QCOMPARE(g.aorticOpening(), afterload);
    QCOMPARE(g.point(5).pressure, 10.0);
    QCOMPARE(g.edp(), g.edv() / 8);

    // Point 4 on its contractility line through the origin; 66.7 is a rounding of 200 / 3.
    QVERIFY2(std::abs(g.esv() - g.esp() / contractilitySlope) < 0.05,
        qPrintable(QStringLiteral("ESV %1 vs ESP / slope %2").arg(g.esv()).arg(g.esp() / contractilitySlope)));

    // Point 3's volume: ESV + 0.35 x SV, as drawn: to the half millilitre below
    // (82.625 is drawn at 82.5, 78.5625 at 78.5) or the tenth (85.355 at 85.3).
    QVERIFY2(std::abs(g.point(3).volume - (g.esv() + 0.35 * g.strokeVolume())) < 0.13,
        qPrintable(QStringLiteral("point 3 at %1 ml").arg(g.point(3).volume)));

    // Ejection runs up to the peak and down again; the peak is the highest point.
    for (int n : {1, 2, 4, 5})
        QVERIFY(g.point(n).pressure < g.peakPressure());
    QVERIFY(g.esv() < g.point(3).volume && g.point(3).volume < g.edv());

    // The stroke volume and ejection fraction columns.
    QVERIFY(std::abs(g.strokeVolume() - tableSv) < 0.05);
    QCOMPARE(std::round(g.ejectionFraction() * 100) / 100, tableEf);
}

void TestLoopGeometry::afterloadMultiples_data()
{
    QTest::addColumn<LoopId>("loop");
    QTest::newRow("control") << LoopId::Control;
    QTest::newRow("afterload 90") << LoopId::Afterload90;
    QTest::newRow("afterload 100") << LoopId::Afterload100;
}

void TestLoopGeometry::afterloadMultiples()
{
    QFETCH(LoopId, loop);
    const LoopGeometry &g = loopGeometry(loop);
    QCOMPARE(g.peakPressure(), 1.5 * g.aorticOpening());
    QCOMPARE(g.esp(), 1.25 * g.aorticOpening());
    // Afterload leaves filling alone.
    QCOMPARE(g.point(1).volume, 120.0);
    QCOMPARE(g.point(1).pressure, 15.0);
}

void TestLoopGeometry::answerValues()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    QCOMPARE(control.strokeVolume(), 70.0);
    QCOMPARE(control.ejectionFraction(), 70.0 / 120.0);
    QCOMPARE(control.peakPressure(), 120.0);
    QCOMPARE(control.esp(), 100.0);

    const LoopGeometry &al100 = loopGeometry(LoopId::Afterload100);
    QCOMPARE(al100.aorticOpening(), 100.0);
    QCOMPARE(al100.peakPressure(), 150.0);
    QCOMPARE(al100.esp(), 125.0); // closes between 120 and 130
    QCOMPARE(al100.peakPressure() - control.peakPressure(), 30.0);
    QCOMPARE(al100.peakPressure() - al100.aorticOpening(), 50.0); // pulse pressure
    QVERIFY(al100.strokeVolume() < control.strokeVolume());

    QCOMPARE(loopGeometry(LoopId::Preload100).strokeVolume(), 50.0);

    const LoopGeometry &c125 = loopGeometry(LoopId::Contractility125);
    QCOMPARE(c125.strokeVolume(), 80.0);
    QCOMPARE(c125.ejectionFraction(), 80.0 / 120.0);

    // Every loop is in the list once, at its own index.
    const auto &ids = allLoops();
    for (std::size_t i = 0; i < ids.size(); ++i)
        QCOMPARE(static_cast<std::size_t>(ids[i]), i);
}

QTEST_APPLESS_MAIN(TestLoopGeometry)
#include "tst_loopgeometry.moc"
