#include "diagrams/curves.h"

#include <cmath>

namespace valthera::curves {

double positionOf(double value, std::span<const Tick> ticks)
{
    const std::size_t count = ticks.size();
    if (value <= ticks[0].value)
        return ticks[0].at + (value - ticks[0].value) * (ticks[1].at - ticks[0].at) / (ticks[1].value - ticks[0].value);
    for (std::size_t i = 1; i < count; ++i) {
        if (value <= ticks[i].value || i + 1 == count) {
            const Tick &a = ticks[i - 1];
            const Tick &b = ticks[i];
            return a.at + (value - a.value) * (b.at - a.at) / (b.value - a.value);
        }
    }
    return ticks[count - 1].at;
}

double valueAt(double at, std::span<const Tick> ticks)
{
    // Ticks run monotonically in position; find the bracketing pair.
    const std::size_t count = ticks.size();
    for (std::size_t i = 1; i < count; ++i) {
        const Tick &a = ticks[i - 1];
        const Tick &b = ticks[i];
        const bool inside = (at - a.at) * (at - b.at) <= 0;
        if (inside || i + 1 == count)
            return a.value + (at - a.at) * (b.value - a.value) / (b.at - a.at);
    }
    return ticks[0].value;
}

QPointF Cubic::at(double t) const
{
    const double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p3;
}

Cubic Cubic::tail(double t) const
{
    const QPointF a = p0 + (c1 - p0) * t, b = c1 + (c2 - c1) * t, c = c2 + (p3 - c2) * t;
    const QPointF d = a + (b - a) * t, e = b + (c - b) * t;
    const QPointF f = d + (e - d) * t;
    return {f, e, c, p3};
}

double Cubic::parameterAtX(double x) const
{
    double lo = 0, hi = 1;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (at(mid).x() < x ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

QPainterPath smoothStretch(const std::vector<QPointF> &knots, std::size_t first, std::size_t last)
{
    const std::size_t n = knots.size();
    std::vector<double> secant(n - 1), tangent(n);
    for (std::size_t i = 0; i + 1 < n; ++i)
        secant[i] = (knots[i + 1].y() - knots[i].y()) / (knots[i + 1].x() - knots[i].x());
    tangent[0] = secant[0];
    tangent[n - 1] = secant[n - 2];
    for (std::size_t i = 1; i + 1 < n; ++i)
        tangent[i] = secant[i - 1] * secant[i] <= 0 ? 0 : (secant[i - 1] + secant[i]) / 2;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (secant[i] == 0) {
            tangent[i] = tangent[i + 1] = 0;
            continue;
        }
        const double a = tangent[i] / secant[i], b = tangent[i + 1] / secant[i];
        const double length = std::hypot(a, b);
        if (length > 3) {
            tangent[i] = 3 * a / length * secant[i];
            tangent[i + 1] = 3 * b / length * secant[i];
        }
    }

    QPainterPath path(knots[first]);
    for (std::size_t i = first; i < last; ++i) {
        const double third = (knots[i + 1].x() - knots[i].x()) / 3;
        path.cubicTo(knots[i] + QPointF(third, tangent[i] * third),
            knots[i + 1] - QPointF(third, tangent[i + 1] * third), knots[i + 1]);
    }
    return path;
}

} // namespace valthera::curves
