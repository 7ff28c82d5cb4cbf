#pragma once
// "Predict, then see": exercises that change one cause from Control and ask
// which way four measures of the loop move, and the rules that mark a
// prediction against the model. Plain C++, so a test drives them without a
// window; the lab window only shows what ExerciseCheck returns.

#include "model/model.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace valthera::lab {

using namespace valthera::model;

enum class Direction { Down, Same, Up };

// A move smaller than this fraction of the control value counts as "same".
inline constexpr double kSameBelow = 0.02;

// "up", "down", "same": the words the prediction boxes offer.
std::string_view directionText(Direction d);
std::optional<Direction> directionFromText(std::string_view text);
// The direction of a move from control to changed, by kSameBelow.
Direction directionOf(double control, double changed);

// The four measures every exercise asks about, in the order they are shown.
inline constexpr std::array<Measure, 4> kAskedMeasures{Measure::EDV, Measure::ESV, Measure::SV, Measure::ESP};
using Directions = std::array<Direction, kAskedMeasures.size()>;
// One prediction per asked measure; nullopt where none was chosen.
using Predictions = std::array<std::optional<Direction>, kAskedMeasures.size()>;

struct Exercise {
    std::string_view name; // the model, then the cause as the lessons name it
    ModelKind model; // the model it runs in, from that model's Control
    Param parameter; // the one parameter changed from Control
    double value; // its new value, on its spin step
    Directions expected; // the model's answer, held to the model by a test
    std::string_view why; // the cause-specific reasoning, agreeing with expected

    Parameters parameters() const;
    // Where each measure went on the loop, from expected, then why.
    std::string explanation() const;
};

std::span<const Exercise> exercises();
// The exercise of exactly that name, or nullptr.
const Exercise *findExercise(std::string_view name);

inline constexpr std::string_view kCorrectMark = "CORRECT!";
inline constexpr std::string_view kWrongMark = "TRY AGAIN";

struct ExerciseResult {
    SteadyState after; // the new steady beat, for the loop drawn over Control
    Measures before; // Control's measures
    Measures measures; // the new measures
    Directions answers; // the model's directions
    std::array<bool, kAskedMeasures.size()> correct{};
    std::array<std::string_view, kAskedMeasures.size()> marks{}; // kCorrectMark or kWrongMark
    std::vector<Measure> notPredicted;
    std::string score; // "3 of 4 correct"
    std::string explanation; // a "Not predicted: ..." line first when any are missing

    int correctCount() const;
};

// Marks predictions against the model. Computes Control once; each check runs
// the changed steady state warm-started from it.
class ExerciseCheck {
public:
    ExerciseCheck();

    const SteadyState &control(ModelKind model) const;
    ExerciseResult check(const Exercise &exercise, const Predictions &predictions);

private:
    Simulator simulator_;
    std::array<SteadyState, 2> controls_; // whole circulation, isolated heart
    std::array<Measures, 2> controlMeasures_;
};

} // namespace valthera::lab
