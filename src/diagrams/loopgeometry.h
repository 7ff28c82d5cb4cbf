#pragma once
// The loops every chart draws and every numeric answer relies on: one table.
// A loop runs 5 -> 1 -> 2 -> 3 -> 4 -> 5: filling (E), isovolumic contraction
// (F), ejection (G, through the pressure peak at 3) and isovolumic relaxation (H).

#include <array>
#include <cstddef>

namespace valthera {

struct LoopPoint {
    double volume; // ml
    double pressure; // mmHg
};

enum class LoopId { Control, Afterload90, Afterload100, Preload100, Preload140, Contractility125, Contractility75 };

struct LoopGeometry {
    LoopId id;
    // Points 1 to 5 at indexes 0 to 4.
    std::array<LoopPoint, 5> points;

    const LoopPoint &point(int number) const { return points[static_cast<std::size_t>(number - 1)]; }
    double edv() const { return point(1).volume; }
    double edp() const { return point(1).pressure; }
    double esv() const { return point(4).volume; }
    double esp() const { return point(4).pressure; }
    double aorticOpening() const { return point(2).pressure; } // the afterload
    double peakPressure() const { return point(3).pressure; } // aortic systolic
    double strokeVolume() const { return edv() - esv(); }
    double ejectionFraction() const { return strokeVolume() / edv(); }
};

const LoopGeometry &loopGeometry(LoopId id);
const std::array<LoopId, 7> &allLoops();

} // namespace valthera
