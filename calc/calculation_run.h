// One press of "Calculate": the field texts, the solve mode and the tail
// switches in; the texts to write, in the order the window writes them, and
// whether the gap notice is due, out. Every conversion and the whole
// computation happen before the first write is decided, so a run that fails
// throws and leaves nothing to write.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/coil.h"
#include "calc/number_text.h"

namespace ambrelix {

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

struct CalculationRequest {
  // The checked item of the solve-mode group; none checked means the run
  // does nothing.
  std::optional<SolveMode> mode;
  // Field texts exactly as the fields hold them. A run reads A only when
  // the height is given and n only when the turns are given.
  std::u16string_view D, P, A, n, OD, ID, t1, t2;
  bool withT1 = false;
  bool withT2 = false;
};

struct Write {
  Target target;
  std::u16string text;
};

struct CalculationOutcome {
  std::vector<Write> writes;  // empty when no mode is selected
  bool gapWarning = false;
  CoilResults results;  // meaningful only when a mode was selected
};

// The notice shown over the results when the gap is not greater than zero.
inline constexpr std::u16string_view kGapWarningCaption = u"Information";
inline constexpr std::u16string_view kGapWarningText =
    u"Gap between coils should not be allowed to fall below Zero.\r\n"
    u"Check values for Pitch (P) and Tube Outside Diameter (OD)\r\n"
    u"Value of P should be greater than OD.";

// Throws ConversionError for the first field text (D, P, A or n, OD, ID, t1,
// t2) that does not read, or ArithmeticFault from the computation.
CalculationOutcome RunCalculation(const CalculationRequest& request,
                                  const SeparatorProvider& separators);

}  // namespace ambrelix
