#pragma once
// The look of the lab's two charts, apart from what they show: the colours of
// each line, the sizes of text and pens, and the zoom rule. Lengths are in
// pixels at zoom 1; text, pens and margins grow with the zoom.

#include "diagrams/chartlook.h"

#include <QColor>
#include <QFont>

namespace valthera::lab {

namespace chartsize {
inline constexpr double kTitlePixels = 17;
inline constexpr double kTickPixels = chartlook::kTickLabelPixels;
inline constexpr double kAxisTitlePixels = 13;
inline constexpr double kPointLabelPixels = 12;
inline constexpr double kLegendPixels = 12;
inline constexpr double kLoopWidth = chartlook::kLoopWidth;
inline constexpr double kLineWidth = 2;
inline constexpr double kMarkerRadius = chartlook::kMarkerRadius;
inline constexpr double kTick = chartlook::kTick;
} // namespace chartsize

struct ChartStyle {
    // The program's zoom: 1 at the design size.
    double zoom = 1;

    // A length at zoom 1 as drawn.
    double operator()(double pixels) const { return pixels * zoom; }

    QFont tickFont() const;
    QFont axisTitleFont() const;
    QFont titleFont() const;
    // The legend's and the numbered points' (one size).
    QFont labelFont() const;

    static QColor surround(); // the windows' blue
    static QColor plot();
    static QColor baseline();
    static QColor espvr();
    static QColor edpvr();
    static QColor ea();
    static QColor occlusion();
    static QColor aortic();
    static QColor atrial();
    static QColor device();
    // The balloon's inflation, behind the pressures: a pale band.
    static QColor balloon();
    // The cursor stands out from every line and marker of both charts.
    static QColor cursor();
};

} // namespace valthera::lab
