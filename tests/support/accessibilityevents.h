#pragma once
// Records the accessibility events the program raises, as an assistive
// technology bridge would receive them. Offscreen no bridge runs, so while a
// recorder lives it switches the platform's accessibility on and takes Qt's
// update handler; it puts both back as they were when it goes.

#include <QAccessible>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace valthera::testing {

class AccessibilityEvents {
public:
    struct Event {
        QPointer<QObject> object;
        QAccessible::Event type;
        QString name; // the object's accessible name when the event was raised
    };

    AccessibilityEvents();
    ~AccessibilityEvents();
    AccessibilityEvents(const AccessibilityEvents &) = delete;
    AccessibilityEvents &operator=(const AccessibilityEvents &) = delete;

    const QList<Event> &events() const { return events_; }
    void clear() { events_.clear(); }

    // The names read out with each alert on object, in order; each counts only
    // when the object also told of its new name just before the alert, as a
    // screen reader needs to read the fresh text rather than a stale one.
    QStringList announcements(const QObject *object) const;

private:
    static void record(QAccessibleEvent *event);

    QList<Event> events_;
    QAccessible::UpdateHandler previousHandler_ = nullptr;
    bool wasActive_ = false;
};

} // namespace valthera::testing
