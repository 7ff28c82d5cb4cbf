#include "app/sectionmenu.h"

#include "app/screenregistry.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

namespace valthera {

const std::array<SectionMenu::Entry, 9> &SectionMenu::entries()
{
    static const std::array<Entry, 9> table{{
        {"mnuInstruct", "Instructions", "Instructions"},
        {"mnuBasics", "Loop Basics", "basics1"},
        {"mnuRelations", "Relation to Cardiac Cycle", "CardiacCycleRelationships"},
        {"mnuAfterload", "Afterload Affects", "LoopChangesAfterload"},
        {"mnuPreload", "Preload Affects", "LoopChangesPreload"},
        {"mnuContractility", "Contractility Affects", "LoopChangesContractility"},
        {"mnuGlossary", "Glossary/Formulas", "Glossary"},
        {"mnuTest", "Test", "Test"},
        {"mnuEnd", "End Session", nullptr},
    }};
    return table;
}

QMenuBar *SectionMenu::install(QMainWindow *window, ScreenRegistry &registry, bool onWelcomeScreen)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("SectionMenu"));
    bar->setAccessibleName(QStringLiteral("Section menu"));
    bar->setNativeMenuBar(false);
    // The bar keeps the system's colours, not the blue of the window under it.
    QPalette system = QApplication::palette();
    for (auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText})
        system.setColor(role, system.color(role)); // set explicitly, so the window's blue is not inherited
    bar->setPalette(system);
    bar->setAutoFillBackground(true);
    for (const Entry &entry : entries()) {
        QAction *action = bar->addAction(QString::fromLatin1(entry.caption));
        QString name = QString::fromLatin1(entry.name);
        if (onWelcomeScreen && name == QLatin1String("mnuRelations"))
            name = QStringLiteral("mnuRelationships");
        action->setObjectName(name);
        if (entry.target) {
            const QString target = QString::fromLatin1(entry.target);
            QObject::connect(action, &QAction::triggered, &registry, [&registry, target] { registry.show(target); });
        } else {
            QObject::connect(action, &QAction::triggered, &registry, [&registry] { registry.endSession(); });
        }
    }
    return bar;
}

} // namespace valthera
