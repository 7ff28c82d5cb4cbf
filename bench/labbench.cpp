// Times the Loop Lab's model where a student feels it:
//   - one spin step of any parameter, from every preset, to the new steady
//     beat warm-started from the previous one (what a slider move costs);
//   - a steady beat from cold for random parameter sets across the ranges;
//   - the 12-beat occlusion run, at the default and the slowest heart rate.
// Prints each figure beside its target. Run on an otherwise idle machine.

#include "lab/model.h"
#include "lab/presets.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace valthera::lab;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

int failures = 0;

void row(const char *what, double value, double target)
{
    const bool ok = value <= target;
    failures += ok ? 0 : 1;
    std::printf("  %-44s %9.3f ms   target <= %5.1f ms   %s\n", what, value, target, ok ? "ok" : "MISSED");
}

} // namespace

int main()
{
    Simulator sim;
    int unconverged = 0;

    // One spin step up and back down, for every parameter, from every preset.
    std::vector<double> warm;
    std::vector<int> warmBeats;
    for (int round = 0; round < 3; ++round) {
        for (const Preset &preset : presets()) {
            Parameters base = preset.parameters();
            SteadyState s = sim.steady(base);
            for (const ParamInfo &i : parameterTable()) {
                for (const double dir : {+1.0, -1.0}) {
                    Parameters moved = s.parameters;
                    moved[i.id] = std::clamp(base[i.id] + dir * i.step, i.min, i.max);
                    for (const Parameters &target : {moved, base}) {
                        const auto t0 = Clock::now();
                        s = sim.steady(target, s.start);
                        warm.push_back(msSince(t0));
                        warmBeats.push_back(s.beats);
                        unconverged += s.converged ? 0 : 1;
                    }
                }
            }
        }
    }

    // From cold: a fresh simulator (so the activation curve is built too) and
    // the model's own starting guess.
    std::mt19937_64 rng(20240611);
    std::vector<double> cold;
    std::vector<int> coldBeats;
    for (int n = 0; n < 400; ++n) {
        Parameters p;
        for (const ParamInfo &i : parameterTable())
            p[i.id] = std::uniform_real_distribution<double>(i.min, i.max)(rng);
        Simulator fresh;
        const auto t0 = Clock::now();
        const SteadyState s = fresh.steady(p);
        cold.push_back(msSince(t0));
        coldBeats.push_back(s.beats);
        unconverged += s.converged ? 0 : 1;
    }

    std::vector<double> occlusion;
    for (const double hr : {75.0, 40.0}) {
        Parameters p;
        p[Param::HR] = hr;
        const SteadyState s = sim.steady(p);
        for (int n = 0; n < 20; ++n) {
            const auto t0 = Clock::now();
            const Occlusion o = sim.occlude(s);
            occlusion.push_back(msSince(t0));
            if (o.beats.size() != static_cast<std::size_t>(kOcclusionBeats))
                ++unconverged;
        }
    }

    std::printf("Loop Lab model (%zu warm steps, %zu cold sets, %zu occlusions)\n", warm.size(), cold.size(),
                occlusion.size());
    row("one step, warm-started: median", percentile(warm, 0.5), 2);
    row("one step, warm-started: p99", percentile(warm, 0.99), 5);
    row("any set from cold: worst", percentile(cold, 1.0), 50);
    row("occlusion run (HR 75 and 40): worst", percentile(occlusion, 1.0), 30);
    std::printf("  beats per warm step: median %d, worst %d; from cold: median %d, worst %d\n",
                static_cast<int>(percentile({warmBeats.begin(), warmBeats.end()}, 0.5)),
                *std::max_element(warmBeats.begin(), warmBeats.end()),
                static_cast<int>(percentile({coldBeats.begin(), coldBeats.end()}, 0.5)),
                *std::max_element(coldBeats.begin(), coldBeats.end()));
    std::printf("  cold median %.3f ms, p99 %.3f ms; occlusion median %.3f ms\n", percentile(cold, 0.5),
                percentile(cold, 0.99), percentile(occlusion, 0.5));
    if (unconverged)
        std::printf("  %d solves did not reach a steady beat\n", unconverged);
    return failures || unconverged ? 1 : 0;
}
