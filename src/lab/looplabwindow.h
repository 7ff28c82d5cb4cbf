#pragma once
// The Loop Lab window: controls for every parameter of the heart model, the
// live P-V loop and the beat against time, and the readouts against the
// baseline. The lab's state lives in a LabSession; this only shows it and
// passes the student's changes on.

#include "lab/beatcursor.h"
#include "lab/explore.h"
#include "lab/labsession.h"
#include "ui/menuwindow.h"

#include <QElapsedTimer>
#include <QTimer>
#include <array>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;

namespace valthera {

namespace lab {
class PvChart;
class TimeChart;
} // namespace lab

class LoopLabWindow : public MenuWindow, public lab::ChartExplorer {
    Q_OBJECT
public:
    explicit LoopLabWindow(ScreenRegistry &registry);

    // Sets the parameters that reproduce a lessons' chart and says which chart it is.
    void exploreChart(const lab::ChartMatch &chart) override;

    const lab::LabSession &session() const { return session_; }

    // Fits the panels and the charts' lines and text to a zoom (1 is the design
    // size); the window follows the program's zoom by itself.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

    // Puts the P-V chart (as a picture) and the readouts (as text) on the clipboard.
    void copyToClipboard();
    // Asks which chart, at what size and into which file, then saves it as a
    // figure (chart 0 the P-V chart, 1 the beat; the one offered first).
    void saveImage(int chart);
    // Writes one chart into path at size; a failure is told in a message
    // naming the file and the reason. Returns whether the file was written.
    bool saveChartImage(int chart, const QString &path, QSize size);

    // How long the readouts must rest before a change is read out.
    static constexpr int kSettleMs = 500;
    // How long each beat after a change is shown while they play.
    static constexpr int kTransientBeatMs = 120;

    // The instant marked on both charts; Play runs it on in wall time.
    const lab::BeatCursor &beatCursor() const { return cursor_; }
    bool playing() const { return cursorTimer_.isActive(); }
    // One frame of Play: the cursor on by this much wall time at the chosen
    // speed, into the next beat (of a transient being played) at the end.
    void playFrame(double wallSeconds);
    static constexpr int kFrameMs = 16;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct ParameterControls {
        QDoubleSpinBox *spin = nullptr;
        QSlider *slider = nullptr;
        QLabel *label = nullptr;
    };
    struct Readout {
        QLabel *value = nullptr;
        QLabel *delta = nullptr;
        QLabel *label = nullptr;
    };

    QWidget *buildControls();
    QWidget *buildReadouts();
    void addParameterRow(QWidget *parent, QGridLayout *grid, int row, model::Param p);
    // The support devices' controls and their alarms, in words (looplabsupport.cpp).
    QWidget *buildSupportGroup(QWidget *parent);
    void showSupport();

    void parameterEdited(model::Param p, double value);
    void presetChosen(int index);
    void scheduleRecompute();
    void recompute();
    void showSession();
    void syncControls();
    void showCondition(); // the condition the parameters are, if any
    void modelChosen(int index);
    void showModel(); // the controls and readouts of the model in use
    void playTransient(); // the beats from the old steady state to the new
    void nextTransientBeat();
    void skipTransient();
    void showTransientCounter();
    void announceChanges();
    QString announcedState(model::Measure m) const;

    QWidget *buildCursorPanel();
    void orderTabs();
    void refreshCharts(); // the beat on show changed: both charts and the cursor
    void showCursor(const QString &said); // the readout, the charts' marks and what to read out
    bool cursorKey(const QKeyEvent *event);
    void setPlaying(bool on);

    lab::LabSession session_;
    double zoom_ = 1;
    std::array<ParameterControls, model::kParamCount> controls_{};
    std::array<Readout, model::kMeasureCount> readouts_{};
    std::array<QString, model::kMeasureCount> announced_{};
    QString announcedFit_;
    QComboBox *presets_ = nullptr;
    QComboBox *model_ = nullptr;
    QLabel *transientCounter_ = nullptr;
    QPushButton *skip_ = nullptr;
    QTimer playTimer_; // one transient beat a tick
    QLabel *eesFit_ = nullptr;
    QLabel *v0Fit_ = nullptr;
    QLabel *changes_ = nullptr;
    QWidget *support_ = nullptr;
    QLabel *supportAlarms_ = nullptr;
    lab::PvChart *chart_ = nullptr;
    lab::TimeChart *timeChart_ = nullptr;
    lab::BeatCursor cursor_;
    QPushButton *play_ = nullptr;
    QCheckBox *quarterSpeed_ = nullptr;
    QLabel *cursorReadout_ = nullptr;
    QLabel *cursorEvent_ = nullptr;
    QTimer cursorTimer_; // a frame of Play a tick
    QElapsedTimer cursorClock_; // wall time since the last frame
    QTimer recomputeTimer_; // zero-interval: many changes in one pass of the event loop, one solve
    QTimer settleTimer_;
};

} // namespace valthera
