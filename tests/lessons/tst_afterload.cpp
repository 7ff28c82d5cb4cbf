// The afterload lesson worked through its widgets: its ten questions and the
// views after them, the nested charts, and the picture window it opens.

#include "diagrams/loopgeometry.h"
#include "loopchangerig.h"

#include <QtTest>

using namespace valthera;
using namespace valthera::testing;

namespace {
const QString kLesson = QStringLiteral("LoopChangesAfterload");
const QString kCorrect = QStringLiteral("CORRECT!");
const QString kTryAgain = QStringLiteral("TRY AGAIN");
// The correct line of every view, counter 0, 6, … 120.
const std::vector<int> kKeys{1, 1, 2, 5, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 1, 1, 1, 1, 1};
constexpr int kQuestions = 10;
} // namespace

class AfterloadLesson : public QObject {
    Q_OBJECT
private slots:
    void everyViewIsMarkedByItsKey();
    void markingAtNinetyStartsOver();
    void questionKeysAgreeWithTheCharts();
    void linesWithOddBlanksAreExact();
    void chartButtonsInEveryOrder();
    void creationOpensTheAfterloadWindow();
    void textAreaIgnoresClicksAndTyping();
};

void AfterloadLesson::everyViewIsMarkedByItsKey()
{
    LoopChangeRig rig(kLesson);
    QVERIFY(rig.screen());
    QVERIFY(!rig.choices()->isVisible());
    QCOMPARE(rig.feedback(), QString());
    walkEveryView(rig, kKeys, kQuestions, QStringLiteral("NO MORE AFTERLOAD QUESTIONS"));
}

void AfterloadLesson::markingAtNinetyStartsOver()
{
    markAtRestart(LoopChangeRig(kLesson), 2, kCorrect);
    markAtRestart(LoopChangeRig(kLesson), 4, kTryAgain);
}

void AfterloadLesson::questionKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &al90 = loopGeometry(LoopId::Afterload90);
    const LoopGeometry &al100 = loopGeometry(LoopId::Afterload100);
    LoopChangeRig rig(kLesson);
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

void AfterloadLesson::linesWithOddBlanksAreExact()
{
    LoopChangeRig rig(kLesson);
    rig.start();
    QCOMPARE(rig.choiceLines().value(3), QStringLiteral("c.  End Systolic Volume (ESV)"));
    for (int i = 0; i < 7; ++i)
        rig.next();
    QCOMPARE(rig.choiceLines().value(5), QStringLiteral("e. Increase aortic pressure "));
    rig.next();
    rig.next();
    QCOMPARE(rig.choiceLines().value(5), QStringLiteral("e. both c and d "));
}

void AfterloadLesson::chartButtonsInEveryOrder()
{
    LoopChangeRig rig(kLesson);
    const QStringList buttons{
        QStringLiteral("cmdControl"), QStringLiteral("cmdAfterLoad90"), QStringLiteral("cmdAfterLoad100")};
    const QStringList charts{QStringLiteral("control"), QStringLiteral("AfterLoad90"), QStringLiteral("AfterLoad100")};
    QCOMPARE(rig.chartOnView(), charts[0]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::AfterloadControl);
    pressInEveryOrder(rig, buttons, charts);
    rig.press(buttons[2]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Afterload100);
    rig.press(buttons[1]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Afterload90);
    // Buttons switch charts and nothing else.
    QVERIFY(!rig.text()->isVisible());
    QVERIFY(rig.choiceLines().isEmpty());
}

void AfterloadLesson::creationOpensTheAfterloadWindow()
{
    LoopChangeRig rig(kLesson);
    QWidget *window = rig.window(QStringLiteral("IncreasedAfterload"));
    QVERIFY(window && window->isVisible());
    for (const QString &other :
        {QStringLiteral("IncreasedPreload"), QStringLiteral("IncreasedContractility"), QStringLiteral("PipLine")})
        QVERIFY(!rig.window(other));
    QVERIFY(!rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(1));

    // Topic 5 brings the window opened at creation forward again.
    rig.pickTopic(1);
    rig.bringLessonForward();
    rig.pickTopic(5);
    QTRY_COMPARE(QApplication::activeWindow(), window);
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(5));
}

void AfterloadLesson::textAreaIgnoresClicksAndTyping()
{
    LoopChangeRig rig(kLesson);
    rig.pickTopic(0);
    QVERIFY(!rig.text()->isVisible());
    rig.pickTopic(4);
    QVERIFY(rig.text()->isVisible());
    click(rig.text()->viewport());
    QVERIFY(rig.text()->isVisible());
    QTest::keyClicks(rig.text(), QStringLiteral("xy"));
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(4));
}

QTEST_MAIN(AfterloadLesson)
#include "tst_afterload.moc"
