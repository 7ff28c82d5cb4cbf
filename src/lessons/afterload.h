#pragma once
// The afterload lesson: how the loop changes when the aortic pressure the
// ventricle must overcome rises from 80 to 90 and 100 mmHg.

#include "lesson/lessondefinition.h"

namespace valthera {

const LessonDefinition &afterloadLesson();

} // namespace valthera
