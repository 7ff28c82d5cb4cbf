#pragma once
// The measures of a beat, as a clinician or a physiologist reads them, and
// the instants of its valve events.

#include "model/beat.h"
#include "model/parameters.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace valthera::model {

enum class Measure {
    EDV,
    ESV,
    SV,
    EF,
    SBP,
    DBP,
    MAP,
    ESP,
    EDP,
    CO,
    SW,
    Ea, // the first twelve
    LVSP,
    LAP,
    RAP,
    PAP,
    PFR,
    AtrialShare,
    RF,
    PeakGradient,
    MitralGradient,
    AVFlow,
    PumpFlow,
    Suction,
    DrainageLimited
};
inline constexpr std::size_t kMeasureCount = 25;

struct MeasureInfo {
    Measure id;
    std::string_view name; // "EDV"; also the command line's JSON key
    std::string_view title; // "End-diastolic volume": the clinical words a panel shows
    std::string_view abbreviation; // "EDV", as clinicians write it; empty where they have none
    std::string_view meaning; // "end-diastolic volume"
    std::string_view unit; // "ml"; empty for a fraction
    int decimals; // for display
    bool circulationOnly; // no value (NaN) in the isolated heart
    bool flag = false; // 1 or 0: true or false, yes or no
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

// EDV: the volume at the end of filling, the largest from activation onset
// (or the mitral valve's closure before it, in the beat's last samples, or
// the previous beat's) to the smallest; ESV: smallest V;
// SV = EDV−ESV; EF = SV/EDV; SBP/DBP: largest and smallest Pao; MAP: mean
// Pao; ESP: Plv at the end-systolic sample; EDP: Plv at activation onset; CO:
// the mean flow into the systemic arteries, heart (Qav) and devices, in l/min;
// SW: area inside the loop; Ea = ESP/SV; LVSP: largest Plv;
// LAP, RAP, PAP: mean left atrial, right atrial, pulmonary arterial pressure;
// PFR: peak forward mitral flow / EDV (EDV/s); AtrialShare: the share of the
// beat's forward mitral inflow that enters from the atrium's activation onset
// to mitral closure; RF: backward volume through both left-heart valves /
// (forward aortic + backward mitral volume); PeakGradient: largest Plv − Pao
// while the aortic valve is open; MitralGradient: mean Pla − Plv while mitral
// flow is forward (how mitral stenosis is graded); AVFlow: mean forward Qav, l/min; PumpFlow:
// mean device flow, l/min; Suction, DrainageLimited: whether a pump was
// starved by an emptied ventricle, or the ECMO short of its flow, at any
// instant. A record of several beats (a balloon pump's cycle) is measured
// beat by beat and combined as for combine().
Measures measure(const Beat &beat, const Parameters &p);
// A beat that is not periodic (one after a change), one beat long, measured
// with the samples of the beat before it, which hold the end of the filling
// that precedes it.
Measures measure(const Beat &beat, const Parameters &p, std::span<const Sample> before);

// Several beats as one: extremes (SBP, LVSP, PeakGradient the highest, DBP
// the lowest), flags if any beat raised them, the rest the mean, with EF and
// Ea from the mean volumes and pressures.
Measures combine(std::span<const Measures> beats);

// The beats of a record, each on its own (t from its own onset).
std::vector<Beat> splitBeats(const Beat &beat);

// A balloon pump's cycle of two or three beats, the assisted beat's measures
// and the unassisted beats' combined.
struct AssistSplit {
    Measures assisted;
    Measures unassisted;
};
std::optional<AssistSplit> assistSplit(const Beat &beat, const Parameters &p);

// The sample of greatest Plv/(V−V0): end systole on the elastance view.
int endSystolicSample(const Beat &beat, double v0);
Point endSystolicPoint(const Beat &beat, double v0);

// Sample indices of the numbered points of the loop, -1 where the event does
// not happen in the beat. A valve is open while flow through it is forward.
struct ValveEvents {
    int mitralClose = -1; // point 1, end of filling
    int aorticOpen = -1; // point 2, end of isovolumic contraction
    int peakPressure = -1; // point 3, greatest Plv
    int aorticClose = -1; // point 4, end of ejection
    int mitralOpen = -1; // point 5, end of isovolumic relaxation
    int atrialOnset = -1; // onset of the atrial contraction; -1 without an atrium
};
ValveEvents valveEvents(const Beat &beat);
// Time in s of a sample index (negative for -1).
inline double timeOf(const Beat &beat, int index)
{
    return index < 0 ? -1.0 : index * beat.step;
}

} // namespace valthera::model
