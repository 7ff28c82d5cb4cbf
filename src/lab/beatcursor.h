#pragma once
// One instant of the beat on show, walked by the student: where it is in the
// cycle (phase, loop segment, nearest numbered point, valve states, the heart
// sound at a closure), how it moves (steps, event stops, the beat's ends, Play
// running on through the beats that follow) and what a screen reader is told
// as it moves: only a change of phase and each valve event passed, never
// every step.
//
// It reads a Beat it does not own; whoever shows the beat calls setBeat again
// whenever that beat changes or another takes its place.

#include "model/measures.h"
#include "model/phases.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace valthera::lab {

using namespace valthera::model;

enum class CyclePhase {
    Filling, // where the beat's filling cannot be told apart further
    EarlyFilling,
    Diastasis,
    AtrialContraction,
    IsovolumicContraction,
    Ejection,
    IsovolumicRelaxation,
    // Both valves shut while a leak or a pump moves the volume: not a
    // segment of the lessons' loop (the model's Phase::ValvesShutVolumeChanging).
    ValvesShutVolumeChanging
};
// In the lessons' words, lower case: "early filling", "isovolumic contraction";
// "valves shut, volume changing" (BeatCursor::phaseText says why).
QString phaseName(CyclePhase phase);
// The lessons' loop segment: E filling, F isovolumic contraction, G ejection,
// H isovolumic relaxation; a null QChar where the volume changes with both
// valves shut, which is none of them.
QChar segmentLetter(CyclePhase phase);

// The instants the cursor stops at with PageUp/PageDown, in the order of the
// cycle lesson's letters A to D, then the atrium's.
enum class BeatEvent { MitralCloses, AorticOpens, AorticCloses, MitralOpens, AtrialContraction };
// "mitral valve closes", "atrial contraction begins".
QString eventName(BeatEvent event);

struct EventStop {
    BeatEvent event;
    int sample;
};

class BeatCursor {
public:
    static constexpr double kStep = 0.005; // s, Left/Right
    static constexpr double kLongStep = 0.050; // s, Shift+Left/Right
    // While filling, the rapid early inflow has given way to diastasis once
    // mitral flow has fallen below this share of its early peak: the
    // ventricle's recoil that drew it in is spent, and what still enters is
    // pushed by the venous return until the atrium contracts.
    static constexpr double kDiastasisShare = 0.6;

    // Shows a beat, keeping the time in the beat (within its length).
    void setBeat(const Beat &beat);
    bool hasBeat() const { return beat_ && !beat_->samples.empty(); }
    const Beat &beat() const { return *beat_; }

    double time() const { return time_; } // s since the beat's activation onset
    int sample() const; // the sample at time()
    double endTime() const; // the beat's last sample
    const std::vector<EventStop> &stops() const { return stops_; } // in time order
    const ValveEvents &events() const { return events_; }

    // Each move returns what to read out for it, empty for nothing. A step
    // tells of every event it passes or lands on and of the phase it ends in
    // when that differs from where it started; a jump (a time picked on a
    // chart, an event stop, either end) tells only of the event it lands on
    // and of a change of phase.
    QString stepBy(double seconds);
    QString jumpTo(double seconds);
    QString nextEvent(); // the first stop after the cursor; nothing after the last
    QString previousEvent();
    QString toStart() { return jumpTo(0); }
    QString toEnd() { return jumpTo(endTime()); }
    // Play: on by `seconds` of beat time; at the beat's end atBeatEnd is
    // called (it may show the next beat) and the cursor runs on from that
    // beat's start, telling of every event it passes.
    QString advance(double seconds, const std::function<void()> &atBeatEnd = {});

    // The phase from the model's beatPhases (flows and volume), with filling
    // told apart further into early filling, diastasis and atrial contraction.
    CyclePhase phase() const { return phaseAt(sample()); }
    CyclePhase phaseAt(int sample) const;
    // The phase in words, with what moves the volume when both valves are
    // shut and it changes: "valves shut, volume falling: mitral regurgitation".
    QString phaseText() const { return phaseTextAt(sample()); }
    QString phaseTextAt(int sample) const;
    // A valve that never passes forward flow in the beat: "aortic valve
    // stays shut this beat"; empty when both open.
    QString shutValves() const;
    // The lessons' numbered point nearest in time, 1 to 5 (0 without a beat).
    int nearestPoint() const;
    // 1 for the first heart sound (mitral closure), 2 for the second (aortic
    // closure) while the cursor is within half a step of it; else 0.
    int heartSound() const;
    // The stop exactly at the cursor, or nullptr.
    const EventStop *stopHere() const;

    // Everything at the cursor, one line per kind, for the readout.
    QString readout() const;
    // "aortic valve opens, 80 mmHg, 120 ml".
    QString describeEvent(const EventStop &stop) const;

private:
    int sampleOf(double seconds) const;
    // What a move from sample `from` to the cursor tells: the events in
    // `passed` and a change of phase.
    QString tell(const std::vector<EventStop> &passed, const QString &before) const;
    std::vector<EventStop> stopsBetween(int from, int to) const; // from < k ≤ to, or to ≤ k < from

    const Beat *beat_ = nullptr;
    ValveEvents events_;
    std::vector<EventStop> stops_;
    std::vector<SamplePhase> phases_; // the model's, one per sample
    int diastasis_ = -1; // first sample of diastasis, -1 where there is none
    double time_ = 0;
};

} // namespace valthera::lab
