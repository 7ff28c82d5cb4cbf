// The preload lesson worked through its widgets: its five questions and the
// views after them, the 100 ml chart lying over the others, and the text area
// that puts back the selected topic whenever its text changes.

#include "diagrams/loopgeometry.h"
#include "loopchangerig.h"

#include <QtTest>
#include <cmath>

using namespace valthera;
using namespace valthera::testing;

namespace {
const QString kLesson = QStringLiteral("LoopChangesPreload");
const QString kWindow = QStringLiteral("IncreasedPreload");
const QString kCorrect = QStringLiteral("CORRECT!");
const QString kTryAgain = QStringLiteral("TRY AGAIN");
// The correct line of every view, counter 0, 6, … 120.
const std::vector<int> kKeys{4, 1, 5, 2, 1, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 4, 4, 4, 4, 4};
constexpr int kQuestions = 5;

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

class PreloadLesson : public QObject {
    Q_OBJECT
private slots:
    void everyViewIsMarkedByItsKey();
    void markingAtNinetyStartsOver();
    void questionKeysAgreeWithTheCharts();
    void chartButtonsInEveryOrder();
    void creationOnlyMakesThePreloadWindowVisible();
    void preloadTopicsBringTheWindowForwardOnlyWhenTheTextChanges();
    void typingIsUndoneWhileATopicIsSelected();
    void typingStaysWithTheHeadingSelected();
};

void PreloadLesson::everyViewIsMarkedByItsKey()
{
    LoopChangeRig rig(kLesson);
    QVERIFY(rig.screen());
    walkEveryView(rig, kKeys, kQuestions, QStringLiteral("6. NO MORE PRELOAD QUESTIONS"));
}

void PreloadLesson::markingAtNinetyStartsOver()
{
    LoopChangeRig rig(kLesson);
    markAtRestart(rig, 2, kCorrect);
    // Reset and Start keep the last feedback; only Next blanks it.
    rig.choose(3);
    rig.reset();
    rig.start();
    QCOMPARE(rig.feedback(), kTryAgain);
}

void PreloadLesson::questionKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &pl100 = loopGeometry(LoopId::Preload100);
    const LoopGeometry &pl140 = loopGeometry(LoopId::Preload140);
    LoopChangeRig rig(kLesson);
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

void PreloadLesson::chartButtonsInEveryOrder()
{
    LoopChangeRig rig(kLesson);
    const QStringList buttons{
        QStringLiteral("cmdControl"), QStringLiteral("cmdPreload100"), QStringLiteral("cmdPreload140")};
    const QStringList charts{QStringLiteral("control"), QStringLiteral("Preload100"), QStringLiteral("Preload140")};
    QCOMPARE(rig.chartOnView(), charts[0]);
    pressInEveryOrder(rig, buttons, charts);
    // 100 ml after 140 ml covers the 140 ml chart, which stays shown beneath.
    rig.press(buttons[2]);
    rig.press(buttons[1]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Preload100);
    QVERIFY(child<PictureBox>(rig.screen(), charts[2])->isVisible());
    QCOMPARE(
        child<PictureBox>(rig.screen(), charts[1])->geometry(), child<PictureBox>(rig.screen(), charts[0])->geometry());
    rig.press(buttons[2]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Preload140);
    QVERIFY(!rig.text()->isVisible());
    QVERIFY(rig.choiceLines().isEmpty());
}

void PreloadLesson::creationOnlyMakesThePreloadWindowVisible()
{
    // Opened at creation when it is closed...
    {
        LoopChangeRig rig(kLesson);
        QWidget *window = rig.window(kWindow);
        QVERIFY(window && window->isVisible());
        QVERIFY(!rig.text()->isVisible());
        QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(2));
    }
    // ...and left behind when it is already open.
    LoopChangeRig rig(QStringLiteral("LoopChangesAfterload"));
    rig.registry().show(kWindow);
    rig.bringLessonForward();
    QWidget *lesson = rig.registry().show(kLesson);
    settle();
    QTRY_COMPARE(QApplication::activeWindow(), lesson);
}

void PreloadLesson::preloadTopicsBringTheWindowForwardOnlyWhenTheTextChanges()
{
    LoopChangeRig rig(kLesson);
    QWidget *window = rig.window(kWindow);
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
    QVERIFY(rig.window(kWindow) && rig.window(kWindow)->isVisible());
}

void PreloadLesson::typingIsUndoneWhileATopicIsSelected()
{
    LoopChangeRig rig(kLesson);
    rig.pickTopic(4);
    QWidget *pipLine = rig.window(QStringLiteral("PipLine"));
    QVERIFY(pipLine);
    rig.bringLessonForward();
    QTest::keyClicks(rig.text(), QStringLiteral("q"));
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(4));
    QTRY_COMPARE(QApplication::activeWindow(), pipLine);

    // Also the topic whose selection only makes its window visible.
    rig.pickTopic(6);
    rig.bringLessonForward();
    QTest::keyClick(rig.text(), Qt::Key_Delete);
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(6));
    QTRY_COMPARE(QApplication::activeWindow(), rig.window(kWindow));
}

void PreloadLesson::typingStaysWithTheHeadingSelected()
{
    LoopChangeRig rig(kLesson);
    rig.pickTopic(1);
    rig.pickTopic(0);
    rig.bringLessonForward();
    QTest::keyClicks(rig.text(), QStringLiteral("notes"));
    settle();
    QVERIFY(rig.text()->toPlainText().contains(QStringLiteral("notes")));
    QVERIFY(rig.text()->isVisible());
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(rig.screen()));
}

QTEST_MAIN(PreloadLesson)
#include "tst_preload.moc"
