#pragma once
// Controls in the common look, placed in twips: the labels and command buttons
// that the lesson and test screens share.

#include "ui/look.h"

#include <QPushButton>

class QLabel;
class QMainWindow;

namespace valthera::look {

// A command button whose caption breaks between its words onto two lines when
// the button is narrower than the caption, as a classic command button's does.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
    // Return and Enter press the focused button, like Space: outside a dialog
    // a push button would otherwise ignore them.
    void keyPressEvent(QKeyEvent *event) override;
};

// A button at place, with a coloured face (an invalid colour keeps the standard face).
QPushButton *makeButton(
    QWidget *parent, const QString &name, const QString &caption, const Place &place, const QColor &face = {});

// A top-left aligned label at place.
QLabel *makeLabel(QWidget *parent, const QString &name, const Place &place);

// Sets a label's caption; a label that sizes itself to its caption keeps its
// left edge and grows rightwards.
void setCaption(QLabel *label, const QString &caption, bool autoSize);

// Gives a window with a menu bar its restored size: the design client area (in
// twips) below the bar, widened where needed so every menu command shows.
void sizeToDesign(QMainWindow *window, int clientWidthTwips, int clientHeightTwips);

// Chains the Tab order of the focusable controls on a client area by their
// place: top to bottom, and left to right within a row.
void orderTabsByPlace(QWidget *client);

// Describes the question buttons' effects to assistive technology.
void describeQuestionButtons(QPushButton *start, QPushButton *next, QPushButton *reset);

// Tells assistive technology that a label's caption changed and should be
// read out (the answer feedback).
void announce(QLabel *label);


} // namespace valthera::look
