// NumberToFixedText against a model of its 18-digit step in MPFR, and how
// its 18 digits compare with the exact value correctly rounded to 18 digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calc/number_text.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/mpfr_model.h"
#include "tests/oracle/random_inputs.h"

namespace ambrelix::oracle {
namespace {

constexpr NumberSeparators kDot{u'.', u','};

void CheckAgainstModel(long double value, int decimals, FailureLog& failures) {
  const std::u16string core = NumberToFixedText(value, decimals, kDot);
  const std::u16string model = FixedText(*ModelEighteenDigits(BitsOf(value)), decimals, u'.');
  if (core != model)
    failures.Add(Describe(value) + " with " + std::to_string(decimals) + " decimals: \"" +
                 Narrow(core) + "\", model \"" + Narrow(model) + "\"");
}

TEST(NumberToFixedText, FollowsTheEighteenDigitStepForDisplayedMagnitudes) {
  Random random(OracleSeed("NumberToFixedText displayed"));
  FailureLog failures;
  for (int i = 0; i < 100000; ++i) {
    const auto kind = i % 2 ? Displayed::kRandomSignificand : Displayed::kDecimalEndingInFive;
    CheckAgainstModel(DisplayedValue(random, kind), 2 + i / 2 % 2, failures);
  }
  EXPECT_EQ(failures.count(), 0u);
}

TEST(NumberToFixedText, FollowsTheEighteenDigitStepOverTheWholeRange) {
  Random random(OracleSeed("NumberToFixedText whole range"));
  FailureLog failures;
  for (int i = 0; i < 50000; ++i)
    CheckAgainstModel(AnyValue(random), static_cast<int>(random.Below(19)), failures);
  EXPECT_EQ(failures.count(), 0u);
}

// How many units of the finer 18th digit lie between two digit strings.
__extension__ using Wide = __int128;
Wide UnitsApart(const SignificantDigits& a, const SignificantDigits& b) {
  const int low = std::min(a.exponent, b.exponent);
  if (a.digits.size() != 18 || b.digits.size() != 18 || std::abs(a.exponent - b.exponent) > 1)
    return 1000;
  const Wide x = Wide{std::stoll(a.digits)} * (a.exponent > low ? 10 : 1);
  const Wide y = Wide{std::stoll(b.digits)} * (b.exponent > low ? 10 : 1);
  return x > y ? x - y : y - x;
}

// Where the core's 18 digits differ from the correctly rounded ones, the
// difference is one unit of the 18th digit and comes from the documented
// steps: the scaled value was rounded before its rounding to an integer, or
// the integer reached 10^18 and was rounded again after the division by ten.
TEST(NumberToFixedText, DiffersFromCorrectRoundingOnlyWhereTheScalingRounds) {
  Random random(OracleSeed("NumberToFixedText against correct rounding"));
  FailureLog failures;
  for (const Displayed kind : {Displayed::kRandomSignificand, Displayed::kDecimalEndingInFive}) {
    constexpr int kValues = 100000;
    int scalingRounded = 0, cutBack = 0, both = 0, textsDiffer[2] = {0, 0};
    for (int i = 0; i < kValues; ++i) {
      const long double value = DisplayedValue(random, kind);
      const SignificantDigits model = *ModelEighteenDigits(BitsOf(value));
      const SignificantDigits correct = CorrectlyRoundedDigits(BitsOf(value));
      const bool digitsDiffer =
          model.digits != correct.digits || model.exponent != correct.exponent;
      for (int decimals : {2, 3}) {
        const std::u16string core = NumberToFixedText(value, decimals, kDot);
        if (core == FixedText(correct, decimals, u'.')) continue;
        ++textsDiffer[decimals - 2];
        if (!digitsDiffer)
          failures.Add(Describe(value) + ": \"" + Narrow(core) +
                       "\" differs from correct rounding");
      }
      if (!digitsDiffer) continue;
      if (UnitsApart(model, correct) != 1)
        failures.Add(Describe(value) + ": 18 digits " + model.digits + " E" +
                     std::to_string(model.exponent) + ", correctly rounded " + correct.digits +
                     " E" + std::to_string(correct.exponent));
      if (model.scalingInexact && model.cutBack) {
        ++both;
      } else if (model.scalingInexact) {
        ++scalingRounded;
      } else if (model.cutBack) {
        ++cutBack;
      } else {
        failures.Add(Describe(value) + ": exact scaling, yet the digits differ");
      }
    }
    std::printf(
        "%s: of %d values, 18 digits differ from correct rounding for %d (scaling rounded %d, "
        "cut back to 18 digits %d, both %d); texts differ for %d with 2 decimals, %d with 3\n",
        kind == Displayed::kRandomSignificand ? "random significands" : "decimals ending in 5",
        kValues, scalingRounded + cutBack + both, scalingRounded, cutBack, both, textsDiffer[0],
        textsDiffer[1]);
  }
  EXPECT_EQ(failures.count(), 0u);
}

}  // namespace
}  // namespace ambrelix::oracle
