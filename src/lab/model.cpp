#include "lab/model.h"

#include <algorithm>
#include <boost/numeric/odeint/stepper/runge_kutta4.hpp>
#include <cmath>
#include <limits>

namespace valthera::lab {

namespace {

// Spin steps are chosen so every default is a whole number of steps from the
// minimum or at least exactly representable at the shown decimals.
constexpr std::array<ParamInfo, kParamCount> kParams{{
    {Param::Pla, "Pla", "Preload (left atrial pressure)", "left atrial (filling) pressure", "mmHg", 15, 2, 35, 0.5, 1,
        true},
    {Param::R, "R", "Afterload (peripheral resistance)", "peripheral resistance", "mmHg·s/ml", 0.99, 0.3, 3, 0.01, 2,
        true},
    {Param::Ees, "Ees", "Contractility (Ees)", "end-systolic elastance", "mmHg/ml", 2.0, 0.5, 5, 0.1, 1, true},
    {Param::HR, "HR", "Heart rate", "heart rate", "beats/min", 75, 40, 180, 1, 0, true},
    {Param::V0, "V0", "Unstressed volume (V0)", "volume at zero pressure", "ml", 0, 0, 40, 1, 0, false},
    {Param::A, "A", "Diastolic stiffness scale (A)", "diastolic stiffness scale", "mmHg", 0.42, 0.1, 1, 0.01, 2, false},
    {Param::B, "B", "Diastolic stiffness exponent (B)", "diastolic stiffness exponent", "1/ml", 0.03, 0.01, 0.06, 0.001,
        3, false},
    {Param::Rmv, "Rmv", "Mitral valve resistance", "mitral valve resistance", "mmHg·s/ml", 0.005, 0.002, 0.1, 0.001, 3,
        false},
    {Param::Rav, "Rav", "Aortic valve resistance (stenosis)", "aortic valve resistance (stenosis)", "mmHg·s/ml", 0.005,
        0.002, 0.5, 0.001, 3, false},
    {Param::Zc, "Zc", "Aortic impedance (Zc)", "aortic characteristic impedance", "mmHg·s/ml", 0.075, 0.01, 0.2, 0.005,
        3, false},
    {Param::C, "C", "Arterial compliance", "arterial compliance", "ml/mmHg", 3.8, 0.3, 4, 0.1, 1, false},
    {Param::Gmr, "Gmr", "Mitral regurgitation (leak)", "mitral leak conductance", "ml/(s·mmHg)", 0, 0, 2, 0.05, 2,
        false},
    {Param::Gar, "Gar", "Aortic regurgitation (leak)", "aortic leak conductance", "ml/(s·mmHg)", 0, 0, 2, 0.05, 2,
        false},
}};

constexpr bool paramsIndexed()
{
    for (std::size_t i = 0; i < kParams.size(); ++i)
        if (static_cast<std::size_t>(kParams[i].id) != i)
            return false;
    return true;
}
static_assert(paramsIndexed(), "the parameter table is indexed by Param");

constexpr std::array<MeasureInfo, kMeasureCount> kMeasures{{
    {Measure::EDV, "EDV", "end-diastolic volume", "ml", 1},
    {Measure::ESV, "ESV", "end-systolic volume", "ml", 1},
    {Measure::SV, "SV", "stroke volume", "ml", 1},
    {Measure::EF, "EF", "ejection fraction", "", 3},
    {Measure::SBP, "SBP", "systolic aortic pressure", "mmHg", 1},
    {Measure::DBP, "DBP", "diastolic aortic pressure", "mmHg", 1},
    {Measure::MAP, "MAP", "mean aortic pressure", "mmHg", 1},
    {Measure::ESP, "ESP", "end-systolic pressure", "mmHg", 1},
    {Measure::EDP, "EDP", "end-diastolic pressure", "mmHg", 1},
    {Measure::CO, "CO", "cardiac output", "l/min", 2},
    {Measure::SW, "SW", "stroke work", "mmHg·ml", 0},
    {Measure::Ea, "Ea", "effective arterial elastance", "mmHg/ml", 2},
}};

constexpr bool measuresIndexed()
{
    for (std::size_t i = 0; i < kMeasures.size(); ++i)
        if (static_cast<std::size_t>(kMeasures[i].id) != i)
            return false;
    return true;
}
static_assert(measuresIndexed(), "the measure table is indexed by Measure");

using Vec = std::array<double, 2>;
using Stepper = boost::numeric::odeint::runge_kutta4<Vec>;

struct Flows {
    double Plv, Qmv, Qav;
};

// The valve laws. Forward flow through a resistance; backward flow only
// through the leak conductance (zero for a competent valve).
inline Flows flows(double e, double pla, double V, double Pc, double Ees, double V0, double A, double B, double Rmv,
    double Ravz, double Gmr, double Gar)
{
    const double dv = V - V0;
    const double plv = e * Ees * dv + (1 - e) * A * (std::exp(B * dv) - 1);
    const double qmv = pla > plv ? (pla - plv) / Rmv : Gmr * (pla - plv);
    const double qav = plv > Pc ? (plv - Pc) / Ravz : Gar * (plv - Pc);
    return {plv, qmv, qav};
}

// The right-hand side over one beat. Time is local to the beat; the stepper
// only ever asks at whole and half steps, so activation is looked up, not
// computed.
struct Rhs {
    const double *act;
    double twoOverH;
    double Ees, V0, A, B, Rmv, Ravz, Gmr, Gar, Zc, R, C;
    double plaStart, plaSlope;

    Flows at(double t, const Vec &x) const
    {
        const double e = act[static_cast<long>(t * twoOverH + 0.5)];
        return flows(e, plaStart + plaSlope * t, x[0], x[1], Ees, V0, A, B, Rmv, Ravz, Gmr, Gar);
    }
    void operator()(const Vec &x, Vec &dxdt, double t) const
    {
        const Flows f = at(t, x);
        dxdt[0] = f.Qmv - f.Qav;
        dxdt[1] = (f.Qav - x[1] / R) / C;
    }
};

// Normalised double-Hill activation at tn = time / time to peak.
double activationAt(double tn)
{
    if (tn <= 0)
        return 0;
    const double a = std::pow(tn / 0.7, 1.9);
    return 1.55 * (a / (1 + a)) / (1 + std::pow(tn / 1.17, 21.9));
}

double maxAbs(const Vec &v)
{
    return std::max(std::abs(v[0]), std::abs(v[1]));
}

bool finite(const Vec &v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]);
}

// A starting guess from the relations alone: filled to atrial pressure on the
// diastolic curve, and an arterial pressure from a stroke volume that ejects
// down to the end-systolic line against that pressure.
State coldGuess(const Parameters &p)
{
    const double edv = p[Param::V0] + std::log1p(p[Param::Pla] / p[Param::A]) / p[Param::B];
    const double T = beatPeriod(p[Param::HR]);
    const double rOverT = p[Param::R] / T;
    const double map = (edv - p[Param::V0]) * rOverT / (1 + rOverT / p[Param::Ees]);
    return {edv, 0.9 * map};
}

} // namespace

// ---------------------------------------------------------------------------

std::span<const ParamInfo, kParamCount> parameterTable()
{
    return kParams;
}

const ParamInfo &info(Param p)
{
    return kParams[static_cast<std::size_t>(p)];
}

const ParamInfo *findParameter(std::string_view name)
{
    for (const ParamInfo &i : kParams)
        if (i.name == name)
            return &i;
    return nullptr;
}

Parameters::Parameters()
{
    for (const ParamInfo &i : kParams)
        values_[static_cast<std::size_t>(i.id)] = i.defaultValue;
}

std::optional<Param> Parameters::firstOutOfRange() const
{
    for (const ParamInfo &i : kParams) {
        const double v = (*this)[i.id];
        if (!(v >= i.min && v <= i.max))
            return i.id;
    }
    return std::nullopt;
}

std::span<const MeasureInfo, kMeasureCount> measureTable()
{
    return kMeasures;
}

const MeasureInfo &info(Measure m)
{
    return kMeasures[static_cast<std::size_t>(m)];
}

double beatPeriod(double hr)
{
    return 60.0 / hr;
}

int samplesPerBeat(double hr)
{
    return static_cast<int>(std::lround(beatPeriod(hr) / kTargetStep));
}

double activation(double t, double period)
{
    return activationAt(std::fmod(t, period) / (0.2 + 0.15 * period));
}

// ---------------------------------------------------------------------------

void Simulator::prepare(double hr)
{
    if (hr == hr_)
        return;
    hr_ = hr;
    period_ = beatPeriod(hr);
    n_ = samplesPerBeat(hr);
    step_ = period_ / n_;
    activation_.resize(2 * n_ + 1);
    const double tmax = 0.2 + 0.15 * period_;
    for (int j = 0; j < 2 * n_; ++j)
        activation_[j] = activationAt(j * step_ / 2 / tmax);
    // The last stage of a beat's last step belongs to that beat: it sees the
    // activation just before the next onset, not the new beat's zero.
    activation_[2 * n_] = activationAt(period_ / tmax);
}

State Simulator::integrateBeat(const Parameters &p, State s, Sample *out, double plaStart, double plaSlope)
{
    const Rhs rhs{activation_.data(), 2 / step_, p[Param::Ees], p[Param::V0], p[Param::A], p[Param::B], p[Param::Rmv],
        p[Param::Rav] + p[Param::Zc], p[Param::Gmr], p[Param::Gar], p[Param::Zc], p[Param::R], p[Param::C], plaStart,
        plaSlope};
    Stepper stepper;
    Vec x{s.V, s.Pc};
    Vec dxdt;
    for (int k = 0; k < n_; ++k) {
        const double t = k * step_;
        const Flows f = rhs.at(t, x);
        dxdt[0] = f.Qmv - f.Qav;
        dxdt[1] = (f.Qav - x[1] / rhs.R) / rhs.C;
        if (out)
            out[k] = Sample{
                t, x[0], x[1], f.Plv, x[1] + rhs.Zc * f.Qav, plaStart + plaSlope * t, f.Qmv, f.Qav, activation_[2 * k]};
        stepper.do_step(rhs, x, dxdt, t, step_);
    }
    return {x[0], x[1]};
}

State Simulator::beat(const Parameters &p, State start, Beat *samples)
{
    prepare(p[Param::HR]);
    Sample *out = nullptr;
    if (samples) {
        samples->period = period_;
        samples->step = step_;
        samples->samples.resize(n_);
        out = samples->samples.data();
    }
    return integrateBeat(p, start, out, p[Param::Pla], 0);
}

SteadyState Simulator::steady(const Parameters &p, std::optional<State> warm)
{
    prepare(p[Param::HR]);
    SteadyState result;
    result.parameters = p;
    result.beat.period = period_;
    result.beat.step = step_;
    result.beat.samples.resize(n_);
    Sample *out = result.beat.samples.data();
    const double pla = p[Param::Pla];
    const double v0 = p[Param::V0];

    int beats = 0;
    // The beat map F; every evaluation at the current iterate records its
    // samples, so the confirming beat is also the one returned.
    auto F = [&](const Vec &x, bool record) {
        ++beats;
        const State e = integrateBeat(p, {x[0], x[1]}, record ? out : nullptr, pla, 0);
        return Vec{e.V, e.Pc};
    };
    // Keep iterates where the model is meaningful: a ventricle holding at
    // least its unstressed volume and a non-negative arterial pressure.
    auto clampState = [&](Vec x) {
        x[0] = std::max(x[0], v0 + 0.5);
        x[1] = std::max(x[1], 0.0);
        return x;
    };

    const State g = warm ? *warm : coldGuess(p);
    Vec x = clampState({g.V, g.Pc});
    Vec r; // F(x) − x
    {
        const Vec fx = F(x, true);
        r = {fx[0] - x[0], fx[1] - x[1]};
    }

    // Newton on G(x) = F(x) − x with a forward-difference Jacobian, refreshed
    // by Broyden updates while steps keep paying off. The valve switches make
    // F only piecewise smooth, so a step that does not reduce the residual is
    // halved, and if halving does not help either, a plain beat is taken.
    constexpr int kNewtonBeatBudget = 120;
    constexpr int kMaxBeats = 4000;
    constexpr double kMaxStep = 40; // ml or mmHg per Newton step
    // Row-major dG/dx. A warm start begins from the last solve's Jacobian:
    // after a small parameter change it is still good, which saves the two
    // probe beats; if it is not, the first step shows it and it is measured.
    std::array<double, 4> J = lastJacobian_;
    bool haveJ = warm && haveLastJacobian_;
    auto jacobian = [&] {
        for (int j = 0; j < 2; ++j) {
            const double d = 1e-3 * std::max(1.0, std::abs(x[j]));
            Vec xp = x;
            xp[j] += d;
            const Vec fp = F(xp, false);
            for (int i = 0; i < 2; ++i)
                J[2 * i + j] = ((fp[i] - xp[i]) - r[i]) / d;
        }
        haveJ = true;
    };

    while (maxAbs(r) >= kSteadyTolerance && beats < kNewtonBeatBudget) {
        if (!haveJ)
            jacobian();
        const double det = J[0] * J[3] - J[1] * J[2];
        Vec dx{(-J[3] * r[0] + J[1] * r[1]) / det, (J[2] * r[0] - J[0] * r[1]) / det};
        bool improved = false;
        if (finite(dx) && det != 0) {
            const double big = maxAbs(dx);
            if (big > kMaxStep)
                dx = {dx[0] * kMaxStep / big, dx[1] * kMaxStep / big};
            for (int tries = 0; tries < 3 && !improved; ++tries) {
                const Vec xn = clampState({x[0] + dx[0], x[1] + dx[1]});
                const Vec fn = F(xn, true);
                const Vec rn{fn[0] - xn[0], fn[1] - xn[1]};
                if (finite(rn) && maxAbs(rn) < maxAbs(r)) {
                    improved = true;
                    const bool fast = maxAbs(rn) < 0.25 * maxAbs(r);
                    // Broyden's rank-one update with the step actually taken.
                    const Vec s{xn[0] - x[0], xn[1] - x[1]};
                    const double ss = s[0] * s[0] + s[1] * s[1];
                    if (fast && ss > 0) {
                        for (int i = 0; i < 2; ++i) {
                            const double y = rn[i] - r[i] - (J[2 * i] * s[0] + J[2 * i + 1] * s[1]);
                            J[2 * i] += y * s[0] / ss;
                            J[2 * i + 1] += y * s[1] / ss;
                        }
                    } else {
                        haveJ = false; // slow progress: measure the Jacobian afresh
                    }
                    x = xn;
                    r = rn;
                } else {
                    dx = {dx[0] / 2, dx[1] / 2};
                }
            }
        }
        if (!improved) {
            // A plain beat always moves towards the attracting periodic beat.
            x = clampState({x[0] + r[0], x[1] + r[1]});
            const Vec fx = F(x, true);
            r = {fx[0] - x[0], fx[1] - x[1]};
            haveJ = false;
        }
    }
    // Settle any remainder beat by beat.
    while (maxAbs(r) >= kSteadyTolerance && beats < kMaxBeats && finite(r)) {
        x = {x[0] + r[0], x[1] + r[1]};
        const Vec fx = F(x, true);
        r = {fx[0] - x[0], fx[1] - x[1]};
    }

    if (haveJ) {
        lastJacobian_ = J;
        haveLastJacobian_ = true;
    }
    result.start = {x[0], x[1]};
    result.beats = beats;
    result.converged = maxAbs(r) < kSteadyTolerance;
    return result;
}

Occlusion Simulator::occlude(const SteadyState &from)
{
    Occlusion o;
    occlude(from, o);
    return o;
}

void Simulator::occlude(const SteadyState &from, Occlusion &o)
{
    const Parameters &p = from.parameters;
    prepare(p[Param::HR]);
    o.beats.resize(kOcclusionBeats);
    o.endSystole.clear();
    const double pla0 = p[Param::Pla];
    const double slope = -(1 - kOcclusionFinalFraction) * pla0 / (kOcclusionBeats * period_);
    const double v0 = p[Param::V0];
    State s = from.start;
    for (int b = 0; b < kOcclusionBeats; ++b) {
        Beat &beat = o.beats[b];
        beat.period = period_;
        beat.step = step_;
        beat.samples.resize(n_);
        s = integrateBeat(p, s, beat.samples.data(), pla0 + slope * b * period_, slope);
        o.endSystole.push_back(endSystolicPoint(beat, v0));
    }
    // Least squares P = a·V + c; the line meets P = 0 at V = −c/a.
    double sv = 0, sp = 0, svv = 0, svp = 0;
    for (const Point &pt : o.endSystole) {
        sv += pt.V;
        sp += pt.P;
        svv += pt.V * pt.V;
        svp += pt.V * pt.P;
    }
    const double n = static_cast<double>(o.endSystole.size());
    const double a = (n * svp - sv * sp) / (n * svv - sv * sv);
    const double c = (sp - a * sv) / n;
    o.eesFit = a;
    o.v0Fit = -c / a;
}

SteadyState steadyState(const Parameters &p, std::optional<State> warm)
{
    Simulator sim;
    return sim.steady(p, warm);
}

// ---------------------------------------------------------------------------

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

Measures measure(const Beat &beat, double v0)
{
    Measures m;
    const auto &s = beat.samples;
    if (s.empty())
        return m;
    double edv = s[0].V, esv = s[0].V, sbp = s[0].Pao, dbp = s[0].Pao;
    double sumPao = 0, sumQav = 0, area = 0;
    for (std::size_t k = 0; k < s.size(); ++k) {
        edv = std::max(edv, s[k].V);
        esv = std::min(esv, s[k].V);
        sbp = std::max(sbp, s[k].Pao);
        dbp = std::min(dbp, s[k].Pao);
        sumPao += s[k].Pao;
        sumQav += s[k].Qav;
        const Sample &next = s[(k + 1) % s.size()];
        area += (next.V - s[k].V) * (next.Plv + s[k].Plv) / 2;
    }
    const double n = static_cast<double>(s.size());
    const Point es = endSystolicPoint(beat, v0);
    m[Measure::EDV] = edv;
    m[Measure::ESV] = esv;
    m[Measure::SV] = edv - esv;
    m[Measure::EF] = (edv - esv) / edv;
    m[Measure::SBP] = sbp;
    m[Measure::DBP] = dbp;
    m[Measure::MAP] = sumPao / n;
    m[Measure::ESP] = es.P;
    m[Measure::EDP] = s[0].Plv;
    m[Measure::CO] = sumQav / n * 0.06;
    // Filling runs rightwards at low pressure and ejection leftwards at high
    // pressure, so the oriented integral of P dV is minus the work done.
    m[Measure::SW] = -area;
    m[Measure::Ea] = es.P / (edv - esv);
    return m;
}

ValveEvents valveEvents(const Beat &beat)
{
    ValveEvents ev;
    const auto &s = beat.samples;
    const int n = static_cast<int>(s.size());
    if (n == 0)
        return ev;
    auto at = [&](int k) -> const Sample & { return s[((k % n) + n) % n]; };
    auto mitralOpen = [&](int k) { return at(k).Pla > at(k).Plv; };
    auto aorticOpen = [&](int k) { return at(k).Plv > at(k).Pc; };
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
    const int k1 = turn(0, mitralOpen, true);
    const int k2 = turn(k1, aorticOpen, false);
    const int k4 = turn(k2, aorticOpen, true);
    const int k5 = turn(k4, mitralOpen, false);
    auto wrap = [&](int k) { return k < 0 ? -1 : k % n; };
    ev.mitralClose = wrap(k1);
    ev.aorticOpen = wrap(k2);
    ev.aorticClose = wrap(k4);
    ev.mitralOpen = wrap(k5);
    ev.peakPressure = static_cast<int>(std::max_element(s.begin(), s.end(), [](const Sample &a, const Sample &b) {
        return a.Plv < b.Plv;
    }) - s.begin());
    return ev;
}

double espvr(const Parameters &p, double V)
{
    return p[Param::Ees] * (V - p[Param::V0]);
}

double edpvr(const Parameters &p, double V)
{
    return p[Param::A] * (std::exp(p[Param::B] * (V - p[Param::V0])) - 1);
}

Segment arterialElastanceLine(const SteadyState &s)
{
    const Measures m = measure(s);
    return {{m[Measure::EDV], 0}, endSystolicPoint(s.beat, s.parameters[Param::V0])};
}

} // namespace valthera::lab
