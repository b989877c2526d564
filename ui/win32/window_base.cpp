#include "ui/win32/window_base.h"

#include <system_error>

#include "resources/resource.h"

namespace ambrelix::ui {
namespace {

void RegisterOnce(const WindowClass& spec, WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, spec.name, &windowClass)) return;
  windowClass.style = spec.style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = spec.cursor ? LoadCursorW(nullptr, spec.cursor) : nullptr;
  windowClass.hbrBackground = spec.background;
  windowClass.lpszClassName = spec.name;
  if (spec.coilIcons) {
    auto load = [&](int width, int height) {
      return static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, width, height, LR_SHARED));
    };
    windowClass.hIcon = load(32, 32);
    windowClass.hIconSm = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  }
  if (!RegisterClassExW(&windowClass)) ThrowLastError("RegisterClassExW");
}

}  // namespace

void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

void WindowBase::CreateWindowOfClass(const WindowClass& windowClass, DWORD exStyle,
                                     const wchar_t* title, DWORD style, int left, int top,
                                     int width, int height, HWND parent, int childId) {
  RegisterOnce(windowClass, &WindowBase::Procedure);
  const HMENU menu = childId ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)) : nullptr;
  if (!CreateWindowExW(exStyle, windowClass.name, title, style, left, top, width, height, parent,
                       menu, GetModuleHandleW(nullptr), this))
    ThrowLastError("CreateWindowExW");
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* window = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
    window->WindowDestroyed();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return Guarded(window->errors_, 0,
                 [&] { return window->HandleMessage(message, wParam, lParam); });
}

}  // namespace ambrelix::ui
