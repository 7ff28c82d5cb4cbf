// Measures the program against the floor of a bare Qt window on the same
// machine, the same way, and prints each figure beside the floor as a ratio:
//   - time from process start to the first painted frame of the welcome screen;
//   - each screen's open time (create, load, show, first paint);
//   - per-event handling time over a scripted student session (median, p99);
//   - peak memory with every window open;
//   - a zoom step on the screen with the most controls (key to repainted frame),
//     on a full-HD screen;
//   - a frame of the Loop Lab's Play, on a steady beat and through a transient (median, p99).
// Run offscreen: QT_QPA_PLATFORM=offscreen valthera-bench (--zoom: the zoom figure only; --play: the
// Play figure only)

#include "app/program.h"
#include "lab/looplabwindow.h"
#include "model/model.h"
#include "ui/zoom.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using Clock = QElapsedTimer;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Peak resident memory of this process, in KiB.
long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Notes when any widget of a window has been painted: a window covered by its
// children may never receive a paint event of its own.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *watched)
        : window_(watched->window())
    {
        qApp->installEventFilter(this);
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType() &&
            static_cast<QWidget *>(object)->window() == window_)
            painted = true;
        return false;
    }

private:
    QWidget *window_;
};

void waitForPaint(QWidget *window)
{
    FirstPaint probe(window);
    window->repaint();
    while (!probe.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The event loop run for ms as a program left alone runs it.
void idleFor(int ms)
{
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Processor time this thread has used, in ms: unlike the clock on the wall it
// does not count the time other processes on a busy machine had the processor.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : 0;
}

// What a window is made of, kind by kind, so a plain twin can be built of
// the same controls: the floor a lab figure is measured against. Absolute
// times do not travel between machines; a ratio to a floor measured in the
// same run does.
struct Part {
    enum Kind { Label, Button, Check, Slider, Spin, DoubleSpin, Combo, List, Text, Chart };
    Part(Kind k, QString t = {}, int n = 0, QSize m = {})
        : kind(k)
        , text(std::move(t))
        , items(n)
        , minimum(m)
    {
    }
    Kind kind;
    QString text;
    int items;
    QSize minimum;
};

std::vector<Part> partsOf(QWidget *window)
{
    std::vector<Part> parts;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto *l = qobject_cast<QLabel *>(w))
            parts.push_back(Part{Part::Label, l->text()});
        else if (auto *c = qobject_cast<QCheckBox *>(w))
            parts.push_back(Part{Part::Check, c->text()});
        else if (auto *b = qobject_cast<QPushButton *>(w))
            parts.push_back(Part{Part::Button, b->text()});
        else if (qobject_cast<QSlider *>(w))
            parts.push_back(Part{Part::Slider});
        else if (qobject_cast<QDoubleSpinBox *>(w))
            parts.push_back(Part{Part::DoubleSpin});
        else if (qobject_cast<QAbstractSpinBox *>(w))
            parts.push_back(Part{Part::Spin});
        else if (auto *box = qobject_cast<QComboBox *>(w))
            parts.push_back(Part{Part::Combo, box->currentText(), box->count()});
        else if (auto *list = qobject_cast<QListWidget *>(w))
            parts.push_back(Part{Part::List, {}, list->count()});
        else if (qobject_cast<QPlainTextEdit *>(w))
            parts.push_back(Part{Part::Text});
        else if (w->inherits("valthera::lab::LabChart"))
            parts.push_back(Part{Part::Chart, {}, 0, w->minimumSize()});
    }
    return parts;
}

// A plain widget that paints a loop as a polygon: the floor of a chart.
class BareChart : public QWidget {
public:
    QPolygonF loop;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawPolygon(loop);
    }
};

// The loop of a beat, fitted into size.
QPolygonF loopOf(const valthera::model::Beat &beat, QSizeF size)
{
    QPolygonF line;
    for (const auto &s : beat.samples)
        line << QPointF(s.V / 250.0 * size.width(), size.height() - s.Plv / 200.0 * size.height());
    return line;
}

std::unique_ptr<QWidget> plainTwin(const std::vector<Part> &parts)
{
    // Scrolled as the program's windows scroll their client area, so a large
    // zoom grows the content, not the window.
    auto window = std::make_unique<QScrollArea>();
    window->setWidgetResizable(true);
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    int i = 0;
    for (const Part &part : parts) {
        QWidget *w = nullptr;
        switch (part.kind) {
        case Part::Label: w = new QLabel(part.text); break;
        case Part::Button: w = new QPushButton(part.text); break;
        case Part::Check: w = new QCheckBox(part.text); break;
        case Part::Slider: w = new QSlider(Qt::Horizontal); break;
        case Part::Spin: w = new QSpinBox; break;
        case Part::DoubleSpin: w = new QDoubleSpinBox; break;
        case Part::Combo: {
            auto *box = new QComboBox;
            for (int k = 0; k < part.items; ++k)
                box->addItem(part.text);
            w = box;
            break;
        }
        case Part::List: {
            auto *list = new QListWidget;
            for (int k = 0; k < part.items; ++k)
                list->addItem(QStringLiteral("An exercise of the lab, one line"));
            w = list;
            break;
        }
        case Part::Text: w = new QPlainTextEdit(QStringLiteral("A line of feedback.")); break;
        case Part::Chart: {
            auto *chart = new BareChart;
            chart->setMinimumSize(part.minimum);
            w = chart;
            break;
        }
        }
        grid->addWidget(w, i / 6, i % 6);
        ++i;
    }
    window->setWidget(content);
    return window;
}

struct DragTimes {
    std::vector<double> wall;
    std::vector<double> cpu;
};

// Drags the slider's handle from one end of its groove to the other and back,
// `moves` mouse moves each way, and records how long each move took to handle,
// with the recompute and the repaint it brings.
void dragTimes(QSlider *slider, int moves, DragTimes &out)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const QPoint start = handle.center();
    auto send = [slider](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, slider->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(slider, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    QApplication::processEvents();
    const int span = slider->width();
    for (int i = 1; i <= 2 * moves; ++i) {
        const int along = i <= moves ? i : 2 * moves - i;
        const QPoint at = start + QPoint(span * along / moves - start.x() + handle.width() / 2, 0);
        Clock clock;
        clock.start();
        const double cpu = threadCpuMs();
        send(QEvent::MouseMove, at, Qt::LeftButton);
        QApplication::processEvents();
        out.wall.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        out.cpu.push_back(threadCpuMs() - cpu);
    }
    send(QEvent::MouseButtonRelease, start, Qt::NoButton);
    QApplication::processEvents();
}

// Child mode: start as the program (or as a bare window) would, print the
// milliseconds since the parent's clock started when the first frame is painted.
// With every screen, the program also opens all its screens after the first
// frame, paints each, and reports its peak memory then.
// With text, the bare window carries one label: the floor of any window that
// shows text, which has to start the font system first.
int childFirstFrame(bool bare, bool everyScreen, bool text, qint64 parentStartMs)
{
    int argc = 1;
    char name[] = "valthera-bench";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    std::unique_ptr<valthera::Program> program;
    QWidget bareWindow;
    QWidget *window = nullptr;
    if (bare) {
        if (text)
            (new QLabel(QStringLiteral("Orvek Welcomes You To"), &bareWindow))->move(100, 100);
        bareWindow.showMaximized();
        window = &bareWindow;
    } else {
        program = std::make_unique<valthera::Program>();
        program->start();
        window = program->registry().find(QStringLiteral("Introduction"));
    }
    FirstPaint probe(window);
    while (!probe.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (everyScreen && program) {
        for (const QString &name : program->registry().names()) {
            program->registry().show(name);
            QApplication::processEvents(); // shown and painted
        }
        // And idle a moment, as they are in use: a window readies what its
        // next zoom step needs meanwhile.
        idleFor(1000);
    }
    std::printf("%lld %ld\n", static_cast<long long>(now - parentStartMs), peakResidentKiB());
    return 0;
}

struct ChildFigures {
    double firstFrameMs = 0;
    long peakKiB = 0;
};

ChildFigures runChild(const QString &self, const QString &mode, int runs)
{
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        child.start(self, {mode, QString::number(start)});
        child.waitForFinished(30000);
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        if (out.size() == 2) {
            times.push_back(out[0].toDouble());
            peak = std::max(peak, out[1].toLong());
        }
    }
    return {median(times), peak};
}

void row(const char *what, double value, double floor, const char *unit)
{
    if (floor > 0)
        std::printf("%-44s %9.2f %-3s  floor %8.2f  ratio %5.2f\n", what, value, unit, floor, value / floor);
    else
        std::printf("%-44s %9.2f %-3s\n", what, value, unit);
}

// Every zoom step up from 100 % to the last, down to the first and back, five
// times, on the screen with the most controls, each from the key press to the
// window repainted at the new size. Prints the median, 95th percentile and
// slowest step.
double zoomSteps(valthera::ScreenRegistry &registry)
{
    QString largest;
    qsizetype most = 0;
    QStringList names = registry.names();
    names.sort();
    for (const QString &name : names) {
        QWidget *window = registry.show(name);
        if (window && window->findChildren<QWidget *>().size() > most) {
            most = window->findChildren<QWidget *>().size();
            largest = name;
        }
    }
    // That screen alone: every other window closed, also what its load step opened.
    for (const QString &name : names) {
        if (QWidget *open = registry.find(name))
            open->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QWidget *window = registry.show(largest);
    for (const QString &name : names) {
        if (QWidget *open = registry.find(name); open && open != window)
            open->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    waitForPaint(window);
    // The lab as a student mostly sees it: a condition against the Control
    // baseline, so both charts carry two loops.
    if (auto *conditions = window->findChild<QComboBox *>(QStringLiteral("presets"))) {
        conditions->setCurrentIndex(conditions->findText(QStringLiteral("Heart failure with reduced EF")));
        QApplication::processEvents();
        QKeyEvent skip(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &skip);
        waitForPaint(window);
    }
    // A moment before the first key, as a student takes: meanwhile the lab
    // readies what its first step to each size would make on the spot.
    idleFor(1000);
    valthera::look::Zoom &zoom = valthera::look::Zoom::instance();
    std::vector<double> times;
    std::vector<double> cpu;
    std::vector<int> visited; // the percent each step went to
    auto step = [&](Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        Clock clock;
        clock.start();
        const double started = threadCpuMs();
        // Until the window is painted as the event loop paints it: after the
        // layouts the step asked for, not a forced frame before them.
        FirstPaint probe(window);
        QApplication::sendEvent(window, &press);
        while (!probe.painted)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents(); // and whatever the step posted
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - started);
        visited.push_back(zoom.percent());
    };
    const double load = loadAverage();
    std::size_t firstRound = 0; // steps of the first round, eleven of them to a size not shown before
    for (int round = 0; round < 5; ++round) {
        while (zoom.percent() < valthera::look::Zoom::kSteps.back())
            step(Qt::Key_Plus);
        while (zoom.percent() > valthera::look::Zoom::kSteps.front())
            step(Qt::Key_Minus);
        while (zoom.percent() < 100)
            step(Qt::Key_Plus);
        if (round == 0)
            firstRound = times.size();
    }
    std::printf("\nzoom step on %s (%lld widgets): key to repainted window, %zu steps\n", qPrintable(largest),
        static_cast<long long>(most), times.size());
    row("median zoom step", median(times), 0, "ms");
    row("95th percentile zoom step", percentile(times, 0.95), 0, "ms");
    row("99th percentile zoom step (target 16 ms)", percentile(times, 0.99), 0, "ms");
    const double worst = *std::max_element(times.begin(), times.end());
    row("slowest zoom step", worst, 0, "ms");
    row("  the same in processor time: median", median(cpu), 0, "ms");
    row("  the same in processor time: 99th percentile", percentile(cpu, 0.99), 0, "ms");
    // A size shown before finds the style's pictures, the labels' sizes and
    // the glyphs it needs already made; the first visit makes them.
    const std::vector<double> first(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(firstRound));
    const std::vector<double> later(times.begin() + static_cast<std::ptrdiff_t>(firstRound), times.end());
    row("  first round (half to sizes not shown before): median", median(first), 0, "ms");
    row("  first round: slowest", *std::max_element(first.begin(), first.end()), 0, "ms");
    row("  later rounds: median", median(later), 0, "ms");
    row("  later rounds: 99th percentile", percentile(later, 0.99), 0, "ms");
    std::printf("  (load average %.2f on %d processors)\n", load, QThread::idealThreadCount());

    // The floor: a plain window of the same number and kinds of controls,
    // maximized on the same screen, its font stepped through the same sizes.
    const std::vector<Part> parts = partsOf(window);
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::unique_ptr<QWidget> twin = plainTwin(parts);
    twin->showMaximized();
    waitForPaint(twin.get());
    idleFor(1000);
    const QFont base = twin->font();
    std::vector<double> floor;
    // Once through every size unmeasured, as the lab readies its sizes while
    // idle: the floor is a step's own work, not the first load of a font.
    for (int percent : valthera::look::Zoom::kSteps) {
        QFont font = base;
        font.setPointSizeF(base.pointSizeF() * percent / 100.0);
        twin->setFont(font);
        waitForPaint(twin.get());
    }
    for (int percent : visited) {
        QFont font = base;
        font.setPointSizeF(base.pointSizeF() * percent / 100.0);
        Clock clock;
        clock.start();
        FirstPaint probe(twin.get());
        twin->setFont(font);
        while (!probe.painted)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::processEvents();
        floor.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("  floor: a plain window of the same %zu controls, its font stepped alike\n", parts.size());
    row("  median zoom step against the floor", median(times), median(floor), "ms");
    row("  99th percentile against the floor", percentile(times, 0.99), percentile(floor, 0.99), "ms");
    return worst;
}

// The Loop Lab's Play: each frame moves the cursor a sixtieth of a second on,
// updates its readout and draws both charts' marks; at a beat's end during a
// transient the next beat is drawn in full.
void playFrames(QWidget *lab)
{
    auto *window = qobject_cast<valthera::LoopLabWindow *>(lab);
    if (!window)
        return;
    struct Frames {
        std::vector<double> wall, cpu;
    };
    Frames steady, moved, newBeat; // moved: the cursor only; newBeat: a transient's next beat drawn
    auto frames = [window](int count, Frames &cursorOnly, Frames *beatChanged) {
        for (int i = 0; i < count; ++i) {
            const int beat = window->session().transientBeat();
            Clock clock;
            clock.start();
            const double cpu = threadCpuMs();
            window->playFrame(1.0 / 60);
            QApplication::processEvents();
            Frames &into = beatChanged && window->session().transientBeat() != beat ? *beatChanged : cursorOnly;
            into.wall.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            into.cpu.push_back(threadCpuMs() - cpu);
        }
    };
    const double load = loadAverage();
    frames(600, steady, nullptr);
    if (auto *spin = lab->findChild<QAbstractSpinBox *>(QStringLiteral("spinR"))) {
        spin->stepBy(3);
        QApplication::processEvents(); // solved, and the beats after the change start
        // Play takes the transient's beats over from their own clock.
        if (auto *play = lab->findChild<QPushButton *>(QStringLiteral("cmdPlay"))) {
            play->click();
            play->click();
        }
        frames(1500, moved, &newBeat);
    }
    std::printf("\nLoop Lab: playing the beat cursor, 1/60 s a frame, moved, painted and handled\n");
    row("median frame, steady beat", median(steady.wall), 0, "ms");
    row("99th percentile frame (target 2 ms)", percentile(steady.wall, 0.99), 0, "ms");
    row("  the same in processor time: median", median(steady.cpu), 0, "ms");
    row("  the same in processor time: 99th percentile", percentile(steady.cpu, 0.99), 0, "ms");
    row("through a transient: median frame", median(moved.wall), 0, "ms");
    row("  99th percentile frame (target 2 ms)", percentile(moved.wall, 0.99), 0, "ms");
    row("  processor time: median", median(moved.cpu), 0, "ms");
    row("  processor time: 99th percentile", percentile(moved.cpu, 0.99), 0, "ms");
    row("  a frame that draws the next beat: median", median(newBeat.wall), 0, "ms");
    row("  the same: 99th percentile", percentile(newBeat.wall, 0.99), 0, "ms");
    row("  the same in processor time: median", median(newBeat.cpu), 0, "ms");
    row("  the same in processor time: 99th percentile", percentile(newBeat.cpu, 0.99), 0, "ms");
    std::printf("  (%zu steady frames; %zu through the transient, %zu of them drawing its next beat; load average "
                "%.2f on %d processors)\n",
        steady.wall.size(), moved.wall.size() + newBeat.wall.size(), newBeat.wall.size(), load,
        QThread::idealThreadCount());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrncmp(argv[1], "--child-", 8) == 0)
        return childFirstFrame(qstrncmp(argv[1], "--child-bare", 12) == 0,
            qstrcmp(argv[1], "--child-every-screen") == 0, qstrcmp(argv[1], "--child-bare-text") == 0,
            QByteArray(argv[2]).toLongLong());

    const bool zoomOnly = argc == 2 && qstrcmp(argv[1], "--zoom") == 0;
    const bool playOnly = argc == 2 && qstrcmp(argv[1], "--play") == 0;
    if (zoomOnly && qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        // A full-HD screen, as in a lecture hall, so a maximized window has room to grow.
        const QString config = QDir::temp().filePath(QStringLiteral("valthera-bench-screen.json"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens":[{"name":"hall","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    QApplication app(argc, argv);
    if (zoomOnly) {
        valthera::Program valthera;
        valthera.start();
        zoomSteps(valthera.registry());
        return 0;
    }
    if (playOnly) {
        valthera::Program valthera;
        valthera.start();
        QWidget *lab = valthera.registry().show(QStringLiteral("LoopLab"));
        waitForPaint(lab);
        playFrames(lab);
        return 0;
    }
    const QString self = QApplication::applicationFilePath();
    constexpr int kRuns = 15;

    std::printf("first frame (median of %d process starts)\n", kRuns);
    const ChildFigures bare = runChild(self, QStringLiteral("--child-bare"), kRuns);
    const ChildFigures program = runChild(self, QStringLiteral("--child-program"), kRuns);
    row("process start to first painted frame", program.firstFrameMs, bare.firstFrameMs, "ms");
    const ChildFigures bareText = runChild(self, QStringLiteral("--child-bare-text"), kRuns);
    row("  bare window with one label (font floor)", bareText.firstFrameMs, bare.firstFrameMs, "ms");
    row("  program against the font floor", program.firstFrameMs, bareText.firstFrameMs, "ms");

    // Screen open times, in this process.
    valthera::Program valthera;
    valthera::ScreenRegistry &registry = valthera.registry();
    valthera.start();
    waitForPaint(registry.find(QStringLiteral("Introduction")));

    std::vector<double> bareOpen;
    for (int i = 0; i < kRuns; ++i) {
        Clock clock;
        clock.start();
        auto *w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->showMaximized();
        waitForPaint(w);
        bareOpen.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const double bareOpenMs = median(bareOpen);

    std::printf("\nscreen open: create, load, show, first paint (median of %d)\n", kRuns);
    QStringList names = registry.names();
    names.sort();
    double worst = 0;
    double labOpenMs = 0;
    for (const QString &name : names) {
        if (name == QLatin1String("Introduction"))
            continue;
        std::vector<double> times;
        for (int i = 0; i < kRuns; ++i) {
            if (QWidget *open = registry.find(name)) {
                open->close();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
            // Close what a load step opened on the side, so each run starts alike.
            for (const QString &other : names) {
                if (other != QLatin1String("Introduction"))
                    if (QWidget *w = registry.find(other))
                        w->close();
            }
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
            Clock clock;
            clock.start();
            QWidget *window = registry.show(name);
            if (!window)
                break;
            waitForPaint(window);
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        const double m = median(times);
        worst = std::max(worst, m);
        row(qPrintable(QStringLiteral("  ") + name), m, bareOpenMs, "ms");
        if (name == QLatin1String("LoopLab"))
            labOpenMs = m;
    }
    // The lab's opening against a plain window of its controls, opened alike.
    if (QWidget *lab = registry.show(QStringLiteral("LoopLab"))) {
        waitForPaint(lab);
        const std::vector<Part> parts = partsOf(lab);
        lab->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<double> twinOpen;
        for (int i = 0; i < kRuns; ++i) {
            Clock clock;
            clock.start();
            std::unique_ptr<QWidget> twin = plainTwin(parts);
            twin->showMaximized();
            waitForPaint(twin.get());
            twinOpen.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        row("Loop Lab open against a plain twin's", labOpenMs, median(twinOpen), "ms");
    }
    row("slowest screen open (target 16 ms)", worst, 0, "ms");

    // A scripted student session: every button and list line of every open
    // screen, in a fixed order, each event handled and painted.
    std::printf("\nevent handling over a scripted session\n");
    std::vector<double> events;
    std::vector<double> withBox;
    for (const QString &name : names) {
        // The lab is measured apart, below: its buttons run the heart model.
        if (name == QLatin1String("Instructions") || name == QLatin1String("Glossary") ||
            name == QLatin1String("LoopLab"))
            continue;
        QWidget *window = registry.show(name);
        if (!window)
            continue;
        // Brought forward, not necessarily repainted: a window already open and
        // unchanged may have nothing to paint.
        QApplication::processEvents();
        // A box or popup that comes up during an action is answered at once;
        // such an action waits on the box's own event loop, so it is counted apart.
        bool answered = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&answered] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                popup->close();
                answered = true;
            } else if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                box->done(QMessageBox::Ok);
                answered = true;
            }
        });
        closer.start(0);
        auto timed = [&](const std::function<void()> &action) {
            answered = false;
            Clock clock;
            clock.start();
            action();
            QApplication::processEvents();
            const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            (answered ? withBox : events).push_back(ms);
        };
        for (int round = 0; round < 3; ++round) {
            // The buttons a student presses; the menu bar's overflow button is not one.
            for (QPushButton *button : window->findChildren<QPushButton *>()) {
                if (button->isVisible())
                    timed([button] { button->click(); });
            }
            for (QListWidget *list : window->findChildren<QListWidget *>()) {
                for (int r = 0; r < list->count() && list->isVisible(); ++r)
                    timed([list, r] { list->setCurrentRow(r); });
            }
        }
    }
    row("median event", median(events), 0, "ms");
    row("99th percentile event (target 2 ms)", percentile(events, 0.99), 0, "ms");
    std::printf("  (%zu events; %zu more raised a box, answered by a timer)\n", events.size(), withBox.size());

    // The Loop Lab while a student drags its sliders: each mouse move is
    // handled, the loop solved (coalesced) and both charts repainted.
    std::printf("\nLoop Lab: dragging a slider\n");
    if (QWidget *lab = registry.show(QStringLiteral("LoopLab"))) {
        waitForPaint(lab);
        DragTimes drags;
        const double load = loadAverage();
        for (const char *name : {"sliderPla", "sliderR", "sliderEes", "sliderHR", "sliderC", "sliderRav"}) {
            if (auto *slider = lab->findChild<QSlider *>(QString::fromLatin1(name)))
                dragTimes(slider, 60, drags);
        }
        // The floor: one warm solve after the same small step and one repaint
        // of a bare chart of the lab chart's size.
        std::vector<double> floor;
        {
            using namespace valthera::model;
            Simulator simulator;
            Parameters p(ModelKind::Circulation);
            SteadyState steady = simulator.steady(p);
            BareChart chart;
            chart.resize(640, 480);
            chart.show();
            QApplication::processEvents();
            for (int i = 0; i < 120; ++i) {
                const ParamInfo &r = parameterTable()[static_cast<std::size_t>(Param::R)];
                p[Param::R] = r.min + (r.max - r.min) * (i % 60) / 60.0;
                Clock clock;
                clock.start();
                steady = simulator.steady(p, steady.start);
                chart.loop = loopOf(steady.beat, chart.size());
                chart.repaint();
                floor.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            }
        }
        row("median drag event", median(drags.wall), median(floor), "ms");
        row("99th percentile drag event (target 8 ms)", percentile(drags.wall, 0.99), percentile(floor, 0.99), "ms");
        std::printf("  (floor: one warm solve of the same model and one repaint of a bare 640 x 480 chart)\n");
        row("  the same in processor time: median", median(drags.cpu), 0, "ms");
        row("  the same in processor time: 99th percentile", percentile(drags.cpu, 0.99), 0, "ms");
        std::printf("  (%zu mouse moves over six sliders, each handled, solved and painted; load average %.2f on %d "
                    "processors)\n",
            drags.wall.size(), load, QThread::idealThreadCount());
        std::vector<double> buttons;
        for (const char *name : {"cmdBaseline", "cmdOcclusion", "cmdReset"}) {
            if (auto *button = lab->findChild<QPushButton *>(QString::fromLatin1(name))) {
                for (int i = 0; i < 5; ++i) {
                    Clock clock;
                    clock.start();
                    button->click();
                    QApplication::processEvents();
                    buttons.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
                }
            }
        }
        row("slowest lab button (occlusion run)", *std::max_element(buttons.begin(), buttons.end()), 0, "ms");

        playFrames(lab);
    }

    // Peak memory in a fresh process that opens every screen once, against the
    // bare window's process: this process has done far more than a student would.
    const ChildFigures every = runChild(self, QStringLiteral("--child-every-screen"), 3);
    const double peakMiB = static_cast<double>(every.peakKiB) / 1024.0;
    std::printf("\npeak memory (fresh process, every screen open and painted)\n");
    row("every window open (target floor + 30 MiB)", peakMiB, static_cast<double>(bare.peakKiB) / 1024.0, "MiB");
    std::printf("%-44s %9.2f MiB\n", "  above the bare window", peakMiB - static_cast<double>(bare.peakKiB) / 1024.0);

    // In a process of its own, on a full-HD screen.
    QProcess zooming;
    zooming.start(self, {QStringLiteral("--zoom")});
    zooming.waitForFinished(120000);
    std::printf("%s", zooming.readAllStandardOutput().constData());
    return 0;
}
