#include "model/activation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace valthera::model {

namespace {

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

} // namespace

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

} // namespace valthera::model
