#include "lab/exercisepanel.h"

#include "lab/labsession.h"
#include "ui/controls.h"
#include "ui/look.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace valthera {

using namespace lab;

namespace {

constexpr std::array<Direction, 3> kOffered{Direction::Up, Direction::Down, Direction::Same};

QString measureName(std::size_t index)
{
    return toQString(info(kAskedMeasures[index]).name);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// The lessons' dark-blue box with white text, keeping the lab's own font so
// the lab's zoom reaches it.
void styleDarkBox(QWidget *widget)
{
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, look::darkBlue());
        palette.setColor(group, QPalette::Window, look::darkBlue());
        palette.setColor(group, QPalette::Text, look::lightText());
        palette.setColor(group, QPalette::WindowText, look::lightText());
        palette.setColor(group, QPalette::PlaceholderText, QColor(200, 200, 235));
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

// A row for each asked measure: its name, a box for the prediction and the mark.
QGridLayout *ExercisePanel::buildPredictions()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    for (std::size_t i = 0; i < kAskedMeasures.size(); ++i) {
        const QString measure = measureName(i);
        auto *label = new QLabel(measure, this);
        label->setToolTip(toQString(info(kAskedMeasures[i]).meaning));

        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("predict") + measure);
        for (Direction d : kOffered)
            combo->addItem(toQString(directionText(d)));
        combo->setPlaceholderText(QStringLiteral("predict"));
        combo->setCurrentIndex(-1);
        combo->setAccessibleName(QStringLiteral("Your prediction for ") + measure);
        setTextColour(combo, QApplication::palette().color(QPalette::WindowText));
        label->setBuddy(combo);

        auto *mark = new QLabel(this);
        mark->setObjectName(QStringLiteral("mark") + measure);
        mark->setMinimumWidth(mark->fontMetrics().horizontalAdvance(toQString(kWrongMark)));

        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(combo, static_cast<int>(i), 1);
        grid->addWidget(mark, static_cast<int>(i), 2);
        predictions_[i] = combo;
        marks_[i] = mark;
    }
    grid->setColumnStretch(2, 1);
    return grid;
}

ExercisePanel::ExercisePanel(QWidget *parent)
    : QGroupBox(QStringLiteral("Predict, then see"), parent)
{
    setObjectName(QStringLiteral("groupExercise"));
    setTextColour(this, look::lightText());

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("exercises"));
    for (const Exercise &exercise : exercises()) {
        auto *item = new QListWidgetItem(toQString(exercise.name), list_);
        item->setToolTip(item->text());
    }
    list_->setWordWrap(true);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setAccessibleName(QStringLiteral("Exercises"));
    list_->setAccessibleDescription(QStringLiteral("Each changes one cause from Control; choose one, then predict"));
    styleDarkBox(list_);
    connect(list_, &QListWidget::currentRowChanged, this, &ExercisePanel::exerciseChosen);

    QGridLayout *grid = buildPredictions();

    check_ = look::makeButton(this, QStringLiteral("cmdCheck"), QStringLiteral("Check"), {});
    check_->setAccessibleDescription(
        QStringLiteral("Marks your predictions and shows the exercise's loop over Control"));
    check_->setMinimumHeight(28);
    check_->setEnabled(false);
    connect(check_, &QPushButton::clicked, this, &ExercisePanel::check);

    score_ = new QLabel(this);
    score_->setObjectName(QStringLiteral("exerciseScore"));
    auto *checkRow = new QHBoxLayout;
    checkRow->addWidget(check_);
    checkRow->addWidget(score_, 1);

    explanation_ = new QPlainTextEdit(this);
    explanation_->setObjectName(QStringLiteral("exerciseExplanation"));
    explanation_->setReadOnly(true);
    explanation_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    explanation_->setFocusPolicy(Qt::StrongFocus); // the keyboard scrolls a long explanation
    explanation_->setTabChangesFocus(true);
    explanation_->setPlaceholderText(QStringLiteral("Choose an exercise, predict each measure, then Check."));
    explanation_->setAccessibleName(QStringLiteral("Explanation"));
    styleDarkBox(explanation_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);
    column->addWidget(list_, 3);
    column->addLayout(grid);
    column->addLayout(checkRow);
    column->addWidget(explanation_, 4);

    // Tab reads the panel top to bottom: the list, each prediction, Check,
    // then the explanation.
    QWidget *previous = list_;
    for (QComboBox *combo : predictions_) {
        setTabOrder(previous, combo);
        previous = combo;
    }
    setTabOrder(previous, check_);
    setTabOrder(check_, explanation_);

    clearMarks();
}

const Exercise *ExercisePanel::chosen() const
{
    const int row = list_->currentRow();
    const auto all = exercises();
    if (row < 0 || row >= static_cast<int>(all.size()))
        return nullptr;
    return &all[static_cast<std::size_t>(row)];
}

void ExercisePanel::exerciseChosen()
{
    for (QComboBox *combo : predictions_)
        combo->setCurrentIndex(-1);
    clearMarks();
    check_->setEnabled(chosen() != nullptr);
}

void ExercisePanel::clearMarks()
{
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        marks_[i]->clear();
        marks_[i]->setAccessibleName(measureName(i) + QStringLiteral(" not yet marked"));
    }
    score_->clear();
    score_->setAccessibleName(QStringLiteral("Score"));
    explanation_->clear();
}

void ExercisePanel::showMark(std::size_t index, const QString &mark)
{
    QLabel *label = marks_[index];
    label->setText(mark);
    // Read out with the measure it marks: four bare "CORRECT!"s would not say which is which.
    label->setAccessibleName(measureName(index) + QStringLiteral(": ") + mark);
    look::announce(label);
}

void ExercisePanel::check()
{
    const Exercise *exercise = chosen();
    if (!exercise)
        return;
    Predictions predictions{};
    for (std::size_t i = 0; i < predictions_.size(); ++i) {
        const int index = predictions_[i]->currentIndex();
        if (index >= 0)
            predictions[i] = kOffered[static_cast<std::size_t>(index)];
    }
    if (!checker_)
        checker_.emplace();
    const ExerciseResult result = checker_->check(*exercise, predictions);

    for (std::size_t i = 0; i < marks_.size(); ++i)
        showMark(i, toQString(result.marks[i]));
    score_->setText(toQString(result.score));
    score_->setAccessibleName(QStringLiteral("Score: ") + score_->text());
    look::announce(score_);
    explanation_->setPlainText(toQString(result.explanation));
    emit exerciseChecked(*exercise);
}

} // namespace valthera
