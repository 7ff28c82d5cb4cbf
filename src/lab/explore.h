#pragma once
// How the lessons' charts reach the Loop Lab. A chart asks, through the
// diagrams' explore handler, to be explored; the program shows the "LoopLab"
// screen and, when that window is a ChartExplorer, hands it the chart. A lab
// window without it is only shown.

#include "diagrams/loopgeometry.h"
#include "lab/chartmatch.h"

namespace valthera::lab {

using namespace valthera::model;

class ChartExplorer {
public:
    virtual ~ChartExplorer() = default;
    // Show the chart's reproduction: chart.parameters(), with chart.description.
    virtual void exploreChart(const ChartMatch &chart) = 0;
};

// The reproduction of a loop of the lessons' loop table.
const ChartMatch &chartMatchFor(LoopId loop);

} // namespace valthera::lab
