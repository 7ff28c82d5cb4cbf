#pragma once
// The state of one Loop Lab sitting, apart from any window: the parameters as
// the controls set them, the steady beat they give, the loop kept for
// comparison, an occlusion run, and the readouts as the student sees them.
//
// Setting a parameter only records it; update() solves, warm-started from the
// last steady beat, so a window can take many changes (a slider drag) and
// solve once for the last of them.

#include "model/model.h"
#include "model/presets.h"

#include <QString>
#include <optional>

namespace valthera::lab {

using namespace valthera::model;

class LabSession {
public:
    LabSession(); // Control of the whole circulation, solved, kept as the baseline
    // Solves that first beat now, on a thread of its own, for every session
    // made later to take a copy of rather than solve it again: for a program
    // to call once its first window shows, well before the lab opens. A
    // session made meanwhile waits for it. Once a run; on the calling thread
    // only, as sessions are made.
    static void solveFirstBeatAhead();

    // --- The model: switching starts over from the new model's Control,
    // which becomes the baseline; a loop of one model is never compared with
    // the other's.
    ModelKind model() const { return parameters_.model; }
    void setModel(ModelKind model);

    // --- What the student sets
    const Parameters &parameters() const { return parameters_; }
    // Clamps to the parameter's range, rounds to its shown decimals and
    // brings a device's value in its gap to off or its lowest running value.
    // Returns false when that leaves the value as it was. A change drops the
    // occlusion run, which belongs to the old parameters. Switching on a
    // support device while none runs keeps the loop without it as the baseline.
    bool setParameter(Param p, double value);
    void setParameters(const Parameters &parameters);
    void applyPreset(const Preset &preset) { setParameters(preset.parameters(model())); }
    // The preset whose parameters these are, or nullptr for a mix of the student's own.
    const Preset *matchingPreset() const;

    // --- Solving
    bool stale() const { return !(current_.parameters == parameters_); }
    // Solves for the parameters set since the last update; nothing when none were.
    void update();
    // The beats from the steady state before the last update's change to the
    // new one (none after a model switch or a reset), computed on first asking.
    const Transient *transient();

    // --- Playing the transient: beat k of it is shown in place of the
    // steady beat, 1 ≤ k ≤ its length; 0 when none is playing.
    // Starts at beat 1; false (and nothing plays) when there is no transient.
    bool startTransient();
    // On to the next beat; false, and back to the steady beat, after the last.
    bool advanceTransient();
    void stopTransient() { transientBeat_ = 0; }
    int transientBeat() const { return transientBeat_; }
    int transientLength() const { return transient_ ? static_cast<int>(transient_->beats.size()) : 0; }
    // The beat on show: the transient's beat being played, else the steady one.
    const Beat &shownBeat() const;
    // The transient being played, or nullptr.
    const Transient *playingTransient() const { return transientBeat_ > 0 ? &*transient_ : nullptr; }
    int solves() const { return solves_; }

    const SteadyState &current() const { return current_; }
    const SteadyState &baseline() const { return baseline_; }
    const Measures &measures() const { return measures_; }
    const Measures &baselineMeasures() const { return baselineMeasures_; }
    const ValveEvents &events() const { return events_; }

    // What the baseline is called on the charts: "Control" while it is the
    // model's Control, else "Kept loop".
    QString baselineName() const;
    // Keeps the current loop (solved first if needed) as the one to compare with.
    void keepBaseline();
    // Back to Control, which becomes the baseline again.
    void reset();

    // The occlusion run from the current steady beat; stays until a parameter changes.
    void runOcclusion();
    const std::optional<Occlusion> &occlusion() const { return occlusion_; }

    // --- Readouts
    // Decimals a readout shows: whole ml and mmHg (a tenth is below what a
    // student reads off a loop), whole per cent for fractions, else the table's.
    static int readoutDecimals(Measure m);
    static QString unitOf(Measure m); // "%" for fractions (EF, AtrialShare, RF)
    // "120 ml", "58 %", "5.24 l/min".
    static QString formatValue(Measure m, double value);
    // "▲ 7", "▼ 3", or empty when the change does not show at the readout's decimals.
    static QString formatDelta(Measure m, double value, double baseline);
    // "up 7 ml", "down 3 percentage points", "same as baseline".
    static QString describeDelta(Measure m, double value, double baseline);

    QString value(Measure m) const { return formatValue(m, measures_[m]); }
    QString delta(Measure m) const { return formatDelta(m, measures_[m], baselineMeasures_[m]); }
    QString deltaDescription(Measure m) const { return describeDelta(m, measures_[m], baselineMeasures_[m]); }
    QString eesFit() const; // "1.99 mmHg/ml", empty without an occlusion run
    QString v0Fit() const; // "-2 ml", empty without an occlusion run

    // The parameters and every readout as tab-separated lines, for the clipboard.
    QString report() const;
    // The loop in words for assistive technology.
    QString describeLoop() const;

private:
    void solve();
    // The readouts of the steady beat just solved.
    void tookSteady();

    Simulator simulator_;
    Parameters parameters_;
    SteadyState current_;
    std::optional<SteadyState> previous_; // the steady state the last change started from
    std::optional<Transient> transient_;
    int transientBeat_ = 0;
    SteadyState baseline_;
    Measures measures_;
    Measures baselineMeasures_;
    ValveEvents events_;
    std::optional<Occlusion> occlusion_;
    int solves_ = 0;
};

// A parameter's value as its spin box shows it, with its unit: "15.0 mmHg".
QString formatParameter(Param p, double value);
QString toQString(std::string_view text);

} // namespace valthera::lab
