#pragma once
// The preload lesson: how the loop changes when the end-diastolic volume is
// 100 or 140 ml instead of 120 ml.

#include "lesson/lessondefinition.h"

namespace valthera {

const LessonDefinition &preloadLesson();

} // namespace valthera
