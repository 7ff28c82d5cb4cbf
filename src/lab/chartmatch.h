#pragma once
// The lessons' fixed loop charts, reproduced by the model: for each chart, the
// parameters whose steady beat fills to the chart's point 1 volume, opens the
// aortic valve at its point 2 pressure and ends ejection on its PIP line.
// Plain C++: the lab receives a chart by its key and shows these parameters.

#include "model/model.h"

#include <span>
#include <string_view>

namespace valthera::lab {

using namespace valthera::model;

// One per loop of the lessons' loop table, in its order.
enum class Chart { Control, Afterload90, Afterload100, Preload100, Preload140, Contractility125, Contractility75 };
inline constexpr std::size_t kChartCount = 7;

struct ChartMatch {
    Chart chart;
    std::string_view key; // "Afterload100"
    std::string_view description; // one line for the lab, naming the chart
    // The chart's own numbers: point 1 volume, point 2 pressure, point 4 volume.
    double edv;
    double dbp;
    double esv;
    // The reproducing values; every other parameter keeps its default. Ees is
    // the chart's PIP-line slope (its V0 is 0); Pla sets EDV on the filling
    // curve and R the pressure at which the aortic valve opens. Pla and R sit
    // on the window's spin steps so the controls show them exactly.
    double pla;
    double r;
    double ees;

    Parameters parameters() const;
};

// Every chart, indexed by Chart.
std::span<const ChartMatch, kChartCount> chartMatches();
const ChartMatch &chartMatch(Chart chart);
// The chart with exactly this key, or nullptr.
const ChartMatch *findChartMatch(std::string_view key);

} // namespace valthera::lab
