#include "calc/tube_extras.h"

#include "calc/coil.h"

namespace ambrelix {
namespace {

AMBRELIX_OUT_OF_LINE TubeExtras ComputeTubeExtrasSteps(Extended OD, Extended ID, Extended L,
                                                       std::optional<Extended> density) {
  using namespace ext;
  const RaiseFaults fault;
  // mm² to m², mm³ to cm³ and g to kg, each one extended division.
  const Extended squareMillimetresPerSquareMetre = 1000000;
  const Extended thousand = 1000;
  TubeExtras x;
  x.outsideArea = Div(Mul(Mul(kPi, OD, fault), L, fault), squareMillimetresPerSquareMetre, fault);
  x.insideArea = Div(Mul(Mul(kPi, ID, fault), L, fault), squareMillimetresPerSquareMetre, fault);
  const Extended ring = Sub(Mul(OD, OD, fault), Mul(ID, ID, fault), fault);
  const Extended wallSection = Div(Mul(ring, kPi, fault), Extended{4}, fault);
  x.metalVolume = Div(Mul(wallSection, L, fault), thousand, fault);
  if (density) x.mass = Div(Mul(x.metalVolume, *density, fault), thousand, fault);
  return x;
}

}  // namespace

TubeExtras ComputeTubeExtras(Extended OD, Extended ID, Extended L,
                             std::optional<Extended> density) {
  X87Scope fpu;
  return ComputeTubeExtrasSteps(OD, ID, L, density);
}

std::optional<Extended> MaterialDensity(std::string_view name) noexcept {
  for (const Material& m : kMaterials)
    if (m.name == name) return m.density;
  return std::nullopt;
}

std::string MaterialNames() {
  std::string names;
  for (const Material& m : kMaterials) {
    if (!names.empty()) names += ", ";
    names += m.name;
  }
  return names;
}

}  // namespace ambrelix
