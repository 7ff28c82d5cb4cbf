#include "support/accessibilityevents.h"

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace valthera::testing {

namespace {
AccessibilityEvents *current = nullptr;

// QAccessible::updateAccessibility drops every event unless the platform
// says an assistive technology listens; nothing listens offscreen.
QPlatformAccessibility *platformAccessibility()
{
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}
} // namespace

AccessibilityEvents::AccessibilityEvents()
{
    wasActive_ = QAccessible::isActive();
    previousHandler_ = QAccessible::installUpdateHandler(&AccessibilityEvents::record);
    if (QPlatformAccessibility *platform = platformAccessibility())
        platform->setActive(true);
    current = this;
}

AccessibilityEvents::~AccessibilityEvents()
{
    current = nullptr;
    QAccessible::installUpdateHandler(previousHandler_);
    if (QPlatformAccessibility *platform = platformAccessibility())
        platform->setActive(wasActive_);
}

void AccessibilityEvents::record(QAccessibleEvent *event)
{
    if (!current)
        return;
    QAccessibleInterface *iface = event->accessibleInterface();
    current->events_.append({event->object(), event->type(), iface ? iface->text(QAccessible::Name) : QString()});
}

QStringList AccessibilityEvents::announcements(const QObject *object) const
{
    QStringList names;
    const Event *before = nullptr;
    for (const Event &event : events_) {
        if (event.object != object)
            continue;
        if (event.type == QAccessible::Alert && before && before->type == QAccessible::NameChanged &&
            before->name == event.name)
            names.append(event.name);
        before = &event;
    }
    return names;
}

} // namespace valthera::testing
