#include "ui/screenregistry.h"

#include "ui/windowimage.h"
#include "ui/zoom.h"

#include <QApplication>
#include <QWidget>

namespace valthera {

ScreenRegistry::ScreenRegistry(QObject *parent)
    : QObject(parent)
    , quit_([] { QCoreApplication::quit(); })
{
}

ScreenRegistry::~ScreenRegistry()
{
    for (auto &entry : entries_)
        delete entry.window.data();
}

void ScreenRegistry::add(const QString &name, Factory factory, Opening opening)
{
    Entry &entry = entries_[name];
    entry.factory = std::move(factory);
    entry.opening = opening;
}

bool ScreenRegistry::knows(const QString &name) const
{
    return entries_.contains(name);
}

QStringList ScreenRegistry::names() const
{
    return entries_.keys();
}

QWidget *ScreenRegistry::create(const QString &name)
{
    // The factory may call back into the registry (a load step that opens a
    // picture window, a screen registered late), which can rehash the entries:
    // run a copy of it, and look the entry up again afterwards.
    const Factory factory = entries_.value(name).factory;
    QWidget *window = factory(*this);
    window->setObjectName(name);
    // Every screen opens at the program's zoom and follows it while open.
    look::followZoom(window);
    releaseImageWhenReplaced(window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    entries_[name].window = window;
    return window;
}

QWidget *ScreenRegistry::show(const QString &name)
{
    if (ended_)
        return nullptr;
    auto it = entries_.find(name);
    if (it == entries_.end())
        return nullptr;
    QWidget *window = it->window;
    if (!window) {
        window = create(name);
        it = entries_.find(name); // a load step may have registered or shown others
    }
    if (it->opening == Opening::Maximized && !window->isVisible())
        window->showMaximized();
    else if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QWidget *ScreenRegistry::makeVisible(const QString &name)
{
    if (ended_)
        return nullptr;
    auto it = entries_.find(name);
    if (it == entries_.end())
        return nullptr;
    if (!it->window)
        return show(name);
    it->window->setVisible(true);
    return it->window;
}

QWidget *ScreenRegistry::find(const QString &name) const
{
    auto it = entries_.constFind(name);
    return it == entries_.constEnd() ? nullptr : it->window.data();
}

void ScreenRegistry::setMenu(QList<MenuCommand> commands)
{
    menu_ = std::move(commands);
}

qint16 &ScreenRegistry::counter(const QString &name)
{
    return counters_[name];
}

void ScreenRegistry::endSession()
{
    if (ended_)
        return;
    ended_ = true;
    // Close every window the program has, picture windows included; modal boxes
    // first so nothing is left waiting on them.
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
    for (auto &entry : entries_) {
        if (entry.window)
            entry.window->close();
    }
    quit_();
}

void ScreenRegistry::setQuitHandler(std::function<void()> handler)
{
    quit_ = std::move(handler);
}

} // namespace valthera
