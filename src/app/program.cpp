#include "app/program.h"

#include "app/sectionmenu.h"
#include "app/welcomescreen.h"
#include "diagrams/picturewindows.h"
#include "lesson/lessonscreen.h"
#include "lessons/afterload.h"
#include "lessons/basics.h"
#include "lessons/cardiaccycle.h"
#include "lessons/contractility.h"
#include "lessons/preload.h"
#include "practice/testscreen.h"
#include "reference/referencepage.h"
#include "ui/look.h"

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
    registerPictureWindows(registry);
}

Program::Program()
{
    look::installApplicationLook();
    // Each run starts at 100 %; the zoom is never kept.
    look::Zoom::instance().reset();
    registerScreens(registry_);
}

void Program::start()
{
    registry_.show(QStringLiteral("Introduction"));
}

} // namespace valthera
