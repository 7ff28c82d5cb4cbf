#pragma once
// A loop chart can ask to be explored in the Loop Lab. The diagrams know
// nothing of the lab: the program sets a handler at start-up, and only while
// one is set do charts offer the command, so nothing changes without a lab.

#include "diagrams/loopgeometry.h"
#include "diagrams/pictures.h"

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace valthera {

class PictureBox;

// Receives the chart's changed loop (Control for a chart of the control loop alone).
using ExploreHandler = std::function<void(LoopId changedLoop)>;

// An empty handler withdraws the command from every chart.
void setExploreHandler(ExploreHandler handler);
bool hasExploreHandler();

// The loop a picture asks to explore: a chart's red loop, Control for a chart
// that draws the control loop alone; nullopt for a schematic.
std::optional<LoopId> exploredLoop(PictureId id);

// Hands the picture's loop to the handler. False, doing nothing, for a
// schematic or while no handler is set.
bool explore(PictureId id);

// The one command of a chart's context menu.
QString exploreCommandText();

// The keyboard ways to a window's chart on view: Ctrl+L explores it at once,
// Shift+F10 and the context-menu key open its menu. A key or keyboard
// context-menu event is taken only when no control of the window used it, a
// chart is on view (chartOnView may return nullptr or a schematic) and a
// handler is set.
void addExploreKeys(QWidget *window, std::function<PictureBox *()> chartOnView);

} // namespace valthera
