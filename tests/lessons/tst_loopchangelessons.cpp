// The afterload, preload and contractility lessons worked through their
// widgets. What the three share runs once per lesson from a table: every view
// marked by its key, the restart, the chart buttons, the picture window opened
// at creation and the text area. What is particular to one lesson follows,
// lesson by lesson: the keys read off the charts, odd lines and windows.

#include "diagrams/loopgeometry.h"
#include "loopchangerig.h"

#include <QtTest>
#include <cmath>

using namespace valthera;
using namespace valthera::testing;

Q_DECLARE_METATYPE(valthera::PictureId)

namespace {
const QString kAfterload = QStringLiteral("LoopChangesAfterload");
const QString kPreload = QStringLiteral("LoopChangesPreload");
const QString kContractility = QStringLiteral("LoopChangesContractility");
const QString kCorrect = QStringLiteral("CORRECT!");
const QString kTryAgain = QStringLiteral("TRY AGAIN");
const QString kPipLine = QStringLiteral("PipLine");

// The work of one beat: the area the loop encloses (mmHg x ml).
double strokeWork(const LoopGeometry &loop)
{
    double twiceArea = 0;
    for (int i = 1; i <= 5; ++i) {
        const LoopPoint &a = loop.point(i);
        const LoopPoint &b = loop.point(i % 5 + 1);
        twiceArea += a.volume * b.pressure - b.volume * a.pressure;
    }
    return std::abs(twiceArea) / 2;
}
} // namespace

class LoopChangeLessons : public QObject {
    Q_OBJECT
private slots:
    // Shared by the three lessons.
    void everyViewIsMarkedByItsKey_data();
    void everyViewIsMarkedByItsKey();
    void markingAtNinetyStartsOver_data();
    void markingAtNinetyStartsOver();
    void chartButtonsInEveryOrder_data();
    void chartButtonsInEveryOrder();
    void creationOpensTheLessonsWindow_data();
    void creationOpensTheLessonsWindow();
    void typingIsUndoneWhileATopicIsSelected_data();
    void typingIsUndoneWhileATopicIsSelected();
    void typingStaysWithTheHeadingSelected_data();
    void typingStaysWithTheHeadingSelected();

    // Afterload.
    void afterloadKeysAgreeWithTheCharts();
    void afterloadLinesWithOddBlanksAreExact();
    void afterloadTopicFiveBringsItsWindowForward();
    // Preload.
    void preloadKeysAgreeWithTheCharts();
    void preloadLeavesAnOpenWindowBehind();
    void preloadTopicsBringTheWindowForwardOnlyWhenTheTextChanges();
    void preloadTypingUnderTopicSixShowsItsWindow();
    // Contractility.
    void contractilityKeysAgreeWithTheCharts();
    void contractilityButtonsRunDownInSmallType();
    void contractilityTopicThreeShowsItsTextWithTheSameWindow();
    void contractilityReopeningRunsCreationAgainButKeepsTheCounter();
};

void LoopChangeLessons::everyViewIsMarkedByItsKey_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QList<int>>("keys"); // the correct line of every view, counter 0, 6, … 120
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<bool>("nextBeforeStart");
    QTest::newRow("afterload") << kAfterload
                               << QList<int>{1, 1, 2, 5, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 1, 1, 1, 1, 1} << 10
                               << QStringLiteral("NO MORE AFTERLOAD QUESTIONS") << false;
    QTest::newRow("preload") << kPreload << QList<int>{4, 1, 5, 2, 1, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 4, 4, 4, 4, 4}
                             << 5 << QStringLiteral("6. NO MORE PRELOAD QUESTIONS") << false;
    // Next before Start fills the hidden list; Start then puts up question 1.
    QTest::newRow("contractility") << kContractility
                                   << QList<int>{5, 3, 4, 4, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 5, 5, 5, 5, 5} << 5
                                   << QStringLiteral("6. NO MORE CONTRACTILITY QUESTIONS") << true;
}

// Walks the lesson from Start through every view up to counter 120 and one
// Next past it. Each view must show its question (stem numbered by the view),
// the closing line or blank lines, and mark each row by its key; the view at
// the restart counter is left unmarked.
void LoopChangeLessons::everyViewIsMarkedByItsKey()
{
    QFETCH(QString, lesson);
    QFETCH(QList<int>, keys);
    QFETCH(int, questions);
    QFETCH(QString, closing);
    QFETCH(bool, nextBeforeStart);
    LoopChangeRig rig(lesson);
    QVERIFY(rig.screen());
    QVERIFY(!rig.choices()->isVisible());
    QCOMPARE(rig.feedback(), QString());
    if (nextBeforeStart) {
        rig.next();
        QVERIFY(!rig.choices()->isVisible());
        QCOMPARE(rig.counter(), 6);
    }

    const int closingSlot = 6 * (questions - 1) + 1;
    rig.start();
    QVERIFY(rig.choices()->isVisible());
    for (int view = 0; view <= 20; ++view) {
        const int counter = 6 * view;
        QCOMPARE(rig.counter(), counter);
        const QStringList shown = rig.choiceLines();
        QCOMPARE(shown.size(), 6);
        if (view < questions) {
            QVERIFY2(shown[0].startsWith(QString::number(view + 1) + QStringLiteral(". ")), qPrintable(shown[0]));
        } else {
            for (int row = 0; row < 6; ++row) {
                const int slot = counter - 5 + row;
                const QString expected = slot == closingSlot ? closing
                    : slot == 59 || slot == 60               ? QStringLiteral(" ")
                                                             : QString();
                QCOMPARE(shown[row], expected);
            }
        }
        if (counter != LoopChangeLesson::kRestartAt) {
            for (int row = 0; row < 6; ++row) {
                rig.choose(row);
                QCOMPARE(rig.feedback(), row == keys[view] ? kCorrect : kTryAgain);
            }
            QCOMPARE(rig.counter(), counter);
            QCOMPARE(rig.choiceLines(), shown);
        }
        rig.next();
        QCOMPARE(rig.feedback(), QStringLiteral(" "));
    }
    // The store ends at slot 120: Next there keeps the last view.
    QCOMPARE(rig.counter(), 120);
    const QStringList last = rig.choiceLines();
    rig.next();
    QCOMPARE(rig.counter(), 120);
    QCOMPARE(rig.choiceLines(), last);
}

void LoopChangeLessons::markingAtNinetyStartsOver_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("feedback");
    QTest::newRow("afterload, correct") << kAfterload << 2 << kCorrect;
    QTest::newRow("afterload, wrong") << kAfterload << 4 << kTryAgain;
    QTest::newRow("preload, correct") << kPreload << 2 << kCorrect;
    QTest::newRow("contractility, wrong") << kContractility << 0 << kTryAgain;
    QTest::newRow("contractility, correct") << kContractility << 2 << kCorrect;
}

// At the restart counter a mark gives its feedback, then empties the list and
// starts over, so the next Next puts up question 2.
void LoopChangeLessons::markingAtNinetyStartsOver()
{
    QFETCH(QString, lesson);
    QFETCH(int, row);
    QFETCH(QString, feedback);
    LoopChangeRig rig(lesson);
    rig.start();
    while (rig.counter() < LoopChangeLesson::kRestartAt)
        rig.next();
    rig.choose(row);
    QCOMPARE(rig.feedback(), feedback);
    QCOMPARE(rig.counter(), 0);
    QVERIFY(rig.choiceLines().isEmpty());
    rig.next();
    QVERIFY(rig.choiceLines().value(0).startsWith(QStringLiteral("2. ")));
    QCOMPARE(rig.counter(), 6);

    // Reset and Start keep the last feedback; only Next blanks it.
    rig.choose(3);
    const QString marked = rig.feedback();
    QVERIFY(marked == kCorrect || marked == kTryAgain);
    rig.reset();
    rig.start();
    QCOMPARE(rig.feedback(), marked);
}

void LoopChangeLessons::chartButtonsInEveryOrder_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("charts"); // the box each button puts on view
    QTest::addColumn<QList<PictureId>>("pictures"); // and the picture it shows
    QTest::addColumn<int>("first"); // the chart on view at creation
    // A chart pressed after another lies over it, which stays shown beneath (-1: not checked).
    QTest::addColumn<int>("under");
    QTest::addColumn<int>("over");
    QTest::newRow("afterload") << kAfterload << QStringList{"cmdControl", "cmdAfterLoad90", "cmdAfterLoad100"}
                               << QStringList{"control", "AfterLoad90", "AfterLoad100"}
                               << QList<PictureId>{PictureId::AfterloadControl, PictureId::Afterload90,
                                      PictureId::Afterload100}
                               << 0 << -1 << -1;
    QTest::newRow("preload") << kPreload << QStringList{"cmdControl", "cmdPreload100", "cmdPreload140"}
                             << QStringList{"control", "Preload100", "Preload140"}
                             << QList<PictureId>{PictureId::PreloadControl, PictureId::Preload100,
                                    PictureId::Preload140}
                             << 0 << 2 << 1;
    // The column runs 75 %, control, 125 % from the top.
    QTest::newRow("contractility") << kContractility
                                   << QStringList{"cmdContractility75", "cmdControl", "cmdContractility125"}
                                   << QStringList{"Contractility75", "control", "Contractility125"}
                                   << QList<PictureId>{PictureId::Contractility75, PictureId::ContractilityControl,
                                          PictureId::Contractility125}
                                   << 1 << 0 << 2;
}

void LoopChangeLessons::chartButtonsInEveryOrder()
{
    QFETCH(QString, lesson);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, charts);
    QFETCH(QList<PictureId>, pictures);
    QFETCH(int, first);
    QFETCH(int, under);
    QFETCH(int, over);
    LoopChangeRig rig(lesson);
    QCOMPARE(rig.chartOnView(), charts[first]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), pictures[first]);

    // Every order of three presses: each press puts its own chart on view.
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            for (int c = 0; c < 3; ++c)
                for (const int pressed : {a, b, c}) {
                    rig.press(buttons[pressed]);
                    QCOMPARE(rig.chartOnView(), charts[pressed]);
                    QCOMPARE(pictureOnView(rig.screen())->picture(), pictures[pressed]);
                }

    if (under >= 0) {
        rig.press(buttons[under]);
        rig.press(buttons[over]);
        QCOMPARE(pictureOnView(rig.screen())->picture(), pictures[over]);
        QVERIFY(child<PictureBox>(rig.screen(), charts[under])->isVisible());
        QCOMPARE(child<PictureBox>(rig.screen(), charts[over])->geometry(),
            child<PictureBox>(rig.screen(), QStringLiteral("control"))->geometry());
        rig.press(buttons[under]);
        QCOMPARE(pictureOnView(rig.screen())->picture(), pictures[under]);
        QVERIFY(child<PictureBox>(rig.screen(), QStringLiteral("control"))->isVisible());
    }
    // Buttons switch charts and nothing else.
    QVERIFY(!rig.text()->isVisible());
    QVERIFY(rig.choiceLines().isEmpty());
}

void LoopChangeLessons::creationOpensTheLessonsWindow_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("topic"); // whose text the hidden text area holds
    QTest::newRow("afterload") << kAfterload << QStringLiteral("IncreasedAfterload") << 1;
    QTest::newRow("preload") << kPreload << QStringLiteral("IncreasedPreload") << 2;
    QTest::newRow("contractility") << kContractility << QStringLiteral("IncreasedContractility") << 3;
}

void LoopChangeLessons::creationOpensTheLessonsWindow()
{
    QFETCH(QString, lesson);
    QFETCH(QString, window);
    QFETCH(int, topic);
    LoopChangeRig rig(lesson);
    QVERIFY(rig.window(window) && rig.window(window)->isVisible());
    for (const QString &other : pictureWindows()) {
        if (other != window)
            QVERIFY2(!rig.window(other), qPrintable(other));
    }
    QVERIFY(!rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(topic));
}

void LoopChangeLessons::typingIsUndoneWhileATopicIsSelected_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("bringsWindowForward"); // as the text is put back
    QTest::newRow("afterload") << kAfterload << QStringLiteral("xy") << false;
    QTest::newRow("preload") << kPreload << QStringLiteral("q") << true;
    QTest::newRow("contractility") << kContractility << QStringLiteral("x") << true;
}

// Topic 4 shows its text and the PIP line window; clicks leave the text
// shown, and typing is undone (in preload and contractility bringing the
// topic's window forward).
void LoopChangeLessons::typingIsUndoneWhileATopicIsSelected()
{
    QFETCH(QString, lesson);
    QFETCH(QString, typed);
    QFETCH(bool, bringsWindowForward);
    LoopChangeRig rig(lesson);
    rig.pickTopic(0);
    QVERIFY(!rig.text()->isVisible());
    rig.pickTopic(4);
    QVERIFY(rig.text()->isVisible());
    QWidget *pipLine = rig.window(kPipLine);
    QVERIFY(pipLine);
    rig.bringLessonForward();
    click(rig.text()->viewport());
    QVERIFY(rig.text()->isVisible());
    QTest::keyClicks(rig.text(), typed);
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(4));
    if (bringsWindowForward)
        QTRY_COMPARE(QApplication::activeWindow(), pipLine);
}

void LoopChangeLessons::typingStaysWithTheHeadingSelected_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<int>("before"); // the topic selected before the heading
    QTest::addColumn<QString>("typed");
    QTest::newRow("preload") << kPreload << 1 << QStringLiteral("notes");
    QTest::newRow("contractility") << kContractility << 7 << QStringLiteral("my own words");
}

void LoopChangeLessons::typingStaysWithTheHeadingSelected()
{
    QFETCH(QString, lesson);
    QFETCH(int, before);
    QFETCH(QString, typed);
    LoopChangeRig rig(lesson);
    rig.pickTopic(before);
    rig.pickTopic(0);
    rig.bringLessonForward();
    QTest::keyClicks(rig.text(), typed);
    settle();
    QVERIFY(rig.text()->toPlainText().contains(typed));
    QVERIFY(rig.text()->isVisible());
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(rig.screen()));
}

// ---- Afterload ---------------------------------------------------------------

void LoopChangeLessons::afterloadKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &al90 = loopGeometry(LoopId::Afterload90);
    const LoopGeometry &al100 = loopGeometry(LoopId::Afterload100);
    LoopChangeRig rig(kAfterload);
    rig.start();

    // 1: SV is what falls at AL 100; EDV stays.
    QVERIFY(al100.strokeVolume() < control.strokeVolume());
    QCOMPARE(al100.edv(), control.edv());
    QCOMPARE(keyedChoice(rig), QStringLiteral("a. Stroke Volume (SV)"));
    rig.next();
    // 2: the peak rises from 120 to 150 mmHg.
    QCOMPARE(choiceValue(keyedChoice(rig)), al100.peakPressure() - control.peakPressure());
    rig.next();
    // 3: pulse pressure at AL 100, peak less the pressure at which the valve opens.
    QCOMPARE(choiceValue(keyedChoice(rig)), al100.peakPressure() - al100.aorticOpening());
    rig.next();
    // 4: a higher afterload lowers SV and EF but leaves the PIP line's slope.
    QVERIFY(al100.strokeVolume() < al90.strokeVolume());
    QVERIFY(al100.ejectionFraction() < control.ejectionFraction());
    QCOMPARE(al100.esp() / al100.esv(), control.esp() / control.esv());
    QCOMPARE(keyedChoice(rig), QStringLiteral("e. None of the above are true"));
    rig.next();
    // 5: AL 90 raises the end-systolic pressure.
    QVERIFY(al90.esp() > control.esp());
    QCOMPARE(keyedChoice(rig), QStringLiteral("e. both a AND b"));
    rig.next();
    // 6 and 7: at AL 100 the valve opens at 100 and closes at 125 mmHg.
    QCOMPARE(choiceValue(keyedChoice(rig)), al100.aorticOpening());
    rig.next();
    QCOMPARE(keyedChoice(rig), QStringLiteral("e. between 120 and 130 mmHg"));
    QVERIFY(al100.esp() > 120 && al100.esp() < 130);
}

void LoopChangeLessons::afterloadLinesWithOddBlanksAreExact()
{
    LoopChangeRig rig(kAfterload);
    rig.start();
    QCOMPARE(rig.choiceLines().value(3), QStringLiteral("c.  End Systolic Volume (ESV)"));
    for (int i = 0; i < 7; ++i)
        rig.next();
    QCOMPARE(rig.choiceLines().value(5), QStringLiteral("e. Increase aortic pressure "));
    rig.next();
    rig.next();
    QCOMPARE(rig.choiceLines().value(5), QStringLiteral("e. both c and d "));
}

void LoopChangeLessons::afterloadTopicFiveBringsItsWindowForward()
{
    // Topic 5 brings the window opened at creation forward again.
    LoopChangeRig rig(kAfterload);
    QWidget *window = rig.window(QStringLiteral("IncreasedAfterload"));
    QVERIFY(window);
    rig.pickTopic(1);
    rig.bringLessonForward();
    rig.pickTopic(5);
    QTRY_COMPARE(QApplication::activeWindow(), window);
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(5));
}

// ---- Preload -----------------------------------------------------------------

void LoopChangeLessons::preloadKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &pl100 = loopGeometry(LoopId::Preload100);
    const LoopGeometry &pl140 = loopGeometry(LoopId::Preload140);
    LoopChangeRig rig(kPreload);
    rig.start();

    // 1: at 140 ml both SV and EDV are greater.
    QVERIFY(pl140.strokeVolume() > control.strokeVolume());
    QVERIFY(pl140.edv() > control.edv());
    QCOMPARE(keyedChoice(rig), QStringLiteral("d. Both a. AND b. are greater"));
    rig.next();
    // 2: SV falls by 20 ml at 100 ml.
    QCOMPARE(choiceValue(keyedChoice(rig)), control.strokeVolume() - pl100.strokeVolume());
    rig.next();
    rig.next();
    // 4: SV and EF both grow with preload, and the PIP line keeps its slope.
    QVERIFY(pl100.ejectionFraction() < control.ejectionFraction());
    QVERIFY(control.ejectionFraction() < pl140.ejectionFraction());
    QCOMPARE(pl100.esp() / pl100.esv(), control.esp() / control.esv());
    QCOMPARE(pl140.esp() / pl140.esv(), control.esp() / control.esv());
    QCOMPARE(keyedChoice(rig), QStringLiteral("b. Both SV and EF increase with increasing preload"));
    rig.next();
    // 5: the 100 ml loop ejects less and peaks lower, so it does less work and
    // none of the lines claiming more work or a higher peak can be right.
    QVERIFY(strokeWork(pl100) < strokeWork(control));
    QVERIFY(pl100.peakPressure() < control.peakPressure());
    QCOMPARE(keyedChoice(rig), QStringLiteral("a. Less stroke work "));
    rig.choose(5);
    QCOMPARE(rig.feedback(), kTryAgain);
}

void LoopChangeLessons::preloadLeavesAnOpenWindowBehind()
{
    // Opened at creation when it is closed (above), left behind when already open.
    LoopChangeRig rig(kAfterload);
    rig.registry().show(QStringLiteral("IncreasedPreload"));
    rig.bringLessonForward();
    QWidget *lesson = rig.registry().show(kPreload);
    settle();
    QTRY_COMPARE(QApplication::activeWindow(), lesson);
}

void LoopChangeLessons::preloadTopicsBringTheWindowForwardOnlyWhenTheTextChanges()
{
    LoopChangeRig rig(kPreload);
    QWidget *window = rig.window(QStringLiteral("IncreasedPreload"));
    rig.bringLessonForward();
    // The text area already holds topic 2's paragraph: nothing changes, so the
    // window is not brought forward.
    rig.pickTopic(2);
    QVERIFY(rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(2));
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(rig.screen()));

    // Topic 6 changes the text, and the pass that change runs brings it forward.
    rig.pickTopic(6);
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(6));
    QTRY_COMPARE(QApplication::activeWindow(), window);

    // A closed window is opened again by either topic.
    rig.closePictureWindows();
    rig.pickTopic(2);
    QVERIFY(
        rig.window(QStringLiteral("IncreasedPreload")) && rig.window(QStringLiteral("IncreasedPreload"))->isVisible());
}

void LoopChangeLessons::preloadTypingUnderTopicSixShowsItsWindow()
{
    // The topic whose selection only makes its window visible still brings it
    // forward when typing is undone.
    LoopChangeRig rig(kPreload);
    rig.pickTopic(6);
    rig.bringLessonForward();
    QTest::keyClick(rig.text(), Qt::Key_Delete);
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(6));
    QTRY_COMPARE(QApplication::activeWindow(), rig.window(QStringLiteral("IncreasedPreload")));
}

// ---- Contractility -----------------------------------------------------------

void LoopChangeLessons::contractilityKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &ct75 = loopGeometry(LoopId::Contractility75);
    const LoopGeometry &ct125 = loopGeometry(LoopId::Contractility125);
    LoopChangeRig rig(kContractility);
    rig.start();

    // 1: at 125 % SV and EF are both greater (and the wider, taller loop does more work).
    QVERIFY(ct125.strokeVolume() > control.strokeVolume());
    QVERIFY(ct125.ejectionFraction() > control.ejectionFraction());
    QVERIFY(ct125.peakPressure() > control.peakPressure());
    QCOMPARE(keyedChoice(rig), QStringLiteral("e. All of a. , b. AND c. are greater"));
    rig.next();
    // 2: at 75 % the PIP line (origin through point 4) is flatter.
    QVERIFY(ct75.esp() / ct75.esv() < control.esp() / control.esv());
    QCOMPARE(keyedChoice(rig), QStringLiteral("c. Slope of the PIP line would be decreased"));
    rig.next();
    // 3 and 4: SV 80 ml, EF 2/3 at 125 %.
    QCOMPARE(choiceValue(keyedChoice(rig)), ct125.strokeVolume());
    rig.next();
    QVERIFY(qAbs(choiceValue(keyedChoice(rig)) - ct125.ejectionFraction()) < 0.01);
    rig.next();
    // 5: at 75 % stroke volume and ejection fraction fall.
    QVERIFY(ct75.strokeVolume() < control.strokeVolume());
    QVERIFY(ct75.ejectionFraction() < control.ejectionFraction());
    QCOMPARE(keyedChoice(rig), QStringLiteral("e. All of the above decrease"));
}

void LoopChangeLessons::contractilityButtonsRunDownInSmallType()
{
    LoopChangeRig rig(kContractility);
    int above = -1;
    for (const char *name : {"cmdContractility75", "cmdControl", "cmdContractility125"}) {
        auto *button = child<QPushButton>(rig.screen(), name);
        QVERIFY(button->y() > above);
        above = button->y();
        QCOMPARE(button->font().pointSizeF(), 8.25);
    }
    QCOMPARE(rig.label(QStringLiteral("Label2"))->font().pointSizeF(), 8.25);
}

void LoopChangeLessons::contractilityTopicThreeShowsItsTextWithTheSameWindow()
{
    // Topic 3 finds its text already in place and shows it with the window
    // opened at creation.
    LoopChangeRig rig(kContractility);
    QWidget *window = rig.window(QStringLiteral("IncreasedContractility"));
    rig.bringLessonForward();
    rig.pickTopic(3);
    QVERIFY(rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(3));
    QTRY_COMPARE(QApplication::activeWindow(), window);
    QCOMPARE(rig.window(QStringLiteral("IncreasedContractility")), window);

    // A click on the text area leaves it shown.
    click(rig.text()->viewport());
    QVERIFY(rig.text()->isVisible());
}

void LoopChangeLessons::contractilityReopeningRunsCreationAgainButKeepsTheCounter()
{
    LoopChangeRig rig(kContractility);
    rig.start();
    rig.next();
    rig.next();
    rig.closePictureWindows();
    rig.screen()->close();
    settle();
    QVERIFY(!rig.registry().find(kContractility));
    auto *again = qobject_cast<LessonScreen *>(rig.registry().show(kContractility));
    settle();
    QVERIFY(again);
    QVERIFY(rig.window(QStringLiteral("IncreasedContractility")) &&
        rig.window(QStringLiteral("IncreasedContractility"))->isVisible());
    QCOMPARE(static_cast<int>(rig.registry().counter(kContractility)), 12);
}

QTEST_MAIN(LoopChangeLessons)
#include "tst_loopchangelessons.moc"
