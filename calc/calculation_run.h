// One press of "Calculate": the eight field texts, the solve mode and the
// tail switches in; every result the run shows, as a value and as its text,
// out. Every conversion and the whole computation happen before anything is
// returned, so a run that fails throws and leaves nothing to show.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calc/coil.h"
#include "calc/number_text.h"

namespace ambrelix {

// The texts a run reads, in the order it reads them: the first one that
// does not read is the one reported.
enum class RunInput : std::uint8_t { D, P, A, n, OD, ID, t1, t2 };
inline constexpr std::size_t kRunInputCount = 8;
inline constexpr std::array<RunInput, kRunInputCount> kRunInputs = {
    RunInput::D,  RunInput::P,  RunInput::A,  RunInput::n,
    RunInput::OD, RunInput::ID, RunInput::t1, RunInput::t2};

// A run reads A only when the height is given and n only when the turns
// are given; every other text always.
constexpr bool RunReads(SolveMode mode, RunInput input) {
  if (input == RunInput::A) return mode == SolveMode::HeightGiven;
  if (input == RunInput::n) return mode == SolveMode::TurnsGiven;
  return true;
}

struct CalculationRequest {
  // The checked item of the solve-mode group; none checked means the run
  // does nothing.
  std::optional<SolveMode> mode;
  // Field texts exactly as the fields hold them. A run reads A only when
  // the height is given and n only when the turns are given.
  std::array<std::u16string, kRunInputCount> texts;
  bool withT1 = false;
  bool withT2 = false;

  std::u16string& text(RunInput input) { return texts[static_cast<std::size_t>(input)]; }
  const std::u16string& text(RunInput input) const {
    return texts[static_cast<std::size_t>(input)];
  }
};

// What a run shows, by quantity. Lengths are millimetres with two decimals;
// the totals are in metres with three decimals and in millilitres with two,
// without their units. Texts use the separators of the run.
struct CalculationOutcome {
  SolveMode mode = SolveMode::HeightGiven;
  CoilResults results;
  bool gapWarning = false;

  std::u16string gap;
  std::u16string helixHeight;
  std::u16string coilOutside;
  std::u16string coilInside;
  std::u16string overallHeight;
  std::u16string turns;  // computed, or the given number of turns
  // The inputs the drawing repeats; the pitch as the window writes it back.
  std::u16string helixDiameter;
  std::u16string pitch;
  std::u16string tubeOutside;
  std::u16string tubeInside;

  Extended lengthMetres = 0;
  Extended volumeMillilitres = 0;
  std::u16string lengthMetresText;
  std::u16string volumeMillilitresText;
};

// The notice shown over the results when the gap is not greater than zero.
inline constexpr std::u16string_view kGapWarningCaption = u"Information";
inline constexpr std::u16string_view kGapWarningText =
    u"Gap between coils should not be allowed to fall below Zero.\r\n"
    u"Check values for Pitch (P) and Tube Outside Diameter (OD)\r\n"
    u"Value of P should be greater than OD.";

// The numbers a run reads, in its order: D, P, `given` (the text of A or n,
// by the mode), OD, ID, t1, t2, with the tail switches. Throws
// ConversionError for the first text that does not read.
struct RunNumbers {
  CoilInputs coil;  // its mode, A and n are left for the caller
  Extended given = 0;
};
RunNumbers ReadRunNumbers(const CalculationRequest& request, std::u16string_view given,
                          NumberSeparators separators);

// What a run shows of a coil computed from `in`.
CalculationOutcome DescribeCoil(const CoilInputs& in, const CoilResults& r,
                                NumberSeparators separators);

// Nothing when no mode is selected: the run then reads nothing. Throws
// ConversionError for the first text (D, P, A or n, OD, ID, t1, t2) that
// does not read, or ArithmeticFault from the computation.
std::optional<CalculationOutcome> RunCalculation(const CalculationRequest& request,
                                                 const SeparatorProvider& separators);

}  // namespace ambrelix
