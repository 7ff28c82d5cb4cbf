// "Predict, then see" worked as a student works it: an exercise chosen on the
// list, predictions typed into the boxes, Check clicked; the marks, the score,
// the explanation, what is read out, and the loop the lab then shows.

#include "app/program.h"
#include "lab/exercises.h"
#include "lab/looplabwindow.h"
#include "support/accessibilityevents.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace valthera;
using namespace valthera::lab;

namespace {

QString word(Direction d)
{
    return toQString(directionText(d));
}

QString measureName(std::size_t i)
{
    return toQString(info(kAskedMeasures[i]).name);
}

} // namespace

class ExercisePanelTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        lab_ = testing::openLab(*program_);
        QVERIFY(lab_);
    }
    void cleanup() { testing::endProgram(program_); }

    void checkMarksEachPredictionAndShowsTheLoop_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("typed"); // per asked measure; empty for none
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("notPredicted");

        const QString right = toQString(kCorrectMark), wrong = toQString(kWrongMark);
        int row = 0;
        for (const Exercise &e : exercises()) {
            QStringList correct, mistaken, partial;
            for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
                correct << word(e.expected[i]);
                mistaken << word(e.expected[i] == Direction::Up ? Direction::Down : Direction::Up);
                partial << (i % 2 ? QString() : correct.last());
            }
            const QByteArray name(e.name.data(), static_cast<qsizetype>(e.name.size()));
            QTest::newRow((name + " / all right").constData())
                << row << correct << QStringList(4, right) << "4 of 4 correct" << QString();
            QTest::newRow((name + " / all wrong").constData())
                << row << mistaken << QStringList(4, wrong) << "0 of 4 correct" << QString();
            QTest::newRow((name + " / two left out").constData())
                << row << partial << QStringList{right, wrong, right, wrong} << "2 of 4 correct"
                << "Not predicted: " + measureName(1) + ", " + measureName(3) + ".";
            ++row;
        }
    }

    void checkMarksEachPredictionAndShowsTheLoop()
    {
        QFETCH(int, row);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, marks);
        QFETCH(QString, score);
        QFETCH(QString, notPredicted);
        const Exercise &exercise = exercises()[static_cast<std::size_t>(row)];

        auto *list = child<QListWidget>("exercises");
        QVERIFY(list->count() >= 12);
        // Half the exercises come by the mouse, half by the arrow keys.
        if (row % 2)
            testing::clickRow(list, row);
        else
            testing::keyToRow(list, row);
        QCOMPARE(list->currentItem()->text(), toQString(exercise.name));

        for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
            auto *combo = child<QComboBox>("predict" + measureName(i));
            QCOMPARE(combo->currentIndex(), -1); // nothing is predicted for the student
            const QString &prediction = typed[static_cast<qsizetype>(i)];
            if (prediction.isEmpty())
                continue;
            combo->setFocus();
            QTest::keyClicks(combo, prediction);
            QCOMPARE(combo->currentText(), prediction);
        }

        testing::AccessibilityEvents heard;
        testing::click(child<QPushButton>("cmdCheck"));

        for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
            auto *mark = child<QLabel>("mark" + measureName(i));
            QCOMPARE(mark->text(), marks[static_cast<qsizetype>(i)]);
            // Read out naming the measure, the moment it is marked.
            QCOMPARE(heard.announcements(mark), QStringList(measureName(i) + ": " + mark->text()));
        }
        QCOMPARE(child<QLabel>("exerciseScore")->text(), score);
        const QString explanation = child<QPlainTextEdit>("exerciseExplanation")->toPlainText();
        QCOMPARE(explanation.startsWith("Not predicted"), !notPredicted.isEmpty());
        QVERIFY2(explanation.startsWith(notPredicted), qPrintable(explanation));
        QVERIFY(explanation.contains(toQString(exercise.why)));

        // The lab shows the exercise's loop, solved, over Control.
        const LabSession &session = lab_->session();
        QVERIFY(session.parameters() == exercise.parameters());
        QVERIFY(!session.stale());
        QVERIFY(session.baseline().parameters == Parameters(exercise.model));
        const auto *spin = child<QDoubleSpinBox>("spin" + toQString(info(exercise.parameter).name));
        QCOMPARE(spin->value(), exercise.value);
    }

    void anotherExerciseStartsAfreshAndNoneChecksNothing()
    {
        auto *check = child<QPushButton>("cmdCheck");
        auto *list = child<QListWidget>("exercises");
        const Parameters before = lab_->session().parameters();
        testing::click(check);
        QVERIFY(child<QLabel>("markEDV")->text().isEmpty());
        QVERIFY(lab_->session().parameters() == before);

        testing::clickRow(list, 2);
        for (std::size_t i = 0; i < kAskedMeasures.size(); ++i)
            QTest::keyClicks(child<QComboBox>("predict" + measureName(i)), "up");
        testing::click(check);
        QVERIFY(!child<QLabel>("markESP")->text().isEmpty());

        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 3);
        for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
            QCOMPARE(child<QComboBox>("predict" + measureName(i))->currentIndex(), -1);
            QVERIFY(child<QLabel>("mark" + measureName(i))->text().isEmpty());
        }
        QVERIFY(child<QLabel>("exerciseScore")->text().isEmpty());
        QVERIFY(child<QPlainTextEdit>("exerciseExplanation")->toPlainText().isEmpty());
    }

    void tabWalksThePanelAsItReads()
    {
        auto *list = child<QListWidget>("exercises");
        testing::clickRow(list, 0); // Check takes the focus once there is something to check
        list->setFocus();
        QStringList walked;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QAccessible::queryAccessibleInterface(QApplication::focusWidget())->text(QAccessible::Name);
        }
        QCOMPARE(walked,
            QStringList({"Your prediction for EDV", "Your prediction for ESV", "Your prediction for SV",
                "Your prediction for ESP", "Check", "Explanation"}));
    }

private:
    template <typename T> T *child(const QString &name) { return testing::child<T>(lab_, name); }

    std::unique_ptr<Program> program_;
    LoopLabWindow *lab_ = nullptr;
};

QTEST_MAIN(ExercisePanelTest)
#include "tst_exercisepanel.moc"
