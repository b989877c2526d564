#include "ui/win32/web_link_label.h"

#include <shellapi.h>
#include <windowsx.h>

#include <system_error>

namespace ambrelix::ui {
namespace {

constexpr wchar_t kClassName[] = L"AmbrelixWebLinkLabel";

void RegisterLinkClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    // The second press of a double click then arrives as WM_LBUTTONDBLCLK,
    // which does not open the link again.
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_HAND);
    // No brush: the label never draws a background of its own.
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                              "RegisterClassExW(link label)");
    return true;
  }();
  static_cast<void>(registered);
}

}  // namespace

void ShellExecuteOpener::Open(HWND owner, std::wstring_view verb, std::wstring_view file,
                              int showCommand) {
  ShellExecuteW(owner, std::wstring(verb).c_str(), std::wstring(file).c_str(), nullptr, nullptr,
                showCommand);
}

TWebLinkLabel::TWebLinkLabel(ShellOpener& shell, ErrorDisplay& errors)
    : shell_(shell), errors_(errors) {}

TWebLinkLabel::~TWebLinkLabel() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void TWebLinkLabel::Create(HWND parent, int id, const RECT& bounds, std::wstring_view caption,
                           HFONT font, HWND shellOwner) {
  RegisterLinkClass(&TWebLinkLabel::WindowProc);
  shellOwner_ = shellOwner ? shellOwner : parent;
  font_ = font;
  HWND hwnd = CreateWindowExW(
      0, kClassName, std::wstring(caption).c_str(), WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
      bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  if (!hwnd)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(link label)");
}

LRESULT CALLBACK TWebLinkLabel::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<TWebLinkLabel*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    created->hwnd_ = hwnd;
  }
  auto* label = reinterpret_cast<TWebLinkLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!label) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    label->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return label->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ShowCurrentException(label->errors_);
    return 0;
  }
}

LRESULT TWebLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // Neither a tab stop nor a mnemonic target: the keyboard never lands here.
      return DLGC_STATIC;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateWithBackground();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd_, message, wParam, lParam);
      InvalidateWithBackground();
      return result;
    }
    case WM_LBUTTONDOWN:
      // As any label: the press captures the mouse until the release.
      SetCapture(hwnd_);
      MouseDown();
      return 0;
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd_) ReleaseCapture();
      return 0;
    case WM_MOUSEMOVE: {
      RECT client;
      GetClientRect(hwnd_, &client);
      const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      SetMouseAbove(PtInRect(&client, at) != FALSE);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetMouseAbove(false);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void TWebLinkLabel::Paint(HDC dc) {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, caption.data(), length + 1)));
  RECT client;
  GetClientRect(hwnd_, &client);
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

void TWebLinkLabel::MouseDown() {
  if (URL.empty()) return;
  shell_.Open(shellOwner_, L"open", URL, ShowMode);
}

void TWebLinkLabel::SetMouseAbove(bool above) {
  if (above) TrackLeaving();
  if (above == mouseAbove_) return;
  mouseAbove_ = above;
  // The text is drawn with the same font either way; repainting the area
  // with the dialog's background under it keeps it looking as it did.
  InvalidateWithBackground();
}

// Asks for WM_MOUSELEAVE unless it is asked for already. Wine arms the
// tracking only if the cursor it reads is over the label, and right after
// injected input that reading can still be the cursor's former place; any
// later move over the label then arms it.
void TWebLinkLabel::TrackLeaving() {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof track;
  track.dwFlags = TME_QUERY;
  TrackMouseEvent(&track);
  if (track.hwndTrack == hwnd_ && (track.dwFlags & TME_LEAVE)) return;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = hwnd_;
  TrackMouseEvent(&track);
}

// The label is transparent: whatever it covers is repainted first, then the
// label's text over it.
void TWebLinkLabel::InvalidateWithBackground() {
  HWND parent = GetParent(hwnd_);
  if (!parent) return;
  RECT area;
  GetWindowRect(hwnd_, &area);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace ambrelix::ui
