#pragma once
// What the lab's charts show of a session: the figures the chart drawings
// draw, filled from a LabSession and the cursor.

#include "lab/pvfigure.h"
#include "lab/timefigure.h"

namespace valthera::lab {

class BeatCursor;
class LabSession;

// The figures refer to the session's beats: they last until the session next changes.
// The cursor, when given one with a beat, is marked.
PvFigure pvFigure(const LabSession &session, const BeatCursor *cursor = nullptr);
// The beat on show, or beat in its place (a transient's next beat drawn ahead).
TimeFigure timeFigure(const LabSession &session, const BeatCursor *cursor = nullptr, const Beat *beat = nullptr);

} // namespace valthera::lab
