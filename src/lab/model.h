#pragma once
// The Loop Lab's heart: a time-varying elastance left ventricle that fills from
// a fixed left atrial pressure through the mitral valve and ejects through the
// aortic valve into a three-element arterial load (characteristic impedance Zc,
// compliance C, peripheral resistance R). Plain C++ and Boost, no Qt, so the
// window, the command line and the tests drive the same code.
//
// Units throughout: ml, mmHg, s (flows in ml/s).
//
// Typical use by the window:
//     lab::Simulator sim;
//     lab::SteadyState s = sim.steady(params);              // first show, from cold
//     ...slider moved...
//     s = sim.steady(newParams, s.start);                   // warm start: a few ms
//     lab::Measures m = lab::measure(s);
//     lab::ValveEvents ev = lab::valveEvents(s.beat);

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace valthera::lab {

// ---------------------------------------------------------------------------
// Parameters

// In the order the window lists them: the four primary controls first.
enum class Param { Pla, R, Ees, HR, V0, A, B, Rmv, Rav, Zc, C, Gmr, Gar };
inline constexpr std::size_t kParamCount = 13;

struct ParamInfo {
    Param id;
    std::string_view name; // as typed on the command line, e.g. "Pla"
    std::string_view label; // as the lessons name it, e.g. "Preload (left atrial pressure)"
    std::string_view meaning; // one line for tooltips and --help
    std::string_view unit; // UTF-8, e.g. "mmHg·s/ml"
    double defaultValue;
    double min; // inclusive
    double max; // inclusive
    double step; // one spin-box step
    int decimals; // shown in a spin box; every default and step is exact at this many
    bool primary; // one of the four main controls; the rest sit in the "More" group
};

// Every parameter, indexed by Param (so table[size_t(p)].id == p).
std::span<const ParamInfo, kParamCount> parameterTable();
const ParamInfo &info(Param p);
// The parameter with exactly this name, or nullptr.
const ParamInfo *findParameter(std::string_view name);

// One value per parameter; default-constructed to the table's defaults.
class Parameters {
public:
    Parameters();
    double operator[](Param p) const { return values_[static_cast<std::size_t>(p)]; }
    double &operator[](Param p) { return values_[static_cast<std::size_t>(p)]; }
    // The first parameter outside its range, or nullopt when all are inside.
    std::optional<Param> firstOutOfRange() const;
    bool operator==(const Parameters &) const = default;

private:
    std::array<double, kParamCount> values_;
};

// ---------------------------------------------------------------------------
// Simulation

// The two states: LV volume (ml) and arterial compliance pressure (mmHg).
struct State {
    double V = 0;
    double Pc = 0;
};

// Everything at one instant of a beat.
struct Sample {
    double t; // s since this beat's activation onset
    double V; // LV volume, ml
    double Pc; // compliance pressure, mmHg
    double Plv; // LV pressure, mmHg
    double Pao; // aortic pressure Pc + Zc·Qav, mmHg
    double Pla; // left atrial pressure, mmHg (constant except in an occlusion)
    double Qmv; // mitral flow into the ventricle, ml/s (negative: regurgitation)
    double Qav; // aortic flow out of the ventricle, ml/s (negative: regurgitation)
    double e; // normalised activation, 0..~1
};

// Samples of one beat at t = k·step, k = 0..N-1, with t = 0 at activation onset.
struct Beat {
    double period = 0; // T = 60/HR, s
    double step = 0; // h = T/N, s
    std::vector<Sample> samples;
};

struct SteadyState {
    Parameters parameters;
    State start; // V and Pc at the activation onset of the periodic beat
    int beats = 0; // beats integrated to find it, counting Jacobian probes
    bool converged = false; // one plain beat from start moves V and Pc by < kSteadyTolerance
    Beat beat; // the periodic beat from start
};

inline constexpr double kSteadyTolerance = 1e-4;
inline constexpr double kTargetStep = 0.0005; // s; N = round(T / kTargetStep)

// Beat period and sample count for a heart rate.
double beatPeriod(double hr);
int samplesPerBeat(double hr);
// Normalised activation at time t (s) since the onset of a beat of period T.
double activation(double t, double period);

// An occlusion of the venous return: starting from a steady state, left atrial
// pressure falls linearly in time to kOcclusionFinalFraction of its value over
// kOcclusionBeats beats, integrated continuously (the beats are not steady).
inline constexpr int kOcclusionBeats = 12;
inline constexpr double kOcclusionFinalFraction = 0.4;

struct Point {
    double V; // ml
    double P; // mmHg
};

struct Occlusion {
    std::vector<Beat> beats; // kOcclusionBeats consecutive beats
    std::vector<Point> endSystole; // each beat's sample of greatest Plv/(V−V0)
    double eesFit = 0; // least-squares slope through endSystole, mmHg/ml
    double v0Fit = 0; // its volume intercept, ml
};

// Integrates the model. Holds the activation curve of the last heart rate
// used, the last beat-map Jacobian (the next warm start begins from it) and
// scratch space, so repeated calls allocate only their results.
// Not thread-safe; give each thread its own.
class Simulator {
public:
    // The periodic beat. From warm (e.g. the previous steady state's start when
    // one parameter moved) it is found in a few beats; without, from a guess.
    // Parameters must be within their ranges.
    SteadyState steady(const Parameters &p, std::optional<State> warm = std::nullopt);

    // One plain beat from start; returns the state at the next activation onset.
    // If samples is given it receives the beat.
    State beat(const Parameters &p, State start, Beat *samples = nullptr);

    Occlusion occlude(const SteadyState &from);
    // The same into an earlier result, reusing its memory: a run holds a few
    // MB of samples, and fresh pages cost more than the integration.
    void occlude(const SteadyState &from, Occlusion &into);

private:
    void prepare(double hr);
    State integrateBeat(const Parameters &p, State x, Sample *out, double plaStart, double plaSlope);

    double hr_ = -1;
    int n_ = 0;
    double period_ = 0;
    double step_ = 0;
    std::array<double, 4> lastJacobian_{};
    bool haveLastJacobian_ = false;
    std::vector<double> activation_; // at every half step, 0..2N; the last is the value just before the next onset
};

// Convenience for one-off use (the command line, tests): a fresh Simulator.
SteadyState steadyState(const Parameters &p, std::optional<State> warm = std::nullopt);

// ---------------------------------------------------------------------------
// Measures of a beat

enum class Measure { EDV, ESV, SV, EF, SBP, DBP, MAP, ESP, EDP, CO, SW, Ea };
inline constexpr std::size_t kMeasureCount = 12;

struct MeasureInfo {
    Measure id;
    std::string_view name; // "EDV"; also the command line's JSON key
    std::string_view meaning; // "end-diastolic volume"
    std::string_view unit; // "ml"; empty for a fraction
    int decimals; // for display
};

// Every measure, indexed by Measure.
std::span<const MeasureInfo, kMeasureCount> measureTable();
const MeasureInfo &info(Measure m);

class Measures {
public:
    double operator[](Measure m) const { return values_[static_cast<std::size_t>(m)]; }
    double &operator[](Measure m) { return values_[static_cast<std::size_t>(m)]; }

private:
    std::array<double, kMeasureCount> values_{};
};

// EDV/ESV: largest/smallest V; SV = EDV−ESV; EF = SV/EDV; SBP/DBP: largest and
// smallest Pao; MAP: mean Pao; ESP: Plv at the end-systolic sample; EDP: Plv at
// the first sample; CO: mean Qav in l/min; SW: area inside the loop (closed
// trapezoids, positive for the normal anticlockwise loop); Ea = ESP/SV.
Measures measure(const Beat &beat, double v0);
inline Measures measure(const SteadyState &s)
{
    return measure(s.beat, s.parameters[Param::V0]);
}

// The sample of greatest Plv/(V−V0): end systole on the elastance view.
int endSystolicSample(const Beat &beat, double v0);
Point endSystolicPoint(const Beat &beat, double v0);

// Sample indices of the numbered points of the loop, -1 where the event does
// not happen in the beat. A valve is open while flow through it is forward
// (Pla > Plv for the mitral, Plv > Pc for the aortic valve).
struct ValveEvents {
    int mitralClose = -1; // point 1, end of filling
    int aorticOpen = -1; // point 2, end of isovolumic contraction
    int peakPressure = -1; // point 3, greatest Plv
    int aorticClose = -1; // point 4, end of ejection
    int mitralOpen = -1; // point 5, end of isovolumic relaxation
};
ValveEvents valveEvents(const Beat &beat);
// Time in s of a sample index (negative for -1).
inline double timeOf(const Beat &beat, int index)
{
    return index < 0 ? -1.0 : index * beat.step;
}

// The pressure-volume relations drawn with the loop.
double espvr(const Parameters &p, double V); // end-systolic: Ees·(V−V0)
double edpvr(const Parameters &p, double V); // end-diastolic: A·(exp(B·(V−V0))−1)
struct Segment {
    Point from;
    Point to;
};
// Effective arterial elastance: from (EDV, 0) to the end-systolic point; slope −Ea.
Segment arterialElastanceLine(const SteadyState &s);

} // namespace valthera::lab
