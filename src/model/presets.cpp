#include "model/presets.h"

#include <array>

namespace valthera::model {

namespace {

// Whole circulation: each condition as patients with it typically present,
// with the body's long-term answers (fluid retained, vessels constricted)
// where the condition brings them. docs/model.md gives the targets.
constexpr std::array<PresetChange, 1> kAfterload{{{Param::R, 1.6}}};
constexpr std::array<PresetChange, 1> kPreload{{{Param::Volume, 500}}};
constexpr std::array<PresetChange, 1> kContractility{{{Param::Ees, 3.2}}};
// A weak, dilated ventricle (both relations moved right), fluid retained, vessels constricted.
constexpr std::array<PresetChange, 4> kHfref{
    {{Param::Ees, 1.1}, {Param::V0, 60}, {Param::Volume, 200}, {Param::R, 1.3}}};
// A stiff, hypertensive ventricle: diastolic curve steeper, Ees and Ea raised.
constexpr std::array<PresetChange, 5> kHfpef{
    {{Param::A, 0.6}, {Param::B, 0.04}, {Param::Ees, 3.5}, {Param::R, 1.6}, {Param::Volume, 200}}};
constexpr std::array<PresetChange, 1> kHypovolaemia{{{Param::Volume, -500}}};
constexpr std::array<PresetChange, 1> kStenosis{{{Param::AVA, 0.7}}};
constexpr std::array<PresetChange, 1> kMitral{{{Param::MROA, 0.4}}};
constexpr std::array<PresetChange, 1> kAortic{{{Param::AROA, 0.3}}};
constexpr std::array<PresetChange, 1> kMitralStenosis{{{Param::MVA, 1.0}}};

// Isolated heart: the filling pressure stands in for the blood volume.
constexpr std::array<PresetChange, 1> kHeartPreload{{{Param::Pla, 22}}};
constexpr std::array<PresetChange, 3> kHeartHfref{{{Param::Ees, 0.8}, {Param::V0, 20}, {Param::Pla, 24}}};
constexpr std::array<PresetChange, 3> kHeartHfpef{{{Param::A, 0.6}, {Param::B, 0.038}, {Param::Pla, 24}}};
constexpr std::array<PresetChange, 1> kHeartHypovolaemia{{{Param::Pla, 7}}};

const std::array<Preset, 11> kPresets{{
    {"control", "Control", "A healthy heart at rest.", {}, {}},
    {"afterload", "Increased afterload", "Peripheral resistance raised.", kAfterload, kAfterload},
    {"preload", "Increased preload", "More blood volume (isolated heart: filling pressure raised).", kPreload,
        kHeartPreload},
    {"contractility", "Increased contractility", "End-systolic elastance raised.", kContractility, kContractility},
    {"hfref", "Heart failure with reduced EF",
        "A weak, dilated ventricle, fluid retained and vessels constricted (isolated heart: filled at a raised "
        "pressure).",
        kHfref, kHeartHfref},
    {"hfpef", "Heart failure with preserved EF",
        "A stiff ventricle, hypertensive, with end-systolic and arterial elastance raised (isolated heart: a stiff "
        "ventricle filled at a raised pressure).",
        kHfpef, kHeartHfpef},
    {"hypovolaemia", "Hypovolaemia", "500 ml of blood lost (isolated heart: filling pressure lowered).", kHypovolaemia,
        kHeartHypovolaemia},
    {"aortic-stenosis", "Aortic stenosis", "Aortic valve area narrowed to 0.7 cm².", kStenosis, kStenosis},
    {"mitral-regurgitation", "Mitral regurgitation", "The mitral valve leaks back into the atrium during systole.",
        kMitral, kMitral},
    {"aortic-regurgitation", "Aortic regurgitation", "The aortic valve leaks back into the ventricle during diastole.",
        kAortic, kAortic},
    {"mitral-stenosis", "Mitral stenosis", "Mitral valve area narrowed to 1.0 cm².", kMitralStenosis, kMitralStenosis},
}};

} // namespace

Parameters Preset::parameters(ModelKind model) const
{
    Parameters p(model);
    for (const PresetChange &c : model == ModelKind::Circulation ? circulation : heart)
        p[c.parameter] = c.value;
    return p;
}

std::span<const Preset> presets()
{
    return kPresets;
}

const Preset *findPreset(std::string_view name)
{
    for (const Preset &p : kPresets)
        if (p.name == name)
            return &p;
    return nullptr;
}

const Preset *findPresetById(std::string_view id)
{
    for (const Preset &p : kPresets)
        if (p.id == id)
            return &p;
    return nullptr;
}

} // namespace valthera::model
