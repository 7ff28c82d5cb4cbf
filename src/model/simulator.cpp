// Integration of the models: one beat by the classical Runge–Kutta step, the
// beats after a change and the occlusion run. The steady state is in
// steady.cpp.

#include "model/physics.h"
#include "model/simulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace valthera::model {

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
                balloonAt(t), in.suction, in.drainageLimited, in.Qaxial + in.Qlvad + 0.0};
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
    // Each beat is measured with the one before: the end of its filling may
    // fall in that beat's last samples.
    std::vector<Sample> &previous = transientPrevious_;
    previous = from.beat.samples;
    for (int b = 0; b < count; ++b) {
        const BalloonPhase phase = balloonPhase(p, b, balloon);
        full.samples.resize(static_cast<std::size_t>(n_));
        x = integrate(p, x, full.samples.data(), 1, 0, phase);
        full.assisted = {phase.start > 0};
        t.measures.push_back(measure(full, p, previous));
        Beat &thin = t.beats.emplace_back();
        thin.model = full.model;
        thin.period = full.period;
        thin.step = full.step * kTransientThin;
        thin.atrialOnset = full.atrialOnset;
        thin.assisted = full.assisted;
        thin.samples.reserve(full.samples.size() / kTransientThin + 1);
        for (std::size_t k = 0; k < full.samples.size(); k += kTransientThin)
            thin.samples.push_back(full.samples[k]);
        std::swap(previous, full.samples);
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
