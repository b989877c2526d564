// What a fabricator asks of a coil besides its length: the tube's outside
// and inside surface, the volume of its metal and, given the metal's
// density, its mass.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "calc/extended.h"

namespace ambrelix {

struct TubeExtras {
  Extended outsideArea = 0;      // π × OD × L, m²
  Extended insideArea = 0;       // π × ID × L, m²
  Extended metalVolume = 0;      // the tube's wall over L, cm³
  std::optional<Extended> mass;  // kg; only when a density is given
};

// OD, ID and the length L in millimetres (L as ComputeCoil gives it, tails
// included), the density in g/cm³. Each operation is rounded to extended,
// nearest-even, in the grouping written beside each result:
//   outsideArea = ((π × OD) × L) / 10^6
//   insideArea  = ((π × ID) × L) / 10^6
//   metalVolume = (((((OD × OD) − (ID × ID)) × π) / 4) × L) / 1000
//   mass        = (metalVolume × density) / 1000
// in that order; the first step that divides by zero, is invalid or
// overflows throws ArithmeticFault. No input is range-checked.
TubeExtras ComputeTubeExtras(Extended OD, Extended ID, Extended L, std::optional<Extended> density);

// Densities of the usual tube metals at room temperature, in g/cm³.
struct Material {
  std::string_view name;
  Extended density;
};

inline constexpr std::array<Material, 6> kMaterials = {{
    {"copper", 8.96L},
    {"brass", 8.50L},
    {"aluminium", 2.70L},
    {"carbon steel", 7.85L},
    {"stainless steel", 7.93L},
    {"titanium", 4.51L},
}};

// The density of a material named exactly as in kMaterials.
std::optional<Extended> MaterialDensity(std::string_view name) noexcept;

// The materials' names in the table's order, comma-separated.
std::string MaterialNames();

}  // namespace ambrelix
