#include "tests/oracle/random_inputs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace ambrelix::oracle {
namespace {

std::string Digits(Random& random, std::size_t count, bool leadingNonZero) {
  std::string digits;
  const int flavour = static_cast<int>(random.Below(10));
  for (std::size_t k = 0; k < count; ++k) {
    char d = static_cast<char>('0' + random.Below(10));
    if (flavour == 0) d = '9';                    // carries everywhere
    if (flavour == 1 && k > 0) d = '0';           // a round number
    if (flavour == 2 && k + 1 == count) d = '5';  // a half at the last place
    if (k == 0 && leadingNonZero && d == '0') d = static_cast<char>('1' + random.Below(9));
    digits += d;
  }
  return digits;
}

std::string Spaces(Random& random) {
  return random.Percent(70) ? "" : std::string(random.Below(3) + 1, ' ');
}

// Renders the number in one of the forms the grammar allows and keeps the
// decimal number it stands for next to it.
NumberText Compose(Random& random, bool negative, const std::string& digits, std::int64_t decimals,
                   std::int64_t exponent) {
  NumberText out;
  out.decimal = random.Percent(80) ? u'.' : u',';
  out.number = DecimalNumber{negative, digits, decimals, exponent};
  out.valid = exponent > -5000 && exponent < 5000;

  const std::size_t integerDigits = digits.size() - static_cast<std::size_t>(decimals);
  const std::string integer = digits.substr(0, integerDigits);
  const std::string fraction = digits.substr(integerDigits);

  std::string text = Spaces(random);
  if (negative) {
    text += '-';
  } else if (random.Percent(20)) {
    text += '+';
  }
  text += integer;
  if (decimals > 0 || integer.empty() || random.Percent(15)) text += '.';
  text += fraction;

  if (exponent != 0 || random.Percent(40)) {
    text += random.Percent(50) ? 'e' : 'E';
    const std::uint64_t magnitude =
        exponent < 0 ? static_cast<std::uint64_t>(-exponent) : static_cast<std::uint64_t>(exponent);
    if (exponent < 0) {
      text += '-';
    } else if (random.Percent(30)) {
      text += '+';
    }
    const bool bare = exponent == 0 && text.back() != '+' && random.Percent(50);  // "5e" means 5
    if (!bare) {
      if (random.Percent(20)) text += std::string(random.Below(3) + 1, '0');
      text += std::to_string(magnitude);
    }
  }
  text += Spaces(random);

  for (char c : text) out.text += c == '.' ? out.decimal : static_cast<char16_t>(c);
  out.cLibraryForm = (negative ? "-" : "") + (integer.empty() ? "0" : integer) + "." +
                     (fraction.empty() ? "0" : fraction) + "e" + std::to_string(exponent);
  return out;
}

// Leading zeros in front of the significant digits, and as many more as the
// decimals need to stand after the separator.
std::string PadForDecimals(Random& random, std::string digits, std::int64_t decimals) {
  if (random.Percent(20)) digits.insert(0, random.Below(3) + 1, '0');
  if (static_cast<std::int64_t>(digits.size()) < decimals)
    digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
  if (random.Percent(30)) digits.insert(0, "0");  // "0.5" as well as ".5"
  return digits;
}

long double FromFields(Random& random, int biasedExponent, bool negative) {
  ExtendedBits b;
  b.significand = random.Bits() | (biasedExponent == 0 ? 0 : 0x8000000000000000ULL);
  if (biasedExponent == 0) {
    b.significand &= 0x7FFFFFFFFFFFFFFFULL;
    b.significand >>= random.Below(64);  // subnormals of every size, down to the smallest
  }
  b.signExponent = static_cast<std::uint16_t>(biasedExponent | (negative ? 0x8000 : 0));
  return FromBits(b);
}

}  // namespace

std::uint64_t OracleSeed(const char* user) {
  std::uint64_t seed;
  if (const char* given = std::getenv("AMBRELIX_ORACLE_SEED"); given && *given) {
    seed = std::strtoull(given, nullptr, 0);
  } else {
    std::random_device device;
    seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  }
  std::printf("%s: AMBRELIX_ORACLE_SEED=%llu\n", user, static_cast<unsigned long long>(seed));
  std::fflush(stdout);
  return seed;
}

long double CLibraryValue(const std::string& text) {
  char* end = nullptr;
  const long double value = std::strtold(text.c_str(), &end);
  if (end != text.c_str() + text.size()) throw std::logic_error("strtold stopped early: " + text);
  return value;
}

NumberText NarrowNumberText(Random& random) {
  const std::size_t significant = random.Below(20);
  const std::int64_t decimals = random.Between(0, 27);
  const std::int64_t scaling = random.Between(-27, 27);
  const std::string digits =
      PadForDecimals(random, Digits(random, significant, true), random.Percent(30) ? 0 : decimals);
  // Without the padding above the decimals may exceed the digits; take fewer.
  const std::int64_t taken =
      std::min<std::int64_t>(decimals, static_cast<std::int64_t>(digits.size()));
  return Compose(random, random.Percent(30), digits, taken, scaling + taken);
}

NumberText WideNumberText(Random& random) {
  std::size_t significant = random.Percent(70) ? random.Below(19) + 1 : random.Below(12) + 20;
  if (random.Percent(3)) significant = 0;
  if (random.Below(400) == 0) significant = static_cast<std::size_t>(random.Between(4925, 4945));

  // The decimal magnitude aimed at: near the overflow threshold, in the
  // subnormal range, below it (zero), or anywhere.
  std::int64_t magnitude;
  switch (random.Below(4)) {
    case 0:
      magnitude = random.Between(4925, 4935);
      break;
    case 1:
      magnitude = random.Between(-4955, -4925);
      break;
    case 2:
      magnitude = random.Between(-5200, -4955);
      break;
    default:
      magnitude = random.Between(-5200, 4935);
      break;
  }
  std::int64_t decimals = random.Between(0, 30);
  if (significant > 1000) {
    decimals = random.Between(0, 20);
    magnitude = static_cast<std::int64_t>(significant) - decimals + random.Between(-15, 15);
  }
  std::int64_t exponent = magnitude + 1 - static_cast<std::int64_t>(significant) + decimals;
  if (exponent < -4999) {  // the rest of the way down by zeros after the separator
    decimals += -4999 - exponent;
    exponent = -4999;
  }
  if (exponent > 4999) exponent = 4999;
  if (random.Percent(3)) {  // too many exponent digits, mostly just past the limit
    const std::int64_t beyond =
        random.Percent(50) ? random.Between(5000, 5010) : random.Between(5000, 99999);
    exponent = random.Percent(50) ? beyond : -beyond;
  }

  const std::string digits = PadForDecimals(random, Digits(random, significant, true), decimals);
  return Compose(random, random.Percent(30), digits, decimals, exponent);
}

long double AnyValue(Random& random) {
  const bool negative = random.Percent(25);
  const long double sign = negative ? -1.0L : 1.0L;
  constexpr int kBias = 16383;
  switch (random.Below(11)) {
    case 0:
    case 1: {  // a size as typed: up to four integer digits, up to three decimals
      const std::string integer = std::to_string(random.Below(10000));
      return sign * CLibraryValue(integer + "." + Digits(random, random.Below(4), false));
    }
    case 2:
      return sign * static_cast<long double>(random.Below(201));
    case 3:
      return negative ? -0.0L : 0.0L;
    case 4:
      return FromFields(random, static_cast<int>(random.Between(1, 0x7FFE)), negative);
    case 5:  // at the overflow threshold
      return FromFields(random, 0x7FFE - static_cast<int>(random.Below(2)), negative);
    case 6:  // where a square overflows: around 2^8192, about 1.09e2466
      return FromFields(random, kBias + 8191 + static_cast<int>(random.Between(-1, 1)), negative);
    case 7:
      return FromFields(random, 0, negative);
    case 8:  // the smallest normals
      return FromFields(random, static_cast<int>(random.Between(1, 3)), negative);
    case 9:  // squares that go subnormal or to zero
      return FromFields(random, kBias - 8191 - static_cast<int>(random.Between(-40, 40)), negative);
    default:
      return FromFields(random, static_cast<int>(random.Between(kBias - 70, kBias + 70)), negative);
  }
}

CoilInputs RandomCoilInputs(Random& random) {
  CoilInputs in;
  in.mode = random.Percent(50) ? SolveMode::HeightGiven : SolveMode::TurnsGiven;
  in.withT1 = random.Percent(50);
  in.withT2 = random.Percent(50);
  long double* fields[] = {&in.D, &in.P, &in.A, &in.n, &in.OD, &in.ID, &in.t1, &in.t2};
  const bool ordinary = random.Percent(30);
  for (long double* field : fields) {
    *field = AnyValue(random);
    if (ordinary) *field = std::fabs(*field) < 1e-4L || std::fabs(*field) > 1e6L ? 10.5L : *field;
  }
  switch (random.Below(8)) {
    case 0:
      in.P = in.OD;
      break;
    case 1:  // a few ulps either side of OD
      in.P = in.OD;
      for (auto k = random.Between(1, 3); k > 0; --k)
        in.P = std::nextafter(in.P, random.Percent(50) ? 0.0L : in.OD * 2);
      break;
    case 2:  // vanishes in P - OD + OD
      in.P = std::ldexp(in.OD, -static_cast<int>(random.Between(60, 80)));
      break;
    case 3:
      in.A = in.OD;
      break;
    case 4:
      in.P = random.Percent(50) ? 0.0L : -0.0L;
      break;
    default:
      break;
  }
  return in;
}

long double RandomTubeMetres(Random& random, CoilInputs& in) {
  long double metres = AnyValue(random);
  if (random.Percent(40)) {  // as typed: up to three integer digits and three decimals
    const std::string integer = std::to_string(random.Below(1000));
    metres = CLibraryValue(integer + "." + Digits(random, random.Below(4), false));
    in.t1 = CLibraryValue(std::to_string(random.Below(2000)) + "." + Digits(random, 2, false));
    in.t2 = CLibraryValue(std::to_string(random.Below(2000)) + "." + Digits(random, 2, false));
  }
  switch (random.Below(8)) {
    case 0: {  // the tails take up the whole tube, or a few ulps more or less
      const long double tube = metres * 1000;
      in.withT1 = true;
      in.withT2 = random.Percent(50);
      in.t2 = in.withT2 ? tube / 4 : in.t2;
      in.t1 = in.withT2 ? tube - in.t2 : tube;
      for (auto k = random.Between(0, 2); k > 0; --k)
        in.t1 = std::nextafter(in.t1, random.Percent(50) ? 0.0L : in.t1 * 2);
      break;
    }
    case 1:
      in.P = random.Percent(50) ? 0.0L : -0.0L;
      in.D = random.Percent(50) ? 0.0L : -0.0L;
      break;
    default:
      break;
  }
  return metres;
}

long double DisplayedValue(Random& random, Displayed kind) {
  const long double sign = random.Percent(30) ? -1.0L : 1.0L;
  for (;;) {
    long double value;
    if (kind == Displayed::kRandomSignificand) {
      value = FromFields(random, static_cast<int>(random.Between(16383 - 10, 16383 + 56)), false);
    } else {
      const std::string integer = Digits(random, random.Below(18) + 1, true);
      const std::string fraction = Digits(random, random.Below(4) + 3, false);
      const std::string text = integer.substr(0, random.Below(integer.size() + 1)) + "." +
                               fraction.substr(0, fraction.size() - 1) + "5";
      value = CLibraryValue(text);
    }
    if (value >= 1e-3L && value <= 1e17L) return sign * value;
  }
}

}  // namespace ambrelix::oracle
