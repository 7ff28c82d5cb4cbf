#pragma once
// The simulator: the periodic beat (steady state), the beats after a change
// (transients) and the occlusion run, integrated from the physics in
// physics.h. The steady state's Newton–Broyden solver is in steady.cpp.

#include "model/beat.h"
#include "model/measures.h"
#include "model/parameters.h"

#include <array>
#include <optional>
#include <vector>

namespace valthera::model {

// ---------------------------------------------------------------------------
// Steady state and transients

struct SteadyState {
    Parameters parameters;
    State start{}; // every volume at the activation onset of the periodic beat
    int beats = 0; // beats integrated to find it, counting Jacobian probes
    bool converged = false; // one beat from start moves every volume by < kSteadyTolerance
    Beat beat; // the periodic beat from start
};

inline constexpr double kSteadyTolerance = 1e-4; // ml, on every compartment

// The beats from one steady state to the next after a change at the start of
// beat 1: each beat's measures and its loop, thinned to every kTransientThin-th
// sample (enough to draw; the measures come from the full beat).
inline constexpr int kTransientThin = 8;
inline constexpr int kDefaultTransientBeats = 30;
inline constexpr int kMaxTransientBeats = 200;
struct Transient {
    std::vector<Measures> measures; // beat 1..N
    std::vector<Beat> beats; // thinned, beat 1..N
    State end{}; // the state at the start of beat N+1
};

// An occlusion run: filling is cut over kOcclusionBeats beats, integrated
// continuously (the beats are not steady). In the isolated heart the left
// atrial pressure falls linearly to kOcclusionFinalFraction of its value; in
// the whole circulation the venous return to the right heart is throttled to
// that fraction in the same way.
inline constexpr int kOcclusionBeats = 12;
inline constexpr double kOcclusionFinalFraction = 0.4;

struct Occlusion {
    std::vector<Beat> beats; // kOcclusionBeats consecutive beats
    std::vector<Point> endSystole; // each beat's sample of greatest Plv/(V−V0)
    double eesFit = 0; // least-squares slope through endSystole, mmHg/ml
    double v0Fit = 0; // its volume intercept, ml
};

// Integrates the models. Holds the activation curves of the last heart rate
// used, the last beat-map Jacobian (the next warm start begins from it) and
// scratch space. Not thread-safe; give each thread its own.
class Simulator {
public:
    // The periodic beat. From warm (e.g. the previous steady state's start
    // when one parameter moved) it is found in a few beats; without, from a
    // guess. Parameters must be within their ranges. In the whole circulation
    // a warm start whose blood differs from the parameters' is given the
    // difference in its systemic veins.
    SteadyState steady(const Parameters &p, std::optional<State> warm = std::nullopt);

    // One beat from start (with the balloon pump assisting every second or
    // third beat, the whole cycle of that many, starting with the assisted
    // one); returns the state at the next activation onset. If samples is
    // given it receives the beat.
    State beat(const Parameters &p, const State &start, Beat *samples = nullptr);

    // From a steady state, the parameters change to p at the start of beat 1:
    // beats 1..count. Blood added or removed with Volume enters or leaves the
    // systemic veins at that instant.
    Transient transient(const SteadyState &from, const Parameters &p, int count = kDefaultTransientBeats);

    Occlusion occlude(const SteadyState &from);
    // The same into an earlier result, reusing its memory.
    void occlude(const SteadyState &from, Occlusion &into);

private:
    struct BalloonPhase {
        double start = 0; // ml in the balloon at the beat's onset; it empties from there
        double volume = 0; // ml when full
        bool inflate = false; // fills at this beat's dicrotic notch
    };
    // The balloon's part in beat `index` of a run of beats from a state with
    // runStart ml in the balloon.
    static BalloonPhase balloonPhase(const Parameters &p, int index, double runStart);
    void prepare(double hr);
    State integrate(const Parameters &p, State x, Sample *out, double occlusionStart, double occlusionSlope,
        const BalloonPhase &balloon);

    double hr_ = -1;
    int n_ = 0;
    double period_ = 0;
    double step_ = 0;
    std::vector<double> jacobian_; // last beat-map Jacobian, row-major
    ModelKind jacobianModel_ = ModelKind::Heart;
    int jacobianBeats_ = 1;
    double endOfSystole_ = 0; // s after onset: the balloon's inflation when the aortic valve stays shut
    std::vector<double> activation_; // ventricle, at every half step 0..2N
    std::vector<double> atrial_; // atrium, at every half step 0..2N
    // A transient's full beat, measured and thinned: kept, so each transient
    // does not fault in a fresh third of a megabyte.
    Beat transientBeat_;
    std::vector<Sample> transientPrevious_; // the beat before it
};

// Convenience for one-off use (the command line, tests): a fresh Simulator.
SteadyState steadyState(const Parameters &p, std::optional<State> warm = std::nullopt);

// Measures of a steady beat.
inline Measures measure(const SteadyState &s)
{
    return measure(s.beat, s.parameters);
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

} // namespace valthera::model
