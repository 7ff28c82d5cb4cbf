#pragma once
// The chambers, vessels and valves of both models: pressures from volumes,
// flows from pressures, and the rate of change of every volume. Everything
// here is a plain function of the instant's activations and volumes, so the
// integrator, the tests and an independent integration share it.

#include "model/beat.h"
#include "model/parameters.h"

namespace valthera::lab {

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
};

// Pressures and flows at one instant.
struct Instant {
    double Plv, Pc, Pao, Pla, Pra, Prv, Ppa, Ppv;
    double Qmv, Qav, Qsys, Qtv, Qpv, Qpulm, Qpvla;
    double Qaxial, Qlvad, Qecmo; // device flows into the systemic arteries, ml/s
    bool suction; // a pump's inflow is limited by an emptied ventricle
    bool drainageLimited; // ECMO cannot hold its set flow
};

// Flow through a pump running at shut-off head h0 against a head dp (outlet −
// inlet), from ΔP = h0 − k1·Q − k2·Q·|Q|; negative when dp exceeds h0.
double pumpFlow(double h0, double dp, double k1, double k2);

// Forward flow through an open valve with ΔP = r·Q + k·Q² (ml/s); 0 for ΔP ≤ 0.
double forwardFlow(double dp, double r, double k);
// Backward flow through a regurgitant orifice, g·√(−ΔP) smoothed near 0; 0 for ΔP ≥ 0.
double backwardFlow(double dp, double g);

double lvPressure(const Physics &ph, double e, double V);

// venousFactor throttles the venous return (an occlusion run: 1 when open);
// in the isolated heart it scales the filling pressure instead.
// balloon is the balloon pump's volume (ml) at this instant: it displaces
// arterial blood, holding none itself.
Instant evaluate(const Physics &ph, double e, double ea, const State &x, double venousFactor, double balloon = 0);
// dx/dt from an instant's flows.
void rates(const Physics &ph, const Instant &in, State &dxdt);

} // namespace valthera::lab
