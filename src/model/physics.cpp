#include "model/physics.h"

#include <algorithm>
#include <cmath>

namespace valthera::model {

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
    , axialHead(p[Param::Axial] > 0 ? kDevices.axialH0 * std::pow(p[Param::Axial] / kDevices.axialNref, 2) : 0)
    , lvadHead(p[Param::LVAD] > 0 ? kDevices.lvadH0 * std::pow(p[Param::LVAD] / kDevices.lvadNref, 2) : 0)
    , ecmoFlow(p[Param::ECMO] * 1000 / 60)
    , devices(axialHead > 0 || lvadHead > 0 || ecmoFlow > 0)
{
}

} // namespace valthera::model
