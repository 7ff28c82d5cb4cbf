// The Loop Lab model: its integration against an independent adaptive
// integration of the same equations, the periodic beat, the figures the
// lessons quote for the defaults, the presets' effects, and the occlusion fit.

#include "model/model.h"
#include "model/presets.h"

#include <QtTest>
#include <boost/numeric/odeint.hpp>
#include <cmath>
#include <map>

using namespace valthera::lab;

namespace {

Parameters with(std::initializer_list<std::pair<Param, double>> changes)
{
    Parameters p;
    for (const auto &[id, value] : changes)
        p[id] = value;
    return p;
}

// The model's equations written out again, for an error-controlled integrator.
struct ReferenceRhs {
    Parameters p;
    double period;
    // LV pressure and the two valve flows at time t into the beat.
    std::array<double, 3> pressureAndFlows(const std::array<double, 2> &x, double t) const
    {
        const double tn = t / (0.2 + 0.15 * period);
        const double a = std::pow(tn / 0.7, 1.9);
        const double e = 1.55 * a / (1 + a) / (1 + std::pow(tn / 1.17, 21.9));
        const double dv = x[0] - p[Param::V0];
        const double plv = e * p[Param::Ees] * dv + (1 - e) * p[Param::A] * (std::exp(p[Param::B] * dv) - 1);
        const double pla = p[Param::Pla];
        const double qmv = pla > plv ? (pla - plv) / p[Param::Rmv] : p[Param::Gmr] * (pla - plv);
        const double qav = plv > x[1] ? (plv - x[1]) / (p[Param::Rav] + p[Param::Zc]) : p[Param::Gar] * (plv - x[1]);
        return {plv, qmv, qav};
    }
    void operator()(const std::array<double, 2> &x, std::array<double, 2> &dxdt, double t) const
    {
        const auto [plv, qmv, qav] = pressureAndFlows(x, t);
        dxdt[0] = qmv - qav;
        dxdt[1] = (qav - x[1] / p[Param::R]) / p[Param::C];
    }
};

double largestAbs(const std::vector<double> &v)
{
    double m = 0;
    for (double x : v)
        m = std::max(m, std::abs(x));
    return m;
}

} // namespace

Q_DECLARE_METATYPE(valthera::lab::Parameters)

class ModelTest : public QObject {
    Q_OBJECT
private slots:
    void parameterTable()
    {
        const auto table = valthera::lab::parameterTable();
        const Param primary[] = {Param::Pla, Param::R, Param::Ees, Param::HR};
        for (std::size_t i = 0; i < table.size(); ++i) {
            const ParamInfo &p = table[i];
            QCOMPARE(static_cast<std::size_t>(p.id), i);
            QCOMPARE(p.primary, i < 4);
            if (i < 4)
                QCOMPARE(p.id, primary[i]);
            QCOMPARE(findParameter(p.name), &p);
            QVERIFY2(p.min <= p.defaultValue && p.defaultValue <= p.max, p.name.data());
            // A spin box at this many decimals must show the default and the steps exactly.
            const double scale = std::pow(10.0, p.decimals);
            QVERIFY2(std::abs(p.defaultValue * scale - std::round(p.defaultValue * scale)) < 1e-6, p.name.data());
            QVERIFY2(std::abs(p.step * scale - std::round(p.step * scale)) < 1e-6 && p.step > 0, p.name.data());
        }
    }

    void matchesAdaptiveIntegration_data()
    {
        QTest::addColumn<Parameters>("p");
        QTest::newRow("defaults") << Parameters{};
        QTest::newRow("fast, stiff, strong, open valves")
            << with({{Param::HR, 180}, {Param::Ees, 5}, {Param::A, 0.1}, {Param::B, 0.06}, {Param::Pla, 35},
                   {Param::Rmv, 0.002}, {Param::Rav, 0.002}, {Param::Zc, 0.01}, {Param::C, 0.3}});
        QTest::newRow("slow, weak, leaking both ways") << with({{Param::HR, 40}, {Param::Ees, 0.5}, {Param::V0, 40},
            {Param::Pla, 2}, {Param::R, 3}, {Param::C, 4}, {Param::Gmr, 2}, {Param::Gar, 2}});
        QTest::newRow("tight valves, high impedance")
            << with({{Param::Rav, 0.5}, {Param::Rmv, 0.1}, {Param::Zc, 0.2}, {Param::A, 1}, {Param::R, 0.3}});
    }

    // The fixed-step integration and the periodic beat it settles on agree with
    // an error-controlled integration started from the same state.
    void matchesAdaptiveIntegration()
    {
        QFETCH(Parameters, p);
        const SteadyState s = steadyState(p);
        QVERIFY(s.converged);
        const int n = samplesPerBeat(p[Param::HR]);
        QCOMPARE(static_cast<int>(s.beat.samples.size()), n);

        namespace ode = boost::numeric::odeint;
        using Vec = std::array<double, 2>;
        std::vector<double> times;
        for (int k = 0; k <= n; ++k)
            times.push_back(k * s.beat.step);
        std::vector<Vec> ref;
        Vec x{s.start.V, s.start.Pc};
        // The step is capped: a trial step far past the mitral opening can
        // overflow the exponential, and a NaN error estimate is not rejected.
        const ReferenceRhs rhs{p, s.beat.period};
        ode::integrate_times(ode::make_dense_output(1e-10, 1e-10, 0.005, ode::runge_kutta_dopri5<Vec>()), rhs, x,
            times.begin(), times.end(), 1e-5, [&](const Vec &y, double) { ref.push_back(y); });
        QCOMPARE(static_cast<int>(ref.size()), n + 1);

        std::vector<double> vs, pcs, plvs, paos;
        for (int k = 0; k <= n; ++k) {
            const auto [plv, qmv, qav] = rhs.pressureAndFlows(ref[k], times[k]);
            vs.push_back(ref[k][0]);
            pcs.push_back(ref[k][1]);
            plvs.push_back(plv);
            paos.push_back(ref[k][1] + p[Param::Zc] * qav);
        }
        const double vTol = 0.002 * largestAbs(vs), pTol = 0.002 * largestAbs(pcs);
        const double plvTol = 0.002 * largestAbs(plvs), paoTol = 0.002 * largestAbs(paos);
        double worstV = 0, worstP = 0, worstPlv = 0, worstPao = 0;
        auto keepWorst = [](double &worst, double d) { // a NaN sticks
            if (!(d <= worst))
                worst = d;
        };
        for (int k = 0; k < n; ++k) {
            keepWorst(worstV, std::abs(s.beat.samples[k].V - ref[k][0]));
            keepWorst(worstP, std::abs(s.beat.samples[k].Pc - ref[k][1]));
            keepWorst(worstPlv, std::abs(s.beat.samples[k].Plv - plvs[k]));
            keepWorst(worstPao, std::abs(s.beat.samples[k].Pao - paos[k]));
        }
        QVERIFY2(worstV <= vTol, qPrintable(QString("V off by %1 ml").arg(worstV)));
        QVERIFY2(worstP <= pTol, qPrintable(QString("Pc off by %1 mmHg").arg(worstP)));
        QVERIFY2(worstPlv <= plvTol, qPrintable(QString("Plv off by %1 mmHg").arg(worstPlv)));
        QVERIFY2(worstPao <= paoTol, qPrintable(QString("Pao off by %1 mmHg").arg(worstPao)));
        // The reference beat, too, ends where it began.
        QVERIFY(std::abs(ref[n][0] - s.start.V) <= vTol);
        QVERIFY(std::abs(ref[n][1] - s.start.Pc) <= pTol);
    }

    void steadyBeatConserves_data()
    {
        QTest::addColumn<QString>("preset");
        for (const Preset &p : presets())
            QTest::newRow(p.name.data()) << QString::fromUtf8(p.name.data(), p.name.size());
    }

    // Over a periodic beat what enters the ventricle leaves it, and what enters
    // the arteries drains through the peripheral resistance.
    void steadyBeatConserves()
    {
        QFETCH(QString, preset);
        const Parameters p = findPreset(preset.toStdString())->parameters();
        const SteadyState s = steadyState(p);
        QVERIFY(s.converged);
        double qmv = 0, qav = 0, drain = 0;
        for (const Sample &x : s.beat.samples) {
            qmv += x.Qmv;
            qav += x.Qav;
            drain += x.Pc / p[Param::R];
        }
        const double n = static_cast<double>(s.beat.samples.size());
        qmv /= n;
        qav /= n;
        drain /= n;
        QVERIFY2(std::abs(qmv - qav) < 0.005 * qav, qPrintable(QString("in %1, out %2 ml/s").arg(qmv).arg(qav)));
        QVERIFY2(std::abs(drain - qav) < 0.005 * qav, qPrintable(QString("%1 vs %2 ml/s").arg(drain).arg(qav)));
        Simulator sim;
        const State end = sim.beat(p, s.start);
        QVERIFY(std::abs(end.V - s.start.V) < kSteadyTolerance);
    }

    void defaultFigures()
    {
        const SteadyState s = steadyState(Parameters{});
        QVERIFY(s.converged);
        const Measures m = measure(s);
        const std::map<Measure, double> expected{{Measure::EDV, 120.1}, {Measure::ESV, 50.1}, {Measure::SV, 70.0},
            {Measure::EF, 0.583}, {Measure::SBP, 120.0}, {Measure::DBP, 80.0}, {Measure::MAP, 93.2},
            {Measure::ESP, 103.6}, {Measure::EDP, 15.0}, {Measure::CO, 5.25}, {Measure::SW, 7316}, {Measure::Ea, 1.48}};
        QCOMPARE(expected.size(), kMeasureCount);
        for (const auto &[id, value] : expected) {
            // Within 0.5, and the fractions and rates to their last shown digit.
            const bool fine = id == Measure::EF || id == Measure::Ea || id == Measure::CO;
            const double tol = fine ? 0.5 * std::pow(10.0, -info(id).decimals) : 0.5;
            QVERIFY2(
                std::abs(m[id] - value) <= tol, qPrintable(QString("%1 = %2").arg(info(id).name.data()).arg(m[id])));
        }
    }

    // The points the window numbers on the loop fall where the valves act.
    void valveEventsFrameThePhases()
    {
        const SteadyState s = steadyState(Parameters{});
        const ValveEvents ev = valveEvents(s.beat);
        const auto &x = s.beat.samples;
        QVERIFY(0 <= ev.mitralClose && ev.mitralClose < ev.aorticOpen && ev.aorticOpen < ev.peakPressure &&
            ev.peakPressure < ev.aorticClose && ev.aorticClose < ev.mitralOpen);
        QVERIFY(std::abs(x[ev.aorticOpen].V - x[ev.mitralClose].V) < 0.5); // isovolumic contraction
        QVERIFY(std::abs(x[ev.mitralOpen].V - x[ev.aorticClose].V) < 0.5); // isovolumic relaxation
        QVERIFY(x[ev.aorticOpen].V - x[ev.aorticClose].V > 60); // ejection
        QVERIFY(x[ev.aorticOpen].Qav > 0 && x[ev.aorticOpen - 1].Qav <= 0);
        QVERIFY(x[ev.mitralOpen].Qmv > 0 && x[ev.mitralOpen - 1].Qmv <= 0);
        const Measures m = measure(s);
        QCOMPARE(x[ev.peakPressure].Plv,
            std::max_element(x.begin(), x.end(), [](auto &a, auto &b) { return a.Plv < b.Plv; })->Plv);
        QVERIFY(x[ev.peakPressure].Plv >= m[Measure::SBP] - 5);
    }

    // The relations drawn with the loop touch it where the lessons say.
    void relationsTouchTheLoop()
    {
        const Parameters p = with({{Param::V0, 15}, {Param::Ees, 3}});
        const SteadyState s = steadyState(p);
        const Measures m = measure(s);
        QVERIFY(std::abs(edpvr(p, s.beat.samples[0].V) - m[Measure::EDP]) < 0.05);
        const Segment ea = arterialElastanceLine(s);
        QCOMPARE(ea.from.V, m[Measure::EDV]);
        QCOMPARE(ea.from.P, 0.0);
        QCOMPARE(ea.to.P, m[Measure::ESP]);
        QVERIFY(std::abs(ea.to.P - espvr(p, ea.to.V)) < 0.05 * ea.to.P);
    }

    void presetsMoveTheLoop_data()
    {
        QTest::addColumn<QString>("preset");
        for (const Preset &p : presets())
            QTest::newRow(p.name.data()) << QString::fromUtf8(p.name.data(), p.name.size());
    }

    // Each preset moves the loop as the lessons teach, and stays plausible.
    void presetsMoveTheLoop()
    {
        QFETCH(QString, preset);
        using M = Measure;
        // +1: must rise from Control; −1: must fall.
        const std::map<QString, std::vector<std::pair<M, int>>> expected{
            {"Control", {}},
            {"Increased afterload", {{M::ESV, +1}, {M::SBP, +1}, {M::ESP, +1}, {M::SV, -1}, {M::Ea, +1}}},
            {"Increased preload", {{M::EDV, +1}, {M::SV, +1}, {M::EDP, +1}}},
            {"Increased contractility", {{M::ESV, -1}, {M::SV, +1}, {M::EF, +1}}},
            {"Heart failure with reduced EF", {{M::EF, -1}, {M::EDV, +1}, {M::ESV, +1}, {M::EDP, +1}, {M::SV, -1}}},
            {"Heart failure with preserved EF", {{M::EDP, +1}, {M::EDV, -1}, {M::SV, -1}}},
            {"Hypovolaemia", {{M::EDV, -1}, {M::SV, -1}, {M::MAP, -1}, {M::CO, -1}}},
            {"Aortic stenosis", {{M::ESP, +1}, {M::SV, -1}, {M::SBP, -1}}},
            {"Mitral regurgitation", {{M::ESV, -1}, {M::EF, +1}, {M::CO, -1}}},
            {"Aortic regurgitation", {{M::EDV, +1}, {M::SV, +1}, {M::DBP, -1}, {M::EDP, +1}}},
        };
        QVERIFY2(expected.count(preset), "every preset needs its expected effects here");
        const Parameters params = findPreset(preset.toStdString())->parameters();
        const SteadyState s = steadyState(params);
        QVERIFY(s.converged);
        const Measures m = measure(s);
        const Measures control = measure(steadyState(Parameters{}));
        for (const auto &[id, sign] : expected.at(preset))
            QVERIFY2((m[id] - control[id]) * sign > 0.01 * std::abs(control[id]),
                qPrintable(QString("%1: %2 vs %3").arg(info(id).name.data()).arg(m[id]).arg(control[id])));

        QVERIFY(m[M::EF] > 0.2 && m[M::EF] < 0.8);
        QVERIFY(m[M::MAP] > 55 && m[M::MAP] < 130);
        QVERIFY(m[M::CO] > 3 && m[M::CO] < 8);
        QVERIFY(m[M::EDV] > 80 && m[M::EDV] < 200);
        if (preset == "Heart failure with preserved EF")
            QVERIFY(m[M::EF] > 0.5);
        if (preset == "Aortic stenosis") { // a gradient across the valve
            const ValveEvents ev = valveEvents(s.beat);
            QVERIFY(s.beat.samples[ev.peakPressure].Plv - m[M::SBP] > 30);
        }
        if (preset == "Mitral regurgitation" || preset == "Aortic regurgitation") { // a sizeable leak
            const double forward = m[M::CO] / 0.06 * s.beat.period;
            QVERIFY(1 - forward / m[M::SV] > 0.25);
        }
    }

    void occlusionFindsEes_data()
    {
        QTest::addColumn<double>("ees");
        QTest::newRow("Ees 1") << 1.0;
        QTest::newRow("Ees 2") << 2.0;
        QTest::newRow("Ees 4") << 4.0;
    }

    void occlusionFindsEes()
    {
        QFETCH(double, ees);
        Simulator sim;
        const Parameters p = with({{Param::Ees, ees}});
        const Occlusion o = sim.occlude(sim.steady(p));
        QCOMPARE(static_cast<int>(o.beats.size()), kOcclusionBeats);
        QCOMPARE(static_cast<int>(o.endSystole.size()), kOcclusionBeats);
        // Atrial pressure ramps from its value down to 40 % across the run.
        QCOMPARE(o.beats.front().samples.front().Pla, p[Param::Pla]);
        const Beat &last = o.beats.back();
        const double finalPla = last.samples.back().Pla + (last.samples.back().Pla - last.samples.end()[-2].Pla);
        QVERIFY(std::abs(finalPla - 0.4 * p[Param::Pla]) < 1e-6);
        for (int b = 1; b < kOcclusionBeats; ++b)
            QVERIFY(o.endSystole[b].V < o.endSystole[b - 1].V); // the loops walk leftwards
        QVERIFY(o.endSystole.back().P < 0.9 * o.endSystole.front().P);
        QVERIFY2(std::abs(o.eesFit - ees) < 0.02 * ees, qPrintable(QString("fit %1").arg(o.eesFit)));
        QVERIFY2(std::abs(o.v0Fit - p[Param::V0]) < 5, qPrintable(QString("V0 fit %1").arg(o.v0Fit)));
    }

    // A long arterial time constant at a slow rate settles over more than 150
    // plain beats; the shooting step must find the same beat in far fewer.
    void slowBeatFromCold()
    {
        const Parameters p = with({{Param::HR, 40}, {Param::R, 3}, {Param::C, 4}});
        Simulator sim;
        // The model's own guess, and an empty arterial tree far from it.
        for (const std::optional<State> start : {std::optional<State>{}, std::optional<State>{State{100, 0}}}) {
            const SteadyState s = sim.steady(p, start);
            QVERIFY(s.converged);
            QVERIFY2(s.beats <= 30, qPrintable(QString("%1 beats").arg(s.beats)));
            const State next = sim.beat(p, s.start);
            QVERIFY(std::abs(next.V - s.start.V) < kSteadyTolerance);
            QVERIFY(std::abs(next.Pc - s.start.Pc) < kSteadyTolerance);
        }
    }

    // Warm-started from a neighbour, the solve is short and lands on the same beat.
    void warmStartAgreesWithCold()
    {
        Simulator sim;
        const SteadyState before = sim.steady(Parameters{});
        for (const ParamInfo &i : valthera::lab::parameterTable()) {
            Parameters p;
            p[i.id] = std::min(i.max, p[i.id] + i.step);
            const SteadyState warm = sim.steady(p, before.start);
            const SteadyState cold = Simulator().steady(p);
            QVERIFY2(warm.converged && warm.beats <= 8, i.name.data());
            QVERIFY2(std::abs(warm.start.V - cold.start.V) < 1e-3 && std::abs(warm.start.Pc - cold.start.Pc) < 1e-3,
                i.name.data());
        }
    }
};

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
