#include "model/beat.h"

#include "model/physics.h"

namespace valthera::model {

namespace {

constexpr std::array<std::string_view, kCompartmentCount> kCompartmentNames{"LV", "SA", "SV", "RV", "PA", "PV", "LA"};

} // namespace

std::string_view compartmentName(Compartment c)
{
    return kCompartmentNames[static_cast<std::size_t>(c)];
}

double totalVolume(const State &s, ModelKind model)
{
    if (model == ModelKind::Heart)
        return at(s, Compartment::LV) + at(s, Compartment::SA);
    double sum = 0;
    for (double v : s)
        sum += v;
    return sum;
}

double circulatingVolume(const Parameters &p)
{
    return kCirculation.restingVolume + p[Param::Volume];
}

} // namespace valthera::model
