// The periodic beat as the fixed point of the beat map, by Newton's method
// with a forward-difference Jacobian kept fresh by Broyden's updates.

#include "model/physics.h"
#include "model/simulator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace valthera::model {

namespace {

using Vector = std::vector<double>;
using Matrix = std::vector<double>; // n×n, row-major

// The unknowns of the beat map: every compartment but one in the whole
// circulation (the systemic veins take what the others leave, so the total
// stays exact and the map is not singular along it); the ventricle and the
// arteries in the isolated heart.
std::vector<std::size_t> unknowns(ModelKind model)
{
    if (model == ModelKind::Heart)
        return {0, 1};
    return {0, 1, 3, 4, 5, 6};
}

// The systemic veins hold the rest of the circulation's blood.
void closeVolume(State &x, ModelKind model, double total)
{
    if (model != ModelKind::Circulation)
        return;
    double others = 0;
    for (std::size_t i = 0; i < kCompartmentCount; ++i)
        if (i != static_cast<std::size_t>(Compartment::SV))
            others += x[i];
    at(x, Compartment::SV) = total - others;
}

// A starting guess from the relations alone: typical resting pressures in
// every vessel, the ventricles filled on their diastolic curves, and the veins
// holding what is left.
State coldGuess(const Parameters &p)
{
    const CirculationConstants &k = kCirculation;
    State x{};
    const double T = beatPeriod(p[Param::HR]);
    const bool heart = p.model == ModelKind::Heart;
    const double fill = heart ? p[Param::Pla] : 12;
    const double edv = p[Param::V0] + std::log1p(fill / p[Param::A]) / p[Param::B];
    const double rOverT = p[Param::R] / T;
    const double map = (edv - p[Param::V0]) * rOverT / (1 + rOverT / p[Param::Ees]);
    at(x, Compartment::LV) = edv;
    at(x, Compartment::SA) = k.vuSa + p[Param::C] * 0.9 * map;
    if (heart)
        return x;
    at(x, Compartment::RV) = k.v0Rv + std::log1p(5 / k.aRv) / k.bRv;
    at(x, Compartment::PA) = k.vuPa + k.cPa * 15;
    at(x, Compartment::PV) = k.vuPv + k.cPv * 10;
    at(x, Compartment::LA) = k.v0La + 10 / k.elaPassive;
    closeVolume(x, p.model, circulatingVolume(p));
    return x;
}

double maxAbs(const Vector &v)
{
    double m = 0;
    for (double x : v)
        m = std::max(m, std::abs(x));
    return m;
}

// Solves J·dx = −r by Gaussian elimination with partial pivoting; false when singular.
bool solveLinear(Matrix J, Vector r, Vector &dx)
{
    const std::size_t n = r.size();
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t piv = c;
        for (std::size_t i = c + 1; i < n; ++i)
            if (std::abs(J[i * n + c]) > std::abs(J[piv * n + c]))
                piv = i;
        if (!(std::abs(J[piv * n + c]) > 1e-300))
            return false;
        if (piv != c) {
            for (std::size_t j = 0; j < n; ++j)
                std::swap(J[c * n + j], J[piv * n + j]);
            std::swap(r[c], r[piv]);
        }
        for (std::size_t i = c + 1; i < n; ++i) {
            const double f = J[i * n + c] / J[c * n + c];
            for (std::size_t j = c; j < n; ++j)
                J[i * n + j] -= f * J[c * n + j];
            r[i] -= f * r[c];
        }
    }
    dx.assign(n, 0);
    for (std::size_t c = n; c-- > 0;) {
        double s = -r[c];
        for (std::size_t j = c + 1; j < n; ++j)
            s -= J[c * n + j] * dx[j];
        dx[c] = s / J[c * n + c];
    }
    return std::all_of(dx.begin(), dx.end(), [](double v) { return std::isfinite(v); });
}

// The map over k beats is the one-beat map k times: its Jacobian is near
// (J + I)^k − I, a far better start than none.
Matrix cycleJacobian(const Matrix &J, std::size_t n, int cycle)
{
    Matrix step(n * n), power(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            step[i * n + j] = J[i * n + j] + (i == j ? 1 : 0);
    power = step;
    for (int b = 1; b < cycle; ++b) {
        Matrix next(n * n, 0);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t m = 0; m < n; ++m)
                for (std::size_t j = 0; j < n; ++j)
                    next[i * n + j] += power[i * n + m] * step[m * n + j];
        power = next;
    }
    for (std::size_t i = 0; i < n; ++i)
        power[i * n + i] -= 1;
    return power;
}

// Broyden's rank-one update of J with the step s taken and the residuals
// before (r) and after (rn) it.
void broydenUpdate(Matrix &J, const Vector &s, double ss, const Vector &r, const Vector &rn)
{
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        double y = rn[i] - r[i];
        for (std::size_t j = 0; j < n; ++j)
            y -= J[i * n + j] * s[j];
        for (std::size_t j = 0; j < n; ++j)
            J[i * n + j] += y * s[j] / ss;
    }
}

// The beat map on the solver's unknowns, F(x) − x, counting the beats it
// integrates; evaluations at iterates record their samples, so the
// confirming beat is also the one returned.
class BeatMap {
public:
    BeatMap(Simulator &sim, const Parameters &p, const State &start, Beat &recorded)
        : sim_(sim), p_(p), idx_(unknowns(p.model)), total_(circulatingVolume(p)), base_(start), recorded_(recorded)
    {
        closeVolume(base_, p.model, total_);
    }
    std::size_t size() const { return idx_.size(); }
    int beats() const { return beats_; }
    const State &base() const { return base_; }
    void rebase(const State &s) { base_ = s; }

    State toState(const Vector &u) const
    {
        State s = base_;
        for (std::size_t i = 0; i < idx_.size(); ++i)
            s[idx_[i]] = u[i];
        // Keep iterates where the model is meaningful: a ventricle holding
        // at least its unstressed volume.
        at(s, Compartment::LV) = std::max(at(s, Compartment::LV), p_[Param::V0] + 0.5);
        closeVolume(s, p_.model, total_);
        return s;
    }
    Vector fromState(const State &s) const
    {
        Vector u(idx_.size());
        for (std::size_t i = 0; i < idx_.size(); ++i)
            u[i] = s[idx_[i]];
        return u;
    }
    Vector residual(const Vector &u, bool record, State *end = nullptr)
    {
        ++beats_;
        const State s = toState(u);
        const State e = sim_.beat(p_, s, record ? &recorded_ : nullptr);
        if (end)
            *end = e;
        Vector r(idx_.size());
        for (std::size_t i = 0; i < idx_.size(); ++i)
            r[i] = e[idx_[i]] - s[idx_[i]];
        return r;
    }
    // The largest move of any compartment over a beat, the eliminated one
    // included: convergence is checked on every state.
    double fullResidual(const Vector &u, const Vector &r, const State &end) const
    {
        double m = maxAbs(r);
        const State s = toState(u);
        for (std::size_t i = 0; i < kCompartmentCount; ++i)
            if (p_.model == ModelKind::Circulation || i < 2)
                m = std::max(m, std::abs(end[i] - s[i]));
        return std::isfinite(m) ? m : std::numeric_limits<double>::infinity();
    }

private:
    Simulator &sim_;
    const Parameters &p_;
    std::vector<std::size_t> idx_;
    double total_;
    State base_;
    Beat &recorded_;
    int beats_ = 0;
};

// Where the solver stands: the unknowns, their residual, the state a beat
// from them reaches and the largest move of any compartment.
struct Iterate {
    Vector x, r;
    State end{};
    double size = 0;
};

// The forward-difference Jacobian of the beat map at the iterate.
void measureJacobian(BeatMap &map, const Iterate &it, Matrix &J)
{
    const std::size_t n = map.size();
    J.assign(n * n, 0);
    for (std::size_t j = 0; j < n; ++j) {
        const double d = 1e-3 * std::max(1.0, std::abs(it.x[j]) * 0.01);
        Vector xp = it.x;
        xp[j] += d;
        const Vector rp = map.residual(xp, false);
        for (std::size_t i = 0; i < n; ++i)
            J[i * n + j] = (rp[i] - it.r[i]) / d;
    }
}

// One Newton step from the iterate, capped, halved up to twice while it does
// not reduce the residual. A step that pays off well keeps J by Broyden's
// update; a slow one asks for it to be measured afresh (haveJ false).
// Returns whether the iterate moved.
bool newtonStep(BeatMap &map, Iterate &it, Matrix &J, bool &haveJ)
{
    constexpr double kMaxStep = 300; // ml per Newton step, on any compartment
    const std::size_t n = map.size();
    Vector dx;
    if (!solveLinear(J, it.r, dx))
        return false;
    const double big = maxAbs(dx);
    if (big > kMaxStep)
        for (double &v : dx)
            v *= kMaxStep / big;
    for (int tries = 0; tries < 3; ++tries) {
        Vector xn(n);
        for (std::size_t i = 0; i < n; ++i)
            xn[i] = it.x[i] + dx[i];
        xn = map.fromState(map.toState(xn));
        State endN;
        const Vector rn = map.residual(xn, true, &endN);
        const double sizeN = map.fullResidual(xn, rn, endN);
        if (sizeN < it.size) {
            const bool fast = sizeN < 0.25 * it.size;
            Vector s(n);
            double ss = 0;
            for (std::size_t i = 0; i < n; ++i) {
                s[i] = xn[i] - it.x[i];
                ss += s[i] * s[i];
            }
            if (fast && ss > 0)
                broydenUpdate(J, s, ss, it.r, rn);
            else
                haveJ = false;
            it = Iterate{xn, rn, endN, sizeN};
            return true;
        }
        for (double &v : dx)
            v /= 2;
    }
    return false;
}

// A plain beat: from where the last one ended, always towards the attracting
// periodic beat.
void plainBeat(BeatMap &map, Iterate &it)
{
    map.rebase(it.end);
    it.x = map.fromState(it.end);
    it.r = map.residual(it.x, true, &it.end);
    it.size = map.fullResidual(it.x, it.r, it.end);
}

} // namespace

SteadyState Simulator::steady(const Parameters &p, std::optional<State> warm)
{
    prepare(p[Param::HR]);
    SteadyState result;
    result.parameters = p;
    BeatMap map(*this, p, warm ? *warm : coldGuess(p), result.beat);
    const std::size_t n = map.size();

    Iterate it;
    it.x = map.fromState(map.toState(map.fromState(map.base())));
    it.r = map.residual(it.x, true, &it.end);
    it.size = map.fullResidual(it.x, it.r, it.end);

    // Newton on G(x) = F(x) − x. The valve switches make F only piecewise
    // smooth, so a step that does not reduce the residual is halved, and if
    // halving does not help either, a plain beat is taken.
    constexpr int kNewtonBeatBudget = 200;
    constexpr int kMaxBeats = 3000;
    std::vector<double> &J = jacobian_;
    const int cycle = cycleBeats(p);
    bool haveJ = warm && J.size() == n * n && jacobianModel_ == p.model;
    if (haveJ && jacobianBeats_ != cycle) {
        haveJ = jacobianBeats_ == 1;
        if (haveJ) {
            J = cycleJacobian(J, n, cycle);
            jacobianBeats_ = cycle;
        }
    }
    while (it.size >= kSteadyTolerance && map.beats() < kNewtonBeatBudget) {
        if (!haveJ) {
            measureJacobian(map, it, J);
            haveJ = true;
            jacobianModel_ = p.model;
            jacobianBeats_ = cycle;
        }
        if (!newtonStep(map, it, J, haveJ)) {
            plainBeat(map, it);
            haveJ = false;
        }
    }
    // Settle any remainder beat by beat.
    while (it.size >= kSteadyTolerance && map.beats() < kMaxBeats && std::isfinite(it.size))
        plainBeat(map, it);
    result.start = map.toState(it.x);
    result.beats = map.beats();
    result.converged = it.size < kSteadyTolerance;
    if (!haveJ)
        J.clear();
    return result;
}

} // namespace valthera::model
