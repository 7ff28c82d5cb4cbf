#pragma once
// A fast e^x for the diastolic curves, kept apart from the physiology that
// calls it.

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace valthera::model {

// 2^(i/64), i = 0..63, for quickExp.
inline const std::array<double, 64> kExp2Table = [] {
    std::array<double, 64> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = std::exp2(static_cast<double>(i) / 64);
    return t;
}();

// e^x within about an ulp of std::exp. The two ventricles' diastolic curves
// take an exponential at every evaluation, and the library's, called through
// its error-reporting wrapper, was a fifth of a beat; this one inlines to a
// table look-up and a short polynomial. x = (k + i/64)·ln 2 + r with
// |r| ≤ ln 2/128, so e^x = 2^k · 2^(i/64) · e^r and e^r needs only five terms.
inline double quickExp(double x)
{
    if (!(std::abs(x) < 700))
        return std::exp(x); // near overflow or underflow, infinite or NaN
    constexpr double kInvLn2N = 64 / std::numbers::ln2;
    // ln 2 / 64 in two parts, the first with enough trailing zero bits that
    // its product with k is exact.
    constexpr double kLn2HiN = 6.93147180369123816490e-01 / 64, kLn2LoN = 1.90821492927058770002e-10 / 64;
    // Adding 1.5·2^52 rounds to an integer, which then sits in the low bits.
    constexpr double kShift = 0x1.8p52;
    const double shifted = x * kInvLn2N + kShift;
    const auto ki = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(shifted)));
    const double kd = shifted - kShift;
    const double r = (x - kd * kLn2HiN) - kd * kLn2LoN;
    const double p = r + r * r * (0.5 + r * (1.0 / 6 + r * (1.0 / 24 + r * (1.0 / 120))));
    const double table = kExp2Table[static_cast<std::size_t>(ki & 63)];
    const double scale = std::bit_cast<double>(
        std::bit_cast<std::uint64_t>(table) + (static_cast<std::uint64_t>(std::int64_t{ki >> 6}) << 52));
    return scale + scale * p;
}

} // namespace valthera::model
