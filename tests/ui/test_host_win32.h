// A small window with two entry fields, driven the way a user drives it:
// real keyboard and mouse input (SendInput) through a message loop with the
// dialog manager's navigation, focus moving between the fields, the real
// clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/error_display.h"
#include "calc/number_text.h"
#include "ui/win32/numeric_edit_window.h"

namespace ambrelix::ui::testing {

// The application's error display, recording instead of showing.
class RecordingErrorDisplay final : public app::ErrorDisplay {
 public:
  void ShowError(std::u16string_view boxText) override { shown.emplace_back(boxText); }
  std::vector<std::u16string> shown;
};

// Counts MessageBeep calls in this process, including the EDIT control's own.
class BeepCounter {
 public:
  BeepCounter();
  ~BeepCounter();
  BeepCounter(const BeepCounter&) = delete;
  BeepCounter& operator=(const BeepCounter&) = delete;
  static int count();

 private:
  unsigned char saved_[5] = {};
  void* target_ = nullptr;
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
};

class TestHost {
 public:
  explicit TestHost(const SeparatorProvider& separators);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Handles every message waiting, as the application's loop does.
  void Pump();

  // A key pressed and released, with Shift and Ctrl held around it.
  void Press(WORD virtualKey, Modifiers modifiers = {});
  // Each character typed on the keyboard (US layout).
  void Type(std::string_view text);
  void LeftClick(HWND window, POINT client);
  void RightClick(HWND window, POINT client);

  int escapesReceived() const { return escapesReceived_; }
  int closeRequests() const { return closeRequests_; }

  RecordingErrorDisplay errors;
  NumericEditWindow a;
  NumericEditWindow b;

 private:
  void Click(HWND window, POINT client, DWORD down, DWORD up);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int escapesReceived_ = 0;
  int closeRequests_ = 0;
};

void PutTextOnClipboard(std::u16string_view text);
std::u16string ClipboardText();

// The colour shown at a point of a window (its top-left corner is 0, 0),
// read from the screen.
COLORREF ShownPixel(HWND window, int x, int y);
// Saves the screen area of `window` as a 24-bit BMP.
void SaveScreenArea(HWND window, const std::string& path);

}  // namespace ambrelix::ui::testing
