// The calculator window's controls as the store sees them, recording every
// call the store makes, in order, with the values it passes. They follow the
// window's rules where the store depends on them: the radio index is kept
// clamped to -1..1, and a tail box whose state changes runs its click
// handler, which enables or disables the tail field. They start with the
// window's design values.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "calc/unicode.h"
#include "settings/settings_controls.h"

namespace ambrelix::settings::testing {

inline const char* FieldName(Field field) {
  constexpr const char* kNames[] = {"A", "N", "D", "P", "OD", "ID", "t1", "t2"};
  return kNames[static_cast<int>(field)];
}

inline const char* TailName(Tail tail) { return tail == Tail::T1 ? "1" : "2"; }

class RecordingControls final : public SettingsControls {
 public:
  std::u16string FieldText(Field field) const override { return texts[Index(field)]; }
  void SetFieldText(Field field, std::u16string_view text) override {
    texts[Index(field)] = text;
    log.push_back(std::string("text ") + FieldName(field) + "=" + Utf16ToUtf8(text));
  }

  int RadioIndex() const override { return radio; }
  void SetRadioIndex(int index) override {
    radio = std::clamp(index, -1, 1);
    log.push_back("radio " + std::to_string(index));
  }

  bool TailChecked(Tail tail) const override { return checked[Index(tail)]; }
  void SetTailChecked(Tail tail, bool state) override {
    log.push_back(std::string("checked ") + TailName(tail) + "=" + (state ? "1" : "0"));
    if (checked[Index(tail)] == state) return;
    checked[Index(tail)] = state;
    enabled[Index(tail)] = state;
  }

  bool TailFieldEnabled(Tail tail) const override { return enabled[Index(tail)]; }
  void SetTailFieldEnabled(Tail tail, bool state) override {
    enabled[Index(tail)] = state;
    log.push_back(std::string("enabled ") + TailName(tail) + "=" + (state ? "1" : "0"));
  }

  std::array<std::u16string, 8> texts{u"0.000", u"0.000", u"0.000", u"0.000",
                                      u"0.000", u"0.000", u"0.000", u"0.000"};
  int radio = -1;
  std::array<bool, 2> checked{false, false};
  std::array<bool, 2> enabled{true, true};
  std::vector<std::string> log;

 private:
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
  static std::size_t Index(Tail tail) { return static_cast<std::size_t>(tail); }
};

}  // namespace ambrelix::settings::testing
