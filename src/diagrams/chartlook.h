#pragma once
// What every pressure-volume and time chart of the program shares, the
// lessons' and the lab's: the plot's green under a thin black frame and grid,
// the white axis lines just outside the frame with ticks pointing out, the
// tick labels' size, and the loop's line and numbered markers. Lengths are in
// a chart's own pixels (a lesson's design box, a lab chart at zoom 1); each
// chart scales them as it grows. The surround is the windows' blue (look.h).

#include <QColor>

namespace valthera::chartlook {

inline QColor plotGreen()
{
    return {0, 255, 0};
}

inline constexpr double kFrameWidth = 1; // the black frame and grid, the white axes
inline constexpr double kAxisGap = 2; // between the frame and the white axis line
inline constexpr double kTick = 5; // a labelled tick's length
inline constexpr double kTickLabelPixels = 12;
inline constexpr double kLoopWidth = 3;
inline constexpr double kMarkerRadius = 4.5;
inline constexpr double kMarkerRim = 1.5;

} // namespace valthera::chartlook
