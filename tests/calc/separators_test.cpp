// Which separators the number texts take, from the command line and from
// the regional settings a user may have typed anything into.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "calc/number_text.h"
#include "calc/unicode.h"

namespace ambrelix {
namespace {

struct RegionalCase {
  std::optional<std::u16string_view> decimal, thousand;
  NumberSeparators expected;
  bool fromSettings;
};

TEST(SeparatorsFromRegionalSettings, UnusableSettingsFallBackToPointAndComma) {
  using namespace std::literals;
  constexpr NumberSeparators kFallback{u'.', u','};
  const RegionalCase cases[] = {
      {u"."sv, u","sv, {u'.', u','}, true},
      {u","sv, u"."sv, {u',', u'.'}, true},
      {u","sv, u"\u00A0"sv, {u',', u'\u00A0'}, true},
      {u"."sv, u"'"sv, {u'.', u'\''}, true},
      {u","sv, u" "sv, {u',', u' '}, true},
      {u"\u066B"sv, u"\u066C"sv, {u'\u066B', u'\u066C'}, true},
      {u"."sv, u""sv, {u'.', u'\0'}, true},  // no grouping
      {u""sv, u","sv, kFallback, false},
      {u".."sv, u","sv, kFallback, false},
      {u"."sv, u",,"sv, kFallback, false},
      {u"e"sv, u","sv, kFallback, false},
      {u"E"sv, u","sv, kFallback, false},
      {u"5"sv, u"."sv, kFallback, false},
      {u","sv, u"-"sv, kFallback, false},
      {u"+"sv, u","sv, kFallback, false},
      {u"."sv, u"\""sv, kFallback, false},
      {u"\t"sv, u","sv, kFallback, false},
      {u"."sv, u"\u0085"sv, kFallback, false},
      {u"."sv, u"."sv, kFallback, false},
      {u","sv, u","sv, kFallback, false},
      {u"\xD800"sv, u","sv, kFallback, false},
      {std::nullopt, u","sv, kFallback, false},
      {u","sv, std::nullopt, kFallback, false},
  };
  for (const RegionalCase& c : cases) {
    const std::string shown = Utf16ToUtf8(c.decimal.value_or(u"(unread)")) + " " +
                              Utf16ToUtf8(c.thousand.value_or(u"(unread)"));
    const SeparatorChoice choice = SeparatorsFromRegionalSettings(c.decimal, c.thousand);
    EXPECT_EQ(choice.separators.decimal, c.expected.decimal) << shown;
    EXPECT_EQ(choice.separators.thousand, c.expected.thousand) << shown;
    EXPECT_EQ(choice.fromSettings, c.fromSettings) << shown;
  }
}

// A separator that could be read as part of a number would change what
// texts mean: with "e" as the decimal separator "97e80" is 97 × 10^80.
TEST(IsUsableSeparator, RefusesWhatTheGrammarOrTheOutputFormatsUse) {
  for (char16_t c = 0; c < 0x100; ++c) {
    const bool grammar =
        (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E';
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    EXPECT_EQ(IsUsableSeparator(c), !grammar && !control && c != u'"') << int{c};
  }
  EXPECT_FALSE(IsUsableSeparator(u'\xDC00'));
  EXPECT_TRUE(IsUsableSeparator(u'\u202F'));
}

}  // namespace
}  // namespace ambrelix
