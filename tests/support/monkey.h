#pragma once
// A seeded stand-in for a student let loose on the whole program: menu
// commands, buttons, list lines by mouse and keyboard, typing, closing and
// switching windows, answering the completion box. After every action it checks
// what must always hold and stops at the first fault, keeping the last actions
// in a form that can be replayed.

#include <QList>
#include <QMap>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QWidget;

namespace valthera {
class Program;
}

namespace valthera::testing {

// One student action, addressed by window and control names so that it reads
// the same in every run. Its text form is one line:
//   menu <screen> <entry>        a menu command on that screen's bar
//   click <screen> <button>      a mouse click on a button
//   row <screen> <list> <n>      a mouse click on line n of a list
//   key <screen> <control> <key> Up, Down, Home, End, PageUp, PageDown or Space
//                                on a list, or one of the lab's boxes, sliders
//                                and condition list (Space on lists only)
//   type <screen> <text box> <t> typing t (percent-encoded) into a text box
//   press <screen> <text box>    a mouse press inside a text box
//   close <screen>               the window's own close
//   switch <screen>              making that window the active one
//   zoom <screen> <how>          In, Equal, Out or Reset with Ctrl, or WheelIn,
//                                WheelOut: Ctrl+wheel over the window
//   restart                      a fresh program after the last one ended
struct MonkeyAction {
    enum class Kind { Menu, Click, Row, Key, Type, Press, Close, Switch, Zoom, Restart };
    Kind kind = Kind::Restart;
    QString screen;
    QString control;
    QString argument;

    QString text() const;
    static std::optional<MonkeyAction> parse(const QString &line);
};

class Monkey {
public:
    explicit Monkey(quint64 seed);
    ~Monkey();
    Monkey(const Monkey &) = delete;
    Monkey &operator=(const Monkey &) = delete;

    // Runs that many random actions; returns an empty text, or the fault met.
    QString run(int steps);
    // Performs the given actions in order (an action whose target is not open
    // is skipped); returns an empty text or the fault met.
    QString replay(const QList<MonkeyAction> &actions);

    // Checks everything that must hold now; empty when it all does.
    QString checkNow();
    Program &program() { return *program_; }

    // The seed, the step reached and the last actions, ready to paste into a
    // replay file.
    QString report(const QString &fault) const;

    int steps() const { return steps_; }
    int sessions() const { return sessions_; }
    int boxesAnswered() const { return boxesAnswered_; }
    int skipped() const { return skipped_; }
    // How many actions of each kind ran (indexed by MonkeyAction::Kind).
    const std::array<int, 10> &performed() const { return performed_; }

    // The highest value each question counter reached.
    const QMap<QString, int> &highestCounters() const { return highest_; }

    // A watchdog that aborts with the report when one action has not finished
    // within that many seconds (0 turns it off).
    void setHangLimit(int seconds) { hangLimitSeconds_ = seconds; }

    static constexpr int kRemembered = 30;

private:
    class BoxWatcher;

    void startProgram();
    std::optional<MonkeyAction> pick();
    bool perform(const MonkeyAction &action);
    QString check(const MonkeyAction &action);
    QString checkLesson(QWidget *window);
    QString checkTest(QWidget *window);
    QString checkLab(QWidget *window);
    void remember(const MonkeyAction &action);
    void watch();

    quint64 seed_;
    QRandomGenerator random_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<BoxWatcher> boxes_;
    bool ended_ = false;
    int steps_ = 0;
    int sessions_ = 0;
    int boxesAnswered_ = 0;
    int skipped_ = 0;
    std::array<int, 10> performed_{};
    QMap<QString, int> highest_;

    mutable std::mutex recentMutex_;
    std::deque<QString> recent_;

    int hangLimitSeconds_ = 30;
    std::atomic<quint64> progress_{0};
    std::atomic<bool> stopWatch_{false};
    std::unique_ptr<std::thread> watchdog_;
};

// Reads VALTHERA_MONKEY_<name> as a number, or returns fallback.
quint64 monkeyEnvironment(const char *name, quint64 fallback);

} // namespace valthera::testing
