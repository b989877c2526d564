#include "ui/controls_win32.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "resources/resource.h"
#include "ui/gdi_scopes.h"
#include "png/png_reader.h"
#include "ui/window_placement.h"

namespace ambrelix::ui {
namespace {

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

HWND CreateChild(HWND parent, const wchar_t* windowClass, std::u16string_view text, DWORD style,
                 const Bounds& bounds, int id, HFONT font) {
  HWND hwnd = CreateWindowExW(
      0, windowClass, Wide(std::u16string(text)), WS_CHILD | WS_VISIBLE | style, bounds.left,
      bounds.top, bounds.width, bounds.height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!hwnd)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(child)");
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

FontHandle::FontHandle(const wchar_t* face, int pixelHeight, bool bold, BYTE charset)
    : font_(CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face)) {
  if (!font_) throw std::runtime_error("CreateFontW failed");
}

FontHandle::~FontHandle() {
  if (font_) DeleteObject(font_);
}

void SetCoilIcons(WNDCLASSEXW& windowClass) {
  auto load = [&](int width, int height) {
    return static_cast<HICON>(LoadImageW(windowClass.hInstance, MAKEINTRESOURCEW(IDI_MAIN),
                                         IMAGE_ICON, width, height, LR_SHARED));
  };
  windowClass.hIcon = load(32, 32);
  windowClass.hIconSm = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
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

void LabelWindow::Create(HWND parent, int id, const Bounds& design, std::u16string_view caption,
                         HFONT font, Color textColor, Anchor anchor) {
  font_ = font;
  textColor_ = textColor;
  anchor_ = anchor;
  anchorX_ = anchor == Anchor::Right ? design.right() : design.left;
  top_ = design.top;
  hwnd_ =
      CreateChild(parent, L"STATIC", caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX, design, id, font);
  AutoSize();
}

std::u16string LabelWindow::Caption() const {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, u'\0');
  const int length =
      GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

void LabelWindow::SetCaption(std::u16string_view caption) {
  const RECT before = WindowRectInParent(hwnd_);
  SetWindowTextW(hwnd_, Wide(std::u16string(caption)));
  AutoSize();
  // The label paints only its new rectangle: the parent repaints what the
  // old text covered, and the siblings there (a group box's frame) with it.
  RECT area = WindowRectInParent(hwnd_);
  UnionRect(&area, &area, &before);
  RedrawWindow(GetParent(hwnd_), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void LabelWindow::AutoSize() {
  const std::u16string caption = Caption();
  // An empty label keeps the size of one blank, so it keeps its place.
  const std::u16string_view text = caption.empty() ? std::u16string_view(u" ") : caption;
  ClientDC dc(hwnd_);
  Selected font(dc.get(), font_);
  RECT extent = {0, 0, 0, 0};
  DrawTextW(dc.get(), reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
            &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
  // Two pixels more than the measured text: drawn, a text can run up to two
  // pixels past its measured width ("Pitch (P)" in Tahoma 12 under Wine),
  // and the label clips to its rectangle.
  const int width = extent.right - extent.left + 2;
  const int height = extent.bottom - extent.top;
  const int left = anchor_ == Anchor::Right ? anchorX_ - width : anchorX_;
  SetWindowPos(hwnd_, nullptr, left, top_, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PushButtonWindow::Create(HWND parent, int id, const Bounds& bounds,
                              std::u16string_view caption, HFONT font, bool tabStop) {
  hwnd_ = CreateChild(parent, L"BUTTON", caption,
                      BS_PUSHBUTTON | WS_GROUP | (tabStop ? WS_TABSTOP : 0), bounds, id, font);
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
    ClientDC dc(box_);
    Selected selected(dc.get(), font);
    GetTextMetricsW(dc.get(), &metrics);
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

PictureComponent::~PictureComponent() {
  if (bitmap_) DeleteObject(bitmap_);
}

void PictureComponent::LoadPng(std::span<const std::uint8_t> file) {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  const DecodedImage image = DecodePng(file);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(image.width);
  info.bmiHeader.biHeight = -static_cast<LONG>(image.height);  // top-down, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(image.bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateDIBSection");
  std::memcpy(bits, image.pixels.data(), image.pixels.size());
  bitmap_ = bitmap;
  width_ = static_cast<int>(image.width);
  height_ = static_cast<int>(image.height);
}

void PictureComponent::Paint(HDC dc) const {
  if (!bitmap_) return;
  MemoryDC source(dc);
  Selected selected(source.get(), bitmap_);
  BitBlt(dc, bounds_.left, bounds_.top, std::min(width_, bounds_.width),
         std::min(height_, bounds_.height), source.get(), 0, 0, SRCCOPY);
}

}  // namespace ambrelix::ui
