#include "settings/settings_store.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace ambrelix::settings {
namespace {

struct TextValue {
  std::u16string_view name;
  Field field;
  std::u16string_view firstRunDefault;
};

// The first-run texts carry a point whatever the user's locale.
constexpr TextValue kTextValues[] = {
    {u"A", Field::A, u"101"},   {u"N", Field::N, u"20"},    {u"D", Field::D, u"80"},
    {u"P", Field::P, u"4.2"},   {u"OD", Field::OD, u"3.2"}, {u"ID", Field::ID, u"1.2"},
    {u"t1", Field::t1, u"100"}, {u"t2", Field::t2, u"120"},
};

constexpr std::u16string_view kRadioValue = u"RadioButton";

struct TailValue {
  std::u16string_view name;
  Tail tail;
};

constexpr TailValue kCheckedValues[] = {{u"cht1", Tail::T1}, {u"cht2", Tail::T2}};
constexpr TailValue kEnabledValues[] = {{u"edt1", Tail::T1}, {u"edt2", Tail::T2}};

// A text value larger than this is not read: no field ever holds such a
// text, and a hostile value must not exhaust a 32-bit address space.
constexpr std::uint32_t kMaxTextBytes = 16u << 20;

// How often a text is read again when it grew between finding its size and
// reading it (another program writing it at that moment).
constexpr int kTextReadAttempts = 4;

std::u16string Message(SettingsError::Kind kind, std::u16string_view valueName) {
  std::u16string_view head;
  switch (kind) {
    case SettingsError::Kind::InvalidDataType:
      head = u"Invalid data type for '";
      break;
    case SettingsError::Kind::FailedToGetData:
      head = u"Failed to get data for '";
      break;
    case SettingsError::Kind::FailedToSetData:
      head = u"Failed to set data for '";
      break;
  }
  std::u16string message(head);
  message.append(valueName);
  message.push_back(u'\'');
  return message;
}

[[noreturn]] void Fail(SettingsError::Kind kind, std::u16string_view name) {
  throw SettingsError(kind, name);
}

// UTF-16LE units up to the first null; an odd last byte is no unit.
std::u16string TextFromData(std::span<const std::byte> data) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(std::to_integer<unsigned>(data[i]) |
                                            std::to_integer<unsigned>(data[i + 1]) << 8);
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

void PutLittleEndian(std::uint32_t value, std::span<std::byte, 4> out) {
  for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::byte>(value >> (8 * i) & 0xFF);
}

void Write(RegistryKey& key, std::u16string_view name, std::uint32_t type,
           std::span<const std::byte> data) {
  if (key.SetValue(name, type, data) != kRegSuccess)
    Fail(SettingsError::Kind::FailedToSetData, name);
}

}  // namespace

SettingsError::SettingsError(Kind kind, std::u16string_view valueName)
    : CalcError(Message(kind, valueName)) {}

std::u16string ReadText(RegistryKey& key, std::u16string_view name) {
  ValueInfo info = key.QueryValue(name);
  if (info.status == kRegNotFound) return {};
  if (info.status != kRegSuccess) Fail(SettingsError::Kind::FailedToGetData, name);

  std::vector<std::byte> data;
  for (int attempt = 0; attempt < kTextReadAttempts; ++attempt) {
    // No data, or none any more, is the empty text whatever the type.
    if (info.size == 0) return {};
    if (info.size > kMaxTextBytes) Fail(SettingsError::Kind::FailedToGetData, name);
    data.assign(info.size, std::byte{0});
    info = key.ReadValue(name, data);
    if (info.status == kRegMoreData) continue;
    if (info.status == kRegNotFound) return {};
    if (info.status != kRegSuccess) break;
    if (info.type != kRegSz && info.type != kRegExpandSz)
      Fail(SettingsError::Kind::InvalidDataType, name);
    return TextFromData(std::span(data).first(std::min<std::size_t>(info.size, data.size())));
  }
  Fail(SettingsError::Kind::FailedToGetData, name);
}

std::int32_t ReadInteger(RegistryKey& key, std::u16string_view name) {
  // Shorter REG_DWORD data leaves the buffer's upper bytes at zero.
  std::array<std::byte, 4> data{};
  const ValueInfo info = key.ReadValue(name, data);
  if (info.status != kRegSuccess) Fail(SettingsError::Kind::FailedToGetData, name);
  if (info.type != kRegDword) Fail(SettingsError::Kind::InvalidDataType, name);
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(data[i]) << (8 * i);
  return static_cast<std::int32_t>(value);
}

bool ReadBool(RegistryKey& key, std::u16string_view name) { return ReadInteger(key, name) != 0; }

void WriteText(RegistryKey& key, std::u16string_view name, std::u16string_view text) {
  // The data includes the terminating null: (length + 1) * 2 bytes.
  if (text.size() >= std::numeric_limits<std::uint32_t>::max() / 2)
    Fail(SettingsError::Kind::FailedToSetData, name);
  std::vector<std::byte> data((text.size() + 1) * 2, std::byte{0});
  for (std::size_t i = 0; i < text.size(); ++i) {
    data[2 * i] = static_cast<std::byte>(text[i] & 0xFF);
    data[2 * i + 1] = static_cast<std::byte>(text[i] >> 8);
  }
  Write(key, name, kRegSz, data);
}

void WriteInteger(RegistryKey& key, std::u16string_view name, std::int32_t value) {
  std::array<std::byte, 4> data;
  PutLittleEndian(static_cast<std::uint32_t>(value), data);
  Write(key, name, kRegDword, data);
}

void WriteBool(RegistryKey& key, std::u16string_view name, bool value) {
  WriteInteger(key, name, value ? 1 : 0);
}

void WriteToRegistrySetup(RegistryRoot& registry, char16_t decimal) {
  const std::unique_ptr<RegistryKey> key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
  if (!key) return;
  for (const TextValue& value : kTextValues) {
    // Read with "," as the decimal separator, "4.2" would be 42: its point
    // is a thousand separator there.
    std::u16string text(value.firstRunDefault);
    std::replace(text.begin(), text.end(), u'.', decimal);
    WriteText(*key, value.name, text);
  }
  WriteInteger(*key, kRadioValue, 0);
  for (const TailValue& value : kCheckedValues) WriteBool(*key, value.name, false);
  for (const TailValue& value : kEnabledValues) WriteBool(*key, value.name, false);
}

void ReadFromRegistry(RegistryRoot& registry, SettingsControls& controls) {
  const std::unique_ptr<RegistryKey> key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
  if (!key) return;
  for (const TextValue& value : kTextValues)
    controls.SetFieldText(value.field, ReadText(*key, value.name));
  controls.SetRadioIndex(ReadInteger(*key, kRadioValue));
  for (const TailValue& value : kCheckedValues)
    controls.SetTailChecked(value.tail, ReadBool(*key, value.name));
  for (const TailValue& value : kEnabledValues)
    controls.SetTailFieldEnabled(value.tail, ReadBool(*key, value.name));
}

namespace {

// False when the settings key could not be opened, and nothing was written.
bool Save(RegistryRoot& registry, const SettingsControls& controls) {
  const std::unique_ptr<RegistryKey> key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
  if (!key) return false;
  for (const TextValue& value : kTextValues)
    WriteText(*key, value.name, controls.FieldText(value.field));
  WriteInteger(*key, kRadioValue, controls.RadioIndex());
  for (const TailValue& value : kCheckedValues)
    WriteBool(*key, value.name, controls.TailChecked(value.tail));
  for (const TailValue& value : kEnabledValues)
    WriteBool(*key, value.name, controls.TailFieldEnabled(value.tail));
  return true;
}

}  // namespace

void WriteToRegistry(RegistryRoot& registry, const SettingsControls& controls) {
  Save(registry, controls);
}

void LoadAtStartUp(RegistryRoot& registry, SettingsControls& controls, char16_t decimal) {
  if (!registry.KeyExists(kApplicationKey, kKeyExistenceTestAccess))
    WriteToRegistrySetup(registry, decimal);
  ReadFromRegistry(registry, controls);
}

QuietSave SaveQuietly(RegistryRoot& registry, const SettingsControls& controls) noexcept {
  try {
    return Save(registry, controls) ? QuietSave::Saved : QuietSave::KeyUnavailable;
  } catch (...) {
    return QuietSave::Failed;
  }
}

}  // namespace ambrelix::settings
