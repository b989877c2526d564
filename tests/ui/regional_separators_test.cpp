// The regional separators as Windows hands them over (here Wine's own
// GetLocaleInfoW), whatever the user typed into the regional settings.
#include "ui/win32/regional_separators.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/user_separators_win32.h"

namespace ambrelix::ui {
namespace {

struct Case {
  const wchar_t* decimal;
  const wchar_t* thousand;
  char16_t expectedDecimal, expectedThousand;
};

TEST(RegionalSeparators, WhatTheUserTypedIsUsedOnlyWhenItIsUsable) {
  const test_support::UserSeparatorsRestored restored;
  const Case cases[] = {
      {L",", L".", u',', u'.'}, {L".", L"'", u'.', u'\''}, {L",", L"\u00A0", u',', u'\u00A0'},
      {L"e", L",", u'.', u','}, {L"5", L",", u'.', u','},  {L"..", L",", u'.', u','},
      {L",", L",", u'.', u','}, {L";", L"-", u'.', u','},  {L",", L"abc", u'.', u','},
  };
  RegionalSeparators separators;
  for (const Case& c : cases) {
    const std::wstring shown = std::wstring(c.decimal) + L" " + c.thousand;
    if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, c.decimal) ||
        !SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, c.thousand)) {
      ADD_FAILURE() << "the regional settings refused " << shown.size() << " characters";
      continue;
    }
    wchar_t stored[16] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, stored, 16);
    EXPECT_EQ(std::wstring(stored), c.decimal) << "the setting did not take";
    separators.Reload();
    EXPECT_EQ(separators.Separators().decimal, c.expectedDecimal) << static_cast<int>(c.decimal[0]);
    EXPECT_EQ(separators.Separators().thousand, c.expectedThousand)
        << static_cast<int>(c.thousand[0]);
  }
}

}  // namespace
}  // namespace ambrelix::ui
