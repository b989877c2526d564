// The settings store against an in-memory registry and recording controls.
// Stored data is written out byte by byte ("31 00 00 00"), as a registry
// editor shows it, so that an encoding slip shows up as a wrong byte.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/unicode.h"
#include "memory_registry.h"
#include "recording_controls.h"

namespace ambrelix::settings::testing {
namespace {

using namespace std::string_view_literals;

constexpr std::u16string_view kSetup = u"SOFTWARE\\Ambrelix\\Setup";
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegDwordBigEndian = 5;

// The thirteen values in the order every operation takes them.
const std::vector<std::u16string> kValueOrder = {u"A",    u"N",    u"D",   u"P",           u"OD",
                                                 u"ID",   u"t1",   u"t2",  u"RadioButton", u"cht1",
                                                 u"cht2", u"edt1", u"edt2"};

Bytes Hex(std::string_view hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
    bytes.push_back(static_cast<std::byte>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return bytes;
}

// UTF-16LE as given, no terminator added.
Bytes Utf16Le(std::u16string_view text) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
  return bytes;
}

StoredValue Sz(std::string_view hex) { return {kRegSz, Hex(hex)}; }
StoredValue Dword(std::string_view hex) { return {kRegDword, Hex(hex)}; }

// The message of the SettingsError the operation raises; "" when none.
template <class Operation>
std::string ErrorOf(Operation operation) {
  try {
    operation();
  } catch (const SettingsError& e) {
    return Utf16ToUtf8(e.message());
  }
  return "";
}

struct ExpectedValue {
  std::u16string_view name;
  StoredValue stored;
};

void ExpectStored(const MemoryRegistry& registry, const std::vector<ExpectedValue>& expected) {
  for (const auto& [name, stored] : expected) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    EXPECT_EQ(registry.Get(kSetup, name), stored);
  }
  EXPECT_EQ(registry.ValueCount(kSetup), expected.size());
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  // Every operation, on every path, releases the key it opened.
  void TearDown() override { EXPECT_EQ(registry.openKeys(), 0); }

  // The state a first run leaves, with the record of its writes cleared.
  void Seed() {
    WriteToRegistrySetup(registry);
    registry.writes.clear();
  }

  MemoryRegistry registry;
  RecordingControls controls;
};

// The thirteen first-run values, the fractions' separator given as the hex
// of its UTF-16 code unit ("2E" for a point).
std::vector<ExpectedValue> SeededDefaults(std::string_view separator) {
  auto fraction = [&](std::string_view digit) {
    return Sz(std::string(digit) + " 00 " + std::string(separator) + " 00 32 00 00 00");
  };
  return {{u"A", Sz("31 00 30 00 31 00 00 00")},
          {u"N", Sz("32 00 30 00 00 00")},
          {u"D", Sz("38 00 30 00 00 00")},
          {u"P", fraction("34")},
          {u"OD", fraction("33")},
          {u"ID", fraction("31")},
          {u"t1", Sz("31 00 30 00 30 00 00 00")},
          {u"t2", Sz("31 00 32 00 30 00 00 00")},
          {u"RadioButton", Dword("00 00 00 00")},
          {u"cht1", Dword("00 00 00 00")},
          {u"cht2", Dword("00 00 00 00")},
          {u"edt1", Dword("00 00 00 00")},
          {u"edt2", Dword("00 00 00 00")}};
}

TEST_F(SettingsStoreTest, FirstRunSeedsTheThirteenDefaultsThenLoadsThemInTableOrder) {
  LoadAtStartUp(registry, controls);

  EXPECT_TRUE(registry.HasKey(u"SOFTWARE\\Ambrelix"));
  EXPECT_EQ(registry.writes, kValueOrder);
  ExpectStored(registry, SeededDefaults("2E"));

  EXPECT_EQ(controls.log, (std::vector<std::string>{
                              "text A=101", "text N=20", "text D=80", "text P=4.2", "text OD=3.2",
                              "text ID=1.2", "text t1=100", "text t2=120", "radio 0", "checked 1=0",
                              "checked 2=0", "enabled 1=0", "enabled 2=0"}));

  // The existence test, then the seeding and the load on their own keys.
  EXPECT_EQ(registry.accesses, (std::vector<std::uint32_t>{0x20009, 0xF003F, 0xF003F}));
  EXPECT_EQ(registry.mostOpenAtOnce(), 1);
}

// The fractions are seeded with the user's decimal separator; the whole
// numbers and a point locale's bytes are as always.
TEST_F(SettingsStoreTest, FirstRunSeedsTheFractionsWithTheUsersDecimalSeparator) {
  LoadAtStartUp(registry, controls, u',');

  ExpectStored(registry, SeededDefaults("2C"));
}

TEST_F(SettingsStoreTest, StoredEnabledStatesWinOverTheTailBoxesClickHandlers) {
  Seed();
  registry.Put(kSetup, u"cht1", Dword("01 00 00 00"));
  registry.Put(kSetup, u"edt1", Dword("00 00 00 00"));
  registry.Put(kSetup, u"cht2", Dword("00 00 00 00"));
  registry.Put(kSetup, u"edt2", Dword("01 00 00 00"));

  LoadAtStartUp(registry, controls);

  EXPECT_TRUE(registry.writes.empty()) << "an existing application key is not seeded again";
  EXPECT_TRUE(controls.checked[0]);
  EXPECT_FALSE(controls.enabled[0]);
  EXPECT_FALSE(controls.checked[1]);
  EXPECT_TRUE(controls.enabled[1]);
}

TEST_F(SettingsStoreTest, AnApplicationKeyWithoutSetupSeedsNothingAndStopsAtTheRadioIndex) {
  registry.AddKey(u"SOFTWARE\\Ambrelix");

  EXPECT_EQ(ErrorOf([&] { LoadAtStartUp(registry, controls); }),
            "Failed to get data for 'RadioButton'");

  EXPECT_TRUE(registry.writes.empty());
  EXPECT_TRUE(registry.HasKey(kSetup));
  EXPECT_EQ(registry.ValueCount(kSetup), 0u);
  EXPECT_EQ(controls.log,
            (std::vector<std::string>{"text A=", "text N=", "text D=", "text P=", "text OD=",
                                      "text ID=", "text t1=", "text t2="}));

  // The next close writes all thirteen, no solve mode as -1.
  WriteToRegistry(registry, controls);
  EXPECT_EQ(registry.writes, kValueOrder);
  EXPECT_EQ(registry.Get(kSetup, u"RadioButton"), Dword("FF FF FF FF"));
}

// One stored value replaced (or removed), the others as seeded. The outcome
// is the call the value turns into, or the error that ends the load there.
struct ReadCase {
  const char* what;
  std::u16string_view name;
  std::optional<StoredValue> stored;
  std::string outcome;
};

TEST_F(SettingsStoreTest, EachStoredValueIsReadByItsTypesRules) {
  const Bytes kDwordSeven = Hex("07 00 00 00");
  const ReadCase cases[] = {
      {"missing text", u"D", std::nullopt, "text D="},
      {"text with no data", u"D", Sz(""), "text D="},
      {"empty text", u"D", Sz("00 00"), "text D="},
      {"text", u"D", Sz("38 00 30 00 00 00"), "text D=80"},
      {"text above U+00FF", u"D", Sz("A9 03 00 00"), "text D=\u03A9"},
      {"REG_EXPAND_SZ, not expanded", u"D", StoredValue{kRegExpandSz, Utf16Le(u"%X%1\0"sv)},
       "text D=%X%1"},
      {"text cut at an embedded null", u"D", Sz("31 00 00 00 32 00 00 00"), "text D=1"},
      {"unterminated text", u"D", Sz("31 00 32 00"), "text D=12"},
      {"odd byte count", u"D", Sz("31 00 32 00 33"), "text D=12"},
      {"one byte", u"D", Sz("31"), "text D="},
      {"REG_DWORD for a text", u"D", Dword("50 00 00 00"), "Invalid data type for 'D'"},
      {"REG_DWORD with no data for a text", u"D", Dword(""), "text D="},
      {"REG_BINARY for a text", u"D", StoredValue{kRegBinary, Utf16Le(u"80\0"sv)},
       "Invalid data type for 'D'"},
      {"REG_MULTI_SZ for a text", u"D", StoredValue{kRegMultiSz, Utf16Le(u"80\0\0"sv)},
       "Invalid data type for 'D'"},

      {"-1", u"RadioButton", Dword("FF FF FF FF"), "radio -1"},
      {"7, passed as stored", u"RadioButton", Dword("07 00 00 00"), "radio 7"},
      {"-5, passed as stored", u"RadioButton", Dword("FB FF FF FF"), "radio -5"},
      {"little-endian", u"RadioButton", Dword("00 01 00 00"), "radio 256"},
      {"short REG_DWORD, zero-extended", u"RadioButton", Dword("07 00"), "radio 7"},
      {"REG_SZ \"1\" fits in four bytes", u"RadioButton", Sz("31 00 00 00"),
       "Invalid data type for 'RadioButton'"},
      {"REG_SZ \"10\" does not", u"RadioButton", Sz("31 00 30 00 00 00"),
       "Failed to get data for 'RadioButton'"},
      {"missing integer", u"RadioButton", std::nullopt, "Failed to get data for 'RadioButton'"},
      {"eight-byte REG_DWORD", u"RadioButton", Dword("01 00 00 00 00 00 00 00"),
       "Failed to get data for 'RadioButton'"},
      {"REG_DWORD_BIG_ENDIAN", u"RadioButton", StoredValue{kRegDwordBigEndian, kDwordSeven},
       "Invalid data type for 'RadioButton'"},
      {"REG_BINARY of four bytes", u"RadioButton", StoredValue{kRegBinary, kDwordSeven},
       "Invalid data type for 'RadioButton'"},

      {"2 is true", u"cht1", Dword("02 00 00 00"), "checked 1=1"},
      {"a high byte alone is true", u"cht1", Dword("00 00 00 80"), "checked 1=1"},
      {"0 is false", u"cht2", Dword("00 00 00 00"), "checked 2=0"},
      {"REG_SZ \"1\" for a box", u"cht2", Sz("31 00 00 00"), "Invalid data type for 'cht2'"},
      {"enabled", u"edt1", Dword("01 00 00 00"), "enabled 1=1"},
      {"missing last value", u"edt2", std::nullopt, "Failed to get data for 'edt2'"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry stored;
    WriteToRegistrySetup(stored);
    if (c.stored)
      stored.Put(kSetup, c.name, *c.stored);
    else
      stored.Remove(kSetup, c.name);
    RecordingControls loaded;

    const std::string error = ErrorOf([&] { ReadFromRegistry(stored, loaded); });

    const auto position = static_cast<std::size_t>(
        std::find(kValueOrder.begin(), kValueOrder.end(), c.name) - kValueOrder.begin());
    if (error.empty()) {
      ASSERT_EQ(loaded.log.size(), kValueOrder.size());
      EXPECT_EQ(loaded.log[position], c.outcome);
    } else {
      EXPECT_EQ(error, c.outcome);
      EXPECT_EQ(loaded.log.size(), position) << "the values before the failing one stay applied";
    }
    EXPECT_EQ(stored.openKeys(), 0);
  }
}

TEST_F(SettingsStoreTest, TheSaveWritesEachControlsStateInTableOrder) {
  controls.texts = {u"12.500", u"", u"80", u"4,200", u"3.2", u"\u03A9", u".", u"120"};
  controls.radio = -1;
  controls.checked = {true, false};
  controls.enabled = {false, true};

  WriteToRegistry(registry, controls);

  EXPECT_EQ(registry.writes, kValueOrder);
  ExpectStored(registry, {{u"A", Sz("31 00 32 00 2E 00 35 00 30 00 30 00 00 00")},
                          {u"N", Sz("00 00")},
                          {u"D", Sz("38 00 30 00 00 00")},
                          {u"P", Sz("34 00 2C 00 32 00 30 00 30 00 00 00")},
                          {u"OD", Sz("33 00 2E 00 32 00 00 00")},
                          {u"ID", Sz("A9 03 00 00")},
                          {u"t1", Sz("2E 00 00 00")},
                          {u"t2", Sz("31 00 32 00 30 00 00 00")},
                          {u"RadioButton", Dword("FF FF FF FF")},
                          {u"cht1", Dword("01 00 00 00")},
                          {u"cht2", Dword("00 00 00 00")},
                          {u"edt1", Dword("00 00 00 00")},
                          {u"edt2", Dword("01 00 00 00")}});
}

TEST_F(SettingsStoreTest, AWriteRefusedDuringTheSaveEndsItThereNamingTheValue) {
  controls.texts.fill(u"9");
  controls.radio = 1;
  controls.checked = {true, true};
  for (std::size_t failing = 0; failing < kValueOrder.size(); ++failing) {
    const std::u16string& name = kValueOrder[failing];
    SCOPED_TRACE(Utf16ToUtf8(name));
    const std::vector<std::u16string> before(kValueOrder.begin(), kValueOrder.begin() + failing);

    MemoryRegistry thrown;
    WriteToRegistrySetup(thrown);
    thrown.writes.clear();
    thrown.refuseWrites = {name};
    EXPECT_EQ(ErrorOf([&] { WriteToRegistry(thrown, controls); }),
              "Failed to set data for '" + Utf16ToUtf8(name) + "'");
    EXPECT_EQ(thrown.writes, before);
    EXPECT_EQ(thrown.openKeys(), 0);

    MemoryRegistry quiet;
    quiet.refuseWrites = {name};
    EXPECT_EQ(SaveQuietly(quiet, controls), QuietSave::Failed);
    EXPECT_EQ(quiet.writes, before);
    EXPECT_EQ(quiet.openKeys(), 0);
  }
}

TEST_F(SettingsStoreTest, AWriteRefusedWhileSeedingEndsStartUpBeforeTheLoad) {
  registry.refuseWrites = {u"P"};

  EXPECT_EQ(ErrorOf([&] { LoadAtStartUp(registry, controls); }), "Failed to set data for 'P'");

  EXPECT_EQ(registry.writes, (std::vector<std::u16string>{u"A", u"N", u"D"}));
  EXPECT_TRUE(controls.log.empty());
}

TEST_F(SettingsStoreTest, ASettingsKeyThatCannotBeCreatedIsSilent) {
  registry.refuseCreate = true;
  for (bool applicationKeyExists : {false, true}) {
    SCOPED_TRACE(applicationKeyExists ? "application key present" : "first run");
    if (applicationKeyExists) registry.AddKey(u"SOFTWARE\\Ambrelix");

    EXPECT_EQ(ErrorOf([&] { LoadAtStartUp(registry, controls); }), "");
    EXPECT_EQ(ErrorOf([&] { WriteToRegistry(registry, controls); }), "");
    EXPECT_EQ(SaveQuietly(registry, controls), QuietSave::KeyUnavailable);
  }
  EXPECT_TRUE(controls.log.empty());
  EXPECT_TRUE(registry.writes.empty());
}

TEST_F(SettingsStoreTest, AQuietSaveWritesAsTheSaveDoes) {
  controls.radio = 0;
  EXPECT_EQ(SaveQuietly(registry, controls), QuietSave::Saved);
  EXPECT_EQ(registry.writes, kValueOrder);
  EXPECT_EQ(registry.Get(kSetup, u"RadioButton"), Dword("00 00 00 00"));
}

// Another program rewrites "A" between the store finding its size and reading
// it: the first time only, or at every read.
TEST_F(SettingsStoreTest, ATextThatChangesBetweenQueryAndReadIsReadAsItIsNow) {
  struct Case {
    const char* what;
    bool everyRead;
    std::optional<StoredValue> becomes;
    std::string outcome;
  };
  const Case cases[] = {
      {"grows", false, Sz("31 00 32 00 33 00 34 00 35 00 36 00 00 00"), "123456"},
      {"shrinks", false, Sz("39 00 00 00"), "9"},
      {"empties", false, Sz(""), ""},
      {"vanishes", false, std::nullopt, ""},
      {"becomes a REG_DWORD", false, Dword("01 00 00 00 00 00 00 00"), "Invalid data type for 'A'"},
      {"keeps growing", true, std::nullopt, "Failed to get data for 'A'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRegistry changing;
    changing.Put(kSetup, u"A", Sz("31 00 00 00"));
    std::u16string growing = u"1";
    bool changed = false;
    changing.beforeRead = [&] {
      if (c.everyRead) {
        growing += u"2345678";
        changing.Put(kSetup, u"A", {kRegSz, Utf16Le(growing)});
      } else if (!changed) {
        changed = true;
        if (c.becomes)
          changing.Put(kSetup, u"A", *c.becomes);
        else
          changing.Remove(kSetup, u"A");
      }
    };
    std::string text;
    std::string error;
    {
      const auto key = changing.CreateKey(kSetup, kKeyAllAccess);
      error = ErrorOf([&] { text = Utf16ToUtf8(ReadText(*key, u"A")); });
    }
    EXPECT_EQ(error.empty() ? text : error, c.outcome);
  }
}

// A text far larger than any field holds is read whole; one larger than the
// store accepts (16 MiB of data) is "Failed to get data".
TEST_F(SettingsStoreTest, LargeTextsAreReadWholeUpToTheLimit) {
  std::u16string large(2u << 20, u'7');  // 4 MiB of data
  registry.Put(kSetup, u"A", {kRegSz, Utf16Le(large)});
  registry.Put(kSetup, u"N", {kRegSz, Bytes((16u << 20) + 2, std::byte{0x37})});

  const auto key = registry.CreateKey(kSetup, kKeyAllAccess);
  EXPECT_EQ(ReadText(*key, u"A"), large);
  EXPECT_EQ(ErrorOf([&] { ReadText(*key, u"N"); }), "Failed to get data for 'N'");
}

}  // namespace
}  // namespace ambrelix::settings::testing
