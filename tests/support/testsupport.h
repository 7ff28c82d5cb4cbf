#pragma once
// Helpers shared by the widget tests: finding controls by name, clicking and
// selecting through real events, and answering modal boxes.

#include <QAbstractButton>
#include <QListWidget>
#include <QString>
#include <QWidget>
#include <functional>

namespace valthera::testing {

// The child of root with that objectName and type; fails the test if missing.
template <typename T> T *child(QWidget *root, const QString &name)
{
    return root ? root->findChild<T *>(name) : nullptr;
}

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

// Runs the event loop briefly so queued work and window activations settle.
void settle(int ms = 0);

} // namespace valthera::testing
