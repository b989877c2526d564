// The companion's runs beyond the calculator's, on the same texts: the coil
// a length of tube gives, and the surfaces, metal and mass of a run's tube.
#pragma once

#include <optional>
#include <string>

#include "calc/calculation_run.h"
#include "calc/tube_extras.h"

namespace ambrelix {

struct TubeRequest {
  // The calculator's request. When the tube's length is given its mode and
  // the texts A and n are not read.
  CalculationRequest coil;
  // The length of tube in metres, read in place of A or n.
  std::optional<std::u16string> tubeMetres;
  bool extras = false;
  // With extras, the density for the mass in g/cm³: a text, read after t2,
  // or a material's. Without either there is no mass.
  std::optional<std::u16string> density;
  std::optional<Extended> materialDensity;
};

struct TubeOutcome {
  // With the length given: what turns mode shows, the turns computed.
  CalculationOutcome coil;
  bool lengthGiven = false;
  // With extras: the values and their texts, areas in m² with four
  // decimals, the metal in cm³ with two, the mass in kg with three (empty
  // without a density).
  std::optional<TubeExtras> extras;
  std::u16string outsideArea, insideArea, metalVolume, mass;
};

// Nothing when neither a mode nor a length is given. Reads D, P, then A, n
// or the length, OD, ID, t1, t2 and the density; throws ConversionError for
// the first that does not read, TailsLongerThanTube, or ArithmeticFault.
std::optional<TubeOutcome> RunTubeCalculation(const TubeRequest& request,
                                              const SeparatorProvider& separators);

}  // namespace ambrelix
