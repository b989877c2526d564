#include "ui/win32/web_link_label.h"

#include <shellapi.h>
#include <windowsx.h>

#include "ui/win32/gdi_scopes.h"

namespace ambrelix::ui {
namespace {

constexpr wchar_t kClassName[] = L"AmbrelixWebLinkLabel";

// The second press of a double click then arrives as WM_LBUTTONDBLCLK,
// which does not open the link again. No brush: the label never draws a
// background of its own.
const WindowClass kLinkClass = {.name = kClassName, .style = CS_DBLCLKS, .cursor = IDC_HAND};

}  // namespace

// shell32.dll is loaded when the link is first opened, not at start-up: it
// and the two DLLs it needs cost the start a few milliseconds under Wine,
// and this is its only call. It stays loaded for the rest of the run.
void ShellExecuteOpener::Open(HWND owner, std::wstring_view verb, std::wstring_view file,
                              int showCommand) {
  static const auto shellExecute = [] {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    return shell ? reinterpret_cast<decltype(&ShellExecuteW)>(
                       reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")))
                 : nullptr;
  }();
  if (!shellExecute) return;
  shellExecute(owner, std::wstring(verb).c_str(), std::wstring(file).c_str(), nullptr, nullptr,
               showCommand);
}

TWebLinkLabel::TWebLinkLabel(ShellOpener& shell, app::ErrorDisplay& errors)
    : WindowBase(errors), shell_(shell) {}

TWebLinkLabel::~TWebLinkLabel() {
  if (hwnd()) DestroyWindow(hwnd());
}

void TWebLinkLabel::Create(HWND parent, int id, const RECT& bounds, std::wstring_view caption,
                           HFONT font, HWND shellOwner) {
  shellOwner_ = shellOwner ? shellOwner : parent;
  font_ = font;
  CreateWindowOfClass(kLinkClass, 0, std::wstring(caption).c_str(), WS_CHILD | WS_VISIBLE,
                      bounds.left, bounds.top, bounds.right - bounds.left,
                      bounds.bottom - bounds.top, parent, id);
}

LRESULT TWebLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // Neither a tab stop nor a mnemonic target: the keyboard never lands here.
      return DLGC_STATIC;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd());
      Paint(paint.dc());
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
      const LRESULT result = DefaultHandling(message, wParam, lParam);
      InvalidateWithBackground();
      return result;
    }
    case WM_LBUTTONDOWN:
      // As any label: the press captures the mouse until the release.
      SetCapture(hwnd());
      MouseDown();
      return 0;
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd());
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd()) ReleaseCapture();
      return 0;
    case WM_MOUSEMOVE: {
      RECT client;
      GetClientRect(hwnd(), &client);
      const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      SetMouseAbove(PtInRect(&client, at) != FALSE);
      return 0;
    }
    case WM_MOUSELEAVE:
      SetMouseAbove(false);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

void TWebLinkLabel::Paint(HDC dc) {
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(GetWindowTextW(hwnd(), caption.data(), length + 1)));
  RECT client;
  GetClientRect(hwnd(), &client);
  Selected font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
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
  if (track.hwndTrack == hwnd() && (track.dwFlags & TME_LEAVE)) return;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = hwnd();
  TrackMouseEvent(&track);
}

// The label is transparent: whatever it covers is repainted first, then the
// label's text over it.
void TWebLinkLabel::InvalidateWithBackground() {
  HWND parent = GetParent(hwnd());
  if (!parent) return;
  RECT area;
  GetWindowRect(hwnd(), &area);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace ambrelix::ui
