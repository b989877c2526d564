#include "ui/win32/numeric_edit_window.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "ui/win32/controls.h"
#include "ui/win32/gdi_scopes.h"
#include "ui/win32/window_base.h"

namespace ambrelix::ui {
namespace {

class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const void* data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

// Messages after which the text may have changed.
bool MayChangeText(UINT message) {
  switch (message) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case EM_REPLACESEL:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool VisualStylesInUse() {
  static const bool inUse = [] {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (!comctl) return false;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (getVersion && SUCCEEDED(getVersion(&info)) && info.dwMajorVersion > 5) return true;
    // Wine's version 6 reports 5.81; it shows itself by the side-by-side
    // redirection of comctl32.dll, which only the version 6 assembly has.
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                    L"comctl32.dll", &redirection) != FALSE;
  }();
  return inUse;
}

NumericEditWindow::NumericEditWindow(const SeparatorProvider& separators, app::ErrorDisplay& errors)
    : errors_(errors), field_(*this, separators) {}

NumericEditWindow::~NumericEditWindow() {
  // No rule runs while the window goes: the owner may be half gone too.
  editSubclass_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
}

void NumericEditWindow::Create(HWND parent, int id, const RECT& bounds, HFONT font) {
  // ES_RIGHT is left out: a multi-line EDIT drops ES_AUTOHSCROLL with it and
  // wraps a long number over several lines. AlignRight gives the alignment.
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL |
                      ES_AUTOVSCROLL | (storedEnabled_ ? 0 : WS_DISABLED);
  HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Wide(storedText_), style, bounds.left,
                              bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) ThrowLastError("CreateWindowExW(EDIT)");
  hwnd_ = hwnd;
  const auto self = reinterpret_cast<DWORD_PTR>(this);
  editSubclass_.emplace(hwnd, &NumericEditWindow::EditProc, 0, self);
  // No limit on the length of the text.
  SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  Select(storedSelection_.start, storedSelection_.end);
}

std::u16string NumericEditWindow::Text() const {
  if (!hwnd_) return storedText_;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1);
  const int length = GetWindowTextW(hwnd_, buffer.data(), static_cast<int>(buffer.size()));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()),
                        static_cast<std::size_t>(std::max(length, 0)));
}

void NumericEditWindow::SetText(std::u16string_view text) {
  if (!hwnd_) {
    storedText_ = text;
    storedSelection_ = {};
    return;
  }
  SetWindowTextW(hwnd_, Wide(std::u16string(text)));
}

TextSelection NumericEditWindow::Selection() const {
  if (!hwnd_) return storedSelection_;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

void NumericEditWindow::Select(std::size_t start, std::size_t end) {
  if (!hwnd_) {
    const std::size_t length = storedText_.size();
    storedSelection_ = {std::min(start, length), std::min(end, length)};
    return;
  }
  SendMessageW(hwnd_, EM_SETSEL, start, static_cast<LPARAM>(end));
}

bool NumericEditWindow::IsModified() const {
  return hwnd_ && SendMessageW(hwnd_, EM_GETMODIFY, 0, 0) != 0;
}

std::optional<std::u16string> NumericEditWindow::ClipboardText() const {
  OpenClipboardScope clipboard(hwnd_);
  if (!clipboard.open()) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::nullopt;
  GlobalLockScope lock(data);
  if (!lock.data()) return std::nullopt;
  // The clipboard's text ends at its first NUL, or at the end of the block.
  const auto* chars = static_cast<const char16_t*>(lock.data());
  const std::size_t capacity = GlobalSize(data) / sizeof(char16_t);
  return std::u16string(chars, std::find(chars, chars + capacity, u'\0'));
}

// The box's keyboard paste and cut are routed through WM_PASTE and WM_CUT,
// so that every route reaches the field's paste and cut rules; the EDIT
// itself pastes for Shift+Insert without sending itself a message.
void NumericEditWindow::DefaultChar(char16_t key) {
  switch (key) {
    case 3:
      SendMessageW(hwnd_, WM_COPY, 0, 0);
      return;
    case 22:
      SendMessageW(hwnd_, WM_PASTE, 0, 0);
      return;
    case 24:
      SendMessageW(hwnd_, WM_CUT, 0, 0);
      return;
    default:
      DefSubclassProc(hwnd_, WM_CHAR, key, keyLParam_);
  }
}

void NumericEditWindow::DefaultKeyDown(std::uint16_t key, ShiftState shift) {
  if (shift.ctrl && !shift.alt && key == 'A') {
    // Wine's EDIT selects all on this key going down and reports that as a
    // change of its text; the Ctrl+A character selects all instead.
    return;
  }
  if (shift.shift && !shift.ctrl && key == kKeyInsert) {
    SendMessageW(hwnd_, WM_PASTE, 0, 0);
  } else if (shift.shift && !shift.ctrl && key == kKeyDelete) {
    SendMessageW(hwnd_, WM_CUT, 0, 0);
  } else {
    DefSubclassProc(hwnd_, WM_KEYDOWN, key, keyLParam_);
  }
}

void NumericEditWindow::DefaultCut() { DefSubclassProc(hwnd_, WM_CUT, 0, 0); }

void NumericEditWindow::Enable(bool enabled) {
  if (hwnd_)
    EnableWindow(hwnd_, enabled);
  else
    storedEnabled_ = enabled;
}

void NumericEditWindow::Redraw() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void NumericEditWindow::PostEscapeToWindow() {
  if (!hwnd_) return;
  HWND window = GetAncestor(hwnd_, GA_ROOT);
  const UINT scanCode = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, static_cast<LPARAM>(1 | (scanCode << 16)));
  PostMessageW(window, WM_KEYUP, VK_ESCAPE,
               static_cast<LPARAM>(1 | (scanCode << 16) | (1u << 30) | (1u << 31)));
}

template <class Rule>
void NumericEditWindow::Guarded(Rule&& rule) noexcept {
  ui::Guarded(errors_, 0, [&] {
    rule();
    return LRESULT{0};
  });
}

LRESULT CALLBACK NumericEditWindow::EditProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR self) {
  auto* field = reinterpret_cast<NumericEditWindow*>(self);
  return ui::Guarded(field->errors_, 0, [&] {
    const LRESULT result = field->EditMessage(message, wParam, lParam);
    if (MayChangeText(message)) field->AlignRight();
    return result;
  });
}

LRESULT NumericEditWindow::EditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return EditDialogCode(hwnd_, wParam, lParam);
    case WM_CHAR:
      keyLParam_ = lParam;
      field_.CharTyped(static_cast<char16_t>(wParam), KeyDown(VK_CONTROL));
      return 0;
    case WM_KEYDOWN:
      keyLParam_ = lParam;
      field_.KeyWentDown(static_cast<std::uint16_t>(wParam),
                         {KeyDown(VK_SHIFT), KeyDown(VK_CONTROL), KeyDown(VK_MENU)});
      return 0;
    case WM_PASTE:
      field_.PasteRequested();
      return 0;
    case WM_CUT:
      field_.CutRequested();
      return 0;
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      field_.FocusGained();
      return result;
    }
    case WM_KILLFOCUS:
      Guarded([this] { field_.FocusLost(); });
      return DefSubclassProc(hwnd_, message, wParam, lParam);
    case WM_LBUTTONDOWN:
      // A click that gives the focus: the focus first (which selects all),
      // then the EDIT places the caret at the click. Wine's EDIT would place
      // the caret first and take the focus after, leaving all selected.
      if (GetFocus() != hwnd_) {
        SetFocus(hwnd_);
        break;
      }
      if (!field_.MouseWentDown(OnSelectedText(static_cast<short>(LOWORD(lParam))))) {
        SetCapture(hwnd_);
        return 0;
      }
      break;
    case WM_LBUTTONUP: {
      const LRESULT hit = SendMessageW(hwnd_, EM_CHARFROMPOS, 0, lParam);
      if (!field_.MouseWentUp(LOWORD(hit))) {
        ReleaseCapture();
        return 0;
      }
      break;
    }
    case WM_PAINT:
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      if (!field_.Enabled() && TNumericEdit::DisabledBorder && VisualStylesInUse())
        DrawDisabledFrame();
      return result;
    }
    case WM_SETFONT: {
      // The EDIT sets its margins from the font; those are the margins of
      // a text that fills the box.
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      const auto margins = static_cast<DWORD>(SendMessageW(hwnd_, EM_GETMARGINS, 0, 0));
      defaultLeftMargin_ = LOWORD(margins);
      defaultRightMargin_ = HIWORD(margins);
      leftMargin_ = LOWORD(margins);
      AlignRight();
      return result;
    }
    case WM_SIZE: {
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      AlignRight();
      return result;
    }
    case WM_DESTROY:
      storedText_ = Text();
      storedSelection_ = Selection();
      storedEnabled_ = IsWindowEnabled(hwnd_) != FALSE;
      break;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      editSubclass_.reset();
      return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

bool NumericEditWindow::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!hwnd_ || reinterpret_cast<HWND>(lParam) != hwnd_) return false;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != EN_CHANGE) return false;
      Guarded([this] { field_.TextBoxChanged(); });
      result = 0;
      return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, ToColorRef(field_.FontColor()));
      SetBkColor(dc, ToColorRef(field_.BackgroundColor()));
      result = reinterpret_cast<LRESULT>(BackgroundBrush());
      return true;
    }
    default:
      return false;
  }
}

HBRUSH NumericEditWindow::BackgroundBrush() {
  const Color color = field_.BackgroundColor();
  if ((color & kSystemColor) == kSystemColor)
    return GetSysColorBrush(static_cast<int>(color & 0xFF));
  if (!ownBrush_ || ownBrushColor_ != color) {
    ownBrush_.reset(CreateSolidBrush(color));
    ownBrushColor_ = color;
  }
  return ownBrush_.get();
}

void NumericEditWindow::DrawDisabledFrame() const {
  RECT window;
  GetWindowRect(hwnd_, &window);
  const RECT ring = {0, 0, window.right - window.left, window.bottom - window.top};
  WindowDC dc(hwnd_);
  BrushHandle silver(CreateSolidBrush(ToColorRef(TNumericEdit::DisabledColor)));
  FrameRect(dc.get(), &ring, silver.get());
}

int NumericEditWindow::TextWidth(std::u16string_view text) const {
  const HDC dc = MeasuringDC();
  Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                        static_cast<int>(text.size()), &size);
  return size.cx;
}

int NumericEditWindow::CharacterX(std::size_t index) const {
  const std::u16string text = Text();
  if (index < text.size())
    return static_cast<short>(LOWORD(SendMessageW(hwnd_, EM_POSFROMCHAR, index, 0)));
  if (text.empty()) return leftMargin_;
  return CharacterX(text.size() - 1) + TextWidth(std::u16string_view(text).substr(text.size() - 1));
}

bool NumericEditWindow::OnSelectedText(int x) const {
  const TextSelection selection = Selection();
  if (selection.start == selection.end) return false;
  const int left = CharacterX(selection.start);
  const int right = CharacterX(selection.end);
  return x >= std::min(left, right) && x < std::max(left, right);
}

void NumericEditWindow::AlignRight() {
  if (!hwnd_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  // Two pixels stay free right of the text, for the caret behind it.
  const int free = client.right - client.left - defaultRightMargin_ - TextWidth(Text()) - 2;
  const int left = std::max(defaultLeftMargin_, free);
  if (left == leftMargin_) return;
  leftMargin_ = left;
  SendMessageW(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(left, 0));
}

}  // namespace ambrelix::ui
