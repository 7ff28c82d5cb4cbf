#include "lab/labsession.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <future>

namespace valthera::lab {

using namespace valthera::model;

namespace {

double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Adding zero turns a rounded -0 into 0, so no readout shows "-0".
    return std::round(value * scale) / scale + 0.0;
}

// Fractions (EF, the atrial share, the regurgitant fraction) have no unit in
// the model and are shown in per cent.
bool isFraction(Measure m)
{
    return info(m).unit.empty() && !info(m).flag;
}

// The value in the readout's own unit.
double shown(Measure m, double value)
{
    return isFraction(m) ? value * 100 : value;
}

QString number(double value, int decimals)
{
    return QString::number(roundTo(value, decimals), 'f', decimals);
}

struct NamedPoint {
    int sample;
    const char *name;
};

// Every session's first beat when solved ahead, with the simulator that
// solved it, whose kept Jacobian the session's next solve starts from.
struct FirstBeat {
    Simulator simulator;
    SteadyState steady;
};

std::shared_future<FirstBeat> &firstBeatAhead()
{
    static std::shared_future<FirstBeat> ahead;
    return ahead;
}

} // namespace

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString formatParameter(Param p, double value)
{
    const ParamInfo &i = info(p);
    return number(value, i.decimals) + QLatin1Char(' ') + toQString(i.unit);
}

LabSession::LabSession()
{
    // The same simulator from the same start gives the same beat, to the bit.
    if (const std::shared_future<FirstBeat> &ahead = firstBeatAhead();
        ahead.valid() && ahead.get().steady.parameters == parameters_) {
        simulator_ = ahead.get().simulator;
        current_ = ahead.get().steady;
        tookSteady();
    } else {
        solve();
    }
    keepBaseline();
}

void LabSession::solveFirstBeatAhead()
{
    std::shared_future<FirstBeat> &ahead = firstBeatAhead();
    if (ahead.valid())
        return;
    ahead = std::async(std::launch::async, [] {
        FirstBeat first;
        first.steady = first.simulator.steady(Parameters());
        return first;
    }).share();
}

bool LabSession::setParameter(Param p, double value)
{
    const ParamInfo &i = info(p);
    // A device between off and its lowest speed goes to whichever the
    // student was moving towards.
    value = toSetting(i, roundTo(std::clamp(value, i.min, i.max), i.decimals), parameters_[p]);
    if (parameters_[p] == value)
        return false;
    // The first device switched on is seen against the loop without it.
    if (i.support && !deviceOn(parameters_) && value != i.min && parameters_.model == ModelKind::Circulation &&
        p != Param::IABPvol)
        keepBaseline();
    parameters_[p] = value;
    occlusion_.reset();
    return true;
}

void LabSession::setParameters(const Parameters &parameters)
{
    setModel(parameters.model);
    for (const ParamInfo &i : parameterTable())
        setParameter(i.id, parameters[i.id]);
}

const Preset *LabSession::matchingPreset() const
{
    for (const Preset &preset : presets()) {
        if (preset.parameters(model()) == parameters_)
            return &preset;
    }
    return nullptr;
}

void LabSession::update()
{
    if (stale())
        solve();
}

void LabSession::setModel(ModelKind model)
{
    if (model == this->model())
        return;
    parameters_ = Parameters(model);
    occlusion_.reset();
    update();
    previous_.reset();
    transient_.reset();
    transientBeat_ = 0;
    keepBaseline();
}

const Transient *LabSession::transient()
{
    update();
    if (!previous_)
        return nullptr;
    if (!transient_)
        transient_ = simulator_.transient(*previous_, parameters_);
    return &*transient_;
}

bool LabSession::startTransient()
{
    transientBeat_ = transient() && !transient_->beats.empty() ? 1 : 0;
    return transientBeat_ > 0;
}

bool LabSession::advanceTransient()
{
    if (transientBeat_ <= 0)
        return false;
    if (++transientBeat_ > transientLength())
        transientBeat_ = 0;
    return transientBeat_ > 0;
}

const Beat &LabSession::shownBeat() const
{
    if (transientBeat_ > 0 && transient_ && transientBeat_ <= transientLength())
        return transient_->beats[static_cast<std::size_t>(transientBeat_ - 1)];
    return current_.beat;
}

void LabSession::solve()
{
    // The last steady beat is a close guess for a nearby one in the same
    // model: a few beats instead of dozens.
    std::optional<State> warm;
    const bool sameModel = solves_ > 0 && current_.parameters.model == parameters_.model;
    if (sameModel) {
        warm = current_.start;
        previous_ = current_;
    } else {
        previous_.reset();
    }
    transient_.reset();
    transientBeat_ = 0;
    current_ = simulator_.steady(parameters_, warm);
    tookSteady();
}

void LabSession::tookSteady()
{
    measures_ = measure(current_);
    events_ = valveEvents(current_.beat);
    ++solves_;
}

QString LabSession::baselineName() const
{
    return baseline_.parameters == Parameters(model()) ? QStringLiteral("Control") : QStringLiteral("Kept loop");
}

void LabSession::keepBaseline()
{
    update();
    baseline_ = current_;
    baselineMeasures_ = measures_;
}

void LabSession::reset()
{
    setParameters(Parameters(model()));
    update();
    previous_.reset();
    transient_.reset();
    transientBeat_ = 0;
    keepBaseline();
}

void LabSession::runOcclusion()
{
    update();
    occlusion_ = simulator_.occlude(current_);
}

int LabSession::readoutDecimals(Measure m)
{
    const MeasureInfo &i = info(m);
    if (isFraction(m))
        return 0;
    if (i.unit == "ml" || i.unit == "mmHg")
        return 0;
    return i.decimals;
}

QString LabSession::unitOf(Measure m)
{
    return isFraction(m) ? QStringLiteral("%") : toQString(info(m).unit);
}

QString LabSession::formatValue(Measure m, double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("–");
    if (info(m).flag)
        return value > 0 ? QStringLiteral("YES") : QStringLiteral("no");
    return number(shown(m, value), readoutDecimals(m)) + QLatin1Char(' ') + unitOf(m);
}

namespace {

// The change as the two readouts show it, so the delta always agrees with them.
double shownChange(Measure m, double value, double baseline)
{
    const int d = LabSession::readoutDecimals(m);
    return roundTo(roundTo(shown(m, value), d) - roundTo(shown(m, baseline), d), d);
}

} // namespace

QString LabSession::formatDelta(Measure m, double value, double baseline)
{
    if (!std::isfinite(value) || !std::isfinite(baseline))
        return {};
    if (info(m).flag)
        return (value > 0) == (baseline > 0) ? QString()
            : value > 0                      ? QStringLiteral("raised")
                                             : QStringLiteral("cleared");
    const double change = shownChange(m, value, baseline);
    if (change == 0)
        return {};
    return (change > 0 ? QStringLiteral("▲ ") : QStringLiteral("▼ ")) + number(std::abs(change), readoutDecimals(m));
}

QString LabSession::describeDelta(Measure m, double value, double baseline)
{
    if (!std::isfinite(value) || !std::isfinite(baseline))
        return {};
    if (info(m).flag && (value > 0) != (baseline > 0))
        return value > 0 ? QStringLiteral("raised, not in the baseline")
                         : QStringLiteral("cleared, raised in the baseline");
    const double change = shownChange(m, value, baseline);
    if (change == 0)
        return QStringLiteral("same as baseline");
    const QString unit = isFraction(m) ? QStringLiteral("percentage points") : unitOf(m);
    return (change > 0 ? QStringLiteral("up ") : QStringLiteral("down ")) +
        number(std::abs(change), readoutDecimals(m)) + QLatin1Char(' ') + unit;
}

QString LabSession::eesFit() const
{
    if (!occlusion_)
        return {};
    return number(occlusion_->eesFit, 2) + QStringLiteral(" mmHg/ml");
}

QString LabSession::v0Fit() const
{
    if (!occlusion_)
        return {};
    return number(occlusion_->v0Fit, 0) + QStringLiteral(" ml");
}

QString LabSession::report() const
{
    QStringList lines;
    const Preset *preset = matchingPreset();
    lines << QStringLiteral("Loop Lab, %1: %2")
                 .arg(toQString(modelName(model())), preset ? toQString(preset->name) : QStringLiteral("own settings"));
    for (const ParamInfo &i : parameterTable())
        if (appliesTo(i, model()))
            lines << toQString(i.label) + QLatin1Char('\t') + formatParameter(i.id, parameters_[i.id]);
    lines << QString();
    lines << QStringLiteral("Measure\tValue\tBaseline\tChange");
    for (const MeasureInfo &i : measureTable()) {
        if (i.circulationOnly && model() == ModelKind::Heart)
            continue;
        lines << QStringLiteral("%1 (%2)\t%3\t%4\t%5")
                     .arg(toQString(i.name), toQString(i.meaning), value(i.id),
                         formatValue(i.id, baselineMeasures_[i.id]), deltaDescription(i.id));
    }
    if (occlusion_) {
        lines << QStringLiteral("Ees from occlusion\t%1").arg(eesFit());
        lines << QStringLiteral("V0 from occlusion\t%1").arg(v0Fit());
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString LabSession::describeLoop() const
{
    const auto v = [this](Measure m) { return value(m); };
    QString text =
        QStringLiteral("Current loop: end-diastolic volume %1, end-systolic volume %2, stroke volume %3, "
                       "end-diastolic pressure %4, end-systolic pressure %5, peak aortic pressure %6.")
            .arg(v(Measure::EDV), v(Measure::ESV), v(Measure::SV), v(Measure::EDP), v(Measure::ESP), v(Measure::SBP));
    const std::array<NamedPoint, 5> points{{
        {events_.mitralClose, "Point 1, end of diastole: the mitral valve closes"},
        {events_.aorticOpen, "Point 2: the aortic valve opens"},
        {events_.peakPressure, "Point 3: peak ventricular pressure"},
        {events_.aorticClose, "Point 4, end of systole: the aortic valve closes"},
        {events_.mitralOpen, "Point 5: the mitral valve opens"},
    }};
    const auto &samples = current_.beat.samples;
    for (const NamedPoint &point : points) {
        if (point.sample < 0 || point.sample >= static_cast<int>(samples.size()))
            continue;
        const Sample &s = samples[static_cast<std::size_t>(point.sample)];
        text += QStringLiteral(" %1 at %2 ml, %3 mmHg.")
                    .arg(QString::fromUtf8(point.name), number(s.V, 0), number(s.Plv, 0));
    }
    if (!(baseline_.parameters == current_.parameters)) {
        text += QStringLiteral(" Baseline loop: end-diastolic volume %1, end-systolic volume %2, end-systolic "
                               "pressure %3.")
                    .arg(formatValue(Measure::EDV, baselineMeasures_[Measure::EDV]),
                        formatValue(Measure::ESV, baselineMeasures_[Measure::ESV]),
                        formatValue(Measure::ESP, baselineMeasures_[Measure::ESP]));
    }
    if (occlusion_) {
        text += QStringLiteral(" Occlusion run: %1 beats shrinking leftwards; the line through their end-systolic "
                               "points has slope %2 and meets zero pressure at %3.")
                    .arg(occlusion_->beats.size())
                    .arg(eesFit(), v0Fit());
    }
    return text;
}

} // namespace valthera::lab
