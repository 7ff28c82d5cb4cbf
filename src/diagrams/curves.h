#pragma once
// Curve maths the schematics draw with: unevenly spaced axis ticks, cubic
// Béziers, and smooth monotone paths through knots.

#include <QPainterPath>
#include <QPointF>
#include <cstddef>
#include <span>
#include <vector>

namespace valthera::curves {

// A labelled mark on an axis: the value it carries and where it stands.
struct Tick {
    double value;
    double at;
};

// Where a value stands on an axis marked by ticks in order of value: straight
// between neighbouring ticks, and on along the end pairs beyond them.
double positionOf(double value, std::span<const Tick> ticks);
// The value read at a position, straight between the bracketing ticks.
double valueAt(double at, std::span<const Tick> ticks);

struct Cubic {
    QPointF p0, c1, c2, p3;

    QPointF at(double t) const;
    // The part from parameter t to the end (de Casteljau).
    Cubic tail(double t) const;
    // Parameter where the curve reaches a given x (x grows along the curve).
    double parameterAtX(double x) const;
};

// A smooth path through knots whose x grows, from knot `first` to knot
// `last`. Monotone cubic tangents (Fritsch-Carlson) keep the curve from
// overshooting where a flat stretch meets a steep one, and use the knots
// outside the stretch so that coloured stretches join without a kink.
QPainterPath smoothStretch(const std::vector<QPointF> &knots, std::size_t first, std::size_t last);

} // namespace valthera::curves
