#include "lab/cursorpanel.h"

#include "lab/labcharts.h"
#include "lab/labwidgets.h"
#include "ui/controls.h"
#include "ui/look.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace valthera::lab {

namespace {

// Wall time since the last frame of Play, in s. A stalled machine resumes
// where it was rather than leaping beats ahead.
double sinceLastFrame(const QElapsedTimer &clock)
{
    return std::min(0.25, static_cast<double>(clock.nsecsElapsed()) / 1e9);
}

} // namespace

CursorPanel::CursorPanel(PvChart *chart, TimeChart *timeChart, QWidget *parent)
    : QWidget(parent)
    , chart_(chart)
    , timeChart_(timeChart)
{
    setObjectName(QStringLiteral("labCursor"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QVBoxLayout;
    play_ = look::makeButton(this, QStringLiteral("cmdPlay"), QStringLiteral("Play"), {});
    play_->setAccessibleDescription(
        QStringLiteral("Runs the cursor through the beat and on, beat after beat (Space on a chart)"));
    play_->setMinimumHeight(28);
    connect(play_, &QPushButton::clicked, this, [this] { setPlaying(!playing()); });
    quarterSpeed_ = new QCheckBox(QStringLiteral("\u00bc speed"), this);
    quarterSpeed_->setObjectName(QStringLiteral("cursorQuarterSpeed"));
    quarterSpeed_->setAccessibleName(QStringLiteral("Quarter speed"));
    quarterSpeed_->setAccessibleDescription(QStringLiteral("Plays the beat at a quarter of real time"));
    QPalette white = quarterSpeed_->palette();
    white.setColor(QPalette::WindowText, look::lightText());
    quarterSpeed_->setPalette(white);
    buttons->addWidget(play_);
    buttons->addWidget(quarterSpeed_);
    buttons->addStretch(1);
    row->addLayout(buttons);

    auto *text = new ReadoutBox(this);
    readout_ = whiteLabel(QString(), text);
    readout_->setObjectName(QStringLiteral("cursorReadout"));
    readout_->setAccessibleDescription(QStringLiteral(
        "The instant marked on both charts. On a chart: Left and Right step 5 ms, with Shift 50 ms; Page Up and "
        "Page Down go to the previous and next valve event; Home and End to the beat's start and end; Space plays"));
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A space, not empty: the line keeps its height when it has nothing to say.
    event_ = whiteLabel(QStringLiteral(" "), text);
    event_->setObjectName(QStringLiteral("cursorEvent"));
    row->addWidget(text, 1);

    for (LabChart *c : {static_cast<LabChart *>(chart_), static_cast<LabChart *>(timeChart_)}) {
        c->setBeatCursor(&cursor_);
        c->installEventFilter(this);
        connect(c, &LabChart::samplePicked, this,
            [this](int sample) { show(cursor_.jumpTo(timeOf(cursor_.beat(), sample))); });
    }
    timer_.setInterval(kFrameMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const double wall = sinceLastFrame(clock_);
        clock_.start();
        playFrame(wall);
    });
}

std::vector<QWidget *> CursorPanel::tabOrder() const
{
    return {play_, quarterSpeed_};
}

void CursorPanel::showBeat(const Beat &beat)
{
    cursor_.setBeat(beat);
    chart_->refresh();
    timeChart_->refresh();
    readout_->setText(cursor_.readout());
}

void CursorPanel::jumpTo(double t)
{
    cursor_.jumpTo(t);
    show({});
}

void CursorPanel::clearEvent()
{
    event_->setText(QStringLiteral(" "));
}

void CursorPanel::show(const QString &said)
{
    readout_->setText(cursor_.readout());
    chart_->cursorMoved();
    timeChart_->cursorMoved();
    if (said.isEmpty())
        return;
    event_->setText(said);
    look::announce(event_);
}

bool CursorPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == chart_ || watched == timeChart_) &&
        cursorKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool CursorPanel::cursorKey(const QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false; // Ctrl and Alt keys are the window's
    switch (event->key()) {
    case Qt::Key_Left:
        show(cursor_.stepBy(shift ? -BeatCursor::kLongStep : -BeatCursor::kStep));
        return true;
    case Qt::Key_Right:
        show(cursor_.stepBy(shift ? BeatCursor::kLongStep : BeatCursor::kStep));
        return true;
    case Qt::Key_PageUp:
        show(cursor_.previousEvent());
        return true;
    case Qt::Key_PageDown:
        show(cursor_.nextEvent());
        return true;
    case Qt::Key_Home:
        show(cursor_.toStart());
        return true;
    case Qt::Key_End:
        show(cursor_.toEnd());
        return true;
    case Qt::Key_Space:
        setPlaying(!playing());
        return true;
    default:
        return false;
    }
}

void CursorPanel::setPlaying(bool on)
{
    if (on == playing())
        return;
    if (on) {
        emit playStarted();
        clock_.start();
        timer_.start();
    } else {
        // Up to the moment of the pause, not the last frame before it.
        timer_.stop();
        playFrame(sinceLastFrame(clock_));
    }
    play_->setText(on ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void CursorPanel::playFrame(double wallSeconds)
{
    const double speed = quarterSpeed_->isChecked() ? 0.25 : 1.0;
    bool nextBeat = false;
    const QString said =
        cursor_.advance(wallSeconds * speed, [this, &nextBeat] { nextBeat = nextBeat_ && nextBeat_(); });
    show(said);
    // A frame that only moved the cursor draws ahead what the next beat
    // changes, one chart a frame, so no frame does both.
    if (!nextBeat && !chart_->prepareNextBeat())
        timeChart_->prepareNextBeat();
}

} // namespace valthera::lab
