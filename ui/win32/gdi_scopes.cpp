#include "ui/win32/gdi_scopes.h"

#include <stdexcept>

namespace ambrelix::ui {

HDC MeasuringDC() {
  static const MemoryDC measuring(nullptr);
  return measuring.get();
}

OffscreenCanvas::OffscreenCanvas(HDC like, SIZE size)
    : dc_(like), bitmap_(CreateCompatibleBitmap(like, size.cx, size.cy)) {
  if (!dc_.get() || !bitmap_) throw std::runtime_error("cannot create an off-screen bitmap");
  old_ = SelectObject(dc_.get(), bitmap_.get());
}

OffscreenCanvas::~OffscreenCanvas() { SelectObject(dc_.get(), old_); }

BitmapHandle OffscreenCanvas::Release() {
  SelectObject(dc_.get(), old_);
  return std::move(bitmap_);
}

}  // namespace ambrelix::ui
