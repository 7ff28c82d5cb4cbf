#include "lab/chartmatch.h"

#include <array>

namespace valthera::lab {

using namespace valthera::model;

namespace {

// Pla and R were solved for EDV and DBP with the isolated heart (a two-dimensional
// Newton iteration from Control) and rounded to the spin steps; the model keeps
// them within 0.2 ml and 0.5 mmHg of the charts. ESV is not a target: it follows
// from where ejection ends on the PIP line, and the model's lies within 4 ml of
// the charts' points 4. The preload and contractility charts also move R,
// because they hold the aortic valve's opening at 80 mmHg while a changed
// stroke volume would otherwise move it.
constexpr std::array<ChartMatch, kChartCount> kCharts{{
    {Chart::Control, "Control", "Reproduces the lessons' control loop (the black loop on every chart)", 120, 80, 50, 15,
        0.98, 2.0},
    {Chart::Afterload90, "Afterload90", "Reproduces the lessons' chart \"Afterload = 90 mmHg\" (red loop)", 120, 90,
        56.25, 15, 1.17, 2.0},
    {Chart::Afterload100, "Afterload100", "Reproduces the lessons' chart \"Afterload = 100 mmHg\" (red loop)", 120, 100,
        62.5, 15, 1.38, 2.0},
    {Chart::Preload100, "Preload100", "Reproduces the lessons' chart \"Preload = 100 ml\" (red loop)", 100, 80, 50, 8.5,
        1.29, 2.0},
    {Chart::Preload140, "Preload140", "Reproduces the lessons' chart \"Preload = 140 ml\" (red loop)", 140, 80, 50,
        27.5, 0.79, 2.0},
    {Chart::Contractility125, "Contractility125",
        "Reproduces the lessons' chart \"Contractility = 125% of Control\" (red loop)", 120, 80, 40, 15, 0.87, 2.5},
    {Chart::Contractility75, "Contractility75",
        "Reproduces the lessons' chart \"Contractility = 75% of Control\" (red loop)", 120, 80, 66.7, 15, 1.24, 1.5},
}};

constexpr bool chartsIndexed()
{
    for (std::size_t i = 0; i < kCharts.size(); ++i)
        if (static_cast<std::size_t>(kCharts[i].chart) != i)
            return false;
    return true;
}
static_assert(chartsIndexed(), "the chart table is indexed by Chart");

} // namespace

Parameters ChartMatch::parameters() const
{
    Parameters p(ModelKind::Heart);
    p[Param::Pla] = pla;
    p[Param::R] = r;
    p[Param::Ees] = ees;
    return p;
}

std::span<const ChartMatch, kChartCount> chartMatches()
{
    return kCharts;
}

const ChartMatch &chartMatch(Chart chart)
{
    return kCharts[static_cast<std::size_t>(chart)];
}

const ChartMatch *findChartMatch(std::string_view key)
{
    for (const ChartMatch &c : kCharts)
        if (c.key == key)
            return &c;
    return nullptr;
}

} // namespace valthera::lab
