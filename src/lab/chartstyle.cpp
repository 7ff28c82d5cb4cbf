#include "lab/chartstyle.h"

#include "diagrams/drawing.h"
#include "ui/look.h"

#include <QString>

namespace valthera::lab {

using namespace chartsize;

QFont ChartStyle::tickFont() const
{
    return drawing::arialPixels(kTickPixels * zoom);
}

QFont ChartStyle::axisTitleFont() const
{
    return drawing::arialPixels(kAxisTitlePixels * zoom, true);
}

QFont ChartStyle::titleFont() const
{
    return drawing::arialPixels(kTitlePixels * zoom, true);
}

QFont ChartStyle::labelFont() const
{
    static_assert(kPointLabelPixels == kLegendPixels);
    return drawing::arialPixels(kLegendPixels * zoom, true);
}

QColor ChartStyle::surround()
{
    return look::windowBlue();
}
QColor ChartStyle::plot()
{
    return chartlook::plotGreen();
}
QColor ChartStyle::baseline()
{
    return {70, 70, 70};
}
QColor ChartStyle::espvr()
{
    return {220, 0, 0};
}
QColor ChartStyle::edpvr()
{
    return look::darkBlue();
}
QColor ChartStyle::ea()
{
    return {140, 0, 170};
}
QColor ChartStyle::occlusion()
{
    return {0, 105, 0};
}
QColor ChartStyle::aortic()
{
    return {220, 0, 0};
}
QColor ChartStyle::atrial()
{
    return look::darkBlue();
}
QColor ChartStyle::device()
{
    return {210, 80, 0};
}
QColor ChartStyle::balloon()
{
    return {255, 255, 255, 90};
}
QColor ChartStyle::cursor()
{
    return {255, 225, 0};
}

} // namespace valthera::lab
