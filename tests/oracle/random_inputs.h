// Seeded inputs for the differential tests and the vector file: number texts
// in the forms users type, and extended values from the ordinary to the
// extremes of the format.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "calc/coil.h"
#include "tests/oracle/mpfr_model.h"

namespace ambrelix::oracle {

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  std::uint64_t Bits() { return engine_(); }
  std::uint64_t Below(std::uint64_t n) { return engine_() % n; }
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(high - low) + 1));
  }
  bool Percent(int p) { return Below(100) < static_cast<std::uint64_t>(p); }

 private:
  std::mt19937_64 engine_;
};

// The seed of one test or vector file: AMBRELIX_ORACLE_SEED when set, a fresh
// one otherwise; printed either way so a failure can be repeated.
std::uint64_t OracleSeed(const char* user);

struct NumberText {
  std::u16string text;
  char16_t decimal = u'.';
  DecimalNumber number;
  bool valid = true;         // false: the exponent has more digits than the grammar takes
  std::string cLibraryForm;  // the same decimal number as strtold reads it
};

// Up to 19 significant digits, at most 27 decimals, and an exponent that
// leaves a scaling exponent (exponent minus decimals) in [-27, 27].
NumberText NarrowNumberText(Random& random);

// Any exponent: values that overflow, that go subnormal or to zero, mantissas
// of more than 19 digits, now and then one of thousands, and a few exponents
// of 5000 or more, which the grammar rejects.
NumberText WideNumberText(Random& random);

// A value for any coil input: ordinary sizes, zeros, subnormals, values near
// the overflow threshold and near the square root of it, either sign.
long double AnyValue(Random& random);

// Coil inputs with the coincidences that matter: P = OD or a few ulps off,
// a pitch too small to survive P - OD + OD, A = OD, P = 0.
CoilInputs RandomCoilInputs(Random& random);

// A length of tube in metres for `in`, which it may change to make the
// counted tails take up all of it, a little more or a little less, or to make
// the turn length zero (P = 0 and D = 0).
long double RandomTubeMetres(Random& random, CoilInputs& in);

// A magnitude between 1e-3 and 1e17, either sign: a random significand, or
// the value read from a short decimal that ends in 5 (a half at the third or
// fourth decimal, or a few places further).
enum class Displayed { kRandomSignificand, kDecimalEndingInFive };
long double DisplayedValue(Random& random, Displayed kind);

// A value read from a decimal text by the C library.
long double CLibraryValue(const std::string& text);

}  // namespace ambrelix::oracle
