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

namespace {

// The devices empty into the arterial compliance, downstream of Zc; the
// pumps' inlets see the ventricle's pressure.
void devices(const Physics &ph, const State &x, Instant &in)
{
    const DeviceConstants &d = kDevices;
    const double dp = in.Pc - in.Plv;
    // Forward flow from the ventricle starves as it nears its unstressed volume.
    const double room = (at(x, Compartment::LV) - ph.v0) / d.suctionVolume;
    const double inflow = std::clamp(room, 0.0, 1.0);
    if (ph.axialHead > 0) {
        // The axial pump's curve is taken for forward flow only: it does not
        // run backwards at the model's pressures.
        in.Qaxial = std::max(0.0, pumpFlow(ph.axialHead, dp, d.axialK1, d.axialK2)) * inflow;
        in.suction = room < 1;
    }
    if (ph.lvadHead > 0) {
        // A centrifugal pump at low speed passes flow backwards in diastole.
        const double q = pumpFlow(ph.lvadHead, dp, d.lvadK1, d.lvadK2);
        in.Qlvad = q > 0 ? q * inflow : q;
        in.suction = in.suction || (q > 0 && room < 1);
    }
    if (ph.ecmoFlow > 0) {
        const double drain = std::clamp(in.Pra / d.drainagePressure, 0.0, 1.0);
        in.Qecmo = ph.ecmoFlow * drain;
        in.drainageLimited = drain < 1;
    }
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
    , axialHead(p[Param::Axial] > 0 ? kDevices.axialH0 * std::pow(p[Param::Axial] / kDevices.axialNref, 2) : 0)
    , lvadHead(p[Param::LVAD] > 0 ? kDevices.lvadH0 * std::pow(p[Param::LVAD] / kDevices.lvadNref, 2) : 0)
    , ecmoFlow(p[Param::ECMO] * 1000 / 60)
{
}

double pumpFlow(double h0, double dp, double k1, double k2)
{
    const double h = h0 - dp;
    const double q = 2 * std::abs(h) / (k1 + std::sqrt(k1 * k1 + 4 * k2 * std::abs(h)));
    return h >= 0 ? q : -q;
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

Instant evaluate(const Physics &ph, double e, double ea, const State &x, double venousFactor, double balloon)
{
    const CirculationConstants &k = kCirculation;
    // Divisions by constants are written as products with their inverses:
    // this runs four times a step.
    constexpr double invCSv = 1 / k.cSv, invCPa = 1 / k.cPa, invCPv = 1 / k.cPv;
    constexpr double gVenousReturn = 1 / k.rVenousReturn, gPulmonaryValve = 1 / k.rPulmonaryValve;
    constexpr double gPulmonary = 1 / k.rPulmonary, gPulmonaryVeins = 1 / k.rPulmonaryVeins;
    Instant in{};
    in.Plv = lvPressure(ph, e, at(x, Compartment::LV));
    in.Pc = (at(x, Compartment::SA) + balloon - k.vuSa) * ph.invC;
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
    if (ph.axialHead > 0 || ph.lvadHead > 0 || ph.ecmoFlow > 0)
        devices(ph, x, in);
    return in;
}

void rates(const Physics &ph, const Instant &in, State &d)
{
    d = {};
    at(d, Compartment::LV) = in.Qmv - in.Qav - in.Qaxial - in.Qlvad;
    at(d, Compartment::SA) = in.Qav + in.Qaxial + in.Qlvad + in.Qecmo - in.Qsys;
    if (ph.model == ModelKind::Heart)
        return;
    at(d, Compartment::SV) = in.Qsys - in.Qtv - in.Qecmo;
    at(d, Compartment::RV) = in.Qtv - in.Qpv;
    at(d, Compartment::PA) = in.Qpv - in.Qpulm;
    at(d, Compartment::PV) = in.Qpulm - in.Qpvla;
    at(d, Compartment::LA) = in.Qpvla - in.Qmv;
}

} // namespace valthera::lab
