#pragma once
// The rules of the practice test, kept apart from any widget so they can be
// driven alone: Start, Next, Reset and the marking of a chosen line, the
// explanation box, the feedback caption and which pictures are visible.
//
// Unlike the lesson question sequence, the test explains every right answer,
// changes its picture as the counter climbs, and has no completion message:
// after question 20 it runs on through five closing pages to a blank one.

#include "practice/testbank.h"

#include <QString>
#include <QStringList>

namespace valthera {

class PracticeTest {
public:
    // The feedback texts are the lessons' own; these name them for the test.
    static const QString &kCorrect;
    static const QString &kTryAgain;
    static const QString &kCleared; // feedback after Next: one blank

    // Counter values at which Next brings up the later pictures.
    static constexpr int kAfterloadFrom = 60;
    static constexpr int kContractilityFrom = 85;
    // The counter while the blank page after the closing pages is on display.
    static constexpr int kBlankPage = TestBank::kLast;

    enum class Picture { None, BasicLoop, Afterload, Contractility };

    // The counter lives outside the test (it outlives the test's window).
    explicit PracticeTest(qint16 &counter);

    // Fills the bank; everything else keeps its state.
    void load();
    void start();
    // False when the press is ignored: the blank page is the last there is.
    bool next();
    void reset();
    void mark(int line);

    qint16 counter() const { return counter_; }
    const QStringList &lines() const { return lines_; }
    bool listVisible() const { return listVisible_; }
    const QString &explanation() const { return explanation_; }
    const QString &feedback() const { return feedback_; }
    bool basicLoopVisible() const { return basicLoop_; }
    bool afterloadVisible() const { return afterload_; }
    bool contractilityVisible() const { return contractility_; }
    // The picture the student sees: the three-patient loops cover the afterload
    // comparison, and both lie inside the cycle schematic's box.
    Picture pictureSeen() const;

private:
    TestBank bank_;
    qint16 &counter_;
    QStringList lines_;
    bool listVisible_ = false;
    QString explanation_;
    QString feedback_;
    bool basicLoop_ = false;
    bool afterload_ = false;
    bool contractility_ = false;
};

} // namespace valthera
