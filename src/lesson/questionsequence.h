#pragma once
// The Start/Next/Reset sequence of six-line multiple-choice questions and the
// marking of a chosen line, kept apart from any widget so it can be driven alone.

#include "lesson/lessondefinition.h"
#include "lesson/slotstore.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace valthera {

// A lesson's 121 text slots, 0 to 120. Question k >= 2 stands in slots
// 6(k-2)+1 to 6(k-2)+6; slot 0 and the slots after the last question are empty.
using QuestionStore = SlotStore<121>;

// The correct line index by question counter value.
class AnswerKey {
public:
    AnswerKey() = default;
    explicit AnswerKey(std::map<int, int> byCounter);
    // The correct line for the counter; -1 (no line is right) where the lesson
    // keys nothing.
    int lineFor(int counter) const;

private:
    std::map<int, int> byCounter_;
};

class QuestionSequence {
public:
    static const QString kCorrect;
    static const QString kTryAgain;
    static const QString kCleared;
    static const QString kCompletionMessage;
    static const QString kCompletionTitle;

    enum class NextOutcome { Advanced, Completed, StayedOnLastView };

    // counter lives outside the sequence (it outlives the lesson's window).
    QuestionSequence(const QuestionContent &content, qint16 &counter);

    // Load: fill the store from the lesson's content.
    void load();

    void start();
    NextOutcome next();
    void reset();
    // Marks line (the index chosen in the choice list).
    void mark(int line);

    qint16 counter() const { return counter_; }
    bool complete() const;
    bool listVisible() const { return listVisible_; }
    const QStringList &lines() const { return lines_; }
    const QString &feedback() const { return feedback_; }
    const QuestionStore &store() const { return store_; }
    const AnswerKey &key() const { return key_; }

    // Called where the question diagram step applies (Start and Next).
    void setDiagramStep(std::function<void()> step) { diagramStep_ = std::move(step); }

private:
    void applyDiagramStep();

    const QuestionContent &content_;
    qint16 &counter_;
    QuestionStore store_;
    AnswerKey key_;
    QStringList lines_;
    bool listVisible_ = false;
    QString feedback_;
    std::function<void()> diagramStep_;
};

} // namespace valthera
