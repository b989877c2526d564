// Scopes for the GDI and USER resources the windows paint with: each
// releases what it took when it goes, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace ambrelix::ui {

// An owned GDI object (bitmap, brush, font), deleted with its owner.
template <class Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using BitmapHandle = GdiObject<HBITMAP>;
using BrushHandle = GdiObject<HBRUSH>;
using FontHandle = GdiObject<HFONT>;

// An icon loaded for one owner (not shared), destroyed with it.
class IconHandle {
 public:
  IconHandle() = default;
  ~IconHandle() { reset(); }
  IconHandle(const IconHandle&) = delete;
  IconHandle& operator=(const IconHandle&) = delete;
  HICON get() const { return icon_; }
  void reset(HICON icon = nullptr) {
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
  }

 private:
  HICON icon_ = nullptr;
};

// The device context of a window's client area (GetDC) or of the whole
// window, frame included (GetWindowDC), released with the scope.
template <HDC(WINAPI* Get)(HWND)>
class WindowDeviceContext {
 public:
  explicit WindowDeviceContext(HWND hwnd) : hwnd_(hwnd), dc_(Get(hwnd)) {}
  ~WindowDeviceContext() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDeviceContext(const WindowDeviceContext&) = delete;
  WindowDeviceContext& operator=(const WindowDeviceContext&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

using ClientDC = WindowDeviceContext<&GetDC>;
using WindowDC = WindowDeviceContext<&GetWindowDC>;

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

// A memory device context for measuring text, kept for the whole run. It
// gives the same extents for a font as a window's own DC, without fetching
// and releasing one each time (two round trips to the wineserver under
// Wine, for each of the forty labels the calculator window sizes before it
// is shown). Select the font to measure with a Selected scope.
HDC MeasuringDC();

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

// WM_PAINT's device context, from BeginPaint to EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintScope() { EndPaint(hwnd_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

// An off-screen bitmap of `size` pixels, with a DC drawing into it. Throws
// std::runtime_error when the bitmap cannot be made.
class OffscreenCanvas {
 public:
  OffscreenCanvas(HDC like, SIZE size);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;
  HDC dc() const { return dc_.get(); }
  // Hands the bitmap over, unselected; the canvas can draw no more.
  BitmapHandle Release();

 private:
  MemoryDC dc_;
  BitmapHandle bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace ambrelix::ui
