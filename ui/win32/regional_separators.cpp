#include "ui/win32/regional_separators.h"

#include <windows.h>

namespace ambrelix::ui {
namespace {

// The first character of a locale string; `fallback` when it cannot be read.
// An empty setting (a locale without grouping) gives U+0000, which never
// occurs in a field's text.
char16_t LocaleCharacter(LCTYPE type, char16_t fallback) {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 8) == 0) return fallback;
  return static_cast<char16_t>(buffer[0]);
}

}  // namespace

void RegionalSeparators::Reload() {
  separators_.decimal = LocaleCharacter(LOCALE_SDECIMAL, u'.');
  separators_.thousand = LocaleCharacter(LOCALE_STHOUSAND, u',');
}

}  // namespace ambrelix::ui
