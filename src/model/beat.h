#pragma once
// The compartments of the models, their state, and a beat as samples in time.
// (The beat's clock, its period and activations, is in activation.h.)

#include "model/activation.h"
#include "model/parameters.h"

#include <array>
#include <string_view>
#include <vector>

namespace valthera::model {

// ---------------------------------------------------------------------------
// Compartments and state

// The blood-holding parts of the model. The isolated heart uses only the left
// ventricle and the systemic arteries.
enum class Compartment { LV, SA, SV, RV, PA, PV, LA };
inline constexpr std::size_t kCompartmentCount = 7;
// Short names, for the CSV columns: "LV", "SA", "SV", "RV", "PA", "PV", "LA".
std::string_view compartmentName(Compartment c);

// The volume of every compartment, ml (total volumes, unstressed included).
using State = std::array<double, kCompartmentCount>;
inline double &at(State &s, Compartment c)
{
    return s[static_cast<std::size_t>(c)];
}
inline double at(const State &s, Compartment c)
{
    return s[static_cast<std::size_t>(c)];
}

// All the blood in the model (the isolated heart: ventricle and arteries).
double totalVolume(const State &s, ModelKind model);
// The blood the whole circulation holds for these parameters: the resting
// amount plus the Volume parameter.
double circulatingVolume(const Parameters &p);

// ---------------------------------------------------------------------------
// Beats

// Everything at one instant of a beat. Pressures in mmHg, flows in ml/s.
struct Sample {
    double t; // s since this beat's ventricular activation onset
    double V; // LV volume, ml
    double Pc; // arterial compliance pressure
    double Plv; // LV pressure
    double Pao; // aortic pressure Pc + Zc·Qav
    double Pla; // left atrial pressure (the isolated heart: its fixed filling pressure)
    double Qmv; // mitral flow into the ventricle (negative: regurgitation)
    double Qav; // aortic flow out of the ventricle (negative: regurgitation)
    double e; // ventricular activation, 0..~1
    double ea; // atrial activation, 0..1 (0 in the isolated heart)
    double Pra; // right atrial (systemic venous) pressure; 0 in the isolated heart
    double Prv; // right ventricular pressure; 0 in the isolated heart
    double Ppa; // pulmonary arterial pressure; 0 in the isolated heart
    double Ppv; // pulmonary venous pressure; 0 in the isolated heart
    State volumes; // every compartment's volume
    double Qpump = 0; // all support devices' flow into the systemic arteries
    double Vballoon = 0; // the balloon pump's volume, ml
    bool suction = false; // a pump's inflow limited by an emptied ventricle
    bool drainageLimited = false; // VA-ECMO short of its set flow
    double QpumpLv = 0; // the pumps' flow out of the LV (axial and LVAD; negative: backwards), ml/s
};

struct Point {
    double V; // ml
    double P; // mmHg
};

// Samples of one beat at t = k·step, k = 0..N-1, with t = 0 at activation onset.
// With the balloon pump assisting every second or third beat the steady state
// is a cycle of that many beats, recorded one after the other in one Beat:
// `beats` of them, each N samples, t counting on from the first onset.
inline constexpr int kMaxCycleBeats = 3;
struct Beat {
    ModelKind model = ModelKind::Heart;
    double period = 0; // the whole record: beats·60/HR, s
    double step = 0; // h = T/N, s
    double atrialOnset = -1; // s, in the first beat; the atrium's activation onset, -1 where there is no atrium
    std::vector<Sample> samples;
    int beats = 1;
    // Which beats of the record are balloon-assisted: their systole follows
    // a deflation, their aortic end-diastolic pressure is the assisted one.
    std::array<bool, kMaxCycleBeats> assisted{};
};

} // namespace valthera::model
