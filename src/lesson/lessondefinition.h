#pragma once
// What a lesson is made of: its captions, topics, picture boxes with their
// switching steps, questions and the few behaviours in which lessons differ.
// LessonScreen builds the window from one of these; a lesson unit only supplies data.

#include "ui/look.h"
#include "diagrams/pictures.h"

#include <QPalette>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace valthera {

using look::Place;

// One visibility setting of a named picture box.
struct Visibility {
    QString box;
    bool visible = true;
};
// Settings applied in order.
using VisibilitySteps = std::vector<Visibility>;

// One row of a topic list: the list line (it carries its own number), the
// paragraph it shows, and what it does to the diagrams. The diagram action runs
// after the text area is shown and before its text is set.
struct TopicEntry {
    QString caption;
    QString paragraph;
    VisibilitySteps diagramAction = {};
    // A picture window the topic opens ("" for none). Normally it is shown and
    // brought forward; with bringWindowForward false it is only made visible
    // (opened if closed, left where it is if open).
    QString pictureWindow = {};
    bool bringWindowForward = true;
};

// A picture box. Boxes are made in table order, so a later box with the same
// parent lies over an earlier one; a box with a parent lies inside it and is
// seen only while the parent is visible.
struct PictureBoxDef {
    QString name;
    PictureId picture;
    Place place; // relative to the parent box, or to the client area
    bool visible = true; // at creation
    QString parent = {}; // "" for the client area
};

// A button that switches diagrams.
struct ButtonDef {
    QString name;
    QString caption;
    Place place;
    VisibilitySteps steps;
    double pointSize = look::kOrdinaryPointSize;
};

// A fixed label on the blue window (beside the standard ones).
struct LabelDef {
    QString name;
    QString caption;
    Place place;
    bool autoSize = false; // the label's width follows its caption
    double pointSize = look::kOrdinaryPointSize;
};

struct QuestionContent {
    std::array<QString, 6> first; // question 1, put up by Start
    std::vector<QString> store; // store slots 1, 2, 3 … in order; slots not given stay empty
    std::map<int, int> key; // counter value -> index of the correct line (1 to 5)
    VisibilitySteps diagramStep; // applied by Start and Next
    // For a lesson that ends with the completion message: the counter at which
    // its last question is on display.
    std::optional<int> completionAfter;
    // For a lesson with the restart on marking: the counter at which a mark
    // empties the list and sets the counter to 0.
    std::optional<int> restartAt;
};

// Places of the standard controls, in twips from the client area's top left.
struct LessonLayout {
    int clientWidth = 0; // design client area, twips
    int clientHeight = 0;
    Place instruction; // Label3
    Place topics; // basicList1
    Place text; // BasicAnswers1
    Place choices; // List2
    Place start; // Command6
    Place next; // Command8
    Place reset; // Command7
    Place feedback; // Label1
    bool feedbackAutoSize = false;
    // Text colour of the choice list, by system role: white highlighted text on
    // most lessons, the window-background colour on the loop-change lessons.
    QPalette::ColorRole choicesText = QPalette::HighlightedText;
    std::vector<LabelDef> labels = {};
};

struct LessonDefinition {
    QString name; // objectName of the screen
    QString caption; // window caption
    QString instruction; // caption of Label3
    QString heading; // entry 0 of the topic list: a title, not a topic
    std::vector<TopicEntry> topics;
    QString initialText; // put in the hidden text area at load; "" for none
    // A picture window the load step opens before anything else ("" for none).
    QString openAtLoad = {};
    bool openAtLoadBringsForward = true;
    std::vector<PictureBoxDef> boxes;
    std::vector<ButtonDef> buttons;
    QuestionContent questions;
    LessonLayout layout;
    // A click on the text area hides it (its text stays).
    bool clickHidesText = false;
    // The student may type into the text area.
    bool textAcceptsTyping = false;
    // Every real change of the text area's text runs the current topic selection again.
    bool rerunTopicOnTextChange = false;
};

} // namespace valthera
