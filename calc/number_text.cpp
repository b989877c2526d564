#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace ambrelix {
namespace number_text_detail {

// Exact bit patterns of the nearest extended values (checked against an
// arbitrary-precision rounding of each power in the tests). 10^0..10^27 are
// exact; from 10^28 on each is rounded to nearest.
const Extended kPowersOfTenUnits[32] = {
    0x8p-3L,                   // 1e0
    0xap+0L,                   // 1e1
    0xc.8p+3L,                 // 1e2
    0xf.ap+6L,                 // 1e3
    0x9.c4p+10L,               // 1e4
    0xc.35p+13L,               // 1e5
    0xf.424p+16L,              // 1e6
    0x9.8968p+20L,             // 1e7
    0xb.ebc2p+23L,             // 1e8
    0xe.e6b28p+26L,            // 1e9
    0x9.502f9p+30L,            // 1e10
    0xb.a43b74p+33L,           // 1e11
    0xe.8d4a51p+36L,           // 1e12
    0x9.184e72ap+40L,          // 1e13
    0xb.5e620f48p+43L,         // 1e14
    0xe.35fa931ap+46L,         // 1e15
    0x8.e1bc9bf04p+50L,        // 1e16
    0xb.1a2bc2ec5p+53L,        // 1e17
    0xd.e0b6b3a764p+56L,       // 1e18
    0x8.ac7230489e8p+60L,      // 1e19
    0xa.d78ebc5ac62p+63L,      // 1e20
    0xd.8d726b7177a8p+66L,     // 1e21
    0x8.78678326eac9p+70L,     // 1e22
    0xa.968163f0a57b4p+73L,    // 1e23
    0xd.3c21bcecceda1p+76L,    // 1e24
    0x8.4595161401484ap+80L,   // 1e25
    0xa.56fa5b99019a5c8p+83L,  // 1e26
    0xc.ecb8f27f4200f3ap+86L,  // 1e27
    0x8.13f3978f8940984p+90L,  // 1e28
    0xa.18f07d736b90be5p+93L,  // 1e29
    0xc.9f2c9cd04674edfp+96L,  // 1e30
    0xf.c6f7c4045812296p+99L,  // 1e31
};

const Extended kPowersOfTenThirtySeconds[16] = {
    1.0L,
    0x9.dc5ada82b70b59ep+103L,   // 1e32
    0xc.2781f49ffcfa6d5p+209L,   // 1e64
    0xe.fb3ab16c59b14a3p+315L,   // 1e96
    0x9.3ba47c980e98cep+422L,    // 1e128
    0xb.616a12b7fe617aap+528L,   // 1e160
    0xe.070f78d3927556bp+634L,   // 1e192
    0x8.a5296ffe33cc93p+741L,    // 1e224
    0xa.a7eebfb9df9de8ep+847L,   // 1e256
    0xd.226fc195c6a2f8cp+953L,   // 1e288
    0x8.1842f29f2cce376p+1060L,  // 1e320
    0x9.fa42700db900ad2p+1166L,  // 1e352
    0xc.4c5e310aef8aa17p+1272L,  // 1e384
    0xf.28a9c07e9b09c59p+1378L,  // 1e416
    0x9.57a4ae1ebf7f3d4p+1485L,  // 1e448
    0xb.83ed8dc0795a262p+1591L,  // 1e480
};

const Extended kPowersOfTenFiveTwelfths[10] = {
    1.0L,
    0xe.319a0aea60e91c7p+1697L,   // 1e512
    0xc.976758681750c17p+3398L,   // 1e1024
    0xb.2b8353b3993a7e4p+5099L,   // 1e1536
    0x9.e8b3b5dc53d5de5p+6800L,   // 1e2048
    0x8.ca554c020a1f0a6p+8501L,   // 1e2560
    0xf.9895d25d88b5a8bp+10201L,  // 1e3072
    0xd.d5dc8a2bf27f3f8p+11902L,  // 1e3584
    0xc.46052028a20979bp+13603L,  // 1e4096
    0xa.e3511626ed559fp+15304L,   // 1e4608
};

}  // namespace number_text_detail

namespace {

using namespace number_text_detail;

constexpr std::int64_t kScaleLimit = 5120;

// value × 10^e (or ÷ 10^-e) through the three tables, each step rounded.
template <class OnFault>
Extended ScaleByPowerOfTen(Extended value, std::int64_t e, OnFault&& fault) {
  if (e <= -kScaleLimit) return std::copysign(Extended{0}, value);
  if (e >= kScaleLimit) {
    if (value == 0) return value;
    fault(FaultKind::Overflow);
    return std::copysign(std::numeric_limits<Extended>::infinity(), value);
  }
  const bool up = e > 0;
  const auto m = static_cast<std::uint32_t>(up ? e : -e);
  auto step = [&](Extended power) {
    value = up ? ext::Mul(value, power, fault) : ext::Div(value, power, fault);
  };
  step(kPowersOfTenUnits[m % 32]);
  if ((m / 32) % 16 != 0) step(kPowersOfTenThirtySeconds[(m / 32) % 16]);
  if (m / 512 != 0) step(kPowersOfTenFiveTwelfths[m / 512]);
  return value;
}

enum class ReadStatus { kOk, kMalformed, kOutOfRange };

template <class Char>
bool IsDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

// Where the parts of a text that fits the grammar lie, for CompactNumberText.
struct NumberLayout {
  bool negative = false;
  std::size_t integerBegin = 0, integerEnd = 0;    // the digits before the separator
  bool separator = false;                          // the decimal separator is there
  std::size_t fractionBegin = 0, fractionEnd = 0;  // the digits after it
  std::int64_t exponent = 0;
};

// The grammar over code units: UTF-16 with a one-unit separator, or UTF-8
// with the separator's encoding (an empty one never matches). Every other
// character of the grammar is ASCII, so no UTF-8 sequence is split. Once a
// fault is recorded the value can only be out of range, so the remaining
// digits are checked against the grammar without arithmetic: a long run of
// digits past the extended range would otherwise go on multiplying
// infinities. Runs inside an X87Scope, out of line so its arithmetic stays
// there.
template <class Char>
AMBRELIX_OUT_OF_LINE ReadStatus ReadNumber(std::basic_string_view<Char> t,
                                           std::basic_string_view<Char> decimal, Extended& out,
                                           NumberLayout* layout = nullptr) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  while (i < n && t[i] == Char(' ')) ++i;

  bool negative = false;
  if (i < n && (t[i] == Char('+') || t[i] == Char('-'))) negative = t[i++] == Char('-');

  RecordFaults faults;
  Extended value = 0;
  auto digits = [&] {
    for (; i < n && IsDigit(t[i]); ++i)
      if (!faults.faulted)
        value = ext::Add(ext::Mul(value, Extended{10}, faults), Extended(t[i] - Char('0')), faults);
  };

  const std::size_t integerBegin = i;
  digits();
  const std::size_t integerEnd = i;
  bool mantissa = integerEnd != integerBegin;
  const bool separator =
      !decimal.empty() && i < n && t[i] == decimal[0] && t.substr(i).starts_with(decimal);
  if (separator) {
    i += decimal.size();
    mantissa = true;
  }
  const std::size_t fractionBegin = i;
  if (separator) digits();
  const std::size_t fractionEnd = i;
  if (!mantissa) return ReadStatus::kMalformed;
  const auto decimals = static_cast<std::int64_t>(fractionEnd - fractionBegin);

  std::int64_t exponent = 0;
  if (i < n && (t[i] == Char('E') || t[i] == Char('e'))) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (t[i] == Char('+') || t[i] == Char('-'))) negativeExponent = t[i++] == Char('-');
    while (i < n && IsDigit(t[i]) && exponent < 500)
      exponent = exponent * 10 + (t[i++] - Char('0'));
    if (i < n && IsDigit(t[i])) return ReadStatus::kMalformed;
    if (negativeExponent) exponent = -exponent;
  }

  while (i < n && t[i] == Char(' ')) ++i;
  if (i != n) return ReadStatus::kMalformed;
  if (faults.faulted) return ReadStatus::kOutOfRange;

  value = ScaleByPowerOfTen(value, exponent - decimals, faults);
  if (negative) value = -value;
  if (faults.faulted) return ReadStatus::kOutOfRange;
  out = value;
  if (layout)
    *layout = {negative, integerBegin, integerEnd, separator, fractionBegin, fractionEnd, exponent};
  return ReadStatus::kOk;
}

ReadStatus ReadNumber(std::u16string_view t, char16_t decimal, Extended& out) {
  return ReadNumber(t, std::u16string_view(&decimal, 1), out);
}

// The separator as UTF-8; a surrogate is no character and encodes as nothing.
struct Utf8Separator {
  explicit Utf8Separator(char16_t c) {
    if (c < 0x80) {
      bytes[size++] = static_cast<char>(c);
    } else if (c < 0x800) {
      bytes[size++] = static_cast<char>(0xC0 | c >> 6);
      bytes[size++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0xD800 || c > 0xDFFF) {
      bytes[size++] = static_cast<char>(0xE0 | c >> 12);
      bytes[size++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes[size++] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  std::string_view view() const { return {bytes, size}; }

  char bytes[3] = {};
  std::size_t size = 0;
};

// Fraction zeros in front of the first significant digit beyond this many
// cannot change the value: with an exponent of at most 4999 the scale is
// then below 10^-5120, which reads as zero with or without the rest.
constexpr std::size_t kFractionZerosThatMatter = 10119;

// The value as 18 significant digits: |value| ≈ 0.d1…d18 × 10^exponent.
struct SignificantDigits {
  std::array<std::uint8_t, 18> d{};
  int count = 0;  // significant digits kept; 0 means the value is zero
  int exponent = 0;
};

constexpr Extended kTenToEighteen = 1e18L;

// The unbiased binary exponent of a normal extended value, from its sign and
// exponent word (the x87 format has an explicit integer bit, so no
// adjustment is needed).
int BinaryExponent(Extended x) {
  std::uint16_t signAndExponent;
  std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&x) + 8, 2);
  return (signAndExponent & 0x7FFF) - 16383;
}

void PutNineDigits(std::uint32_t v, std::uint8_t* out) {
  const std::uint32_t pairs[4] = {v / 1000000u % 100u, v / 10000u % 100u, v / 100u % 100u,
                                  v % 100u};
  out[0] = static_cast<std::uint8_t>(v / 100000000u);
  for (int k = 0; k < 4; ++k) {
    out[1 + 2 * k] = static_cast<std::uint8_t>(pairs[k] / 10);
    out[2 + 2 * k] = static_cast<std::uint8_t>(pairs[k] % 10);
  }
}

AMBRELIX_OUT_OF_LINE SignificantDigits EighteenDigits(Extended magnitude) {
  SignificantDigits s;
  if (magnitude == 0 || std::fpclassify(magnitude) == FP_SUBNORMAL) return s;

  // 19728 / 2^16 is log10(2) a little short, so for large values the
  // estimate is at most one low; the scaled integer then reaches 10^18 and
  // is cut back by one digit.
  const int b = BinaryExponent(magnitude);
  int e = ((b * 19728) >> 16) + 1;
  Extended integer = ext::RoundToInteger(ScaleByPowerOfTen(magnitude, 18 - e, RaiseFaults{}));
  if (integer >= kTenToEighteen) {
    integer = ext::RoundToInteger(ext::Div(integer, Extended{10}, RaiseFaults{}));
    ++e;
  }
  // Two halves of nine digits, two digits at a time: the digits are on the
  // path of every result the window shows.
  const auto u = static_cast<std::uint64_t>(integer);
  PutNineDigits(static_cast<std::uint32_t>(u / 1000000000u), s.d.data());
  PutNineDigits(static_cast<std::uint32_t>(u % 1000000000u), s.d.data() + 9);
  s.count = 18;
  s.exponent = e;
  // Below about 2^-680 the estimate can be one high instead, which leaves a
  // leading zero; shifting it out keeps the value and the rounding position.
  while (s.count > 0 && s.d[0] == 0) {
    for (int k = 0; k + 1 < 18; ++k) s.d[k] = s.d[k + 1];
    s.d[17] = 0;
    --s.exponent;
    --s.count;
  }
  return s;
}

// Rounds to `decimals` decimals, halves away from zero, and drops trailing zeros.
void RoundAtDecimals(SignificantDigits& s, int decimals) {
  if (s.count == 0) return;
  const int kept = s.exponent + decimals;
  if (kept < 0) {
    s.count = 0;
    return;
  }
  if (kept < s.count) {
    const bool up = s.d[kept] >= 5;
    s.count = kept;
    if (up) {
      int k = kept - 1;
      while (k >= 0 && s.d[k] == 9) s.d[k--] = 0;
      if (k >= 0) {
        ++s.d[k];
      } else {
        s.d[0] = 1;
        s.count = 1;
        ++s.exponent;
      }
    }
  }
  while (s.count > 0 && s.d[s.count - 1] == 0) --s.count;
}

class TextBuilder {
 public:
  void Put(char16_t c) { buffer_[size_++] = c; }
  void Digit(int d) { Put(static_cast<char16_t>(u'0' + d)); }
  std::u16string Take() const { return std::u16string(buffer_.data(), size_); }

 private:
  std::array<char16_t, 64> buffer_;
  std::size_t size_ = 0;
};

}  // namespace

Extended TextToNumber(std::u16string_view text, NumberSeparators separators) {
  X87Scope fpu;
  Extended value;
  if (ReadNumber(text, separators.decimal, value) != ReadStatus::kOk) throw ConversionError(text);
  return value;
}

Extended TextToNumber(std::u16string_view text, const SeparatorProvider& separators) {
  return TextToNumber(text, separators.Separators());
}

Extended TextToNumberLenient(std::u16string_view text, NumberSeparators separators) {
  X87Scope fpu;
  Extended value = 0;
  if (text.find(separators.thousand) == std::u16string_view::npos)
    return ReadNumber(text, separators.decimal, value) == ReadStatus::kOk ? value : 0;

  std::u16string stripped;
  stripped.reserve(text.size());
  for (char16_t c : text)
    if (c != separators.thousand) stripped.push_back(c);
  return ReadNumber(stripped, separators.decimal, value) == ReadStatus::kOk ? value : 0;
}

bool IsUsableSeparator(char16_t c) {
  const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  const bool inGrammar = IsDigit(c) || c == u'+' || c == u'-' || c == u'e' || c == u'E';
  return !control && !surrogate && !inGrammar && c != u'"';
}

SeparatorChoice SeparatorsFromRegionalSettings(std::optional<std::u16string_view> decimal,
                                               std::optional<std::u16string_view> thousand) {
  const bool noGrouping = thousand && thousand->empty();
  const bool usable = decimal && thousand && decimal->size() == 1 &&
                      IsUsableSeparator((*decimal)[0]) &&
                      (noGrouping || (thousand->size() == 1 && IsUsableSeparator((*thousand)[0]) &&
                                      (*thousand)[0] != (*decimal)[0]));
  if (!usable) return {NumberSeparators{u'.', u','}, false};
  return {NumberSeparators{(*decimal)[0], noGrouping ? u'\0' : (*thousand)[0]}, true};
}

std::optional<std::u16string> CompactNumberText(std::string_view text,
                                                NumberSeparators separators) {
  const Utf8Separator decimal(separators.decimal);
  Extended value;
  NumberLayout at;
  {
    X87Scope fpu;
    if (ReadNumber(text, decimal.view(), value, &at) != ReadStatus::kOk) return std::nullopt;
  }
  std::u16string compact;
  auto append = [&](std::size_t begin, std::size_t end) {
    for (std::size_t k = begin; k < end; ++k) compact.push_back(static_cast<char16_t>(text[k]));
  };
  if (at.negative) compact.push_back(u'-');
  // A zero integer part keeps one digit: with a space as the separator a
  // text cannot start with it.
  std::size_t integer = at.integerBegin;
  while (integer < at.integerEnd && text[integer] == '0') ++integer;
  const bool integerIsZero = integer == at.integerEnd;
  if (integerIsZero) compact.push_back(u'0');
  append(integer, at.integerEnd);
  if (at.separator) {
    compact.push_back(separators.decimal);
    std::size_t fraction = at.fractionBegin;
    if (integerIsZero) {
      while (fraction < at.fractionEnd && text[fraction] == '0') ++fraction;
      const std::size_t zeros = fraction - at.fractionBegin;
      compact.append(std::min(zeros, kFractionZerosThatMatter), u'0');
    }
    append(fraction, at.fractionEnd);
  }
  if (at.exponent != 0) {
    compact.push_back(u'E');
    for (char c : std::to_string(at.exponent)) compact.push_back(static_cast<char16_t>(c));
  }
  return compact;
}

Extended TextToNumberLenient(std::u16string_view text, const SeparatorProvider& separators) {
  return TextToNumberLenient(text, separators.Separators());
}

std::u16string NumberToFixedText(Extended value, int decimals, NumberSeparators separators) {
  if (decimals < 0 || decimals > 18)
    throw std::out_of_range("NumberToFixedText: decimals must be 0 to 18");
  if (!std::isfinite(value)) throw ArithmeticFault(FaultKind::InvalidOperation);

  X87Scope fpu;
  SignificantDigits s = EighteenDigits(std::fabs(value));
  RoundAtDecimals(s, decimals);

  TextBuilder text;
  if (s.count > 0 && std::signbit(value)) text.Put(u'-');

  if (s.count > 0 && s.exponent > 18) {
    text.Digit(s.d[0]);
    if (s.count > 1) {
      text.Put(separators.decimal);
      for (int k = 1; k < s.count; ++k) text.Digit(s.d[k]);
    }
    text.Put(u'E');
    std::array<std::uint8_t, 8> power{};
    int width = 0;
    for (int p = s.exponent - 1; p > 0 || width == 0; p /= 10)
      power[width++] = static_cast<std::uint8_t>(p % 10);
    for (int pad = width; pad < decimals; ++pad) text.Put(u'0');
    while (width > 0) text.Digit(power[--width]);
    return text.Take();
  }

  // Digit k of 0.d1d2…: zero past either end.
  const int e = s.count > 0 ? s.exponent : 0;
  auto digitAt = [&](int k) { return k >= 0 && k < s.count ? s.d[k] : 0; };
  if (e <= 0) {
    text.Put(u'0');
  } else {
    for (int k = 0; k < e; ++k) text.Digit(digitAt(k));
  }
  if (decimals > 0) {
    text.Put(separators.decimal);
    for (int k = 0; k < decimals; ++k) text.Digit(digitAt(e + k));
  }
  return text.Take();
}

std::u16string NumberToFixedText(Extended value, int decimals,
                                 const SeparatorProvider& separators) {
  return NumberToFixedText(value, decimals, separators.Separators());
}

}  // namespace ambrelix
