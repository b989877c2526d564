// The settings store on the real registry (the Wine prefix the tests run in).
// What the store writes is checked from outside it: with reg.exe, another
// process, and with RegQueryValueExW called here, never with the store's own
// reader. Hostile data is put in place with RegSetValueExW's raw bytes.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "calc/unicode.h"
#include "recording_controls.h"
#include "settings/registry_win32.h"
#include "settings/settings_store.h"

namespace ambrelix::settings::testing {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr const wchar_t* kSetupPath = L"SOFTWARE\\Ambrelix\\Setup";

Bytes Hex(std::string_view hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
    bytes.push_back(
        static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}

void PutRaw(const wchar_t* name, DWORD type, const Bytes& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSetupPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const LONG status =
      RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  ASSERT_EQ(status, ERROR_SUCCESS);
}

struct RawValue {
  DWORD type = REG_NONE;
  Bytes data;
  bool operator==(const RawValue&) const = default;
};

std::optional<RawValue> GetRaw(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSetupPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  RawValue value;
  DWORD size = 0;
  LONG status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    value.data.resize(size);
    status = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return value;
}

// reg.exe's listing of the settings key, one "name TYPE data" line per value,
// sorted (the registry does not promise an order of listing).
std::vector<std::string> RegQuery() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {"no pipe"};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::wstring command = L"reg.exe query HKCU\\SOFTWARE\\Ambrelix\\Setup";
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  char chunk[4096];
  DWORD got = 0;
  while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
    output.append(chunk, got);
  CloseHandle(readEnd);
  if (!started) return {"reg.exe did not start"};
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);

  std::vector<std::string> lines;
  std::istringstream listing(output);
  for (std::string line; std::getline(listing, line);) {
    // Only the indented lines are values; the others name the key.
    if (line.rfind("    ", 0) != 0) continue;
    std::istringstream words(line);
    std::string joined;
    for (std::string word; words >> word;) joined += (joined.empty() ? "" : " ") + word;
    lines.push_back(joined);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

template <class Operation>
std::string ErrorOf(Operation operation) {
  try {
    operation();
  } catch (const SettingsError& e) {
    return Utf16ToUtf8(e.message());
  }
  return "";
}

class RegistryWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { DeleteApplicationKey(); }
  void TearDown() override { DeleteApplicationKey(); }
  static void DeleteApplicationKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix"); }

  CurrentUserRegistry registry;
  RecordingControls controls;
};

TEST_F(RegistryWin32Test, FirstRunSeedsTheThirteenValuesAsOtherProgramsSeeThem) {
  LoadAtStartUp(registry, controls);

  EXPECT_EQ(RegQuery(), (std::vector<std::string>{
                            "A REG_SZ 101", "D REG_SZ 80", "ID REG_SZ 1.2", "N REG_SZ 20",
                            "OD REG_SZ 3.2", "P REG_SZ 4.2", "RadioButton REG_DWORD 0x0",
                            "cht1 REG_DWORD 0x0", "cht2 REG_DWORD 0x0", "edt1 REG_DWORD 0x0",
                            "edt2 REG_DWORD 0x0", "t1 REG_SZ 100", "t2 REG_SZ 120"}));
  // The stored bytes: texts with their terminating null, integers in four.
  EXPECT_EQ(GetRaw(L"P"), (RawValue{REG_SZ, Hex("34 00 2E 00 32 00 00 00")}));
  EXPECT_EQ(GetRaw(L"t2"), (RawValue{REG_SZ, Hex("31 00 32 00 30 00 00 00")}));
  EXPECT_EQ(GetRaw(L"edt2"), (RawValue{REG_DWORD, Hex("00 00 00 00")}));
  ASSERT_EQ(controls.log.size(), 13u);
  EXPECT_EQ(controls.log.front(), "text A=101");
  EXPECT_EQ(controls.log.back(), "enabled 2=0");
}

TEST_F(RegistryWin32Test, AnExistingApplicationKeyIsNotSeededAgain) {
  LoadAtStartUp(registry, controls);
  PutRaw(L"A", REG_SZ, Hex("37 00 00 00"));
  RecordingControls next;

  LoadAtStartUp(registry, next);

  EXPECT_EQ(next.log.front(), "text A=7");
}

TEST_F(RegistryWin32Test, WhatTheSaveWritesTheLoadGivesBack) {
  controls.texts = {u"12.500", u"", u"80", u"4,200", u"3.2", u"\u03A9", u".", u"120"};
  controls.radio = -1;
  controls.checked = {true, false};
  controls.enabled = {false, true};

  WriteToRegistry(registry, controls);

  // reg.exe prints "ID" in its console's code page, so that one is checked
  // by its bytes alone.
  std::vector<std::string> listing = RegQuery();
  std::erase_if(listing, [](const std::string& line) { return line.starts_with("ID "); });
  EXPECT_EQ(listing,
            (std::vector<std::string>{
                "A REG_SZ 12.500", "D REG_SZ 80", "N REG_SZ", "OD REG_SZ 3.2", "P REG_SZ 4,200",
                "RadioButton REG_DWORD 0xffffffff", "cht1 REG_DWORD 0x1", "cht2 REG_DWORD 0x0",
                "edt1 REG_DWORD 0x0", "edt2 REG_DWORD 0x1", "t1 REG_SZ .", "t2 REG_SZ 120"}));
  EXPECT_EQ(GetRaw(L"N"), (RawValue{REG_SZ, Hex("00 00")}));
  EXPECT_EQ(GetRaw(L"ID"), (RawValue{REG_SZ, Hex("A9 03 00 00")}));
  EXPECT_EQ(GetRaw(L"RadioButton"), (RawValue{REG_DWORD, Hex("FF FF FF FF")}));

  RecordingControls loaded;
  ReadFromRegistry(registry, loaded);
  EXPECT_EQ(loaded.log, (std::vector<std::string>{
                            "text A=12.500", "text N=", "text D=80", "text P=4,200", "text OD=3.2",
                            "text ID=\u03A9", "text t1=.", "text t2=120", "radio -1", "checked 1=1",
                            "checked 2=0", "enabled 1=0", "enabled 2=1"}));
}

// Values as another program may leave them, read through the real
// RegQueryValueExW: its answers for short buffers decide the outcome.
TEST_F(RegistryWin32Test, HostileValuesGiveATextOrTheirError) {
  struct Case {
    const char* what;
    const wchar_t* name;
    DWORD type;
    Bytes data;
    std::string outcome;
  };
  const Case cases[] = {
      {"odd byte count", L"A", REG_SZ, Hex("31 00 32 00 33"), "12"},
      {"no terminator", L"A", REG_SZ, Hex("31 00 32 00"), "12"},
      {"embedded null", L"A", REG_SZ, Hex("31 00 00 00 32 00 00 00"), "1"},
      {"no data", L"A", REG_SZ, {}, ""},
      {"REG_EXPAND_SZ", L"A", REG_EXPAND_SZ, Hex("25 00 58 00 25 00 00 00"), "%X%"},
      {"REG_DWORD for a text", L"A", REG_DWORD, Hex("01 00 00 00"), "Invalid data type for 'A'"},
      {"REG_SZ \"1\" for an integer", L"RadioButton", REG_SZ, Hex("31 00 00 00"),
       "Invalid data type for 'RadioButton'"},
      {"REG_SZ \"10\" for an integer", L"RadioButton", REG_SZ, Hex("31 00 30 00 00 00"),
       "Failed to get data for 'RadioButton'"},
      {"eight bytes for an integer", L"RadioButton", REG_DWORD, Hex("01 00 00 00 00 00 00 00"),
       "Failed to get data for 'RadioButton'"},
      {"two bytes for an integer", L"RadioButton", REG_DWORD, Hex("07 00"), "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteApplicationKey();
    PutRaw(c.name, c.type, c.data);
    const auto key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
    ASSERT_TRUE(key);
    const std::u16string name(reinterpret_cast<const char16_t*>(c.name));
    std::string read;
    const std::string error = ErrorOf([&] {
      read = name == u"RadioButton" ? std::to_string(ReadInteger(*key, name))
                                    : Utf16ToUtf8(ReadText(*key, name));
    });
    EXPECT_EQ(error.empty() ? read : error, c.outcome);
  }
}

TEST_F(RegistryWin32Test, AFourMegabyteUnterminatedTextIsReadWhole) {
  const std::u16string large(2u << 20, u'7');
  Bytes data(large.size() * 2);
  for (std::size_t i = 0; i < large.size(); ++i) data[2 * i] = '7';
  PutRaw(L"A", REG_SZ, data);

  const auto key = registry.CreateKey(kSettingsKey, kKeyAllAccess);
  ASSERT_TRUE(key);
  EXPECT_EQ(ReadText(*key, u"A"), large);
}

// The real key, with another writer rewriting the value once, after the
// store has asked for its size and before it reads it.
class RewrittenBeforeRead final : public RegistryKey {
 public:
  RewrittenBeforeRead(std::unique_ptr<RegistryKey> key, Bytes rewrite)
      : key_(std::move(key)), rewrite_(std::move(rewrite)) {}
  ValueInfo QueryValue(std::u16string_view name) override { return key_->QueryValue(name); }
  ValueInfo ReadValue(std::u16string_view name, std::span<std::byte> buffer) override {
    if (!rewritten_) {
      rewritten_ = true;
      PutRaw(reinterpret_cast<const wchar_t*>(std::u16string(name).c_str()), REG_SZ, rewrite_);
    }
    return key_->ReadValue(name, buffer);
  }
  RegStatus SetValue(std::u16string_view name, std::uint32_t type,
                     std::span<const std::byte> data) override {
    return key_->SetValue(name, type, data);
  }

 private:
  std::unique_ptr<RegistryKey> key_;
  Bytes rewrite_;
  bool rewritten_ = false;
};

TEST_F(RegistryWin32Test, ATextRewrittenBetweenQueryAndReadIsReadAsItIsNow) {
  const struct {
    const char* what;
    Bytes rewrite;
    std::u16string outcome;
  } cases[] = {
      {"grows", Hex("31 00 32 00 33 00 34 00 35 00 36 00 37 00 38 00 00 00"), u"12345678"},
      {"shrinks", Hex("39 00 00 00"), u"9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutRaw(L"A", REG_SZ, Hex("31 00 32 00 00 00"));
    RewrittenBeforeRead key(registry.CreateKey(kSettingsKey, kKeyAllAccess), c.rewrite);
    EXPECT_EQ(ReadText(key, u"A"), c.outcome);
  }
}

}  // namespace
}  // namespace ambrelix::settings::testing
