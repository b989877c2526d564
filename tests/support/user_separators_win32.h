// The user's regional decimal and thousand separators as they were when a
// test began, put back when it ends: the tests set them through
// SetLocaleInfoW, which changes the prefix's settings for good.
#pragma once

#include <windows.h>

namespace ambrelix::test_support {

class UserSeparatorsRestored {
 public:
  UserSeparatorsRestored() {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_, 16);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand_, 16);
  }
  ~UserSeparatorsRestored() {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand_);
  }
  UserSeparatorsRestored(const UserSeparatorsRestored&) = delete;
  UserSeparatorsRestored& operator=(const UserSeparatorsRestored&) = delete;

 private:
  wchar_t decimal_[16] = {};
  wchar_t thousand_[16] = {};
};

}  // namespace ambrelix::test_support
