#pragma once
// The first window: greets the student, names the module, points to the instructions.

#include "ui/menuwindow.h"

class QLabel;

namespace valthera {

class WelcomeScreen : public MenuWindow {
    Q_OBJECT
public:
    explicit WelcomeScreen(ScreenRegistry &registry);

private:
    void load();

    QLabel *greeting_;
    QLabel *title_;
    QLabel *recommendation_;
};

} // namespace valthera
