#pragma once
// The running program: the screen registry with every screen it knows, and start-up.

#include "ui/screenregistry.h"
#include "ui/zoom.h"

namespace valthera {

// Registers every screen of the program with the registry.
void registerScreens(ScreenRegistry &registry);

// Lets every loop chart open the "LoopLab" screen on its loop, if the registry
// has that screen; without it the charts are left as they are (with no handler
// set, they offer nothing). Returns whether it connected them.
bool connectChartsToLab(ScreenRegistry &registry);

class Program {
public:
    Program();
    ~Program();
    // Shows the welcome screen; nothing else runs first.
    void start();
    ScreenRegistry &registry() { return registry_; }

private:
    look::ZoomKeys zoomKeys_; // the zoom keys on every window of the program
    ScreenRegistry registry_;
};

} // namespace valthera
