#pragma once
// The practice test window: the section menu, the explanation box, the three
// nested pictures, the choice list, the feedback label and the three buttons.
// The rules live in PracticeTest; the window only shows its state.

#include "practice/practicetest.h"

#include "ui/menuwindow.h"
#include "ui/questionpanel.h"

#include <optional>

namespace valthera {

class PictureBox;
class ScreenRegistry;
class TopicText;

class TestScreen : public MenuWindow {
    Q_OBJECT
public:
    static constexpr const char *kName = "Test";

    explicit TestScreen(ScreenRegistry &registry);

private:
    void build();
    // Brings the controls in line with the rules' state; refill replaces the
    // choice lines (and so drops the selection), as Start, Next and Reset do.
    void showState(bool refill, bool marked = false);

    PracticeTest test_;
    TopicText *text_ = nullptr;
    PictureBox *basicLoop_ = nullptr;
    PictureBox *afterload_ = nullptr;
    PictureBox *contractility_ = nullptr;
    std::optional<QuestionPanel> panel_;
};

} // namespace valthera
