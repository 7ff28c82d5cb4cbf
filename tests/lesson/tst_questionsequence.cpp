// The question sequence's states (idle, question k, cleared, complete, restart)
// driven without any window.

#include "lesson/questionsequence.h"

#include <QtTest>

using namespace valthera;

namespace {

// Three questions: question 1 by Start, questions 2 and 3 from the store.
QuestionContent threeQuestions()
{
    QuestionContent content;
    content.first = {"1. one?", "a. 1", "b. 2", "c.  3", "d. 4", "e. 5"};
    content.store = {"2. two?", "a. x", "b. y", "c. z", "d. w", "", "3. three?", "a. p", "b. q", "c. r", "d. s", " "};
    content.key = {{0, 5}, {6, 3}, {12, 1}};
    return content;
}

} // namespace

class QuestionSequenceTest : public QObject {
    Q_OBJECT
private slots:
    void storeReadsEmptyOutsideItsSlots()
    {
        QuestionStore store;
        std::vector<QString> many(200, QStringLiteral("x"));
        store.fill(many); // more lines than slots: the rest is dropped, nothing overruns
        QCOMPARE(store.at(0), QString());
        QCOMPARE(store.at(1), QString("x"));
        QCOMPARE(store.at(120), QString("x"));
        QCOMPARE(store.at(121), QString());
        QCOMPARE(store.at(-1), QString());
        QCOMPARE(AnswerKey(std::map<int, int>{{6, 2}}).lineFor(7), -1);
    }

    void idleStartNextAndMarking()
    {
        QuestionContent content = threeQuestions();
        qint16 counter = 0;
        int diagramSteps = 0;
        QuestionSequence sequence(content, counter);
        sequence.setDiagramStep([&] { ++diagramSteps; });
        sequence.load();

        // Idle.
        QVERIFY(!sequence.listVisible());
        QVERIFY(sequence.lines().isEmpty());
        QCOMPARE(sequence.feedback(), QString());

        sequence.start();
        QVERIFY(sequence.listVisible());
        QCOMPARE(sequence.lines().size(), 6);
        QCOMPARE(sequence.lines().at(3), QString("c.  3"));
        QCOMPARE(counter, qint16(0));
        QCOMPARE(diagramSteps, 1);

        sequence.mark(5);
        QCOMPARE(sequence.feedback(), QuestionSequence::kCorrect);
        sequence.mark(0); // the stem is never right
        QCOMPARE(sequence.feedback(), QuestionSequence::kTryAgain);
        sequence.mark(3);
        QCOMPARE(sequence.feedback(), QuestionSequence::kTryAgain);
        QCOMPARE(counter, qint16(0)); // marking moves nothing

        QCOMPARE(sequence.next(), QuestionSequence::NextOutcome::Advanced);
        QCOMPARE(sequence.feedback(), QString(" "));
        QCOMPARE(counter, qint16(6));
        QCOMPARE(sequence.lines().first(), QString("2. two?"));
        QCOMPARE(sequence.lines().at(5), QString());
        QCOMPARE(diagramSteps, 2);
        sequence.mark(3);
        QCOMPARE(sequence.feedback(), QuestionSequence::kCorrect);

        // Start in the middle puts question 1 up again, marked by its own key,
        // and keeps the feedback until the next Next.
        sequence.start();
        QCOMPARE(counter, qint16(0));
        QCOMPARE(sequence.feedback(), QuestionSequence::kCorrect);
        sequence.mark(3);
        QCOMPARE(sequence.feedback(), QuestionSequence::kTryAgain);
        sequence.next();
        QCOMPARE(sequence.lines().first(), QString("2. two?"));
    }

    void resetClearsAndNextGoesToQuestionTwo()
    {
        QuestionContent content = threeQuestions();
        qint16 counter = 0;
        QuestionSequence sequence(content, counter);
        sequence.load();
        sequence.start();
        sequence.mark(5);
        sequence.next();
        sequence.next();
        QCOMPARE(counter, qint16(12));
        sequence.reset();
        QVERIFY(sequence.lines().isEmpty());
        QVERIFY(sequence.listVisible()); // Reset does not hide the list
        QCOMPARE(sequence.feedback(), QString(" "));
        QCOMPARE(counter, qint16(0));
        sequence.next();
        QCOMPARE(sequence.lines().first(), QString("2. two?"));
    }

    void nextBeforeStartFillsTheHiddenList()
    {
        QuestionContent content = threeQuestions();
        qint16 counter = 0;
        QuestionSequence sequence(content, counter);
        sequence.load();
        sequence.next();
        QVERIFY(!sequence.listVisible());
        QCOMPARE(sequence.lines().first(), QString("2. two?"));
        sequence.start();
        QCOMPARE(sequence.lines().first(), QString("1. one?"));
    }

    void completionAfterTheLastQuestion()
    {
        QuestionContent content = threeQuestions();
        content.completionAfter = 12;
        qint16 counter = 0;
        QuestionSequence sequence(content, counter);
        sequence.load();
        sequence.start();
        sequence.next();
        sequence.next();
        sequence.mark(1);
        QCOMPARE(sequence.next(), QuestionSequence::NextOutcome::Completed);
        QCOMPARE(counter, qint16(13));
        QVERIFY(sequence.complete());
        QVERIFY(sequence.lines().isEmpty());
        QCOMPARE(sequence.feedback(), QString(" "));
        // Complete stays complete on every further Next.
        QCOMPARE(sequence.next(), QuestionSequence::NextOutcome::Completed);
        QCOMPARE(counter, qint16(13));
        sequence.reset();
        QVERIFY(!sequence.complete());
        sequence.next();
        QCOMPARE(sequence.lines().first(), QString("2. two?"));
    }

    void restartOnMarkingAndTheEndOfTheStore()
    {
        QuestionContent content = threeQuestions();
        content.restartAt = 18;
        content.key[18] = 2;
        qint16 counter = 0;
        QuestionSequence sequence(content, counter);
        sequence.load();
        sequence.start();
        for (int i = 0; i < 3; ++i)
            sequence.next();
        QCOMPARE(counter, qint16(18));
        sequence.mark(2);
        QCOMPARE(sequence.feedback(), QuestionSequence::kCorrect); // feedback first, then the restart
        QCOMPARE(counter, qint16(0));
        QVERIFY(sequence.lines().isEmpty());
        sequence.next();
        QCOMPARE(sequence.lines().first(), QString("2. two?"));

        // Twenty Nexts reach the last six slots; one more stays on that view.
        sequence.reset();
        for (int i = 0; i < 20; ++i)
            QCOMPARE(sequence.next(), QuestionSequence::NextOutcome::Advanced);
        QCOMPARE(counter, qint16(120));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(sequence.next(), QuestionSequence::NextOutcome::StayedOnLastView);
            QCOMPARE(counter, qint16(120));
            QCOMPARE(sequence.lines().size(), 6);
        }
    }
};

QTEST_GUILESS_MAIN(QuestionSequenceTest)
#include "tst_questionsequence.moc"
