#pragma once
// The single instance of every screen, created on first show.
//
// Screens are ordinary parentless top-level windows that delete themselves when
// closed; the registry only remembers where each one is while it exists. Values
// that must survive a close (the question counters) live here instead of in the
// window, so the next show rebuilds the window around them.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class QWidget;

namespace valthera {

class ScreenRegistry : public QObject {
    Q_OBJECT
public:
    // Builds the screen and runs its load step; the registry sets the objectName,
    // deletion on close, and shows it.
    using Factory = std::function<QWidget *(ScreenRegistry &)>;

    // One command of the section menu that the menu-carrying windows show in
    // their bar; an empty target ends the session.
    struct MenuCommand {
        QString name; // objectName of the command
        QString caption; // text in the bar
        QString target; // screen it shows
    };

    enum class Opening { Normal, Maximized };

    explicit ScreenRegistry(QObject *parent = nullptr);
    ~ScreenRegistry() override;

    void add(const QString &name, Factory factory, Opening opening = Opening::Normal);
    bool knows(const QString &name) const;
    QStringList names() const;

    // Creates the screen if it does not exist, displays it, brings it to the
    // front and makes it the active window. Returns the window, or nullptr for a
    // name nobody registered (a section whose screen is not built does nothing).
    QWidget *show(const QString &name);

    // Creates and displays the screen if it is closed; an open window is only
    // made visible, not brought forward.
    QWidget *makeVisible(const QString &name);

    // The open window of that name, or nullptr.
    QWidget *find(const QString &name) const;

    // The section menu every menu-carrying window shows, in bar order.
    void setMenu(QList<MenuCommand> commands);
    const QList<MenuCommand> &menu() const { return menu_; }

    // A value kept apart from a screen's controls; it outlives the window.
    qint16 &counter(const QString &name);

    // Ends the program at once: every window closes, nothing is asked or saved.
    void endSession();
    // What ending does after the windows are gone (quits the event loop by default).
    void setQuitHandler(std::function<void()> handler);

private:
    struct Entry {
        Factory factory;
        Opening opening = Opening::Normal;
        QPointer<QWidget> window;
    };
    QWidget *create(const QString &name);

    QHash<QString, Entry> entries_;
    std::map<QString, qint16> counters_; // node-based: references stay valid
    QList<MenuCommand> menu_;
    std::function<void()> quit_;
    bool ended_ = false; // once ended, nothing opens again
};

} // namespace valthera
