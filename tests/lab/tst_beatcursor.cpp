// The beat cursor without a window, on the steady Control beat of both
// models: where the lessons' points fall in the cycle, the event stops
// against the model's own valve states, the moves, and what is read out.

#include "lab/beatcursor.h"
#include "model/model.h"
#include "model/presets.h"

#include <QtTest>

using namespace valthera::lab;

Q_DECLARE_METATYPE(valthera::model::Parameters)

namespace {

const SteadyState &control(ModelKind model)
{
    static const SteadyState circulation = steadyState(Parameters(ModelKind::Circulation));
    static const SteadyState heart = steadyState(Parameters(ModelKind::Heart));
    return model == ModelKind::Circulation ? circulation : heart;
}

// Whether the valve of an event is open (forward flow) in a sample.
bool opened(const Sample &s, BeatEvent e)
{
    return e == BeatEvent::MitralCloses || e == BeatEvent::MitralOpens ? s.Qmv > 0 : s.Qav > 0;
}

} // namespace

class BeatCursorTest : public QObject {
    Q_OBJECT
private slots:
    void theLessonsPointsFallInTheirPhasesAndSegments_data()
    {
        QTest::addColumn<ModelKind>("model");
        QTest::newRow("circulation") << ModelKind::Circulation;
        QTest::newRow("heart") << ModelKind::Heart;
    }
    void theLessonsPointsFallInTheirPhasesAndSegments()
    {
        QFETCH(ModelKind, model);
        const Beat &beat = control(model).beat;
        BeatCursor cursor;
        cursor.setBeat(beat);
        const ValveEvents &ev = cursor.events();
        struct Expected {
            int sample;
            CyclePhase phase;
            char segment;
        };
        // Each numbered point opens the segment that follows it.
        for (const Expected &e : {Expected{ev.mitralClose, CyclePhase::IsovolumicContraction, 'F'},
                 Expected{ev.aorticOpen, CyclePhase::Ejection, 'G'},
                 Expected{ev.peakPressure, CyclePhase::Ejection, 'G'},
                 Expected{ev.aorticClose, CyclePhase::IsovolumicRelaxation, 'H'},
                 Expected{ev.mitralOpen, CyclePhase::EarlyFilling, 'E'}}) {
            QVERIFY(e.sample >= 0);
            cursor.jumpTo(timeOf(beat, e.sample));
            QCOMPARE(cursor.phase(), e.phase);
            QCOMPARE(segmentLetter(cursor.phase()), QLatin1Char(e.segment));
        }
        // Just before point 1 the ventricle is still filling: from the atrium
        // in the whole circulation, after a diastasis at 75 beats/min.
        const int beforeClosure =
            (ev.mitralClose - 1 + static_cast<int>(beat.samples.size())) % static_cast<int>(beat.samples.size());
        if (model == ModelKind::Circulation) {
            QCOMPARE(cursor.phaseAt(beforeClosure), CyclePhase::AtrialContraction);
            QCOMPARE(cursor.phaseAt(ev.atrialOnset - 1), CyclePhase::Diastasis);
        } else {
            QCOMPARE(segmentLetter(cursor.phaseAt(beforeClosure)), QLatin1Char('E'));
        }
        // Halfway between points 2 and 3 the nearest point is one of them; at 3, 3.
        cursor.jumpTo(timeOf(beat, ev.peakPressure));
        QCOMPARE(cursor.nearestPoint(), 3);
        cursor.jumpTo(timeOf(beat, ev.aorticOpen + 2));
        QCOMPARE(cursor.nearestPoint(), 2);
        QVERIFY(cursor.readout().contains("Ejection, segment G"));
        QVERIFY(cursor.readout().contains("Nearest point 2: aortic valve opens"));
    }

    void eventStopsAreTheInstantsTheModelsValvesMove_data() { theLessonsPointsFallInTheirPhasesAndSegments_data(); }
    void eventStopsAreTheInstantsTheModelsValvesMove()
    {
        QFETCH(ModelKind, model);
        const Beat &beat = control(model).beat;
        BeatCursor cursor;
        cursor.setBeat(beat);
        cursor.toStart();
        QList<BeatEvent> met;
        while (!cursor.nextEvent().isEmpty()) {
            const EventStop *stop = cursor.stopHere();
            QVERIFY(stop);
            const Sample &now = beat.samples[static_cast<std::size_t>(stop->sample)];
            const Sample &before = beat.samples[static_cast<std::size_t>(stop->sample - 1)];
            const Sample &after = beat.samples[static_cast<std::size_t>(stop->sample + 1)];
            if (stop->event == BeatEvent::AtrialContraction) {
                // The activation rises from zero at its onset.
                QVERIFY(before.ea == 0 && after.ea > 0);
            } else {
                const bool opens = stop->event == BeatEvent::AorticOpens || stop->event == BeatEvent::MitralOpens;
                QVERIFY2(opened(now, stop->event) == opens && opened(before, stop->event) != opens,
                    qPrintable(eventName(stop->event)));
            }
            met << stop->event;
        }
        // Every event once, in the order of the beat; the atrium only where there is one.
        QCOMPARE(met.size(), model == ModelKind::Circulation ? 5 : 4);
        QCOMPARE(QSet<BeatEvent>(met.begin(), met.end()).size(), met.size());
        QVERIFY(met.indexOf(BeatEvent::AorticOpens) < met.indexOf(BeatEvent::AorticCloses));
        // Past the last stop PageDown stays put; PageUp walks back through them all.
        const int end = cursor.sample();
        QVERIFY(cursor.nextEvent().isEmpty());
        QCOMPARE(cursor.sample(), end);
        int back = 0;
        while (!cursor.previousEvent().isEmpty())
            ++back;
        QCOMPARE(back, met.size() - 1);
        QCOMPARE(cursor.sample(), cursor.stops().front().sample);
    }

    // Steps keep to the beat's ends; a valve event is read out with its
    // pressure and volume once, a phase once as it begins, never a plain step.
    void stepsAreClampedAndReadOutOnlyAtEventsAndPhases()
    {
        const Beat &beat = control(ModelKind::Circulation).beat;
        BeatCursor cursor;
        cursor.setBeat(beat);
        cursor.stepBy(-BeatCursor::kStep);
        QCOMPARE(cursor.time(), 0.0);
        cursor.stepBy(BeatCursor::kLongStep);
        cursor.stepBy(BeatCursor::kStep);
        QCOMPARE(cursor.sample(), static_cast<int>(std::lround(0.055 / beat.step)));
        cursor.toEnd();
        QCOMPARE(cursor.sample(), static_cast<int>(beat.samples.size()) - 1);
        cursor.stepBy(BeatCursor::kLongStep);
        QCOMPARE(cursor.sample(), static_cast<int>(beat.samples.size()) - 1);

        cursor.toStart();
        QStringList said;
        int steps = 0, phaseChanges = 0;
        CyclePhase phase = cursor.phase();
        while (cursor.time() < cursor.endTime()) {
            const QString text = cursor.stepBy(BeatCursor::kStep);
            ++steps;
            phaseChanges += cursor.phase() != phase;
            phase = cursor.phase();
            if (!text.isEmpty())
                said << text;
        }
        QVERIFY(said.size() <= static_cast<int>(cursor.stops().size()) + phaseChanges);
        QVERIFY(steps > 10 * said.size());
        for (const EventStop &stop : cursor.stops())
            QCOMPARE(said.filter(eventName(stop.event), Qt::CaseInsensitive).size(), 1);
        const ValveEvents &ev = cursor.events();
        const Sample &opening = beat.samples[static_cast<std::size_t>(ev.aorticOpen)];
        const QString expected = QStringLiteral("Aortic valve opens, %1 mmHg, %2 ml; ejection")
                                     .arg(QString::number(opening.Plv, 'f', 0), QString::number(opening.V, 'f', 0));
        QVERIFY2(said.contains(expected), qPrintable(said.join(" | ")));
        QVERIFY(said.filter("Mitral valve closes").first().contains("first heart sound"));

        // A jump tells of where it lands only.
        cursor.toStart();
        QVERIFY(!cursor.jumpTo(timeOf(beat, ev.aorticClose)).contains("aortic valve opens"));
        QVERIFY(cursor.readout().contains("second heart sound"));
        cursor.stepBy(BeatCursor::kStep);
        QVERIFY(!cursor.readout().contains("heart sound"));
    }

    // Where a pump or a leak moves the volume with both valves shut, the
    // cursor never calls it isovolumic: it says which way the volume goes and
    // why. The LVAD's beat keeps its mitral opening as a stop, and says once
    // that the aortic valve stays shut.
    void aPumpOrALeakIsNamedNotIsovolumic_data()
    {
        QTest::addColumn<Parameters>("p");
        QTest::addColumn<QString>("why");
        Parameters lvad = findPresetById("hfref")->parameters(ModelKind::Circulation);
        lvad[Param::LVAD] = 4000;
        QTest::newRow("LVAD 4000") << lvad << "volume falling: the pump empties the ventricle";
        QTest::newRow("mitral regurgitation") << findPresetById("mitral-regurgitation")->parameters(ModelKind::Circulation)
                                              << "volume falling: mitral regurgitation";
    }
    void aPumpOrALeakIsNamedNotIsovolumic()
    {
        QFETCH(Parameters, p);
        QFETCH(QString, why);
        const SteadyState s = steadyState(p);
        BeatCursor cursor;
        cursor.setBeat(s.beat);
        const int n = static_cast<int>(s.beat.samples.size());
        // Right after mitral closure the volume falls.
        const int k = (cursor.events().mitralClose + 20) % n;
        QVERIFY(s.beat.samples[static_cast<std::size_t>(k)].V < s.beat.samples[static_cast<std::size_t>(cursor.events().mitralClose)].V - 0.1);
        QCOMPARE(cursor.phaseAt(k), CyclePhase::ValvesShutVolumeChanging);
        QVERIFY(cursor.phaseTextAt(k).endsWith(why));
        cursor.toStart();
        QStringList said;
        while (cursor.time() < cursor.endTime()) {
            said << cursor.stepBy(BeatCursor::kStep);
            QVERIFY2(!cursor.readout().contains("Isovolumic") && !cursor.readout().contains("segment F") &&
                    !cursor.readout().contains("segment H"),
                qPrintable(cursor.readout()));
        }
        QVERIFY(said.join(" ").contains(why));
        QVERIFY(std::any_of(cursor.stops().begin(), cursor.stops().end(),
            [](const EventStop &e) { return e.event == BeatEvent::MitralOpens; }));
        if (p[Param::LVAD] > 0) {
            QVERIFY(std::none_of(cursor.stops().begin(), cursor.stops().end(),
                [](const EventStop &e) { return e.event == BeatEvent::AorticOpens; }));
            QCOMPARE(cursor.readout().count("aortic valve stays shut this beat"), 1);
        }
    }

    // Play runs on across the beat's end into whatever beat is shown next,
    // telling of the events on both sides of the seam.
    void playRunsOnIntoTheNextBeat()
    {
        const Beat &first = control(ModelKind::Circulation).beat;
        const Beat &next = control(ModelKind::Heart).beat;
        BeatCursor cursor;
        cursor.setBeat(first);
        cursor.jumpTo(timeOf(first, cursor.events().mitralOpen) - 0.001);
        int ends = 0;
        const QString said = cursor.advance(first.period, [&] {
            ++ends;
            cursor.setBeat(next);
        });
        QCOMPARE(ends, 1);
        QCOMPARE(&cursor.beat(), &next);
        QVERIFY(said.startsWith("Mitral valve opens"));
        QVERIFY(said.contains("atrial contraction begins"));
        QVERIFY(said.contains("mitral valve closes"));
        QCOMPARE(said.count("aortic valve opens"), 1);
    }
};

QTEST_MAIN(BeatCursorTest)
#include "tst_beatcursor.moc"
