// Fuzzes what the settings store reads back from the registry, where any
// program of the user's can have written anything: values of any type and
// size, odd sizes, no terminating null, embedded nulls, and a value that
// changes between the store finding its size and reading it.
//
// Input: byte 0 picks the type, byte 1 the value's name (one of the
// thirteen) and what happens on the first read (bit 4: the value doubles;
// bit 5: it is deleted), the rest is the value's data.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "tests/settings/memory_registry.h"
#include "tests/settings/recording_controls.h"

namespace {

using namespace ambrelix::settings;
using testing::Bytes;
using testing::MemoryRegistry;
using testing::RecordingControls;

constexpr std::u16string_view kNames[] = {u"A",    u"N",    u"D",   u"P",           u"OD",
                                          u"ID",   u"t1",   u"t2",  u"RadioButton", u"cht1",
                                          u"cht2", u"edt1", u"edt2"};
constexpr std::uint32_t kTypes[] = {kRegSz, kRegExpandSz, kRegBinary, kRegDword, 0, 7, 11};

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

// The text a REG_SZ's data holds, written out independently of the store:
// little-endian units up to the first null; an odd last byte is no unit.
std::u16string ExpectedText(const Bytes& data) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(std::to_integer<unsigned>(data[i]) |
                                                std::to_integer<unsigned>(data[i + 1]) << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::u16string Message(const char* head, std::u16string_view name) {
  std::u16string m;
  for (const char* p = head; *p; ++p) m.push_back(static_cast<char16_t>(*p));
  m.append(name);
  m.push_back(u'\'');
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t type = kTypes[input[0] % std::size(kTypes)];
  const std::u16string_view name = kNames[(input[1] & 0x0F) % std::size(kNames)];
  const bool grows = input[1] & 0x10;
  const bool vanishes = input[1] & 0x20;
  Bytes data(size - 2);
  for (std::size_t i = 2; i < size; ++i) data[i - 2] = static_cast<std::byte>(input[i]);
  Bytes grown = data;
  grown.insert(grown.end(), data.begin(), data.end());
  grown.push_back(std::byte{'x'});

  MemoryRegistry registry;
  WriteToRegistrySetup(registry);
  registry.Put(kSettingsKey, name, {type, data});
  bool changed = false;
  registry.beforeRead = [&] {
    if (changed || !(grows || vanishes)) return;
    changed = true;
    if (vanishes)
      registry.Remove(kSettingsKey, name);
    else
      registry.Put(kSettingsKey, name, {type, grown});
  };

  // One value on its own, as text and as integer, against the model.
  const Bytes& read = grows ? grown : data;
  {
    const std::unique_ptr<RegistryKey> key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
    try {
      const std::u16string text = ReadText(*key, name);
      Require(text.find(u'\0') == std::u16string::npos, "a text holds a null");
      if (vanishes || data.empty()) {
        Require(text.empty(), "a value with no data read as a text");
      } else {
        Require(type == kRegSz || type == kRegExpandSz, "a text from another type");
        Require(text == ExpectedText(read), "the text is not the data's units up to the null");
      }
    } catch (const SettingsError& e) {
      Require(!vanishes && !data.empty(), "a missing or empty value failed");
      Require(e.message() == Message("Invalid data type for '", name) && type != kRegSz &&
                  type != kRegExpandSz,
              "a text failed for another reason than its type");
    }
  }
  changed = false;
  registry.Put(kSettingsKey, name, {type, data});
  {
    const std::unique_ptr<RegistryKey> key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
    try {
      const std::int32_t value = ReadInteger(*key, name);
      Require(type == kRegDword && read.size() <= 4 && !vanishes, "an integer from bad data");
      std::uint32_t expected = 0;
      for (std::size_t i = 0; i < read.size(); ++i)
        expected |= std::to_integer<std::uint32_t>(read[i]) << (8 * i);
      Require(static_cast<std::uint32_t>(value) == expected, "the integer is not its bytes");
    } catch (const SettingsError& e) {
      const bool tooLong = read.size() > 4 || vanishes;
      Require(e.message() ==
                  Message(tooLong ? "Failed to get data for '" : "Invalid data type for '", name),
              "an integer failed with the wrong message");
    }
  }

  // The whole load: it applies what it reads, stops at the first value it
  // cannot read, and leaves no key open either way.
  changed = false;
  registry.Put(kSettingsKey, name, {type, data});
  RecordingControls controls;
  try {
    ReadFromRegistry(registry, controls);
  } catch (const SettingsError&) {
  }
  Require(registry.openKeys() == 0, "a key was left open");
  Require(controls.radio >= -1 && controls.radio <= 1, "the radio index left its range");
  return 0;
}
