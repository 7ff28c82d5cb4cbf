// valthera-loop: the Loop Lab's models from the command line.
//   valthera-loop [--circulation | --heart] [--preset ID] [NAME=VALUE]...
//                 [--step NAME=VALUE]... [--beats N] [--json | --csv]
//   valthera-loop --help | --version
// Prints the steady beat's measures as one JSON object (default) or its
// samples as CSV; with --step, the measures of each beat after the change.
// Bad input prints one line on stderr, nothing on stdout, and exits with 2,
// so scripts can tell a typo from a result.

#include "model/model.h"
#include "model/phases.h"
#include "model/presets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace valthera::model;

namespace {

constexpr int kUsageError = 2;

std::string str(std::string_view s)
{
    return std::string(s);
}

std::string rangeText(const ParamInfo &i)
{
    char buf[160];
    const int unit = static_cast<int>(i.unit.size());
    if (i.lowestOn > 0)
        std::snprintf(buf, sizeof buf, "%.*f (off) or %.*f to %.*f %.*s", i.decimals, i.min, i.decimals, i.lowestOn,
            i.decimals, i.max, unit, i.unit.data());
    else if (i.whole)
        std::snprintf(buf, sizeof buf, "%.0f to %.0f %.*s(a whole number)", i.min, i.max, unit, i.unit.data());
    else
        std::snprintf(buf, sizeof buf, "%.*f to %.*f %.*s", i.decimals, i.min, i.decimals, i.max, unit, i.unit.data());
    return buf;
}

// Columns on a terminal: UTF-8 text ("mmHg·s/ml", "−") padded by the
// characters it shows, not its bytes.
std::size_t shownWidth(std::string_view text)
{
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
    return width;
}

std::string padRight(std::string_view text, std::size_t width)
{
    const std::size_t shown = shownWidth(text);
    return str(text) + std::string(width > shown ? width - shown : 0, ' ');
}

std::string padLeft(std::string_view text, std::size_t width)
{
    const std::size_t shown = shownWidth(text);
    return std::string(width > shown ? width - shown : 0, ' ') + str(text);
}

int fail(const std::string &message)
{
    std::fprintf(stderr, "valthera-loop: %s\n", message.c_str());
    return kUsageError;
}

std::string names(ModelKind model)
{
    std::string s;
    for (const ParamInfo &i : parameterTable())
        if (appliesTo(i, model))
            s += (s.empty() ? "" : ", ") + str(i.name);
    return s;
}

std::string presetIds()
{
    std::string s;
    for (const Preset &p : presets())
        s += (s.empty() ? "" : ", ") + str(p.id);
    return s;
}

void printHelp()
{
    std::printf("Usage: valthera-loop [--circulation | --heart] [--preset ID] [NAME=VALUE]...\n"
                "                     [--step NAME=VALUE]... [--beats N] [--json | --csv]\n"
                "       valthera-loop --help | --version\n"
                "Finds the steady beat of one of the Loop Lab's models and prints its measures as\n"
                "JSON (--json, the default) or its samples as CSV (--csv).\n"
                "\nModels:\n"
                "  --circulation  the whole circulation (the default): both ventricles, the left\n"
                "                 atrium and the systemic and pulmonary vessels in a closed loop;\n"
                "                 preload is the blood volume (Volume)\n"
                "  --heart        the isolated heart: the left ventricle filled from a fixed left\n"
                "                 atrial pressure (Pla), ejecting into the arterial load\n"
                "\n--preset ID sets a condition first; NAME=VALUE then changes single parameters.\n"
                "Preset ids: %s\n"
                "\n--step NAME=VALUE: from the steady beat of the settings, the stepped parameters\n"
                "change at the start of beat 1, and the measures of beats 1..N are printed\n"
                "(--beats N, 1 to %d, default %d; only with --step): --json as an array of objects\n"
                "each with \"beat\", --csv as one row per beat with a beat column first.\n"
                "\nWithout --step, --csv prints the steady beat: t,V,Plv,Pao,Qmv,Qav,Pla,e, then in\n"
                "the whole circulation V_SA,V_SV,V_RV,V_PA,V_PV,V_LA (the volume of every other\n"
                "compartment: V and these add up to all the blood), Pra,Prv,Ppa,Ppv, Qpump (all\n"
                "support devices' flow, ml/s) and, with the balloon pump on, Vballoon (ml); last,\n"
                "phase: filling, isovolumic-contraction, ejection, isovolumic-relaxation or\n"
                "valves-shut-volume-changing (both valves shut while a leak or a pump moves the\n"
                "volume).\n"
                "\nSupport devices (whole circulation only, all off by default): IABP, the balloon\n"
                "pump assisting every beat (1), every second (2) or third (3), with IABPvol; Axial,\n"
                "a transvalvular pump's speed; LVAD, a centrifugal pump's speed; ECMO, VA-ECMO flow.\n"
                "With IABP=2 or 3 the steady state is a cycle of that many beats: the CSV covers it\n"
                "all with a beat column first, and the JSON adds \"assisted\" and \"unassisted\"\n"
                "objects with those beats' own measures.\n"
                "\nParameters (default in the whole circulation / the isolated heart, range and unit,\n"
                "meaning):\n",
        presetIds().c_str(), kMaxTransientBeats, kDefaultTransientBeats);
    // Name, defaults, range and unit in aligned columns; the meaning, the
    // only long one, last.
    struct Row {
        std::string name, defaults, range, meaning;
    };
    std::vector<Row> rows;
    std::size_t nameWidth = 0, defaultsWidth = 0, rangeWidth = 0;
    for (const ParamInfo &i : parameterTable()) {
        char defaults[64];
        const bool circulation = appliesTo(i, ModelKind::Circulation), heart = appliesTo(i, ModelKind::Heart);
        if (circulation && heart)
            std::snprintf(
                defaults, sizeof defaults, "%.*f / %.*f", i.decimals, i.defaultValue, i.decimals, i.heartDefault);
        else if (circulation)
            std::snprintf(defaults, sizeof defaults, "%.*f / -", i.decimals, i.defaultValue);
        else
            std::snprintf(defaults, sizeof defaults, "- / %.*f", i.decimals, i.heartDefault);
        Row &row = rows.emplace_back(Row{str(i.name), defaults, rangeText(i), str(i.meaning)});
        nameWidth = std::max(nameWidth, shownWidth(row.name));
        defaultsWidth = std::max(defaultsWidth, shownWidth(row.defaults));
        rangeWidth = std::max(rangeWidth, shownWidth(row.range));
    }
    for (const Row &row : rows)
        std::printf("  %s  %s  %s  %s\n", padRight(row.name, nameWidth).c_str(),
            padLeft(row.defaults, defaultsWidth).c_str(), padRight(row.range, rangeWidth).c_str(), row.meaning.c_str());
    std::printf("\nMeasures (JSON keys; null where a measure does not apply to the model):\n ");
    for (const MeasureInfo &i : measureTable())
        std::printf(" %.*s", static_cast<int>(i.name.size()), i.name.data());
    std::printf("\n\nExit status: 0 on success, 1 if no steady beat was found (the figures are of\n"
                "the last beat), 2 for bad arguments.\n");
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

struct Setting {
    const ParamInfo *param;
    double value;
};

// NAME=VALUE checked against the table; an empty string, or the error.
std::string parseSetting(std::string_view arg, Setting &out)
{
    const std::size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    const ParamInfo *param = findParameter(name);
    if (eq == std::string_view::npos || eq == 0) {
        if (param)
            return "'" + str(arg) + "' is not NAME=VALUE; " + str(param->name) + " must be " + rangeText(*param);
        return "unexpected argument '" + str(arg) +
            "'; give NAME=VALUE, --circulation, --heart, --preset, --step, --beats, --json, --csv or --help";
    }
    if (!param)
        return "unknown parameter '" + str(name) + "' in '" + str(arg) +
            "'; parameters: " + names(ModelKind::Circulation) + " (whole circulation), Pla (isolated heart)";
    double value = 0;
    const std::string_view text = arg.substr(eq + 1);
    if (!parseNumber(text, value))
        return str(param->name) + "='" + str(text) + "' is not a number; " + str(param->name) + " must be " +
            rangeText(*param);
    if (!isSetting(*param, value))
        return str(param->name) + "=" + str(text) + " is out of range; " + str(param->name) + " must be " +
            rangeText(*param);
    out = {param, value};
    return {};
}

std::string number(double v, int decimals)
{
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v + 0.0);
    return buf;
}

// A measure's value as JSON or CSV gives it: flags as true/false.
std::string value(const MeasureInfo &i, double v)
{
    if (i.flag && std::isfinite(v))
        return v > 0 ? "true" : "false";
    return number(v, i.decimals + 3);
}

std::string measuresJson(const Measures &m)
{
    std::string out;
    for (const MeasureInfo &i : measureTable())
        out += "\"" + str(i.name) + "\": " + value(i, m[i.id]) + ", ";
    return out;
}

// The measures as one JSON object's members, without the trailing ", ".
std::string measuresObject(const Measures &m)
{
    std::string s = measuresJson(m);
    s.resize(s.size() - 2);
    return "{" + s + "}";
}

void print(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The measures of beats 1..N after the step, as JSON objects or CSV rows.
std::string transientText(const Transient &t, bool csv)
{
    std::string out;
    if (csv) {
        out = "beat";
        for (const MeasureInfo &i : measureTable())
            out += "," + str(i.name);
        out += "\n";
        for (std::size_t b = 0; b < t.measures.size(); ++b) {
            out += std::to_string(b + 1);
            for (const MeasureInfo &i : measureTable()) {
                const double v = t.measures[b][i.id];
                out += "," + (std::isfinite(v) ? value(i, v) : std::string());
            }
            out += "\n";
        }
    } else {
        out = "[\n";
        for (std::size_t b = 0; b < t.measures.size(); ++b) {
            std::string row = measuresJson(t.measures[b]);
            row.resize(row.size() - 2);
            out += "  {\"beat\": " + std::to_string(b + 1) +
                ", \"assisted\": " + (t.beats[b].assisted[0] ? "true" : "false") + ", " + row + "}" +
                (b + 1 < t.measures.size() ? ",\n" : "\n");
        }
        out += "]\n";
    }
    return out;
}

// Every sample of the steady beat (a balloon pump's cycle of several beats
// printed whole, each row naming its beat), its phase last.
std::string beatCsv(const SteadyState &s)
{
    const Parameters &p = s.parameters;
    const bool cycle = s.beat.beats > 1;
    const bool circulation = p.model == ModelKind::Circulation;
    const bool balloon = p[Param::IABP] > 0;
    std::string out = cycle ? "beat,t,V,Plv,Pao,Qmv,Qav,Pla,e" : "t,V,Plv,Pao,Qmv,Qav,Pla,e";
    if (circulation) {
        for (std::size_t c = 1; c < kCompartmentCount; ++c)
            out += ",V_" + str(compartmentName(static_cast<Compartment>(c)));
        out += ",Pra,Prv,Ppa,Ppv,Qpump";
        if (balloon)
            out += ",Vballoon";
    }
    out += ",phase\n";
    const std::vector<SamplePhase> phases = beatPhases(s.beat);
    char row[600];
    const std::size_t perBeat = s.beat.samples.size() / static_cast<std::size_t>(s.beat.beats);
    for (std::size_t k = 0; k < s.beat.samples.size(); ++k) {
        const Sample &x = s.beat.samples[k];
        int n = cycle ? std::snprintf(row, sizeof row, "%zu,", k / perBeat + 1) : 0;
        n += std::snprintf(row + n, sizeof row - static_cast<std::size_t>(n),
            "%.4f,%.6g,%.6g,%.6g,%.6g,%.6g,%.6g,%.6g", x.t, x.V, x.Plv, x.Pao, x.Qmv + 0.0, x.Qav + 0.0, x.Pla,
            x.e);
        if (circulation) {
            for (std::size_t c = 1; c < kCompartmentCount; ++c)
                n += std::snprintf(row + n, sizeof row - static_cast<std::size_t>(n), ",%.10g", x.volumes[c]);
            n += std::snprintf(row + n, sizeof row - static_cast<std::size_t>(n), ",%.6g,%.6g,%.6g,%.6g,%.6g",
                x.Pra, x.Prv, x.Ppa, x.Ppv, x.Qpump + 0.0);
            if (balloon)
                n += std::snprintf(row + n, sizeof row - static_cast<std::size_t>(n), ",%.6g", x.Vballoon + 0.0);
        }
        out += row;
        out += ",";
        out += phaseId(phases[k].phase);
        out += "\n";
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    std::optional<ModelKind> model;
    const Preset *preset = nullptr;
    std::vector<Setting> settings, steps;
    int beats = kDefaultTransientBeats;
    bool beatsGiven = false;
    bool csv = false, formatChosen = false;
    for (int a = 1; a < argc; ++a) {
        const std::string_view arg = argv[a];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("valthera-loop %s\n", VALTHERA_VERSION);
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
        if (arg == "--circulation" || arg == "--heart") {
            const ModelKind want = arg == "--heart" ? ModelKind::Heart : ModelKind::Circulation;
            if (model && *model != want)
                return fail("give only one of --circulation and --heart");
            model = want;
            continue;
        }
        if (arg == "--preset" || arg == "--step" || arg == "--beats") {
            if (a + 1 >= argc)
                return fail(str(arg) + " needs a value" +
                    (arg == "--preset"        ? "; preset ids: " + presetIds()
                            : arg == "--step" ? ": NAME=VALUE"
                                              : ": a whole number from 1 to " + std::to_string(kMaxTransientBeats)));
            const std::string_view value = argv[++a];
            if (arg == "--preset") {
                preset = findPresetById(value);
                if (!preset)
                    return fail("unknown preset '" + str(value) + "'; preset ids: " + presetIds());
            } else if (arg == "--step") {
                Setting s{};
                const std::string error = parseSetting(value, s);
                if (!error.empty())
                    return fail("--step " + error);
                steps.push_back(s);
            } else {
                double n = 0;
                if (!parseNumber(value, n) || n != std::floor(n) || n < 1 || n > kMaxTransientBeats)
                    return fail("--beats " + str(value) + " is not a whole number from 1 to " +
                        std::to_string(kMaxTransientBeats));
                beats = static_cast<int>(n);
                beatsGiven = true;
            }
            continue;
        }
        Setting s{};
        const std::string error = parseSetting(arg, s);
        if (!error.empty())
            return fail(error);
        settings.push_back(s);
    }

    if (beatsGiven && steps.empty())
        return fail("--beats counts the beats after a --step; give --step NAME=VALUE with it");
    const ModelKind kind = model.value_or(ModelKind::Circulation);
    Parameters p = preset ? preset->parameters(kind) : Parameters(kind);
    for (const std::vector<Setting> *list : {&settings, &steps})
        for (const Setting &s : *list)
            if (!appliesTo(*s.param, kind))
                return fail(str(s.param->name) + " belongs to the " +
                    (kind == ModelKind::Circulation ? "isolated heart (--heart)"
                                                    : "whole circulation (--circulation)") +
                    "; the " + (kind == ModelKind::Circulation ? "whole circulation" : "isolated heart") + " takes " +
                    names(kind));
    for (const Setting &s : settings)
        p[s.param->id] = s.value;

    Simulator sim;
    const SteadyState s = sim.steady(p);
    const std::string modelKey = kind == ModelKind::Circulation ? "circulation" : "heart";

    if (!steps.empty()) {
        Parameters stepped = p;
        for (const Setting &st : steps)
            stepped[st.param->id] = st.value;
        print(transientText(sim.transient(s, stepped, beats), csv));
    } else if (csv) {
        print(beatCsv(s));
    } else {
        std::string split;
        if (const std::optional<AssistSplit> a = assistSplit(s.beat, p))
            split = "\"assisted\": " + measuresObject(a->assisted) +
                ", \"unassisted\": " + measuresObject(a->unassisted) + ", ";
        print("{\"model\": \"" + modelKey + "\", " + measuresJson(measure(s)) + split +
            "\"beats\": " + std::to_string(s.beats) + ", \"converged\": " + (s.converged ? "true" : "false") + "}\n");
    }
    if (!s.converged) {
        std::fprintf(stderr, "valthera-loop: no steady beat within the beat limit; the figures are of the last beat\n");
        return 1;
    }
    return 0;
}
