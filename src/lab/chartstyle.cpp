#include "lab/chartstyle.h"

#include "diagrams/drawing.h"
#include "ui/look.h"
#include "ui/zoom.h"

#include <QImage>
#include <QPainter>
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

std::vector<std::function<void()>> chartFontReadying(double zoom, qreal pixelRatio)
{
    QString printable;
    for (char16_t c = u'!'; c <= u'~'; ++c)
        printable += QChar(c);
    // The tick labels' font, and the bold ones of the axis titles, the chart
    // titles and the legends and point labels.
    const ChartStyle style{zoom};
    const std::pair<QFont, QString> fonts[] = {
        {style.tickFont(), QStringLiteral("0123456789.-")},
        {style.axisTitleFont(), printable},
        {style.titleFont(), printable},
        {style.labelFont(), printable},
    };
    std::vector<std::function<void()>> pieces;
    for (const auto &[font, text] : fonts) {
        pieces.emplace_back([font, text, pixelRatio] {
            // As the charts draw: antialiased, onto an image at the screen's ratio.
            QImage scratch(384, 96, QImage::Format_RGB32);
            scratch.setDevicePixelRatio(pixelRatio);
            QPainter painter(&scratch);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setFont(font);
            look::makeGlyphs(painter, text);
        });
    }
    return pieces;
}

} // namespace valthera::lab
