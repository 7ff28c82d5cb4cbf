#include "lab/exercises.h"

#include <cmath>

namespace valthera::lab {

namespace {

constexpr Direction U = Direction::Up;
constexpr Direction D = Direction::Down;
constexpr Direction S = Direction::Same;

// Each change is large enough that every asked measure moves by more than 5 %
// or by less than 1 %, so no answer hangs on the 2 % line between "same" and a
// move. The reasons speak of the steady beat the lab shows: filling from a fixed
// atrial pressure, ejection ending on the PIP line.
const std::array<Exercise, 12> kExercises{{
    {"Afterload: peripheral resistance up by 30 %", Param::R, 1.29, {S, U, D, U},
        "With more resistance, blood runs off from the arteries more slowly, so aortic pressure stays higher. The "
        "ventricle must build a higher LVP before the aortic valve opens, and ejection ends on the PIP line at that "
        "higher pressure, which is at a larger volume. Filling is not touched, so EDV stays. The afterload lesson adds "
        "that the blood left behind raises the next EDV; the lab fills the ventricle to the same atrial pressure on "
        "the "
        "same filling curve every beat, so its EDV does not change."},
    {"Afterload: peripheral resistance down by 30 %", Param::R, 0.69, {S, D, U, D},
        "With less resistance, blood runs off from the arteries faster, so aortic pressure falls. The aortic valve "
        "opens at a lower LVP, and ejection goes on until the ventricle reaches the PIP line at the lower pressure, "
        "which is at a smaller volume. Filling is not touched, so EDV stays."},
    {"Preload: left atrial pressure up from 15 to 22 mmHg", Param::Pla, 22, {U, U, U, U},
        "A higher atrial pressure fills the ventricle further up its filling curve, so EDV rises. Through the "
        "Frank-Starling mechanism the fuller ventricle ejects a larger SV. At the same resistance the larger SV raises "
        "aortic pressure, so ejection ends higher up the PIP line, at a larger ESV. The preload lesson held aortic "
        "pressure at 80 mmHg, so its ESV stayed at 50 ml; in the lab the arteries answer the larger SV."},
    {"Preload: left atrial pressure down from 15 to 8 mmHg", Param::Pla, 8, {D, D, D, D},
        "A lower atrial pressure fills the ventricle less far up its filling curve, so EDV falls. Through the "
        "Frank-Starling mechanism the less stretched ventricle ejects a smaller SV. At the same resistance the smaller "
        "SV lets aortic pressure fall, so ejection ends lower down the PIP line, at a smaller ESV. The preload lesson "
        "held aortic pressure at 80 mmHg, so its ESV stayed at 50 ml; in the lab the arteries answer the smaller SV."},
    {"Contractility: up to 150 % of control", Param::Ees, 3.0, {S, D, U, U},
        "A more forceful ventricle has a steeper PIP line, so ejection goes on to a smaller volume before it ends on "
        "the line: ESV falls and SV rises. Filling is not touched, so EDV stays. The larger SV raises aortic pressure, "
        "so ESP rises too; the contractility lesson's chart held ESP at 100 mmHg and showed only the steeper line."},
    {"Contractility: down to 70 % of control", Param::Ees, 1.4, {S, U, D, D},
        "A weaker ventricle has a flatter PIP line, so ejection ends on the line at a larger volume: ESV rises and SV "
        "falls. Filling is not touched, so EDV stays. The smaller SV lets aortic pressure fall, so ESP falls too; the "
        "contractility lesson's chart held ESP at 100 mmHg and showed only the flatter line."},
    {"Heart rate: up from 75 to 120 beats/min", Param::HR, 120, {S, U, D, U},
        "With beats closer together the arteries have less time to empty between them, so aortic pressure rises. "
        "Ejecting against it, the ventricle reaches the PIP line at a higher pressure and a larger volume: ESP and ESV "
        "rise and SV falls, though cardiac output still rises with the extra beats. Filling is all but complete early "
        "in diastole, so the shorter diastole leaves EDV as it was. The lab keeps contractility fixed; in the body a "
        "faster rate raises it a little."},
    {"Stiffer arteries: arterial compliance down from 3.8 to 1.0 ml/mmHg", Param::C, 1.0, {S, U, D, U},
        "Stiff arteries cannot stretch to take in the ejected blood, so aortic pressure climbs steeply during ejection "
        "and falls further between beats. The ventricle therefore meets the PIP line at a higher pressure and a larger "
        "volume: ESP and ESV rise and SV falls. Filling is not touched, so EDV stays."},
    {"Aortic stenosis: aortic valve resistance up from 0.005 to 0.2 mmHg·s/ml", Param::Rav, 0.2, {S, U, D, U},
        "The narrow valve takes a pressure drop to drive blood through it, so LVP during ejection runs well above "
        "aortic pressure. Ejection ends on the PIP line at that higher LVP, so at a larger volume: ESP and ESV rise "
        "and "
        "SV falls. Filling is not touched, so EDV stays; the lab shows the valve alone, before the wall thickens."},
    {"Mitral regurgitation: the mitral valve leaks in systole", Param::Gmr, 1.5, {S, D, U, D},
        "During systole blood leaks back into the atrium as well as out into the aorta, so there is no true "
        "isovolumic contraction and the ventricle empties further: ESV falls and the loop is wider. The wider loop "
        "counts the leak too: less blood goes forward into the aorta, so aortic pressure and ESP fall. The lab holds "
        "atrial pressure fixed, so EDV stays; in patients the leaked blood raises atrial pressure and, with time, "
        "EDV."},
    {"Aortic regurgitation: the aortic valve leaks in diastole", Param::Gar, 1.0, {U, D, U, D},
        "During diastole blood leaks back from the aorta into the ventricle as well as in from the atrium, so the "
        "ventricle ends filling fuller: EDV rises. Through the Frank-Starling mechanism it ejects a larger SV, but "
        "part of it leaks straight back, so aortic pressure falls between beats. Ejection therefore ends lower down "
        "the PIP line, at a smaller volume: ESP and ESV fall."},
    {"Stiffer ventricle in diastole: stiffness exponent B up by 20 %", Param::B, 0.036, {D, D, D, D},
        "A stiffer ventricle has a steeper filling curve: at the same atrial pressure it fills less, so EDV falls. "
        "Through the Frank-Starling mechanism the smaller EDV gives a smaller SV, which lets aortic pressure fall, so "
        "ejection ends lower down the PIP line, at a smaller ESV. Contractility is unchanged: the PIP line keeps its "
        "slope."},
}};

// What each direction of each asked measure looks like on the loop.
constexpr std::array<std::array<std::string_view, 3>, kAskedMeasures.size()> kOnTheLoop{{
    // Down, Same, Up
    {"Point 1 moves left: EDV down.", "Point 1 stays put: EDV the same.", "Point 1 moves right: EDV up."},
    {"Point 4 moves left: ESV down.", "Point 4 keeps its volume: ESV the same.", "Point 4 moves right: ESV up."},
    {"The loop is narrower: SV down.", "The loop keeps its width: SV the same.", "The loop is wider: SV up."},
    {"Point 4 sits lower: ESP down.", "Point 4 keeps its height: ESP the same.", "Point 4 sits higher: ESP up."},
}};

} // namespace

std::string_view directionText(Direction d)
{
    switch (d) {
    case Direction::Down:
        return "down";
    case Direction::Same:
        return "same";
    case Direction::Up:
        return "up";
    }
    return {};
}

std::optional<Direction> directionFromText(std::string_view text)
{
    for (Direction d : {Direction::Down, Direction::Same, Direction::Up})
        if (directionText(d) == text)
            return d;
    return std::nullopt;
}

Direction directionOf(double control, double changed)
{
    const double move = changed - control;
    if (std::abs(move) < kSameBelow * std::abs(control))
        return Direction::Same;
    return move > 0 ? Direction::Up : Direction::Down;
}

Parameters Exercise::parameters() const
{
    Parameters p;
    p[parameter] = value;
    return p;
}

std::string Exercise::explanation() const
{
    std::string text;
    for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += kOnTheLoop[i][static_cast<std::size_t>(expected[i])];
    }
    text += '\n';
    text += why;
    return text;
}

std::span<const Exercise> exercises()
{
    return kExercises;
}

const Exercise *findExercise(std::string_view name)
{
    for (const Exercise &e : kExercises)
        if (e.name == name)
            return &e;
    return nullptr;
}

int ExerciseResult::correctCount() const
{
    int n = 0;
    for (bool c : correct)
        n += c ? 1 : 0;
    return n;
}

ExerciseCheck::ExerciseCheck()
    : control_(simulator_.steady(Parameters()))
    , controlMeasures_(measure(control_))
{
}

ExerciseResult ExerciseCheck::check(const Exercise &exercise, const Predictions &predictions)
{
    ExerciseResult r;
    r.after = simulator_.steady(exercise.parameters(), control_.start);
    r.before = controlMeasures_;
    r.measures = measure(r.after);
    for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
        const Measure m = kAskedMeasures[i];
        r.answers[i] = directionOf(r.before[m], r.measures[m]);
        r.correct[i] = predictions[i] == r.answers[i];
        r.marks[i] = r.correct[i] ? kCorrectMark : kWrongMark;
        if (!predictions[i])
            r.notPredicted.push_back(m);
    }
    r.score = std::to_string(r.correctCount()) + " of " + std::to_string(kAskedMeasures.size()) + " correct";
    if (!r.notPredicted.empty()) {
        r.explanation = "Not predicted: ";
        for (std::size_t i = 0; i < r.notPredicted.size(); ++i) {
            if (i > 0)
                r.explanation += ", ";
            r.explanation += info(r.notPredicted[i]).name;
        }
        r.explanation += ".\n";
    }
    r.explanation += exercise.explanation();
    return r;
}

} // namespace valthera::lab
