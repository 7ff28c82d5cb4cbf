#pragma once
// What the student can set in the Loop Lab's model, one table for the window,
// the command line and the tests: name, meaning, unit, default, range and
// spin step of every parameter, and which of the two models it belongs to.
//
// Units throughout the model: ml, mmHg, s (flows in ml/s), areas in cm².

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace valthera::model {

// The whole circulation (a closed loop of both hearts and both vascular beds)
// and the isolated left heart (filled from a fixed atrial pressure, ejecting
// into a three-element arterial load).
enum class ModelKind { Circulation, Heart };

// In the order the window lists them: the primary controls first.
// The support devices come last: IABP (balloon pump assist ratio), IABPvol
// (its volume), Axial (transvalvular pump speed), LVAD (centrifugal pump
// speed), ECMO (veno-arterial flow). All are off by default.
enum class Param {
    Volume,
    Pla,
    R,
    Ees,
    HR,
    V0,
    A,
    B,
    Rmv,
    AVA,
    MVA,
    MROA,
    AROA,
    Zc,
    C,
    IABP,
    IABPvol,
    Axial,
    LVAD,
    ECMO
};
inline constexpr std::size_t kParamCount = 20;

enum class Applies { Both, Circulation, Heart };

struct ParamInfo {
    Param id;
    std::string_view name; // as typed on the command line, e.g. "Pla"
    std::string_view label; // as the lessons name it, e.g. "Preload (left atrial pressure)"
    std::string_view meaning; // one line for tooltips and --help
    std::string_view unit; // UTF-8, e.g. "mmHg·s/ml"
    double defaultValue; // in the whole circulation
    double heartDefault; // in the isolated heart, where it keeps the lessons' control loop
    double min; // inclusive
    double max; // inclusive
    double step; // one spin-box step
    int decimals; // shown in a spin box; every default and step is exact at this many
    bool primary; // one of the four main controls of its model; the rest sit under "More"
    Applies applies;
    // A support device's control: shown in the "Support" group.
    bool support = false;
    // Above zero, the device is off at min (0) and runs only from here to max:
    // values between are not settings.
    double lowestOn = 0;
    // Only whole numbers are settings (the balloon pump's assist ratio).
    bool whole = false;
};

bool appliesTo(const ParamInfo &info, ModelKind model);
double defaultValue(const ParamInfo &info, ModelKind model);
// Whether value is a setting of this parameter: in range, not in a device's
// gap between off and its lowest running value, whole where it must be.
bool isSetting(const ParamInfo &info, double value);
// A value moved from `from` towards `value` brought to the nearest setting in
// that direction: a device switched on from off starts at its lowest running
// value, one turned down below it goes off.
double toSetting(const ParamInfo &info, double value, double from);
// The value a control may set, the one rule for the lab's session and its
// boxes: clamped to the range (never cut short), rounded to the shown
// decimals, then brought to a setting as toSetting does.
double legalValue(const ParamInfo &info, double value, double from);

// Every parameter, indexed by Param (so table[size_t(p)].id == p).
std::span<const ParamInfo, kParamCount> parameterTable();
const ParamInfo &info(Param p);
// The parameter with exactly this name, or nullptr.
const ParamInfo *findParameter(std::string_view name);

std::string_view modelName(ModelKind model); // "Whole circulation", "Isolated heart"

// One value per parameter and the model they run in; default-constructed to
// the table's defaults of that model (the whole circulation unless named).
class Parameters {
public:
    Parameters();
    explicit Parameters(ModelKind model);
    double operator[](Param p) const { return values_[static_cast<std::size_t>(p)]; }
    double &operator[](Param p) { return values_[static_cast<std::size_t>(p)]; }
    ModelKind model = ModelKind::Circulation;
    // The first parameter outside its range, or nullopt when all are inside.
    std::optional<Param> firstOutOfRange() const;
    bool operator==(const Parameters &) const = default;

private:
    std::array<double, kParamCount> values_;
};

// Any support device running.
bool deviceOn(const Parameters &p);
// Beats in the steady cycle: the balloon pump's assist ratio when it runs, else 1.
int cycleBeats(const Parameters &p);

} // namespace valthera::model
