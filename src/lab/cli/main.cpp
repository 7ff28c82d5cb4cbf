// valthera-loop: the Loop Lab's model from the command line.
//   valthera-loop [NAME=VALUE]... [--json | --csv]
// Prints the steady beat's measures as one JSON object (default) or its
// samples as CSV. Bad input prints one line on stderr, nothing on stdout, and
// exits with 2, so scripts can tell a typo from a result.

#include "model/model.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

using namespace valthera::lab;

namespace {

constexpr int kUsageError = 2;

std::string rangeText(const ParamInfo &i)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "%.*f to %.*f %.*s", i.decimals, i.min, i.decimals, i.max,
        static_cast<int>(i.unit.size()), i.unit.data());
    return buf;
}

int fail(const std::string &message)
{
    std::fprintf(stderr, "valthera-loop: %s\n", message.c_str());
    return kUsageError;
}

std::string names()
{
    std::string s;
    for (const ParamInfo &i : parameterTable())
        s += (s.empty() ? "" : ", ") + std::string(i.name);
    return s;
}

void printHelp()
{
    std::printf("Usage: valthera-loop [NAME=VALUE]... [--json | --csv]\n"
                "Finds the steady beat of the Loop Lab's heart model and prints its measures\n"
                "as JSON (--json, the default) or its samples as CSV (--csv: t,V,Plv,Pao,Qmv,Qav).\n"
                "\nParameters (default, range, unit):\n");
    for (const ParamInfo &i : parameterTable())
        std::printf("  %-4.*s %-36.*s %*.*f   %s\n", static_cast<int>(i.name.size()), i.name.data(),
            static_cast<int>(i.meaning.size()), i.meaning.data(), 7, i.decimals, i.defaultValue, rangeText(i).c_str());
    std::printf("\nExit status: 0 on success, 1 if no steady beat was found, 2 for bad arguments.\n");
}

// A finite decimal number and nothing else: no blanks, no trailing text.
bool parseNumber(std::string_view text, double &value)
{
    if (text.empty())
        return false;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace

int main(int argc, char **argv)
{
    Parameters p;
    bool csv = false;
    bool formatChosen = false;
    for (int a = 1; a < argc; ++a) {
        const std::string_view arg = argv[a];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--json" || arg == "--csv") {
            const bool wantCsv = arg == "--csv";
            if (formatChosen && wantCsv != csv)
                return fail("give only one of --json and --csv");
            csv = wantCsv;
            formatChosen = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        const ParamInfo *param = findParameter(name);
        if (eq == std::string_view::npos || eq == 0) {
            if (param)
                return fail("'" + std::string(arg) + "' is not NAME=VALUE; " + std::string(param->name) + " must be " +
                    rangeText(*param));
            return fail("unexpected argument '" + std::string(arg) +
                "'; give NAME=VALUE, --json, --csv or --help (parameters: " + names() + ")");
        }
        if (!param)
            return fail(
                "unknown parameter '" + std::string(name) + "' in '" + std::string(arg) + "'; parameters: " + names());
        double value = 0;
        const std::string_view text = arg.substr(eq + 1);
        if (!parseNumber(text, value))
            return fail(std::string(param->name) + "='" + std::string(text) + "' is not a number; " +
                std::string(param->name) + " must be " + rangeText(*param));
        if (value < param->min || value > param->max)
            return fail(std::string(param->name) + "=" + std::string(text) + " is out of range; " +
                std::string(param->name) + " must be " + rangeText(*param));
        p[param->id] = value;
    }

    const SteadyState s = steadyState(p);
    if (csv) {
        std::string out = "t,V,Plv,Pao,Qmv,Qav\n";
        char row[160];
        // Adding zero turns a closed valve's -0 flow into 0.
        for (const Sample &x : s.beat.samples) {
            std::snprintf(
                row, sizeof row, "%.4f,%.6g,%.6g,%.6g,%.6g,%.6g\n", x.t, x.V, x.Plv, x.Pao, x.Qmv + 0.0, x.Qav + 0.0);
            out += row;
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    } else {
        const Measures m = measure(s);
        std::string out = "{";
        char field[96];
        for (const MeasureInfo &i : measureTable()) {
            const double v = m[i.id];
            if (std::isfinite(v))
                std::snprintf(field, sizeof field, "\"%.*s\": %.*f, ", static_cast<int>(i.name.size()), i.name.data(),
                    i.decimals + 3, v);
            else
                std::snprintf(field, sizeof field, "\"%.*s\": null, ", static_cast<int>(i.name.size()), i.name.data());
            out += field;
        }
        std::snprintf(
            field, sizeof field, "\"beats\": %d, \"converged\": %s}\n", s.beats, s.converged ? "true" : "false");
        out += field;
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    if (!s.converged) {
        std::fprintf(stderr, "valthera-loop: no steady beat within the beat limit; the figures are of the last beat\n");
        return 1;
    }
    return 0;
}
