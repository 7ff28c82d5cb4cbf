#pragma once
// The question controls the lesson and test windows share: the choice list, the
// answer feedback label and the Start, Next and Reset buttons. The panel makes
// them at the places and under the names a window gives, and speaks the
// feedback; the window keeps the rules and tells the panel what they say.

#include "ui/look.h"

#include <QPalette>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace valthera {

class ChoiceList;

struct QuestionPanelDesign {
    struct Button {
        QString name;
        look::Place place;
    };

    look::Place choices; // the list, objectName List2
    // The system colour of the list's text (see look::styleDarkBox).
    QPalette::ColorRole choicesText = QPalette::HighlightedText;
    look::Place feedback; // the label, objectName Label1
    bool feedbackAutoSize = false; // the label grows rightwards to fit its caption
    // Controls are made, and so walked by assistive technology, in the order
    // list, buttons, feedback; the test window reads its feedback before its buttons.
    bool feedbackBeforeButtons = false;
    Button start; // "Start Questions", green
    Button next; // "Next Question", light yellow
    Button reset; // "Reset Questions"
};

class QuestionPanel {
public:
    // Makes the controls on client; the list starts hidden, the feedback empty.
    QuestionPanel(QWidget *client, const QuestionPanelDesign &design);

    ChoiceList *choices() const { return choices_; }
    QPushButton *startButton() const { return start_; }
    QPushButton *nextButton() const { return next_; }
    QPushButton *resetButton() const { return reset_; }

    // Puts up the feedback caption. It is spoken when it changes, and after
    // every marking (marked) that leaves a caption up: a second "TRY AGAIN" in
    // a row changes nothing on screen, but a listener would otherwise hear nothing.
    void showFeedback(const QString &caption, bool marked);

private:
    void makeFeedback(QWidget *client, const QuestionPanelDesign &design);
    void makeButtons(QWidget *client, const QuestionPanelDesign &design);

    bool feedbackAutoSize_ = false;
    ChoiceList *choices_ = nullptr;
    QLabel *feedback_ = nullptr;
    QPushButton *start_ = nullptr;
    QPushButton *next_ = nullptr;
    QPushButton *reset_ = nullptr;
};

} // namespace valthera
