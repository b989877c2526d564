// A stand-in for the calculator window that shows Form2 modally and drives it
// the way a user does while the dialog's own loop runs: real keyboard and
// mouse input (SendInput), each step of a script sent from a timer message.
// The loop takes a timer message only when no input or posted message is
// waiting, so the input one step sends has been handled when the next runs.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "synthetic_input.h"
#include "ui/about_dialog.h"
#include "ui/win32/web_link_label.h"

namespace ambrelix::ui::testing {

class RecordingShellOpener final : public ShellOpener {
 public:
  struct Call {
    HWND owner;
    std::wstring verb;
    std::wstring file;
    int showCommand;
  };
  void Open(HWND owner, std::wstring_view verb, std::wstring_view file, int showCommand) override {
    calls.push_back({owner, std::wstring(verb), std::wstring(file), showCommand});
    if (failing) throw std::runtime_error("The shell is out of order");
  }
  std::vector<Call> calls;
  bool failing = false;
};

// One step of a script: true when done; a step that answers false is asked
// again on the next timer message.
using Step = std::function<bool()>;
Step Do(std::function<void()> action);

class AboutHost {
 public:
  AboutHost();
  ~AboutHost();
  AboutHost(const AboutHost&) = delete;
  AboutHost& operator=(const AboutHost&) = delete;

  // The calculator window's stand-in, visible and in the foreground.
  HWND owner() const { return owner_; }
  // The application's hidden top-level window.
  HWND application() const { return application_; }

  // Shows `dialog` modally over owner() and runs `steps` while it is shown.
  // A dialog still open after the last step is a failure; it is then closed.
  int ShowModal(TForm2& dialog, std::vector<Step> steps);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void RunStep();

  HWND owner_ = nullptr;
  HWND application_ = nullptr;
  TForm2* dialog_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int askedAgain_ = 0;
  bool running_ = false;
};

using Keys = ambrelix::testing::Held;
void PressKey(WORD virtualKey, Keys held = {});

// Mouse input at a point of the screen.
void MoveMouseTo(POINT screen);
void LeftDown(POINT screen);
void LeftUp(POINT screen);
void LeftClick(POINT screen);
void LeftDoubleClick(POINT screen);
void LeftDrag(POINT from, POINT to);

POINT OnScreen(HWND window, POINT client);
POINT ClientCentre(HWND window);
// A point of `window`'s frame where the hit test answers `area` (HTCLOSE,
// HTCAPTION), searched along the middle of the caption from the right.
std::optional<POINT> FramePoint(HWND window, LRESULT area);

std::wstring WindowText(HWND window);
// The colour shown at a client point of `window`, read from the screen.
COLORREF ShownClientPixel(HWND window, int x, int y);
// What the screen shows over `window`'s client rectangle `area`.
std::vector<COLORREF> ShownClientArea(HWND window, const RECT& area);

}  // namespace ambrelix::ui::testing
