#pragma once
// Ready-made conditions: each is Control with the few parameters its name is
// about changed, in either model.

#include "model/parameters.h"

#include <span>
#include <string_view>

namespace valthera::model {

struct PresetChange {
    Param parameter;
    double value;
};

struct Preset {
    std::string_view id; // on the command line: "aortic-stenosis"
    std::string_view name; // in the window: "Aortic stenosis"
    std::string_view summary; // one sentence for the window; the values are in the changes
    std::span<const PresetChange> circulation; // from Control's values, whole circulation
    std::span<const PresetChange> heart; // from Control's values, isolated heart

    Parameters parameters(ModelKind model) const;
};

// Control first, then the single changes, then the diseases.
std::span<const Preset> presets();
// The preset of exactly that name, or nullptr.
const Preset *findPreset(std::string_view name);
const Preset *findPresetById(std::string_view id);

} // namespace valthera::model
