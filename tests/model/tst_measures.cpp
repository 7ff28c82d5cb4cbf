// Each measure held to its definition in docs/model.md, computed here from
// the beat's samples, in states that stretch the definitions: leaking valves,
// pumps that keep the aortic valve shut or run backwards, the balloon's
// cycle. Then the valve laws written out from the same document against the
// samples, and every condition against the parameters its name is about.

#include "model/model.h"
#include "model/presets.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <map>

using namespace valthera::model;

namespace {

Parameters with(const Parameters &base, std::initializer_list<std::pair<Param, double>> changes)
{
    Parameters p = base;
    for (const auto &[id, value] : changes)
        p[id] = value;
    return p;
}

Parameters preset(const char *id)
{
    return findPresetById(id)->parameters(ModelKind::Circulation);
}

// The measures of a one-beat record, as the document defines them.
Measures fromSamples(const Beat &beat, const Parameters &p)
{
    const std::vector<Sample> &s = beat.samples;
    const int n = static_cast<int>(s.size());
    auto at = [&](int k) -> const Sample & { return s[static_cast<std::size_t>((k % n + n) % n)]; };
    Measures m;
    int minV = 0, es = -1, peakP = 0;
    double sumPao = 0, sumPla = 0, sumPra = 0, sumPpa = 0, sumCo = 0, sumAv = 0, sumPump = 0, area = 0;
    double sbp = s[0].Pao, dbp = s[0].Pao, peakFill = 0, gradient = 0, mitralGradient = 0, esRatio = -1e300;
    double aorticForward = 0, aorticBack = 0, mitralForward = 0, mitralBack = 0;
    int mitralOpen = 0;
    bool suction = false, drained = false;
    for (int k = 0; k < n; ++k) {
        const Sample &x = s[static_cast<std::size_t>(k)];
        minV = x.V < s[static_cast<std::size_t>(minV)].V ? k : minV;
        peakP = x.Plv > s[static_cast<std::size_t>(peakP)].Plv ? k : peakP;
        if (x.V - p[Param::V0] > 1e-9 && x.Plv / (x.V - p[Param::V0]) > esRatio) {
            esRatio = x.Plv / (x.V - p[Param::V0]);
            es = k;
        }
        sbp = std::max(sbp, x.Pao);
        dbp = std::min(dbp, x.Pao);
        sumPao += x.Pao;
        sumPla += x.Pla;
        sumPra += x.Pra;
        sumPpa += x.Ppa;
        sumCo += x.Qav + x.Qpump;
        sumAv += std::max(0.0, x.Qav);
        sumPump += x.Qpump;
        peakFill = std::max(peakFill, x.Qmv);
        if (x.Qav > 0)
            gradient = std::max(gradient, x.Plv - x.Pao);
        if (x.Qmv > 0) {
            mitralGradient += x.Pla - x.Plv;
            ++mitralOpen;
        }
        (x.Qav > 0 ? aorticForward : aorticBack) += std::abs(x.Qav);
        (x.Qmv > 0 ? mitralForward : mitralBack) += std::abs(x.Qmv);
        // The loop's area by the shoelace formula: it runs anticlockwise.
        area += (x.V * at(k + 1).Plv - at(k + 1).V * x.Plv) / 2;
        suction = suction || x.suction;
        drained = drained || x.drainageLimited;
    }
    // Filling ends at activation onset, or where the mitral valve is already
    // shut then, at its last closure before it; EDV is the largest volume
    // from there to the smallest.
    int from = 0;
    if (!(at(-1).Qmv > 0))
        while (from > minV - n + 1 && !(at(from - 1).Qmv > 0))
            --from;
    double edv = 0;
    for (int k = from; k <= minV; ++k)
        edv = std::max(edv, at(k).V);
    // The atrium's share: from its onset to the mitral valve's next closure,
    // never past peak pressure.
    const int onset = static_cast<int>(std::lround(beat.atrialOnset / beat.step));
    double atrial = 0;
    for (int k = onset; k < onset + n && (k % n) != peakP; ++k) {
        if (k > onset && at(k - 1).Qmv > 0 && !(at(k).Qmv > 0))
            break;
        atrial += std::max(0.0, at(k).Qmv);
    }
    const double esv = s[static_cast<std::size_t>(minV)].V, count = n;
    const Sample &end = s[static_cast<std::size_t>(es)];
    m[Measure::EDV] = edv;
    m[Measure::ESV] = esv;
    m[Measure::SV] = edv - esv;
    m[Measure::EF] = (edv - esv) / edv;
    m[Measure::SBP] = sbp;
    m[Measure::DBP] = dbp;
    m[Measure::MAP] = sumPao / count;
    m[Measure::ESP] = end.Plv;
    m[Measure::EDP] = p[Param::A] * (std::exp(p[Param::B] * (s[0].V - p[Param::V0])) - 1); // on the EDPVR
    m[Measure::CO] = sumCo / count * 0.06;
    m[Measure::SW] = area;
    m[Measure::Ea] = end.Plv / (edv - esv);
    m[Measure::LVSP] = s[static_cast<std::size_t>(peakP)].Plv;
    m[Measure::LAP] = sumPla / count;
    m[Measure::RAP] = sumPra / count;
    m[Measure::PAP] = sumPpa / count;
    m[Measure::PFR] = peakFill / edv;
    m[Measure::AtrialShare] = atrial / mitralForward;
    const double through = aorticForward + mitralBack;
    m[Measure::RF] = through > 0 ? (aorticBack + mitralBack) / through : 0;
    m[Measure::PeakGradient] = gradient;
    m[Measure::MitralGradient] = mitralOpen > 0 ? mitralGradient / mitralOpen : 0;
    m[Measure::AVFlow] = sumAv / count * 0.06;
    m[Measure::PumpFlow] = sumPump / count * 0.06;
    m[Measure::Suction] = suction ? 1 : 0;
    m[Measure::DrainageLimited] = drained ? 1 : 0;
    return m;
}

} // namespace

Q_DECLARE_METATYPE(valthera::model::Parameters)

class MeasuresTest : public QObject {
    Q_OBJECT
private slots:
    void everyMeasureAsDefined_data()
    {
        QTest::addColumn<Parameters>("p");
        const Parameters control = preset("control"), hfref = preset("hfref");
        QTest::newRow("control") << control;
        QTest::newRow("mitral regurgitation: the valve shuts before onset") << preset("mitral-regurgitation");
        QTest::newRow("aortic regurgitation 0.5: the mitral valve shuts in mid-diastole")
            << with(control, {{Param::AROA, 0.5}});
        QTest::newRow("aortic regurgitation 1.0") << with(control, {{Param::AROA, 1.0}});
        QTest::newRow("LVAD 2000 running backwards") << with(hfref, {{Param::LVAD, 2000}});
        QTest::newRow("LVAD 4000: the aortic valve stays shut") << with(hfref, {{Param::LVAD, 4000}});
        QTest::newRow("ECMO with the axial pump: no flow through either valve")
            << with(hfref, {{Param::ECMO, 4}, {Param::Axial, 50}});
        QTest::newRow("axial pump sucking an emptied ventricle")
            << with(hfref, {{Param::Axial, 50}, {Param::Volume, -500}});
        QTest::newRow("ECMO drained dry") << with(hfref, {{Param::ECMO, 6}, {Param::Volume, -500}});
        QTest::newRow("aortic stenosis") << preset("aortic-stenosis");
        QTest::newRow("mitral stenosis") << preset("mitral-stenosis");
    }
    void everyMeasureAsDefined()
    {
        QFETCH(Parameters, p);
        const SteadyState s = steadyState(p);
        QVERIFY(s.converged);
        const Measures got = measure(s), want = fromSamples(s.beat, p);
        for (const MeasureInfo &i : measureTable()) {
            const double tolerance = 1e-9 * std::max(1.0, std::abs(want[i.id])) + (i.id == Measure::EDP ? 1e-6 : 0);
            QVERIFY2(std::abs(got[i.id] - want[i.id]) <= tolerance,
                qPrintable(QStringLiteral("%1: %2, by its definition %3")
                        .arg(QString::fromUtf8(i.name.data(), static_cast<int>(i.name.size())))
                        .arg(got[i.id], 0, 'g', 10)
                        .arg(want[i.id], 0, 'g', 10)));
        }
        // No measure the whole circulation has is left without a value.
        for (const MeasureInfo &i : measureTable())
            QVERIFY2(std::isfinite(got[i.id]), i.name.data());
    }

    // The balloon at 1:2 with a leaking aortic valve: each beat of the cycle
    // measured as defined, the atrium's share among them.
    void balloonCycleBeatByBeat()
    {
        const Parameters p = with(preset("hfref"), {{Param::IABP, 2}, {Param::AROA, 0.3}});
        const SteadyState s = steadyState(p);
        QVERIFY(s.converged);
        for (const Beat &b : splitBeats(s.beat)) {
            const Measures want = fromSamples(b, p);
            const double got = measure(b, p)[Measure::AtrialShare];
            QVERIFY2(std::abs(got - want[Measure::AtrialShare]) < 1e-9, qPrintable(QString::number(got)));
            QVERIFY(got < 0.5);
        }
    }

    // The axial pump starves within 10 ml of V0 and says so at exactly those
    // instants (the LVAD's flag is held in tst_model).
    void axialPumpSuction()
    {
        const Parameters p = with(preset("hfref"), {{Param::Axial, 50}, {Param::Volume, -500}});
        const SteadyState s = steadyState(p);
        int sucked = 0;
        for (const Sample &x : s.beat.samples) {
            QCOMPARE(x.suction, x.V - p[Param::V0] < 10);
            sucked += x.suction ? 1 : 0;
        }
        QVERIFY(sucked > 0);
        QCOMPARE(measure(s)[Measure::Suction], 1.0);
    }

    // A beat after a change is not periodic: its last samples are the next
    // beat's filling, so its EDV is still the filling before it, the old one.
    void theBeatAfterAChangeKeepsTheOldFilling()
    {
        for (const Parameters &p : {preset("control"), preset("mitral-regurgitation")}) {
            Simulator sim;
            const SteadyState before = sim.steady(p);
            const Transient t = sim.transient(before, with(p, {{Param::R, 1.6}}), 1);
            QVERIFY2(std::abs(t.measures[0][Measure::EDV] - measure(before)[Measure::EDV]) < 0.01,
                qPrintable(QString::number(t.measures[0][Measure::EDV] - measure(before)[Measure::EDV])));
        }
    }

    // The valves' laws as docs/model.md writes them, on every sample: the
    // Bernoulli term and the resistance forward, the orifice equation back.
    void valveLawsOnTheSamples()
    {
        const Parameters p = with(preset("control"), {{Param::AVA, 0.8}, {Param::MROA, 0.3}, {Param::AROA, 0.2}});
        const SteadyState s = steadyState(p);
        int forward = 0, backward = 0;
        for (const Sample &x : s.beat.samples) {
            if (x.Qav > 0) {
                const double dp = (0.003 + p[Param::Zc]) * x.Qav + x.Qav * x.Qav / (2500 * 0.8 * 0.8);
                QVERIFY2(std::abs(x.Plv - x.Pc - dp) < 1e-6, qPrintable(QString::number(x.t)));
                QVERIFY(std::abs(x.Pao - (x.Pc + p[Param::Zc] * x.Qav)) < 1e-9);
                ++forward;
            }
            if (x.Qmv < 0) {
                const double dp = x.Plv - x.Pla;
                QVERIFY2(std::abs(-x.Qmv - 50 * 0.3 * dp / std::sqrt(dp + 0.5)) < 1e-6, qPrintable(QString::number(x.t)));
                ++backward;
            }
            if (x.Qav < 0) {
                const double dp = x.Pc - x.Plv;
                QVERIFY2(std::abs(-x.Qav - 50 * 0.2 * dp / std::sqrt(dp + 0.5)) < 1e-6, qPrintable(QString::number(x.t)));
                ++backward;
            }
        }
        QVERIFY(forward > 100 && backward > 100);
    }

    // Each condition in the whole circulation changes what its name is about
    // and nothing else.
    void conditionsChangeWhatTheyNameOnly()
    {
        using P = Param;
        const std::map<std::string_view, std::map<Param, double>> expected{
            {"control", {}},
            {"afterload", {{P::R, 1.6}}},
            {"preload", {{P::Volume, 500}}},
            {"contractility", {{P::Ees, 3.2}}},
            {"hfref", {{P::Ees, 1.1}, {P::V0, 60}, {P::Volume, 200}, {P::R, 1.3}}},
            {"hfpef", {{P::A, 0.6}, {P::B, 0.04}, {P::Ees, 3.5}, {P::R, 1.6}, {P::Volume, 200}}},
            {"hypovolaemia", {{P::Volume, -500}}},
            {"aortic-stenosis", {{P::AVA, 0.7}}},
            {"mitral-regurgitation", {{P::MROA, 0.4}}},
            {"aortic-regurgitation", {{P::AROA, 0.3}}},
            {"mitral-stenosis", {{P::MVA, 1.0}}},
        };
        QCOMPARE(presets().size(), expected.size());
        const Parameters control(ModelKind::Circulation);
        for (const Preset &pr : presets()) {
            const auto it = expected.find(pr.id);
            QVERIFY2(it != expected.end(), pr.id.data());
            const Parameters got = pr.parameters(ModelKind::Circulation);
            for (const ParamInfo &i : parameterTable()) {
                const auto change = it->second.find(i.id);
                const double want = change == it->second.end() ? control[i.id] : change->second;
                QVERIFY2(got[i.id] == want, qPrintable(QStringLiteral("%1: %2").arg(
                                                QString::fromUtf8(pr.id.data()), QString::fromUtf8(i.name.data()))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(MeasuresTest)
#include "tst_measures.moc"
