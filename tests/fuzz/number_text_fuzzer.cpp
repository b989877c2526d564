// Fuzzes the three number-text operations with hostile separators and any
// text, and NumberToFixedText with any 10-byte extended pattern.
//
// Input: byte 0 picks the decimal separator, byte 1 the thousand separator,
// byte 2 the number of decimals (0 to 18), byte 3 how the rest is a text (bit
// 1 set: UTF-8, as a file's field, valid or not; else bit 0 clear: one
// character per byte; set: UTF-16LE pairs). Bytes 4 to 13, padded with zeros,
// are also read as the raw extended value.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "calc/unicode.h"

namespace {

using ambrelix::ArithmeticFault;
using ambrelix::ConversionError;
using ambrelix::NumberSeparators;

constexpr char16_t kSeparators[16] = {
    u'.', u',', u'\'', u' ', u'\u00A0', u'\u202F', u'\u066B', u'5',
    u'0', u'E', u'e',  u'-', u'+',      u'\u0000', u'\uFFFF', static_cast<char16_t>(0xD800)};
constexpr NumberSeparators kPlain{u'.', u','};

// 18 significant digits rounded up reach 1.18973149535723177e4932, beyond the
// largest finite value, so the text of a value this large does not read back.
constexpr long double kLargestThatReadsBack = 1.189731495357231765e4932L;

void Require(bool condition, const char* what, long double value, const std::u16string& text) {
  if (condition) return;
  std::string shown;
  for (char16_t c : text) shown += c < 0x80 ? static_cast<char>(c) : '?';
  unsigned char bytes[10];
  std::memcpy(bytes, &value, 10);
  std::fprintf(stderr, "violated: %s\nvalue %.21Lg (bytes", what, value);
  for (unsigned char b : bytes) std::fprintf(stderr, " %02X", b);
  std::fprintf(stderr, ")\ntext \"%s\"\n", shown.c_str());
  std::abort();
}

std::optional<long double> Strict(const std::u16string& text, NumberSeparators separators) {
  try {
    return ambrelix::TextToNumber(text, separators);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

enum class Encoding { kFinite, kInfinityOrNaN, kInvalid };

// The x87's view of a pattern: unnormals and pseudo-infinities or -NaNs are
// invalid operands; a pseudo-denormal is a valid finite value.
Encoding Classify(long double value) {
  unsigned char bytes[10];
  std::memcpy(bytes, &value, 10);
  const int exponent = (bytes[9] & 0x7F) << 8 | bytes[8];
  const bool integerBit = (bytes[7] & 0x80) != 0;
  if (exponent == 0) return Encoding::kFinite;
  if (!integerBit) return Encoding::kInvalid;
  return exponent == 0x7FFF ? Encoding::kInfinityOrNaN : Encoding::kFinite;
}

// The text's shape: "-"? digits ("." k digits)? for magnitudes below 10^18;
// "-"? d ("." digits)? "E" digits (at least k) from there on.
void CheckShape(const std::u16string& text, long double value, int decimals) {
  const long double magnitude = std::fabs(value);
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == u'-';
  if (negative) ++i;
  Require(!negative || std::signbit(value), "a minus sign on a positive value", value, text);
  auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
    return i - start;
  };
  const std::size_t exponentMark = text.find(u'E');
  if (exponentMark != std::u16string::npos) {
    Require(magnitude >= 999999999999999999.5L, "the exponent form below 10^18", value, text);
    Require(text[i] >= u'1' && text[i] <= u'9', "no leading digit 1 to 9 in the exponent form",
            value, text);
    ++i;
    if (text[i] == u'.') {
      ++i;
      Require(digits() > 0 && text[i - 1] != u'0', "trailing zeros in the exponent form", value,
              text);
    }
    Require(i == exponentMark, "stray characters before E", value, text);
    ++i;
    const std::size_t width = digits();
    Require(width >= 1 && width >= static_cast<std::size_t>(decimals) && i == text.size(),
            "a malformed exponent", value, text);
    return;
  }
  Require(magnitude < 1e18L, "the fixed form from 10^18 on", value, text);
  const std::size_t start = i;
  const std::size_t integerDigits = digits();
  Require(integerDigits > 0 && (integerDigits == 1 || text[start] != u'0'),
          "a malformed integer part", value, text);
  if (decimals > 0) {
    Require(i < text.size() && text[i] == u'.', "no decimal separator", value, text);
    ++i;
    Require(digits() == static_cast<std::size_t>(decimals), "the wrong number of decimals", value,
            text);
  }
  Require(i == text.size(), "stray characters", value, text);
  Require(!negative || text.find_first_of(u"123456789") != std::u16string::npos,
          "a minus sign on a zero text", value, text);
}

// The text as a decimal is within half a unit of its last decimal of the
// value, give or take the 18-digit rounding (at most 5e-18 of it).
void CheckCloseness(const std::u16string& text, long double value, int decimals) {
  const std::string narrow(text.begin(), text.end());
  const long double written = std::strtold(narrow.c_str(), nullptr);
  long double unit = 1;
  for (int k = 0; k < decimals; ++k) unit /= 10;
  const long double bound = unit / 2 * (1 + 1e-15L) + std::fabs(value) * 1e-17L;
  Require(std::fabs(written - value) <= bound || std::isinf(written), "digits far from the value",
          value, text);
}

void CheckFixedText(long double value, int decimals, NumberSeparators separators) {
  const Encoding encoding = Classify(value);
  std::u16string text;
  try {
    text = ambrelix::NumberToFixedText(value, decimals, kPlain);
  } catch (const ArithmeticFault&) {
    Require(encoding != Encoding::kFinite, "a finite value raised a fault", value, u"");
    return;
  }
  Require(encoding != Encoding::kInfinityOrNaN, "an infinity or NaN got a text", value, text);
  CheckShape(text, value, decimals);
  if (encoding != Encoding::kFinite) return;
  CheckCloseness(text, value, decimals);

  // The regional separator only replaces the point.
  std::u16string expected = text;
  for (char16_t& c : expected)
    if (c == u'.') c = separators.decimal;
  Require(ambrelix::NumberToFixedText(value, decimals, separators) == expected,
          "the separator changed more than the separator", value, text);

  // Reading the three-decimal text back gives the same text.
  const std::u16string three = ambrelix::NumberToFixedText(value, 3, kPlain);
  const std::optional<long double> back = Strict(three, kPlain);
  if (!back) {
    Require(std::fabs(value) >= kLargestThatReadsBack, "its own text does not read", value, three);
    return;
  }
  Require(ambrelix::NumberToFixedText(*back, 3, kPlain) == three, "the text is not stable", value,
          three);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const NumberSeparators separators{kSeparators[data[0] % 16], kSeparators[data[1] % 16]};
  const int decimals = data[2] % 19;
  std::u16string text;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 4), size - 4);
  if (data[3] & 2) {
    text = ambrelix::Utf8ToUtf16(bytes);
  } else if (data[3] & 1) {
    for (std::size_t i = 4; i + 1 < size; i += 2)
      text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  } else {
    for (std::size_t i = 4; i < size; ++i) text += static_cast<char16_t>(data[i]);
  }

  const std::optional<long double> strict = Strict(text, separators);
  const long double lenient = ambrelix::TextToNumberLenient(text, separators);
  if (strict) Require(std::isfinite(*strict), "a strict reading is not finite", *strict, text);

  // Lenient: the text without its thousand separators read strictly, or 0.
  std::u16string stripped;
  for (char16_t c : text)
    if (c != separators.thousand) stripped += c;
  const std::optional<long double> strictStripped =
      stripped == text ? strict : Strict(stripped, separators);
  Require(SameBits(lenient, strictStripped.value_or(0.0L)),
          "lenient is not strict without thousands", lenient, text);

  // The companion reads a field of a file in place, as UTF-8, and hands the
  // run a compact text of it: for a usable decimal separator that reads to
  // the same bits as the field's UTF-16 text, and is short.
  if (ambrelix::IsUsableSeparator(separators.decimal)) {
    const std::string utf8 = data[3] & 2 ? std::string(bytes) : ambrelix::Utf16ToUtf8(text);
    const std::u16string wide = ambrelix::Utf8ToUtf16(utf8);
    const std::optional<long double> whole = wide == text ? strict : Strict(wide, separators);
    const std::optional<std::u16string> compact = ambrelix::CompactNumberText(utf8, separators);
    Require(compact.has_value() == whole.has_value(), "the compact reading disagrees",
            whole.value_or(0), wide);
    if (compact) {
      Require(compact->size() <= 15100, "a compact text is long", *whole, *compact);
      const std::optional<long double> back = Strict(*compact, separators);
      Require(back && SameBits(*back, *whole), "a compact text reads to other bits", *whole,
              *compact);
    }
  }

  if (strict) CheckFixedText(*strict, decimals, separators);
  CheckFixedText(lenient, decimals, separators);

  unsigned char raw[sizeof(long double)] = {};
  std::memcpy(raw, data + 4, std::min<std::size_t>(size - 4, 10));
  long double pattern;
  std::memcpy(&pattern, raw, sizeof pattern);
  CheckFixedText(pattern, decimals, separators);
  return 0;
}
