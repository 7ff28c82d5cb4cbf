#pragma once
// The menu bar of nine plain commands carried by the welcome screen, the lessons
// and the practice test. No drop-down lists, no access keys.

#include <QString>
#include <array>

class QMainWindow;
class QMenuBar;

namespace valthera {

class ScreenRegistry;

struct SectionMenu {
    struct Entry {
        const char *name; // objectName of the command
        const char *caption; // text in the bar
        const char *target; // screen it shows; nullptr ends the session
    };
    static const std::array<Entry, 9> &entries();

    // Fills window's menu bar. The welcome screen names its third command
    // mnuRelationships, every other screen mnuRelations.
    static QMenuBar *install(QMainWindow *window, ScreenRegistry &registry, bool onWelcomeScreen = false);
};

} // namespace valthera
