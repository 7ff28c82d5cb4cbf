#include "support/monkey.h"

#include "app/program.h"
#include "app/sectionmenu.h"
#include "diagrams/picturebox.h"
#include "lab/looplabwindow.h"
#include "lesson/lessonscreen.h"
#include "lessons/afterload.h"
#include "lessons/basics.h"
#include "lessons/cardiaccycle.h"
#include "lessons/contractility.h"
#include "lessons/preload.h"
#include "practice/testbank.h"
#include "practice/testscreen.h"
#include "support/testsupport.h"
#include "ui/choicelist.h"
#include "ui/topictext.h"
#include "ui/zoom.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace valthera::testing {

namespace {

const QString kDoneTitle = QStringLiteral("Done");
const QString kDoneText = QStringLiteral("Questions Completed - to do again use the reset");
const QString kTestName = QStringLiteral("Test");
const QString kLabName = QStringLiteral("LoopLab");
constexpr int kLessonCounterLimit = 121;
constexpr int kTestCounterLimit = 150;

const std::vector<const LessonDefinition *> &lessons()
{
    static const std::vector<const LessonDefinition *> all{
        &basicsLesson(), &cardiacCycleLesson(), &afterloadLesson(), &preloadLesson(), &contractilityLesson()};
    return all;
}

bool endsWithBox(const QString &screen)
{
    for (const LessonDefinition *lesson : lessons()) {
        if (lesson->name == screen)
            return lesson->questions.completionAfter.has_value();
    }
    return false;
}

// Qt's own complaints (a bad connection, a painter misuse, a recursive repaint)
// are faults too; the offscreen platform's notes about what it cannot do are not.
std::mutex warningMutex;
QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        if (message.startsWith(QLatin1String("This plugin does not support")))
            return;
        std::lock_guard lock(warningMutex);
        warnings.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

// A crash prints the last actions before the usual report (the sanitizers' or
// the system's) takes over.
Monkey *crashing = nullptr;
struct sigaction previousActions[NSIG];
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

void onCrash(int signal)
{
    if (crashing) {
        const QByteArray text = crashing->report(QStringLiteral("crash, signal %1").arg(signal)).toLocal8Bit();
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
        crashing = nullptr;
    }
    sigaction(signal, &previousActions[signal], nullptr);
    raise(signal);
}

QList<QWidget *> openWindows(ScreenRegistry &registry)
{
    QStringList names = registry.names();
    names.sort();
    QList<QWidget *> open;
    for (const QString &name : names) {
        if (QWidget *window = registry.find(name); window && window->isVisible())
            open.append(window);
    }
    return open;
}

template <typename T> QList<T *> visibleNamed(QWidget *window)
{
    QList<T *> found;
    for (T *widget : window->findChildren<T *>()) {
        if (widget->isVisible() && !widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
            found.append(widget);
    }
    return found;
}

// Ctrl with a key, or Ctrl+wheel a notch up or down.
struct ZoomGesture {
    Qt::Key key = Qt::Key_unknown;
    int wheel = 0;
};

const std::map<QString, ZoomGesture> &zoomGestures()
{
    static const std::map<QString, ZoomGesture> gestures{{"In", {Qt::Key_Plus}}, {"Equal", {Qt::Key_Equal}},
        {"Out", {Qt::Key_Minus}}, {"Reset", {Qt::Key_0}}, {"WheelIn", {Qt::Key_unknown, 120}},
        {"WheelOut", {Qt::Key_unknown, -120}}};
    return gestures;
}

const std::map<QString, Qt::Key> &listKeys()
{
    static const std::map<QString, Qt::Key> keys{{"Up", Qt::Key_Up}, {"Down", Qt::Key_Down}, {"Home", Qt::Key_Home},
        {"End", Qt::Key_End}, {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown}, {"Space", Qt::Key_Space}};
    return keys;
}

} // namespace

// Records every modal box as it comes up and answers it with its OK button
// from a timer, the way a student would dismiss it.
class Monkey::BoxWatcher : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QString screen; // objectName of the window it belongs to
        bool messageBox = false;
    };

    BoxWatcher() { qApp->installEventFilter(this); }
    ~BoxWatcher() override { qApp->removeEventFilter(this); }

    QList<Seen> seen;
    int answered = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !object->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(object);
        if (!widget->isWindow() || widget->windowModality() == Qt::NonModal)
            return false;
        Seen what;
        what.title = widget->windowTitle();
        what.screen = widget->parentWidget() ? widget->parentWidget()->window()->objectName() : QString();
        if (auto *box = qobject_cast<QMessageBox *>(widget)) {
            what.text = box->text();
            what.messageBox = true;
        }
        seen.append(what);
        QTimer::singleShot(0, this, [this] { answer(0); });
        return false;
    }

private:
    void answer(int attempt)
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            if (attempt < 100)
                QTimer::singleShot(1, this, [this, attempt] { answer(attempt + 1); });
            return;
        }
        auto *box = qobject_cast<QMessageBox *>(modal);
        QAbstractButton *ok = box ? box->button(QMessageBox::Ok) : nullptr;
        if (ok)
            click(ok);
        else
            modal->close();
        ++answered;
    }
};

QString MonkeyAction::text() const
{
    switch (kind) {
    case Kind::Menu:
        return QStringLiteral("menu %1 %2").arg(screen, control);
    case Kind::Click:
        return QStringLiteral("click %1 %2").arg(screen, control);
    case Kind::Row:
        return QStringLiteral("row %1 %2 %3").arg(screen, control, argument);
    case Kind::Key:
        return QStringLiteral("key %1 %2 %3").arg(screen, control, argument);
    case Kind::Type:
        return QStringLiteral("type %1 %2 %3")
            .arg(screen, control, QString::fromLatin1(QUrl::toPercentEncoding(argument)));
    case Kind::Press:
        return QStringLiteral("press %1 %2").arg(screen, control);
    case Kind::Close:
        return QStringLiteral("close %1").arg(screen);
    case Kind::Switch:
        return QStringLiteral("switch %1").arg(screen);
    case Kind::Zoom:
        return QStringLiteral("zoom %1 %2").arg(screen, argument);
    case Kind::Restart:
        break;
    }
    return QStringLiteral("restart");
}

std::optional<MonkeyAction> MonkeyAction::parse(const QString &line)
{
    const QStringList words = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    static const std::map<QString, std::pair<Kind, qsizetype>> forms{{"menu", {Kind::Menu, 3}},
        {"click", {Kind::Click, 3}}, {"row", {Kind::Row, 4}}, {"key", {Kind::Key, 4}}, {"type", {Kind::Type, 4}},
        {"press", {Kind::Press, 3}}, {"close", {Kind::Close, 2}}, {"switch", {Kind::Switch, 2}},
        {"zoom", {Kind::Zoom, 3}}, {"restart", {Kind::Restart, 1}}};
    const auto form = forms.find(words.first());
    if (form == forms.end() || words.size() != form->second.second)
        return std::nullopt;
    MonkeyAction action;
    action.kind = form->second.first;
    action.screen = words.value(1);
    if (action.kind == Kind::Zoom) {
        action.argument = words.value(2);
        return zoomGestures().count(action.argument) ? std::optional(action) : std::nullopt;
    }
    action.control = words.value(2);
    action.argument = words.value(3);
    if (action.kind == Kind::Type)
        action.argument = QUrl::fromPercentEncoding(action.argument.toLatin1());
    if (action.kind == Kind::Key && !listKeys().count(action.argument))
        return std::nullopt;
    return action;
}

quint64 monkeyEnvironment(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(QByteArray("VALTHERA_MONKEY_") + name).toULongLong(&ok);
    return ok ? value : fallback;
}

Monkey::Monkey(quint64 seed)
    : seed_(seed)
{
    const quint32 words[2] = {static_cast<quint32>(seed), static_cast<quint32>(seed >> 32)};
    random_ = QRandomGenerator(words, 2);
    {
        std::lock_guard lock(warningMutex);
        warnings.clear();
    }
    previousHandler = qInstallMessageHandler(collectWarnings);
    crashing = this;
    for (int signal : kCrashSignals) {
        struct sigaction action = {};
        action.sa_handler = onCrash;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previousActions[signal]);
    }
    boxes_ = std::make_unique<BoxWatcher>();
    startProgram();
}

Monkey::~Monkey()
{
    stopWatch_ = true;
    if (watchdog_ && watchdog_->joinable())
        watchdog_->join();
    program_.reset();
    settle();
    boxes_.reset();
    crashing = nullptr;
    for (int signal : kCrashSignals)
        sigaction(signal, &previousActions[signal], nullptr);
    qInstallMessageHandler(previousHandler);
}

void Monkey::startProgram()
{
    program_.reset();
    settle();
    program_ = std::make_unique<Program>();
    program_->registry().setQuitHandler([this] { ended_ = true; });
    ended_ = false;
    ++sessions_;
    program_->start();
    settle();
}

void Monkey::watch()
{
    if (watchdog_ || hangLimitSeconds_ <= 0)
        return;
    watchdog_ = std::make_unique<std::thread>([this] {
        using namespace std::chrono;
        quint64 last = progress_;
        auto since = steady_clock::now();
        while (!stopWatch_) {
            std::this_thread::sleep_for(milliseconds(100));
            const quint64 now = progress_;
            if (now != last) {
                last = now;
                since = steady_clock::now();
            } else if (steady_clock::now() - since > seconds(hangLimitSeconds_)) {
                const QByteArray text =
                    report(QStringLiteral("hang: one action ran over %1 s").arg(hangLimitSeconds_)).toLocal8Bit();
                std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    });
}

QString Monkey::run(int steps)
{
    watch();
    for (int i = 0; i < steps; ++i) {
        std::optional<MonkeyAction> action = pick();
        if (!action)
            return QStringLiteral("no action possible");
        remember(*action);
        perform(*action);
        ++steps_;
        ++progress_;
        if (QString fault = check(*action); !fault.isEmpty())
            return fault;
    }
    return {};
}

QString Monkey::replay(const QList<MonkeyAction> &actions)
{
    watch();
    for (const MonkeyAction &action : actions) {
        remember(action);
        if (!perform(action))
            ++skipped_;
        ++steps_;
        ++progress_;
        if (QString fault = check(action); !fault.isEmpty())
            return fault;
    }
    return {};
}

void Monkey::remember(const MonkeyAction &action)
{
    std::lock_guard lock(recentMutex_);
    recent_.push_back(action.text());
    while (recent_.size() > kRemembered)
        recent_.pop_front();
}

QString Monkey::report(const QString &fault) const
{
    QString text = QStringLiteral("monkey fault: %1\nseed %2, after step %3; VALTHERA_MONKEY_SEED=%2 "
                                  "VALTHERA_MONKEY_STEPS=%3 repeats the whole run.\n"
                                  "Last actions (save as a file and replay with VALTHERA_MONKEY_REPLAY=<file>):\n")
                       .arg(fault)
                       .arg(seed_)
                       .arg(quint64(progress_));
    std::lock_guard lock(recentMutex_);
    for (const QString &line : recent_)
        text += line + QLatin1Char('\n');
    return text;
}

std::optional<MonkeyAction> Monkey::pick()
{
    using Kind = MonkeyAction::Kind;
    ScreenRegistry &registry = program_->registry();
    const QList<QWidget *> open = ended_ ? QList<QWidget *>() : openWindows(registry);
    if (open.isEmpty())
        return MonkeyAction{Kind::Restart, {}, {}, {}};

    auto any = [this](const auto &list) { return list.at(random_.bounded(static_cast<int>(list.size()))); };

    for (int attempt = 0; attempt < 20; ++attempt) {
        // A student mostly stays on the window in front and works through it.
        QWidget *window = QApplication::activeWindow();
        if (!open.contains(window) || random_.bounded(4) == 0)
            window = any(open);
        const QString screen = window->objectName();
        const int roll = random_.bounded(100);

        if (roll < 8) {
            auto *bar = window->findChild<QMenuBar *>(QStringLiteral("SectionMenu"));
            if (!bar)
                continue;
            QList<QAction *> entries;
            for (QAction *entry : bar->actions()) {
                if (entry->objectName() != QLatin1String("mnuEnd"))
                    entries.append(entry);
            }
            // Ending is rare: it closes everything, and the next step starts afresh.
            const bool end = random_.bounded(120) == 0;
            return MonkeyAction{Kind::Menu, screen, end ? QStringLiteral("mnuEnd") : any(entries)->objectName(), {}};
        }
        if (roll < 50) {
            const QList<QPushButton *> buttons = visibleNamed<QPushButton>(window);
            if (buttons.isEmpty())
                continue;
            // Next is what moves a student on and starting over is rare; so the
            // sequences reach their last questions and the views past them.
            QList<QPushButton *> next, over, other;
            for (QPushButton *button : buttons) {
                const QString &name = button->objectName();
                if (name == QLatin1String("Command8") || name == QLatin1String("cmdNext"))
                    next.append(button);
                else if (name == QLatin1String("Command6") || name == QLatin1String("Command7") ||
                    name == QLatin1String("cmdStart") || name == QLatin1String("cmdReset"))
                    over.append(button);
                else
                    other.append(button);
            }
            const int which = random_.bounded(100);
            const QList<QPushButton *> &from = (which < 60 && !next.isEmpty()) ? next
                : (which < 66 && !over.isEmpty())                              ? over
                : !other.isEmpty()                                             ? other
                                                                               : buttons;
            QPushButton *button = any(from);
            return MonkeyAction{Kind::Click, screen, button->objectName(), {}};
        }
        const QList<ChoiceList *> lists = visibleNamed<ChoiceList>(window);
        if (roll < 68) {
            QList<ChoiceList *> filled;
            for (ChoiceList *list : lists) {
                if (list->count() > 0)
                    filled.append(list);
            }
            if (filled.isEmpty())
                continue;
            ChoiceList *list = any(filled);
            // The line already selected is clicked again now and then.
            const int row = list->currentRow() >= 0 && random_.bounded(4) == 0 ? list->currentRow()
                                                                               : random_.bounded(list->count());
            return MonkeyAction{Kind::Row, screen, list->objectName(), QString::number(row)};
        }
        if (roll < 80) {
            // Lists, and the lab's boxes, sliders and condition list, take keys.
            QList<QWidget *> keyed;
            for (ChoiceList *list : lists)
                keyed.append(list);
            for (QWidget *control : visibleNamed<QWidget>(window)) {
                if (qobject_cast<QAbstractSpinBox *>(control) || qobject_cast<QAbstractSlider *>(control) ||
                    qobject_cast<QComboBox *>(control))
                    keyed.append(control);
            }
            if (keyed.isEmpty())
                continue;
            QWidget *target = any(keyed);
            QStringList keys;
            for (const auto &[name, code] : listKeys()) {
                // Space would drop a condition list open; it is for list lines only.
                if (code != Qt::Key_Space || qobject_cast<ChoiceList *>(target))
                    keys.append(name);
            }
            return MonkeyAction{Kind::Key, screen, target->objectName(), any(keys)};
        }
        const QList<TopicText *> texts = visibleNamed<TopicText>(window);
        if (roll < 85) {
            if (texts.isEmpty())
                continue;
            static const QString letters = QStringLiteral("aeinrstx .,\b\b\r");
            QString typed;
            for (int n = 1 + random_.bounded(6); n > 0; --n)
                typed += letters.at(random_.bounded(static_cast<int>(letters.size())));
            return MonkeyAction{Kind::Type, screen, any(texts)->objectName(), typed};
        }
        if (roll < 88) {
            if (texts.isEmpty())
                continue;
            return MonkeyAction{Kind::Press, screen, any(texts)->objectName(), {}};
        }
        if (roll < 90)
            return MonkeyAction{Kind::Close, screen, {}, {}};
        if (roll < 92) {
            auto gesture = zoomGestures().begin();
            std::advance(gesture, random_.bounded(static_cast<int>(zoomGestures().size())));
            return MonkeyAction{Kind::Zoom, screen, {}, gesture->first};
        }
        return MonkeyAction{Kind::Switch, any(open)->objectName(), {}, {}};
    }
    return MonkeyAction{Kind::Switch, any(open)->objectName(), {}, {}};
}

bool Monkey::perform(const MonkeyAction &action)
{
    using Kind = MonkeyAction::Kind;
    boxes_->seen.clear();
    const int answeredBefore = boxes_->answered;
    bool done = true;
    if (action.kind == Kind::Restart) {
        startProgram();
    } else {
        QWidget *window = ended_ ? nullptr : program_->registry().find(action.screen);
        if (!window || !window->isVisible())
            return false;
        switch (action.kind) {
        case Kind::Menu: {
            auto *bar = window->findChild<QMenuBar *>(QStringLiteral("SectionMenu"));
            QAction *entry = bar ? bar->findChild<QAction *>(action.control) : nullptr;
            if (!entry)
                return false;
            // A command the bar has no room for keeps its place, but only the
            // commands wholly left of the overflow button are there to click.
            const QRect place = bar->actionGeometry(entry);
            const auto *overflow = bar->findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button"));
            const bool crowded = overflow && overflow->isVisible() && place.right() >= overflow->geometry().left();
            if (place.isValid() && bar->rect().contains(place) && !crowded)
                QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
            else
                entry->trigger(); // the bar is too narrow to show it
            break;
        }
        case Kind::Click:
            if (auto *button = window->findChild<QPushButton *>(action.control); button && button->isVisible())
                click(button);
            else
                done = false;
            break;
        case Kind::Row: {
            auto *list = window->findChild<ChoiceList *>(action.control);
            const int row = action.argument.toInt();
            if (list && list->isVisible() && row < list->count())
                clickRow(list, row);
            else
                done = false;
            break;
        }
        case Kind::Key:
            if (auto *target = window->findChild<QWidget *>(action.control); target && target->isVisible())
                QTest::keyClick(target, listKeys().at(action.argument));
            else
                done = false;
            break;
        case Kind::Type:
            if (auto *text = window->findChild<TopicText *>(action.control); text && text->isVisible())
                QTest::keyClicks(text, action.argument);
            else
                done = false;
            break;
        case Kind::Press:
            if (auto *text = window->findChild<TopicText *>(action.control); text && text->isVisible())
                QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->viewport()->rect().center());
            else
                done = false;
            break;
        case Kind::Close:
            window->close();
            break;
        case Kind::Switch:
            window->raise();
            window->activateWindow();
            break;
        case Kind::Zoom: {
            // Keys go where the keyboard is; the wheel turns over the window's middle.
            const ZoomGesture gesture = zoomGestures().at(action.argument);
            QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
            if (gesture.wheel == 0) {
                QTest::keyClick(focus, gesture.key, Qt::ControlModifier);
                break;
            }
            const QPoint middle = window->rect().center();
            QWidget *under = window->childAt(middle) ? window->childAt(middle) : window;
            const QPointF at = under->mapFrom(window, middle);
            QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, gesture.wheel), Qt::NoButton,
                Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(under, &wheel);
            break;
        }
        case Kind::Restart:
            break;
        }
    }
    settle();
    // A box still waiting for its answer gets it before the checks look.
    for (int wait = 0; wait < 50 && QApplication::activeModalWidget(); ++wait)
        settle(1);
    boxesAnswered_ += boxes_->answered - answeredBefore;
    if (done)
        ++performed_[static_cast<size_t>(action.kind)];
    return done;
}

QString Monkey::check(const MonkeyAction &action)
{
    {
        std::lock_guard lock(warningMutex);
        if (!warnings.isEmpty())
            return QStringLiteral("Qt complained: ") + warnings.join(QStringLiteral(" | "));
    }
    if (QApplication::activeModalWidget())
        return QStringLiteral("a modal box was left open");

    // Every box seen during the action must be the completion message of a
    // lesson that ends with one, raised by its Next button.
    for (const BoxWatcher::Seen &box : boxes_->seen) {
        if (!box.messageBox || box.title != kDoneTitle || box.text != kDoneText)
            return QStringLiteral("unexpected modal box \"%1\": \"%2\"").arg(box.title, box.text);
        if (!endsWithBox(box.screen))
            return QStringLiteral("completion box on %1").arg(box.screen);
        if (action.kind != MonkeyAction::Kind::Click || action.screen != box.screen ||
            action.control != QLatin1String("Command8"))
            return QStringLiteral("completion box on %1 without its Next button").arg(box.screen);
    }
    if (boxes_->seen.size() > 1)
        return QStringLiteral("%1 boxes for one action").arg(boxes_->seen.size());

    ScreenRegistry &registry = program_->registry();
    const QStringList names = registry.names();
    if (ended_) {
        // Ending closes every window at once, picture windows included.
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (names.contains(widget->objectName()))
                return QStringLiteral("%1 is still open after the end").arg(widget->objectName());
        }
        return {};
    }
    // A menu command brings its screen to the front as the active window.
    if (action.kind == MonkeyAction::Kind::Menu) {
        for (const ScreenRegistry::MenuCommand &entry : SectionMenu::commands()) {
            const QString &command = entry.name;
            if (!entry.target.isEmpty() &&
                (command == action.control ||
                    (command == QLatin1String("mnuRelations") &&
                        action.control == QLatin1String("mnuRelationships")))) {
                QWidget *target = registry.find(entry.target);
                if (!target || !target->isVisible() || QApplication::activeWindow() != target)
                    return QStringLiteral("%1 did not bring %2 to the front").arg(action.control, entry.target);
            }
        }
    }

    // Each screen at most once, and the registry knows the one there is.
    QHash<QString, int> copies;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!names.contains(widget->objectName()))
            continue;
        ++copies[widget->objectName()];
        if (registry.find(widget->objectName()) != widget)
            return QStringLiteral("a %1 window the registry does not know").arg(widget->objectName());
    }
    for (auto it = copies.cbegin(); it != copies.cend(); ++it) {
        if (it.value() > 1)
            return QStringLiteral("%1 windows named %2").arg(it.value()).arg(it.key());
    }

    for (const LessonDefinition *lesson : lessons()) {
        const int counter = registry.counter(lesson->name);
        highest_[lesson->name] = std::max(highest_.value(lesson->name), counter);
        if (counter < 0 || counter > kLessonCounterLimit)
            return QStringLiteral("%1 counter %2 out of range").arg(lesson->name).arg(counter);
        if (QWidget *window = registry.find(lesson->name)) {
            if (QString fault = checkLesson(window); !fault.isEmpty())
                return fault;
            // Next on the last question, or past it, must say so with the box.
            if (action.kind == MonkeyAction::Kind::Click && action.screen == lesson->name &&
                action.control == QLatin1String("Command8") && lesson->questions.completionAfter &&
                counter > *lesson->questions.completionAfter && boxes_->seen.size() != 1)
                return QStringLiteral("Next on the completed %1 showed no completion box").arg(lesson->name);
        }
    }
    const int testCounter = registry.counter(kTestName);
    highest_[kTestName] = std::max(highest_.value(kTestName), testCounter);
    if (testCounter < 0 || testCounter > kTestCounterLimit)
        return QStringLiteral("Test counter %1 out of range").arg(testCounter);
    if (QWidget *window = registry.find(kLabName)) {
        if (QString fault = checkLab(window); !fault.isEmpty())
            return fault;
    }
    if (QWidget *window = registry.find(kTestName))
        return checkTest(window);
    return {};
}

QString Monkey::checkNow()
{
    return check(MonkeyAction{MonkeyAction::Kind::Switch, {}, {}, {}});
}

QString Monkey::checkLesson(QWidget *window)
{
    auto *screen = qobject_cast<LessonScreen *>(window);
    if (!screen)
        return QStringLiteral("%1 is not a lesson window").arg(window->objectName());
    const QString name = window->objectName();
    const int counter = program_->registry().counter(name);
    auto *list = window->findChild<ChoiceList *>(QStringLiteral("List2"));
    if (!list)
        return QStringLiteral("%1 has no choice list").arg(name);

    // Empty, question 1, or the six store slots ending at the counter.
    const QStringList shown = list->lines();
    if (!shown.isEmpty()) {
        QStringList expected;
        if (counter == 0) {
            for (const QString &line : screen->lesson().questions.first)
                expected.append(line);
        } else {
            if (counter < 6 || counter > QuestionStore::kLast)
                return QStringLiteral("%1 shows lines at counter %2, outside its store").arg(name).arg(counter);
            QuestionStore store;
            store.fill(screen->lesson().questions.store);
            for (int slot = counter - 5; slot <= counter; ++slot)
                expected.append(store.at(slot));
        }
        if (shown != expected)
            return QStringLiteral("%1 shows \"%2\" at counter %3").arg(name, shown.join(QLatin1Char('|'))).arg(counter);
    }

    // Whatever the zoom, the question controls sit at their design place times
    // the zoom, in the design font times the zoom.
    const LessonLayout &layout = screen->lesson().layout;
    const std::pair<const char *, look::Place> placed[] = {{"basicList1", layout.topics}, {"List2", layout.choices},
        {"Command6", layout.start}, {"Command8", layout.next}, {"Command7", layout.reset}};
    for (const auto &[control, place] : placed) {
        QWidget *widget = window->findChild<QWidget *>(QLatin1String(control));
        if (!widget || widget->geometry() != look::zoomedPixels(place))
            return QStringLiteral("%1 %2 is not at its place at %3 %")
                .arg(name, control)
                .arg(look::Zoom::instance().percent());
    }
    const qreal shortBy = (look::kOrdinaryPointSize * look::Zoom::instance().factor() - list->font().pointSizeF()) *
        list->logicalDpiY() / 72.0;
    if (shortBy < -1e-6 || shortBy >= 1)
        return QStringLiteral("%1 choices in %2 pt at %3 %")
            .arg(name)
            .arg(list->font().pointSizeF())
            .arg(look::Zoom::instance().percent());

    PictureBox *seen = pictureOnView(screen);
    if (!seen)
        return QStringLiteral("%1 shows no picture").arg(name);
    bool own = false;
    for (const PictureBoxDef &box : screen->lesson().boxes)
        own = own || (box.name == seen->objectName() && screen->findChild<PictureBox *>(box.name) == seen);
    if (!own)
        return QStringLiteral("%1 shows a box it does not own: %2").arg(name, seen->objectName());
    return {};
}

// Once events have settled, the lab shows what its session holds: every box
// and slider at the solved parameters, and the readouts of that solution.
QString Monkey::checkLab(QWidget *window)
{
    auto *lab = qobject_cast<LoopLabWindow *>(window);
    if (!lab)
        return QStringLiteral("LoopLab is not the lab window");
    const lab::LabSession &session = lab->session();
    if (session.stale())
        return QStringLiteral("the lab shows parameters it has not solved");
    for (const model::ParamInfo &i : model::parameterTable()) {
        const QString name = lab::toQString(i.name);
        auto *spin = window->findChild<QDoubleSpinBox *>(QStringLiteral("spin") + name);
        auto *slider = window->findChild<QSlider *>(QStringLiteral("slider") + name);
        if (!spin || !slider)
            return QStringLiteral("the lab lacks the controls of %1").arg(name);
        const double value = session.parameters()[i.id];
        if (value < i.min || value > i.max)
            return QStringLiteral("the lab's %1 is %2, out of its range").arg(name).arg(value);
        // Stepping a box adds its step without rounding; what counts is the number it shows.
        if (spin->textFromValue(spin->value()) != spin->textFromValue(value))
            return QStringLiteral("the lab's %1 box shows %2, its session has %3")
                .arg(name)
                .arg(spin->value())
                .arg(value);
        if (slider->value() != qRound((value - i.min) / i.step))
            return QStringLiteral("the lab's %1 slider is at %2 for %3").arg(name).arg(slider->value()).arg(value);
    }
    for (const model::MeasureInfo &i : model::measureTable()) {
        const QString name = lab::toQString(i.name);
        auto *value = window->findChild<QLabel *>(QStringLiteral("value") + name);
        auto *delta = window->findChild<QLabel *>(QStringLiteral("delta") + name);
        if (!value || !delta || value->text() != session.value(i.id) || delta->text() != session.delta(i.id))
            return QStringLiteral("the lab's %1 readout is not its session's").arg(name);
    }
    if (!std::isfinite(session.measures()[model::Measure::EDV]) || session.measures()[model::Measure::SV] <= 0)
        return QStringLiteral("the lab's loop has no stroke volume");
    auto *fit = window->findChild<QLabel *>(QStringLiteral("valueEesFit"));
    if (!fit || fit->text() != session.eesFit() || fit->text().isEmpty() == session.occlusion().has_value())
        return QStringLiteral("the lab's fitted Ees is not its occlusion run's");
    return {};
}

QString Monkey::checkTest(QWidget *window)
{
    if (!qobject_cast<TestScreen *>(window))
        return QStringLiteral("Test is not the test window");
    const int counter = program_->registry().counter(kTestName);
    auto *list = window->findChild<ChoiceList *>(QStringLiteral("List2"));
    if (!list)
        return QStringLiteral("the test has no choice list");

    const QStringList shown = list->lines();
    if (!shown.isEmpty()) {
        QStringList expected;
        if (counter == 0) {
            for (const QString &line : testcontent::page(1))
                expected.append(line);
        } else {
            static const TestBank bank = [] {
                TestBank filled;
                filled.fill(testcontent::bankText());
                return filled;
            }();
            if (counter < 6 || counter > TestBank::kLast)
                return QStringLiteral("the test shows lines at counter %1, outside its bank").arg(counter);
            for (int slot = counter - 5; slot <= counter; ++slot)
                expected.append(bank.at(slot));
        }
        if (shown != expected)
            return QStringLiteral("the test shows \"%1\" at counter %2").arg(shown.join(QLatin1Char('|'))).arg(counter);
    }

    // What the student sees follows the rules; a question is never up without its diagram.
    auto *basicLoop = window->findChild<PictureBox *>(QStringLiteral("BasicLoop"));
    auto *afterload = window->findChild<PictureBox *>(QStringLiteral("Afterload"));
    auto *contractility = window->findChild<PictureBox *>(QStringLiteral("Contractility"));
    if (!basicLoop || !afterload || !contractility)
        return QStringLiteral("the test lacks one of its pictures");
    using Picture = PracticeTest::Picture;
    Picture seen = Picture::None;
    if (!basicLoop->isHidden())
        seen = !contractility->isHidden() ? Picture::Contractility
            : !afterload->isHidden()      ? Picture::Afterload
                                          : Picture::BasicLoop;
    // Once Start has put the questions up in this window, Next brings the later
    // pictures up as the counter climbs, and only Reset, which returns the
    // counter to 0, takes them down again.
    const bool started = list->isVisible();
    if (started && counter >= PracticeTest::kContractilityFrom && seen != Picture::Contractility)
        return QStringLiteral("the test shows picture %1 at counter %2, not the three patients")
            .arg(static_cast<int>(seen))
            .arg(counter);
    if (started && counter >= PracticeTest::kAfterloadFrom && seen != Picture::Afterload &&
        seen != Picture::Contractility)
        return QStringLiteral("the test shows picture %1 at counter %2, not a later one")
            .arg(static_cast<int>(seen))
            .arg(counter);
    if (started && seen == Picture::None)
        return QStringLiteral("the test shows its questions without a diagram");
    return {};
}

} // namespace valthera::testing
