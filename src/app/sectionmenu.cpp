#include "app/sectionmenu.h"

#include <QAction>
#include <QWidget>

namespace valthera::SectionMenu {

const QList<ScreenRegistry::MenuCommand> &commands()
{
    static const QList<ScreenRegistry::MenuCommand> table{
        {QStringLiteral("mnuInstruct"), QStringLiteral("Instructions"), QStringLiteral("Instructions")},
        {QStringLiteral("mnuBasics"), QStringLiteral("Loop Basics"), QStringLiteral("basics1")},
        {QStringLiteral("mnuRelations"), QStringLiteral("Relation to Cardiac Cycle"),
            QStringLiteral("CardiacCycleRelationships")},
        {QStringLiteral("mnuAfterload"), QStringLiteral("Afterload Affects"), QStringLiteral("LoopChangesAfterload")},
        {QStringLiteral("mnuPreload"), QStringLiteral("Preload Affects"), QStringLiteral("LoopChangesPreload")},
        {QStringLiteral("mnuContractility"), QStringLiteral("Contractility Affects"),
            QStringLiteral("LoopChangesContractility")},
        {QStringLiteral("mnuLab"), QStringLiteral("Loop Lab"), QStringLiteral("LoopLab")},
        {QStringLiteral("mnuGlossary"), QStringLiteral("Glossary/Formulas"), QStringLiteral("Glossary")},
        {QStringLiteral("mnuTest"), QStringLiteral("Test"), QStringLiteral("Test")},
        {QStringLiteral("mnuEnd"), QStringLiteral("End Session"), QString()},
    };
    return table;
}

void install(ScreenRegistry &registry)
{
    registry.setMenu(commands());
}

void nameForWelcomeScreen(QWidget *welcome)
{
    if (auto *relations = welcome->findChild<QAction *>(QStringLiteral("mnuRelations")))
        relations->setObjectName(QStringLiteral("mnuRelationships"));
}

} // namespace valthera::SectionMenu
