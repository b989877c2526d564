#include "ui/win32/window_subclass.h"

#include "ui/win32/window_base.h"

namespace ambrelix::ui {

WindowSubclass::WindowSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data)
    : hwnd_(hwnd), proc_(proc), id_(id) {
  if (!SetWindowSubclass(hwnd, proc, id, data)) ThrowLastError("SetWindowSubclass");
}

void WindowSubclass::Remove() noexcept {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, proc_, id_);
  hwnd_ = nullptr;
}

}  // namespace ambrelix::ui
