#include "practice/practicetest.h"

#include "lesson/questionsequence.h"

namespace valthera {

// References to objects of static storage are bound before any dynamic
// initialisation runs, so these are safe whatever order the units start in.
const QString &PracticeTest::kCorrect = QuestionSequence::kCorrect;
const QString &PracticeTest::kTryAgain = QuestionSequence::kTryAgain;
const QString &PracticeTest::kCleared = QuestionSequence::kCleared;

PracticeTest::PracticeTest(qint16 &counter)
    : counter_(counter)
{
}

void PracticeTest::load()
{
    bank_.fill(testcontent::bankText());
}

void PracticeTest::start()
{
    // The feedback and the later pictures stay as they are: a restart from a late
    // question shows question 1 over whatever picture is up until Reset.
    basicLoop_ = true;
    listVisible_ = true;
    lines_.clear();
    explanation_.clear();
    counter_ = 0;
    for (const QString &line : testcontent::page(1))
        lines_.append(line);
}

bool PracticeTest::next()
{
    // Nothing follows the blank page; reading on would run past the bank.
    if (counter_ >= kBlankPage)
        return false;
    explanation_.clear();
    feedback_ = kCleared;
    lines_.clear();
    counter_ += 1;
    for (int slot = counter_; slot <= counter_ + 5; ++slot)
        lines_.append(bank_.at(slot));
    counter_ += 5;
    // Pictures only ever come up here; Reset is what takes them down.
    if (counter_ >= kAfterloadFrom) {
        afterload_ = true;
        if (counter_ >= kContractilityFrom)
            contractility_ = true;
    }
    return true;
}

void PracticeTest::reset()
{
    explanation_.clear();
    lines_.clear();
    counter_ = 0;
    afterload_ = false;
    contractility_ = false;
    basicLoop_ = true;
}

void PracticeTest::mark(int line)
{
    const std::optional<TestKeyEntry> key = TestAnswerKey::lookup(counter_);
    if (!key)
        return;
    // Question 1 keeps its explanation up after a wrong line; every later
    // question starts from an empty box.
    if (counter_ != 0)
        explanation_.clear();
    if (line == key->line) {
        feedback_ = kCorrect;
        explanation_ = key->explanation;
    } else {
        feedback_ = kTryAgain;
    }
}

PracticeTest::Picture PracticeTest::pictureSeen() const
{
    if (!basicLoop_)
        return Picture::None;
    if (contractility_)
        return Picture::Contractility;
    if (afterload_)
        return Picture::Afterload;
    return Picture::BasicLoop;
}

} // namespace valthera
