// TextToNumber against the C library's correctly rounded strtold where the
// reading is exact by construction, and against a model of its stepped
// scaling in MPFR over the whole exponent range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "calc/number_text.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/mpfr_model.h"
#include "tests/oracle/random_inputs.h"

namespace ambrelix::oracle {
namespace {

// Reads the text; nullopt when the core rejects it.
std::optional<long double> CoreRead(const NumberText& t) {
  try {
    return TextToNumber(t.text, NumberSeparators{t.decimal, t.decimal == u'.' ? u',' : u'.'});
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

std::string Shown(const NumberText& t) { return "\"" + Narrow(t.text) + "\""; }

// Compares the core's reading with the model's; a text the grammar rejects
// and a value out of range both must raise the conversion error.
void CheckAgainstModel(const NumberText& t, FailureLog& failures) {
  const std::optional<long double> core = CoreRead(t);
  const std::optional<ExtendedBits> model = t.valid ? ModelRead(t.number) : std::nullopt;
  if (!model && core) {
    failures.Add(Shown(t) + " read as " + Describe(*core) + ", expected a conversion error");
  } else if (model && !core) {
    failures.Add(Shown(t) + " rejected, expected " + Describe(*model));
  } else if (model && BitsOf(*core) != *model) {
    failures.Add(Shown(t) + " read as " + Describe(*core) + ", model " + Describe(*model));
  }
}

TEST(TextToNumber, IsTheNearestValueForTextsOfUpToNineteenDigits) {
  Random random(OracleSeed("TextToNumber narrow"));
  FailureLog failures;
  for (int i = 0; i < 60000; ++i) {
    const NumberText t = NarrowNumberText(random);
    const std::optional<long double> core = CoreRead(t);
    const long double expected = CLibraryValue(t.cLibraryForm);
    if (!core) {
      failures.Add(Shown(t) + " was rejected");
    } else if (!SameBits(*core, expected)) {
      failures.Add(Shown(t) + " read as " + Describe(*core) + ", strtold " + Describe(expected));
    }
  }
  EXPECT_EQ(failures.count(), 0u);
}

TEST(TextToNumber, ScalesInRoundedStepsOverTheWholeExponentRange) {
  Random random(OracleSeed("TextToNumber wide"));
  FailureLog failures;
  for (int i = 0; i < 30000; ++i) CheckAgainstModel(WideNumberText(random), failures);
  EXPECT_EQ(failures.count(), 0u);
}

TEST(TextToNumber, ScalesInRoundedStepsAtTheEdgesOfTheRange) {
  struct Case {
    std::string digits;  // as many as the decimals at least
    std::int64_t decimals, exponent;
  };
  const std::string zeros(200, '0');
  const std::string nines(4933, '9');
  const Case cases[] = {
      {"118973149535723176502", 20, 4932},  // the largest finite value
      {"118973149535723176508", 20, 4932},  // just beyond it
      {"1", 0, 4999},
      {"0", 0, 4999},                            // zero never overflows
      {"1", 0, -4951},                           // about the smallest subnormal
      {"36451995318824746", 16, -4951},          // half of it
      {"33621031431120935063", 20, -4931},       // the smallest normal value
      {zeros.substr(0, 118) + "1", 119, -4999},  // scaling exponent -5118
      {zeros.substr(0, 119) + "1", 120, -4999},  // -5119, the last the tables reach
      {zeros.substr(0, 120) + "1", 121, -4999},  // -5120, zero by definition
      {"9999999999999999999", 0, 4913},
      {nines, 0, 0},                               // the digits alone overflow
      {nines, 2000, 0},                            // even when most of them are decimals
      {"1" + std::string(4899, '0'), 4900, -219},  // 10^-220 after scaling by 10^-5119
      {"1" + std::string(4899, '0'), 4900, -220},  // 10^-221, but scaling by 10^-5120 gives zero
  };
  FailureLog failures;
  for (const Case& c : cases) {
    for (bool negative : {false, true}) {
      NumberText t;
      t.number = DecimalNumber{negative, c.digits, c.decimals, c.exponent};
      std::string text = c.digits;
      text.insert(text.size() - static_cast<std::size_t>(c.decimals), ".");
      text = (negative ? "-" : "") + text + "e" + std::to_string(c.exponent);
      t.text.assign(text.begin(), text.end());
      CheckAgainstModel(t, failures);
    }
  }
  EXPECT_EQ(failures.count(), 0u);
}

// The stepped scaling is not correctly rounded, but it must stay within a
// few units in the last place of the correctly rounded value (three roundings
// of the steps and three rounded powers; 3 ulps is the most seen in millions
// of texts), and overflow only where that value is at the edge of the range.
TEST(TextToNumber, StaysWithinAFewUlpsOfTheCorrectlyRoundedValue) {
  __extension__ using Wide = unsigned __int128;
  auto ordered = [](ExtendedBits b) -> Wide {
    const Wide fraction = b.significand & 0x7FFFFFFFFFFFFFFFULL;
    return b.biasedExponent() == 0
               ? Wide{b.significand}
               : (Wide{static_cast<unsigned>(b.biasedExponent())} << 63) + fraction;
  };
  constexpr Wide kTolerance = 4;
  const ExtendedBits largest = BitsOf(std::numeric_limits<long double>::max());

  Random random(OracleSeed("TextToNumber ulps"));
  FailureLog failures;
  Wide worst = 0;
  for (int i = 0; i < 30000; ++i) {
    const NumberText t = WideNumberText(random);
    // Up to 19 digits the mantissa is exact and only the scaling rounds.
    const std::size_t leadingZeros =
        std::min(t.number.digits.find_first_not_of('0'), t.number.digits.size());
    if (!t.valid || t.number.digits.size() - leadingZeros > 19) continue;
    const std::optional<long double> core = CoreRead(t);
    const long double nearest = CLibraryValue(t.cLibraryForm);
    // Out of range counts as the largest finite value, whichever side overflowed.
    auto position = [&](std::optional<long double> v) {
      const ExtendedBits b = BitsOf(v ? std::fabs(*v) : HUGE_VALL);
      return ordered(b.biasedExponent() == 0x7FFF ? largest : b);
    };
    const Wide a = position(core), b = position(nearest);
    const Wide distance = a > b ? a - b : b - a;
    if (distance > worst) worst = distance;
    if (distance > kTolerance)
      failures.Add(Shown(t) + " read as " + (core ? Describe(*core) : "out of range") +
                   ", strtold " + Describe(nearest));
  }
  std::printf("largest distance from strtold: %u ulps\n", static_cast<unsigned>(worst));
  EXPECT_EQ(failures.count(), 0u);
}

}  // namespace
}  // namespace ambrelix::oracle
