#include "window_test_support.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace ambrelix::testing {
namespace {

BOOL CALLBACK CollectBox(HWND window, LPARAM boxes) {
  if (IsWindowVisible(window) && ClassOf(window) == L"#32770")
    reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
  return TRUE;
}

struct ProcessBoxes {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectProcessBox(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<ProcessBoxes*>(search);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == wanted->processId) CollectBox(window, reinterpret_cast<LPARAM>(&wanted->boxes));
  return TRUE;
}

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM box) {
  auto* shown = reinterpret_cast<ShownBox*>(box);
  const std::wstring kind = ClassOf(child);
  if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      shown->icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    } else if (const std::u16string text = TextOf(child); !text.empty()) {
      if (!shown->text.empty()) shown->text += u'\n';
      shown->text += text;
    }
  } else if (_wcsicmp(kind.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
    shown->buttons.push_back(TextOf(child));
  }
  return TRUE;
}

}  // namespace

void SendText(std::string_view text) {
  for (char c : text) {
    const SHORT key = VkKeyScanW(static_cast<wchar_t>(c));
    if (key == -1) throw std::runtime_error("no key for a character");
    SendKey(LOBYTE(key), {.shift = (HIBYTE(key) & 1) != 0, .ctrl = (HIBYTE(key) & 2) != 0});
  }
}

void SendClick(HWND window, POINT client) {
  ClientToScreen(window, &client);
  SendMouseClick(client);
}

std::u16string TextOf(HWND window) {
  // With a time limit: a window whose thread has stopped answering gives "".
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return {};
  std::u16string text(length + 1, u'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied))
    return {};
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  if (HWND parent = GetParent(window); parent && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

COLORREF ShownAt(HWND window, POINT client) {
  ClientToScreen(window, &client);
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, client.x, client.y);
  ReleaseDC(nullptr, screen);
  return color;
}

bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(10);
  }
  return true;
}

ShownBox ReadBox(HWND box) {
  ShownBox shown;
  shown.caption = TextOf(box);
  EnumChildWindows(box, &ReadBoxChild, reinterpret_cast<LPARAM>(&shown));
  const auto defaultId = static_cast<DWORD>(SendMessageW(box, DM_GETDEFID, 0, 0));
  if (HIWORD(defaultId) == DC_HASDEFID) shown.defaultButton = LOWORD(defaultId);
  GetWindowRect(box, &shown.rect);
  shown.threadId = GetWindowThreadProcessId(box, nullptr);
  return shown;
}

std::vector<HWND> VisibleBoxes(DWORD processId, DWORD threadId) {
  if (threadId) {
    std::vector<HWND> boxes;
    EnumThreadWindows(threadId, &CollectBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
  }
  ProcessBoxes search{processId, {}};
  EnumWindows(&CollectProcessBox, reinterpret_cast<LPARAM>(&search));
  return search.boxes;
}

void PressOk(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

BoxCloser::BoxCloser(DWORD threadId) : threadId_(threadId), thread_([this] { Watch(); }) {}

BoxCloser::~BoxCloser() {
  stop_ = true;
  thread_.join();
}

std::vector<ShownBox> BoxCloser::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(closed_, {});
}

void BoxCloser::Watch() {
  while (!stop_) {
    for (HWND box : VisibleBoxes(GetCurrentProcessId(), threadId_)) {
      // Give the box a moment to finish placing itself.
      Sleep(50);
      ShownBox shown = ReadBox(box);
      {
        std::lock_guard lock(mutex_);
        closed_.push_back(std::move(shown));
      }
      PressOk(box);
      WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); }, 5);
    }
    Sleep(10);
  }
}

}  // namespace ambrelix::testing
