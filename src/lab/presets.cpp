#include "lab/presets.h"

#include <array>

namespace valthera::lab {

namespace {

// Magnitudes are moderate-to-severe so that each change is plain on the loop
// while every measure stays within what the condition shows in patients.
constexpr std::array<PresetChange, 1> kAfterload{{{Param::R, 1.6}}};
constexpr std::array<PresetChange, 1> kPreload{{{Param::Pla, 22}}};
constexpr std::array<PresetChange, 1> kContractility{{{Param::Ees, 3.2}}};
// A dilated, weak ventricle: lower elastance, its unstressed volume moved right.
constexpr std::array<PresetChange, 3> kHfref{{{Param::Ees, 0.8}, {Param::V0, 20}, {Param::Pla, 24}}};
constexpr std::array<PresetChange, 3> kHfpef{{{Param::A, 0.6}, {Param::B, 0.038}, {Param::Pla, 24}}};
constexpr std::array<PresetChange, 1> kHypovolaemia{{{Param::Pla, 7}}};
constexpr std::array<PresetChange, 1> kStenosis{{{Param::Rav, 0.2}}};
constexpr std::array<PresetChange, 1> kMitral{{{Param::Gmr, 1.5}}};
constexpr std::array<PresetChange, 1> kAortic{{{Param::Gar, 1.0}}};

const std::array<Preset, 10> kPresets{{
    {"Control", "A healthy heart at rest.", {}},
    {"Increased afterload", "Peripheral resistance raised.", kAfterload},
    {"Increased preload", "Left atrial (filling) pressure raised.", kPreload},
    {"Increased contractility", "End-systolic elastance raised.", kContractility},
    {"Heart failure with reduced EF",
        "A dilated, weak ventricle (end-systolic elastance lowered) filled at a raised pressure.", kHfref},
    {"Heart failure with preserved EF", "A stiff ventricle (steeper diastolic curve) filled at a raised pressure.",
        kHfpef},
    {"Hypovolaemia", "Left atrial (filling) pressure lowered.", kHypovolaemia},
    {"Aortic stenosis", "Aortic valve resistance raised.", kStenosis},
    {"Mitral regurgitation", "The mitral valve leaks back into the atrium during systole.", kMitral},
    {"Aortic regurgitation", "The aortic valve leaks back into the ventricle during diastole.", kAortic},
}};

} // namespace

Parameters Preset::parameters() const
{
    Parameters p;
    for (const PresetChange &c : changes)
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

} // namespace valthera::lab
