#pragma once
// A running program with one loop-change lesson open, driven through real
// widget events, for the afterload, preload and contractility tests.

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "lesson/lessonscreen.h"
#include "lessons/loopchangetopics.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

namespace valthera::testing {

inline const QStringList &pictureWindows()
{
    static const QStringList names{QStringLiteral("IncreasedAfterload"), QStringLiteral("IncreasedPreload"),
        QStringLiteral("IncreasedContractility"), QStringLiteral("PipLine")};
    return names;
}

class LoopChangeRig {
public:
    explicit LoopChangeRig(const QString &lessonName)
        : program_(std::make_unique<Program>())
    {
        // Where the program has no picture windows of its own yet, plain
        // stand-ins with the same names take their place.
        for (const QString &name : pictureWindows()) {
            if (!registry().knows(name))
                registry().add(name, [](ScreenRegistry &) { return new QWidget; });
        }
        screen_ = qobject_cast<LessonScreen *>(registry().show(lessonName));
        settle();
    }

    ScreenRegistry &registry() { return program_->registry(); }
    LessonScreen *screen() const { return screen_; }

    QListWidget *topics() const { return child<QListWidget>(screen_, QStringLiteral("basicList1")); }
    QListWidget *choices() const { return child<QListWidget>(screen_, QStringLiteral("List2")); }
    QPlainTextEdit *text() const { return child<QPlainTextEdit>(screen_, QStringLiteral("BasicAnswers1")); }
    QLabel *label(const QString &name) const { return child<QLabel>(screen_, name); }
    QString feedback() const { return label(QStringLiteral("Label1"))->text(); }
    QStringList choiceLines() const { return lines(choices()); }
    int counter() const { return program_->registry().counter(screen_->objectName()); }

    void press(const QString &button) const { click(child<QPushButton>(screen_, button)); }
    void start() const { press(QStringLiteral("Command6")); }
    void next() const { press(QStringLiteral("Command8")); }
    void reset() const { press(QStringLiteral("Command7")); }
    void choose(int row) const { clickRow(choices(), row); }
    void pickTopic(int row) const
    {
        clickRow(topics(), row);
        settle();
    }

    // The chart the student sees.
    QString chartOnView() const
    {
        PictureBox *box = pictureOnView(screen_);
        return box ? box->objectName() : QString();
    }

    QWidget *window(const QString &name) { return registry().find(name); }
    void closePictureWindows()
    {
        for (const QString &name : pictureWindows()) {
            if (QWidget *open = window(name))
                open->close();
        }
        settle();
    }
    // Puts the lesson in front, so a picture window coming forward shows as a
    // change of the active window.
    void bringLessonForward() const
    {
        screen_->raise();
        screen_->activateWindow();
        settle();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(screen_));
    }

    // Marks the rows of the view on display one after another and returns the
    // rows that were marked correct.
    std::vector<int> correctRows() const
    {
        std::vector<int> correct;
        for (int row = 0; row < choices()->count(); ++row) {
            choose(row);
            if (feedback() == QStringLiteral("CORRECT!"))
                correct.push_back(row);
        }
        return correct;
    }

private:
    std::unique_ptr<Program> program_;
    LessonScreen *screen_ = nullptr;
};

// The single choice a view marks correct, or "" when none or several are.
inline QString keyedChoice(const LoopChangeRig &rig)
{
    const std::vector<int> rows = rig.correctRows();
    return rows.size() == 1 ? rig.choiceLines().value(rows.front()) : QString();
}

// The number in a choice such as "b. 100 mmHg" or "d. 2/3".
inline double choiceValue(const QString &choice)
{
    const QString value = choice.section(QLatin1Char(' '), 1, 1);
    if (value.contains(QLatin1Char('/')))
        return value.section(QLatin1Char('/'), 0, 0).toDouble() / value.section(QLatin1Char('/'), 1, 1).toDouble();
    return value.toDouble();
}

} // namespace valthera::testing
