#include "model/phases.h"

#include <algorithm>
#include <cmath>

namespace valthera::model {

namespace {

// The largest flow of the beat through either valve or the pumps: the scale
// against which a net flow is too small to name.
double peakFlow(const std::vector<Sample> &samples)
{
    double peak = 0;
    for (const Sample &s : samples)
        peak = std::max({peak, std::abs(s.Qmv), std::abs(s.Qav), std::abs(s.QpumpLv)});
    return peak;
}

// With both valves shut: which flow moves the volume in the direction it goes.
ShutFlow cause(const Sample &s, double net)
{
    // Each flow's part in the ventricle's rate of change.
    const double mitral = s.Qmv, aortic = -s.Qav, pump = -s.QpumpLv;
    const double sign = net > 0 ? 1 : -1;
    double best = 0;
    ShutFlow which = ShutFlow::None;
    auto consider = [&](double part, ShutFlow filling, ShutFlow emptying) {
        if (part * sign > best) {
            best = part * sign;
            which = part > 0 ? filling : emptying;
        }
    };
    consider(mitral, ShutFlow::None, ShutFlow::MitralRegurgitation);
    consider(aortic, ShutFlow::AorticRegurgitation, ShutFlow::None);
    consider(pump, ShutFlow::PumpFills, ShutFlow::PumpEmpties);
    return which;
}

// An isovolumic stretch after filling is contraction and one after ejection
// relaxation, whatever the pressure does on the way (at the end of a slow
// beat it drifts down a little as the last activation fades). Where neither
// valve ever opens, the pressure's trend decides.
void nameIsovolumic(const std::vector<Sample> &s, std::vector<SamplePhase> &out)
{
    const std::size_t n = s.size();
    const auto open = std::find_if(out.begin(), out.end(),
        [](const SamplePhase &p) { return p.phase == Phase::Filling || p.phase == Phase::Ejection; });
    const std::size_t first = open == out.end() ? 0 : static_cast<std::size_t>(open - out.begin());
    Phase last = open == out.end() ? Phase::ValvesShutVolumeChanging : open->phase;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = (first + i) % n;
        SamplePhase &p = out[k];
        if (p.phase == Phase::Filling || p.phase == Phase::Ejection) {
            last = p.phase;
            continue;
        }
        if (p.phase != Phase::IsovolumicContraction)
            continue;
        if (last == Phase::Filling)
            continue;
        if (last == Phase::Ejection)
            p.phase = Phase::IsovolumicRelaxation;
        else if (s[(k + 1) % n].Plv < s[k].Plv)
            p.phase = Phase::IsovolumicRelaxation;
    }
}

} // namespace

std::vector<SamplePhase> beatPhases(const Beat &beat)
{
    const auto &s = beat.samples;
    const std::size_t n = s.size();
    std::vector<SamplePhase> out(n);
    const double still = kIsovolumicShare * peakFlow(s);
    for (std::size_t k = 0; k < n; ++k) {
        const Sample &x = s[k];
        SamplePhase &p = out[k];
        if (x.Qav > 0) {
            p.phase = Phase::Ejection;
            continue;
        }
        if (x.Qmv > 0) {
            p.phase = Phase::Filling;
            continue;
        }
        const double net = x.Qmv - x.Qav - x.QpumpLv;
        if (std::abs(net) >= still && still > 0) {
            p.phase = Phase::ValvesShutVolumeChanging;
            p.flow = cause(x, net);
            continue;
        }
        p.phase = Phase::IsovolumicContraction; // which of the two: below
    }
    nameIsovolumic(s, out);
    return out;
}

std::string_view phaseId(Phase phase)
{
    switch (phase) {
    case Phase::Filling:
        return "filling";
    case Phase::IsovolumicContraction:
        return "isovolumic-contraction";
    case Phase::Ejection:
        return "ejection";
    case Phase::IsovolumicRelaxation:
        return "isovolumic-relaxation";
    case Phase::ValvesShutVolumeChanging:
        return "valves-shut-volume-changing";
    }
    return {};
}

std::string_view phaseText(const SamplePhase &phase)
{
    switch (phase.phase) {
    case Phase::Filling:
        return "filling";
    case Phase::IsovolumicContraction:
        return "isovolumic contraction";
    case Phase::Ejection:
        return "ejection";
    case Phase::IsovolumicRelaxation:
        return "isovolumic relaxation";
    case Phase::ValvesShutVolumeChanging:
        break;
    }
    switch (phase.flow) {
    case ShutFlow::MitralRegurgitation:
        return "valves shut, volume falling: mitral regurgitation";
    case ShutFlow::AorticRegurgitation:
        return "valves shut, volume rising: aortic regurgitation";
    case ShutFlow::PumpEmpties:
        return "valves shut, volume falling: the pump empties the ventricle";
    case ShutFlow::PumpFills:
        return "valves shut, volume rising: the pump runs backwards into the ventricle";
    case ShutFlow::None:
        break;
    }
    return "valves shut, volume changing";
}

} // namespace valthera::model
