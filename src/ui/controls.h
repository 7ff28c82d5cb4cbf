#pragma once
// Controls in the common look, placed in twips: the labels and command buttons
// that the lesson and test screens share.

#include "ui/look.h"

#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

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

// Spin boxes that take any number typed, within their range or beyond it.
// The standard box refuses the keystroke that would pass its maximum, so 500
// typed for a limit of 200 silently became 50; these take the whole number
// and, when it is complete, set the nearest limit, saying so: the allowed
// range in the tooltip, and a note (given with setNote, shown beside the box
// and read out) naming what was set. A number with more decimals than shown
// is rounded, not cut.
class RangeDoubleSpinBox : public QDoubleSpinBox {
public:
    explicit RangeDoubleSpinBox(QWidget *parent = nullptr);

    // Where a typed number beyond the range is told; hidden until then, and
    // again once the box holds a value not brought to a limit.
    void setNote(QLabel *note);
    // The range in words for the tooltip and the note ("30 to 200 beats/min");
    // the limits as the box shows them unless set.
    void setRangeText(const QString &text);
    QString rangeText() const;
    // What a complete typed number becomes: the nearest limit unless set (a
    // setting rule may also round it or step over values that are no setting).
    void setLegal(std::function<double(double)> legal) { legal_ = std::move(legal); }

    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &text) const override;

private:
    std::function<double(double)> legal_;
    QLabel *note_ = nullptr;
    QString rangeText_;
    mutable double noted_ = 0;
};

// The same for whole numbers.
class RangeSpinBox : public QSpinBox {
public:
    explicit RangeSpinBox(QWidget *parent = nullptr);

    void setNote(QLabel *note);
    QString rangeText() const;

    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &text) const override;

private:
    QLabel *note_ = nullptr;
    mutable int noted_ = 0;
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
