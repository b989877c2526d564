#include "ui/about_dialog.h"

#include <uxtheme.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "resources/resource.h"
#include "ui/gdi_scopes.h"
#include "ui/numeric_edit_win32.h"
#include "png/png_reader.h"
#include "ui/window_placement.h"

namespace ambrelix::ui {
namespace {

constexpr wchar_t kClassName[] = L"AmbrelixAboutDialog";
constexpr wchar_t kFontFace[] = L"Tahoma";
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr int kClientWidth = 434;
constexpr int kClientHeight = 155;

// The maker's web site: a bare host name, which the shell takes for a web
// address by its "www." and opens with the user's browser.
constexpr std::wstring_view kMakerHost = L"www.example.com";
constexpr wchar_t kWebLabelCaption[] = L"With compliments of www.example.com";
static_assert(std::wstring_view(kWebLabelCaption).ends_with(kMakerHost));

// Shown in Label3 on every showing, in place of its design text "Version".
// Fixed: the executable's version information says 1.0.0.0.
constexpr wchar_t kShownVersion[] = L"V1.1";

// Twenty lines of at most 60 characters with hard line breaks; empty lines
// 2, 8 and 14 separate the four paragraphs.
constexpr wchar_t kDisclaimer[] =
    L"Licence and Warranty\r\n"
    L"\r\n"
    L"This software was distributed free of charge. It is \r\n"
    L"provided \"as is\", without warranty of any kind, either \r\n"
    L"express or implied, including but not limited to the \r\n"
    L"implied warranties of merchantability and fitness for a \r\n"
    L"particular purpose.\r\n"
    L"\r\n"
    L"You use this software at your own discretion and risk. You \r\n"
    L"alone are responsible for checking and validating every \r\n"
    L"result it gives before you rely on it. The author may \r\n"
    L"change the software or its documentation at any time \r\n"
    L"without notice.\r\n"
    L"\r\n"
    L"The author makes no warranty that the software will \r\n"
    L"meet your requirements, that it will be secure, \r\n"
    L"uninterrupted or free of errors, that the results \r\n"
    L"obtained from it will be effective, accurate or \r\n"
    L"reliable, or that the quality of the software will \r\n"
    L"meet your expectations.";

enum class Kind { Label, Picture, LinkLabel, Button, Memo };

// One part of the dialog. Positions are client coordinates; fonts are
// Tahoma at `fontHeight` pixels of character height (96 pixels per inch).
struct Part {
  const wchar_t* name;
  Kind kind;
  int left, top, width, height;
  const wchar_t* text;
  int fontHeight;
  bool bold;
  int tabOrder;  // -1: not a tab stop
};

// In creation order. Button1 has the id IDOK, so Enter on it, handled by the
// dialog manager as for any focused push button, closes with mrOk.
constexpr Part kParts[] = {
    {L"Label2", Kind::Label, 8, 118, 122, 13, L"\u00A9 2026 Ambrelix", 11, false, -1},
    {L"Label1", Kind::Label, 9, 3, 218, 23, L"Ambrelix", 19, true, -1},
    {L"Label3", Kind::Label, 257, 10, 40, 14, L"Version", 12, false, -1},
    {L"Image1", Kind::Picture, 358, 45, 51, 50, nullptr, 0, false, -1},
    {L"WebLabel1", Kind::LinkLabel, 8, 137, 213, 13, kWebLabelCaption, 11, false, -1},
    {L"Button1", Kind::Button, 334, 125, 93, 25, L"OK", 11, false, 0},
    {L"Memo2", Kind::Memo, 8, 28, 321, 86, kDisclaimer, 11, false, 1},
};

// The dialog manager tabs through the tab stops in creation order, so the
// table lists them in their tab order.
constexpr bool TabStopsInCreationOrder() {
  int last = -1;
  for (const Part& part : kParts) {
    if (part.tabOrder < 0) continue;
    if (part.tabOrder != last + 1) return false;
    last = part.tabOrder;
  }
  return true;
}
static_assert(TabStopsInCreationOrder());

constexpr int kFirstPartId = 1001;

int PartId(std::size_t index) {
  return kParts[index].kind == Kind::Button ? IDOK : kFirstPartId + static_cast<int>(index);
}

constexpr const Part& PartNamed(std::wstring_view name) {
  for (const Part& part : kParts)
    if (part.name == name) return part;
  throw std::logic_error("no such part");
}

// Plain labels draw no background while the desktop's visual styles are on,
// so the gradient shows behind their text; without them they fill their
// rectangles with the button face.
bool DesktopVisualStylesOn() { return VisualStylesInUse() && IsAppThemed(); }

std::span<const std::uint8_t> RawResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (!found) throw std::runtime_error("The executable lacks the About dialog's picture");
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

}  // namespace

// The GDI objects the dialog draws with, released after its window.
class TForm2::Resources {
 public:
  Resources() : coil_(LoadCoil()) {
    icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN),
                                          IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  }
  ~Resources() {
    for (const LoadedFont& font : fonts_) DeleteObject(font.handle);
    if (icon_) DestroyIcon(icon_);
    DeleteObject(coil_);
  }
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  HFONT Font(int height, bool bold) {
    for (const LoadedFont& font : fonts_)
      if (font.height == height && font.bold == bold) return font.handle;
    HFONT handle = CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
    if (!handle) throw std::runtime_error("CreateFontW failed");
    fonts_.push_back({height, bold, handle});
    return handle;
  }
  HICON icon() const { return icon_; }
  HBITMAP coil() const { return coil_; }
  int coilWidth() const { return coilWidth_; }
  int coilHeight() const { return coilHeight_; }

 private:
  struct LoadedFont {
    int height;
    bool bold;
    HFONT handle;
  };

  // The 48 x 48 picture as a 32-bit DIB with premultiplied alpha, which is
  // what AlphaBlend takes for per-pixel transparency.
  HBITMAP LoadCoil() {
    const DecodedImage image = DecodePng(RawResource(IDR_COIL48));
    if (image.bitsPerPixel != 32) throw std::runtime_error("The coil picture has no alpha channel");
    coilWidth_ = static_cast<int>(image.width);
    coilHeight_ = static_cast<int>(image.height);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = coilWidth_;
    format.bmiHeader.biHeight = -coilHeight_;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw std::runtime_error("CreateDIBSection failed");
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
    return bitmap;
  }

  int coilWidth_ = 0;
  int coilHeight_ = 0;
  HBITMAP coil_;
  HICON icon_ = nullptr;
  std::vector<LoadedFont> fonts_;
};

TForm2::TForm2(ErrorDisplay& errors, ShellOpener& shell, HWND applicationWindow)
    : errors_(errors),
      applicationWindow_(applicationWindow),
      webLabel1_(shell, errors),
      resources_(std::make_unique<Resources>()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  static const bool registered = [instance] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TForm2::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The button face, painted over by the gradient.
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                              "RegisterClassExW(About dialog)");
    return true;
  }();
  static_cast<void>(registered);

  // A fixed dialog frame: caption with the system menu and close box, no
  // minimise or maximise box, no sizing border. The labels are transparent
  // over the gradient, so the dialog does not clip its children.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  HWND hwnd = CreateWindowExW(exStyle, kClassName, L"About", style, 0, 0, outer.right - outer.left,
                              outer.bottom - outer.top, applicationWindow, nullptr, instance, this);
  if (!hwnd)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(About dialog)");
  try {
    if (resources_->icon())
      SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(resources_->icon()));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->Font(11, false)), FALSE);
    CreateParts(applicationWindow);
  } catch (...) {
    DestroyWindow(hwnd_);
    throw;
  }
}

TForm2::~TForm2() {
  // The parts go with the window; the fonts, icon and picture after them.
  if (hwnd_) DestroyWindow(hwnd_);
}

void TForm2::CreateParts(HWND applicationWindow) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t index = 0; index < std::size(kParts); ++index) {
    const Part& part = kParts[index];
    const RECT bounds = {part.left, part.top, part.left + part.width, part.top + part.height};
    const DWORD tabStop = part.tabOrder >= 0 ? WS_TABSTOP : 0;
    HWND created = nullptr;
    const wchar_t* windowClass = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | tabStop;
    DWORD exStyle = 0;
    switch (part.kind) {
      case Kind::Picture:
        // Drawn by FormPaint over the gradient; it takes no input.
        continue;
      case Kind::LinkLabel:
        webLabel1_.Create(hwnd_, PartId(index), bounds, part.text,
                          resources_->Font(part.fontHeight, part.bold), applicationWindow);
        webLabel1_.URL = kMakerHost;
        webLabel1_.ShowMode = soDefault;
        continue;
      case Kind::Label:
        windowClass = L"STATIC";
        style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        break;
      case Kind::Button:
        windowClass = L"BUTTON";
        style |= BS_PUSHBUTTON;
        break;
      case Kind::Memo:
        windowClass = L"EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    created = CreateWindowExW(
        exStyle, windowClass, part.text, style, part.left, part.top, part.width, part.height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(PartId(index))), instance, nullptr);
    if (!created)
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                              "CreateWindowExW(About dialog part)");
    SendMessageW(created, WM_SETFONT,
                 reinterpret_cast<WPARAM>(resources_->Font(part.fontHeight, part.bold)), FALSE);
    const std::wstring_view name = part.name;
    if (name == L"Label1") label1_ = created;
    if (name == L"Label2") label2_ = created;
    if (name == L"Label3") label3_ = created;
    if (name == L"Button1") button1_ = created;
    if (name == L"Memo2") memo2_ = created;
  }
  memo2Subclass_.emplace(memo2_, &TForm2::Memo2Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  // The bevel inside the sunken edge is part of the frame: have it measured.
  SetWindowPos(memo2_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int TForm2::ShowModal(HWND owner) {
  if (modal_) return mrCancel;
  FormShow();
  if (initialPlacement_) {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    const DesktopRect desktop = {
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const WindowOrigin at =
        CentredOrigin(desktop, outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    initialPlacement_ = false;
  }
  // Owned by the calculator window while shown, so it stays above it and
  // has no taskbar button of its own.
  HWND windowOwner = owner ? owner : applicationWindow_;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(windowOwner));

  // Ends the showing on every path: the owner is enabled again before the
  // dialog hides, so that the owner is the window activated next.
  class Showing {
   public:
    Showing(TForm2& dialog, HWND owner) : dialog_(dialog), owner_(owner) {
      dialog_.modal_ = true;
      dialog_.modalResult_ = 0;
      if (owner_) EnableWindow(owner_, FALSE);
    }
    ~Showing() {
      if (owner_) EnableWindow(owner_, TRUE);
      ShowWindow(dialog_.hwnd_, SW_HIDE);
      dialog_.modal_ = false;
    }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

   private:
    TForm2& dialog_;
    HWND owner_;
  } showing(*this, owner);

  // Button1, first in the tab order, has the focus whenever the dialog opens.
  focusedPart_ = button1_;
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(button1_);
  while (modalResult_ == 0) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = mrCancel;
      break;
    }
    // The dialog manager moves the focus on Tab and turns Enter on the
    // focused button into its click.
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return modalResult_;
}

LRESULT CALLBACK TForm2::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TForm2*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    created->hwnd_ = hwnd;
  }
  auto* dialog = reinterpret_cast<TForm2*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!dialog) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    dialog->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return dialog->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ShowCurrentException(dialog->errors_);
    return 0;
  }
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      FormPaint(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      FormPaint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_CTLCOLORSTATIC:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      // IDCANCEL, which the dialog manager sends for Escape, is left alone:
      // Escape does not close the dialog.
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) Button1Click();
      return 0;
    case WM_CLOSE:
      CloseWith(mrCancel);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focusedPart_ = focus;
      } else {
        SetFocus(focusedPart_ && IsChild(hwnd_, focusedPart_) ? focusedPart_ : button1_);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void TForm2::FormShow() { SetWindowTextW(label3_, kShownVersion); }

void TForm2::FormPaint(HDC dc) {
  // The gradient's rectangle is the dialog's outer size, frame included, so
  // it reaches beyond the client area and its visible right edge is a very
  // pale blue rather than white.
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  TRIVERTEX ends[2] = {
      {0, 0, 0xC800, 0xC800, 0xFF00, 0},
      {outer.right - outer.left, outer.bottom - outer.top, 0xFF00, 0xFF00, 0xFF00, 0},
  };
  GRADIENT_RECT rectangle = {0, 1};
  GradientFill(dc, ends, 2, &rectangle, 1, GRADIENT_FILL_RECT_H);

  // Image1: unscaled at its box's top-left corner, the gradient showing
  // through its transparent pixels and the free margin.
  const Part& image1 = PartNamed(L"Image1");
  MemoryDC source(dc);
  HGDIOBJ old = SelectObject(source.get(), resources_->coil());
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, image1.left, image1.top, resources_->coilWidth(), resources_->coilHeight(),
             source.get(), 0, 0, resources_->coilWidth(), resources_->coilHeight(), blend);
  SelectObject(source.get(), old);
}

void TForm2::FormResize() { InvalidateRect(hwnd_, nullptr, TRUE); }

void TForm2::Button1Click() { CloseWith(mrOk); }

void TForm2::CloseWith(int modalResult) {
  modalResult_ = modalResult;
  if (!modal_) ShowWindow(hwnd_, SW_HIDE);
}

LRESULT TForm2::ColourStatic(HDC dc, HWND control) {
  if (control == memo2_) {
    // A read-only EDIT asks here; the disclaimer sits on the tooltip colour.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
  }
  if (control == label1_ || control == label2_ || control == label3_) {
    SetTextColor(dc, kNavy);
    if (DesktopVisualStylesOn()) {
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

LRESULT CALLBACK TForm2::Memo2Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR self) {
  auto* dialog = reinterpret_cast<TForm2*>(self);
  try {
    return dialog->Memo2Message(message, wParam, lParam);
  } catch (...) {
    ShowCurrentException(dialog->errors_);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

// The width of the soft bevel between Memo2's sunken edge and its text.
constexpr int kMemoBevel = 2;

LRESULT TForm2::Memo2Message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Asked without the message, so the EDIT stays out of its dialog mode,
      // in which a multi-line EDIT closes the dialog on Escape and passes
      // Enter on. Enter and Escape go to the text box, where a read-only
      // text makes them do nothing; Tab moves the focus to Button1.
      LRESULT code = DefSubclassProc(memo2_, message, wParam, 0);
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
        code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      return code;
    }
    case WM_NCCALCSIZE: {
      // The bevel sits inside the sunken edge, around the text and the
      // scroll bar: the frame the EDIT measures is taken in by its width.
      auto* proposed = reinterpret_cast<RECT*>(lParam);
      InflateRect(proposed, -kMemoBevel, -kMemoBevel);
      return DefSubclassProc(memo2_, message, wParam, lParam);
    }
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(memo2_, message, wParam, lParam);
      DrawMemo2Bevel();
      return result;
    }
    case WM_NCDESTROY: {
      HWND memo = memo2_;
      memo2_ = nullptr;
      memo2Subclass_.reset();
      return DefSubclassProc(memo, message, wParam, lParam);
    }
    default:
      return DefSubclassProc(memo2_, message, wParam, lParam);
  }
}

void TForm2::DrawMemo2Bevel() {
  RECT window;
  GetWindowRect(memo2_, &window);
  RECT ring = {0, 0, window.right - window.left, window.bottom - window.top};
  const int edge = GetSystemMetrics(SM_CXEDGE);
  InflateRect(&ring, -edge, -edge);
  WindowDC dc(memo2_);
  DrawEdge(dc.get(), &ring, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT | BF_SOFT);
}

}  // namespace ambrelix::ui
