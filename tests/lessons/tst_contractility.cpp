// The contractility lesson worked through its widgets: its five questions and
// the views after them, the 125 % chart lying over the others, and the text
// area that puts back the selected topic whenever its text changes.

#include "diagrams/loopgeometry.h"
#include "loopchangerig.h"

#include <QtTest>

using namespace valthera;
using namespace valthera::testing;

namespace {
const QString kLesson = QStringLiteral("LoopChangesContractility");
const QString kWindow = QStringLiteral("IncreasedContractility");
const QString kCorrect = QStringLiteral("CORRECT!");
const QString kTryAgain = QStringLiteral("TRY AGAIN");
// The correct line of every view, counter 0, 6, … 120.
const std::vector<int> kKeys{5, 3, 4, 4, 5, 2, 5, 3, 4, 5, 2, 2, 3, 2, 3, 2, 5, 5, 5, 5, 5};
constexpr int kQuestions = 5;
} // namespace

class ContractilityLesson : public QObject {
    Q_OBJECT
private slots:
    void everyViewIsMarkedByItsKey();
    void markingAtNinetyStartsOver();
    void questionKeysAgreeWithTheCharts();
    void chartButtonsInEveryOrder();
    void creationOpensTheContractilityWindow();
    void reopeningRunsCreationAgainButKeepsTheCounter();
    void typingIsUndoneWhileATopicIsSelected();
    void typingStaysWithTheHeadingSelected();
};

void ContractilityLesson::everyViewIsMarkedByItsKey()
{
    LoopChangeRig rig(kLesson);
    QVERIFY(rig.screen());
    // Next before Start fills the hidden list; Start then puts up question 1.
    rig.next();
    QVERIFY(!rig.choices()->isVisible());
    QCOMPARE(rig.counter(), 6);
    walkEveryView(rig, kKeys, kQuestions, QStringLiteral("6. NO MORE CONTRACTILITY QUESTIONS"));
}

void ContractilityLesson::markingAtNinetyStartsOver()
{
    markAtRestart(LoopChangeRig(kLesson), 0, kTryAgain);
    markAtRestart(LoopChangeRig(kLesson), 2, kCorrect);
}

void ContractilityLesson::questionKeysAgreeWithTheCharts()
{
    const LoopGeometry &control = loopGeometry(LoopId::Control);
    const LoopGeometry &ct75 = loopGeometry(LoopId::Contractility75);
    const LoopGeometry &ct125 = loopGeometry(LoopId::Contractility125);
    LoopChangeRig rig(kLesson);
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

void ContractilityLesson::chartButtonsInEveryOrder()
{
    LoopChangeRig rig(kLesson);
    // The column runs 75 %, control, 125 % from the top.
    const QStringList buttons{
        QStringLiteral("cmdContractility75"), QStringLiteral("cmdControl"), QStringLiteral("cmdContractility125")};
    const QStringList charts{
        QStringLiteral("Contractility75"), QStringLiteral("control"), QStringLiteral("Contractility125")};
    int above = -1;
    for (const QString &name : buttons) {
        auto *button = child<QPushButton>(rig.screen(), name);
        QVERIFY(button->y() > above);
        above = button->y();
        QCOMPARE(button->font().pointSizeF(), 8.25);
    }
    QCOMPARE(rig.label(QStringLiteral("Label2"))->font().pointSizeF(), 8.25);
    QCOMPARE(rig.chartOnView(), charts[1]);
    pressInEveryOrder(rig, buttons, charts);
    // 125 % after 75 % covers the 75 % chart, which stays shown beneath.
    rig.press(buttons[0]);
    rig.press(buttons[2]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Contractility125);
    QVERIFY(child<PictureBox>(rig.screen(), charts[0])->isVisible());
    rig.press(buttons[0]);
    QCOMPARE(pictureOnView(rig.screen())->picture(), PictureId::Contractility75);
    QVERIFY(child<PictureBox>(rig.screen(), QStringLiteral("control"))->isVisible());
}

void ContractilityLesson::creationOpensTheContractilityWindow()
{
    LoopChangeRig rig(kLesson);
    QWidget *window = rig.window(kWindow);
    QVERIFY(window && window->isVisible());
    QVERIFY(!rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(3));

    // Topic 3 finds its text already in place and shows it with the same window.
    rig.bringLessonForward();
    rig.pickTopic(3);
    QVERIFY(rig.text()->isVisible());
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(3));
    QTRY_COMPARE(QApplication::activeWindow(), window);
    QCOMPARE(rig.window(kWindow), window);

    // A click on the text area leaves it shown.
    click(rig.text()->viewport());
    QVERIFY(rig.text()->isVisible());
}

void ContractilityLesson::reopeningRunsCreationAgainButKeepsTheCounter()
{
    LoopChangeRig rig(kLesson);
    rig.start();
    rig.next();
    rig.next();
    rig.closePictureWindows();
    rig.screen()->close();
    settle();
    QVERIFY(!rig.registry().find(kLesson));
    auto *again = qobject_cast<LessonScreen *>(rig.registry().show(kLesson));
    settle();
    QVERIFY(again);
    QVERIFY(rig.window(kWindow) && rig.window(kWindow)->isVisible());
    QCOMPARE(static_cast<int>(rig.registry().counter(kLesson)), 12);
}

void ContractilityLesson::typingIsUndoneWhileATopicIsSelected()
{
    LoopChangeRig rig(kLesson);
    rig.pickTopic(4);
    QWidget *pipLine = rig.window(QStringLiteral("PipLine"));
    QVERIFY(pipLine);
    rig.bringLessonForward();
    QTest::keyClicks(rig.text(), QStringLiteral("x"));
    settle();
    QCOMPARE(rig.text()->toPlainText(), LoopChangeTopics::text(4));
    QTRY_COMPARE(QApplication::activeWindow(), pipLine);
}

void ContractilityLesson::typingStaysWithTheHeadingSelected()
{
    LoopChangeRig rig(kLesson);
    rig.pickTopic(7);
    rig.pickTopic(0);
    QTest::keyClicks(rig.text(), QStringLiteral("my own words"));
    settle();
    QVERIFY(rig.text()->toPlainText().contains(QStringLiteral("my own words")));
}

QTEST_MAIN(ContractilityLesson)
#include "tst_contractility.moc"
