#include "tests/oracle/mpfr_model.h"

#include <array>
#include <stdexcept>

namespace ambrelix::oracle {
namespace {

constexpr int kExponentBias = 16383;
constexpr int kMinNormalExponent = -16382;  // of the leading bit
constexpr int kSignificandBits = 64;

// Floor division, so negative binary exponents give the lower estimate.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

Real::Real(ExtendedBits bits) {
  mpfr_init2(v_, kSignificandBits);
  const int sign = bits.negative() ? -1 : 1;
  const std::uint64_t fraction = bits.significand & 0x7FFFFFFFFFFFFFFFULL;
  if (bits.biasedExponent() == 0x7FFF) {
    if (fraction == 0) {
      mpfr_set_inf(v_, sign);
    } else {
      mpfr_set_nan(v_);
    }
    return;
  }
  if (bits.significand == 0) {
    mpfr_set_zero(v_, sign);
    return;
  }
  // A subnormal's significand is scaled like that of the smallest normal.
  const int unbiased = (bits.biasedExponent() == 0 ? 1 : bits.biasedExponent()) - kExponentBias;
  mpfr_set_uj_2exp(v_, bits.significand, unbiased - (kSignificandBits - 1), MPFR_RNDN);
  if (sign < 0) mpfr_neg(v_, v_, MPFR_RNDN);
}

ExtendedBits Real::bits() const {
  const auto sign = static_cast<std::uint16_t>(mpfr_signbit(v_) ? 0x8000 : 0);
  if (mpfr_nan_p(v_)) return {0xFFFF, 0xC000000000000000ULL};
  if (mpfr_inf_p(v_)) return {static_cast<std::uint16_t>(sign | 0x7FFF), 0x8000000000000000ULL};
  if (mpfr_zero_p(v_)) return {sign, 0};

  // v = m × 2^e with 1/2 <= |m| < 1, so the leading bit has weight 2^(e-1).
  const std::int64_t leading = mpfr_get_exp(v_) - 1;
  const bool subnormal = leading < kMinNormalExponent;
  const std::int64_t shift =
      subnormal ? -(kMinNormalExponent - (kSignificandBits - 1)) : (kSignificandBits - 1) - leading;
  mpfr_t scaled;
  mpfr_init2(scaled, kSignificandBits);
  mpfr_mul_2si(scaled, v_, static_cast<long>(shift), MPFR_RNDN);
  mpfr_abs(scaled, scaled, MPFR_RNDN);
  const bool exact = mpfr_integer_p(scaled) != 0;
  const std::uint64_t significand = mpfr_get_uj(scaled, MPFR_RNDN);
  mpfr_clear(scaled);
  if (!exact || leading > kExponentBias)
    throw std::logic_error("not a value of the extended format");
  const auto biased = static_cast<std::uint16_t>(subnormal ? 0 : leading + kExponentBias);
  return {static_cast<std::uint16_t>(sign | biased), significand};
}

ExtendedRange::ExtendedRange() : savedMin_(mpfr_get_emin()), savedMax_(mpfr_get_emax()) {
  mpfr_set_emin(kMinNormalExponent - (kSignificandBits - 1) + 1);
  mpfr_set_emax(kExponentBias + 1);
}

ExtendedRange::~ExtendedRange() {
  mpfr_set_emin(savedMin_);
  mpfr_set_emax(savedMax_);
}

void ExtendedArithmetic::Settle(Real& r, int ternary) {
  const bool invalid = mpfr_nanflag_p() != 0;
  const bool byZero = mpfr_divby0_p() != 0;
  const bool overflow = mpfr_overflow_p() != 0;
  if (mpfr_subnormalize(r.get(), ternary, MPFR_RNDN) != 0 || ternary != 0) inexact_ = true;
  if (fault_) return;
  if (invalid) {
    fault_ = FaultKind::InvalidOperation;
  } else if (byZero) {
    fault_ = FaultKind::DivisionByZero;
  } else if (overflow) {
    fault_ = FaultKind::Overflow;
  }
}

void ExtendedArithmetic::Add(Real& r, const Real& a, const Real& b) {
  mpfr_clear_flags();
  Settle(r, mpfr_add(r.get(), a.get(), b.get(), MPFR_RNDN));
}

void ExtendedArithmetic::Sub(Real& r, const Real& a, const Real& b) {
  mpfr_clear_flags();
  Settle(r, mpfr_sub(r.get(), a.get(), b.get(), MPFR_RNDN));
}

void ExtendedArithmetic::Mul(Real& r, const Real& a, const Real& b) {
  mpfr_clear_flags();
  Settle(r, mpfr_mul(r.get(), a.get(), b.get(), MPFR_RNDN));
}

void ExtendedArithmetic::Div(Real& r, const Real& a, const Real& b) {
  mpfr_clear_flags();
  Settle(r, mpfr_div(r.get(), a.get(), b.get(), MPFR_RNDN));
}

void ExtendedArithmetic::Sqrt(Real& r, const Real& a) {
  mpfr_clear_flags();
  Settle(r, mpfr_sqrt(r.get(), a.get(), MPFR_RNDN));
}

// Nearest integer, ties to even (MPFR's nearest mode), as the x87 FRNDINT.
void ExtendedArithmetic::RoundToInteger(Real& r, const Real& a) {
  mpfr_clear_flags();
  Settle(r, mpfr_rint(r.get(), a.get(), MPFR_RNDN));
}

const Real& NearestPowerOfTen(int exponent) {
  static const auto table = [] {
    std::array<Real, 4609> powers;
    for (std::size_t k = 0; k < powers.size(); ++k)
      if (k < 32 || k % 32 == 0)
        mpfr_ui_pow_ui(powers[k].get(), 10, static_cast<unsigned long>(k), MPFR_RNDN);
    return powers;
  }();
  if (exponent < 0 || exponent > 4608 || (exponent >= 32 && exponent % 32 != 0))
    throw std::logic_error("no such power in the tables");
  return table[static_cast<std::size_t>(exponent)];
}

void ScaleByPowerOfTen(ExtendedArithmetic& arithmetic, Real& value, std::int64_t e) {
  if (e <= -5120) {
    mpfr_set_zero(value.get(), mpfr_signbit(value.get()) ? -1 : 1);
    return;
  }
  if (e >= 5120) {
    if (mpfr_zero_p(value.get())) return;
    arithmetic.NoteOverflow();
    mpfr_set_inf(value.get(), mpfr_signbit(value.get()) ? -1 : 1);
    return;
  }
  const std::int64_t m = e < 0 ? -e : e;
  auto step = [&](std::int64_t power) {
    if (e > 0) {
      arithmetic.Mul(value, value, NearestPowerOfTen(static_cast<int>(power)));
    } else {
      arithmetic.Div(value, value, NearestPowerOfTen(static_cast<int>(power)));
    }
  };
  step(m % 32);
  if ((m / 32) % 16 != 0) step(32 * ((m / 32) % 16));
  if (m / 512 != 0) step(512 * (m / 512));
}

std::optional<ExtendedBits> ModelRead(const DecimalNumber& number) {
  ExtendedArithmetic arithmetic;
  Real value, ten, digit;
  mpfr_set_ui(ten.get(), 10, MPFR_RNDN);
  for (char c : number.digits) {
    arithmetic.Mul(value, value, ten);
    mpfr_set_ui(digit.get(), static_cast<unsigned long>(c - '0'), MPFR_RNDN);
    arithmetic.Add(value, value, digit);
  }
  ScaleByPowerOfTen(arithmetic, value, number.exponent - number.decimals);
  if (number.negative) mpfr_neg(value.get(), value.get(), MPFR_RNDN);
  if (arithmetic.fault()) return std::nullopt;
  return value.bits();
}

namespace {

Real Pi() {
  Real pi;
  mpfr_set_uj_2exp(pi.get(), 0xC90FDAA22168C235ULL, -62, MPFR_RNDN);
  return pi;
}

Real Whole(unsigned long value) {
  Real r;
  mpfr_set_ui(r.get(), value, MPFR_RNDN);
  return r;
}

// sqrt((P × P) + ((D × D) × (π × π)))
Real TurnLength(ExtendedArithmetic& x, const Real& P, const Real& D) {
  Real pitchSquared, diameterSquared, piSquared, circumferenceSquared, sum, turn;
  x.Mul(pitchSquared, P, P);
  x.Mul(diameterSquared, D, D);
  x.Mul(piSquared, Pi(), Pi());
  x.Mul(circumferenceSquared, diameterSquared, piSquared);
  x.Add(sum, pitchSquared, circumferenceSquared);
  x.Sqrt(turn, sum);
  return turn;
}

// ((ID / 2 × π) × ID / 2) × L
Real Volume(ExtendedArithmetic& x, const Real& ID, const Real& L) {
  Real r, rPi, rPiR, V;
  x.Div(r, ID, Whole(2));
  x.Mul(rPi, r, Pi());
  x.Mul(rPiR, rPi, r);
  x.Mul(V, rPiR, L);
  return V;
}

// A, h, O, I and the gap rule into `out`, unless a step faulted.
void Finish(ExtendedArithmetic& x, const CoilInputs& in, const Real& G, const Real& n,
            const Real& L, const Real& V, const Real& overall, CoilOutcome& out) {
  const Real OD(BitsOf(in.OD)), D(BitsOf(in.D));
  Real h, O, I;
  x.Sub(h, overall, OD);
  x.Add(O, D, OD);
  x.Sub(I, D, OD);
  out.fault = x.fault();
  if (out.fault) return;
  out.G = G.bits();
  out.h = h.bits();
  out.O = O.bits();
  out.I = I.bits();
  out.A = overall.bits();
  out.n = n.bits();
  out.L = L.bits();
  out.V = V.bits();
  out.gapWarning = !(mpfr_sgn(G.get()) > 0);
}

}  // namespace

CoilOutcome ModelCoil(const CoilInputs& in) {
  ExtendedArithmetic x;
  const Real D(BitsOf(in.D)), P(BitsOf(in.P)), A(BitsOf(in.A)), OD(BitsOf(in.OD)),
      ID(BitsOf(in.ID)), t1(BitsOf(in.t1)), t2(BitsOf(in.t2));

  Real G;
  x.Sub(G, P, OD);

  Real n(BitsOf(in.n));
  if (in.mode == SolveMode::HeightGiven) {
    Real rise, divisor;
    x.Sub(rise, A, OD);
    x.Add(divisor, G, OD);
    x.Div(n, rise, divisor);
  }

  Real L;
  x.Mul(L, TurnLength(x, P, D), n);
  if (in.withT1) x.Add(L, L, t1);
  if (in.withT2) x.Add(L, L, t2);
  const Real V = Volume(x, ID, L);

  Real overall = A;
  if (in.mode == SolveMode::TurnsGiven) {
    Real rise;
    x.Mul(rise, P, n);
    x.Add(overall, rise, OD);
  }
  CoilOutcome out;
  Finish(x, in, G, n, L, V, overall, out);
  return out;
}

CoilOutcome ModelCoilFromLength(const CoilInputs& in, long double tubeMetres) {
  ExtendedArithmetic x;
  const Real D(BitsOf(in.D)), P(BitsOf(in.P)), OD(BitsOf(in.OD)), ID(BitsOf(in.ID)),
      t1(BitsOf(in.t1)), t2(BitsOf(in.t2)), metres(BitsOf(tubeMetres));

  Real G, tube;
  x.Sub(G, P, OD);
  x.Mul(tube, metres, Whole(1000));
  Real rest = tube;
  if (in.withT1) x.Sub(rest, rest, t1);
  if (in.withT2) x.Sub(rest, rest, t2);
  CoilOutcome out;
  if (x.fault()) {
    out.fault = x.fault();
    return out;
  }
  if (!mpfr_nan_p(rest.get()) && mpfr_sgn(rest.get()) < 0) {
    out.tailsLongerThanTube = true;
    return out;
  }

  Real n;
  x.Div(n, rest, TurnLength(x, P, D));
  const Real V = Volume(x, ID, tube);
  Real rise, overall;
  x.Mul(rise, P, n);
  x.Add(overall, rise, OD);
  Finish(x, in, G, n, tube, V, overall, out);
  return out;
}

ExtrasOutcome ModelTubeExtras(long double OD, long double ID, long double L,
                              std::optional<long double> density) {
  ExtendedArithmetic x;
  const Real od(BitsOf(OD)), id(BitsOf(ID)), length(BitsOf(L));
  const Real million = Whole(1000000), thousand = Whole(1000);

  Real outside, inside, t;
  x.Mul(t, Pi(), od);
  x.Mul(t, t, length);
  x.Div(outside, t, million);
  x.Mul(t, Pi(), id);
  x.Mul(t, t, length);
  x.Div(inside, t, million);

  Real odSquared, idSquared, metal;
  x.Mul(odSquared, od, od);
  x.Mul(idSquared, id, id);
  x.Sub(t, odSquared, idSquared);
  x.Mul(t, t, Pi());
  x.Div(t, t, Whole(4));
  x.Mul(t, t, length);
  x.Div(metal, t, thousand);

  Real mass;
  if (density) {
    x.Mul(t, metal, Real(BitsOf(*density)));
    x.Div(mass, t, thousand);
  }

  ExtrasOutcome out;
  out.fault = x.fault();
  if (out.fault) return out;
  out.outsideArea = outside.bits();
  out.insideArea = inside.bits();
  out.metalVolume = metal.bits();
  if (density) out.mass = mass.bits();
  return out;
}

std::optional<SignificantDigits> ModelEighteenDigits(ExtendedBits value) {
  if (value.biasedExponent() == 0x7FFF) return std::nullopt;
  SignificantDigits s;
  s.negative = value.negative();
  if (value.biasedExponent() == 0) return s;  // zero or subnormal: no digits

  ExtendedArithmetic x;
  Real v(value);
  mpfr_abs(v.get(), v.get(), MPFR_RNDN);
  const std::int64_t b = mpfr_get_exp(v.get()) - 1;
  std::int64_t e = FloorDiv(b * 19728, 65536) + 1;

  ExtendedArithmetic scaling;
  ScaleByPowerOfTen(scaling, v, 18 - e);
  s.scalingInexact = scaling.inexact();
  if (scaling.fault()) throw std::logic_error("the digit scaling faulted");
  x.RoundToInteger(v, v);
  if (mpfr_cmp_ui(v.get(), 1000000000000000000UL) >= 0) {
    Real ten;
    mpfr_set_ui(ten.get(), 10, MPFR_RNDN);
    x.Div(v, v, ten);
    x.RoundToInteger(v, v);
    ++e;
    s.cutBack = true;
  }
  if (x.fault()) throw std::logic_error("the digit scaling faulted");
  s.digits = std::to_string(mpfr_get_uj(v.get(), MPFR_RNDN));
  if (s.digits.size() > 18) throw std::logic_error("more than 18 significant digits");
  // An estimate one too high leaves fewer than 18 digits; the value is the same.
  s.exponent = static_cast<int>(e) - (18 - static_cast<int>(s.digits.size()));
  return s;
}

SignificantDigits CorrectlyRoundedDigits(ExtendedBits value) {
  SignificantDigits s;
  s.negative = value.negative();
  if (value.biasedExponent() == 0 || value.biasedExponent() == 0x7FFF) return s;
  Real v(value);
  mpfr_abs(v.get(), v.get(), MPFR_RNDN);
  mpfr_exp_t exponent;
  char* digits = mpfr_get_str(nullptr, &exponent, 10, 18, v.get(), MPFR_RNDN);
  s.digits = digits;
  mpfr_free_str(digits);
  s.exponent = static_cast<int>(exponent);
  return s;
}

namespace {

std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string PowerOfTenZeros(std::int64_t count) {
  return std::string(static_cast<std::size_t>(count), '0');
}

}  // namespace

std::u16string FixedText(SignificantDigits s, int decimals, char16_t separator) {
  if (s.exponent > 18 && !s.digits.empty()) {
    while (s.digits.size() > 1 && s.digits.back() == '0') s.digits.pop_back();
    std::u16string text = s.negative ? u"-" : u"";
    text += static_cast<char16_t>(s.digits[0]);
    if (s.digits.size() > 1) text += separator + Widen(s.digits.substr(1));
    text += u'E';
    const int power = s.exponent - 1;
    std::string written = std::to_string(power < 0 ? -power : power);
    if (static_cast<int>(written.size()) < decimals)
      written.insert(0, static_cast<std::size_t>(decimals) - written.size(), '0');
    if (power < 0) text += u'-';
    return text + Widen(written);
  }

  // The value times 10^decimals is digits × 10^shift; round that to an
  // integer, halves away from zero, and put the separator before its last
  // `decimals` digits.
  std::string scaled = "0";
  if (!s.digits.empty()) {
    const std::int64_t shift =
        std::int64_t{s.exponent} - static_cast<std::int64_t>(s.digits.size()) + decimals;
    if (shift >= 0) {
      scaled = s.digits + PowerOfTenZeros(shift);
    } else if (shift > -19) {
      std::uint64_t divisor = 1;
      for (std::int64_t k = 0; k < -shift; ++k) divisor *= 10;
      scaled = std::to_string((std::stoull(s.digits) + divisor / 2) / divisor);
    }
  }
  const bool zero = scaled.find_first_not_of('0') == std::string::npos;
  if (static_cast<int>(scaled.size()) <= decimals)
    scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
  std::u16string text = s.negative && !zero ? u"-" : u"";
  const std::size_t integerDigits = scaled.size() - static_cast<std::size_t>(decimals);
  text += Widen(scaled.substr(0, integerDigits));
  if (decimals > 0) text += separator + Widen(scaled.substr(integerDigits));
  return text;
}

}  // namespace ambrelix::oracle
