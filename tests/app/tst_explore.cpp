// Lesson and picture-window charts ask to be explored in the Loop Lab: a
// context menu with one command (right click, Shift+F10, the context-menu
// key) and Ctrl+L for the chart on view, each handing over the chart's loop;
// nothing at all while no handler is set, and nothing for a schematic.

#include "app/program.h"
#include "diagrams/explore.h"
#include "diagrams/picturebox.h"
#include "lab/explore.h"
#include "lesson/lessonscreen.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace valthera;

using Explored = std::optional<LoopId>;
Q_DECLARE_METATYPE(Explored)

namespace {

struct Popup {
    bool shown = false;
    QStringList commands;
};

// Runs action, during which a menu may pop up; reads the menu, then chooses
// its first command from the keyboard or closes it.
Popup duringPopup(const std::function<void()> &action, bool choose = true)
{
    Popup seen;
    bool looked = false;
    QTimer::singleShot(0, [&] {
        looked = true;
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        seen.shown = true;
        for (QAction *a : menu->actions())
            seen.commands << a->text();
        if (choose && !menu->actions().isEmpty()) {
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    });
    action();
    if (!QTest::qWaitFor([&] { return looked; }))
        qWarning("the event loop never ran");
    return seen;
}

// A right click as the window system delivers it, so the widget under the
// pointer receives the context-menu event.
void rightClick(PictureBox *box)
{
    QWidget *window = box->window();
    const QPoint at = box->mapTo(window, box->visibleArea().center());
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, at);
}

// A stand-in for the lab window: it only notes the charts it is handed.
class FakeLab : public QWidget, public lab::ChartExplorer {
public:
    void exploreChart(const lab::ChartMatch &chart) override { charts << QString::fromUtf8(chart.key.data()); }
    QStringList charts;
};

} // namespace

class TestExplore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rightClick_data();
    void rightClick();
    void ctrlL_data();
    void ctrlL();
    void keyboardMenu();
    void noHandlerNoMenu();
    void programHandsChartToLab();

private:
    void recordExplored();
    // The screen shown, with the button pressed first; its chart on view.
    PictureBox *chartOn(const QString &screen, const QString &button);

    std::unique_ptr<Program> program_;
    QList<LoopId> explored_;
};

void TestExplore::init()
{
    program_ = std::make_unique<Program>();
    program_->registry().setQuitHandler([] {});
    explored_.clear();
}

void TestExplore::cleanup()
{
    testing::endProgram(program_);
    QVERIFY(!hasExploreHandler()); // the program withdraws its handler as it ends
}

void TestExplore::recordExplored()
{
    setExploreHandler([this](LoopId loop) { explored_ << loop; });
}

PictureBox *TestExplore::chartOn(const QString &screen, const QString &button)
{
    QWidget *window = program_->registry().show(screen);
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    if (!button.isEmpty())
        testing::child<QPushButton>(window, button)->click();
    if (auto *lesson = qobject_cast<LessonScreen *>(window))
        return testing::pictureOnView(lesson);
    return window->findChild<PictureBox *>();
}

void TestExplore::rightClick_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Explored>("loop");
    QTest::newRow("afterload lesson, 90 mmHg") << "LoopChangesAfterload"
                                               << "cmdAfterLoad90" << Explored(LoopId::Afterload90);
    // The 140 ml chart lies inside the control chart: the inner box answers.
    QTest::newRow("preload lesson, 140 ml") << "LoopChangesPreload"
                                            << "cmdPreload140" << Explored(LoopId::Preload140);
    QTest::newRow("contractility lesson, control") << "LoopChangesContractility"
                                                   << "" << Explored(LoopId::Control);
    QTest::newRow("increased afterload window") << "IncreasedAfterload"
                                                << "" << Explored(LoopId::Afterload100);
    QTest::newRow("increased preload window") << "IncreasedPreload"
                                              << "" << Explored(LoopId::Preload140);
    QTest::newRow("increased contractility window") << "IncreasedContractility"
                                                    << "" << Explored(LoopId::Contractility125);
    QTest::newRow("pip line window") << "PipLine"
                                     << "" << Explored(LoopId::Afterload100);
    QTest::newRow("basics schematic") << "basics1"
                                      << "" << Explored();
}

void TestExplore::rightClick()
{
    QFETCH(QString, screen);
    QFETCH(QString, button);
    QFETCH(Explored, loop);
    recordExplored();
    PictureBox *box = chartOn(screen, button);
    QVERIFY(box);

    const Popup popup = duringPopup([box] { ::rightClick(box); });
    QCOMPARE(popup.shown, loop.has_value());
    if (loop) {
        QCOMPARE(popup.commands, QStringList{QStringLiteral("Explore in Loop Lab")});
        QCOMPARE(explored_, QList<LoopId>{*loop});
    } else {
        QVERIFY(explored_.isEmpty());
    }
}

void TestExplore::ctrlL_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Explored>("loop");
    QTest::newRow("preload lesson, 100 ml") << "LoopChangesPreload"
                                            << "cmdPreload100" << Explored(LoopId::Preload100);
    QTest::newRow("contractility lesson, 75 %") << "LoopChangesContractility"
                                                << "cmdContractility75" << Explored(LoopId::Contractility75);
    QTest::newRow("afterload lesson, control") << "LoopChangesAfterload"
                                               << "" << Explored(LoopId::Control);
    QTest::newRow("basics schematic") << "basics1"
                                      << "" << Explored();
    QTest::newRow("cardiac cycle schematic") << "CardiacCycleRelationships"
                                             << "" << Explored();
}

void TestExplore::ctrlL()
{
    QFETCH(QString, screen);
    QFETCH(QString, button);
    QFETCH(Explored, loop);
    recordExplored();
    QVERIFY(chartOn(screen, button));
    QWidget *window = program_->registry().find(screen);
    // From whichever control has the focus: the key passes through it to the window.
    QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(explored_, loop ? QList<LoopId>{*loop} : QList<LoopId>{});
}

void TestExplore::keyboardMenu()
{
    recordExplored();

    // A picture window has no control: Shift+F10 reaches the window itself.
    PictureBox *windowChart = chartOn(QStringLiteral("IncreasedContractility"), {});
    QVERIFY(windowChart);
    Popup popup = duringPopup([&] { QTest::keyClick(windowChart->window(), Qt::Key_F10, Qt::ShiftModifier); });
    QVERIFY(popup.shown);
    QCOMPARE(explored_, QList<LoopId>{LoopId::Contractility125});

    // In a lesson, from a button that has no menu of its own: the context-menu
    // key (the platform's keyboard context-menu event) and Shift+F10.
    explored_.clear();
    PictureBox *lessonChart = chartOn(QStringLiteral("LoopChangesAfterload"), QStringLiteral("cmdAfterLoad100"));
    QVERIFY(lessonChart);
    auto *button = testing::child<QPushButton>(lessonChart->window(), QStringLiteral("cmdControl"));
    popup = duringPopup([button] {
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1), button->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(button, &key);
    });
    QVERIFY(popup.shown);
    popup = duringPopup([button] { QTest::keyClick(button, Qt::Key_F10, Qt::ShiftModifier); });
    QVERIFY(popup.shown);
    QCOMPARE(explored_, (QList<LoopId>{LoopId::Afterload100, LoopId::Afterload100}));
}

void TestExplore::noHandlerNoMenu()
{
    setExploreHandler({}); // as while no Loop Lab is registered
    for (const auto &[screen, button] : {std::pair{"LoopChangesPreload", "cmdPreload100"}, {"PipLine", ""}}) {
        PictureBox *box = chartOn(QString::fromLatin1(screen), QString::fromLatin1(button));
        QVERIFY(box);
        QVERIFY(!duringPopup([box] { ::rightClick(box); }, false).shown);
        QVERIFY(!duringPopup([box] { QTest::keyClick(box->window(), Qt::Key_F10, Qt::ShiftModifier); }, false).shown);
    }
}

void TestExplore::programHandsChartToLab()
{
    auto registry = std::make_unique<ScreenRegistry>();
    registry->setQuitHandler([] {});
    setExploreHandler({});
    QVERIFY(!connectChartsToLab(*registry)); // no LoopLab screen, so no handler
    QVERIFY(!hasExploreHandler());

    registry->add(QStringLiteral("LoopLab"), [](ScreenRegistry &) { return new FakeLab; });
    QVERIFY(connectChartsToLab(*registry));
    QVERIFY(explore(PictureId::Preload100));
    QVERIFY(explore(PictureId::BasicsControl));
    auto *lab = dynamic_cast<FakeLab *>(registry->find(QStringLiteral("LoopLab")));
    QVERIFY(lab);
    QVERIFY(lab->isVisible());
    QCOMPARE(lab->charts, (QStringList{QStringLiteral("Preload100"), QStringLiteral("Control")}));

    // The handler outlives no registry.
    registry->endSession();
    testing::settle();
    registry.reset();
    explore(PictureId::Preload100);
    setExploreHandler({});
}

QTEST_MAIN(TestExplore)
#include "tst_explore.moc"
