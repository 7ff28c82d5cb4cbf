#pragma once
// The chambers, vessels and valves of both models: pressures from volumes,
// flows from pressures, and the rate of change of every volume. Everything
// here is a plain function of the instant's activations and volumes, so the
// integrator, the tests and an independent integration share it.

#include "model/beat.h"
#include "model/parameters.h"
#include "model/quickexp.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace valthera::model {

// The whole circulation's fixed parts (docs/model.md gives each source).
struct CirculationConstants {
    // Right ventricle: end-systolic elastance, unstressed volume, EDPVR.
    double eesRv = 0.5, v0Rv = 10, aRv = 0.25, bRv = 0.022;
    // Left atrium: passive and active elastance, unstressed volume.
    double elaPassive = 0.15, elaActive = 0.3, v0La = 10;
    // Systemic veins with the right atrium, pulmonary arteries and veins:
    // compliances (ml/mmHg) and unstressed volumes (ml).
    double cSv = 70, vuSv = 2500;
    double cPa = 3, vuPa = 90;
    double cPv = 12, vuPv = 250;
    double vuSa = 600;
    // Resistances (mmHg·s/ml): venous return into the right ventricle
    // (tricuspid included), pulmonary valve, pulmonary vascular bed,
    // pulmonary veins into the left atrium, and the aortic valve's own.
    double rVenousReturn = 0.02, rPulmonaryValve = 0.004, rPulmonary = 0.09, rPulmonaryVeins = 0.01;
    double rAorticValve = 0.003;
    // Blood in the resting circulation, ml (stressed and unstressed).
    double restingVolume = 4575;
};
inline constexpr CirculationConstants kCirculation{};

// The support devices' fixed parts (docs/model.md gives each source). Pump
// head-flow curves: ΔP = h0·(n/nref)² − k1·Q − k2·Q·|Q|, ΔP in mmHg, Q in ml/s.
struct DeviceConstants {
    // Transvalvular axial pump, speed in thousands of rpm.
    double axialH0 = 180, axialNref = 50, axialK1 = 0.5, axialK2 = 0.0164;
    // Centrifugal LVAD, speed in rpm: a flatter curve (flow more sensitive to head).
    double lvadH0 = 100, lvadNref = 4000, lvadK1 = 0.06, lvadK2 = 0.0022;
    // A pump drawing from the ventricle is starved as the ventricle empties:
    // its flow falls linearly to zero over the last this many ml above V0.
    double suctionVolume = 10;
    // VA-ECMO drainage: the set flow is held while the right atrial pressure
    // is at or above this (mmHg), and falls linearly to zero at 0 mmHg.
    double drainagePressure = 1;
    // The balloon's inflation and deflation times, s.
    double balloonInflation = 0.06, balloonDeflation = 0.06;
};
inline constexpr DeviceConstants kDevices{};

// Smoothing of the square-root orifice law near zero pressure difference, mmHg.
inline constexpr double kOrificeSmoothing = 0.5;

// The parameters a beat needs, unpacked once.
struct Physics {
    explicit Physics(const Parameters &p);
    ModelKind model;
    double ees, v0, a, b;
    double pla; // the isolated heart's filling pressure
    double rMitral, kMitral; // ΔP = r·Q + k·Q² forward
    double rAortic, kAortic; // includes Zc
    double gMr, gAr; // 50·E, backward flow = g·√ΔP
    double zc, r, c;
    double invR, invC;
    // Support devices: pump shut-off heads at the set speed (0: off), ECMO
    // set flow (ml/s).
    double axialHead, lvadHead, ecmoFlow;
    bool devices; // any of them running
};

// Pressures and flows at one instant.
struct Instant {
    double Plv, Pc, Pao, Pla, Pra, Prv, Ppa, Ppv;
    double Qmv, Qav, Qsys, Qtv, Qpv, Qpulm, Qpvla;
    double Qaxial, Qlvad, Qecmo; // device flows into the systemic arteries, ml/s
    bool suction; // a pump's inflow is limited by an emptied ventricle
    bool drainageLimited; // ECMO cannot hold its set flow
};

// The functions below run four times an integration step, so they are defined
// here, where the integrator can inline them: the unused parts of an Instant
// then never get written and the call overhead goes.

// Flow through a pump running at shut-off head h0 against a head dp (outlet −
// inlet), from ΔP = h0 − k1·Q − k2·Q·|Q|; negative when dp exceeds h0.
inline double pumpFlow(double h0, double dp, double k1, double k2)
{
    const double h = h0 - dp;
    const double q = 2 * std::abs(h) / (k1 + std::sqrt(k1 * k1 + 4 * k2 * std::abs(h)));
    return h >= 0 ? q : -q;
}

// The support devices' flows (and their limits) into an instant whose
// pressures are already known. They empty into the arterial compliance,
// downstream of Zc; the pumps' inlets see the ventricle's pressure.
inline void deviceFlows(const Physics &ph, const State &x, Instant &in)
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

// Forward flow through an open valve with ΔP = r·Q + k·Q² (ml/s); 0 for ΔP ≤ 0.
inline double forwardFlow(double dp, double r, double k)
{
    if (dp <= 0)
        return 0;
    // The positive root of k·Q² + r·Q − ΔP, in the form that stays exact for small k.
    return 2 * dp / (r + std::sqrt(r * r + 4 * k * dp));
}

// Backward flow through a regurgitant orifice, g·√(−ΔP) smoothed near 0; 0 for ΔP ≥ 0.
inline double backwardFlow(double dp, double g)
{
    if (dp >= 0 || g == 0)
        return 0;
    return g * dp / std::sqrt(-dp + kOrificeSmoothing);
}

inline double lvPressure(const Physics &ph, double e, double V)
{
    const double dv = V - ph.v0;
    return e * ph.ees * dv + (1 - e) * ph.a * (quickExp(ph.b * dv) - 1);
}

// venousFactor throttles the venous return (an occlusion run: 1 when open);
// in the isolated heart it scales the filling pressure instead.
// balloon is the balloon pump's volume (ml) at this instant: it displaces
// arterial blood, holding none itself.
[[gnu::always_inline]] inline Instant evaluate(
    const Physics &ph, double e, double ea, const State &x, double venousFactor, double balloon = 0)
{
    const CirculationConstants &k = kCirculation;
    // Divisions by constants are written as products with their inverses.
    constexpr double invCSv = 1 / k.cSv, invCPa = 1 / k.cPa, invCPv = 1 / k.cPv;
    constexpr double gVenousReturn = 1 / k.rVenousReturn, gPulmonaryValve = 1 / k.rPulmonaryValve;
    constexpr double gPulmonary = 1 / k.rPulmonary, gPulmonaryVeins = 1 / k.rPulmonaryVeins;
    // Every field is written once below rather than zeroed first: the
    // zeroing was a fifth of this function.
    Instant in;
    in.Qaxial = in.Qlvad = in.Qecmo = 0;
    in.suction = in.drainageLimited = false;
    in.Plv = lvPressure(ph, e, at(x, Compartment::LV));
    in.Pc = (at(x, Compartment::SA) + balloon - k.vuSa) * ph.invC;
    if (ph.model == ModelKind::Heart) {
        in.Pla = ph.pla * venousFactor;
        in.Pra = in.Prv = in.Ppa = in.Ppv = 0;
        in.Qtv = in.Qpv = in.Qpulm = in.Qpvla = 0;
    } else {
        const double vla = at(x, Compartment::LA) - k.v0La;
        in.Pla = (k.elaPassive + ea * k.elaActive) * vla;
        const double dvr = at(x, Compartment::RV) - k.v0Rv;
        in.Prv = e * k.eesRv * dvr + (1 - e) * k.aRv * (quickExp(k.bRv * dvr) - 1);
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
    if (ph.devices)
        deviceFlows(ph, x, in);
    return in;
}

// dx/dt from an instant's flows.
[[gnu::always_inline]] inline void rates(const Physics &ph, const Instant &in, State &d)
{
    at(d, Compartment::LV) = in.Qmv - in.Qav - in.Qaxial - in.Qlvad;
    at(d, Compartment::SA) = in.Qav + in.Qaxial + in.Qlvad + in.Qecmo - in.Qsys;
    if (ph.model == ModelKind::Heart) {
        for (std::size_t i = 2; i < kCompartmentCount; ++i)
            d[i] = 0;
        return;
    }
    at(d, Compartment::SV) = in.Qsys - in.Qtv - in.Qecmo;
    at(d, Compartment::RV) = in.Qtv - in.Qpv;
    at(d, Compartment::PA) = in.Qpv - in.Qpulm;
    at(d, Compartment::PV) = in.Qpulm - in.Qpvla;
    at(d, Compartment::LA) = in.Qpvla - in.Qmv;
}

} // namespace valthera::model
