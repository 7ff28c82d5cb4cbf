#include "model/model.h"
#include "model/physics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace valthera::model {

namespace {

constexpr std::array<std::string_view, kCompartmentCount> kCompartmentNames{"LV", "SA", "SV", "RV", "PA", "PV", "LA"};

// At 75 beats/min: the ventricle's time to peak activation and the PR interval.
constexpr double kRestPeriod = 0.8;
constexpr double kRestTimeToPeak = 0.32;
constexpr double kRestPr = 0.15;
constexpr double kRestAtrialSystole = 0.18;

// Durations scale with √T, as the QT interval does.
double durationScale(double period)
{
    return std::sqrt(period / kRestPeriod);
}

// Normalised double-Hill activation at tn = time / time to peak.
double hill(double tn)
{
    if (tn <= 0)
        return 0;
    const double a = std::pow(tn / 0.7, 1.9);
    return 1.55 * (a / (1 + a)) / (1 + std::pow(tn / 1.17, 21.9));
}

// The unknowns of the beat map: every compartment but one in the whole
// circulation (the systemic veins take what the others leave, so the total
// stays exact and the map is not singular along it); the ventricle and the
// arteries in the isolated heart.
std::vector<std::size_t> unknowns(ModelKind model)
{
    if (model == ModelKind::Heart)
        return {0, 1};
    return {0, 1, 3, 4, 5, 6};
}

// The systemic veins hold the rest of the circulation's blood.
void closeVolume(State &x, ModelKind model, double total)
{
    if (model != ModelKind::Circulation)
        return;
    double others = 0;
    for (std::size_t i = 0; i < kCompartmentCount; ++i)
        if (i != static_cast<std::size_t>(Compartment::SV))
            others += x[i];
    at(x, Compartment::SV) = total - others;
}

// A starting guess from the relations alone: typical resting pressures in
// every vessel, the ventricles filled on their diastolic curves, and the veins
// holding what is left.
State coldGuess(const Parameters &p)
{
    const CirculationConstants &k = kCirculation;
    State x{};
    const double T = beatPeriod(p[Param::HR]);
    const bool heart = p.model == ModelKind::Heart;
    const double fill = heart ? p[Param::Pla] : 12;
    const double edv = p[Param::V0] + std::log1p(fill / p[Param::A]) / p[Param::B];
    const double rOverT = p[Param::R] / T;
    const double map = (edv - p[Param::V0]) * rOverT / (1 + rOverT / p[Param::Ees]);
    at(x, Compartment::LV) = edv;
    at(x, Compartment::SA) = k.vuSa + p[Param::C] * 0.9 * map;
    if (heart)
        return x;
    at(x, Compartment::RV) = k.v0Rv + std::log1p(5 / k.aRv) / k.bRv;
    at(x, Compartment::PA) = k.vuPa + k.cPa * 15;
    at(x, Compartment::PV) = k.vuPv + k.cPv * 10;
    at(x, Compartment::LA) = k.v0La + 10 / k.elaPassive;
    closeVolume(x, p.model, circulatingVolume(p));
    return x;
}

double maxAbs(const std::vector<double> &v)
{
    double m = 0;
    for (double x : v)
        m = std::max(m, std::abs(x));
    return m;
}

// Solves J·dx = −r by Gaussian elimination with partial pivoting; false when singular.
bool solve(std::vector<double> J, std::vector<double> r, std::vector<double> &dx)
{
    const std::size_t n = r.size();
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t piv = c;
        for (std::size_t i = c + 1; i < n; ++i)
            if (std::abs(J[i * n + c]) > std::abs(J[piv * n + c]))
                piv = i;
        if (!(std::abs(J[piv * n + c]) > 1e-300))
            return false;
        if (piv != c) {
            for (std::size_t j = 0; j < n; ++j)
                std::swap(J[c * n + j], J[piv * n + j]);
            std::swap(r[c], r[piv]);
        }
        for (std::size_t i = c + 1; i < n; ++i) {
            const double f = J[i * n + c] / J[c * n + c];
            for (std::size_t j = c; j < n; ++j)
                J[i * n + j] -= f * J[c * n + j];
            r[i] -= f * r[c];
        }
    }
    dx.assign(n, 0);
    for (std::size_t c = n; c-- > 0;) {
        double s = -r[c];
        for (std::size_t j = c + 1; j < n; ++j)
            s -= J[c * n + j] * dx[j];
        dx[c] = s / J[c * n + c];
    }
    return std::all_of(dx.begin(), dx.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

// ---------------------------------------------------------------------------

std::string_view compartmentName(Compartment c)
{
    return kCompartmentNames[static_cast<std::size_t>(c)];
}

double totalVolume(const State &s, ModelKind model)
{
    if (model == ModelKind::Heart)
        return at(s, Compartment::LV) + at(s, Compartment::SA);
    double sum = 0;
    for (double v : s)
        sum += v;
    return sum;
}

double circulatingVolume(const Parameters &p)
{
    return kCirculation.restingVolume + p[Param::Volume];
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
    t = std::fmod(t, period);
    const double e = hill(t / (kRestTimeToPeak * durationScale(period)));
    // Whatever is left of relaxation in the last tenth of the beat is faded
    // out, so every beat starts from a fully relaxed ventricle.
    const double fadeStart = 0.9 * period;
    if (t <= fadeStart)
        return e;
    return e * 0.5 * (1 + std::cos(std::numbers::pi * (t - fadeStart) / (period - fadeStart)));
}

double prInterval(double period)
{
    return kRestPr * durationScale(period);
}

double atrialActivation(double t, double period)
{
    // A half-sine squared, from a PR interval before the ventricles' onset to
    // just after it (atrial systole outlasts the PR interval a little), and
    // never longer than half the beat.
    const double onset = period - prInterval(period);
    const double length = std::min(kRestAtrialSystole * durationScale(period), 0.5 * period);
    const double u = std::fmod(t - onset + 2 * period, period);
    if (u >= length)
        return 0;
    const double s = std::sin(std::numbers::pi * u / length);
    return s * s;
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
    atrial_.resize(2 * n_ + 1);
    for (int j = 0; j < 2 * n_; ++j) {
        activation_[j] = activation(j * step_ / 2, period_);
        atrial_[j] = atrialActivation(j * step_ / 2, period_);
    }
    // The last stage of a beat's last step belongs to that beat: it sees the
    // activations just before the next onset, not the new beat's.
    activation_[2 * n_] = 0;
    atrial_[2 * n_] = atrialActivation(period_ - 1e-9, period_);
    // The end of systole on the activation alone: past its peak, back to half.
    const auto peak =
        static_cast<std::size_t>(std::max_element(activation_.begin(), activation_.end()) - activation_.begin());
    endOfSystole_ = period_;
    for (std::size_t j = peak; j < static_cast<std::size_t>(2 * n_); ++j)
        if (activation_[j] < 0.5 * activation_[peak]) {
            endOfSystole_ = static_cast<double>(j) * step_ / 2;
            break;
        }
}

namespace {

// A smooth 0→1 over u in [0, 1]: the balloon fills and empties without a jolt.
double ramp(double u)
{
    if (u <= 0)
        return 0;
    if (u >= 1)
        return 1;
    return 0.5 * (1 - std::cos(std::numbers::pi * u));
}

} // namespace

Simulator::BalloonPhase Simulator::balloonPhase(const Parameters &p, int index, double runStart)
{
    // Beat `index` (from 0) of a run inflates when it is the last of its
    // assist cycle; the beat after one that inflated starts full.
    const int ratio = static_cast<int>(p[Param::IABP]);
    auto inflates = [&](int i) { return ratio > 0 && (i + 1) % ratio == 0; };
    BalloonPhase b;
    b.volume = p[Param::IABPvol];
    b.inflate = inflates(index);
    b.start = index == 0 ? runStart : (inflates(index - 1) ? b.volume : 0);
    return b;
}

State Simulator::integrate(const Parameters &p, State x, Sample *out, double occlusionStart, double occlusionSlope,
    const BalloonPhase &balloon)
{
    const Physics ph(p);
    // The balloon empties from the activation onset and fills at the dicrotic
    // notch: the aortic valve's closure, found between steps (or, if the
    // valve never opens, at the end of systole).
    double inflateAt = -1, inflateFor = kDevices.balloonInflation;
    // The lambdas on the step's path are forced inline: as calls they cost a
    // tenth of a beat.
    auto balloonAt = [&](double t) __attribute__((always_inline))
    {
        double v = 0;
        if (balloon.start > 0)
            v = balloon.start * (1 - ramp(t / kDevices.balloonDeflation));
        if (inflateAt >= 0)
            v += balloon.volume * ramp((t - inflateAt) / inflateFor);
        return v;
    };
    // The activations are tabled at half steps: stage times t + c·h fall on
    // index 2k + 2c exactly.
    auto instantAt = [&](std::size_t j, double t, const State &s) __attribute__((always_inline))
    {
        return evaluate(ph, activation_[j], atrial_[j], s, occlusionStart + occlusionSlope * t, balloonAt(t));
    };
    auto rhs = [&](std::size_t j, double t, const State &s, State &d) __attribute__((always_inline))
    {
        rates(ph, instantAt(j, t, s), d);
    };
    // The classical fourth-order Runge-Kutta step, written out rather than
    // taken from odeint's generic stepper: with the right-hand side inlined
    // the state stays in registers, and the stepper's algebra cost about a
    // fifth of a beat. The sums are formed in odeint's order, so the results
    // are the same to the last bit.
    const double h = step_, halfH = 0.5 * h, sixthH = (1.0 / 6.0) * h, thirdH = (1.0 / 3.0) * h;
    State k1, k2, k3, k4, y;
    bool aorticOpened = false;
    double lastQav = 0;
    for (int k = 0; k < n_; ++k) {
        const double t = k * step_;
        const auto j = static_cast<std::size_t>(2 * k);
        Instant in = instantAt(j, t, x);
        if (balloon.inflate && inflateAt < 0) {
            const bool notch = aorticOpened && in.Qav <= 0;
            if (notch || (!aorticOpened && t >= endOfSystole_)) {
                // Between the last step with forward flow and this one.
                inflateAt = notch ? t - step_ * in.Qav / (in.Qav - lastQav) : t;
                inflateAt = std::clamp(inflateAt, t - step_, t);
                // Full before the next onset, however late the notch.
                inflateFor = std::max(step_, std::min(kDevices.balloonInflation, period_ - inflateAt - step_));
                in = instantAt(j, t, x);
            }
        }
        aorticOpened = aorticOpened || in.Qav > 0;
        lastQav = in.Qav;
        rates(ph, in, k1);
        if (out) {
            // Adding zero turns a closed valve's -0 flow into 0.
            out[k] = Sample{t, at(x, Compartment::LV), in.Pc, in.Plv, in.Pao, in.Pla, in.Qmv + 0.0, in.Qav + 0.0,
                activation_[j], atrial_[j], in.Pra, in.Prv, in.Ppa, in.Ppv, x, in.Qaxial + in.Qlvad + in.Qecmo + 0.0,
                balloonAt(t), in.suction, in.drainageLimited};
        }
#pragma GCC unroll 7
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            y[i] = x[i] + halfH * k1[i];
        rhs(j + 1, t + 0.5 * h, y, k2);
#pragma GCC unroll 7
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            y[i] = x[i] + halfH * k2[i];
        rhs(j + 1, t + 0.5 * h, y, k3);
#pragma GCC unroll 7
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            y[i] = x[i] + h * k3[i];
        rhs(j + 2, t + h, y, k4);
#pragma GCC unroll 7
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            x[i] = x[i] + sixthH * k1[i] + thirdH * k2[i] + thirdH * k3[i] + sixthH * k4[i];
    }
    return x;
}

State Simulator::beat(const Parameters &p, const State &start, Beat *samples)
{
    prepare(p[Param::HR]);
    const int beats = cycleBeats(p);
    Sample *out = nullptr;
    if (samples) {
        samples->model = p.model;
        samples->period = beats * period_;
        samples->step = step_;
        samples->atrialOnset = p.model == ModelKind::Circulation ? period_ - prInterval(period_) : -1;
        samples->samples.resize(static_cast<std::size_t>(beats * n_));
        samples->beats = beats;
        samples->assisted = {};
        out = samples->samples.data();
    }
    const double full = p[Param::IABP] > 0 ? p[Param::IABPvol] : 0;
    State x = start;
    for (int j = 0; j < beats; ++j) {
        const BalloonPhase phase = balloonPhase(p, j, full);
        x = integrate(p, x, out ? out + j * n_ : nullptr, 1, 0, phase);
        if (out) {
            samples->assisted[static_cast<std::size_t>(j)] = phase.start > 0;
            for (int k = 0; k < n_; ++k)
                out[j * n_ + k].t += j * period_;
        }
    }
    return x;
}

SteadyState Simulator::steady(const Parameters &p, std::optional<State> warm)
{
    prepare(p[Param::HR]);
    SteadyState result;
    result.parameters = p;
    Beat &recorded = result.beat;
    const ModelKind model = p.model;
    const std::vector<std::size_t> idx = unknowns(model);
    const std::size_t n = idx.size();
    const double total = circulatingVolume(p);
    const double v0 = p[Param::V0];

    int beats = 0;
    State base = warm ? *warm : coldGuess(p);
    closeVolume(base, model, total);
    auto toState = [&](const std::vector<double> &u) {
        State s = base;
        for (std::size_t i = 0; i < n; ++i)
            s[idx[i]] = u[i];
        // Keep iterates where the model is meaningful: a ventricle holding
        // at least its unstressed volume.
        at(s, Compartment::LV) = std::max(at(s, Compartment::LV), v0 + 0.5);
        closeVolume(s, model, total);
        return s;
    };
    auto fromState = [&](const State &s) {
        std::vector<double> u(n);
        for (std::size_t i = 0; i < n; ++i)
            u[i] = s[idx[i]];
        return u;
    };
    // The residual F(x) − x of the beat map; evaluations at iterates record
    // their samples, so the confirming beat is also the one returned.
    auto residual = [&](const std::vector<double> &u, bool record, State *end = nullptr) {
        ++beats;
        const State s = toState(u);
        const State e = beat(p, s, record ? &recorded : nullptr);
        if (end)
            *end = e;
        std::vector<double> r(n);
        for (std::size_t i = 0; i < n; ++i)
            r[i] = e[idx[i]] - s[idx[i]];
        return r;
    };
    // The largest move of any compartment over a beat, the eliminated one
    // included: convergence is checked on every state.
    auto fullResidual = [&](const std::vector<double> &u, const std::vector<double> &r, const State &end) {
        double m = maxAbs(r);
        const State s = toState(u);
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            if (model == ModelKind::Circulation || i < 2)
                m = std::max(m, std::abs(end[i] - s[i]));
        return std::isfinite(m) ? m : std::numeric_limits<double>::infinity();
    };

    std::vector<double> x = fromState(toState(fromState(base)));
    State end;
    std::vector<double> r = residual(x, true, &end);
    double size = fullResidual(x, r, end);

    // Newton on G(x) = F(x) − x with a forward-difference Jacobian, refreshed
    // by Broyden updates while steps keep paying off. The valve switches make
    // F only piecewise smooth, so a step that does not reduce the residual is
    // halved, and if halving does not help either, a plain beat is taken.
    constexpr int kNewtonBeatBudget = 200;
    constexpr int kMaxBeats = 3000;
    constexpr double kMaxStep = 300; // ml per Newton step, on any compartment
    std::vector<double> &J = jacobian_;
    bool haveJ = warm && J.size() == n * n && jacobianModel_ == model;
    const int cycle = cycleBeats(p);
    if (haveJ && jacobianBeats_ != cycle) {
        if (jacobianBeats_ == 1) {
            // The map over k beats is the one-beat map k times: its Jacobian
            // is near (J + I)^k − I, a far better start than none.
            std::vector<double> step(n * n), power(n * n);
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = 0; j < n; ++j)
                    step[i * n + j] = J[i * n + j] + (i == j ? 1 : 0);
            power = step;
            for (int b = 1; b < cycle; ++b) {
                std::vector<double> next(n * n, 0);
                for (std::size_t i = 0; i < n; ++i)
                    for (std::size_t m = 0; m < n; ++m)
                        for (std::size_t j = 0; j < n; ++j)
                            next[i * n + j] += power[i * n + m] * step[m * n + j];
                power = next;
            }
            for (std::size_t i = 0; i < n; ++i)
                power[i * n + i] -= 1;
            J = power;
            jacobianBeats_ = cycle;
        } else {
            haveJ = false;
        }
    }
    auto measureJacobian = [&] {
        J.assign(n * n, 0);
        for (std::size_t j = 0; j < n; ++j) {
            const double d = 1e-3 * std::max(1.0, std::abs(x[j]) * 0.01);
            std::vector<double> xp = x;
            xp[j] += d;
            const std::vector<double> rp = residual(xp, false);
            for (std::size_t i = 0; i < n; ++i)
                J[i * n + j] = (rp[i] - r[i]) / d;
        }
        haveJ = true;
        jacobianModel_ = model;
        jacobianBeats_ = cycle;
    };

    std::vector<double> dx;
    while (size >= kSteadyTolerance && beats < kNewtonBeatBudget) {
        if (!haveJ)
            measureJacobian();
        bool improved = false;
        if (solve(J, r, dx)) {
            const double big = maxAbs(dx);
            if (big > kMaxStep)
                for (double &v : dx)
                    v *= kMaxStep / big;
            for (int tries = 0; tries < 3 && !improved; ++tries) {
                std::vector<double> xn(n);
                for (std::size_t i = 0; i < n; ++i)
                    xn[i] = x[i] + dx[i];
                xn = fromState(toState(xn));
                State endN;
                const std::vector<double> rn = residual(xn, true, &endN);
                const double sizeN = fullResidual(xn, rn, endN);
                if (sizeN < size) {
                    improved = true;
                    const bool fast = sizeN < 0.25 * size;
                    std::vector<double> s(n);
                    double ss = 0;
                    for (std::size_t i = 0; i < n; ++i) {
                        s[i] = xn[i] - x[i];
                        ss += s[i] * s[i];
                    }
                    if (fast && ss > 0) {
                        // Broyden's rank-one update with the step actually taken.
                        for (std::size_t i = 0; i < n; ++i) {
                            double y = rn[i] - r[i];
                            for (std::size_t j = 0; j < n; ++j)
                                y -= J[i * n + j] * s[j];
                            for (std::size_t j = 0; j < n; ++j)
                                J[i * n + j] += y * s[j] / ss;
                        }
                    } else {
                        haveJ = false; // slow progress: measure the Jacobian afresh
                    }
                    x = xn;
                    r = rn;
                    end = endN;
                    size = sizeN;
                } else {
                    for (double &v : dx)
                        v /= 2;
                }
            }
        }
        if (!improved) {
            // A plain beat always moves towards the attracting periodic beat.
            base = end;
            x = fromState(end);
            r = residual(x, true, &end);
            size = fullResidual(x, r, end);
            haveJ = false;
        }
    }
    // Settle any remainder beat by beat.
    while (size >= kSteadyTolerance && beats < kMaxBeats && std::isfinite(size)) {
        base = end;
        x = fromState(end);
        r = residual(x, true, &end);
        size = fullResidual(x, r, end);
    }
    result.start = toState(x);
    result.beats = beats;
    result.converged = size < kSteadyTolerance;
    if (!haveJ)
        J.clear();
    return result;
}

Transient Simulator::transient(const SteadyState &from, const Parameters &p, int count)
{
    Transient t;
    count = std::clamp(count, 1, kMaxTransientBeats);
    State x = from.start;
    if (p.model == ModelKind::Circulation)
        at(x, Compartment::SV) += circulatingVolume(p) - totalVolume(x, ModelKind::Circulation);
    Beat &full = transientBeat_;
    t.measures.reserve(count);
    t.beats.reserve(count);
    prepare(p[Param::HR]);
    full.model = p.model;
    full.period = period_;
    full.step = step_;
    full.atrialOnset = p.model == ModelKind::Circulation ? period_ - prInterval(period_) : -1;
    full.samples.resize(static_cast<std::size_t>(n_));
    const Parameters &was = from.parameters;
    const double balloon = was[Param::IABP] > 0 ? was[Param::IABPvol] : 0;
    for (int b = 0; b < count; ++b) {
        const BalloonPhase phase = balloonPhase(p, b, balloon);
        x = integrate(p, x, full.samples.data(), 1, 0, phase);
        full.assisted = {phase.start > 0};
        t.measures.push_back(measure(full, p));
        Beat &thin = t.beats.emplace_back();
        thin.model = full.model;
        thin.period = full.period;
        thin.step = full.step * kTransientThin;
        thin.atrialOnset = full.atrialOnset;
        thin.assisted = full.assisted;
        thin.samples.reserve(full.samples.size() / kTransientThin + 1);
        for (std::size_t k = 0; k < full.samples.size(); k += kTransientThin)
            thin.samples.push_back(full.samples[k]);
    }
    t.end = x;
    return t;
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
    const double slope = -(1 - kOcclusionFinalFraction) / (kOcclusionBeats * period_);
    const double v0 = p[Param::V0];
    State s = from.start;
    const double balloon = p[Param::IABP] > 0 ? p[Param::IABPvol] : 0;
    for (int b = 0; b < kOcclusionBeats; ++b) {
        Beat &beat = o.beats[b];
        const BalloonPhase phase = balloonPhase(p, b, balloon);
        beat.assisted = {phase.start > 0};
        beat.model = p.model;
        beat.period = period_;
        beat.step = step_;
        beat.atrialOnset = p.model == ModelKind::Circulation ? period_ - prInterval(period_) : -1;
        beat.samples.resize(n_);
        s = integrate(p, s, beat.samples.data(), 1 + slope * b * period_, slope, phase);
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

} // namespace valthera::model
