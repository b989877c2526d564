// Independent models of the core's arithmetic in MPFR: a 64-bit significand,
// the extended format's exponent range with its subnormals, every operation
// rounded to nearest-even, and the flags deciding which arithmetic fault an
// operation raised. Native only (there is no MPFR for the Windows build).
#pragma once

// clang-format off
#include <stdint.h>  // first: mpfr.h declares its uintmax_t functions only after it
#include <mpfr.h>
// clang-format on

#include <cstdint>
#include <optional>
#include <string>

#include "calc/coil.h"
#include "calc/errors.h"
#include "tests/oracle/extended_bits.h"

namespace ambrelix::oracle {

// An MPFR number with the extended format's 64-bit significand.
class Real {
 public:
  Real() {
    mpfr_init2(v_, 64);
    mpfr_set_zero(v_, 1);
  }
  explicit Real(ExtendedBits bits);
  Real(const Real& other) {
    mpfr_init2(v_, 64);
    mpfr_set(v_, other.v_, MPFR_RNDN);
  }
  Real& operator=(const Real& other) {
    mpfr_set(v_, other.v_, MPFR_RNDN);
    return *this;
  }
  ~Real() { mpfr_clear(v_); }

  mpfr_ptr get() { return v_; }
  mpfr_srcptr get() const { return v_; }
  ExtendedBits bits() const;  // exact: the value must be one of the format's

 private:
  mpfr_t v_;
};

// MPFR's exponent range narrowed to the extended format for the lifetime of
// the object: emin -16444 makes 2^-16445 (the smallest subnormal) the
// smallest magnitude, emax 16384 puts the largest finite value just below 2^16384.
class ExtendedRange {
 public:
  ExtendedRange();
  ~ExtendedRange();
  ExtendedRange(const ExtendedRange&) = delete;
  ExtendedRange& operator=(const ExtendedRange&) = delete;

 private:
  mpfr_exp_t savedMin_, savedMax_;
};

// Each operation rounds to 64 bits, nearest-even, then to the subnormal grid
// below 2^-16382 (mpfr_subnormalize uses the first rounding's direction, so
// there is no double rounding). The first operation that raised a flag
// decides the fault; later ones are still carried out.
class ExtendedArithmetic {
 public:
  void Add(Real& r, const Real& a, const Real& b);
  void Sub(Real& r, const Real& a, const Real& b);
  void Mul(Real& r, const Real& a, const Real& b);
  void Div(Real& r, const Real& a, const Real& b);
  void Sqrt(Real& r, const Real& a);
  void RoundToInteger(Real& r, const Real& a);
  void NoteOverflow() {
    if (!fault_) fault_ = FaultKind::Overflow;
  }
  std::optional<FaultKind> fault() const { return fault_; }
  bool inexact() const { return inexact_; }  // some operation rounded

 private:
  void Settle(Real& r, int ternary);
  ExtendedRange range_;
  std::optional<FaultKind> fault_;
  bool inexact_ = false;
};

// The nearest 64-bit values to 10^0..10^31, 10^(32j) and 10^(512j), from MPFR.
const Real& NearestPowerOfTen(int exponent);

// value × 10^e in up to three rounded steps: 10^(m mod 32), then
// 10^(32 ((m div 32) mod 16)), then 10^(512 (m div 512)), m = |e|; dividing
// when e is negative. From e = -5120 down the result is zero; from 5120 up it
// overflows.
void ScaleByPowerOfTen(ExtendedArithmetic& arithmetic, Real& value, std::int64_t e);

// A number text reduced to what its value depends on.
struct DecimalNumber {
  bool negative = false;
  std::string digits;         // every mantissa digit in order, leading zeros included
  std::int64_t decimals = 0;  // how many of them follow the decimal separator
  std::int64_t exponent = 0;  // the value of the exponent part
};

// The reading: value = value × 10 + digit over all digits, scaled by
// 10^(exponent - decimals), negated; nullopt when a step overflowed.
std::optional<ExtendedBits> ModelRead(const DecimalNumber& number);

struct CoilOutcome {
  std::optional<FaultKind> fault;
  bool tailsLongerThanTube = false;  // only when the tube's length is given
  ExtendedBits G, h, O, I, A, n, L, V;
  bool gapWarning = false;
};

// The coil's steps in their order and grouping; the fault is that of the
// first failing step.
CoilOutcome ModelCoil(const CoilInputs& in);

// The same for a given length of tube, in metres: G, the tube in mm, the
// counted tails taken off it (the check for a negative rest comes after a
// fault in those steps), the turn length, n = rest / turn, V over the whole
// tube, then A, h, O and I as when the turns are given.
CoilOutcome ModelCoilFromLength(const CoilInputs& in, long double tubeMetres);

struct ExtrasOutcome {
  std::optional<FaultKind> fault;
  ExtendedBits outsideArea, insideArea, metalVolume;
  std::optional<ExtendedBits> mass;
};

// π × OD × L and π × ID × L over 10^6, ((OD² − ID²) × π / 4 × L) / 1000 and
// that times the density over 1000, each product and quotient rounded, left
// to right.
ExtrasOutcome ModelTubeExtras(long double OD, long double ID, long double L,
                              std::optional<long double> density);

// |value| ≈ 0.d1d2… × 10^exponent; no digits means zero.
struct SignificantDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
  bool scalingInexact = false;  // the scaling by a power of ten was rounded
  bool cutBack = false;         // the scaled integer reached 10^18 and was divided by ten
};

// The fixed-point text's first step as documented: estimate the decimal
// exponent from the binary one, scale by 10^(18 - E) in rounded steps, round
// to an integer (once more after a division by ten when it reached 10^18).
// nullopt for infinities and NaNs.
std::optional<SignificantDigits> ModelEighteenDigits(ExtendedBits value);

// The exact value correctly rounded to 18 significant digits (nearest-even).
SignificantDigits CorrectlyRoundedDigits(ExtendedBits value);

// Rounding at `decimals` decimals, halves away from zero, and the text: fixed
// form up to a decimal exponent of 18, the "E" form above.
std::u16string FixedText(SignificantDigits s, int decimals, char16_t separator);

}  // namespace ambrelix::oracle
