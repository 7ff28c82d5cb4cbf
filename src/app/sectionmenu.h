#pragma once
// The section menu: nine plain commands carried by the welcome screen, the
// lessons and the practice test. No drop-down lists, no access keys.

#include "ui/screenregistry.h"

#include <QList>

namespace valthera {

namespace SectionMenu {

// The commands in bar order.
const QList<ScreenRegistry::MenuCommand> &commands();

// Gives every menu-carrying window the section menu from now on.
void install(ScreenRegistry &registry);

// The welcome screen names its third command mnuRelationships, every other
// screen mnuRelations.
void nameForWelcomeScreen(QWidget *welcome);

} // namespace SectionMenu

} // namespace valthera
