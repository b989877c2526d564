// Reading numbers from text and writing them as fixed-point text, with the
// user's regional decimal and thousand separators. Every conversion between
// a number and its text in Ambrelix goes through these three operations.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calc/extended.h"

namespace ambrelix {

struct NumberSeparators {
  char16_t decimal = u'.';
  char16_t thousand = u',';
};

// Where the separators come from. Each operation asks when it runs; the
// Windows implementation answers from the user's regional settings as last
// loaded, and reloads them when the system announces a change.
class SeparatorProvider {
 public:
  virtual NumberSeparators Separators() const = 0;

 protected:
  ~SeparatorProvider() = default;
};

class FixedSeparators final : public SeparatorProvider {
 public:
  constexpr FixedSeparators() = default;
  constexpr explicit FixedSeparators(NumberSeparators s) : separators_(s) {}
  NumberSeparators Separators() const override { return separators_; }
  void Set(NumberSeparators s) { separators_ = s; }

 private:
  NumberSeparators separators_;
};

// Whether a character can separate the parts of a number text: one
// character (no surrogate half) that is not a digit, "+", "-", "e", "E", a
// control character or the double quote, any of which would make texts
// ambiguous or break the companion's line and CSV formats. An apostrophe, a
// space and U+00A0 are real thousand separators and are usable.
bool IsUsableSeparator(char16_t c);

// The separators from the texts the user's regional settings hold, which
// may be anything the user typed; nullopt for a setting that could not be
// read. They are used when the decimal separator is one usable character and
// the thousand separator is another one, or empty (no grouping: U+0000, which
// no text holds); otherwise "." and "," are, and `fromSettings` is false.
struct SeparatorChoice {
  NumberSeparators separators;
  bool fromSettings;
};
SeparatorChoice SeparatorsFromRegionalSettings(std::optional<std::u16string_view> decimal,
                                               std::optional<std::u16string_view> thousand);

// The strict reading: optional spaces, an optional sign, digits with at most
// one decimal separator (at least one digit or the separator), an optional
// exponent ("E" alone means 0; digits are taken while the exponent is below
// 500), optional spaces. Throws ConversionError for anything else, and for a
// value beyond the extended range.
Extended TextToNumber(std::u16string_view text, const SeparatorProvider& separators);
Extended TextToNumber(std::u16string_view text, NumberSeparators separators);

// The lenient reading: thousand separators are removed first, and a text that
// still does not read gives 0. Never throws.
Extended TextToNumberLenient(std::u16string_view text, const SeparatorProvider& separators);
Extended TextToNumberLenient(std::u16string_view text, NumberSeparators separators);

// For a UTF-8 text that TextToNumber would read (a file's field, an
// argument), a text that TextToNumber reads to the same value, bit for bit,
// and of at most about 15,000 characters however long the text is; nullopt
// when the text does not read. The spaces around the number, the leading
// zeros of its integer part and of its exponent go, and of the leading zeros
// of a fraction only as many stay as can matter. The text is read in place:
// a byte outside a valid UTF-8 sequence is never the separator. Meant for
// separators UsableSeparators accepts (a separator that is a digit or a sign
// makes the grammar ambiguous).
std::optional<std::u16string> CompactNumberText(std::string_view text, NumberSeparators separators);

// Fixed-point text with `decimals` decimals (0 to 18): the value's first 18
// significant digits, then rounded at the last decimal with halves away from
// zero; no grouping; a zero result has no sign. From 10^18 on it is the
// exponent form ("1.5E20", the exponent padded to `decimals` digits).
// Throws ArithmeticFault (invalid operation) for an infinity or NaN.
std::u16string NumberToFixedText(Extended value, int decimals, const SeparatorProvider& separators);
std::u16string NumberToFixedText(Extended value, int decimals, NumberSeparators separators);

namespace number_text_detail {

// The extended values nearest to 10^0..10^31, 10^32..10^480 in steps of 32
// and 10^512..10^4608 in steps of 512 (index 0 of the last two holds 1).
extern const Extended kPowersOfTenUnits[32];
extern const Extended kPowersOfTenThirtySeconds[16];
extern const Extended kPowersOfTenFiveTwelfths[10];

}  // namespace number_text_detail
}  // namespace ambrelix
