// The settings store: the calculator window's eight input texts, its solve
// mode, its two tail boxes and the enabled states of the two tail fields, kept
// in HKEY_CURRENT_USER\SOFTWARE\Ambrelix\Setup from one run to the next.
//
// The key "SOFTWARE\Ambrelix\" marks that the program has run before. Each
// operation opens its own connection to the registry and releases it before
// it returns, errors included. A settings key that can be neither opened nor
// created makes an operation do nothing, silently.
//
// The thirteen values, in the order every operation reads and writes them:
// "A", "N", "D", "P", "OD", "ID", "t1", "t2" (REG_SZ, the fields' texts),
// "RadioButton" (REG_DWORD, the solve mode's index, -1 for none), "cht1",
// "cht2" (REG_DWORD, the tail boxes), "edt1", "edt2" (REG_DWORD, whether the
// tail fields are enabled).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/errors.h"
#include "settings/registry.h"
#include "settings/settings_controls.h"

namespace ambrelix::settings {

inline constexpr std::u16string_view kApplicationKey = u"SOFTWARE\\Ambrelix\\";
inline constexpr std::u16string_view kSettingsKey = u"SOFTWARE\\Ambrelix\\Setup";

// A value that cannot be read or written. The message names the value:
// "Invalid data type for 'RadioButton'".
class SettingsError : public CalcError {
 public:
  enum class Kind { InvalidDataType, FailedToGetData, FailedToSetData };
  SettingsError(Kind kind, std::u16string_view valueName);
};

// Reading and writing one value of an open key. A text is the data up to its
// first null: a missing value or one with no data is the empty text; a type
// other than REG_SZ or REG_EXPAND_SZ is InvalidDataType. An integer must be a
// REG_DWORD of at most four bytes: a missing value or longer data is
// FailedToGetData, another type InvalidDataType. A boolean is an integer
// other than 0. A write the registry refuses is FailedToSetData.
std::u16string ReadText(RegistryKey& key, std::u16string_view name);
std::int32_t ReadInteger(RegistryKey& key, std::u16string_view name);
bool ReadBool(RegistryKey& key, std::u16string_view name);
void WriteText(RegistryKey& key, std::u16string_view name, std::u16string_view text);
void WriteInteger(RegistryKey& key, std::u16string_view name, std::int32_t value);
void WriteBool(RegistryKey& key, std::u16string_view name, bool value);

// Writes the first-run defaults: A 101, N 20, D 80, P 4.2, OD 3.2, ID 1.2,
// t1 100, t2 120, the solve mode 0 and the four switches off. The fractions
// are written with `decimal`, the user's decimal separator, which the fields
// read them with ("4.2" as written with a point).
void WriteToRegistrySetup(RegistryRoot& registry, char16_t decimal = u'.');

// Hands the stored values to the controls in table order: the eight texts,
// the radio index as stored (the window clamps it), the two boxes, then the
// two enabled states, last so that they win over the boxes' click handlers.
// A value that cannot be read ends the load there with its error; the values
// before it stay applied.
void ReadFromRegistry(RegistryRoot& registry, SettingsControls& controls);

// Saves the controls' state. A value the registry refuses ends the save
// there with its error; the values before it stay written.
void WriteToRegistry(RegistryRoot& registry, const SettingsControls& controls);

// The window's start-up: seeds the defaults when "SOFTWARE\Ambrelix\" does
// not exist yet (only that key is tested), then loads. Errors as above; an
// error while seeding ends it before the load.
void LoadAtStartUp(RegistryRoot& registry, SettingsControls& controls, char16_t decimal = u'.');

enum class QuietSave { Saved, KeyUnavailable, Failed };

// The save for the end of the user's session, when no error box may be
// shown: WriteToRegistry's work, with its outcome returned instead of thrown.
QuietSave SaveQuietly(RegistryRoot& registry, const SettingsControls& controls) noexcept;

}  // namespace ambrelix::settings
