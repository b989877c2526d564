// Where the calculator window shows a run's results, and in which order it
// writes them: the result labels, the drawing's value labels, the entry
// fields that receive computed or rewritten values, and the totals with
// their units. The companion's single run lists the same writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculation_run.h"

namespace ambrelix::ui {

// The controls a run writes to, by their names on the calculator window.
enum class Target : std::uint8_t {
  edA,
  lbG,
  lbH,
  lbO,
  lbI,
  lbA2,
  lbG2,
  lbP2,
  lbID2,
  lbOD2,
  lbh2,
  lbI2,
  lbD2,
  lbO2,
  edN,
  edP,
  lbTotalLength,
  lbTotalVolume,
};

std::string_view TargetName(Target target) noexcept;

struct Write {
  Target target;
  std::u16string text;
};

// The writes in the window's order. The totals go last: writing a field
// that changes its text empties them.
std::vector<Write> ResultWrites(const CalculationOutcome& outcome);

}  // namespace ambrelix::ui
