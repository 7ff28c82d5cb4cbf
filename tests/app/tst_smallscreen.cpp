// On a 1024 x 768 screen, at every zoom step, every command and control stays
// reachable: the section menu's commands each have their place on the bar and
// are walked by Alt and the arrow keys; Tab reaches every control and brings it
// into view, on the screen, where a click lands on it. Driven by key events.

#include "app/program.h"
#include "support/testsupport.h"
#include "ui/menuwindow.h"
#include "ui/zoom.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

using namespace valthera;
using look::Zoom;

namespace {

void activate(QWidget *window)
{
    window->raise();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

// Why a control with the focus could not be used, or nothing.
QString unreachable(MenuWindow *window, QWidget *control)
{
    QWidget *viewport = window->clientView()->viewport();
    if (!window->client()->isAncestorOf(control))
        return QStringLiteral("the focus left the client for %1").arg(control->objectName());
    const QRect view = viewport->rect();
    const QRect place(control->mapTo(viewport, QPoint()), control->size());
    const bool fits = place.width() <= view.width() && place.height() <= view.height();
    if (fits ? !view.contains(place) : !view.intersects(place))
        return QStringLiteral("%1 out of view").arg(control->objectName());
    const QRect screen = window->screen()->availableGeometry();
    const QRect shown = place.intersected(view);
    if (!screen.contains(QRect(viewport->mapToGlobal(shown.topLeft()), shown.size())))
        return QStringLiteral("%1 off the screen").arg(control->objectName());
    QWidget *hit = window->childAt(viewport->mapTo(window, shown.center()));
    if (hit != control && !control->isAncestorOf(hit))
        return QStringLiteral("%1 under %2").arg(control->objectName(), hit ? hit->objectName() : QString());
    return {};
}

// The controls Tab should reach.
QSet<QWidget *> focusable(MenuWindow *window)
{
    QSet<QWidget *> found;
    for (QWidget *widget : window->client()->findChildren<QWidget *>()) {
        // A spin box's text takes the focus for the box, as the box.
        // A widget with a focus proxy (a page box's tabs) is reached as its proxy.
        const bool inSpinBox = qobject_cast<QAbstractSpinBox *>(widget->parentWidget());
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) && !inSpinBox &&
            !widget->focusProxy())
            found.insert(widget);
    }
    return found;
}

} // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT
public:
    static void initMain()
    {
        testing::useOffscreenScreen("small", 1024, 768);
    }

private slots:
    void init()
    {
        program_ = std::make_unique<Program>();
        program_->registry().setQuitHandler([] {});
    }
    void cleanup() { testing::endProgram(program_); }

    void tabBringsEveryControlIntoReach_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("restored");
        for (const char *name : {"basics1", "CardiacCycleRelationships", "LoopChangesAfterload",
                 "LoopChangesContractility", "Test", "LoopLab"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
        QTest::newRow("LoopLab restored") << QStringLiteral("LoopLab") << true;
    }
    void tabBringsEveryControlIntoReach()
    {
        QFETCH(QString, screen);
        QFETCH(bool, restored);
        auto *window = qobject_cast<MenuWindow *>(program_->registry().show(screen));
        QVERIFY(window);
        if (restored)
            window->showNormal();
        activate(window);
        for (const char *start : {"Command6", "cmdStart"}) {
            if (auto *button = window->findChild<QPushButton *>(QLatin1String(start)))
                testing::click(button);
        }
        testing::settle();

        for (size_t step = 0; step < Zoom::kSteps.size(); ++step) {
            // Down to 50 % first, then every step up to 300 %.
            if (step == 0) {
                while (Zoom::instance().percent() > Zoom::kSteps.front())
                    press(Qt::Key_Minus, Qt::ControlModifier);
            } else {
                press(Qt::Key_Plus, Qt::ControlModifier);
            }
            testing::settle();
            const int percent = Zoom::instance().percent();
            QCOMPARE(percent, Zoom::kSteps[step]);
            const QRect screenRect = window->screen()->availableGeometry();
            QVERIFY2(screenRect.contains(window->frameGeometry()), qPrintable(QStringLiteral("%1 %").arg(percent)));

            const qsizetype count = focusable(window).size();
            QVERIFY(count >= 3);
            QSet<QWidget *> walked;
            // Once round, and on: a control may become usable on the way (Check, once an exercise is chosen).
            for (qsizetype i = 0; i < count + 2; ++i) {
                press(Qt::Key_Tab);
                testing::settle();
                QWidget *focus = QApplication::focusWidget();
                QVERIFY(focus);
                walked.insert(focus);
                const QString fault = unreachable(window, focus);
                QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("%1 %: %2").arg(percent).arg(fault)));
            }
            QStringList missed;
            for (const QWidget *widget : focusable(window) - walked)
                missed << widget->objectName();
            QVERIFY2(missed.isEmpty(),
                qPrintable(QStringLiteral("%1 %: not reached %2").arg(percent).arg(missed.join(' '))));
        }
    }

    void everyCommandHasItsPlaceOnTheBar()
    {
        auto *window = qobject_cast<QMainWindow *>(program_->registry().show(QStringLiteral("LoopChangesPreload")));
        activate(window);
        testing::settle();
        QMenuBar *bar = window->menuBar();
        QVERIFY(window->width() <= 1024);
        const QList<QAction *> commands = bar->actions();
        QCOMPARE(commands.size(), 10);
        for (int percent : {50, 100, 300}) {
            Zoom::instance().setPercent(percent);
            testing::settle();
            // From the last command back to the first, each shown whole on the bar.
            press(Qt::Key_Alt);
            for (qsizetype i = commands.size(); i-- > 0;) {
                press(Qt::Key_Left);
                QCOMPARE(bar->activeAction(), commands[i]);
                QVERIFY2(bar->rect().contains(bar->actionGeometry(commands[i])), qPrintable(commands[i]->text()));
            }
            press(Qt::Key_Escape);
            const QWidget *overflow = bar->findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button"));
            QVERIFY(!overflow || !overflow->isVisible());
        }
    }

    void theCompletionBoxFollowsTheZoom()
    {
        auto *lesson = program_->registry().show(QStringLiteral("basics1"));
        activate(lesson);
        const qreal design = QApplication::font().pointSizeF();
        Zoom::instance().setPercent(200);
        testing::click(testing::child<QPushButton>(lesson, "Command6"));
        qreal seen = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&seen] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen = box->font().pointSizeF();
                box->accept();
            }
        });
        watch.start(0);
        for (int i = 0; i < 40 && seen == 0; ++i)
            testing::click(testing::child<QPushButton>(lesson, "Command8"));
        QVERIFY(seen > 0);
        QCOMPARE(seen, look::zoomedPointSize(design, 2, lesson->logicalDpiY()));
    }

private:
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(SmallScreenTest)
#include "tst_smallscreen.moc"
