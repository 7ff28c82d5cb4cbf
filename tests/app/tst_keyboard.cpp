// Working the program without a mouse: Tab walks the controls as they are laid
// out, buttons press with Space and Return, lists select and mark with the
// arrow keys, and the section menu opens screens from the keyboard.

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "lesson/lessonscreen.h"
#include "lesson/questionsequence.h"
#include "support/testsupport.h"
#include "ui/screenregistry.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace valthera;

namespace {

void activate(QWidget *window)
{
    window->raise();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Sends a key to whatever has the keyboard focus in the active window.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

bool reachableByTab(const QWidget *widget)
{
    return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([] {});
    }
    void cleanup()
    {
        program_->registry().endSession();
        testing::settle();
        program_.reset();
    }

    void tabFollowsTheLayout_data()
    {
        QTest::addColumn<QString>("screen");
        for (const char *name : {"basics1", "CardiacCycleRelationships", "LoopChangesAfterload", "LoopChangesPreload",
                 "LoopChangesContractility", "Test"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void tabFollowsTheLayout()
    {
        QFETCH(QString, screen);
        auto *window = qobject_cast<QMainWindow *>(program_->registry().show(screen));
        QVERIFY(window);
        activate(window);
        // Bring up the controls that start hidden: the choices and the topic text.
        for (QPushButton *button : window->findChildren<QPushButton *>()) {
            if (button->text() == QLatin1String("Start Questions"))
                button->click();
        }
        if (auto *topics = window->findChild<QListWidget *>("basicList1"))
            topics->setCurrentRow(1);
        activate(window);

        QList<QWidget *> expected;
        for (QWidget *widget : window->centralWidget()->findChildren<QWidget *>()) {
            if (reachableByTab(widget))
                expected.append(widget);
        }
        QVERIFY(expected.size() >= 5);

        // Start at the control nearest the top left and walk the whole cycle.
        QWidget *first = *std::min_element(expected.begin(), expected.end(), [window](QWidget *a, QWidget *b) {
            const QPoint pa = a->mapTo(window, QPoint()), pb = b->mapTo(window, QPoint());
            return pa.y() + pa.x() < pb.y() + pb.x();
        });
        first->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), first);
        QList<QWidget *> walked{first};
        for (qsizetype i = 0; i < expected.size(); ++i) {
            press(Qt::Key_Tab);
            walked.append(QApplication::focusWidget());
        }
        // Tab comes back to where it started after every control exactly once.
        QCOMPARE(walked.last(), first);
        walked.removeLast();
        QCOMPARE(QSet<QWidget *>(walked.begin(), walked.end()), QSet<QWidget *>(expected.begin(), expected.end()));
        QCOMPARE(walked.size(), expected.size());

        // Reading order: each next control starts lower down, or on the same
        // line (tops within half a text line) further right.
        const int sameLine = 8;
        for (qsizetype i = 1; i < walked.size(); ++i) {
            const QPoint a = walked[i - 1]->mapTo(window, QPoint());
            const QPoint b = walked[i]->mapTo(window, QPoint());
            const bool lower = b.y() > a.y() + sameLine;
            const bool rightOnSameLine = std::abs(b.y() - a.y()) <= sameLine && b.x() > a.x();
            QVERIFY2(lower || rightOnSameLine,
                qPrintable(QStringLiteral("%1 (%2,%3) before %4 (%5,%6)")
                               .arg(walked[i - 1]->objectName())
                               .arg(a.x())
                               .arg(a.y())
                               .arg(walked[i]->objectName())
                               .arg(b.x())
                               .arg(b.y())));
        }
        // Shift+Tab walks back.
        press(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), walked.last());
    }

    void aLessonWorksFromTheKeyboardAlone()
    {
        auto *lesson = qobject_cast<LessonScreen *>(program_->registry().show(QStringLiteral("LoopChangesAfterload")));
        QVERIFY(lesson);
        activate(lesson);
        auto *topics = testing::child<QListWidget>(lesson, "basicList1");
        auto *text = testing::child<QWidget>(lesson, "BasicAnswers1");
        auto *choices = testing::child<QListWidget>(lesson, "List2");
        auto *feedback = testing::child<QLabel>(lesson, "Label1");

        // Arrow keys in the topic list show the topics one after the other.
        topics->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Down);
        QCOMPARE(topics->currentRow(), 1);
        QVERIFY(text->isVisible());
        press(Qt::Key_Down);
        QCOMPARE(topics->currentRow(), 2);
        activate(lesson); // the topic may have brought a picture window forward

        // A diagram button pressed with Return shows its chart.
        auto *hundred = testing::child<QPushButton>(lesson, "cmdAfterLoad100");
        hundred->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Return);
        QVERIFY(testing::pictureOnView(lesson));
        QCOMPARE(testing::pictureOnView(lesson)->objectName(), QString("AfterLoad100"));
        auto *control = testing::child<QPushButton>(lesson, "cmdControl");
        control->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Space);
        QCOMPARE(testing::pictureOnView(lesson)->objectName(), QString("control"));

        // Start with Enter, answer with the arrows (each move marks), go on with Space.
        auto *start = testing::child<QPushButton>(lesson, "Command6");
        start->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(choices->isVisible());
        QCOMPARE(program_->registry().counter(lesson->objectName()), qint16(0));
        const int key = lesson->lesson().questions.key.at(0);
        choices->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Down);
        QCOMPARE(choices->currentRow(), 1);
        QCOMPARE(feedback->text(), key == 1 ? QuestionSequence::kCorrect : QuestionSequence::kTryAgain);
        while (choices->currentRow() < key)
            press(Qt::Key_Down);
        QCOMPARE(feedback->text(), QuestionSequence::kCorrect);

        auto *next = testing::child<QPushButton>(lesson, "Command8");
        next->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Space);
        QCOMPARE(program_->registry().counter(lesson->objectName()), qint16(6));
        QCOMPARE(feedback->text(), QuestionSequence::kCleared);

        // Return with a modifier is not a press.
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(program_->registry().counter(lesson->objectName()), qint16(6));
    }

    void theMenuOpensScreensFromTheKeyboard()
    {
        ScreenRegistry &registry = program_->registry();
        program_->start();
        auto *welcome = qobject_cast<QMainWindow *>(registry.find(QStringLiteral("Introduction")));
        activate(welcome);

        // Alt enters the bar on its first command; arrows move; Return runs the command.
        press(Qt::Key_Alt);
        QCOMPARE(welcome->menuBar()->activeAction(), welcome->menuBar()->actions().at(0));
        press(Qt::Key_Right);
        press(Qt::Key_Right);
        QCOMPARE(welcome->menuBar()->activeAction()->text(), QString("Relation to Cardiac Cycle"));
        press(Qt::Key_Return);
        testing::settle();
        QWidget *lesson = registry.find(QStringLiteral("CardiacCycleRelationships"));
        QVERIFY(lesson);
        QVERIFY(lesson->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), lesson);
        // The captions stay as they are: no access-key marks.
        for (QAction *action : welcome->menuBar()->actions())
            QVERIFY(!action->text().contains(QLatin1Char('&')));

        // From a lesson, Left wraps round to the last command; Escape leaves the bar untouched.
        auto *menuWindow = qobject_cast<QMainWindow *>(lesson);
        press(Qt::Key_Alt);
        press(Qt::Key_Left);
        QCOMPARE(menuWindow->menuBar()->activeAction()->text(), QString("End Session"));
        press(Qt::Key_Left);
        QCOMPARE(menuWindow->menuBar()->activeAction()->text(), QString("Test"));
        press(Qt::Key_Escape);
        testing::settle();
        QVERIFY(!registry.find(QStringLiteral("Test")));
        QVERIFY(!menuWindow->menuBar()->activeAction());

        // The same walk once more reaches the test.
        press(Qt::Key_Alt);
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        press(Qt::Key_Return);
        testing::settle();
        QVERIFY(registry.find(QStringLiteral("Test")));
        QTRY_COMPARE(QApplication::activeWindow(), registry.find(QStringLiteral("Test")));
    }

private:
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
