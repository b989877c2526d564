#include "ui/calculator_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

#include "calc/errors.h"
#include "calc/unicode.h"
#include "png/png_reader.h"
#include "resources/resource.h"
#include "ui/window_placement.h"

namespace ambrelix::ui {
namespace {

using Row = FormRow<TForm1, CalculatorRules>;
using Anchor = LabelWindow::Anchor;
using KeyHandler = Row::KeyHandler;

constexpr FontSpec kWindowFont = {L"Tahoma", 11};
constexpr FontSpec kTahoma12 = {L"Tahoma", 12};
constexpr FontSpec kTahoma12Bold = {L"Tahoma", 12, true};
constexpr FontSpec kArial15Bold = {L"Arial", 15, true, ANSI_CHARSET};

constexpr std::u16string_view kSolveForItems[] = {u"Overall Height (A)", u"Number of Turns (n)"};
constexpr Bounds kGroupBox1 = {8, 361, 252, 74};

// The kinds of row the input column and the drawing repeat.
constexpr Row Caption(LabelWindow TForm1::*label, Bounds at, std::u16string_view text) {
  return {.component = label, .bounds = at, .text = text, .font = kTahoma12};
}
constexpr Row Unit(LabelWindow TForm1::*label, int top) {
  return Caption(label, {240, top, 20, 14}, u"mm");
}
// A result: right edge at x = 233, growing to the left.
constexpr Row Result(LabelWindow TForm1::*label, int top) {
  return {.component = label,
          .bounds = {215, top, 18, 14},
          .text = u"0.0",
          .font = kTahoma12,
          .anchor = Anchor::Right};
}
constexpr Row Entry(NumericEditWindow TForm1::*field, int top, int tabOrder,
                    KeyHandler onKeyPress) {
  return {.component = field,
          .bounds = {176, top, 60, 22},
          .text = u"0.000",
          .font = kTahoma12,
          .tabOrder = tabOrder,
          .tabStop = true,
          .onChange = &CalculatorRules::ClearResults,
          .onKeyPress = onKeyPress};
}
constexpr Row Total(LabelWindow TForm1::*label, int top) {
  return {.component = label,
          .bounds = {159, top, 8, 14},
          .text = u"0",
          .font = kTahoma12Bold,
          .color = kNavy,
          .within = &kGroupBox1};
}
constexpr Row DrawingValue(LabelWindow TForm1::*label, int left, int top) {
  return {.component = label, .bounds = {left, top, 4, 18}, .font = kArial15Bold};
}

// The drawing's value labels come after Image2, so they lie over it.
constexpr Row kComponents[] = {
    {.component = &TForm1::RadioGroup1,
     .bounds = {8, 6, 252, 66},
     .text = u"Solve for",
     .font = kTahoma12,
     .tabOrder = 0,
     .tabStop = true,
     .onClick = &CalculatorRules::RadioGroup1Click,
     .items = kSolveForItems},
    {.component = &TForm1::btnCalc,
     .bounds = {150, 446, 110, 26},
     .text = u"Calculate",
     .tabOrder = 1,
     .tabStop = true,
     .onClick = &CalculatorRules::btnCalcClick},
    {.component = &TForm1::chT1,
     .bounds = {8, 309, 17, 17},
     .tabOrder = 2,
     .onClick = &CalculatorRules::chT1Click},
    {.component = &TForm1::chT2,
     .bounds = {8, 332, 17, 17},
     .tabOrder = 3,
     .onClick = &CalculatorRules::chT2Click},
    {.component = &TForm1::btExit,
     .bounds = {79, 446, 65, 26},
     .text = u"Exit",
     .tabOrder = 4,
     .onClick = &CalculatorRules::btExitClick},
    {.component = &TForm1::GroupBox1,
     .bounds = kGroupBox1,
     .text = u"Results",
     .font = kTahoma12,
     .tabOrder = 5},
    {.component = &TForm1::Label13,
     .bounds = {6, 20, 146, 14},
     .text = u"Length of Helix / Tube   =",
     .font = kTahoma12,
     .within = &kGroupBox1},
    {.component = &TForm1::Label14,
     .bounds = {6, 47, 148, 14},
     .text = u"Internal Volume of Tube =",
     .font = kTahoma12,
     .within = &kGroupBox1},
    Total(&TForm1::lbTotalLength, 20),
    Total(&TForm1::lbTotalVolume, 47),
    {.component = &TForm1::btnInfo,
     .bounds = {8, 446, 65, 26},
     .text = u"About",
     .tabOrder = 6,
     .onClick = &CalculatorRules::btnInfoClick},

    Entry(&TForm1::edA, 78, 7, &CalculatorRules::edAKeyPress),
    Entry(&TForm1::edN, 101, 8, &CalculatorRules::edNKeyPress),
    Entry(&TForm1::edD, 123, 9, &CalculatorRules::edDKeyPress),
    Entry(&TForm1::edP, 145, 10, &CalculatorRules::edPKeyPress),
    Entry(&TForm1::edOD, 167, 11, &CalculatorRules::edODKeyPress),
    Entry(&TForm1::edID, 189, 12, &CalculatorRules::edIDKeyPress),
    Entry(&TForm1::edT1, 308, 13, &CalculatorRules::edT1KeyPress),
    Entry(&TForm1::edT2, 331, 14, &CalculatorRules::edT2KeyPress),

    // The input column, row by row: caption, result (G, h, O, I), unit.
    Caption(&TForm1::Label5, {8, 82, 146, 14}, u"Overall Height of Tube (A)"),
    Unit(&TForm1::Label15, 82),
    Caption(&TForm1::Label2, {8, 103, 114, 14}, u"Number of Turns (n)"),
    Caption(&TForm1::Label1, {8, 125, 100, 14}, u"Helix Diameter (D)"),
    Unit(&TForm1::Label25, 125),
    Caption(&TForm1::Label3, {8, 147, 48, 14}, u"Pitch (P)"),
    Unit(&TForm1::Label26, 147),
    Caption(&TForm1::Label7, {8, 169, 159, 14}, u"Tube Outside Diameter (OD)"),
    Unit(&TForm1::Label16, 169),
    Caption(&TForm1::Label8, {8, 191, 144, 14}, u"Tube Inside Diameter (ID)"),
    Unit(&TForm1::Label17, 191),
    Caption(&TForm1::Label6, {8, 213, 124, 14}, u"Gap between Coils (G)"),
    Result(&TForm1::lbG, 213),
    Unit(&TForm1::Label19, 213),
    Caption(&TForm1::Label4, {8, 235, 101, 14}, u"Height of Helix (h)"),
    Result(&TForm1::lbH, 235),
    Unit(&TForm1::Label20, 235),
    Caption(&TForm1::Label9, {8, 257, 140, 14}, u"Coil Outside Diameter (O)"),
    Result(&TForm1::lbO, 257),
    Unit(&TForm1::Label21, 257),
    Caption(&TForm1::Label10, {8, 279, 125, 14}, u"Coil Inside Diameter (I)"),
    Result(&TForm1::lbI, 279),
    Unit(&TForm1::Label22, 279),
    // The tail captions are plain labels: a click on them does not toggle the box.
    Caption(&TForm1::Label11, {31, 310, 72, 14}, u"Tail Length 1"),
    Unit(&TForm1::Label23, 310),
    Caption(&TForm1::Label12, {31, 333, 72, 14}, u"Tail Length 2"),
    Unit(&TForm1::Label24, 333),

    // The drawing fills the client height right of the gradient; its value
    // labels stand under or beside the captions of the picture.
    {.component = &TForm1::Image2, .bounds = {274, 0, 550, 483}},
    DrawingValue(&TForm1::lbID2, 454, 51),
    DrawingValue(&TForm1::lbOD2, 664, 51),
    DrawingValue(&TForm1::lbA2, 285, 149),
    DrawingValue(&TForm1::lbG2, 343, 191),
    DrawingValue(&TForm1::lbP2, 343, 240),
    DrawingValue(&TForm1::lbh2, 728, 217),
    DrawingValue(&TForm1::lbI2, 541, 353),
    DrawingValue(&TForm1::lbD2, 541, 395),
    DrawingValue(&TForm1::lbO2, 541, 438),
};
constexpr std::span<const Row> kRows = kComponents;
static_assert(TabOrderFollowsTheRows(kRows), "rows are created, and so tabbed, in their order");

constexpr int kClientWidth = 824;
constexpr int kClientHeight = 483;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

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

}  // namespace

TForm1::TForm1(RegionalSeparators& separators, app::ErrorDisplay& errors, TForm1Hooks hooks,
               std::span<const std::uint8_t> drawingPng)
    : WindowBase(errors_),
      separators_(separators),
      errors_(*this, errors),
      hooks_(std::move(hooks)),
      drawingPng_(drawingPng) {}

TForm1::~TForm1() {
  if (hwnd()) DestroyWindow(hwnd());
}

void TForm1::Create(HWND owner) {
  const WindowClass windowClass = {.name = kWindowClass,
                                   .cursor = IDC_ARROW,
                                   .background = GetSysColorBrush(COLOR_BTNFACE),
                                   .coilIcons = true};
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  CreateWindowOfClass(windowClass, kExStyle, L"Ambrelix", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      outer.right - outer.left, outer.bottom - outer.top, owner);
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(kWindowFont)), FALSE);
  // The window's own icons, as the class has them, so that others can ask for them.
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
               static_cast<LPARAM>(GetClassLongPtrW(hwnd(), GCLP_HICON)));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
               static_cast<LPARAM>(GetClassLongPtrW(hwnd(), GCLP_HICONSM)));
  CreateComponents(*this, rules_, kRows, {hwnd(), fonts_});
  LoadDrawing();
  try {
    FormCreate();
  } catch (...) {
    app::ShowCurrentException(errors_);
  }
}

void TForm1::Show(int showCommand) {
  if (initialPlacement_) {
    CentreOnVirtualDesktop(hwnd());
    initialPlacement_ = false;
  }
  ShowWindow(hwnd(), showCommand);
}

void TForm1::LoadDrawing() {
  try {
    Image2.LoadPng(drawingPng_);
  } catch (const PngError& e) {
    errors_.ShowError(
        ErrorBoxText(u"The drawing is damaged and cannot be shown: " + Utf8ToUtf16(e.what())));
  }
}

void TForm1::WindowDestroyed() { lastFocus_ = nullptr; }

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The entry fields' change and colour notifications come here first.
  LRESULT answer = 0;
  for (NumericEditWindow* edit : {&edA, &edN, &edD, &edP, &edOD, &edID, &edT1, &edT2})
    if (edit->ParentMessage(message, wParam, lParam, answer)) return answer;

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
      if (lParam && HIWORD(wParam) == BN_CLICKED) ComponentClicked(*this, kRows, LOWORD(wParam));
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
                                 : GetNextDlgTabItem(hwnd(), GetFocus(), wParam != 0);
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
      DestroyWindow(hwnd());
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
  return DefaultHandling(message, wParam, lParam);
}

void TForm1::Paint() {
  PaintScope paint(hwnd());
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
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  FormPaint(dc);
  Image2.Paint(dc);
}

HBRUSH TForm1::ChildBackground(HDC dc, HWND child) {
  int part = 0;
  Color text = kWindowTextColor;
  if (const Row* row = RowOfControl(kRows, GetDlgCtrlID(child), &part))
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
  GetClientRect(hwnd(), &client);
  const SIZE size = {client.right, client.bottom};
  if (!backgroundBrush_ || size.cx != backgroundSize_.cx || size.cy != backgroundSize_.cy) {
    backgroundBrush_.reset();
    backgroundBitmap_.reset();
    OffscreenCanvas canvas(dc, size);
    PaintClient(canvas.dc());
    backgroundBitmap_ = canvas.Release();
    backgroundBrush_.reset(CreatePatternBrush(backgroundBitmap_.get()));
    backgroundSize_ = size;
  }
  POINT origin = {0, 0};
  MapWindowPoints(child, hwnd(), &origin, 1);
  SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return backgroundBrush_.get();
}

void TForm1::ActivationChanged(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
    return;
  }
  if (HWND target = FocusTarget()) SetFocus(target);
}

HWND TForm1::FocusTarget() const {
  if (lastFocus_ && IsChild(hwnd(), lastFocus_) && IsWindowVisible(lastFocus_) &&
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
  // White at x = 275. The strip's height is the outer window height, more
  // than the client height, so it reaches the client's bottom edge.
  RECT outer;
  GetWindowRect(hwnd(), &outer);
  FillLavenderGradient(dc, 275, outer.bottom - outer.top);
}

void TForm1::FormResize() { InvalidateRect(hwnd(), nullptr, TRUE); }

void TForm1::SetFieldEnabled(settings::Field field, bool enabled) {
  FieldOf(field).field().SetEnabled(enabled);
}

void TForm1::SelectAllText(settings::Field field) { FieldOf(field).field().SelectAll(); }

void TForm1::SetCaption(Target label, std::u16string_view caption) {
  // The labels by target; the field targets are written as field texts.
  static constexpr LabelWindow TForm1::*kLabels[] = {
      nullptr,       &TForm1::lbG,           &TForm1::lbH,          &TForm1::lbO,   &TForm1::lbI,
      &TForm1::lbA2, &TForm1::lbG2,          &TForm1::lbP2,         &TForm1::lbID2, &TForm1::lbOD2,
      &TForm1::lbh2, &TForm1::lbI2,          &TForm1::lbD2,         &TForm1::lbO2,  nullptr,
      nullptr,       &TForm1::lbTotalLength, &TForm1::lbTotalVolume};
  if (LabelWindow TForm1::*member = kLabels[static_cast<std::size_t>(label)])
    (this->*member).SetCaption(caption);
}

void TForm1::ShowGapNotice() {
  ShowOwnBox([this] { ui::ShowGapNotice(hwnd()); });
}

void TForm1::WindowErrors::ShowError(std::u16string_view boxText) {
  form_.ShowOwnBox([&] { box_.ShowError(boxText); });
}

// The box takes the focus and gives it back when it closes; the focused
// field keeps its text, its selection and its OrigText across both, so that
// the results the run wrote stay as they are behind the box.
void TForm1::ShowOwnBox(const std::function<void()>& show) {
  TNumericEdit* held = nullptr;
  if (HWND focus = GetFocus())
    for (NumericEditWindow* edit : {&edA, &edN, &edD, &edP, &edOD, &edID, &edT1, &edT2})
      if (edit->hwnd() == focus && !edit->field().FocusHeldByBox()) held = &edit->field();
  struct Release {
    TNumericEdit* field;
    ~Release() {
      if (field) field->SetFocusHeldByBox(false);
    }
  } release{held};
  if (held) held->SetFocusHeldByBox(true);
  show();
}

void TForm1::ShowAbout() {
  if (hooks_.ShowAbout) hooks_.ShowAbout(hwnd());
}

// The same route as the close box: WM_CLOSE, then FormClose.
void TForm1::RequestClose() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

NumericEditWindow& TForm1::FieldOf(settings::Field field) {
  return const_cast<NumericEditWindow&>(std::as_const(*this).FieldOf(field));
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
