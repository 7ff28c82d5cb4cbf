#include "lesson/questionsequence.h"

namespace valthera {

const QString QuestionSequence::kCorrect = QStringLiteral("CORRECT!");
const QString QuestionSequence::kTryAgain = QStringLiteral("TRY AGAIN");
const QString QuestionSequence::kCleared = QStringLiteral(" ");
const QString QuestionSequence::kCompletionMessage = QStringLiteral("Questions Completed - to do again use the reset");
const QString QuestionSequence::kCompletionTitle = QStringLiteral("Done");

AnswerKey::AnswerKey(std::map<int, int> byCounter)
    : byCounter_(std::move(byCounter))
{
}

int AnswerKey::lineFor(int counter) const
{
    const auto it = byCounter_.find(counter);
    return it == byCounter_.end() ? -1 : it->second;
}

QuestionSequence::QuestionSequence(const QuestionContent &content, qint16 &counter)
    : content_(content)
    , counter_(counter)
    , key_(content.key)
{
}

void QuestionSequence::load()
{
    store_.fill(content_.store);
}

bool QuestionSequence::complete() const
{
    return content_.completionAfter && counter_ > *content_.completionAfter;
}

void QuestionSequence::applyDiagramStep()
{
    if (diagramStep_)
        diagramStep_();
}

void QuestionSequence::start()
{
    listVisible_ = true;
    lines_.clear();
    counter_ = 0;
    applyDiagramStep();
    for (const QString &line : content_.first)
        lines_.append(line);
}

QuestionSequence::NextOutcome QuestionSequence::next()
{
    feedback_ = kCleared;
    lines_.clear();
    applyDiagramStep();
    if (content_.completionAfter && counter_ >= *content_.completionAfter) {
        counter_ = static_cast<qint16>(*content_.completionAfter + 1);
        return NextOutcome::Completed;
    }
    if (counter_ + 6 > QuestionStore::kLast) {
        // The store ends at slot 120: a further Next keeps the last view on
        // display rather than reading past it.
        const int first = std::max(1, counter_ - 5);
        for (int slot = first; slot <= counter_; ++slot)
            lines_.append(store_.at(slot));
        return NextOutcome::StayedOnLastView;
    }
    for (int slot = counter_ + 1; slot <= counter_ + 6; ++slot)
        lines_.append(store_.at(slot));
    counter_ = static_cast<qint16>(counter_ + 6);
    return NextOutcome::Advanced;
}

void QuestionSequence::reset()
{
    lines_.clear();
    counter_ = 0;
}

void QuestionSequence::mark(int line)
{
    feedback_ = line == key_.lineFor(counter_) ? kCorrect : kTryAgain;
    if (content_.restartAt && counter_ == *content_.restartAt) {
        lines_.clear();
        counter_ = 0;
    }
}

} // namespace valthera
