#pragma once
// The Loop Lab window: the parameter panel, the live P-V loop and the beat
// against time with the cursor under them, and the measures against the
// baseline with the exercises. The lab's state lives in a LabSession; the
// panels show it and say what the student chose; this wires the two.

#include "lab/beatcursor.h"
#include "lab/cursorpanel.h"
#include "lab/explore.h"
#include "lab/labsession.h"
#include "lab/measurespanel.h"
#include "ui/menuwindow.h"

#include <QTimer>

namespace valthera {

namespace lab {
class ParameterPanel;
class PvChart;
class TimeChart;
struct Exercise;
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
    static constexpr int kSettleMs = lab::MeasuresPanel::kSettleMs;
    // How long each beat after a change is shown while they play.
    static constexpr int kTransientBeatMs = 120;

    // The instant marked on both charts; Play runs it on in wall time.
    const lab::BeatCursor &beatCursor() const { return cursor_->cursor(); }
    bool playing() const { return cursor_->playing(); }
    // One frame of Play: the cursor on by this much wall time at the chosen
    // speed, into the next beat (of a transient being played) at the end.
    void playFrame(double wallSeconds) { cursor_->playFrame(wallSeconds); }
    static constexpr int kFrameMs = lab::CursorPanel::kFrameMs;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildCharts();
    void buildActions();
    void connectParameters();
    void orderTabs();

    // The session started over from these parameters, Control the baseline.
    void startFrom(const model::Parameters &parameters);
    // Every panel shows the session anew after it was replaced as a whole.
    void sessionReplaced();
    // The measures and the beat anew after any change; every line that told
    // of the state before is cleared.
    void showSession();

    void parameterChosen(model::Param p, double value);
    void conditionChosen(const model::Preset &preset);
    void modelChosen(model::ModelKind kind);
    void exerciseChecked(const lab::Exercise &exercise);
    void scheduleRecompute();
    void recompute();
    void playTransient(); // the beats from the old steady state to the new
    bool nextTransientBeat();
    void skipTransient();
    void showTransient();
    void refreshCharts(); // the beat on show changed: both charts and the cursor

    lab::LabSession session_;
    double zoom_ = 1;
    lab::ParameterPanel *parameters_ = nullptr;
    lab::MeasuresPanel *measures_ = nullptr;
    lab::CursorPanel *cursor_ = nullptr;
    lab::PvChart *chart_ = nullptr;
    lab::TimeChart *timeChart_ = nullptr;
    QTimer playTimer_; // one transient beat a tick
    QTimer recomputeTimer_; // zero-interval: many changes in one pass of the event loop, one solve
};

} // namespace valthera
