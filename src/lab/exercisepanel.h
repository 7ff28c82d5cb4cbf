#pragma once
// "Predict, then see" in the Loop Lab: the student picks an exercise, says
// which way EDV, ESV, SV and ESP will move, and Check marks each prediction
// against the model at once. The panel only asks and marks; the window shows
// the exercise's loop over Control when told through exerciseChecked.

#include "lab/exercises.h"

#include <QGroupBox>
#include <array>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace valthera {

class ExercisePanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ExercisePanel(QWidget *parent = nullptr);

    // The exercise chosen in the list, or nullptr.
    const lab::Exercise *chosen() const;

signals:
    // After Check marked the predictions: the lab should show this exercise's
    // change against Control.
    void exerciseChecked(const lab::Exercise &exercise);

private:
    QGridLayout *buildPredictions();
    void exerciseChosen();
    void check();
    void clearMarks();
    void showMark(std::size_t index, const QString &mark);

    // Solving Control takes a moment; it waits for the first Check rather
    // than slowing every opening of the lab.
    std::optional<lab::ExerciseCheck> checker_;
    QListWidget *list_ = nullptr;
    std::array<QComboBox *, lab::kAskedMeasures.size()> predictions_{};
    std::array<QLabel *, lab::kAskedMeasures.size()> marks_{};
    QPushButton *check_ = nullptr;
    QLabel *score_ = nullptr;
    QPlainTextEdit *explanation_ = nullptr;
};

} // namespace valthera
