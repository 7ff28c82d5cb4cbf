#pragma once
// The values the cycle schematic's P-V panel shows (its axes are not to scale,
// but its ticks carry these numbers, and questions are read off them).

namespace valthera {

struct SchematicLoopValues {
    double edv = 150; // points 1 and 2 stand on the 150-ml tick
    double esv = 50; // points 4 and 5 stand on the 50-ml tick
    double peakPressure = 120; // point 3 is level with the 120 tick
    double esp = 100; // point 4 is level with the 100 tick
    double strokeVolume() const { return edv - esv; }
    double ejectionFraction() const { return strokeVolume() / edv; }
};

inline constexpr SchematicLoopValues kCycleSchematicValues{};

} // namespace valthera
