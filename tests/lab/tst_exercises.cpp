// Predict, then see: every exercise's stored answer is the model's, with room
// to spare around the "same" line, and predictions are marked against it.
#include "lab/exercises.h"

#include <QtTest>
#include <set>
#include <tuple>

using namespace valthera;
using lab::Direction;

Q_DECLARE_METATYPE(const valthera::lab::Exercise *)
Q_DECLARE_METATYPE(valthera::lab::Predictions)

namespace {

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A different direction from the answer, whatever it is.
Direction wrong(Direction answer)
{
    return answer == Direction::Up ? Direction::Down : Direction::Up;
}

} // namespace

class TestExercises : public QObject {
    Q_OBJECT

private slots:
    void sameBelowTwoPercent_data();
    void sameBelowTwoPercent();
    void coversTheCauses();
    void heldToModel_data();
    void heldToModel();
    void marking_data();
    void marking();
};

void TestExercises::sameBelowTwoPercent_data()
{
    QTest::addColumn<double>("control");
    QTest::addColumn<double>("changed");
    QTest::addColumn<Direction>("direction");
    QTest::newRow("1.9 % up") << 100.0 << 101.9 << Direction::Same;
    QTest::newRow("2.1 % up") << 100.0 << 102.1 << Direction::Up;
    QTest::newRow("1.9 % down") << 100.0 << 98.1 << Direction::Same;
    QTest::newRow("2.1 % down") << 100.0 << 97.9 << Direction::Down;
    // Of the control value, not of the changed one: 2 % of 100, 1.96 % of 102.
    QTest::newRow("of control") << 100.0 << 102.0 << Direction::Up;
}

void TestExercises::sameBelowTwoPercent()
{
    QFETCH(double, control);
    QFETCH(double, changed);
    QFETCH(Direction, direction);
    QCOMPARE(lab::directionOf(control, changed), direction);
    QCOMPARE(lab::directionFromText(lab::directionText(direction)), direction);
}

void TestExercises::coversTheCauses()
{
    // Each cause the lessons and the lab teach, changed the way it happens,
    // in the model that can show it.
    using P = model::Param;
    using M = model::ModelKind;
    const std::set<std::tuple<M, P, bool>> wanted{{M::Heart, P::R, true}, {M::Heart, P::R, false},
        {M::Heart, P::Pla, true}, {M::Heart, P::Pla, false}, {M::Heart, P::Ees, true}, {M::Heart, P::Ees, false},
        {M::Heart, P::B, true}, {M::Circulation, P::R, true}, {M::Circulation, P::Ees, false},
        {M::Circulation, P::HR, true}, {M::Circulation, P::C, false}, {M::Circulation, P::Volume, false},
        {M::Circulation, P::AVA, false}, {M::Circulation, P::MROA, true}, {M::Circulation, P::AROA, true},
        {M::Circulation, P::MVA, false}};
    std::set<std::tuple<M, P, bool>> found;
    for (const lab::Exercise &e : lab::exercises())
        found.insert({e.model, e.parameter, e.value > model::Parameters(e.model)[e.parameter]});
    for (const auto &cause : wanted)
        QVERIFY2(found.count(cause), model::info(std::get<1>(cause)).name.data());
}

void TestExercises::heldToModel_data()
{
    QTest::addColumn<const lab::Exercise *>("exercise");
    for (const lab::Exercise &e : lab::exercises())
        QTest::newRow(e.name.data()) << &e;
}

void TestExercises::heldToModel()
{
    QFETCH(const lab::Exercise *, exercise);
    QCOMPARE(lab::findExercise(exercise->name), exercise);
    const model::Parameters p = exercise->parameters();
    QVERIFY(!p.firstOutOfRange());
    QVERIFY(p != model::Parameters(exercise->model));
    // The name says which model it runs in.
    QVERIFY(exercise->name.starts_with(
        exercise->model == model::ModelKind::Heart ? "Isolated heart." : "Whole circulation."));

    const model::SteadyState before = model::steadyState(model::Parameters(exercise->model));
    const model::SteadyState after = model::steadyState(p);
    QVERIFY(after.converged);
    const model::Measures m0 = model::measure(before);
    const model::Measures m1 = model::measure(after);
    const QString explanation = QString::fromStdString(exercise->explanation());
    for (std::size_t i = 0; i < lab::kAskedMeasures.size(); ++i) {
        const model::Measure m = lab::kAskedMeasures[i];
        const double move = 100 * std::abs(m1[m] - m0[m]) / m0[m];
        const QString where = text(model::info(m).name) + QStringLiteral(" moves %1 %").arg(move, 0, 'f', 2);
        // Clear of the 2 % line either way, so no answer hangs on it.
        QVERIFY2(move < 1 || move > 4, qPrintable(where));
        QVERIFY2(exercise->expected[i] == lab::directionOf(m0[m], m1[m]), qPrintable(where));
        // The explanation tells the stored direction of every measure.
        const Direction d = exercise->expected[i];
        const QString told = text(model::info(m).name) + QLatin1Char(' ') +
            (d == Direction::Same ? QStringLiteral("the same") : text(lab::directionText(d))) + QLatin1Char('.');
        QVERIFY2(explanation.contains(told), qPrintable(told));
    }
}

void TestExercises::marking_data()
{
    QTest::addColumn<const lab::Exercise *>("exercise");
    QTest::addColumn<lab::Predictions>("predictions");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("notPredicted");
    for (const lab::Exercise &e : lab::exercises()) {
        const lab::Directions &a = e.expected;
        const std::string name(e.name);
        QTest::addRow("%s: all correct", name.c_str())
            << &e << lab::Predictions{a[0], a[1], a[2], a[3]} << "CORRECT!|CORRECT!|CORRECT!|CORRECT!"
            << "4 of 4 correct" << QString();
        QTest::addRow("%s: all wrong", name.c_str())
            << &e << lab::Predictions{wrong(a[0]), wrong(a[1]), wrong(a[2]), wrong(a[3])}
            << "TRY AGAIN|TRY AGAIN|TRY AGAIN|TRY AGAIN"
            << "0 of 4 correct" << QString();
        QTest::addRow("%s: ESV and SV missing", name.c_str())
            << &e << lab::Predictions{a[0], std::nullopt, std::nullopt, a[3]} << "CORRECT!|TRY AGAIN|TRY AGAIN|CORRECT!"
            << "2 of 4 correct"
            << "Not predicted: ESV, SV.\n";
    }
}

void TestExercises::marking()
{
    QFETCH(const lab::Exercise *, exercise);
    QFETCH(lab::Predictions, predictions);
    QFETCH(QString, marks);
    QFETCH(QString, score);
    QFETCH(QString, notPredicted);
    static lab::ExerciseCheck check; // Control once for every row

    const lab::ExerciseResult r = check.check(*exercise, predictions);
    QStringList shown;
    for (std::string_view mark : r.marks)
        shown << text(mark);
    QCOMPARE(shown.join(QLatin1Char('|')), marks);
    QCOMPARE(QString::fromStdString(r.score), score);
    QCOMPARE(QString::fromStdString(r.explanation), notPredicted + QString::fromStdString(exercise->explanation()));
    QCOMPARE(r.after.parameters, exercise->parameters());
}

QTEST_GUILESS_MAIN(TestExercises)
#include "tst_exercises.moc"
