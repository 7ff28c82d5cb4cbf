#pragma once
// The Loop Lab's heart and circulation, in two models sharing one code:
//
// - The whole circulation: left and right ventricles and the left atrium as
//   time-varying elastance chambers, the systemic arteries (characteristic
//   impedance Zc, compliance C, resistance R), the systemic veins with the
//   right atrium, the pulmonary arteries and the pulmonary veins, joined by
//   four valves. Blood is conserved: preload is set by the blood volume.
// - The isolated heart: the same left ventricle filled from a fixed left
//   atrial pressure, ejecting into the same three-element arterial load. It
//   keeps the lessons' controlled one-thing-at-a-time experiments.
//
// Plain C++ and Boost, no Qt: the window, the command line and the tests drive
// the same code. Every equation and value is written down in docs/model.md.
//
// Typical use by the window:
//     model::Simulator sim;
//     model::SteadyState s = sim.steady(params);              // first show, from cold
//     ...slider moved...
//     s = sim.steady(newParams, s.start);                   // warm start: a few ms
//     model::Measures m = model::measure(s);

#include "model/activation.h"
#include "model/beat.h"
#include "model/measures.h"
#include "model/parameters.h"
#include "model/phases.h"
#include "model/simulator.h"
