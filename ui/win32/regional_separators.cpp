#include "ui/win32/regional_separators.h"

#include <windows.h>

#include <optional>
#include <string>

namespace ambrelix::ui {
namespace {

// The whole locale string, which the user may have typed as anything;
// nullopt when it cannot be read (longer than any real separator included).
std::optional<std::u16string> LocaleText(LCTYPE type) {
  wchar_t buffer[16] = {};
  const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16);
  if (length <= 0) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length - 1);
}

}  // namespace

void RegionalSeparators::Reload() {
  const std::optional<std::u16string> decimal = LocaleText(LOCALE_SDECIMAL);
  const std::optional<std::u16string> thousand = LocaleText(LOCALE_STHOUSAND);
  separators_ = SeparatorsFromRegionalSettings(decimal, thousand).separators;
}

}  // namespace ambrelix::ui
