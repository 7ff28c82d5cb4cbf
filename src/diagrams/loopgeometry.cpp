#include "diagrams/loopgeometry.h"

namespace valthera {

namespace {

// Points 1 to 5 (ml, mmHg). Stroke volume and ejection fraction follow from them.
const std::array<LoopGeometry, 7> kLoops{{
    {LoopId::Control, {{{120, 15}, {120, 80}, {74.5, 120}, {50, 100}, {50, 10}}}},
    {LoopId::Afterload90, {{{120, 15}, {120, 90}, {78.5, 135}, {56.25, 112.5}, {56.25, 10}}}},
    {LoopId::Afterload100, {{{120, 15}, {120, 100}, {82.5, 150}, {62.5, 125}, {62.5, 10}}}},
    {LoopId::Preload100, {{{100, 12.5}, {100, 80}, {67.5, 108}, {50, 100}, {50, 10}}}},
    {LoopId::Preload140, {{{140, 17.5}, {140, 80}, {81.5, 130.5}, {50, 100}, {50, 10}}}},
    {LoopId::Contractility125, {{{120, 15}, {120, 80}, {68, 134}, {40, 100}, {40, 10}}}},
    {LoopId::Contractility75, {{{120, 15}, {120, 80}, {85.3, 104}, {66.7, 100}, {66.7, 10}}}},
}};

} // namespace

const LoopGeometry &loopGeometry(LoopId id)
{
    return kLoops[static_cast<std::size_t>(id)];
}

const std::array<LoopId, 7> &allLoops()
{
    static const std::array<LoopId, 7> ids{LoopId::Control, LoopId::Afterload90, LoopId::Afterload100,
        LoopId::Preload100, LoopId::Preload140, LoopId::Contractility125, LoopId::Contractility75};
    return ids;
}

} // namespace valthera
