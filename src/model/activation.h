#pragma once
// The beat's clock: its period and sampling, and the ventricles' and the
// atrium's activation through it.

namespace valthera::model {

inline constexpr double kTargetStep = 0.0005; // s; N = round(T / kTargetStep)
double beatPeriod(double hr);
int samplesPerBeat(double hr);
// Ventricular activation at time t (s) after onset, in a beat of period T:
// its durations scale with √T, as the QT interval does, and it is back to
// zero before the next onset at every heart rate.
double activation(double t, double period);
// Atrial activation at time t (s) after ventricular onset.
double atrialActivation(double t, double period);
// The PR interval: the atrium starts this long before the ventricles.
double prInterval(double period);

} // namespace valthera::model
