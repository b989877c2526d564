// The registry as the settings store sees it: a root (HKEY_CURRENT_USER) that
// can test for a key and create or open one, and an open key whose values can
// be queried, read and set. One Win32 implementation (registry_win32.h) and
// one in memory for the native tests. A key is released when its object goes
// away, so every path out of an operation, errors included, closes it.
//
// The numbers are the registry's own (Win32 error codes, value types, access
// masks), so that the rules can be read against the platform's documentation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace ambrelix::settings {

// A Win32 error code as the registry functions return it.
using RegStatus = std::uint32_t;
inline constexpr RegStatus kRegSuccess = 0;     // ERROR_SUCCESS
inline constexpr RegStatus kRegNotFound = 2;    // ERROR_FILE_NOT_FOUND
inline constexpr RegStatus kRegMoreData = 234;  // ERROR_MORE_DATA

// Value types.
inline constexpr std::uint32_t kRegSz = 1;        // REG_SZ
inline constexpr std::uint32_t kRegExpandSz = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kRegBinary = 3;    // REG_BINARY
inline constexpr std::uint32_t kRegDword = 4;     // REG_DWORD

// Access masks.
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS
// STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS
inline constexpr std::uint32_t kKeyExistenceTestAccess = 0x20009;

// What RegQueryValueExW reports: its status, the value's type and a size in
// bytes. After a successful read the size is what was written to the buffer;
// after kRegMoreData it is what the data needs now.
struct ValueInfo {
  RegStatus status = kRegNotFound;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // The value's type and data size, reading no data.
  virtual ValueInfo QueryValue(std::u16string_view name) = 0;
  // Reads the value's data into `buffer`, never past its end. Data longer
  // than the buffer gives kRegMoreData with the size it needs.
  virtual ValueInfo ReadValue(std::u16string_view name, std::span<std::byte> buffer) = 0;
  virtual RegStatus SetValue(std::u16string_view name, std::uint32_t type,
                             std::span<const std::byte> data) = 0;
};

class RegistryRoot {
 public:
  // Opens the key at `path` with `access` and closes it again at once;
  // creates nothing.
  virtual bool KeyExists(std::u16string_view path, std::uint32_t access) = 0;
  // Opens the key at `path` with `access`, creating it and every missing key
  // along the path; null when it can be neither opened nor created.
  virtual std::unique_ptr<RegistryKey> CreateKey(std::u16string_view path,
                                                 std::uint32_t access) = 0;

 protected:
  ~RegistryRoot() = default;
};

}  // namespace ambrelix::settings
