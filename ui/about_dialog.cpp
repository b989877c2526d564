#include "ui/about_dialog.h"

#include <uxtheme.h>

#include <span>
#include <stdexcept>
#include <string_view>

#include "resources/resource.h"

namespace ambrelix::ui {
namespace {

constexpr wchar_t kClassName[] = L"AmbrelixAboutDialog";
constexpr int kClientWidth = 434;
constexpr int kClientHeight = 155;

// The maker's web site: a bare host name, which the shell takes for a web
// address by its "www." and opens with the user's browser.
constexpr std::wstring_view kMakerHost = L"www.example.com";
constexpr std::u16string_view kWebLabelCaption = u"With compliments of www.example.com";
static_assert(kWebLabelCaption.ends_with(u"www.example.com"));

// Shown in Label3 on every showing, in place of its design text "Version".
// Fixed: the executable's version information says 1.0.0.0.
constexpr char16_t kShownVersion[] = u"V1.1";

// Twenty lines of at most 60 characters with hard line breaks; empty lines
// 2, 8 and 14 separate the four paragraphs. Each line stays well inside the
// text box's formatting rectangle (288 pixels in Tahoma 8), so word wrap
// never breaks one.
constexpr char16_t kDisclaimer[] =
    u"Licence and Warranty\r\n"
    u"\r\n"
    u"This software was distributed free of charge. It is \r\n"
    u"provided \"as is\", without warranty of any kind, \r\n"
    u"express or implied, including but not limited to \r\n"
    u"the implied warranties of merchantability and \r\n"
    u"fitness for a particular purpose.\r\n"
    u"\r\n"
    u"You use this software at your own discretion and \r\n"
    u"risk. You alone are responsible for checking and \r\n"
    u"validating every result it gives before you rely \r\n"
    u"on it. The author may change the software or its \r\n"
    u"documentation at any time without notice.\r\n"
    u"\r\n"
    u"The author makes no warranty that the software \r\n"
    u"will meet your requirements, that it will be \r\n"
    u"secure, uninterrupted or free of errors, that the \r\n"
    u"results obtained from it will be effective, \r\n"
    u"accurate or reliable, or that the quality of the \r\n"
    u"software will meet your expectations.";

using Row = FormRow<TForm2, TForm2>;

// Tahoma at 96 pixels per inch.
constexpr FontSpec kTahoma11 = {L"Tahoma", 11};

// The labels keep their design sizes and show the gradient through.
constexpr Row Label(LabelWindow TForm2::*label, Bounds at, std::u16string_view text,
                    FontSpec font) {
  return {.component = label,
          .bounds = at,
          .text = text,
          .font = font,
          .color = kNavy,
          .sizing = LabelWindow::Sizing::Design};
}

// Button1 has the id IDOK, so Enter on it, handled by the dialog manager as
// for any focused push button, closes with mrOk.
constexpr Row kComponents[] = {
    Label(&TForm2::Label2, {8, 118, 122, 13}, u"\u00A9 2026 Ambrelix", kTahoma11),
    Label(&TForm2::Label1, {9, 3, 218, 23}, u"Ambrelix", {L"Tahoma", 19, true}),
    Label(&TForm2::Label3, {257, 10, 40, 14}, u"Version", {L"Tahoma", 12}),
    {.component = &TForm2::Image1, .bounds = {358, 45, 51, 50}},
    {.component = &TForm2::WebLabel1,
     .bounds = {8, 137, 213, 13},
     .text = kWebLabelCaption,
     .font = kTahoma11},
    {.component = &TForm2::Button1,
     .bounds = {334, 125, 93, 25},
     .text = u"OK",
     .font = kTahoma11,
     .tabOrder = 0,
     .tabStop = true,
     .onClick = &TForm2::Button1Click,
     .startsGroup = false,
     .id = IDOK},
    {.component = &TForm2::Memo2,
     .bounds = {8, 28, 321, 86},
     .text = kDisclaimer,
     .font = kTahoma11,
     .tabOrder = 1,
     .tabStop = true},
};
constexpr std::span<const Row> kRows = kComponents;
static_assert(TabOrderFollowsTheRows(kRows));

// Plain labels draw no background while the desktop's visual styles are on,
// so the gradient shows behind their text; without them they fill their
// rectangles with the button face.
bool DesktopVisualStylesOn() { return VisualStylesInUse() && IsAppThemed(); }

}  // namespace

TForm2::TForm2(app::ErrorDisplay& errors, ShellOpener& shell, HWND applicationWindow)
    : WindowBase(errors),
      WebLabel1(shell, errors),
      Memo2(errors),
      applicationWindow_(applicationWindow) {
  const std::span<const std::uint8_t> coil = ResourceBytes(IDR_COIL48);
  if (coil.empty()) throw std::runtime_error("The executable lacks the About dialog's picture");
  Image1.LoadPng(coil);
  icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN),
                                            IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  WebLabel1.URL = kMakerHost;
  WebLabel1.ShowMode = soDefault;

  // The button face, painted over by the gradient.
  const WindowClass windowClass = {
      .name = kClassName, .cursor = IDC_ARROW, .background = GetSysColorBrush(COLOR_BTNFACE)};
  // A fixed dialog frame: caption with the system menu and close box, no
  // minimise or maximise box, no sizing border. The labels are transparent
  // over the gradient, so the dialog does not clip its children.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  CreateWindowOfClass(windowClass, exStyle, L"About", style, 0, 0, outer.right - outer.left,
                      outer.bottom - outer.top, applicationWindow);
  try {
    if (icon_.get())
      SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(kTahoma11)), FALSE);
    // The link's shell requests are owned by the application's window, or
    // by the dialog when there is none.
    CreateComponents(*this, *this, kRows, {hwnd(), fonts_, applicationWindow});
  } catch (...) {
    DestroyWindow(hwnd());
    throw;
  }
}

TForm2::~TForm2() {
  // The parts go with the window; the fonts, icon and picture after them.
  if (hwnd()) DestroyWindow(hwnd());
}

int TForm2::ShowModal(HWND owner) {
  if (modal_) return mrCancel;
  FormShow();
  if (initialPlacement_) {
    CentreOnVirtualDesktop(hwnd());
    initialPlacement_ = false;
  }
  // Owned by the calculator window while shown, so it stays above it and
  // has no taskbar button of its own.
  HWND windowOwner = owner ? owner : applicationWindow_;
  SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(windowOwner));

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
      ShowWindow(dialog_.hwnd(), SW_HIDE);
      dialog_.modal_ = false;
    }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

   private:
    TForm2& dialog_;
    HWND owner_;
  } showing(*this, owner);

  // Button1, first in the tab order, has the focus whenever the dialog opens.
  focusedPart_ = Button1.hwnd();
  ShowWindow(hwnd(), SW_SHOW);
  SetFocus(Button1.hwnd());
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
    if (!IsDialogMessageW(hwnd(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return modalResult_;
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (Memo2.ParentMessage(message, wParam, lParam, answer)) return answer;
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(hwnd());
      FormPaint(paint.dc());
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
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) Button1.Click();
      return 0;
    case WM_CLOSE:
      CloseWith(mrCancel);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) focusedPart_ = focus;
      } else {
        SetFocus(focusedPart_ && IsChild(hwnd(), focusedPart_) ? focusedPart_ : Button1.hwnd());
      }
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

void TForm2::FormShow() { Label3.SetCaption(kShownVersion); }

void TForm2::FormPaint(HDC dc) {
  // The gradient's rectangle is the dialog's outer size, frame included, so
  // it reaches beyond the client area and its visible right edge is a very
  // pale blue rather than white.
  RECT outer;
  GetWindowRect(hwnd(), &outer);
  FillLavenderGradient(dc, outer.right - outer.left, outer.bottom - outer.top);
  // Image1: unscaled at its box's top-left corner, the gradient showing
  // through its transparent pixels and the free margin.
  Image1.Paint(dc);
}

void TForm2::FormResize() { InvalidateRect(hwnd(), nullptr, TRUE); }

void TForm2::Button1Click() { CloseWith(mrOk); }

void TForm2::CloseWith(int modalResult) {
  modalResult_ = modalResult;
  if (!modal_) ShowWindow(hwnd(), SW_HIDE);
}

LRESULT TForm2::ColourStatic(HDC dc, HWND control) {
  for (const LabelWindow* label : {&Label1, &Label2, &Label3}) {
    if (control != label->hwnd()) continue;
    SetTextColor(dc, ToColorRef(label->TextColor()));
    if (DesktopVisualStylesOn()) {
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefaultHandling(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control));
}

}  // namespace ambrelix::ui
