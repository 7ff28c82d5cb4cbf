#pragma once
// The lab's column of controls: the model, the condition, a slider and a box
// for every parameter (the four main ones, then "More" and "Support" on
// pages), the buttons for the baseline, Reset and the occlusion run, and the
// count of the beats playing after a change. It shows what it is told and
// says what the student chose; the window decides what follows.

#include "lab/labsession.h"
#include "lab/labwidgets.h"

#include <array>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

namespace valthera::look {
class RangeDoubleSpinBox;
}

namespace valthera::lab {

class ParameterPanel : public Column {
    Q_OBJECT
public:
    explicit ParameterPanel(const Parameters &start, QWidget *parent);

    // Every control shows these parameters, the condition they are (if any)
    // and the controls of their model; nothing is said back.
    void showParameters(const Parameters &parameters);
    // The condition the parameters are, or none for a mix of the student's own.
    void showCondition(const Preset *match);
    // One control, where the session put a value it was given.
    void showParameter(Param p, double value);
    // "Beat 3 of 30 after the change", and Skip while beats play.
    void showTransient(int beat, int length);
    // The support devices' alarms, in words.
    void showAlarms(const Measures &measures);

    // Whether a slider is being dragged.
    bool dragging() const;
    void setZoom(double zoom);
    // The panel's controls in the order Tab walks them.
    std::vector<QWidget *> tabOrder() const;

signals:
    void parameterChosen(valthera::model::Param p, double value);
    void conditionChosen(const valthera::model::Preset &preset);
    void modelChosen(valthera::model::ModelKind kind);
    void keepBaselineAsked();
    void resetAsked();
    void occlusionAsked();
    void skipAsked();

private:
    struct ParameterControls {
        look::RangeDoubleSpinBox *spin = nullptr;
        QSlider *slider = nullptr;
        QLabel *label = nullptr;
        QLabel *note = nullptr;
    };

    void buildChoices(QLayout *column);
    void buildGroups(QLayout *column);
    void buildButtons(QLayout *column);
    void addParameterRow(QWidget *parent, QGridLayout *grid, int row, Param p);
    // The support devices' page (parameterpanelsupport.cpp).
    QWidget *buildSupportGroup(QWidget *parent);
    void showModel(ModelKind kind);

    std::array<ParameterControls, kParamCount> controls_{};
    QComboBox *model_ = nullptr;
    QComboBox *presets_ = nullptr;
    QTabWidget *groups_ = nullptr;
    QWidget *support_ = nullptr;
    QLabel *supportAlarms_ = nullptr;
    QLabel *transientCounter_ = nullptr;
    QPushButton *skip_ = nullptr;
};

} // namespace valthera::lab
