#include "ui/questionpanel.h"

#include "ui/choicelist.h"
#include "ui/controls.h"

#include <QLabel>
#include <QPushButton>

namespace valthera {

QuestionPanel::QuestionPanel(QWidget *client, const QuestionPanelDesign &design)
    : feedbackAutoSize_(design.feedbackAutoSize)
{
    choices_ = new ChoiceList(client);
    choices_->setObjectName(QStringLiteral("List2"));
    look::styleDarkBox(choices_, design.choicesText);
    look::place(choices_, design.choices);
    choices_->setAccessibleName(QStringLiteral("Question choices"));
    choices_->hide();

    if (design.feedbackBeforeButtons) {
        makeFeedback(client, design);
        makeButtons(client, design);
    } else {
        makeButtons(client, design);
        makeFeedback(client, design);
    }
}

void QuestionPanel::makeFeedback(QWidget *client, const QuestionPanelDesign &design)
{
    feedback_ = look::makeLabel(client, QStringLiteral("Label1"), design.feedback);
    look::styleBlueLabel(feedback_);
    feedback_->setWordWrap(false);
    feedback_->setAccessibleDescription(QStringLiteral("Answer feedback"));
}

void QuestionPanel::makeButtons(QWidget *client, const QuestionPanelDesign &design)
{
    start_ = look::makeButton(
        client, design.start.name, QStringLiteral("Start Questions"), design.start.place, look::startGreen());
    next_ = look::makeButton(
        client, design.next.name, QStringLiteral("Next Question"), design.next.place, look::nextYellow());
    reset_ = look::makeButton(client, design.reset.name, QStringLiteral("Reset Questions"), design.reset.place);
    look::describeQuestionButtons(start_, next_, reset_);
}

void QuestionPanel::showFeedback(const QString &caption, bool marked)
{
    const bool changed = feedback_->text() != caption;
    if (changed)
        look::setCaption(feedback_, caption, feedbackAutoSize_);
    if (changed || (marked && !feedback_->text().isEmpty()))
        look::announce(feedback_);
}

} // namespace valthera
