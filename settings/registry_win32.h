// The settings store's registry on the real one: HKEY_CURRENT_USER through
// advapi32. Thin: each call is one registry function, and a key is closed
// with RegCloseKey (no RegFlushKey) when its object goes away.
#pragma once

#include <memory>
#include <string_view>

#include "settings/registry.h"

namespace ambrelix::settings {

class CurrentUserRegistry final : public RegistryRoot {
 public:
  // RegOpenKeyExW, then RegCloseKey at once.
  bool KeyExists(std::u16string_view path, std::uint32_t access) override;
  // RegCreateKeyExW: no class, REG_OPTION_NON_VOLATILE, default security.
  std::unique_ptr<RegistryKey> CreateKey(std::u16string_view path, std::uint32_t access) override;
};

}  // namespace ambrelix::settings
