// The lessons' loop charts reproduced by the model: the targets are the loop
// table's own numbers, and the model's steady beat lands on them.
#include "diagrams/loopgeometry.h"
#include "lab/explore.h"

#include <QtTest>

using namespace valthera;

Q_DECLARE_METATYPE(valthera::LoopId)

class TestChartMatch : public QObject {
    Q_OBJECT

private slots:
    void reproduces_data();
    void reproduces();
};

void TestChartMatch::reproduces_data()
{
    QTest::addColumn<LoopId>("loop");
    for (LoopId loop : allLoops())
        QTest::newRow(lab::chartMatchFor(loop).key.data()) << loop;
}

void TestChartMatch::reproduces()
{
    QFETCH(LoopId, loop);
    const lab::ChartMatch &match = lab::chartMatchFor(loop);
    const LoopGeometry &chart = loopGeometry(loop);

    // The targets are the chart's, so neither table can drift from the other.
    QCOMPARE(match.edv, chart.edv());
    QCOMPARE(match.dbp, chart.aorticOpening());
    QCOMPARE(match.esv, chart.esv());
    QVERIFY(std::abs(match.ees - chart.esp() / chart.esv()) < 0.01);
    QCOMPARE(lab::findChartMatch(match.key), &match);

    const model::Parameters p = match.parameters();
    QVERIFY(!p.firstOutOfRange());
    const model::SteadyState s = model::steadyState(p);
    QVERIFY(s.converged);
    const model::Measures m = model::measure(s);
    const auto near = [](double model, double target, double within) { return std::abs(model - target) <= within; };
    QVERIFY2(near(m[model::Measure::EDV], chart.edv(), 1), qPrintable(QString::number(m[model::Measure::EDV])));
    QVERIFY2(near(m[model::Measure::DBP], chart.aorticOpening(), 1), qPrintable(QString::number(m[model::Measure::DBP])));
    // ESV is not solved for: it follows from where ejection meets the PIP line.
    QVERIFY2(near(m[model::Measure::ESV], chart.esv(), 4), qPrintable(QString::number(m[model::Measure::ESV])));
}

QTEST_GUILESS_MAIN(TestChartMatch)
#include "tst_chartmatch.moc"
