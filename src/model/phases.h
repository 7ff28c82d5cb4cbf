#pragma once
// The phase of every instant of a beat, read from its flows and its volume,
// so the command line, the lab's cursor and its charts name the same phases
// in every state of the heart and its devices.
//
// Filling while the mitral valve passes forward flow; ejection while the
// aortic valve does. With both valves shut the phase is isovolumic only while
// the volume is constant: while the ventricle's net flow (mitral − aortic −
// pumps) is under kIsovolumicShare of the beat's peak flow. Otherwise the
// volume changes with both valves shut, and the flow that moves it is named.

#include "model/beat.h"

#include <string_view>
#include <vector>

namespace valthera::model {

enum class Phase {
    Filling, // segment E
    IsovolumicContraction, // F
    Ejection, // G
    IsovolumicRelaxation, // H
    ValvesShutVolumeChanging // no segment of the lessons' loop
};

// What moves the volume while both valves are shut.
enum class ShutFlow {
    None, // isovolumic, or a valve open
    MitralRegurgitation, // volume falling: back into the atrium
    AorticRegurgitation, // volume rising: back from the aorta
    PumpEmpties, // volume falling: a pump draws from the ventricle
    PumpFills // volume rising: a slow centrifugal pump runs backwards
};

struct SamplePhase {
    Phase phase = Phase::Filling;
    ShutFlow flow = ShutFlow::None;
    bool operator==(const SamplePhase &) const = default;
};

// A net flow below this share of the beat's peak flow leaves the volume constant.
inline constexpr double kIsovolumicShare = 0.01;

// The phase of every sample of the beat (a record of several beats as one).
std::vector<SamplePhase> beatPhases(const Beat &beat);

// "isovolumic-contraction", "valves-shut-volume-changing": the CSV's words.
std::string_view phaseId(Phase phase);
// "valves shut, volume falling: mitral regurgitation"; for the other phases
// their plain name, "isovolumic contraction".
std::string_view phaseText(const SamplePhase &phase);

} // namespace valthera::model
