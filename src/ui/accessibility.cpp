#include "ui/accessibility.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace valthera::look {

namespace {

QHash<QString, QAccessible::Role> &roles()
{
    static QHash<QString, QAccessible::Role> table;
    return table;
}

QAccessibleInterface *presentWithRole(const QString &className, QObject *object)
{
    const auto found = roles().constFind(className);
    if (found == roles().constEnd() || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), *found);
}

} // namespace

void presentAs(const char *className, QAccessible::Role role)
{
    if (roles().isEmpty())
        QAccessible::installFactory(&presentWithRole);
    roles().insert(QString::fromLatin1(className), role);
}

} // namespace valthera::look
