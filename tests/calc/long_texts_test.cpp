// Texts far longer than any field holds, as a file or a script may hand the
// companion: they read as the grammar says, and a short equivalent text
// reads to the same bits.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "calc/unicode.h"

namespace ambrelix {
namespace {

constexpr NumberSeparators kDot{u'.', u','};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// Appends the pieces, rather than inserting in front, which GCC 12 warns
// about wrongly when it inlines "literal" + std::string.
std::string Text(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text.append(piece);
  return text;
}

std::optional<Extended> Strict(std::u16string_view text, NumberSeparators s) {
  try {
    return TextToNumber(text, s);
  } catch (const ConversionError&) {
    return std::nullopt;
  }
}

bool SameBits(Extended a, Extended b) { return std::memcmp(&a, &b, 10) == 0; }

// Past the extended range a run of digits is out of range, and still has to
// fit the grammar to the end: the text after it decides nothing else.
TEST(TextToNumber, DigitsPastTheRangeAreOutOfRangeAndTheGrammarStillHolds) {
  const std::u16string ones = Utf8ToUtf16(Repeat('1', 100000));
  try {
    TextToNumber(ones, kDot);
    ADD_FAILURE() << "a hundred thousand digits were accepted";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.message(), u"'" + ones + u"' is not a valid floating point value");
  }
  EXPECT_EQ(TextToNumberLenient(ones, kDot), 0);
  EXPECT_EQ(TextToNumberLenient(ones + u"x", kDot), 0);
  EXPECT_FALSE(Strict(ones + u".5e3 x", kDot));
  // Zeros never leave the range, however many.
  EXPECT_EQ(Strict(Utf8ToUtf16(Text({Repeat('0', 100000), "42.5"})), kDot), 42.5L);
  EXPECT_EQ(Strict(Utf8ToUtf16(Text({"0.", Repeat('0', 100000), "1"})), kDot), 0.0L);
}

struct CompactCase {
  const char* what;
  std::string text;
  NumberSeparators separators = kDot;
};

TEST(CompactNumberText, ReadsToTheSameBitsAsTheWholeText) {
  const NumberSeparators arabic{u'\u066B', u'\u066C'};
  const NumberSeparators space{u' ', u'\''};
  const CompactCase cases[] = {
      {"padded with spaces", Text({Repeat(' ', 300000), "80.5", Repeat(' ', 300000)})},
      {"integer zeros", Text({Repeat('0', 300000), "123.25"})},
      {"negative zero", Text({"-", Repeat('0', 20000)})},
      {"fraction zeros that matter", Text({"0.", Repeat('0', 4000), "1e4500"})},
      {"fraction zeros that do not",
       Text({"-0.", Repeat('0', 300000), Repeat('9', 4900), "e4999"})},
      {"fraction zeros just past the cut",
       Text({"0.", Repeat('0', 10120), Repeat('7', 4900), "e4999"})},
      {"fraction zeros just before the cut",
       Text({"0.", Repeat('0', 10118), Repeat('7', 4900), "e4999"})},
      {"all zeros", Text({"0.", Repeat('0', 300000)})},
      {"trailing fraction zeros", Text({"1.", Repeat('0', 4000)})},
      {"many significant digits", Text({Repeat('3', 4900), ".", Repeat('1', 30), "e-4999"})},
      {"exponent zeros", Text({"2.5E-", Repeat('0', 300000), "12"})},
      {"bare exponent", "7e"},
      {"bare separator", "-."},
      {"largest magnitude", ".5e4932"},
      {"most negative exponent", "1e-4999"},
      {"subnormal", "0.000003e-4935"},
      {"comma", "  0012,5  ", {u',', u'.'}},
      {"two-byte separator", Text({Repeat('0', 1000), "4\u066B25", Repeat(' ', 1000)}), arabic},
      {"space as the separator", "  0 5  ", space},
      {"space as the separator, no fraction", "0 ", space},
  };
  for (const CompactCase& c : cases) {
    const std::optional<Extended> whole = Strict(Utf8ToUtf16(c.text), c.separators);
    ASSERT_TRUE(whole) << c.what;
    const std::optional<std::u16string> compact = CompactNumberText(c.text, c.separators);
    ASSERT_TRUE(compact) << c.what;
    EXPECT_LE(compact->size(), 15100u) << c.what;
    const std::optional<Extended> back = Strict(*compact, c.separators);
    ASSERT_TRUE(back) << c.what << ": " << Utf16ToUtf8(compact->substr(0, 80));
    EXPECT_TRUE(SameBits(*back, *whole)) << c.what << ": " << Utf16ToUtf8(compact->substr(0, 80));
  }
}

TEST(CompactNumberText, TextsThatDoNotReadHaveNone) {
  const CompactCase cases[] = {
      {"out of range", Repeat('1', 6000)},
      {"out of range after zeros", Text({Repeat('0', 6000), Repeat('1', 6000)})},
      {"exponent too large", "1e5000"},
      {"exponent overflow", "9e4999"},
      {"empty", ""},
      {"spaces only", Repeat(' ', 1000)},
      {"a letter at the end", Text({Repeat('1', 100), "x"})},
      {"the other separator", "4,2"},
      {"a tab", "\t1"},
      // A broken UTF-8 sequence is not the separator it starts like.
      {"a broken separator",
       "4\xD9"
       "25",
       {u'\u066B', u'\u066C'}},
      {"invalid UTF-8", "4\xFF"},
  };
  for (const CompactCase& c : cases) {
    EXPECT_FALSE(CompactNumberText(c.text, c.separators)) << c.what;
    EXPECT_FALSE(Strict(Utf8ToUtf16(c.text), c.separators)) << c.what;
  }
}

}  // namespace
}  // namespace ambrelix
