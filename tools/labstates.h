#pragma once
// The Loop Lab as the README's screenshots show it: one row per picture, its
// file name and how to set the lab up for it. A new screenshot of the lab is a
// new row here and a line in the README.

#include <span>

namespace valthera {
class LoopLabWindow;
}

struct LabState {
    const char *file; // in docs/screenshots, without ".png"
    // Works the freshly opened lab (at Control, in the whole circulation) into
    // the state the README describes, as a student would.
    void (*setUp)(valthera::LoopLabWindow &lab);
};

std::span<const LabState> labStates();

// Lets the lab finish what it started: the solve and the beats after a change
// (skipped to the new steady beat), then, unless Before, the read-out of what
// changed, which takes the place of the line naming the exercise or chart shown.
enum class Reading { After, Before };
void settleLab(valthera::LoopLabWindow &lab, Reading reading = Reading::After);
