#pragma once
// Relation to Cardiac Cycle: how the events of the pressure-against-time panel
// map onto the points and segments of the loop, with twenty questions read off
// the cycle schematic, which stays on view throughout.

#include "lesson/lessondefinition.h"

namespace valthera {

const LessonDefinition &cardiacCycleLesson();

} // namespace valthera
