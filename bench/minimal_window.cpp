// The start-up baseline for Ambrelix.exe: the smallest Win32 window program,
// built with the same compiler, options and static runtime. A captioned
// window of the calculator's client size, shown centred, with a message loop
// and nothing else.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = L"MinimalWindow";
  RegisterClassW(&windowClass);

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT outer = {0, 0, 824, 483};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, L"MinimalWindow", L"Minimal window", style,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, showState);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
