// The Loop Lab's state without a window: readouts as the student reads them,
// the baseline and its deltas, reset, coalesced solving and the occlusion fit;
// a first beat solved ahead is the one a session solves itself.

#include "lab/labsession.h"

#include <QtTest>

using namespace valthera::lab;

class LabSessionTest : public QObject {
    Q_OBJECT
private slots:
    void readoutsReadAsTheStudentSeesThem()
    {
        QCOMPARE(LabSession::formatValue(Measure::EDV, 120.2), QString("120 ml"));
        QCOMPARE(LabSession::formatValue(Measure::EF, 0.5833), QString("58 %"));
        QCOMPARE(LabSession::formatValue(Measure::CO, 5.2381), QString("5.24 l/min"));
        QCOMPARE(LabSession::formatValue(Measure::Ea, 1.4049), QString("1.40 mmHg/ml"));
        QCOMPARE(LabSession::formatValue(Measure::SV, -0.2), QString("0 ml"));

        // The delta is the difference of the two numbers shown, so it always agrees with them.
        QCOMPARE(LabSession::formatDelta(Measure::EDV, 127.2, 119.6), QString("▲ 7"));
        QCOMPARE(LabSession::formatDelta(Measure::ESV, 47.1, 49.8), QString("▼ 3"));
        QCOMPARE(LabSession::formatDelta(Measure::EDV, 120.2, 119.9), QString());
        QCOMPARE(LabSession::formatDelta(Measure::CO, 5.30, 5.24), QString("▲ 0.06"));
        QCOMPARE(LabSession::describeDelta(Measure::EDV, 127.2, 119.6), QString("up 7 ml"));
        QCOMPARE(LabSession::describeDelta(Measure::EF, 0.55, 0.58), QString("down 3 percentage points"));
        QCOMPARE(LabSession::describeDelta(Measure::SBP, 120.1, 119.9), QString("same as baseline"));

        // Alarms are words, not per cent; a change of alarm is told as one.
        QCOMPARE(LabSession::formatValue(Measure::Suction, 1), QString("YES"));
        QCOMPARE(LabSession::formatValue(Measure::DrainageLimited, 0), QString("no"));
        QCOMPARE(LabSession::formatDelta(Measure::Suction, 1, 0), QString("raised"));
        QCOMPARE(LabSession::formatDelta(Measure::Suction, 0, 0), QString());
        QCOMPARE(LabSession::describeDelta(Measure::Suction, 0, 1), QString("cleared, raised in the baseline"));
    }

    // A device is set off or in its running range, never in the gap between;
    // the first one switched on is compared with the loop without it.
    void devicesAreSetAndComparedWithoutThem()
    {
        LabSession session;
        session.setParameter(Param::HR, 90);
        session.update();
        QVERIFY(session.setParameter(Param::Axial, 5));
        QCOMPARE(session.parameters()[Param::Axial], 20.0);
        QCOMPARE(session.baseline().parameters[Param::HR], 90.0);
        QCOMPARE(session.baseline().parameters[Param::Axial], 0.0);
        QVERIFY(session.setParameter(Param::Axial, 15));
        QCOMPARE(session.parameters()[Param::Axial], 0.0);
        QVERIFY(session.setParameter(Param::IABP, 2.4));
        QCOMPARE(session.parameters()[Param::IABP], 2.0);
        // A second device on top keeps the baseline without either.
        session.update();
        QVERIFY(session.setParameter(Param::ECMO, 4));
        QCOMPARE(session.baseline().parameters[Param::IABP], 0.0);
    }

    void parametersAreKeptInRangeAndSolvedOnceForManyChanges()
    {
        LabSession session;
        const int solves = session.solves();
        QVERIFY(!session.stale());
        QVERIFY(!session.setParameter(Param::Pla, 15.04)); // rounds to the shown 15.0
        QVERIFY(session.setParameter(Param::Pla, 99));
        QCOMPARE(session.parameters()[Param::Pla], info(Param::Pla).max);
        QVERIFY(session.setParameter(Param::Pla, 18));
        QVERIFY(session.setParameter(Param::HR, 90));
        QVERIFY(session.stale());
        QCOMPARE(session.solves(), solves);
        session.update();
        session.update();
        QCOMPARE(session.solves(), solves + 1);
        QCOMPARE(session.current().parameters[Param::Pla], 18.0);
        QCOMPARE(session.current().parameters[Param::HR], 90.0);
        QVERIFY(session.current().converged);
    }

    void baselineDeltasAndReset()
    {
        LabSession session;
        QCOMPARE(session.matchingPreset()->name, std::string_view("Control"));
        const double controlEdv = session.measures()[Measure::EDV];
        for (const MeasureInfo &i : measureTable())
            QCOMPARE(session.delta(i.id), QString());

        session.applyPreset(*findPreset("Increased preload"));
        session.update();
        QCOMPARE(session.matchingPreset()->name, std::string_view("Increased preload"));
        QVERIFY(session.measures()[Measure::EDV] > controlEdv + 5);
        QVERIFY(session.delta(Measure::EDV).startsWith("▲ "));
        QVERIFY(session.deltaDescription(Measure::EDV).startsWith("up "));
        QCOMPARE(session.baselineMeasures()[Measure::EDV], controlEdv);

        // The current loop becomes the one compared with.
        session.keepBaseline();
        QCOMPARE(session.delta(Measure::EDV), QString());
        session.setParameter(Param::R, 1.5);
        session.update();
        QVERIFY(session.delta(Measure::SBP).startsWith("▲ "));

        session.reset();
        QVERIFY(session.parameters() == Parameters());
        QVERIFY(!session.stale());
        QVERIFY(session.baseline().parameters == Parameters());
        QVERIFY(qAbs(session.measures()[Measure::EDV] - controlEdv) < 0.01);
        QCOMPARE(session.delta(Measure::SBP), QString());
    }

    // A condition is seen against Control of its model, whatever was kept
    // before; the first device switched on keeps the loop without it, and
    // later devices and changes keep whatever baseline there is. Each
    // baseline goes by a name.
    void theBaselineIsNamedAndAConditionIsComparedWithControl()
    {
        LabSession session;
        const double controlEdv = session.measures()[Measure::EDV];
        QCOMPARE(session.baselineName(), QString("Control"));
        session.applyPreset(*findPreset("Heart failure with reduced EF"));
        session.update();
        QCOMPARE(session.baselineName(), QString("Control"));
        const Parameters hfref = session.parameters();

        QVERIFY(session.setParameter(Param::LVAD, 3000));
        QCOMPARE(session.baselineName(), QString("HFrEF, no support"));
        QVERIFY(session.baseline().parameters == hfref);
        session.setParameter(Param::ECMO, 2);
        session.setParameter(Param::LVAD, 0);
        session.update();
        QCOMPARE(session.baselineName(), QString("HFrEF, no support"));

        session.applyPreset(*findPreset("Aortic stenosis"));
        session.update();
        QCOMPARE(session.baselineName(), QString("Control"));
        QVERIFY(session.baseline().parameters == Parameters());
        QCOMPARE(session.baselineMeasures()[Measure::EDV], controlEdv);

        session.keepBaseline();
        QCOMPARE(session.baselineName(), QString("Aortic stenosis"));
        session.setParameter(Param::HR, 90);
        session.keepBaseline();
        QCOMPARE(session.baselineName(), QString("Kept loop"));
    }

    // The beats played after a change lead from the steady state before it
    // to the one after: the first starts where the old loop did.
    void theBeatsAfterAChangeStartFromTheOldSteadyState()
    {
        LabSession session;
        const double oldStart = session.current().beat.samples.front().V;
        session.setParameter(Param::Volume, 500);
        const Transient *transient = session.transient();
        QVERIFY(transient && transient->beats.size() > 2);
        const double newStart = session.current().beat.samples.front().V;
        QVERIFY(qAbs(newStart - oldStart) > 10);
        QVERIFY(qAbs(transient->beats.front().samples.front().V - oldStart) < 1);
        QVERIFY(qAbs(transient->beats.back().samples.front().V - newStart) < qAbs(newStart - oldStart) / 2);

        // Started afresh, a lesson's or an exercise's loop plays from Control.
        session.startFrom(findPreset("Increased afterload")->parameters(ModelKind::Heart));
        QCOMPARE(session.baselineName(), QString("Control"));
        QVERIFY(session.baseline().parameters == Parameters(ModelKind::Heart));
        QVERIFY(session.startTransient());
        QVERIFY(qAbs(session.shownBeat().samples.front().V - session.baseline().beat.samples.front().V) < 1);
    }

    void aFirstBeatSolvedAheadIsTheOneSolvedInPlace()
    {
        LabSession inPlace;
        LabSession::solveFirstBeatAhead();
        LabSession taken;
        // The next solve starts from what the first left too (its Jacobian).
        for (LabSession *session : {&inPlace, &taken}) {
            session->setParameter(Param::R, 1.4);
            session->update();
        }
        QCOMPARE(taken.report(), inPlace.report());
        const auto &a = inPlace.shownBeat().samples;
        const auto &b = taken.shownBeat().samples;
        QCOMPARE(b.size(), a.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            QVERIFY(a[k].V == b[k].V && a[k].Plv == b[k].Plv);
    }

    void occlusionFitsTheContractilityAndLastsUntilAChange()
    {
        LabSession session;
        QVERIFY(session.eesFit().isEmpty());
        session.runOcclusion();
        QVERIFY(session.occlusion());
        QCOMPARE(session.occlusion()->endSystole.size(), std::size_t(kOcclusionBeats));
        const double ees = session.parameters()[Param::Ees];
        QVERIFY2(qAbs(session.occlusion()->eesFit - ees) <= 0.02 * ees,
            qPrintable(QString::number(session.occlusion()->eesFit)));
        QVERIFY(session.eesFit().endsWith(" mmHg/ml"));
        QVERIFY(session.v0Fit().endsWith(" ml"));
        QVERIFY(session.report().contains(session.eesFit()));

        session.keepBaseline(); // not a change of the heart
        QVERIFY(session.occlusion());
        session.setParameter(Param::HR, 80);
        QVERIFY(!session.occlusion());
        QVERIFY(session.eesFit().isEmpty());
    }
};

QTEST_GUILESS_MAIN(LabSessionTest)
#include "tst_labsession.moc"
