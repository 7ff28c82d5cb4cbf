#include "model/parameters.h"

#include <algorithm>
#include <cmath>

namespace valthera::model {

namespace {

using A = Applies;

// Spin steps are chosen so every default is a whole number of steps from the
// minimum or at least exactly representable at the shown decimals. The
// defaults and their sources are listed in docs/model.md.
constexpr std::array<ParamInfo, kParamCount> kParams{{
    {Param::Volume, "Volume", "Preload (blood volume)", "blood added (+) or removed (−) from the resting circulation",
        "ml", 0, 0, -1000, 1000, 10, 0, true, A::Circulation},
    {Param::Pla, "Pla", "Preload (left atrial pressure)", "left atrial (filling) pressure", "mmHg", 15, 15, 2, 35, 0.5,
        1, true, A::Heart},
    {Param::R, "R", "Afterload (peripheral resistance)", "systemic vascular resistance", "mmHg·s/ml", 1.02, 0.98, 0.3,
        3, 0.01, 2, true, A::Both},
    {Param::Ees, "Ees", "Contractility (Ees)", "end-systolic elastance", "mmHg/ml", 2.0, 2.0, 0.5, 5, 0.1, 1, true,
        A::Both},
    {Param::HR, "HR", "Heart rate", "heart rate", "beats/min", 75, 75, 30, 200, 1, 0, true, A::Both},
    {Param::V0, "V0", "Unstressed volume (V0)", "LV volume at zero pressure", "ml", 0, 0, 0, 60, 1, 0, false, A::Both},
    {Param::A, "A", "Diastolic stiffness scale (A)", "LV diastolic stiffness scale", "mmHg", 0.42, 0.42, 0.1, 1, 0.01,
        2, false, A::Both},
    {Param::B, "B", "Diastolic stiffness exponent (B)", "LV diastolic stiffness exponent", "1/ml", 0.03, 0.03, 0.01,
        0.06, 0.001, 3, false, A::Both},
    {Param::Rmv, "Rmv", "Mitral valve resistance", "mitral inflow resistance", "mmHg·s/ml", 0.04, 0.02, 0.002, 0.1,
        0.001, 3, false, A::Both},
    {Param::AVA, "AVA", "Aortic valve area (stenosis)", "aortic valve orifice area", "cm²", 3.5, 3.5, 0.3, 4, 0.1, 1,
        false, A::Both},
    {Param::MVA, "MVA", "Mitral valve area (stenosis)", "mitral valve orifice area", "cm²", 4.0, 4.0, 0.5, 6, 0.1, 1,
        false, A::Both},
    {Param::MROA, "MROA", "Mitral regurgitant orifice", "mitral regurgitant orifice area (0: competent)", "cm²", 0, 0,
        0, 1, 0.05, 2, false, A::Both},
    {Param::AROA, "AROA", "Aortic regurgitant orifice", "aortic regurgitant orifice area (0: competent)", "cm²", 0, 0,
        0, 1, 0.05, 2, false, A::Both},
    {Param::Zc, "Zc", "Aortic impedance (Zc)", "aortic characteristic impedance", "mmHg·s/ml", 0.07, 0.055, 0.01, 0.2,
        0.005, 3, false, A::Both},
    {Param::C, "C", "Arterial compliance", "total arterial compliance", "ml/mmHg", 2.2, 3.8, 0.3, 4, 0.1, 1, false,
        A::Both},
    // Support devices, whole circulation only. docs/model.md gives each one's
    // equations and the published figures its coefficients come from.
    {Param::IABP, "IABP", "Balloon pump (assists 1 in n beats)",
        "intra-aortic balloon pump: 0 off, 1, 2 or 3 (assisting every beat, every second, every third)", "", 0, 0, 0, 3,
        1, 0, false, A::Circulation, true, 0, true},
    {Param::IABPvol, "IABPvol", "Balloon volume", "intra-aortic balloon volume", "ml", 40, 40, 20, 50, 1, 0, false,
        A::Circulation, true},
    {Param::Axial, "Axial", "Axial pump speed", "transvalvular axial pump, LV to aorta (0: off)", "krpm", 0, 0, 0, 50,
        1, 0, false, A::Circulation, true, 20},
    {Param::LVAD, "LVAD", "Centrifugal LVAD speed", "centrifugal LV assist device, LV apex to aorta (0: off)", "rpm", 0,
        0, 0, 6000, 100, 0, false, A::Circulation, true, 2000},
    {Param::ECMO, "ECMO", "VA-ECMO flow", "veno-arterial ECMO, right atrium to arteries (0: off)", "l/min", 0, 0, 0, 6,
        0.1, 1, false, A::Circulation, true},
}};

constexpr bool paramsIndexed()
{
    for (std::size_t i = 0; i < kParams.size(); ++i)
        if (static_cast<std::size_t>(kParams[i].id) != i)
            return false;
    return true;
}
static_assert(paramsIndexed(), "the parameter table is indexed by Param");

} // namespace

bool appliesTo(const ParamInfo &i, ModelKind model)
{
    return i.applies == Applies::Both || (i.applies == Applies::Circulation) == (model == ModelKind::Circulation);
}

double defaultValue(const ParamInfo &i, ModelKind model)
{
    return model == ModelKind::Heart ? i.heartDefault : i.defaultValue;
}

bool isSetting(const ParamInfo &i, double v)
{
    if (!(v >= i.min && v <= i.max))
        return false;
    if (i.lowestOn > 0 && v > i.min && v < i.lowestOn)
        return false;
    return !i.whole || v == std::round(v);
}

double toSetting(const ParamInfo &i, double value, double from)
{
    value = std::clamp(value, i.min, i.max);
    if (i.whole)
        value = std::round(value);
    if (i.lowestOn > 0 && value > i.min && value < i.lowestOn)
        value = value > from ? i.lowestOn : i.min;
    return value;
}

double legalValue(const ParamInfo &i, double value, double from)
{
    const double scale = std::pow(10.0, i.decimals);
    // Adding zero turns a rounded -0 into 0.
    const double rounded = std::round(std::clamp(value, i.min, i.max) * scale) / scale + 0.0;
    return toSetting(i, rounded, from);
}

bool deviceOn(const Parameters &p)
{
    return p[Param::IABP] > 0 || p[Param::Axial] > 0 || p[Param::LVAD] > 0 || p[Param::ECMO] > 0;
}

int cycleBeats(const Parameters &p)
{
    return p[Param::IABP] >= 2 ? static_cast<int>(p[Param::IABP]) : 1;
}

std::span<const ParamInfo, kParamCount> parameterTable()
{
    return kParams;
}

const ParamInfo &info(Param p)
{
    return kParams[static_cast<std::size_t>(p)];
}

const ParamInfo *findParameter(std::string_view name)
{
    for (const ParamInfo &i : kParams)
        if (i.name == name)
            return &i;
    return nullptr;
}

std::string_view modelName(ModelKind model)
{
    return model == ModelKind::Circulation ? "Whole circulation" : "Isolated heart";
}

Parameters::Parameters()
    : Parameters(ModelKind::Circulation)
{
}

Parameters::Parameters(ModelKind m)
    : model(m)
{
    for (const ParamInfo &i : kParams)
        values_[static_cast<std::size_t>(i.id)] = defaultValue(i, m);
}

std::optional<Param> Parameters::firstOutOfRange() const
{
    for (const ParamInfo &i : kParams) {
        if (!isSetting(i, (*this)[i.id]))
            return i.id;
    }
    return std::nullopt;
}

} // namespace valthera::model
