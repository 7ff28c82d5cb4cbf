#pragma once
// A lesson window: section menu, instruction label, topic list and text area,
// picture boxes with their buttons, and the question sequence. The window is
// built from a LessonDefinition; its load step runs in the constructor.

#include "lesson/lessondefinition.h"
#include "lesson/questionsequence.h"

#include "ui/menuwindow.h"
#include "ui/questionpanel.h"

#include <QHash>
#include <optional>

class QLabel;

namespace valthera {

class ChoiceList;
class PictureBox;
class ScreenRegistry;
class TopicText;

class LessonScreen : public MenuWindow {
    Q_OBJECT
public:
    LessonScreen(const LessonDefinition &lesson, ScreenRegistry &registry);

    const LessonDefinition &lesson() const { return lesson_; }

private:
    void build();
    void selectTopic(int index);
    void applySteps(const VisibilitySteps &steps);
    QString describeSteps(const VisibilitySteps &steps) const;
    void load();
    // The topic-selection steps; a pass run by a change of the text always
    // brings the topic's picture window forward.
    void runTopic(int index, bool fromTextChange);
    void showSequence(bool marked = false);
    void onNext();
    void showCompletion();

    const LessonDefinition &lesson_;
    ScreenRegistry &registry_;
    QuestionSequence sequence_;

    QLabel *instruction_ = nullptr;
    ChoiceList *topics_ = nullptr;
    TopicText *text_ = nullptr;
    std::optional<QuestionPanel> panel_;
    QHash<QString, PictureBox *> boxes_;
    int rerunDepth_ = 0;
};

} // namespace valthera
