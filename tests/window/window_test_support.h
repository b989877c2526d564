// What the calculator window's Wine tests share: real keyboard and mouse
// input (SendInput), reading what windows show, and the modal boxes the
// program puts up, seen and closed from a second thread while the program's
// thread waits in the box's own loop.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "synthetic_input.h"

namespace ambrelix::testing {

// Text typed on the keyboard (US layout) into whichever window has the
// focus; single keys go by SendKey.
void SendText(std::string_view text);
// A left click at a point of `window`'s client area.
void SendClick(HWND window, POINT client);

std::u16string TextOf(HWND window);  // WM_GETTEXT, across processes too
std::wstring ClassOf(HWND window);
// `window`'s rectangle in its parent's client area (a top-level window's on the screen).
RECT RectInParent(HWND window);
// The colour the screen shows at a point of `window`'s client area.
COLORREF ShownAt(HWND window, POINT client);

// Polls `done` until it is true or `seconds` have passed; true if it was.
bool WaitUntil(const std::function<bool()>& done, double seconds = 10);

// A modal box as it was on the screen.
struct ShownBox {
  std::u16string caption;
  std::u16string text;  // its static texts, one per line
  std::vector<std::u16string> buttons;
  int defaultButton = 0;  // as DM_GETDEFID tells, 0 for none
  HICON icon = nullptr;
  RECT rect = {};
  DWORD threadId = 0;
};

ShownBox ReadBox(HWND box);
// The visible dialog-class windows of a process, or of a thread of it.
std::vector<HWND> VisibleBoxes(DWORD processId, DWORD threadId = 0);
// Presses the box's OK button (IDOK).
void PressOk(HWND box);

// Closes, with OK, every modal box that the thread `threadId` of this
// process shows, from a thread of its own, and records it.
class BoxCloser {
 public:
  explicit BoxCloser(DWORD threadId);
  ~BoxCloser();
  BoxCloser(const BoxCloser&) = delete;
  BoxCloser& operator=(const BoxCloser&) = delete;

  // The boxes closed since the last call.
  std::vector<ShownBox> Take();

 private:
  void Watch();

  DWORD threadId_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<ShownBox> closed_;
  std::thread thread_;
};

}  // namespace ambrelix::testing
