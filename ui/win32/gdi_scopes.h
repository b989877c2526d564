// Scopes for the GDI resources the windows paint with: each releases what it
// took when it goes, on every path.
#pragma once

#include <windows.h>

namespace ambrelix::ui {

// The device context of a window's client area (GetDC) or of the whole
// window, frame included (GetWindowDC).
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetWindowDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class MemoryDC {
 public:
  explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class SolidBrush {
 public:
  explicit SolidBrush(COLORREF color) : brush_(CreateSolidBrush(color)) {}
  ~SolidBrush() {
    if (brush_) DeleteObject(brush_);
  }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  HBRUSH get() const { return brush_; }

 private:
  HBRUSH brush_;
};

// An object selected into a device context until the scope ends.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace ambrelix::ui
