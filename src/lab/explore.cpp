#include "lab/explore.h"

namespace valthera::lab {

using namespace valthera::model;

const ChartMatch &chartMatchFor(LoopId loop)
{
    switch (loop) {
    case LoopId::Control:
        return chartMatch(Chart::Control);
    case LoopId::Afterload90:
        return chartMatch(Chart::Afterload90);
    case LoopId::Afterload100:
        return chartMatch(Chart::Afterload100);
    case LoopId::Preload100:
        return chartMatch(Chart::Preload100);
    case LoopId::Preload140:
        return chartMatch(Chart::Preload140);
    case LoopId::Contractility125:
        return chartMatch(Chart::Contractility125);
    case LoopId::Contractility75:
        return chartMatch(Chart::Contractility75);
    }
    return chartMatch(Chart::Control);
}

} // namespace valthera::lab
