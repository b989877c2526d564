// A window subclass (comctl32's SetWindowSubclass) that is removed again when
// the object goes away, or earlier by Remove() from the subclass procedure's
// WM_NCDESTROY.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

namespace ambrelix::ui {

class WindowSubclass {
 public:
  WindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
  ~WindowSubclass() { Remove(); }
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;

  void Remove() noexcept;

 private:
  HWND hwnd_;
  SUBCLASSPROC proc_;
  UINT_PTR id_;
};

}  // namespace ambrelix::ui
