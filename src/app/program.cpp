#include "app/program.h"

#include "app/look.h"
#include "app/welcomescreen.h"
#include "lesson/lessonscreen.h"
#include "lessons/afterload.h"
#include "lessons/contractility.h"
#include "lessons/preload.h"
#include "practice/testscreen.h"
#include "reference/referencepage.h"

namespace valthera {

void registerScreens(ScreenRegistry &registry)
{
    using Opening = ScreenRegistry::Opening;
    registry.add(
        QStringLiteral("Introduction"), [](ScreenRegistry &r) { return new WelcomeScreen(r); }, Opening::Maximized);
    registry.add(
        QStringLiteral("LoopChangesAfterload"),
        [](ScreenRegistry &r) { return new LessonScreen(afterloadLesson(), r); }, Opening::Maximized);
    registry.add(
        QStringLiteral("LoopChangesPreload"), [](ScreenRegistry &r) { return new LessonScreen(preloadLesson(), r); },
        Opening::Maximized);
    registry.add(
        QStringLiteral("LoopChangesContractility"),
        [](ScreenRegistry &r) { return new LessonScreen(contractilityLesson(), r); }, Opening::Maximized);
    registry.add(QStringLiteral("Instructions"), [](ScreenRegistry &) { return ReferencePage::instructions(); });
    registry.add(QStringLiteral("Glossary"), [](ScreenRegistry &) { return ReferencePage::glossary(); });
    registry.add(QStringLiteral("Test"), [](ScreenRegistry &r) { return new TestScreen(r); }, Opening::Maximized);
}

Program::Program()
{
    look::installApplicationLook();
    registerScreens(registry_);
}

void Program::start()
{
    registry_.show(QStringLiteral("Introduction"));
}

} // namespace valthera
