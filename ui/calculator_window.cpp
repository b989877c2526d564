#include "ui/calculator_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

#include "calc/errors.h"
#include "calc/unicode.h"
#include "png/png_reader.h"
#include "resources/resource.h"
#include "ui/window_placement.h"

namespace ambrelix::ui {
namespace {

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

enum class FontId {
  W,      // the window font: Tahoma 11 px
  T12,    // Tahoma 12 px
  T12BN,  // Tahoma 12 px, bold, navy
  A15B,   // Arial 15 px, bold
};

constexpr Color kNavy = 0x00800000;  // 0x00BBGGRR
constexpr int kNoTab = -1;

using ComponentRef =
    std::variant<RadioGroupWindows TForm1::*, PushButtonWindow TForm1::*, CheckBoxWindow TForm1::*,
                 GroupBoxWindow TForm1::*, LabelWindow TForm1::*, NumericEditWindow TForm1::*,
                 PictureComponent TForm1::*>;
using Handler = void (TForm1::*)();
using KeyHandler = void (TForm1::*)(char16_t&);
using Anchor = LabelWindow::Anchor;

// One row of the form description. Bounds are in the window's client area,
// or in `within`'s for a component inside a group box.
struct Component {
  ComponentRef component;
  Bounds bounds;
  std::u16string_view text = {};
  FontId font = FontId::W;
  int tabOrder = kNoTab;
  bool tabStop = false;
  Handler onClick = nullptr;
  Handler onChange = nullptr;
  KeyHandler onKeyPress = nullptr;
  Anchor anchor = Anchor::Left;
  const Bounds* within = nullptr;
  std::span<const std::u16string_view> items = {};
};

constexpr std::u16string_view kSolveForItems[] = {u"Overall Height (A)", u"Number of Turns (n)"};
constexpr Bounds kGroupBox1 = {8, 361, 252, 74};
constexpr Bounds kField = {0, 0, 60, 22};
constexpr Bounds FieldAt(int left, int top) { return {left, top, kField.width, kField.height}; }
constexpr Bounds UnitAt(int left, int top) { return {left, top, 20, 14}; }
constexpr Bounds ValueAt(int left, int top) { return {left, top, 4, 18}; }
constexpr Bounds ResultAt(int top) { return {215, top, 18, 14}; }  // right edge at x = 233

// Creation order is the order of the rows: it gives the tab order among the
// focusable components, puts each group box above what it holds, and puts
// the drawing's value labels over Image2.
constexpr Component kComponents[] = {
    {.component = &TForm1::RadioGroup1,
     .bounds = {8, 6, 252, 66},
     .text = u"Solve for",
     .font = FontId::T12,
     .tabOrder = 0,
     .tabStop = true,
     .onClick = &TForm1::RadioGroup1Click,
     .items = kSolveForItems},
    {.component = &TForm1::btnCalc,
     .bounds = {150, 446, 110, 26},
     .text = u"Calculate",
     .tabOrder = 1,
     .tabStop = true,
     .onClick = &TForm1::btnCalcClick},
    {.component = &TForm1::chT1,
     .bounds = {8, 309, 17, 17},
     .tabOrder = 2,
     .onClick = &TForm1::chT1Click},
    {.component = &TForm1::chT2,
     .bounds = {8, 332, 17, 17},
     .tabOrder = 3,
     .onClick = &TForm1::chT2Click},
    {.component = &TForm1::btExit,
     .bounds = {79, 446, 65, 26},
     .text = u"Exit",
     .tabOrder = 4,
     .onClick = &TForm1::btExitClick},
    {.component = &TForm1::GroupBox1,
     .bounds = kGroupBox1,
     .text = u"Results",
     .font = FontId::T12,
     .tabOrder = 5},
    {.component = &TForm1::Label13,
     .bounds = {6, 20, 146, 14},
     .text = u"Length of Helix / Tube   =",
     .font = FontId::T12,
     .within = &kGroupBox1},
    {.component = &TForm1::Label14,
     .bounds = {6, 47, 148, 14},
     .text = u"Internal Volume of Tube =",
     .font = FontId::T12,
     .within = &kGroupBox1},
    {.component = &TForm1::lbTotalLength,
     .bounds = {159, 20, 8, 14},
     .text = u"0",
     .font = FontId::T12BN,
     .within = &kGroupBox1},
    {.component = &TForm1::lbTotalVolume,
     .bounds = {159, 47, 8, 14},
     .text = u"0",
     .font = FontId::T12BN,
     .within = &kGroupBox1},
    {.component = &TForm1::btnInfo,
     .bounds = {8, 446, 65, 26},
     .text = u"About",
     .tabOrder = 6,
     .onClick = &TForm1::btnInfoClick},

    {.component = &TForm1::edA,
     .bounds = FieldAt(176, 78),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 7,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edAKeyPress},
    {.component = &TForm1::edN,
     .bounds = FieldAt(176, 101),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 8,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edNKeyPress},
    {.component = &TForm1::edD,
     .bounds = FieldAt(176, 123),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 9,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edDKeyPress},
    {.component = &TForm1::edP,
     .bounds = FieldAt(176, 145),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 10,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edPKeyPress},
    {.component = &TForm1::edOD,
     .bounds = FieldAt(176, 167),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 11,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edODKeyPress},
    {.component = &TForm1::edID,
     .bounds = FieldAt(176, 189),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 12,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edIDKeyPress},
    {.component = &TForm1::edT1,
     .bounds = FieldAt(176, 308),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 13,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edT1KeyPress},
    {.component = &TForm1::edT2,
     .bounds = FieldAt(176, 331),
     .text = u"0.000",
     .font = FontId::T12,
     .tabOrder = 14,
     .tabStop = true,
     .onChange = &TForm1::ClearResults,
     .onKeyPress = &TForm1::edT2KeyPress},

    // The input column, row by row: caption, result (G, h, O, I), unit.
    {.component = &TForm1::Label5,
     .bounds = {8, 82, 146, 14},
     .text = u"Overall Height of Tube (A)",
     .font = FontId::T12},
    {.component = &TForm1::Label15, .bounds = UnitAt(240, 82), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label2,
     .bounds = {8, 103, 114, 14},
     .text = u"Number of Turns (n)",
     .font = FontId::T12},
    {.component = &TForm1::Label1,
     .bounds = {8, 125, 100, 14},
     .text = u"Helix Diameter (D)",
     .font = FontId::T12},
    {.component = &TForm1::Label25, .bounds = UnitAt(240, 125), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label3,
     .bounds = {8, 147, 48, 14},
     .text = u"Pitch (P)",
     .font = FontId::T12},
    {.component = &TForm1::Label26, .bounds = UnitAt(240, 147), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label7,
     .bounds = {8, 169, 159, 14},
     .text = u"Tube Outside Diameter (OD)",
     .font = FontId::T12},
    {.component = &TForm1::Label16, .bounds = UnitAt(240, 169), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label8,
     .bounds = {8, 191, 144, 14},
     .text = u"Tube Inside Diameter (ID)",
     .font = FontId::T12},
    {.component = &TForm1::Label17, .bounds = UnitAt(240, 191), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label6,
     .bounds = {8, 213, 124, 14},
     .text = u"Gap between Coils (G)",
     .font = FontId::T12},
    {.component = &TForm1::lbG,
     .bounds = ResultAt(213),
     .text = u"0.0",
     .font = FontId::T12,
     .anchor = Anchor::Right},
    {.component = &TForm1::Label19, .bounds = UnitAt(240, 213), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label4,
     .bounds = {8, 235, 101, 14},
     .text = u"Height of Helix (h)",
     .font = FontId::T12},
    {.component = &TForm1::lbH,
     .bounds = ResultAt(235),
     .text = u"0.0",
     .font = FontId::T12,
     .anchor = Anchor::Right},
    {.component = &TForm1::Label20, .bounds = UnitAt(240, 235), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label9,
     .bounds = {8, 257, 140, 14},
     .text = u"Coil Outside Diameter (O)",
     .font = FontId::T12},
    {.component = &TForm1::lbO,
     .bounds = ResultAt(257),
     .text = u"0.0",
     .font = FontId::T12,
     .anchor = Anchor::Right},
    {.component = &TForm1::Label21, .bounds = UnitAt(240, 257), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label10,
     .bounds = {8, 279, 125, 14},
     .text = u"Coil Inside Diameter (I)",
     .font = FontId::T12},
    {.component = &TForm1::lbI,
     .bounds = ResultAt(279),
     .text = u"0.0",
     .font = FontId::T12,
     .anchor = Anchor::Right},
    {.component = &TForm1::Label22, .bounds = UnitAt(240, 279), .text = u"mm", .font = FontId::T12},
    // The tail captions are plain labels: a click on them does not toggle the box.
    {.component = &TForm1::Label11,
     .bounds = {31, 310, 72, 14},
     .text = u"Tail Length 1",
     .font = FontId::T12},
    {.component = &TForm1::Label23, .bounds = UnitAt(240, 310), .text = u"mm", .font = FontId::T12},
    {.component = &TForm1::Label12,
     .bounds = {31, 333, 72, 14},
     .text = u"Tail Length 2",
     .font = FontId::T12},
    {.component = &TForm1::Label24, .bounds = UnitAt(240, 333), .text = u"mm", .font = FontId::T12},

    // The drawing fills the client height right of the gradient; its value
    // labels stand under or beside the captions of the picture.
    {.component = &TForm1::Image2, .bounds = {274, 0, 550, 483}},
    {.component = &TForm1::lbID2, .bounds = ValueAt(454, 51), .font = FontId::A15B},
    {.component = &TForm1::lbOD2, .bounds = ValueAt(664, 51), .font = FontId::A15B},
    {.component = &TForm1::lbA2, .bounds = ValueAt(285, 149), .font = FontId::A15B},
    {.component = &TForm1::lbG2, .bounds = ValueAt(343, 191), .font = FontId::A15B},
    {.component = &TForm1::lbP2, .bounds = ValueAt(343, 240), .font = FontId::A15B},
    {.component = &TForm1::lbh2, .bounds = ValueAt(728, 217), .font = FontId::A15B},
    {.component = &TForm1::lbI2, .bounds = ValueAt(541, 353), .font = FontId::A15B},
    {.component = &TForm1::lbD2, .bounds = ValueAt(541, 395), .font = FontId::A15B},
    {.component = &TForm1::lbO2, .bounds = ValueAt(541, 438), .font = FontId::A15B},
};

constexpr bool TabOrderFollowsTheRows() {
  int last = kNoTab;
  for (const Component& row : kComponents) {
    if (row.tabOrder == kNoTab) continue;
    if (row.tabOrder != last + 1) return false;
    last = row.tabOrder;
  }
  return true;
}
static_assert(TabOrderFollowsTheRows(), "rows are created, and so tabbed, in their order");

constexpr int kClientWidth = 824;
constexpr int kClientHeight = 483;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

// Control ids: each row gets a block, a radio group's items the ids after
// its box. They stay clear of IDOK and IDCANCEL, which the dialog manager
// sends for Enter and Escape.
constexpr int kFirstControlId = 1000;
constexpr int kIdsPerRow = 8;
constexpr int ControlId(std::size_t row) {
  return kFirstControlId + static_cast<int>(row) * kIdsPerRow;
}

const Component* RowOfControl(int id, int* part) {
  if (id < kFirstControlId) return nullptr;
  const auto row = static_cast<std::size_t>((id - kFirstControlId) / kIdsPerRow);
  if (row >= std::size(kComponents)) return nullptr;
  *part = (id - kFirstControlId) % kIdsPerRow;
  return &kComponents[row];
}

Bounds InClient(const Component& row) {
  Bounds at = row.bounds;
  if (row.within) {
    at.left += row.within->left;
    at.top += row.within->top;
  }
  return at;
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

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

// An off-screen bitmap of `size` pixels, with a DC drawing into it.
class OffscreenCanvas {
 public:
  OffscreenCanvas(HDC like, SIZE size)
      : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, size.cx, size.cy)) {
    if (!dc_ || !bitmap_) throw std::runtime_error("cannot create an off-screen bitmap");
    old_ = SelectObject(dc_, bitmap_);
  }
  ~OffscreenCanvas() {
    SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;
  HDC dc() const { return dc_; }
  // Hands the bitmap over, unselected; the canvas can draw no more.
  HBITMAP Release() {
    SelectObject(dc_, old_);
    return std::exchange(bitmap_, nullptr);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

TaskDialogIndirectFunction TaskDialogIndirectEntry() {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (!comctl) return nullptr;
  return reinterpret_cast<TaskDialogIndirectFunction>(
      reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
}

// Centres the task-dialog box in the work area of the monitor that holds
// the calculator window.
HRESULT CALLBACK CentreOnWorkArea(HWND box, UINT notification, WPARAM, LPARAM,
                                  LONG_PTR owner) noexcept {
  if (notification != TDN_CREATED) return S_OK;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(reinterpret_cast<HWND>(owner), MONITOR_DEFAULTTONEAREST),
                       &monitor))
    return S_OK;
  const RECT& work = monitor.rcWork;
  RECT outer;
  GetWindowRect(box, &outer);
  const WindowOrigin origin =
      CentredOrigin({work.left, work.top, work.right - work.left, work.bottom - work.top},
                    outer.right - outer.left, outer.bottom - outer.top);
  SetWindowPos(box, nullptr, origin.left, origin.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

// The gap notice, modal over the window: the task-dialog box where the
// common controls offer it and draw visual styles, the message box otherwise.
void ShowGapNotice(HWND owner) {
  const std::u16string caption(kGapWarningCaption);
  const std::u16string text(kGapWarningText);
  if (VisualStylesInUse()) {
    if (const TaskDialogIndirectFunction taskDialog = TaskDialogIndirectEntry()) {
      TASKDIALOGCONFIG config = {};
      config.cbSize = sizeof config;
      config.hwndParent = owner;
      config.hInstance = GetModuleHandleW(nullptr);
      config.dwCommonButtons = TDCBF_OK_BUTTON;
      config.pszWindowTitle = Wide(caption);
      config.pszMainIcon = TD_INFORMATION_ICON;
      config.pszContent = Wide(text);
      config.nDefaultButton = IDOK;
      config.pfCallback = &CentreOnWorkArea;
      config.lpCallbackData = reinterpret_cast<LONG_PTR>(owner);
      if (SUCCEEDED(taskDialog(&config, nullptr, nullptr, nullptr))) return;
    }
  }
  MessageBoxW(owner, Wide(text), Wide(caption), MB_OK | MB_ICONINFORMATION | MB_DEFBUTTON1);
}

void RegisterWindowClass(WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  if (GetClassInfoExW(instance, TForm1::kWindowClass, &windowClass)) return;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = TForm1::kWindowClass;
  SetCoilIcons(windowClass);
  if (!RegisterClassExW(&windowClass))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "RegisterClassExW(TForm1)");
}

}  // namespace

TForm1::TForm1(RegionalSeparators& separators, ErrorDisplay& errors, TForm1Hooks hooks,
               std::span<const std::uint8_t> drawingPng)
    : separators_(separators),
      errors_(errors),
      hooks_(std::move(hooks)),
      drawingPng_(drawingPng),
      windowFont_(L"Tahoma", 11, false, DEFAULT_CHARSET),
      t12_(L"Tahoma", 12, false, DEFAULT_CHARSET),
      t12BoldNavy_(L"Tahoma", 12, true, DEFAULT_CHARSET),
      a15Bold_(L"Arial", 15, true, ANSI_CHARSET) {}

TForm1::~TForm1() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (backgroundBrush_) DeleteObject(backgroundBrush_);
  if (backgroundBitmap_) DeleteObject(backgroundBitmap_);
}

void TForm1::Create(HWND owner) {
  RegisterWindowClass(&TForm1::WindowProc);
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  if (!CreateWindowExW(kExStyle, kWindowClass, L"Ambrelix", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                       outer.right - outer.left, outer.bottom - outer.top, owner, nullptr,
                       GetModuleHandleW(nullptr), this))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(TForm1)");
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
  // The window's own icons, as the class has them, so that others can ask for them.
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
               static_cast<LPARAM>(GetClassLongPtrW(hwnd_, GCLP_HICON)));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
               static_cast<LPARAM>(GetClassLongPtrW(hwnd_, GCLP_HICONSM)));
  CreateComponents();
  try {
    FormCreate();
  } catch (...) {
    ShowCurrentException(errors_);
  }
}

void TForm1::Show(int showCommand) {
  if (initialPlacement_) {
    CentreOnVirtualDesktop(hwnd_);
    initialPlacement_ = false;
  }
  ShowWindow(hwnd_, showCommand);
}

void TForm1::CreateComponents() {
  const auto fontOf = [this](FontId font) {
    switch (font) {
      case FontId::T12:
        return t12_.get();
      case FontId::T12BN:
        return t12BoldNavy_.get();
      case FontId::A15B:
        return a15Bold_.get();
      case FontId::W:
        break;
    }
    return windowFont_.get();
  };
  const auto bind = [this](Handler handler) -> std::function<void()> {
    if (!handler) return {};
    return [this, handler] { (this->*handler)(); };
  };

  for (std::size_t i = 0; i < std::size(kComponents); ++i) {
    const Component& row = kComponents[i];
    const int id = ControlId(i);
    const Bounds at = InClient(row);
    const HFONT font = fontOf(row.font);
    std::visit(
        Overloaded{
            [&](RadioGroupWindows TForm1::*member) {
              RadioGroupWindows& group = this->*member;
              group.OnClick = bind(row.onClick);
              group.Create(hwnd_, id, id + 1, at, row.text, row.items, font);
            },
            [&](PushButtonWindow TForm1::*member) {
              PushButtonWindow& button = this->*member;
              button.OnClick = bind(row.onClick);
              button.Create(hwnd_, id, at, row.text, font, row.tabStop);
            },
            [&](CheckBoxWindow TForm1::*member) {
              CheckBoxWindow& box = this->*member;
              box.OnClick = bind(row.onClick);
              box.Create(hwnd_, id, at, row.text, font, row.tabStop);
            },
            [&](GroupBoxWindow TForm1::*member) {
              (this->*member).Create(hwnd_, id, at, row.text, font);
            },
            [&](LabelWindow TForm1::*member) {
              const Color color = row.font == FontId::T12BN ? kNavy : kWindowTextColor;
              (this->*member).Create(hwnd_, id, at, row.text, font, color, row.anchor);
            },
            [&](NumericEditWindow TForm1::*member) {
              NumericEditWindow& edit = this->*member;
              // The design text goes in before the handlers are attached.
              edit.field().SetText(row.text);
              edit.field().OnChange = [this, handler = row.onChange](TNumericEdit&) {
                (this->*handler)();
              };
              edit.field().OnKeyPress = [this, handler = row.onKeyPress](TNumericEdit&,
                                                                         char16_t& key) {
                (this->*handler)(key);
              };
              edit.Create(hwnd_, id, {at.left, at.top, at.right(), at.bottom()}, font);
            },
            [&](PictureComponent TForm1::*member) {
              PictureComponent& picture = this->*member;
              picture.SetBounds(at);
              try {
                picture.LoadPng(drawingPng_);
              } catch (const PngError& e) {
                errors_.ShowError(ErrorBoxText(u"The drawing is damaged and cannot be shown: " +
                                               Utf8ToUtf16(e.what())));
              }
            },
        },
        row.component);
  }
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->lastFocus_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ShowCurrentException(form->errors_);
    return 0;
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT:
      PaintClient(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_SIZE:
      FormResize();
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(
          ChildBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_COMMAND:
      if (lParam && HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      ActivationChanged(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SETFOCUS:
      if (HWND target = FocusTarget()) SetFocus(target);
      return 0;
    case WM_NEXTDLGCTL: {
      // The dialog manager's Tab and Shift+Tab: this window moves the focus itself.
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                 : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case DM_GETDEFID: {
      // No button is the default; Enter presses the push button that has the focus.
      HWND focus = GetFocus();
      for (const PushButtonWindow* button : {&btnCalc, &btExit, &btnInfo})
        if (focus && button->hwnd() == focus) return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
      return 0;
    }
    case WM_SETTINGCHANGE:
      separators_.Reload();
      break;
    case WM_CLOSE:
      FormClose();
      DestroyWindow(hwnd_);
      // The calculator window is the main window: closing it ends the run.
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      // The settings are saved; nothing the fields report while they go matters.
      for (NumericEditWindow* edit : {&edA, &edN, &edD, &edP, &edOD, &edID, &edT1, &edT2}) {
        edit->field().OnChange = nullptr;
        edit->field().OnKeyPress = nullptr;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TForm1::Command(int id) {
  int part = 0;
  const Component* row = RowOfControl(id, &part);
  if (!row) return;
  std::visit(Overloaded{
                 [&](RadioGroupWindows TForm1::*member) {
                   if (part > 0) (this->*member).ItemClicked(part - 1);
                 },
                 [&](PushButtonWindow TForm1::*member) { (this->*member).Click(); },
                 [&](CheckBoxWindow TForm1::*member) { (this->*member).Clicked(); },
                 [](auto) {},
             },
             row->component);
}

void TForm1::Paint() {
  PaintScope paint(hwnd_);
  const RECT& area = paint.area();
  const SIZE size = {area.right - area.left, area.bottom - area.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  // Painted off screen first, so the gradient never flickers under the drawing.
  OffscreenCanvas canvas(paint.dc(), size);
  SetViewportOrgEx(canvas.dc(), -area.left, -area.top, nullptr);
  PaintClient(canvas.dc());
  SetViewportOrgEx(canvas.dc(), 0, 0, nullptr);
  BitBlt(paint.dc(), area.left, area.top, size.cx, size.cy, canvas.dc(), 0, 0, SRCCOPY);
}

void TForm1::PaintClient(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  FormPaint(dc);
  Image2.Paint(dc);
}

HBRUSH TForm1::ChildBackground(HDC dc, HWND child) {
  int part = 0;
  Color text = kWindowTextColor;
  if (const Component* row = RowOfControl(GetDlgCtrlID(child), &part))
    if (const auto* label = std::get_if<LabelWindow TForm1::*>(&row->component))
      text = (this->**label).TextColor();
  SetTextColor(dc, ToColorRef(text));
  if (!VisualStylesInUse()) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  // The child shows what the window paints behind it: the brush is the
  // painted client area, aligned with the child's position.
  RECT client;
  GetClientRect(hwnd_, &client);
  const SIZE size = {client.right, client.bottom};
  if (!backgroundBrush_ || size.cx != backgroundSize_.cx || size.cy != backgroundSize_.cy) {
    if (backgroundBrush_) DeleteObject(backgroundBrush_);
    if (backgroundBitmap_) DeleteObject(backgroundBitmap_);
    backgroundBrush_ = nullptr;
    backgroundBitmap_ = nullptr;
    OffscreenCanvas canvas(dc, size);
    PaintClient(canvas.dc());
    backgroundBitmap_ = canvas.Release();
    backgroundBrush_ = CreatePatternBrush(backgroundBitmap_);
    backgroundSize_ = size;
  }
  POINT origin = {0, 0};
  MapWindowPoints(child, hwnd_, &origin, 1);
  SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return backgroundBrush_;
}

void TForm1::ActivationChanged(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (HWND target = FocusTarget()) SetFocus(target);
}

HWND TForm1::FocusTarget() const {
  if (lastFocus_ && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
      IsWindowEnabled(lastFocus_))
    return lastFocus_;
  const int selected = RadioGroup1.ItemIndex();
  return selected >= 0 ? RadioGroup1.item(selected) : btnCalc.hwnd();
}

void TForm1::FormCreate() {
  if (hooks_.OnFormCreate) hooks_.OnFormCreate(*this);
}

void TForm1::FormClose() {
  if (hooks_.OnFormClose) hooks_.OnFormClose(*this);
}

void TForm1::FormPaint(HDC dc) {
  // Lavender-blue at the left edge to white at x = 275, constant down each
  // column. The lower vertex is at the outer window height, which is more
  // than the client height, so the strip reaches the client's bottom edge.
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  TRIVERTEX vertices[2] = {{0, 0, 0xC800, 0xC800, 0xFF00, 0},
                           {275, outer.bottom - outer.top, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT rect = {0, 1};
  GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

void TForm1::FormResize() { InvalidateRect(hwnd_, nullptr, TRUE); }

void TForm1::RadioGroup1Click() {
  if (RadioGroup1.ItemIndex() == 0) {
    edA.field().SetEnabled(true);
    edN.field().SetEnabled(false);
  }
  if (RadioGroup1.ItemIndex() == 1) {
    edA.field().SetEnabled(false);
    edN.field().SetEnabled(true);
  }
}

void TForm1::chT1Click() {
  edT1.field().SetEnabled(chT1.Checked());
  lbTotalLength.SetCaption(u"");
  lbTotalVolume.SetCaption(u"");
}

void TForm1::chT2Click() {
  edT2.field().SetEnabled(chT2.Checked());
  lbTotalLength.SetCaption(u"");
  lbTotalVolume.SetCaption(u"");
}

void TForm1::ClearResults() {
  lbTotalLength.SetCaption(u"");
  lbTotalVolume.SetCaption(u"");
}

void TForm1::EnterRunsCalculation(NumericEditWindow& sender, char16_t key) {
  if (key != u'\r') return;
  btnCalc.Click();
  sender.field().SelectAll();
}

void TForm1::edAKeyPress(char16_t& Key) { EnterRunsCalculation(edA, Key); }
void TForm1::edNKeyPress(char16_t& Key) { EnterRunsCalculation(edN, Key); }
void TForm1::edDKeyPress(char16_t& Key) { EnterRunsCalculation(edD, Key); }
void TForm1::edPKeyPress(char16_t& Key) { EnterRunsCalculation(edP, Key); }
void TForm1::edODKeyPress(char16_t& Key) { EnterRunsCalculation(edOD, Key); }
void TForm1::edIDKeyPress(char16_t& Key) { EnterRunsCalculation(edID, Key); }
void TForm1::edT1KeyPress(char16_t& Key) { EnterRunsCalculation(edT1, Key); }
void TForm1::edT2KeyPress(char16_t& Key) { EnterRunsCalculation(edT2, Key); }

void TForm1::btnCalcClick() {
  CalculationRequest request;
  if (RadioGroup1.ItemIndex() == 0) request.mode = SolveMode::HeightGiven;
  if (RadioGroup1.ItemIndex() == 1) request.mode = SolveMode::TurnsGiven;
  for (const RunInput input : kRunInputs) request.text(input) = FieldOf(input).field().Text();
  request.withT1 = chT1.Checked();
  request.withT2 = chT2.Checked();

  const std::optional<CalculationOutcome> outcome = RunCalculation(request, separators_);
  if (!outcome) return;
  for (const Write& write : ResultWrites(*outcome)) Apply(write);
  if (outcome->gapWarning) ShowGapNotice(hwnd_);
}

void TForm1::Apply(const Write& write) {
  switch (write.target) {
    case Target::edA:
      return edA.field().SetText(write.text);
    case Target::edN:
      return edN.field().SetText(write.text);
    case Target::edP:
      return edP.field().SetText(write.text);
    case Target::lbG:
      return lbG.SetCaption(write.text);
    case Target::lbH:
      return lbH.SetCaption(write.text);
    case Target::lbO:
      return lbO.SetCaption(write.text);
    case Target::lbI:
      return lbI.SetCaption(write.text);
    case Target::lbA2:
      return lbA2.SetCaption(write.text);
    case Target::lbG2:
      return lbG2.SetCaption(write.text);
    case Target::lbP2:
      return lbP2.SetCaption(write.text);
    case Target::lbID2:
      return lbID2.SetCaption(write.text);
    case Target::lbOD2:
      return lbOD2.SetCaption(write.text);
    case Target::lbh2:
      return lbh2.SetCaption(write.text);
    case Target::lbI2:
      return lbI2.SetCaption(write.text);
    case Target::lbD2:
      return lbD2.SetCaption(write.text);
    case Target::lbO2:
      return lbO2.SetCaption(write.text);
    case Target::lbTotalLength:
      return lbTotalLength.SetCaption(write.text);
    case Target::lbTotalVolume:
      return lbTotalVolume.SetCaption(write.text);
  }
}

void TForm1::btnInfoClick() {
  if (hooks_.ShowAbout) hooks_.ShowAbout(hwnd_);
}

// The same route as the close box: WM_CLOSE, then FormClose.
void TForm1::btExitClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

NumericEditWindow& TForm1::FieldOf(settings::Field field) {
  return const_cast<NumericEditWindow&>(std::as_const(*this).FieldOf(field));
}

const NumericEditWindow& TForm1::FieldOf(RunInput input) const {
  static constexpr settings::Field kFieldOfInput[kRunInputCount] = {
      settings::Field::D,  settings::Field::P,  settings::Field::A,  settings::Field::N,
      settings::Field::OD, settings::Field::ID, settings::Field::t1, settings::Field::t2};
  return FieldOf(kFieldOfInput[static_cast<std::size_t>(input)]);
}

const NumericEditWindow& TForm1::FieldOf(settings::Field field) const {
  switch (field) {
    case settings::Field::A:
      return edA;
    case settings::Field::N:
      return edN;
    case settings::Field::D:
      return edD;
    case settings::Field::P:
      return edP;
    case settings::Field::OD:
      return edOD;
    case settings::Field::ID:
      return edID;
    case settings::Field::t1:
      return edT1;
    case settings::Field::t2:
      break;
  }
  return edT2;
}

std::u16string TForm1::FieldText(settings::Field field) const {
  return FieldOf(field).field().Text();
}

void TForm1::SetFieldText(settings::Field field, std::u16string_view text) {
  FieldOf(field).field().SetText(text);
}

int TForm1::RadioIndex() const { return RadioGroup1.ItemIndex(); }

void TForm1::SetRadioIndex(int index) { RadioGroup1.SetItemIndex(index); }

bool TForm1::TailChecked(settings::Tail tail) const {
  return (tail == settings::Tail::T1 ? chT1 : chT2).Checked();
}

void TForm1::SetTailChecked(settings::Tail tail, bool checked) {
  (tail == settings::Tail::T1 ? chT1 : chT2).SetChecked(checked);
}

bool TForm1::TailFieldEnabled(settings::Tail tail) const {
  return (tail == settings::Tail::T1 ? edT1 : edT2).field().Enabled();
}

void TForm1::SetTailFieldEnabled(settings::Tail tail, bool enabled) {
  (tail == settings::Tail::T1 ? edT1 : edT2).field().SetEnabled(enabled);
}

}  // namespace ambrelix::ui
