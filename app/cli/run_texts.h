// The texts of a run from UTF-8 fields: a file's cells or the command
// line's values, which may be of any length and need not be valid UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "calc/calculation_run.h"
#include "calc/tube_run.h"

namespace ambrelix::cli {

// A message quotes at most this many characters of a field, followed by
// "…"; no field of the calculator window holds such a text.
inline constexpr std::size_t kQuotedCharacters = 1000;

// A run's fields as UTF-8: the calculator's eight, in the order of
// kRunInputs, and the companion's two.
struct RunFields {
  std::array<std::string_view, kRunInputCount> texts;
  std::optional<std::string_view> tubeMetres;  // the length mode's L, read in place of A or n
  std::optional<std::string_view> density;     // read after t2, for the mass
};

// Sets the texts of `request` (its mode, extras and material set) from
// `fields`: a length when one is given, a density when one is given and the
// extras are on, and every text the run reads, in its order D, P, A, n or
// L, OD, ID, t1, t2, density. A field that is short and valid UTF-8 is
// widened as it is, and the run reports it if it does not read. A longer one
// is read in place and handed to the run as its compact equivalent, and one
// that is not valid UTF-8 never reads: for the first field the run would
// read that does not read, this returns the error box text, quoting the
// field's bytes as they were (cut after kQuotedCharacters characters).
// Memory is bounded by the short fields and kQuotedCharacters, whatever the
// long ones hold.
std::optional<std::string> SetRunTexts(TubeRequest& request, const RunFields& fields,
                                       NumberSeparators separators);

}  // namespace ambrelix::cli
