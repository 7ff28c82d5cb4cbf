#include "labstates.h"

#include "lab/chartmatch.h"
#include "lab/looplabwindow.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QtGlobal>

using valthera::LoopLabWindow;

namespace {

template <typename T> T *control(LoopLabWindow &lab, const char *name)
{
    T *found = lab.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("the lab has no control named %s", name);
    return found;
}

void type(LoopLabWindow &lab, const char *spin, double value)
{
    control<QDoubleSpinBox>(lab, spin)->setValue(value);
    settleLab(lab);
}

void press(LoopLabWindow &lab, const char *button)
{
    control<QPushButton>(lab, button)->click();
    settleLab(lab);
}

void predict(LoopLabWindow &lab, const char *measure, const char *direction)
{
    auto *combo = control<QComboBox>(lab, (QByteArray("predict") + measure).constData());
    combo->setCurrentIndex(combo->findText(QString::fromLatin1(direction)));
}

void asOpened(LoopLabWindow &) { }

void baseline(LoopLabWindow &lab)
{
    type(lab, "spinVolume", 400);
    type(lab, "spinR", 1.5);
}

void explore(LoopLabWindow &lab)
{
    lab.exploreChart(valthera::lab::chartMatch(valthera::lab::Chart::Afterload100));
    settleLab(lab, Reading::Before);
}

void exercise(LoopLabWindow &lab)
{
    auto *list = control<QListWidget>(lab, "exercises");
    const auto found = list->findItems(QStringLiteral("Mitral regurgitation"), Qt::MatchContains);
    if (found.isEmpty())
        qFatal("no mitral regurgitation exercise");
    list->setCurrentItem(found.first());
    predict(lab, "EDV", "up");
    predict(lab, "ESV", "up");
    predict(lab, "SV", "down");
    control<QPushButton>(lab, "cmdCheck")->click();
    settleLab(lab, Reading::Before);
    list->scrollToItem(found.first(), QAbstractItemView::PositionAtTop);
}

void occlusion(LoopLabWindow &lab)
{
    press(lab, "cmdOcclusion");
}

// VA-ECMO on a failing ventricle, against its loop without the circuit.
void ecmo(LoopLabWindow &lab)
{
    auto *presets = control<QComboBox>(lab, "presets");
    presets->setCurrentIndex(presets->findText(QStringLiteral("Heart failure with reduced EF")));
    settleLab(lab);
    control<QTabWidget>(lab, "labGroups")->setCurrentIndex(1);
    type(lab, "spinECMO", 4);
}

// The cursor at the aortic valve's opening: on the P-V chart, to the beat's
// start (the ventricle's activation onset), then on to the next event.
void cursor(LoopLabWindow &lab)
{
    auto *chart = control<QWidget>(lab, "labChart");
    chart->setFocus();
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_PageDown}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &release);
    }
    settleLab(lab, Reading::Before);
}

void condition(LoopLabWindow &lab, const char *name)
{
    auto *presets = control<QComboBox>(lab, "presets");
    presets->setCurrentIndex(presets->findText(QString::fromLatin1(name)));
    settleLab(lab);
}

void keys(LoopLabWindow &lab, std::initializer_list<Qt::Key> sequence)
{
    auto *chart = control<QWidget>(lab, "labChart");
    chart->setFocus();
    for (Qt::Key key : sequence) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(chart, &release);
    }
    settleLab(lab, Reading::Before);
}

// A centrifugal pump emptying a failing ventricle whose aortic valve stays
// shut: the cursor 100 ms into the beat, where the volume falls with both
// valves shut.
void lvad(LoopLabWindow &lab)
{
    condition(lab, "Heart failure with reduced EF");
    control<QTabWidget>(lab, "labGroups")->setCurrentIndex(1);
    type(lab, "spinLVAD", 4000);
    keys(lab, {Qt::Key_Home});
    for (int i = 0; i < 20; ++i)
        keys(lab, {Qt::Key_Right});
}

constexpr LabState kStates[] = {
    {"LoopLab", asOpened},
    {"LoopLab-baseline", baseline},
    {"LoopLab-explore", explore},
    {"LoopLab-exercise", exercise},
    {"LoopLab-occlusion", occlusion},
    {"LoopLab-ecmo", ecmo},
    {"LoopLab-cursor", cursor},
    {"LoopLab-lvad", lvad},
};

} // namespace

std::span<const LabState> labStates()
{
    return kStates;
}

void settleLab(LoopLabWindow &lab, Reading reading)
{
    QEventLoop loop;
    loop.processEvents();
    if (auto *skip = lab.findChild<QAction *>(QStringLiteral("actSkip")))
        skip->trigger();
    if (reading == Reading::Before) {
        loop.processEvents();
        return;
    }
    // The lab reads out what changed once the readouts have rested.
    QElapsedTimer rest;
    rest.start();
    while (rest.elapsed() < LoopLabWindow::kSettleMs + 100) {
        loop.processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}
