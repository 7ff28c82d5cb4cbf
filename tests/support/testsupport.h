#pragma once
// Helpers shared by the widget tests: finding controls by name, clicking and
// selecting through real events, and answering modal boxes.

#include <QAbstractButton>
#include <QListWidget>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <source_location>
#include <type_traits>

namespace valthera {
class LoopLabWindow;
class PictureBox;
class Program;
} // namespace valthera

namespace valthera::testing {

// Records a failure of the running test naming the control that is missing
// and the window it was looked for in, and returns a hidden stand-in for it:
// parented to root where there is one, so it goes with the window.
void reportMissing(QWidget *root, const QString &name, const char *type, const std::source_location &where);

// The child of root with that objectName and type. A missing one fails the
// test with its name; the test goes on with a hidden stand-in rather than a
// null pointer (where the type can be made from a parent alone), so the
// program survives to report the failure.
template <typename T>
T *child(QWidget *root, const QString &name, const std::source_location &where = std::source_location::current())
{
    if (T *found = root ? root->findChild<T *>(name) : nullptr)
        return found;
    reportMissing(root, name, T::staticMetaObject.className(), where);
    if constexpr (std::is_constructible_v<T, QWidget *>) {
        auto *standIn = new T(root);
        standIn->hide();
        return standIn;
    } else {
        return nullptr; // a control that needs more than a parent has no stand-in
    }
}

// The picture box a student sees on a window: the innermost shown box on top,
// or nullptr when none is shown.
PictureBox *pictureOnView(QWidget *window);

// Left-clicks the middle of a widget.
void click(QWidget *widget);
// Clicks the row of a list through a real mouse event at the row's place.
void clickRow(QListWidget *list, int row);
// Moves the list's current row with the arrow keys until it is row.
void keyToRow(QListWidget *list, int row);
QStringList lines(const QListWidget *list);

// Arranges for the next modal box to be read and closed with its default
// button; text and title receive what it said. Returns at once.
void answerNextModal(QString *text = nullptr, QString *title = nullptr, int *seen = nullptr);

// For a test's initMain, before the application starts: the offscreen
// platform then shows one screen of width x height pixels at 96 dpi, so what
// a test sees does not hang on the platform's default screen.
void useOffscreenScreen(const char *name, int width, int height);

// Runs the event loop briefly so queued work and window activations settle.
void settle(int ms = 0);

// Installed on the application, counts the frames in which a window is
// painted: a paint after the window's update request begins a new one.
struct FrameCounter : QObject {
    QWidget *window = nullptr;
    int frames = 0;
    bool painting = false;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Shows a screen of a program started for one test, once the window system
// has it on screen; null if it could not. Ending the session only closes the
// program's windows.
QWidget *openScreen(Program &program, const QString &name);
// The Loop Lab of such a program, shown; null (the test failed) if it could not be.
LoopLabWindow *openLab(Program &program);
// Ends such a program's session and lets its windows go before it goes.
void endProgram(std::unique_ptr<Program> &program);

} // namespace valthera::testing
