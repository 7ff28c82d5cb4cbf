#pragma once
// Under the lab's charts: the instant marked on both, moved by the keys on
// either chart or a click on it, Play that runs it on in wall time (into the
// next beat of a change being played), and the readout of that instant, its
// last line the valve event just passed.

#include "lab/beatcursor.h"

#include <QElapsedTimer>
#include <QWidget>
#include <QTimer>
#include <functional>
#include <vector>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace valthera::lab {

class LabChart;
class PvChart;
class TimeChart;

class CursorPanel : public QWidget {
    Q_OBJECT
public:
    CursorPanel(PvChart *chart, TimeChart *timeChart, QWidget *parent);

    static constexpr int kFrameMs = 16;

    const BeatCursor &cursor() const { return cursor_; }
    bool playing() const { return timer_.isActive(); }
    void setPlaying(bool on);
    // One frame of Play: the cursor on by this much wall time at the chosen
    // speed, into the next beat at the end of this one.
    void playFrame(double wallSeconds);
    // Asked at the end of a beat while Play runs: whether another beat (of a
    // change being played) took its place.
    void setNextBeat(std::function<bool()> next) { nextBeat_ = std::move(next); }

    // The beat on show changed: both charts and the readout.
    void showBeat(const Beat &beat);
    // Puts the cursor at an instant of the beat on show, said nowhere.
    void jumpTo(double t);
    // The event line cleared: the instant it told of belongs to a beat now gone.
    void clearEvent();

    // Play and its speed, in the order Tab walks them.
    std::vector<QWidget *> tabOrder() const;

signals:
    // Play began: the cursor leads the beats of a change on from here.
    void playStarted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show(const QString &said);
    bool cursorKey(const QKeyEvent *event);

    PvChart *chart_;
    TimeChart *timeChart_;
    BeatCursor cursor_;
    std::function<bool()> nextBeat_;
    QPushButton *play_ = nullptr;
    QCheckBox *quarterSpeed_ = nullptr;
    QLabel *readout_ = nullptr;
    QLabel *event_ = nullptr;
    QTimer timer_; // a frame of Play a tick
    QElapsedTimer clock_; // wall time since the last frame
};

} // namespace valthera::lab
