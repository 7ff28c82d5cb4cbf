#include "app/program.h"

#include "app/sectionmenu.h"
#include "app/welcomescreen.h"
#include "diagrams/explore.h"
#include "diagrams/picturewindows.h"
#include "lab/explore.h"
#include "lab/labsession.h"
#include "lab/looplabwindow.h"
#include "lesson/lessonscreen.h"
#include "lessons/afterload.h"
#include "lessons/basics.h"
#include "lessons/cardiaccycle.h"
#include "lessons/contractility.h"
#include "lessons/preload.h"
#include "practice/testscreen.h"
#include "reference/referencepage.h"
#include "ui/look.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

namespace valthera {

void registerScreens(ScreenRegistry &registry)
{
    using Opening = ScreenRegistry::Opening;
    SectionMenu::install(registry);
    registry.add(
        QStringLiteral("Introduction"), [](ScreenRegistry &r) { return new WelcomeScreen(r); }, Opening::Maximized);
    registry.add(QStringLiteral("Instructions"), [](ScreenRegistry &) { return ReferencePage::instructions(); });
    registry.add(QStringLiteral("Glossary"), [](ScreenRegistry &) { return ReferencePage::glossary(); });

    // The five lessons are data for the one lesson screen; each definition lives
    // for the whole run, so the screens only keep a reference to it.
    for (const LessonDefinition *lesson :
        {&basicsLesson(), &cardiacCycleLesson(), &afterloadLesson(), &preloadLesson(), &contractilityLesson()}) {
        registry.add(
            lesson->name, [lesson](ScreenRegistry &r) { return new LessonScreen(*lesson, r); }, Opening::Maximized);
    }

    registry.add(
        QStringLiteral("Test"), [](ScreenRegistry &r) { return new TestScreen(r); }, Opening::Maximized);
    registry.add(
        QStringLiteral("LoopLab"), [](ScreenRegistry &r) { return new LoopLabWindow(r); }, Opening::Maximized);
    registerPictureWindows(registry);
}

bool connectChartsToLab(ScreenRegistry &registry)
{
    const QString lab = QStringLiteral("LoopLab");
    if (!registry.knows(lab))
        return false;
    setExploreHandler([target = QPointer<ScreenRegistry>(&registry), lab](LoopId loop) {
        if (!target)
            return;
        if (auto *explorer = dynamic_cast<lab::ChartExplorer *>(target->show(lab)))
            explorer->exploreChart(lab::chartMatchFor(loop));
    });
    return true;
}

Program::Program()
{
    look::installApplicationLook();
    // The name of the installed desktop entry, by which desktops match the
    // program's windows to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.valthera.Valthera"));
    // Each run starts at 100 %; the zoom is never kept.
    look::Zoom::instance().reset();
    registerScreens(registry_);
    connectChartsToLab(registry_);
}

Program::~Program()
{
    // The handler refers to this program's registry.
    setExploreHandler({});
}

void Program::start()
{
    registry_.show(QStringLiteral("Introduction"));
    // The lab's first beat takes a third of its opening to solve; solved
    // while the student reads the welcome, once its first frame is shown.
    QTimer::singleShot(250, [] { lab::LabSession::solveFirstBeatAhead(); });
}

} // namespace valthera
