#pragma once
// How custom widgets present themselves to assistive technology. Qt describes
// a plain QWidget subclass as an anonymous client area; a painted picture should
// read as a graphic, and a bare top-level widget as a window.

#include <QAccessible>

namespace valthera::look {

// From now on, widgets whose class is className (its full name, with the
// namespace) are presented with role. Repeated calls for one class are harmless.
void presentAs(const char *className, QAccessible::Role role);

} // namespace valthera::look
