#include "ui/result_writes.h"

#include <array>

namespace ambrelix::ui {

std::string_view TargetName(Target target) noexcept {
  static constexpr std::array<std::string_view, 18> kNames = {
      "edA",   "lbG",  "lbH",  "lbO",  "lbI",  "lbA2", "lbG2", "lbP2",          "lbID2",
      "lbOD2", "lbh2", "lbI2", "lbD2", "lbO2", "edN",  "edP",  "lbTotalLength", "lbTotalVolume"};
  return kNames[static_cast<std::size_t>(target)];
}

std::vector<Write> ResultWrites(const CalculationOutcome& o) {
  const bool heightGiven = o.mode == SolveMode::HeightGiven;
  std::vector<Write> w;
  w.reserve(18);
  if (!heightGiven) w.push_back({Target::edA, o.overallHeight});
  w.push_back({Target::lbG, o.gap});
  w.push_back({Target::lbH, o.helixHeight});
  w.push_back({Target::lbO, o.coilOutside});
  w.push_back({Target::lbI, o.coilInside});
  w.push_back({Target::lbA2, o.overallHeight});
  w.push_back({Target::lbG2, o.gap});
  w.push_back({Target::lbP2, o.pitch});
  w.push_back({Target::lbID2, o.tubeInside});
  w.push_back({Target::lbOD2, o.tubeOutside});
  w.push_back({Target::lbh2, o.helixHeight});
  w.push_back({Target::lbI2, o.coilInside});
  w.push_back({Target::lbD2, o.helixDiameter});
  w.push_back({Target::lbO2, o.coilOutside});
  if (heightGiven) w.push_back({Target::edN, o.turns});
  w.push_back({Target::edP, o.pitch});
  w.push_back({Target::lbTotalLength, o.lengthMetresText + u'M'});
  w.push_back({Target::lbTotalVolume, o.volumeMillilitresText + u"ml"});
  return w;
}

}  // namespace ambrelix::ui
