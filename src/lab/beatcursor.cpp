#include "lab/beatcursor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace valthera::lab {

using namespace valthera::model;

namespace {

// Whether k lies in [from, to) walking forward round the periodic beat.
bool inCycle(int k, int from, int to, int n)
{
    if (from < 0 || to < 0 || from == to)
        return false;
    const int span = ((to - from) % n + n) % n;
    const int offset = ((k - from) % n + n) % n;
    return offset < span;
}

QString whole(double value)
{
    const QString text = QString::number(value, 'f', 0);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// The numbered points as the lessons name them.
constexpr std::array<const char *, 5> kPointNames{
    "mitral valve closes", "aortic valve opens", "peak pressure", "aortic valve closes", "mitral valve opens"};

} // namespace

QString phaseName(CyclePhase phase)
{
    switch (phase) {
    case CyclePhase::Filling:
        return QStringLiteral("filling");
    case CyclePhase::EarlyFilling:
        return QStringLiteral("early filling");
    case CyclePhase::Diastasis:
        return QStringLiteral("diastasis");
    case CyclePhase::AtrialContraction:
        return QStringLiteral("atrial contraction");
    case CyclePhase::IsovolumicContraction:
        return QStringLiteral("isovolumic contraction");
    case CyclePhase::Ejection:
        return QStringLiteral("ejection");
    case CyclePhase::IsovolumicRelaxation:
        return QStringLiteral("isovolumic relaxation");
    case CyclePhase::ValvesShutVolumeChanging:
        return QStringLiteral("valves shut, volume changing");
    }
    return {};
}

QChar segmentLetter(CyclePhase phase)
{
    switch (phase) {
    case CyclePhase::IsovolumicContraction:
        return QLatin1Char('F');
    case CyclePhase::Ejection:
        return QLatin1Char('G');
    case CyclePhase::IsovolumicRelaxation:
        return QLatin1Char('H');
    case CyclePhase::ValvesShutVolumeChanging:
        return {};
    default:
        return QLatin1Char('E'); // every kind of filling
    }
}

QString eventName(BeatEvent event)
{
    switch (event) {
    case BeatEvent::MitralCloses:
        return QStringLiteral("mitral valve closes");
    case BeatEvent::AorticOpens:
        return QStringLiteral("aortic valve opens");
    case BeatEvent::AorticCloses:
        return QStringLiteral("aortic valve closes");
    case BeatEvent::MitralOpens:
        return QStringLiteral("mitral valve opens");
    case BeatEvent::AtrialContraction:
        return QStringLiteral("atrial contraction begins");
    }
    return {};
}

void BeatCursor::setBeat(const Beat &beat)
{
    beat_ = &beat;
    events_ = valveEvents(beat);
    phases_ = beatPhases(beat);
    stops_.clear();
    diastasis_ = -1;
    const auto &s = beat.samples;
    const int n = static_cast<int>(s.size());
    if (n == 0) {
        time_ = 0;
        return;
    }
    for (const auto &[event, k] :
        std::array<std::pair<BeatEvent, int>, 5>{{{BeatEvent::MitralCloses, events_.mitralClose},
            {BeatEvent::AorticOpens, events_.aorticOpen}, {BeatEvent::AorticCloses, events_.aorticClose},
            {BeatEvent::MitralOpens, events_.mitralOpen}, {BeatEvent::AtrialContraction, events_.atrialOnset}}}) {
        if (k >= 0)
            stops_.push_back({event, k});
    }
    std::stable_sort(
        stops_.begin(), stops_.end(), [](const EventStop &a, const EventStop &b) { return a.sample < b.sample; });

    // Diastasis: after the early inflow's peak, once the flow has fallen to
    // a small share of it, up to the atrium's contraction (or the end of
    // filling). A fast heart fills without one.
    const int open = events_.mitralOpen, close = events_.mitralClose;
    if (open >= 0 && close >= 0) {
        const int atrial = events_.atrialOnset;
        const int end = inCycle(atrial, open, close, n) ? atrial : close;
        const int length = ((end - open) % n + n) % n;
        int peak = open;
        for (int i = 0; i < length; ++i) {
            const int k = (open + i) % n;
            if (s[static_cast<std::size_t>(k)].Qmv > s[static_cast<std::size_t>(peak)].Qmv)
                peak = k;
        }
        const double threshold = kDiastasisShare * s[static_cast<std::size_t>(peak)].Qmv;
        for (int i = ((peak - open) % n + n) % n; i < length; ++i) {
            const int k = (open + i) % n;
            if (s[static_cast<std::size_t>(k)].Qmv < threshold) {
                diastasis_ = k;
                break;
            }
        }
    }
    time_ = std::clamp(time_, 0.0, endTime());
}

int BeatCursor::sampleOf(double seconds) const
{
    if (!hasBeat())
        return -1;
    const int n = static_cast<int>(beat_->samples.size());
    return std::clamp(static_cast<int>(std::lround(seconds / beat_->step)), 0, n - 1);
}

int BeatCursor::sample() const
{
    return sampleOf(time_);
}

double BeatCursor::endTime() const
{
    return hasBeat() ? static_cast<double>(beat_->samples.size() - 1) * beat_->step : 0;
}

CyclePhase BeatCursor::phaseAt(int k) const
{
    if (!hasBeat() || k < 0 || static_cast<std::size_t>(k) >= phases_.size())
        return CyclePhase::Filling;
    switch (phases_[static_cast<std::size_t>(k)].phase) {
    case Phase::IsovolumicContraction:
        return CyclePhase::IsovolumicContraction;
    case Phase::Ejection:
        return CyclePhase::Ejection;
    case Phase::IsovolumicRelaxation:
        return CyclePhase::IsovolumicRelaxation;
    case Phase::ValvesShutVolumeChanging:
        return CyclePhase::ValvesShutVolumeChanging;
    case Phase::Filling:
        break;
    }
    // True filling, told apart by the events around it.
    const int n = static_cast<int>(beat_->samples.size());
    const int k1 = events_.mitralClose, k5 = events_.mitralOpen;
    if (k1 < 0 || k5 < 0)
        return CyclePhase::Filling;
    const int atrial = inCycle(events_.atrialOnset, k5, k1, n) ? events_.atrialOnset : -1;
    if (atrial >= 0 && inCycle(k, atrial, k1, n))
        return CyclePhase::AtrialContraction;
    if (diastasis_ >= 0 && inCycle(k, diastasis_, atrial >= 0 ? atrial : k1, n))
        return CyclePhase::Diastasis;
    return diastasis_ >= 0 || atrial >= 0 ? CyclePhase::EarlyFilling : CyclePhase::Filling;
}

QString BeatCursor::phaseTextAt(int k) const
{
    const CyclePhase p = phaseAt(k);
    if (p != CyclePhase::ValvesShutVolumeChanging)
        return phaseName(p);
    return QString::fromUtf8(valthera::model::phaseText(phases_[static_cast<std::size_t>(k)]));
}

QString BeatCursor::shutValves() const
{
    if (!hasBeat())
        return {};
    const auto &s = beat_->samples;
    const bool mitral = std::any_of(s.begin(), s.end(), [](const Sample &x) { return x.Qmv > 0; });
    const bool aortic = std::any_of(s.begin(), s.end(), [](const Sample &x) { return x.Qav > 0; });
    if (mitral && aortic)
        return {};
    if (!mitral && !aortic)
        return QStringLiteral("mitral and aortic valves stay shut this beat");
    return mitral ? QStringLiteral("aortic valve stays shut this beat")
                  : QStringLiteral("mitral valve stays shut this beat");
}

int BeatCursor::nearestPoint() const
{
    if (!hasBeat())
        return 0;
    const int n = static_cast<int>(beat_->samples.size());
    const int k = sample();
    const std::array<int, 5> points{
        events_.mitralClose, events_.aorticOpen, events_.peakPressure, events_.aorticClose, events_.mitralOpen};
    int best = 0, bestDistance = n + 1;
    for (int i = 0; i < 5; ++i) {
        if (points[static_cast<std::size_t>(i)] < 0)
            continue;
        const int d = std::abs(k - points[static_cast<std::size_t>(i)]);
        const int distance = std::min(d, n - d);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i + 1;
        }
    }
    return best;
}

int BeatCursor::heartSound() const
{
    if (!hasBeat())
        return 0;
    const auto near = [this](int k) {
        const double d = time_ - timeOf(*beat_, k);
        return k >= 0 && d >= -kStep / 2 && d < kStep / 2;
    };
    if (near(events_.mitralClose))
        return 1;
    if (near(events_.aorticClose))
        return 2;
    return 0;
}

const EventStop *BeatCursor::stopHere() const
{
    const int k = sample();
    const auto it = std::find_if(stops_.begin(), stops_.end(), [k](const EventStop &e) { return e.sample == k; });
    return it == stops_.end() ? nullptr : &*it;
}

QString BeatCursor::describeEvent(const EventStop &stop) const
{
    const Sample &s = beat_->samples[static_cast<std::size_t>(stop.sample)];
    // The atrium's contraction is felt in its own pressure; a valve moves at the ventricle's.
    const double pressure = stop.event == BeatEvent::AtrialContraction ? s.Pla : s.Plv;
    QString text = QStringLiteral("%1, %2 mmHg, %3 ml").arg(eventName(stop.event), whole(pressure), whole(s.V));
    if (stop.event == BeatEvent::MitralCloses)
        text += QStringLiteral(", first heart sound");
    else if (stop.event == BeatEvent::AorticCloses)
        text += QStringLiteral(", second heart sound");
    return text;
}

std::vector<EventStop> BeatCursor::stopsBetween(int from, int to) const
{
    std::vector<EventStop> passed;
    for (const EventStop &e : stops_) {
        if (from < to ? (e.sample > from && e.sample <= to) : (e.sample >= to && e.sample < from))
            passed.push_back(e);
    }
    if (to < from)
        std::reverse(passed.begin(), passed.end()); // in the order the cursor met them
    return passed;
}

QString BeatCursor::tell(const std::vector<EventStop> &passed, const QString &before) const
{
    if (!hasBeat())
        return {};
    QStringList parts;
    for (const EventStop &e : passed)
        parts << describeEvent(e);
    if (const QString now = phaseText(); now != before)
        parts << now;
    return capitalised(parts.join(QStringLiteral("; ")));
}

QString BeatCursor::stepBy(double seconds)
{
    if (!hasBeat())
        return {};
    const QString before = phaseText();
    const int from = sample();
    time_ = std::clamp(time_ + seconds, 0.0, endTime());
    return tell(stopsBetween(from, sample()), before);
}

QString BeatCursor::jumpTo(double seconds)
{
    if (!hasBeat())
        return {};
    const QString before = phaseText();
    time_ = std::clamp(seconds, 0.0, endTime());
    std::vector<EventStop> landed;
    if (const EventStop *here = stopHere())
        landed.push_back(*here);
    return tell(landed, before);
}

QString BeatCursor::nextEvent()
{
    const int k = sample();
    const auto it = std::find_if(stops_.begin(), stops_.end(), [k](const EventStop &e) { return e.sample > k; });
    return it == stops_.end() ? QString() : jumpTo(timeOf(*beat_, it->sample));
}

QString BeatCursor::previousEvent()
{
    const int k = sample();
    const auto it = std::find_if(stops_.rbegin(), stops_.rend(), [k](const EventStop &e) { return e.sample < k; });
    return it == stops_.rend() ? QString() : jumpTo(timeOf(*beat_, it->sample));
}

QString BeatCursor::advance(double seconds, const std::function<void()> &atBeatEnd)
{
    if (!hasBeat() || seconds <= 0)
        return {};
    const QString before = phaseText();
    std::vector<EventStop> passed;
    int from = sample();
    double t = time_ + seconds;
    while (hasBeat() && t >= beat_->period) {
        const std::vector<EventStop> rest = stopsBetween(from, static_cast<int>(beat_->samples.size()) - 1);
        passed.insert(passed.end(), rest.begin(), rest.end());
        t -= beat_->period;
        time_ = 0;
        if (atBeatEnd)
            atBeatEnd();
        from = -1;
    }
    if (!hasBeat())
        return {};
    time_ = std::min(t, endTime());
    const std::vector<EventStop> rest = stopsBetween(from, sample());
    passed.insert(passed.end(), rest.begin(), rest.end());
    return tell(passed, before);
}

QString BeatCursor::readout() const
{
    if (!hasBeat())
        return {};
    const Sample &s = beat_->samples[static_cast<std::size_t>(sample())];
    const CyclePhase p = phase();
    const auto letter = [](BeatEvent e) -> QString {
        switch (e) {
        case BeatEvent::MitralCloses:
            return QStringLiteral("A, point 1");
        case BeatEvent::AorticOpens:
            return QStringLiteral("B, point 2");
        case BeatEvent::AorticCloses:
            return QStringLiteral("C, point 4");
        case BeatEvent::MitralOpens:
            return QStringLiteral("D, point 5");
        case BeatEvent::AtrialContraction:
            break;
        }
        return {};
    };
    QString where;
    if (const EventStop *here = stopHere()) {
        const QString tag = letter(here->event);
        where = capitalised(eventName(here->event)) + (tag.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(tag));
    } else if (const int point = nearestPoint(); point > 0) {
        where = QStringLiteral("Nearest point %1: %2")
                    .arg(point)
                    .arg(QString::fromLatin1(kPointNames[static_cast<std::size_t>(point - 1)]));
    }
    QStringList lines;
    const QChar segment = segmentLetter(p);
    lines << QStringLiteral("%1 ms of %2 · %3%4")
                 .arg(whole(time_ * 1000), whole(beat_->period * 1000), capitalised(phaseText()),
                     segment.isNull() ? QString() : QStringLiteral(", segment %1").arg(segment));
    lines << where;
    lines << QStringLiteral("V %1 ml · LV %2 · aortic %3 · atrial %4 mmHg")
                 .arg(whole(s.V), whole(s.Plv), whole(s.Pao), whole(s.Pla));
    lines << QStringLiteral("Mitral flow %1 · aortic flow %2 ml/s").arg(whole(s.Qmv), whole(s.Qav));
    // A valve that never opens is said so once, in place of "shut".
    const QString never = shutValves();
    const auto state = [&](double flow, const char *valve) {
        if (flow > 0)
            return QStringLiteral("open");
        return never.contains(QLatin1String(valve)) ? QStringLiteral("stays shut this beat") : QStringLiteral("shut");
    };
    QString valves = QStringLiteral("Mitral valve %1 · aortic valve %2").arg(state(s.Qmv, "mitral"), state(s.Qav, "aortic"));
    if (const int sound = heartSound(); sound > 0)
        valves += sound == 1 ? QStringLiteral(" · first heart sound") : QStringLiteral(" · second heart sound");
    lines << valves;
    return lines.join(QLatin1Char('\n'));
}

} // namespace valthera::lab
