#pragma once
// The contractility lesson: how the loop changes at 75 % and 125 % of the
// control contractility.

#include "lesson/lessondefinition.h"

namespace valthera {

const LessonDefinition &contractilityLesson();

} // namespace valthera
