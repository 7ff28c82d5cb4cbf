#pragma once
// Ready-made conditions for the Loop Lab: each is Control with the few
// parameters its name is about changed.

#include "lab/model.h"

#include <span>
#include <string_view>

namespace valthera::lab {

struct PresetChange {
    Param parameter;
    double value;
};

struct Preset {
    std::string_view name; // "Increased afterload"
    std::string_view summary; // one sentence for the window; the values are in changes
    std::span<const PresetChange> changes; // from Control's values

    Parameters parameters() const;
};

// Control first, then the single changes, then the diseases.
std::span<const Preset> presets();
// The preset of exactly that name, or nullptr.
const Preset *findPreset(std::string_view name);

} // namespace valthera::lab
