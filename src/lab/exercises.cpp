#include "lab/exercises.h"

#include <cmath>

namespace valthera::lab {

using namespace valthera::model;

namespace {

constexpr Direction U = Direction::Up;
constexpr Direction D = Direction::Down;
constexpr Direction S = Direction::Same;

// Each change is large enough that every asked measure moves by more than 4 %
// or by less than 1 %, so no answer hangs on the 2 % line between "same" and a
// move. Each reason speaks of the model its exercise runs in: the isolated
// heart fills from a fixed atrial pressure, so its EDV answers only to
// filling; in the whole circulation the blood a beat leaves behind, and the
// atrial pressure it raises, change the next filling.
const std::array<Exercise, 18> kExercises{{
    {"Isolated heart. Afterload: peripheral resistance up by 30 %", ModelKind::Heart, Param::R, 1.27, {S, U, D, U},
        "With more resistance, blood runs off from the arteries more slowly, so aortic pressure stays higher. The "
        "ventricle must build a higher LVP before the aortic valve opens, and ejection ends on the PIP line at that "
        "higher pressure, which is at a larger volume. The isolated heart fills from the same atrial pressure on the "
        "same filling curve every beat, so its EDV stays: this is the first beat of the afterload lesson's story. Run "
        "the same change in the whole circulation to see the second step."},
    {"Isolated heart. Afterload: peripheral resistance down by 30 %", ModelKind::Heart, Param::R, 0.69, {S, D, U, D},
        "With less resistance, blood runs off from the arteries faster, so aortic pressure falls. The aortic valve "
        "opens at a lower LVP, and ejection goes on until the ventricle reaches the PIP line at the lower pressure, "
        "which is at a smaller volume. The isolated heart's filling is not touched, so EDV stays."},
    {"Isolated heart. Preload: left atrial pressure up from 15 to 22 mmHg", ModelKind::Heart, Param::Pla, 22,
        {U, U, U, U},
        "A higher atrial pressure fills the ventricle further up its filling curve, so EDV rises. Through the "
        "Frank-Starling mechanism the fuller ventricle ejects a larger SV. At the same resistance the larger SV raises "
        "aortic pressure, so ejection ends higher up the PIP line, at a larger ESV. The preload lesson held aortic "
        "pressure at 80 mmHg, so its ESV stayed at 50 ml; here the arteries answer the larger SV."},
    {"Isolated heart. Preload: left atrial pressure down from 15 to 8 mmHg", ModelKind::Heart, Param::Pla, 8,
        {D, D, D, D},
        "A lower atrial pressure fills the ventricle less far up its filling curve, so EDV falls. Through the "
        "Frank-Starling mechanism the less stretched ventricle ejects a smaller SV. At the same resistance the smaller "
        "SV lets aortic pressure fall, so ejection ends lower down the PIP line, at a smaller ESV."},
    {"Isolated heart. Contractility: up to 150 % of control", ModelKind::Heart, Param::Ees, 3.0, {S, D, U, U},
        "A more forceful ventricle has a steeper PIP line, so ejection goes on to a smaller volume before it ends on "
        "the line: ESV falls and SV rises. The isolated heart's filling is not touched, so EDV stays. The larger SV "
        "raises aortic pressure, so ESP rises too; the contractility lesson's chart held ESP at 100 mmHg and showed "
        "only the steeper line."},
    {"Isolated heart. Contractility: down to 70 % of control", ModelKind::Heart, Param::Ees, 1.4, {S, U, D, D},
        "A weaker ventricle has a flatter PIP line, so ejection ends on the line at a larger volume: ESV rises and SV "
        "falls. The isolated heart's filling is not touched, so EDV stays. The smaller SV lets aortic pressure fall, "
        "so ESP falls too."},
    {"Isolated heart. Stiffer ventricle in diastole: stiffness exponent B up by 20 %", ModelKind::Heart, Param::B,
        0.036, {D, D, D, D},
        "A stiffer ventricle has a steeper filling curve: at the same atrial pressure it fills less, so EDV falls. "
        "Through the Frank-Starling mechanism the smaller EDV gives a smaller SV, which lets aortic pressure fall, so "
        "ejection ends lower down the PIP line, at a smaller ESV. Contractility is unchanged: the PIP line keeps its "
        "slope."},
    {"Whole circulation. Afterload: peripheral resistance doubled", ModelKind::Circulation, Param::R, 2.04,
        {U, U, D, U},
        "The first beats go as in the isolated heart: aortic pressure stays higher, ejection ends on the PIP line at a "
        "higher pressure and a larger volume, so ESV and ESP rise and SV falls. The blood left behind then adds to "
        "the next filling and the atrial pressure rises, so over the next beats EDV rises too and partly restores SV: "
        "the afterload lesson's two steps. Watch the beats play out after the change."},
    {"Whole circulation. Contractility: down to 60 % of control", ModelKind::Circulation, Param::Ees, 1.2, {U, U, D, D},
        "A weaker ventricle ends ejection on a flatter PIP line, at a larger volume: ESV rises and SV falls. The "
        "blood left behind backs up into the atrium, whose pressure rises, so the ventricle fills further: EDV rises, "
        "which recovers part of the lost SV. The smaller output lets aortic pressure fall, so ESP falls."},
    {"Whole circulation. Heart rate: paced from 75 to 145 beats/min", ModelKind::Circulation, Param::HR, 145,
        {D, S, D, S},
        "The faster the rate, the shorter diastole, and the ventricle has less time to fill: EDV falls and SV falls "
        "with it, nearly in proportion to the rate, so cardiac output hardly changes: the pacing plateau, seen in "
        "people paced at rest. Mean aortic pressure holds, so ejection ends on the PIP line where it did: ESV and ESP "
        "stay. "
        "The model keeps contractility fixed; in the body a faster rate raises it a little."},
    {"Whole circulation. Stiffer arteries: arterial compliance down from 2.2 to 0.6 ml/mmHg", ModelKind::Circulation,
        Param::C, 0.6, {U, U, S, U},
        "Stiff arteries cannot stretch to take in the ejected blood, so aortic pressure climbs higher during ejection "
        "and falls further between beats: SBP up, DBP down, a wider pulse pressure. The ventricle ends ejection on the "
        "PIP line at the higher pressure, so ESP and ESV rise; the blood left behind raises the next filling, so EDV "
        "rises as well and SV is kept."},
    {"Whole circulation. Bleeding: 500 ml of blood lost", ModelKind::Circulation, Param::Volume, -500, {D, D, D, D},
        "With less blood in the veins, less returns to the heart and the filling pressures fall: EDV falls, and "
        "through the Frank-Starling mechanism SV falls with it. The smaller output lets aortic pressure fall, so "
        "ejection ends lower down the PIP line: ESV and ESP fall. EF hardly changes. The model has no reflexes; in "
        "the body the heart rate and the resistance would rise to hold pressure."},
    {"Whole circulation. Aortic stenosis: valve area narrowed to 0.7 cm²", ModelKind::Circulation, Param::AVA, 0.7,
        {U, U, D, U},
        "Driving blood through the narrow valve takes a pressure drop that grows with the square of flow, so LVP "
        "during ejection runs far above aortic pressure. Ejection ends on the PIP line at that higher LVP, at a "
        "larger volume: ESP and ESV rise and SV falls. The blood left behind raises the atrial pressure and the next "
        "filling, so EDV rises; aortic pressure itself falls with the smaller output. The model shows the valve "
        "alone, before the wall thickens."},
    {"Whole circulation. Mitral regurgitation: a leak of 0.4 cm²", ModelKind::Circulation, Param::MROA, 0.4,
        {U, D, U, D},
        "During systole blood leaks back into the atrium as well as out into the aorta, so there is no true "
        "isovolumic contraction: the loop's left side slopes from the start. The ventricle empties further, so ESV "
        "falls and the loop is wider, but the wider loop counts the leak: less goes forward, so aortic pressure and "
        "ESP fall. The leaked blood raises the atrial pressure and returns in diastole, so EDV rises."},
    {"Whole circulation. Aortic regurgitation: a leak of 0.3 cm²", ModelKind::Circulation, Param::AROA, 0.3,
        {U, D, U, D},
        "During diastole blood leaks back from the aorta into the ventricle as well as in from the atrium, so there is "
        "no true isovolumic relaxation and the ventricle ends filling fuller: EDV rises. It ejects a larger SV, but "
        "part of it leaks straight back, so aortic pressure falls low between beats. Ejection therefore ends lower "
        "down the PIP line, at a smaller volume: ESP and ESV fall."},
    {"Whole circulation. Mitral stenosis: valve area narrowed to 1.0 cm²", ModelKind::Circulation, Param::MVA, 1.0,
        {D, D, D, D},
        "The narrow mitral valve holds blood back in the atrium, whose pressure rises, while the ventricle fills less: "
        "EDV falls and SV with it. The smaller output lets aortic pressure fall, so ejection ends lower down the PIP "
        "line: ESV and ESP fall. The ventricle itself is normal; its loop is small because it is underfilled."},
    {"Whole circulation. Support: VA-ECMO started at 4 l/min", ModelKind::Circulation, Param::ECMO, 4, {U, U, D, U},
        "The circuit drains blood from the right atrium and pumps it into the arteries, so aortic pressure rises "
        "while the pulse narrows. That pressure is the ventricle's afterload: the aortic valve opens later and "
        "ejection ends on the PIP line at a higher pressure and a larger volume, so ESP and ESV rise and SV falls. "
        "The lungs still return blood to the left heart, and what the ventricle cannot eject stays behind: EDV, the "
        "end-diastolic pressure and the left atrial pressure rise. This is the distended ventricle of VA-ECMO; a pump "
        "across the aortic valve (Axial) unloads it again."},
    {"Whole circulation. Support: a centrifugal LVAD turning slowly, at 2,000 rpm", ModelKind::Circulation, Param::LVAD,
        2000, {U, D, U, D},
        "The pump runs from the apex to the aorta all the time. In systole, with little pressure across it, it adds "
        "to the ejection: the ventricle empties further, so ESV and ESP fall. In diastole the aortic pressure is "
        "more than a slow pump can push against, so blood runs back through it into the ventricle, as through a "
        "leaking aortic valve: the ventricle ends filling fuller, EDV rises and the loop widens, SV up. Turned faster, "
        "the pump keeps flowing forward and the whole loop moves left."},
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
    Parameters p(model);
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
    : controls_{simulator_.steady(Parameters(ModelKind::Circulation)), simulator_.steady(Parameters(ModelKind::Heart))}
    , controlMeasures_{measure(controls_[0]), measure(controls_[1])}
{
}

const SteadyState &ExerciseCheck::control(ModelKind model) const
{
    return controls_[model == ModelKind::Circulation ? 0 : 1];
}

ExerciseResult ExerciseCheck::check(const Exercise &exercise, const Predictions &predictions)
{
    ExerciseResult r;
    const std::size_t which = exercise.model == ModelKind::Circulation ? 0 : 1;
    r.after = simulator_.steady(exercise.parameters(), controls_[which].start);
    r.before = controlMeasures_[which];
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
