// What every window class of the program shares: registration once per
// process, the window procedure that finds the object behind a window, and
// the boundary where an error escaping a message handler is handed to the
// error display (no exception unwinds through a platform frame).
#pragma once

#include <windows.h>

#include <string>

#include "app/error_display.h"

namespace ambrelix::ui {

// Throws std::system_error with the calling thread's last error.
[[noreturn]] void ThrowLastError(const char* what);

inline const wchar_t* Wide(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

struct WindowClass {
  const wchar_t* name;
  UINT style = 0;
  const wchar_t* cursor = nullptr;  // a system cursor (IDC_ARROW, ...), or none
  HBRUSH background = nullptr;
  bool coilIcons = false;  // the program's icon, large and small
};

// Runs `handler`, showing whatever it throws; returns `onError` then.
template <class Handler>
LRESULT Guarded(app::ErrorDisplay& errors, LRESULT onError, Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    app::ShowCurrentException(errors);
    return onError;
  }
}

// A window whose messages go to an object. The object lives at least as long
// as its window; the handle is cleared when the window is destroyed.
class WindowBase {
 public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  explicit WindowBase(app::ErrorDisplay& errors) : errors_(errors) {}
  ~WindowBase() = default;

  // Registers the class the first time and creates a window of it; throws
  // std::system_error when either fails.
  void CreateWindowOfClass(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title,
                           DWORD style, int left, int top, int width, int height, HWND parent,
                           int childId = 0);

  // Every message but WM_NCCREATE and WM_NCDESTROY; what it throws is shown
  // and the message answered with 0.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // After the window is gone (hwnd() is already null).
  virtual void WindowDestroyed() {}

  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) const {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
  app::ErrorDisplay& errors() const { return errors_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  app::ErrorDisplay& errors_;
  HWND hwnd_ = nullptr;
};

}  // namespace ambrelix::ui
