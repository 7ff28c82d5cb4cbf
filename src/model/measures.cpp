#include "model/measures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace valthera::model {

namespace {

constexpr std::array<MeasureInfo, kMeasureCount> kMeasures{{
    {Measure::EDV, "EDV", "End-diastolic volume", "EDV", "end-diastolic volume", "ml", 1, false},
    {Measure::ESV, "ESV", "End-systolic volume", "ESV", "end-systolic volume", "ml", 1, false},
    {Measure::SV, "SV", "Stroke volume", "SV", "stroke volume", "ml", 1, false},
    {Measure::EF, "EF", "Ejection fraction", "EF", "ejection fraction", "", 3, false},
    {Measure::SBP, "SBP", "Systolic pressure", "SBP", "systolic aortic pressure", "mmHg", 1, false},
    {Measure::DBP, "DBP", "Diastolic pressure", "DBP", "diastolic aortic pressure", "mmHg", 1, false},
    {Measure::MAP, "MAP", "Mean arterial pressure", "MAP", "mean aortic pressure", "mmHg", 1, false},
    {Measure::ESP, "ESP", "End-systolic pressure", "ESP", "end-systolic pressure", "mmHg", 1, false},
    {Measure::EDP, "EDP", "End-diastolic pressure", "EDP", "end-diastolic pressure", "mmHg", 1, false},
    {Measure::CO, "CO", "Cardiac output", "CO", "cardiac output", "l/min", 2, false},
    {Measure::SW, "SW", "Stroke work", "SW", "stroke work", "mmHg·ml", 0, false},
    {Measure::Ea, "Ea", "Arterial elastance", "Ea", "effective arterial elastance", "mmHg/ml", 2, false},
    {Measure::LVSP, "LVSP", "Peak ventricular pressure", "LVSP", "peak left ventricular pressure", "mmHg", 1, false},
    {Measure::LAP, "LAP", "Left atrial pressure", "LAP", "mean left atrial pressure", "mmHg", 1, false},
    {Measure::RAP, "RAP", "Right atrial pressure", "RAP", "mean right atrial pressure", "mmHg", 1, true},
    {Measure::PAP, "PAP", "Pulmonary artery pressure", "PAP", "mean pulmonary arterial pressure", "mmHg", 1, true},
    {Measure::PFR, "PFR", "Peak filling rate", "PFR", "peak filling rate", "EDV/s", 2, false},
    {Measure::AtrialShare, "AtrialShare", "Atrial share of filling", "", "atrial share of filling", "", 3, true},
    {Measure::RF, "RF", "Regurgitant fraction", "RF", "regurgitant fraction", "", 3, false},
    {Measure::PeakGradient, "PeakGradient", "Aortic valve peak gradient", "", "peak aortic valve gradient", "mmHg", 1, false},
    {Measure::MitralGradient, "MitralGradient", "Mitral valve mean gradient", "",
        "mean diastolic gradient across the mitral valve while it is open", "mmHg", 1, false},
    {Measure::AVFlow, "AVFlow", "Aortic valve flow", "", "forward flow through the aortic valve", "l/min", 2, false},
    {Measure::PumpFlow, "PumpFlow", "Device flow", "", "flow through the support devices", "l/min", 2, true},
    {Measure::Suction, "Suction", "Pump suction", "", "a pump's inflow limited by an emptied ventricle", "", 0, true, true},
    {Measure::DrainageLimited, "DrainageLimited", "Drainage limited", "", "VA-ECMO flow limited by venous drainage", "", 0, true, true},
}};

constexpr bool measuresIndexed()
{
    for (std::size_t i = 0; i < kMeasures.size(); ++i)
        if (static_cast<std::size_t>(kMeasures[i].id) != i)
            return false;
    return true;
}
static_assert(measuresIndexed(), "the measure table is indexed by Measure");

} // namespace

std::span<const MeasureInfo, kMeasureCount> measureTable()
{
    return kMeasures;
}

const MeasureInfo &info(Measure m)
{
    return kMeasures[static_cast<std::size_t>(m)];
}

int endSystolicSample(const Beat &beat, double v0)
{
    int best = -1;
    double bestRatio = -std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < beat.samples.size(); ++k) {
        const Sample &s = beat.samples[k];
        const double dv = s.V - v0;
        if (dv <= 1e-9)
            continue;
        const double ratio = s.Plv / dv;
        if (ratio > bestRatio) {
            bestRatio = ratio;
            best = static_cast<int>(k);
        }
    }
    return best;
}

Point endSystolicPoint(const Beat &beat, double v0)
{
    const int k = endSystolicSample(beat, v0);
    if (k < 0)
        return {v0, 0};
    return {beat.samples[k].V, beat.samples[k].Plv};
}

namespace {

// The volume at the end of filling: the largest from the end of filling to
// the smallest volume. Filling ends at activation onset, or earlier where the
// mitral valve has closed before it (a leak or a pump emptying the ventricle
// through late diastole), at that closure, in the last samples of the beat
// before (`before`; a steady beat's own, by its periodicity).
double endDiastolicVolume(const std::vector<Sample> &s, std::span<const Sample> before, std::size_t minV)
{
    double edv = s[0].V;
    if (!before.empty() && !(before.back().Qmv > 0)) {
        // A steady beat's own last samples stop short of its smallest volume.
        const std::size_t stop = before.data() == s.data() ? minV + 1 : 0;
        std::size_t from = before.size();
        for (std::size_t k = before.size() - 1; k > stop; --k)
            if (before[k - 1].Qmv > 0) {
                from = k;
                break;
            }
        for (std::size_t k = from; k < before.size(); ++k)
            edv = std::max(edv, before[k].V);
    }
    for (std::size_t k = 0; k <= minV; ++k)
        edv = std::max(edv, s[k].V);
    return edv;
}

// Forward mitral inflow from the atrium's onset to the mitral closure that
// follows it. The closure usually comes after the ventricles' onset, in the
// next beat's first samples; the beat is periodic, so they are this beat's
// first ones. The walk stops at peak ventricular pressure whatever happens:
// a valve shut at the atrium's onset that the atrium does not open again
// lets nothing in from it.
double atrialInflow(const Beat &beat, const ValveEvents &ev)
{
    const auto &s = beat.samples;
    const int n = static_cast<int>(s.size());
    const int onset = std::clamp(static_cast<int>(std::lround(beat.atrialOnset / beat.step)), 0, n - 1);
    double atrial = 0;
    for (int i = 0; i < n; ++i) {
        const int k = (onset + i) % n;
        const int before = (k + n - 1) % n;
        if (k == ev.peakPressure || (i > 0 && s[before].Qmv > 0 && s[k].Qmv <= 0))
            break;
        atrial += std::max(0.0, s[k].Qmv);
    }
    return atrial;
}

Measures measureOne(const Beat &beat, const Parameters &p, std::span<const Sample> before)
{
    Measures m;
    const auto &s = beat.samples;
    if (s.empty())
        return m;
    const std::size_t n = s.size();
    const auto minV = static_cast<std::size_t>(
        std::min_element(s.begin(), s.end(), [](const Sample &a, const Sample &b) { return a.V < b.V; }) - s.begin());
    const double edv = endDiastolicVolume(s, before, minV);
    const double esv = s[minV].V;
    double sbp = s[0].Pao, dbp = s[0].Pao, lvsp = s[0].Plv;
    double sumPump = 0, avForward = 0;
    bool suction = false, drainage = false;
    double sumPao = 0, sumQav = 0, sumPla = 0, sumPra = 0, sumPpa = 0, area = 0;
    double peakFill = 0, gradient = 0, mitralGradient = 0;
    int mitralOpenSamples = 0;
    double aorticForward = 0, aorticBack = 0, mitralForward = 0, mitralBack = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const Sample &x = s[k];
        sbp = std::max(sbp, x.Pao);
        dbp = std::min(dbp, x.Pao);
        lvsp = std::max(lvsp, x.Plv);
        sumPao += x.Pao;
        sumQav += x.Qav;
        sumPump += x.Qpump;
        avForward += std::max(0.0, x.Qav);
        suction = suction || x.suction;
        drainage = drainage || x.drainageLimited;
        sumPla += x.Pla;
        sumPra += x.Pra;
        sumPpa += x.Ppa;
        peakFill = std::max(peakFill, x.Qmv);
        if (x.Qav > 0)
            gradient = std::max(gradient, x.Plv - x.Pao);
        if (x.Qmv > 0) {
            mitralGradient += x.Pla - x.Plv;
            ++mitralOpenSamples;
        }
        (x.Qav > 0 ? aorticForward : aorticBack) += std::abs(x.Qav);
        (x.Qmv > 0 ? mitralForward : mitralBack) += std::abs(x.Qmv);
        const Sample &next = s[(k + 1) % n];
        area += (next.V - x.V) * (next.Plv + x.Plv) / 2;
    }
    const double count = static_cast<double>(n);
    const Point es = endSystolicPoint(beat, p[Param::V0]);
    m[Measure::EDV] = edv;
    m[Measure::ESV] = esv;
    m[Measure::SV] = edv - esv;
    m[Measure::EF] = (edv - esv) / edv;
    m[Measure::SBP] = sbp;
    m[Measure::DBP] = dbp;
    m[Measure::MAP] = sumPao / count;
    m[Measure::ESP] = es.P;
    m[Measure::EDP] = s[0].Plv;
    m[Measure::CO] = (sumQav + sumPump) / count * 0.06;
    m[Measure::AVFlow] = avForward / count * 0.06;
    // Filling runs rightwards at low pressure and ejection leftwards at high
    // pressure, so the oriented integral of P dV is minus the work done.
    m[Measure::SW] = -area;
    m[Measure::Ea] = es.P / (edv - esv);
    m[Measure::LVSP] = lvsp;
    m[Measure::LAP] = sumPla / count;
    m[Measure::PFR] = peakFill / edv;
    // No flow through either valve, forward or back (a pump carrying all
    // the output with competent valves): nothing regurgitates.
    const double through = aorticForward + mitralBack;
    m[Measure::RF] = through > 0 ? (aorticBack + mitralBack) / through : 0;
    m[Measure::PeakGradient] = gradient;
    m[Measure::MitralGradient] = mitralOpenSamples > 0 ? mitralGradient / mitralOpenSamples : 0;
    const double none = std::numeric_limits<double>::quiet_NaN();
    if (beat.model == ModelKind::Circulation) {
        m[Measure::RAP] = sumPra / count;
        m[Measure::PAP] = sumPpa / count;
        const double atrial = atrialInflow(beat, valveEvents(beat));
        m[Measure::AtrialShare] = mitralForward > 0 ? atrial / mitralForward : none;
        m[Measure::PumpFlow] = sumPump / count * 0.06;
        m[Measure::Suction] = suction ? 1 : 0;
        m[Measure::DrainageLimited] = drainage ? 1 : 0;
    } else {
        for (Measure c : {Measure::RAP, Measure::PAP, Measure::AtrialShare, Measure::PumpFlow, Measure::Suction,
                 Measure::DrainageLimited})
            m[c] = none;
    }
    return m;
}

} // namespace

std::vector<Beat> splitBeats(const Beat &beat)
{
    std::vector<Beat> out;
    const std::size_t n = beat.samples.size() / static_cast<std::size_t>(std::max(1, beat.beats));
    for (int j = 0; j < beat.beats; ++j) {
        Beat &b = out.emplace_back();
        b.model = beat.model;
        b.period = beat.period / beat.beats;
        b.step = beat.step;
        b.atrialOnset = beat.atrialOnset;
        b.assisted = {beat.assisted[static_cast<std::size_t>(j)]};
        const auto first = beat.samples.begin() + static_cast<std::ptrdiff_t>(j * n);
        b.samples.assign(first, first + static_cast<std::ptrdiff_t>(n));
        for (Sample &x : b.samples)
            x.t -= j * b.period;
    }
    return out;
}

Measures combine(std::span<const Measures> beats)
{
    Measures m;
    if (beats.empty())
        return m;
    for (const MeasureInfo &i : kMeasures) {
        double v = 0;
        for (const Measures &b : beats) {
            const double x = b[i.id];
            if (i.flag)
                v = std::max(v, x);
            else if (i.id == Measure::SBP || i.id == Measure::LVSP || i.id == Measure::PeakGradient)
                v = &b == beats.data() ? x : std::max(v, x);
            else if (i.id == Measure::DBP)
                v = &b == beats.data() ? x : std::min(v, x);
            else
                v += x / static_cast<double>(beats.size());
        }
        m[i.id] = v;
    }
    m[Measure::EF] = m[Measure::SV] / m[Measure::EDV];
    m[Measure::Ea] = m[Measure::ESP] / m[Measure::SV];
    return m;
}

Measures measure(const Beat &beat, const Parameters &p)
{
    if (beat.beats <= 1)
        return measureOne(beat, p, beat.samples);
    std::vector<Measures> each;
    const std::vector<Beat> beats = splitBeats(beat);
    for (std::size_t j = 0; j < beats.size(); ++j)
        each.push_back(measureOne(beats[j], p, beats[(j + beats.size() - 1) % beats.size()].samples));
    return combine(each);
}

Measures measure(const Beat &beat, const Parameters &p, std::span<const Sample> before)
{
    return measureOne(beat, p, before);
}

std::optional<AssistSplit> assistSplit(const Beat &beat, const Parameters &p)
{
    if (beat.beats <= 1)
        return std::nullopt;
    std::vector<Measures> assisted, unassisted;
    const std::vector<Beat> beats = splitBeats(beat);
    for (std::size_t j = 0; j < beats.size(); ++j) {
        const Beat &b = beats[j];
        (b.assisted[0] ? assisted : unassisted)
            .push_back(measureOne(b, p, beats[(j + beats.size() - 1) % beats.size()].samples));
    }
    if (assisted.empty() || unassisted.empty())
        return std::nullopt;
    return AssistSplit{combine(assisted), combine(unassisted)};
}

ValveEvents valveEvents(const Beat &beat)
{
    ValveEvents ev;
    const auto &s = beat.samples;
    const int n = static_cast<int>(s.size());
    if (n == 0)
        return ev;
    auto at = [&](int k) -> const Sample & { return s[((k % n) + n) % n]; };
    auto mitralOpen = [&](int k) { return at(k).Qmv > 0; };
    auto aorticOpen = [&](int k) { return at(k).Qav > 0; };
    // Walking on from sample `from` (counted past the end of the beat, the
    // beat being periodic), the first sample where the valve's state turns
    // from `was`; -1 if it never does.
    auto turn = [&](int from, auto open, bool was) {
        if (from < 0)
            return -1;
        for (int k = from; k < from + n; ++k)
            if (open(k - 1) == was && open(k) != was)
                return k;
        return -1;
    };
    // Each valve's turns on their own, each searched from the latest event
    // before it in the cycle that happens, so a valve that never opens does
    // not hide the other's turns.
    const int k1 = turn(0, mitralOpen, true);
    const int k2 = turn(std::max(k1, 0), aorticOpen, false);
    const int k4 = turn(std::max({k2, k1, 0}), aorticOpen, true);
    const int k5 = turn(std::max({k4, k2, k1, 0}), mitralOpen, false);
    auto wrap = [&](int k) { return k < 0 ? -1 : k % n; };
    ev.mitralClose = wrap(k1);
    ev.aorticOpen = wrap(k2);
    ev.aorticClose = wrap(k4);
    ev.mitralOpen = wrap(k5);
    ev.peakPressure = static_cast<int>(std::max_element(s.begin(), s.end(), [](const Sample &a, const Sample &b) {
        return a.Plv < b.Plv;
    }) - s.begin());
    if (beat.atrialOnset >= 0)
        ev.atrialOnset = std::min(n - 1, static_cast<int>(std::lround(beat.atrialOnset / beat.step)));
    return ev;
}

} // namespace valthera::model
