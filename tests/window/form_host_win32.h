// The calculator window hosted in the test program, as the application hosts
// it: the real error box, the user's regional separators, the message loop
// with the dialog manager's keyboard handling. Input is real (SendInput) and
// goes through that loop; modal boxes are closed with OK by a BoxCloser.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/error_box.h"
#include "ui/calculator_window.h"
#include "ui/win32/regional_separators.h"
#include "window_test_support.h"

namespace ambrelix::testing {

// The drawing's PNG file from the source tree.
std::span<const std::uint8_t> DrawingPng();

class FormHost {
 public:
  explicit FormHost(std::span<const std::uint8_t> drawing = DrawingPng(),
                    ui::TForm1Hooks hooks = {});
  ~FormHost();
  FormHost(const FormHost&) = delete;
  FormHost& operator=(const FormHost&) = delete;

  // Handles every message waiting, as the application's loop does.
  void Pump();
  void Key(WORD virtualKey, Held held = {});
  void Type(std::string_view text);
  void Click(HWND window, POINT client);
  void ClickCentre(HWND window);
  // Focuses `field` (which selects its text) and types `text` over it.
  void Retype(ui::NumericEditWindow& field, std::string_view text);

  std::vector<ShownBox> Boxes() { return closer.Take(); }

  ui::RegionalSeparators separators;
  app::ErrorBox errors{u"Ambrelix"};
  BoxCloser closer{GetCurrentThreadId()};
  ui::TForm1 form;
};

// The user's separators as they were, put back when the test ends.
class UserSeparatorsRestored {
 public:
  UserSeparatorsRestored();
  ~UserSeparatorsRestored();
  UserSeparatorsRestored(const UserSeparatorsRestored&) = delete;
  UserSeparatorsRestored& operator=(const UserSeparatorsRestored&) = delete;

 private:
  wchar_t decimal_[8] = {};
  wchar_t thousand_[8] = {};
};

// Sets the user's separators and announces it, as the regional settings do.
void SetUserSeparators(const wchar_t* decimal, const wchar_t* thousand, HWND window);

}  // namespace ambrelix::testing
