#include "ui/win32/controls.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "png/png_reader.h"
#include "resources/resource.h"
#include "ui/win32/gdi_scopes.h"
#include "ui/win32/window_base.h"
#include "ui/window_placement.h"

namespace ambrelix::ui {
namespace {

HWND CreateChild(HWND parent, const wchar_t* windowClass, std::u16string_view text, DWORD style,
                 const Bounds& bounds, int id, HFONT font) {
  HWND hwnd = CreateWindowExW(
      0, windowClass, Wide(std::u16string(text)), WS_CHILD | WS_VISIBLE | style, bounds.left,
      bounds.top, bounds.width, bounds.height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) ThrowLastError("CreateWindowExW(child)");
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

RECT WindowRectInParent(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

COLORREF ToColorRef(Color color) {
  if ((color & kSystemColor) == kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return color;
}

FontHandle MakeFont(const wchar_t* face, int pixelHeight, bool bold, BYTE charset) {
  FontHandle font(CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                              FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
  if (!font) throw std::runtime_error("CreateFontW failed");
  return font;
}

std::span<const std::uint8_t> ResourceBytes(int id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return {static_cast<const std::uint8_t*>(data), SizeofResource(nullptr, found)};
}

void CentreOnVirtualDesktop(HWND window) {
  const DesktopRect desktop = {
      GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT outer;
  GetWindowRect(window, &outer);
  const WindowOrigin origin =
      CentredOrigin(desktop, outer.right - outer.left, outer.bottom - outer.top);
  SetWindowPos(window, nullptr, origin.left, origin.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FillLavenderGradient(HDC dc, int width, int height) {
  TRIVERTEX ends[2] = {{0, 0, 0xC800, 0xC800, 0xFF00, 0},
                       {width, height, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT rectangle = {0, 1};
  GradientFill(dc, ends, 2, &rectangle, 1, GRADIENT_FILL_RECT_H);
}

void LabelWindow::Create(HWND parent, int id, const Bounds& design, std::u16string_view caption,
                         HFONT font, Color textColor, Anchor anchor, Sizing sizing) {
  font_ = font;
  sizing_ = sizing;
  textColor_ = textColor;
  anchor_ = anchor;
  anchorX_ = anchor == Anchor::Right ? design.right() : design.left;
  top_ = design.top;
  // Created at its final size: measured first, not moved after creation.
  const Bounds at = sizing == Sizing::Design ? design : FittedTo(caption);
  hwnd_ = CreateChild(parent, L"STATIC", caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX, at, id, font);
}

std::u16string LabelWindow::Caption() const {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, u'\0');
  const int length =
      GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

void LabelWindow::SetCaption(std::u16string_view caption) {
  if (sizing_ == Sizing::Design) {
    SetWindowTextW(hwnd_, Wide(std::u16string(caption)));
    return;
  }
  const RECT before = WindowRectInParent(hwnd_);
  SetWindowTextW(hwnd_, Wide(std::u16string(caption)));
  const Bounds at = FittedTo(caption);
  SetWindowPos(hwnd_, nullptr, at.left, at.top, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
  // The label paints only its new rectangle: the parent repaints what the
  // old text covered, and the siblings there (a group box's frame) with it.
  RECT area = WindowRectInParent(hwnd_);
  UnionRect(&area, &area, &before);
  RedrawWindow(GetParent(hwnd_), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Bounds LabelWindow::FittedTo(std::u16string_view caption) const {
  // An empty label keeps the size of one blank, so it keeps its place.
  const std::u16string_view text = caption.empty() ? std::u16string_view(u" ") : caption;
  const HDC dc = MeasuringDC();
  Selected font(dc, font_);
  RECT extent = {0, 0, 0, 0};
  DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
            &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
  // Two pixels more than the measured text: drawn, a text can run up to two
  // pixels past its measured width ("Pitch (P)" in Tahoma 12 under Wine),
  // and the label clips to its rectangle.
  const int width = extent.right - extent.left + 2;
  const int height = extent.bottom - extent.top;
  const int left = anchor_ == Anchor::Right ? anchorX_ - width : anchorX_;
  return {left, top_, width, height};
}

void PushButtonWindow::Create(HWND parent, int id, const Bounds& bounds,
                              std::u16string_view caption, HFONT font, bool tabStop,
                              bool startsGroup) {
  hwnd_ = CreateChild(parent, L"BUTTON", caption,
                      BS_PUSHBUTTON | (startsGroup ? WS_GROUP : 0) | (tabStop ? WS_TABSTOP : 0),
                      bounds, id, font);
}

void PushButtonWindow::Click() {
  if (OnClick) OnClick();
}

void CheckBoxWindow::Create(HWND parent, int id, const Bounds& bounds, std::u16string_view caption,
                            HFONT font, bool tabStop) {
  hwnd_ = CreateChild(parent, L"BUTTON", caption,
                      BS_AUTOCHECKBOX | WS_GROUP | (tabStop ? WS_TABSTOP : 0), bounds, id, font);
}

bool CheckBoxWindow::Checked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBoxWindow::SetChecked(bool checked) {
  if (checked == Checked()) return;
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  Clicked();
}

void CheckBoxWindow::Clicked() {
  if (OnClick) OnClick();
}

void GroupBoxWindow::Create(HWND parent, int id, const Bounds& bounds, std::u16string_view caption,
                            HFONT font) {
  hwnd_ = CreateChild(parent, L"BUTTON", caption, BS_GROUPBOX | WS_GROUP, bounds, id, font);
}

void RadioGroupWindows::Create(HWND parent, int boxId, int firstItemId, const Bounds& bounds,
                               std::u16string_view caption,
                               std::span<const std::u16string_view> items, HFONT font) {
  box_ = CreateChild(parent, L"BUTTON", caption, BS_GROUPBOX | WS_GROUP, bounds, boxId, font);
  TEXTMETRICW metrics = {};
  {
    Selected selected(MeasuringDC(), font);
    GetTextMetricsW(MeasuringDC(), &metrics);
  }
  // Below the caption's line the items share the height equally, with a
  // small margin at the bottom; each spans the box less its side margins.
  const int count = static_cast<int>(items.size());
  const int room = bounds.height - metrics.tmHeight - 5;
  const int itemHeight = room / count;
  const int firstTop = bounds.top + metrics.tmHeight + 1 + (room % count) / 2;
  for (int i = 0; i < count; ++i) {
    const Bounds at = {bounds.left + 8, firstTop + i * itemHeight, bounds.width - 10, itemHeight};
    items_.push_back(CreateChild(parent, L"BUTTON", items[static_cast<std::size_t>(i)],
                                 BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0), at, firstItemId + i,
                                 font));
  }
}

void RadioGroupWindows::SetItemIndex(int index) {
  index = std::clamp(index, -1, ItemCount() - 1);
  if (index == index_) return;
  index_ = index;
  ShowSelection();
  if (index_ >= 0 && OnClick) OnClick();
}

void RadioGroupWindows::ItemClicked(int index) {
  if (index == index_) return;
  index_ = index;
  ShowSelection();
  if (OnClick) OnClick();
}

void RadioGroupWindows::ShowSelection() {
  for (int i = 0; i < ItemCount(); ++i) {
    HWND button = item(i);
    SendMessageW(button, BM_SETCHECK, i == index_ ? BST_CHECKED : BST_UNCHECKED, 0);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE,
                      i == index_ ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP}));
  }
}

LRESULT EditDialogCode(HWND edit, WPARAM wParam, LPARAM lParam) {
  LRESULT code = DefSubclassProc(edit, WM_GETDLGCODE, wParam, 0);
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
    code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return code;
}

// The width of the soft bevel between the memo's sunken edge and its text.
constexpr int kMemoBevel = 2;

void MemoWindow::Create(HWND parent, int id, const Bounds& bounds, std::u16string_view text,
                        HFONT font, bool tabStop) {
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Wide(std::u16string(text)),
                          WS_CHILD | WS_VISIBLE | (tabStop ? WS_TABSTOP : 0) | ES_MULTILINE |
                              ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                          bounds.left, bounds.top, bounds.width, bounds.height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) ThrowLastError("CreateWindowExW(memo)");
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  subclass_.emplace(hwnd_, &MemoWindow::Procedure, 0, reinterpret_cast<DWORD_PTR>(this));
  // The bevel inside the sunken edge is part of the frame: have it measured.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool MemoWindow::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
  if (message != WM_CTLCOLORSTATIC || !hwnd_ || reinterpret_cast<HWND>(lParam) != hwnd_)
    return false;
  // A read-only EDIT asks here; the text sits on the tooltip colour.
  HDC dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_INFOBK));
  result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
  return true;
}

LRESULT CALLBACK MemoWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  auto* memo = reinterpret_cast<MemoWindow*>(self);
  LRESULT result = 0;
  const bool handled = Guarded(memo->errors_, FALSE, [&]() -> LRESULT {
    result = memo->Message(message, wParam, lParam);
    return TRUE;
  });
  return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT MemoWindow::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // Enter and Escape go to the text box, where a read-only text makes
      // them do nothing.
      return EditDialogCode(hwnd_, wParam, lParam);
    case WM_NCCALCSIZE: {
      // The bevel sits inside the sunken edge, around the text and the
      // scroll bar: the frame the EDIT measures is taken in by its width.
      auto* proposed = reinterpret_cast<RECT*>(lParam);
      InflateRect(proposed, -kMemoBevel, -kMemoBevel);
      return DefSubclassProc(hwnd_, message, wParam, lParam);
    }
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      DrawBevel();
      return result;
    }
    case WM_NCDESTROY: {
      HWND memo = hwnd_;
      hwnd_ = nullptr;
      subclass_.reset();
      return DefSubclassProc(memo, message, wParam, lParam);
    }
    default:
      return DefSubclassProc(hwnd_, message, wParam, lParam);
  }
}

void MemoWindow::DrawBevel() const {
  RECT window;
  GetWindowRect(hwnd_, &window);
  RECT ring = {0, 0, window.right - window.left, window.bottom - window.top};
  const int edge = GetSystemMetrics(SM_CXEDGE);
  InflateRect(&ring, -edge, -edge);
  WindowDC dc(hwnd_);
  DrawEdge(dc.get(), &ring, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT | BF_SOFT);
}

PictureBitmap DecodePicture(std::span<const std::uint8_t> file) {
  const DecodedImage image = DecodePng(file);
  PictureBitmap picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.alpha = image.bitsPerPixel == 32;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(image.bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  picture.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture.bitmap) ThrowLastError("CreateDIBSection");
  if (!picture.alpha) {
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return picture;
  }
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.pixels.data() + y * image.stride;
    for (std::uint32_t x = 0; x < image.width; ++x, in += 4, out += 4) {
      const unsigned alpha = in[3];
      for (int channel = 0; channel < 3; ++channel)
        out[channel] = static_cast<std::uint8_t>((in[channel] * alpha + 127) / 255);
      out[3] = in[3];
    }
  }
  return picture;
}

void PictureComponent::LoadPng(std::span<const std::uint8_t> file) {
  picture_ = {};
  picture_ = DecodePicture(file);
}

void PictureComponent::Paint(HDC dc) const {
  if (!picture_.bitmap) return;
  MemoryDC source(dc);
  Selected selected(source.get(), picture_.bitmap.get());
  const int width = std::min(picture_.width, bounds_.width);
  const int height = std::min(picture_.height, bounds_.height);
  if (picture_.alpha) {
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, bounds_.left, bounds_.top, width, height, source.get(), 0, 0, width, height,
               blend);
  } else {
    BitBlt(dc, bounds_.left, bounds_.top, width, height, source.get(), 0, 0, SRCCOPY);
  }
}

}  // namespace ambrelix::ui
