// The lab's two models: the integration against an independent adaptive one,
// blood conserved, the targets the whole circulation answers to from human
// data, the lessons' control loop held by the isolated heart, how the
// circulation answers each change, transients, and the corners of the ranges.

#include "model/model.h"
#include "model/physics.h"
#include "model/presets.h"

#include <QElapsedTimer>
#include <QtTest>
#include <algorithm>
#include <boost/numeric/odeint.hpp>
#include <cmath>

using namespace valthera::model;

namespace {

Parameters with(ModelKind model, std::initializer_list<std::pair<Param, double>> changes)
{
    Parameters p(model);
    for (const auto &[id, value] : changes)
        p[id] = value;
    return p;
}

Measures steadyMeasures(const Parameters &p)
{
    const SteadyState s = steadyState(p);
    [&] { QVERIFY(s.converged); }();
    return measure(s);
}

QByteArray text(const char *what, double value)
{
    return QByteArray(what) + " = " + QByteArray::number(value);
}

#define VERIFY_IN(value, lo, hi, what) QVERIFY2((value) >= (lo) && (value) <= (hi), text(what, value).constData())

// A solve's time budget holds for the optimised build; an unoptimised,
// instrumented one (the sanitizer run) is given ten times as long.
#ifdef NDEBUG
constexpr qint64 kBudgetMs = 100;
#else
constexpr qint64 kBudgetMs = 1000;
#endif

constexpr auto C = ModelKind::Circulation;
constexpr auto H = ModelKind::Heart;

} // namespace

Q_DECLARE_METATYPE(valthera::model::Parameters)

class ModelTest : public QObject {
    Q_OBJECT
private slots:
    void parameterTable()
    {
        for (const ParamInfo &p : valthera::model::parameterTable()) {
            QCOMPARE(findParameter(p.name), &p);
            for (double d : {p.defaultValue, p.heartDefault}) {
                QVERIFY2(p.min <= d && d <= p.max, p.name.data());
                // A spin box at this many decimals must show the default and the steps exactly.
                const double scale = std::pow(10.0, p.decimals);
                QVERIFY2(std::abs(d * scale - std::round(d * scale)) < 1e-6, p.name.data());
            }
        }
        // Each model has four primary controls.
        for (ModelKind m : {C, H}) {
            int primary = 0;
            for (const ParamInfo &p : valthera::model::parameterTable())
                primary += p.primary && appliesTo(p, m) ? 1 : 0;
            QCOMPARE(primary, 4);
        }
    }

    void matchesAdaptiveIntegration_data()
    {
        QTest::addColumn<Parameters>("p");
        QTest::newRow("circulation") << Parameters(C);
        QTest::newRow("circulation, fast, leaking")
            << with(C, {{Param::HR, 160}, {Param::MROA, 0.4}, {Param::AROA, 0.3}});
        QTest::newRow("circulation, stenoses, slow")
            << with(C, {{Param::HR, 40}, {Param::AVA, 0.6}, {Param::MVA, 1.0}});
        QTest::newRow("heart") << Parameters(H);
        QTest::newRow("heart, stiff and strong, fast")
            << with(H, {{Param::HR, 180}, {Param::Ees, 5}, {Param::B, 0.06}, {Param::Pla, 35}, {Param::C, 0.3}});
    }

    // The fixed-step integration with tabled activations agrees with an
    // error-controlled one started from the same state.
    void matchesAdaptiveIntegration()
    {
        QFETCH(Parameters, p);
        const SteadyState s = steadyState(p);
        QVERIFY(s.converged);
        const int n = static_cast<int>(s.beat.samples.size());
        namespace ode = boost::numeric::odeint;
        const Physics ph(p);
        const double T = s.beat.period;
        auto rhs = [&](const State &x, State &d, double t) {
            rates(ph, evaluate(ph, activation(t, T), p.model == C ? atrialActivation(t, T) : 0, x, 1), d);
        };
        std::vector<double> times;
        for (int k = 0; k <= n; ++k)
            times.push_back(k * s.beat.step);
        std::vector<State> ref;
        State x = s.start;
        ode::integrate_times(ode::make_dense_output(1e-9, 1e-9, 0.002, ode::runge_kutta_dopri5<State>()), rhs, x,
            times.begin(), times.end(), 1e-5, [&](const State &y, double) { ref.push_back(y); });
        QCOMPARE(static_cast<int>(ref.size()), n + 1);
        double worst = 0, scale = 0;
        for (int k = 0; k < n; ++k) {
            scale = std::max(scale, s.beat.samples[k].V);
            worst = std::max(worst, std::abs(s.beat.samples[k].V - at(ref[k], Compartment::LV)));
        }
        QVERIFY2(worst <= 0.002 * scale, text("LV volume off by", worst).constData());
        // The simulator's own fixed step is the classical RK4 step at the
        // stages' times: odeint's, from each sample, lands on the next one
        // to rounding.
        ode::runge_kutta4<State> rk4;
        double stepWorst = 0;
        for (int k = 0; k + 1 < n; ++k) {
            State y = s.beat.samples[k].volumes;
            rk4.do_step(rhs, y, k * s.beat.step, s.beat.step);
            for (std::size_t i = 0; i < kCompartmentCount; ++i)
                stepWorst = std::max(stepWorst, std::abs(y[i] - s.beat.samples[k + 1].volumes[i]));
        }
        QVERIFY2(stepWorst <= 1e-9, text("a step differs from RK4 by", stepWorst).constData());
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            QVERIFY2(std::abs(ref[n][i] - s.start[i]) <= 0.002 * std::max(1.0, s.start[i]),
                text("reference beat does not close", ref[n][i] - s.start[i]).constData());
    }

    // The diastolic curves' exponential agrees with the library's to an ulp
    // or two over the whole range it computes itself, and leaves the rest
    // (overflow, underflow, infinities, NaN) to the library.
    void quickExpMatchesLibrary()
    {
        double worst = 0;
        for (double x = -699.99; x < 700; x += 0.00731)
            worst = std::max(worst, std::abs(quickExp(x) - std::exp(x)) / std::exp(x));
        QVERIFY2(worst <= 4.5e-16, text("relative error", worst).constData());
        for (const double x :
            {700.0, 750.0, -750.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
            QCOMPARE(quickExp(x), std::exp(x));
        QVERIFY(std::isnan(quickExp(std::numeric_limits<double>::quiet_NaN())));
    }

    // No blood made or lost: in every preset, at every sample, and the
    // periodic beat returns every compartment to where it began.
    void bloodConserved()
    {
        for (const Preset &preset : presets()) {
            const Parameters p = preset.parameters(C);
            const SteadyState s = steadyState(p);
            QVERIFY2(s.converged, preset.id.data());
            const double total = circulatingVolume(p);
            for (const Sample &x : s.beat.samples)
                QVERIFY2(std::abs(totalVolume(x.volumes, C) - total) < 0.01, preset.id.data());
            Simulator sim;
            const State end = sim.beat(p, s.start);
            for (std::size_t i = 0; i < kCompartmentCount; ++i)
                QVERIFY2(std::abs(end[i] - s.start[i]) < 10 * kSteadyTolerance, preset.id.data());
        }
    }

    void circulationTargets()
    {
        const Measures m = steadyMeasures(Parameters(C));
        VERIFY_IN(m[Measure::EDV], 117, 123, "EDV");
        VERIFY_IN(m[Measure::ESV], 45, 55, "ESV");
        VERIFY_IN(m[Measure::SBP], 117, 123, "SBP");
        VERIFY_IN(m[Measure::DBP], 77, 83, "DBP");
        VERIFY_IN(m[Measure::EDP], 12, 16, "EDP");
        VERIFY_IN(m[Measure::RAP], 2, 8, "RAP");
        VERIFY_IN(m[Measure::PAP], 12, 25, "PAP");
        VERIFY_IN(m[Measure::CO], 4.5, 5.5, "CO");
        VERIFY_IN(m[Measure::PFR], 1.6, 3, "PFR");
        VERIFY_IN(m[Measure::AtrialShare], 0.2, 0.4, "AtrialShare");
    }

    // The isolated heart keeps the lessons' control loop: points 1 to 4.
    void heartKeepsControlLoop()
    {
        const SteadyState s = steadyState(Parameters(H));
        const Measures m = measure(s);
        VERIFY_IN(m[Measure::EDV], 118, 122, "EDV");
        VERIFY_IN(m[Measure::EDP], 13, 17, "EDP");
        VERIFY_IN(m[Measure::DBP], 78, 82, "DBP");
        VERIFY_IN(m[Measure::LVSP], 118, 122, "LVSP");
        VERIFY_IN(m[Measure::ESV], 48, 52, "ESV");
        VERIFY_IN(m[Measure::ESP], 98, 102, "ESP");
        QVERIFY(std::isnan(m[Measure::RAP]) && std::isnan(m[Measure::AtrialShare]));
    }

    // Activation is back to zero before every next beat, so EDP is read on
    // the diastolic curve at every rate in range.
    void activationRelaxesEveryBeat()
    {
        for (double hr : {30.0, 75.0, 180.0, 200.0}) {
            const double T = beatPeriod(hr);
            QCOMPARE(activation(T - 1e-9, T), 0.0);
            const SteadyState s = steadyState(with(C, {{Param::HR, hr}}));
            QVERIFY(s.converged);
            const Sample &first = s.beat.samples.front();
            QVERIFY2(std::abs(first.Plv - edpvr(s.parameters, first.V)) < 1e-6, text("HR", hr).constData());
        }
    }

    void pacing()
    {
        const Measures m75 = steadyMeasures(Parameters(C));
        const Measures m120 = steadyMeasures(with(C, {{Param::HR, 120}}));
        const Measures m150 = steadyMeasures(with(C, {{Param::HR, 150}}));
        const double change = m120[Measure::CO] / m75[Measure::CO] - 1;
        VERIFY_IN(change, -0.10, 0.12, "CO change 75 to 120");
        QVERIFY(m150[Measure::CO] <= m120[Measure::CO]);
        QVERIFY(m75[Measure::EDV] - m120[Measure::EDV] >= 8);
        QVERIFY(m150[Measure::EDV] < m120[Measure::EDV]);
    }

    // The afterload lesson's two steps: the first beat keeps its EDV, then
    // ESV rises, then EDV, settling within about 30 beats; the isolated heart
    // keeps its EDV throughout.
    void afterloadStepTwoStages()
    {
        Simulator sim;
        const SteadyState before = sim.steady(Parameters(C));
        const Measures old = measure(before);
        const Parameters raised = with(C, {{Param::R, 1.6}});
        const Transient t = sim.transient(before, raised, 40);
        QVERIFY(std::abs(t.measures[0][Measure::EDV] - old[Measure::EDV]) <= 1);
        QVERIFY(t.measures[0][Measure::ESV] > old[Measure::ESV]);
        QVERIFY(t.measures[4][Measure::ESV] > t.measures[0][Measure::ESV] + 3);
        QVERIFY(t.measures[4][Measure::EDV] > t.measures[0][Measure::EDV] + 1);
        const Measures settled = measure(sim.steady(raised));
        QVERIFY(settled[Measure::EDV] > old[Measure::EDV] && settled[Measure::SBP] > old[Measure::SBP]);
        QVERIFY2(std::abs(t.measures[29][Measure::EDV] - settled[Measure::EDV]) < 1,
            text("EDV at beat 30 short by", settled[Measure::EDV] - t.measures[29][Measure::EDV]).constData());
        // Blood entering with a transient change of Volume enters the veins.
        const Transient bleed = sim.transient(before, with(C, {{Param::Volume, -500}}), 1);
        QVERIFY(std::abs(totalVolume(bleed.end, C) - (circulatingVolume(Parameters(C)) - 500)) < 0.01);

        const Measures heart = steadyMeasures(Parameters(H));
        const Measures heartRaised = steadyMeasures(with(H, {{Param::R, 1.6}}));
        QVERIFY(std::abs(heartRaised[Measure::EDV] - heart[Measure::EDV]) < 1);
    }

    void circulationAnswers()
    {
        const Measures c = steadyMeasures(Parameters(C));
        auto up = [&](const Measures &m, Measure id) { return m[id] > c[id]; };
        const Measures bleed = steadyMeasures(with(C, {{Param::Volume, -500}}));
        for (Measure id : {Measure::SBP, Measure::EDV, Measure::CO, Measure::LAP, Measure::RAP})
            QVERIFY2(!up(bleed, id), info(id).name.data());
        QVERIFY(std::abs(bleed[Measure::EF] - c[Measure::EF]) < 0.03);
        const Measures transfused = steadyMeasures(with(C, {{Param::Volume, 300}}));
        for (Measure id : {Measure::SBP, Measure::EDV, Measure::CO, Measure::LAP, Measure::RAP})
            QVERIFY2(up(transfused, id), info(id).name.data());

        const Measures weak = steadyMeasures(with(C, {{Param::Ees, 1.4}}));
        QVERIFY(up(weak, Measure::EDV) && up(weak, Measure::LAP) && !up(weak, Measure::SV));
        const Measures strong = steadyMeasures(with(C, {{Param::Ees, 3}}));
        QVERIFY(!up(strong, Measure::ESV) && up(strong, Measure::EF));

        const Measures stiff = steadyMeasures(with(C, {{Param::C, 1.2}}));
        QVERIFY(up(stiff, Measure::SBP) && !up(stiff, Measure::DBP));
        QVERIFY(stiff[Measure::SBP] - stiff[Measure::DBP] > c[Measure::SBP] - c[Measure::DBP]);
    }

    void valveDisease()
    {
        const Measures c = steadyMeasures(Parameters(C));
        // Aortic stenosis: the gradient grows with the square of flow.
        const Measures as = steadyMeasures(with(C, {{Param::AVA, 0.7}}));
        QVERIFY(as[Measure::PeakGradient] >= 40);
        const double k = 1 / (2500 * 0.7 * 0.7);
        const double r = kCirculation.rAorticValve + Parameters(C)[Param::Zc];
        QCOMPARE(forwardFlow(r * 300 + k * 300 * 300, r, k), 300.0);
        QVERIFY(forwardFlow(4 * 40.0, 0, k) < 2.01 * forwardFlow(40.0, 0, k));

        const SteadyState mrState = steadyState(with(C, {{Param::MROA, 0.4}}));
        const Measures mr = measure(mrState);
        VERIFY_IN(mr[Measure::RF], 0.3, 0.6, "MR regurgitant fraction");
        QVERIFY(mr[Measure::LAP] > c[Measure::LAP] && mr[Measure::EF] > c[Measure::EF]);
        // No isovolumic contraction: the volume falls from mitral closure on.
        const ValveEvents mrEv = valveEvents(mrState.beat);
        const auto &ms = mrState.beat.samples;
        QVERIFY(mrEv.aorticOpen >= 0 && mrEv.mitralClose >= 0);
        const int n = static_cast<int>(ms.size());
        const int mid = (mrEv.mitralClose + ((mrEv.aorticOpen - mrEv.mitralClose + n) % n) / 2) % n;
        QVERIFY(ms[static_cast<std::size_t>(mid)].V < ms[static_cast<std::size_t>(mrEv.mitralClose)].V - 1);

        const SteadyState arState = steadyState(with(C, {{Param::AROA, 0.3}}));
        const Measures ar = measure(arState);
        QVERIFY(ar[Measure::DBP] <= 60 && ar[Measure::EDV] > c[Measure::EDV]);
        QVERIFY(ar[Measure::SBP] - ar[Measure::DBP] > c[Measure::SBP] - c[Measure::DBP] + 15);
        // No isovolumic relaxation: the ventricle fills back from the aorta as soon as it closes.
        const ValveEvents arEv = valveEvents(arState.beat);
        QVERIFY(arEv.aorticClose >= 0);
        const auto &as2 = arState.beat.samples;
        QVERIFY(as2[static_cast<std::size_t>((arEv.aorticClose + 200) % as2.size())].V >
            as2[static_cast<std::size_t>(arEv.aorticClose)].V + 1);

        const Measures msten = steadyMeasures(with(C, {{Param::MVA, 1.0}}));
        QVERIFY(msten[Measure::LAP] > c[Measure::LAP] + 2 && msten[Measure::EDV] < c[Measure::EDV] - 5);
    }

    void presetsTypicalOfPatients()
    {
        const Measures hfref = steadyMeasures(findPresetById("hfref")->parameters(C));
        VERIFY_IN(hfref[Measure::EF], 0.15, 0.35, "HFrEF EF");
        QVERIFY(hfref[Measure::EDV] >= 170 && hfref[Measure::EDP] >= 18);
        VERIFY_IN(hfref[Measure::SBP], 90, 125, "HFrEF SBP");
        const Measures hfpef = steadyMeasures(findPresetById("hfpef")->parameters(C));
        QVERIFY(hfpef[Measure::EF] >= 0.5 && hfpef[Measure::EDP] >= 18 && hfpef[Measure::SBP] >= 135);
        QCOMPARE(presets().size(), std::size_t{11});
    }

    // Occlusion runs recover the end-systolic line in both models.
    void occlusionFit()
    {
        Simulator sim;
        for (ModelKind m : {H, C}) {
            const Occlusion o = sim.occlude(sim.steady(with(m, {{Param::Ees, 3}})));
            VERIFY_IN(o.eesFit, 2.7, 3.3, "Ees fit");
        }
    }

    // Support devices on the failing ventricle, each against its own
    // baseline: the direction and least size of every change that teaches
    // something, blood conserved and the steady cycle closed with each on.
    void supportDevices()
    {
        const Parameters hfref = findPresetById("hfref")->parameters(C);
        auto on = [&](std::initializer_list<std::pair<Param, double>> changes) {
            Parameters p = hfref;
            for (const auto &[id, value] : changes)
                p[id] = value;
            return p;
        };
        struct Change {
            Measure m;
            double least; // > 0: up by at least this; < 0: down by at least −this
        };
        struct Case {
            const char *name;
            Parameters base, device;
            std::vector<Change> changes;
        };
        constexpr double any = 1e-3;
        using M = Measure;
        const Parameters ecmo = on({{Param::ECMO, 4}});
        const std::vector<Case> cases{
            {"axial pump, top speed", hfref, on({{Param::Axial, 50}}),
                {{M::CO, 0.8}, {M::MAP, any}, {M::EDV, -any}, {M::ESV, -any}, {M::EDP, -any}, {M::LAP, -any}}},
            {"LVAD, mid speed", hfref, on({{Param::LVAD, 4000}}),
                {{M::CO, 0.8}, {M::MAP, any}, {M::EDV, -any}, {M::EDP, -any}, {M::LAP, -any}}},
            {"VA-ECMO 4 l/min: the distended ventricle", hfref, ecmo,
                {{M::MAP, 10}, {M::EDV, any}, {M::EDP, any}, {M::LAP, any}, {M::SV, -any}, {M::AVFlow, -any}}},
            {"axial pump unloads the ventricle on ECMO", ecmo, on({{Param::ECMO, 4}, {Param::Axial, 50}}),
                {{M::EDV, -any}, {M::EDP, -any}, {M::LAP, -any}}},
            {"balloon pump 1:1", hfref, on({{Param::IABP, 1}}),
                {{M::DBP, -5}, {M::LVSP, -any}, {M::SV, any}, {M::MAP, any}}},
        };
        Simulator sim;
        for (const Case &c : cases) {
            const SteadyState before = sim.steady(c.base);
            const SteadyState after = sim.steady(c.device);
            QVERIFY2(before.converged && after.converged, c.name);
            const Measures b = measure(before), a = measure(after);
            for (const Change &ch : c.changes) {
                const double d = a[ch.m] - b[ch.m];
                QVERIFY2(ch.least > 0 ? d >= ch.least : d <= ch.least,
                    (QByteArray(c.name) + ": " + info(ch.m).name.data() + " changed by " + QByteArray::number(d))
                        .constData());
            }
            QVERIFY2(a[M::Suction] == 0 && a[M::DrainageLimited] == 0, c.name);
            // CO counts the devices' flow with the heart's.
            QVERIFY2(std::abs(a[M::CO] - a[M::AVFlow] - a[M::PumpFlow]) < 0.01, c.name);
            const double total = circulatingVolume(c.device);
            for (const Sample &x : after.beat.samples)
                QVERIFY2(std::abs(totalVolume(x.volumes, C) - total) < 0.01, c.name);
            const State end = sim.beat(c.device, after.start);
            for (std::size_t i = 0; i < kCompartmentCount; ++i)
                QVERIFY2(std::abs(end[i] - after.start[i]) < 10 * kSteadyTolerance, c.name);
        }

        // VA-ECMO narrows the pulse.
        const Measures h = steadyMeasures(hfref), e = steadyMeasures(ecmo);
        QVERIFY(e[M::SBP] - e[M::DBP] < h[M::SBP] - h[M::DBP]);

        // The axial pump empties the ventricle all through the beat: no
        // isovolumic phase is left, the volume moves in every 20 ms.
        const SteadyState axial = sim.steady(on({{Param::Axial, 50}}));
        const auto &s = axial.beat.samples;
        for (std::size_t k = 0; k + 40 < s.size(); ++k) {
            const auto [lo, hi] = std::minmax_element(s.begin() + static_cast<std::ptrdiff_t>(k),
                s.begin() + static_cast<std::ptrdiff_t>(k + 40),
                [](const Sample &x, const Sample &y) { return x.V < y.V; });
            QVERIFY2(hi->V - lo->V > 0.05, text("volume still at t", s[k].t).constData());
        }

        // Emptied by a fast pump after a 500 ml bleed: suction. Drained dry: ECMO short of its flow.
        const Measures sucked = steadyMeasures(on({{Param::LVAD, 6000}, {Param::Volume, -300}}));
        QCOMPARE(sucked[M::Suction], 1.0);
        const Measures drained = steadyMeasures(on({{Param::ECMO, 6}, {Param::Volume, -500}}));
        QCOMPARE(drained[M::DrainageLimited], 1.0);
        QVERIFY(drained[M::PumpFlow] < 6 - 0.5);
        // A centrifugal pump turning slowly runs backwards in diastole.
        const SteadyState slow = sim.steady(on({{Param::LVAD, 2000}}));
        QVERIFY(std::any_of(
            slow.beat.samples.begin(), slow.beat.samples.end(), [](const Sample &x) { return x.Qpump < 0; }));
    }

    // The balloon pump: inflated at the dicrotic notch, emptied from the
    // activation onset before the valve opens; diastolic augmentation and a
    // lowered end-diastolic pressure; a cycle of two or three beats at 1:2
    // and 1:3, the assisted beat unloaded.
    void balloonPump()
    {
        const Parameters hfref = findPresetById("hfref")->parameters(C);
        Simulator sim;
        const Measures off = measure(sim.steady(hfref));
        Parameters one = hfref;
        one[Param::IABP] = 1;
        const SteadyState s1 = sim.steady(one);
        QVERIFY(s1.converged);
        QCOMPARE(s1.beat.beats, 1);
        double augmented = 0;
        for (const Sample &x : s1.beat.samples)
            if (x.Vballoon > 0.99 * one[Param::IABPvol])
                augmented = std::max(augmented, x.Pao);
        QVERIFY2(augmented >= off[Measure::DBP] + 15, text("augmented diastolic pressure", augmented).constData());
        const ValveEvents ev = valveEvents(s1.beat);
        const auto &s = s1.beat.samples;
        QVERIFY(ev.aorticOpen > 0 && ev.aorticClose > ev.aorticOpen);
        QVERIFY2(s[static_cast<std::size_t>(ev.aorticOpen)].Vballoon < 0.01, "still inflated as the valve opens");
        const auto firstFilling =
            std::find_if(s.begin() + ev.aorticOpen, s.end(), [](const Sample &x) { return x.Vballoon > 0; });
        QVERIFY(firstFilling != s.end());
        QVERIFY2(std::abs((firstFilling - s.begin()) - ev.aorticClose) <= 2, "not inflated at the notch");

        for (int ratio : {2, 3}) {
            Parameters p = hfref;
            p[Param::IABP] = ratio;
            const SteadyState cycle = sim.steady(p, s1.start);
            QVERIFY(cycle.converged);
            QCOMPARE(cycle.beat.beats, ratio);
            QCOMPARE(cycle.beat.samples.size(), s1.beat.samples.size() * static_cast<std::size_t>(ratio));
            QVERIFY(cycle.beat.assisted[0] && !cycle.beat.assisted[1]);
            const std::optional<AssistSplit> split = assistSplit(cycle.beat, p);
            QVERIFY(split);
            const Measures &a = split->assisted, &u = split->unassisted;
            QVERIFY2(a[Measure::LVSP] < u[Measure::LVSP] && a[Measure::SV] > u[Measure::SV] &&
                    a[Measure::DBP] < u[Measure::DBP],
                text("ratio", ratio).constData());
            const Measures whole = measure(cycle);
            QVERIFY(whole[Measure::DBP] == a[Measure::DBP] && whole[Measure::LVSP] == u[Measure::LVSP]);
            QVERIFY(whole[Measure::SV] > u[Measure::SV] && whole[Measure::SV] < a[Measure::SV]);
            const double total = circulatingVolume(p);
            for (const Sample &x : cycle.beat.samples)
                QVERIFY(std::abs(totalVolume(x.volumes, C) - total) < 0.01);
            // The beat map of the whole cycle closes; a single beat does not repeat.
            const State end = sim.beat(p, cycle.start);
            for (std::size_t i = 0; i < kCompartmentCount; ++i)
                QVERIFY(std::abs(end[i] - cycle.start[i]) < 10 * kSteadyTolerance);
        }

        // Switched on at beat 1 from its absence: the balloon first fills at
        // the first notch, and the beats after it settle on the cycle.
        const SteadyState before = sim.steady(hfref);
        Parameters two = hfref;
        two[Param::IABP] = 2;
        const Transient t = sim.transient(before, two, 30);
        QVERIFY(!t.beats[0].assisted[0] && !t.beats[1].assisted[0] && t.beats[2].assisted[0]);
        const std::optional<AssistSplit> settled = assistSplit(sim.steady(two).beat, two);
        QVERIFY(std::abs(t.measures[28][Measure::SV] - settled->assisted[Measure::SV]) < 0.5);
    }

    // Every parameter at either end of its range, alone, and every preset:
    // finite numbers, converged or flagged, quickly.
    void cornersOfRanges()
    {
        Simulator sim;
        std::vector<Parameters> sets;
        for (ModelKind m : {C, H}) {
            for (const Preset &preset : presets())
                sets.push_back(preset.parameters(m));
            for (const ParamInfo &i : valthera::model::parameterTable())
                if (appliesTo(i, m))
                    for (double v : {i.min, i.max})
                        sets.push_back(with(m, {{i.id, v}}));
        }
        int unsettled = 0;
        for (const Parameters &p : sets) {
            QElapsedTimer clock;
            clock.start();
            const SteadyState s = sim.steady(p);
            const qint64 ms = clock.elapsed();
            const Measures m = measure(s);
            for (Measure id : {Measure::EDV, Measure::ESV, Measure::SBP, Measure::DBP, Measure::CO})
                QVERIFY(std::isfinite(m[id]));
            unsettled += s.converged ? 0 : 1;
            QVERIFY2(ms <= kBudgetMs, text("milliseconds", static_cast<double>(ms)).constData());
        }
        QCOMPARE(unsettled, 0);
    }
};

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
