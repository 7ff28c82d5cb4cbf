// The phases of the beat read from the flows and the volume: isovolumic only
// where the volume stands still, the flow that moves it named where it does
// not, and every valve event that happens found, each valve on its own.

#include "model/model.h"
#include "model/presets.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace valthera::model;

namespace {

Parameters with(const char *presetId, std::initializer_list<std::pair<Param, double>> changes)
{
    Parameters p = findPresetById(presetId)->parameters(ModelKind::Circulation);
    for (const auto &[id, value] : changes)
        p[id] = value;
    return p;
}

} // namespace

Q_DECLARE_METATYPE(valthera::model::Parameters)
Q_DECLARE_METATYPE(valthera::model::ShutFlow)

class PhasesTest : public QObject {
    Q_OBJECT
private slots:
    void isovolumicOnlyWhileTheVolumeStands_data()
    {
        QTest::addColumn<Parameters>("p");
        QTest::addColumn<ShutFlow>("named"); // what moves the volume with both valves shut; None: nothing
        QTest::newRow("control") << Parameters(ModelKind::Circulation) << ShutFlow::None;
        QTest::newRow("isolated heart") << Parameters(ModelKind::Heart) << ShutFlow::None;
        QTest::newRow("mitral regurgitation") << with("mitral-regurgitation", {}) << ShutFlow::MitralRegurgitation;
        QTest::newRow("aortic regurgitation") << with("aortic-regurgitation", {}) << ShutFlow::AorticRegurgitation;
        QTest::newRow("LVAD 4000") << with("hfref", {{Param::LVAD, 4000}}) << ShutFlow::PumpEmpties;
        QTest::newRow("axial pump") << with("hfref", {{Param::Axial, 50}}) << ShutFlow::PumpEmpties;
        QTest::newRow("ECMO with the axial pump")
            << with("hfref", {{Param::ECMO, 4}, {Param::Axial, 50}}) << ShutFlow::PumpEmpties;
        QTest::newRow("ECMO alone keeps the isovolumic phases") << with("hfref", {{Param::ECMO, 4}}) << ShutFlow::None;
    }
    void isovolumicOnlyWhileTheVolumeStands()
    {
        QFETCH(Parameters, p);
        QFETCH(ShutFlow, named);
        const SteadyState s = steadyState(p);
        const auto &x = s.beat.samples;
        const std::vector<SamplePhase> phases = beatPhases(s.beat);
        QCOMPARE(phases.size(), x.size());
        const std::size_t n = x.size();
        // The scale of the beat's flows, from its volumes: the fastest fill or empty.
        double fastest = 0;
        for (std::size_t k = 0; k < n; ++k)
            fastest = std::max(fastest, std::abs(x[(k + 1) % n].V - x[k].V));
        int shut = 0, isovolumic = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const SamplePhase &ph = phases[k];
            const QByteArray where = QByteArray::number(x[k].t) + " s: " + phaseText(ph).data();
            QCOMPARE(ph.phase == Phase::Filling, x[k].Qmv > 0 && !(x[k].Qav > 0));
            QCOMPARE(ph.phase == Phase::Ejection, x[k].Qav > 0);
            const double moved = std::abs(x[(k + 1) % n].V - x[k].V);
            if (ph.phase == Phase::IsovolumicContraction || ph.phase == Phase::IsovolumicRelaxation) {
                QVERIFY2(moved < 0.02 * fastest, where.constData());
                ++isovolumic;
            }
            if (ph.phase == Phase::ValvesShutVolumeChanging) {
                QVERIFY2(moved > 0.002 * fastest, where.constData());
                QCOMPARE(ph.flow, named);
                ++shut;
            }
        }
        if (named == ShutFlow::None) {
            // Both isovolumic phases, each once round the beat, contraction
            // straight after filling and relaxation straight after ejection.
            QCOMPARE(shut, 0);
            QVERIFY(isovolumic > 100);
            for (std::size_t k = 0; k < n; ++k) {
                const Phase now = phases[k].phase, before = phases[(k + n - 1) % n].phase;
                if (now != before && (now == Phase::IsovolumicContraction || now == Phase::IsovolumicRelaxation))
                    QCOMPARE(before, now == Phase::IsovolumicContraction ? Phase::Filling : Phase::Ejection);
            }
        } else {
            QVERIFY2(shut > 100, QByteArray::number(shut).constData());
        }
    }

    // Each valve's turns on their own: the LVAD keeps the aortic valve shut,
    // and the mitral valve still opens and closes.
    void everyValveEventThatHappens()
    {
        const SteadyState s = steadyState(with("hfref", {{Param::LVAD, 4000}}));
        const ValveEvents ev = valveEvents(s.beat);
        const auto &x = s.beat.samples;
        const int n = static_cast<int>(x.size());
        QCOMPARE(ev.aorticOpen, -1);
        QCOMPARE(ev.aorticClose, -1);
        QVERIFY(ev.mitralOpen >= 0 && ev.mitralClose >= 0);
        auto open = [&](int k) { return x[static_cast<std::size_t>((k + n) % n)].Qmv > 0; };
        QVERIFY(open(ev.mitralOpen) && !open(ev.mitralOpen - 1));
        QVERIFY(!open(ev.mitralClose) && open(ev.mitralClose - 1));
        // Where both valves work the control beat has all four, round the cycle in order.
        const SteadyState c = steadyState(Parameters(ModelKind::Circulation));
        const ValveEvents cv = valveEvents(c.beat);
        const int m = static_cast<int>(c.beat.samples.size());
        auto after = [&](int from, int to) { return ((to - from) % m + m) % m; };
        QVERIFY(cv.mitralClose >= 0 && cv.aorticOpen >= 0 && cv.aorticClose >= 0 && cv.mitralOpen >= 0);
        QVERIFY(after(cv.mitralClose, cv.aorticOpen) < after(cv.mitralClose, cv.aorticClose) &&
            after(cv.mitralClose, cv.aorticClose) < after(cv.mitralClose, cv.mitralOpen));
    }
};

QTEST_GUILESS_MAIN(PhasesTest)
#include "tst_phases.moc"
