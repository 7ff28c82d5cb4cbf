#include "model/physics.h"

#include <algorithm>
#include <cmath>

namespace valthera::lab {

namespace {

// Simplified Bernoulli: ΔP = 4v² with v in m/s; for a flow Q (ml/s) through
// an area A (cm²), v = Q/(100·A), so ΔP = Q²/(2500·A²).
double bernoulli(double area)
{
    return 1.0 / (2500.0 * area * area);
}

} // namespace

Physics::Physics(const Parameters &p)
    : model(p.model)
    , ees(p[Param::Ees])
    , v0(p[Param::V0])
    , a(p[Param::A])
    , b(p[Param::B])
    , pla(p[Param::Pla])
    , rMitral(p[Param::Rmv])
    , kMitral(bernoulli(p[Param::MVA]))
    , rAortic(kCirculation.rAorticValve + p[Param::Zc])
    , kAortic(bernoulli(p[Param::AVA]))
    , gMr(50 * p[Param::MROA])
    , gAr(50 * p[Param::AROA])
    , zc(p[Param::Zc])
    , r(p[Param::R])
    , c(p[Param::C])
    , invR(1 / r)
    , invC(1 / c)
{
}

double forwardFlow(double dp, double r, double k)
{
    if (dp <= 0)
        return 0;
    // The positive root of k·Q² + r·Q − ΔP, in the form that stays exact for small k.
    return 2 * dp / (r + std::sqrt(r * r + 4 * k * dp));
}

double backwardFlow(double dp, double g)
{
    if (dp >= 0 || g == 0)
        return 0;
    return g * dp / std::sqrt(-dp + kOrificeSmoothing);
}

double lvPressure(const Physics &ph, double e, double V)
{
    const double dv = V - ph.v0;
    return e * ph.ees * dv + (1 - e) * ph.a * (std::exp(ph.b * dv) - 1);
}

Instant evaluate(const Physics &ph, double e, double ea, const State &x, double venousFactor)
{
    const CirculationConstants &k = kCirculation;
    // Divisions by constants are written as products with their inverses:
    // this runs four times a step.
    constexpr double invCSv = 1 / k.cSv, invCPa = 1 / k.cPa, invCPv = 1 / k.cPv;
    constexpr double gVenousReturn = 1 / k.rVenousReturn, gPulmonaryValve = 1 / k.rPulmonaryValve;
    constexpr double gPulmonary = 1 / k.rPulmonary, gPulmonaryVeins = 1 / k.rPulmonaryVeins;
    Instant in{};
    in.Plv = lvPressure(ph, e, at(x, Compartment::LV));
    in.Pc = (at(x, Compartment::SA) - k.vuSa) * ph.invC;
    if (ph.model == ModelKind::Heart) {
        in.Pla = ph.pla * venousFactor;
    } else {
        const double vla = at(x, Compartment::LA) - k.v0La;
        in.Pla = (k.elaPassive + ea * k.elaActive) * vla;
        const double dvr = at(x, Compartment::RV) - k.v0Rv;
        in.Prv = e * k.eesRv * dvr + (1 - e) * k.aRv * (std::exp(k.bRv * dvr) - 1);
        in.Pra = (at(x, Compartment::SV) - k.vuSv) * invCSv;
        in.Ppa = (at(x, Compartment::PA) - k.vuPa) * invCPa;
        in.Ppv = (at(x, Compartment::PV) - k.vuPv) * invCPv;
        // The venous return and the pulmonary valve pass forward flow only,
        // through a plain resistance.
        in.Qtv = venousFactor * std::max(0.0, in.Pra - in.Prv) * gVenousReturn;
        in.Qpv = std::max(0.0, in.Prv - in.Ppa) * gPulmonaryValve;
        in.Qpulm = (in.Ppa - in.Ppv) * gPulmonary;
        in.Qpvla = (in.Ppv - in.Pla) * gPulmonaryVeins;
    }
    const double dMitral = in.Pla - in.Plv;
    in.Qmv = forwardFlow(dMitral, ph.rMitral, ph.kMitral) + backwardFlow(dMitral, ph.gMr);
    const double dAortic = in.Plv - in.Pc;
    in.Qav = forwardFlow(dAortic, ph.rAortic, ph.kAortic) + backwardFlow(dAortic, ph.gAr);
    in.Pao = in.Pc + ph.zc * in.Qav;
    in.Qsys = (in.Pc - in.Pra) * ph.invR;
    return in;
}

void rates(const Physics &ph, const Instant &in, State &d)
{
    d = {};
    at(d, Compartment::LV) = in.Qmv - in.Qav;
    at(d, Compartment::SA) = in.Qav - in.Qsys;
    if (ph.model == ModelKind::Heart)
        return;
    at(d, Compartment::SV) = in.Qsys - in.Qtv;
    at(d, Compartment::RV) = in.Qtv - in.Qpv;
    at(d, Compartment::PA) = in.Qpv - in.Qpulm;
    at(d, Compartment::PV) = in.Qpulm - in.Qpvla;
    at(d, Compartment::LA) = in.Qpvla - in.Qmv;
}

} // namespace valthera::lab
