#include "synthetic_input.h"

#include <vector>

namespace ambrelix::testing {
namespace {

bool IsExtendedKey(WORD key) {
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_INSERT:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags =
      (up ? KEYEVENTF_KEYUP : 0u) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0u);
  return input;
}

}  // namespace

void SendKey(WORD virtualKey, Held held) {
  std::vector<INPUT> inputs;
  if (held.alt) inputs.push_back(KeyInput(VK_MENU, false));
  if (held.ctrl) inputs.push_back(KeyInput(VK_CONTROL, false));
  if (held.shift) inputs.push_back(KeyInput(VK_SHIFT, false));
  inputs.push_back(KeyInput(virtualKey, false));
  inputs.push_back(KeyInput(virtualKey, true));
  if (held.shift) inputs.push_back(KeyInput(VK_SHIFT, true));
  if (held.ctrl) inputs.push_back(KeyInput(VK_CONTROL, true));
  if (held.alt) inputs.push_back(KeyInput(VK_MENU, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT MouseAt(POINT screen, DWORD buttons) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

void SendMouse(std::initializer_list<INPUT> events) {
  std::vector<INPUT> inputs(events);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void SendMouseClick(POINT screen, DWORD down, DWORD up) {
  SendMouse({MouseAt(screen), MouseAt(screen, down), MouseAt(screen, up)});
}

void RegisterHostClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

}  // namespace ambrelix::testing
