#pragma once
// Loop Basics: the segments, points, width and area of a pressure-volume loop,
// taught over the cycle schematic, its labelled version and the straight-line
// control chart, with sixteen questions read off that chart.

#include "lesson/lessondefinition.h"

namespace valthera {

const LessonDefinition &basicsLesson();

} // namespace valthera
