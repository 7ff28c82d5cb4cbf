#pragma once
// Shared steps for the lesson tests: open a lesson through the program's own
// registry and work its questions through real clicks.

#include "app/program.h"
#include "lesson/lessonscreen.h"
#include "lesson/questionsequence.h"
#include "support/testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace valthera::testing {

inline LessonScreen *openLesson(Program &program, const QString &name)
{
    return qobject_cast<LessonScreen *>(program.registry().show(name));
}

inline QListWidget *listOf(LessonScreen *s, const char *name)
{
    return child<QListWidget>(s, name);
}
inline QString feedbackOf(LessonScreen *s)
{
    return child<QLabel>(s, "Label1")->text();
}
inline void press(LessonScreen *s, const char *button)
{
    click(child<QPushButton>(s, button));
}

// The line marked correct for question k, read from the lesson's own data.
inline QString keyLine(const LessonDefinition &lesson, int k)
{
    const int line = lesson.questions.key.at(6 * (k - 1));
    if (k == 1)
        return lesson.questions.first.at(static_cast<size_t>(line));
    return lesson.questions.store.at(static_cast<size_t>(6 * (k - 2) + line));
}

// The number a choice line offers ("c.  80" -> 80).
inline double choiceValue(const QString &line)
{
    return line.section(QLatin1Char('.'), 1).trimmed().toDouble();
}

// Starts the questions and works through every one of them: each of the six
// lines is clicked, only the line reading correct[k - 1] may earn "CORRECT!", the
// key line is chosen once more by keyboard, and Next moves on. After the last
// question three further Next presses each show the completion message over an
// empty choice list.
inline void walkAllQuestions(Program &program, LessonScreen *s, const QStringList &correct)
{
    const qint16 &counter = program.registry().counter(s->objectName());
    QListWidget *choices = listOf(s, "List2");
    press(s, "Command6");
    QVERIFY(choices->isVisible());
    for (int k = 1; k <= correct.size(); ++k) {
        const QStringList shown = lines(choices);
        QCOMPARE(shown.size(), 6);
        QVERIFY2(shown[0].startsWith(QStringLiteral("%1. ").arg(k)), qPrintable(shown[0]));
        QCOMPARE(int(counter), 6 * (k - 1));
        const int keyRow = static_cast<int>(shown.indexOf(correct[k - 1]));
        QVERIFY2(keyRow > 0, qPrintable(correct[k - 1]));
        for (int row = 0; row < 6; ++row) {
            clickRow(choices, row);
            QCOMPARE(feedbackOf(s), row == keyRow ? QuestionSequence::kCorrect : QuestionSequence::kTryAgain);
        }
        keyToRow(choices, keyRow);
        QCOMPARE(feedbackOf(s), QuestionSequence::kCorrect);
        if (k < correct.size()) {
            press(s, "Command8");
            QCOMPARE(feedbackOf(s), QuestionSequence::kCleared);
        }
    }
    const int completeAt = 6 * (static_cast<int>(correct.size()) - 1) + 1;
    for (int again = 1; again <= 3; ++again) {
        QString text, title;
        int seen = 0;
        answerNextModal(&text, &title, &seen);
        press(s, "Command8");
        QCOMPARE(seen, 1);
        QCOMPARE(text, QStringLiteral("Questions Completed - to do again use the reset"));
        QCOMPARE(title, QStringLiteral("Done"));
        QCOMPARE(choices->count(), 0);
        QCOMPARE(feedbackOf(s), QStringLiteral(" "));
        QCOMPARE(int(counter), completeAt);
    }
}

} // namespace valthera::testing
