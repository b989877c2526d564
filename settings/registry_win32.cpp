#include "settings/registry_win32.h"

#include <windows.h>

#include <string>

namespace ambrelix::settings {
namespace {

// The registry wants null-terminated names; the views the store passes are
// not.
class WideName {
 public:
  explicit WideName(std::u16string_view name) : name_(name) {}
  const wchar_t* get() const { return reinterpret_cast<const wchar_t*>(name_.c_str()); }

 private:
  std::u16string name_;
};

// Owns a key the registry opened; the handle is taken only after the call
// that opened it succeeded.
class OpenKey {
 public:
  OpenKey() = default;
  explicit OpenKey(HKEY key) noexcept : key_(key) {}
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }
  void Adopt(HKEY key) noexcept { key_ = key; }

 private:
  HKEY key_ = nullptr;
};

class Win32RegistryKey final : public RegistryKey {
 public:
  ValueInfo QueryValue(std::u16string_view name) override {
    DWORD type = REG_NONE;
    DWORD size = 0;
    const LONG status =
        RegQueryValueExW(key_.get(), WideName(name).get(), nullptr, &type, nullptr, &size);
    return {static_cast<RegStatus>(status), type, size};
  }

  ValueInfo ReadValue(std::u16string_view name, std::span<std::byte> buffer) override {
    // A null buffer would turn the read into a size query that reports
    // success; an empty buffer is still a read, of room for nothing.
    BYTE none = 0;
    BYTE* data = buffer.empty() ? &none : reinterpret_cast<BYTE*>(buffer.data());
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LONG status =
        RegQueryValueExW(key_.get(), WideName(name).get(), nullptr, &type, data, &size);
    return {static_cast<RegStatus>(status), type, size};
  }

  RegStatus SetValue(std::u16string_view name, std::uint32_t type,
                     std::span<const std::byte> data) override {
    return static_cast<RegStatus>(RegSetValueExW(key_.get(), WideName(name).get(), 0, type,
                                                 reinterpret_cast<const BYTE*>(data.data()),
                                                 static_cast<DWORD>(data.size())));
  }

  void Adopt(HKEY key) noexcept { key_.Adopt(key); }

 private:
  OpenKey key_;
};

}  // namespace

bool CurrentUserRegistry::KeyExists(std::u16string_view path, std::uint32_t access) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WideName(path).get(), 0, access, &opened) != ERROR_SUCCESS)
    return false;
  const OpenKey closedOnReturn(opened);
  return true;
}

std::unique_ptr<RegistryKey> CurrentUserRegistry::CreateKey(std::u16string_view path,
                                                            std::uint32_t access) {
  // Allocated first, so that an opened key always has an owner.
  auto key = std::make_unique<Win32RegistryKey>();
  const WideName widePath(path);
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, widePath.get(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return nullptr;
  key->Adopt(opened);
  return key;
}

}  // namespace ambrelix::settings
