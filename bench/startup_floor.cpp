// The start-up floor for Ambrelix.exe: exactly the work the calculator cannot
// skip before its window is on the screen, and nothing else. The GUI thread
// becomes a single-threaded OLE apartment; the common-controls 6 manifest is
// linked in and comctl32 is loaded through it; a hidden owner window carries
// the taskbar button and owns a captioned, dialog-framed window of the
// calculator's client size, which is shown centred; then the message loop.
// Built with the same compiler, options and static runtime as Ambrelix.exe.
#include <windows.h>
// The other Windows headers need windows.h first.
#include <commctrl.h>
#include <ole2.h>

namespace {

constexpr wchar_t kTitle[] = L"Start-up floor";

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

ATOM Register(HINSTANCE instance, WNDPROC procedure, const wchar_t* name) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = name;
  return RegisterClassW(&windowClass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Register(instance, &OwnerProc, L"StartupFloorOwner");
  Register(instance, &WindowProc, L"StartupFloor");

  // Sizeless, like the calculator's application window: only its taskbar
  // button is ever seen.
  HWND owner =
      CreateWindowExW(0, L"StartupFloorOwner", kTitle,
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, instance, nullptr);
  if (!owner) return 1;

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT outer = {0, 0, 824, 483};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  HWND hwnd = CreateWindowExW(exStyle, L"StartupFloor", kTitle, style,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(owner, SW_SHOWNOACTIVATE);
  ShowWindow(hwnd, showState);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyWindow(owner);
  OleUninitialize();
  return 0;
}
