#include "app/application.h"

#include <shellapi.h>

#include <memory>
#include <system_error>
#include <vector>

#include "ui/calculator_window.h"
#include "ui/win32/controls.h"

namespace ambrelix::app {
namespace {

constexpr wchar_t kWindowClass[] = L"AmbrelixApplication";

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string ProvisionalTitle() {
  std::wstring name = ModulePath();
  name.erase(0, name.find_last_of(L"\\/") + 1);
  name.erase(std::min(name.find(L'.'), name.size()));
  if (name.size() > 1) CharLowerBuffW(name.data() + 1, static_cast<DWORD>(name.size() - 1));
  return std::u16string(name.begin(), name.end());
}

struct LocalFreeDeleter {
  void operator()(LPWSTR* memory) const { LocalFree(memory); }
};

}  // namespace

Application::Application(HINSTANCE instance) : title_(ProvisionalTitle()), errors_(title_) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Application::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  ui::SetCoilIcons(windowClass);
  if (!RegisterClassExW(&windowClass))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "RegisterClassExW(application)");
  // No size: the window is there for its taskbar button and as the owner of
  // the program's windows, never to be seen itself.
  if (!CreateWindowExW(0, kWindowClass, Wide(title_),
                       WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                       GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                       nullptr, nullptr, instance, this))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateWindowExW(application)");
}

Application::~Application() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Application::SetTitle(std::u16string_view title) {
  title_ = title;
  errors_.SetTitle(title_);
  SetWindowTextW(hwnd_, Wide(title_));
}

void Application::AnswerVersionProbe() const {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> arguments(
      CommandLineToArgvW(GetCommandLineW(), &count));
  if (!arguments) return;
  for (int i = 1; i < count; ++i) {
    std::wstring argument = arguments.get()[i];
    CharLowerBuffW(argument.data(), static_cast<DWORD>(argument.size()));
    if (argument == L"/acver") {
      MessageBoxW(hwnd_, L"Skin library v10.15", Wide(title_), MB_OK);
      return;
    }
  }
}

int Application::Run(ui::TForm1& mainForm, int showState) {
  mainWindow_ = mainForm.hwnd();
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  switch (showState) {
    case SW_SHOWMAXIMIZED:
      mainForm.Show(SW_SHOWMAXIMIZED);
      break;
    case SW_SHOWMINNOACTIVE:
      // The whole program starts minimised: the calculator window is hidden
      // with its owner and comes back when the taskbar button restores it.
      mainForm.Show(SW_SHOWNOACTIVATE);
      ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
      break;
    default:
      mainForm.Show(SW_SHOWNORMAL);
      break;
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The dialog manager's keyboard handling gives the window Tab and the
    // arrow keys in the radio group.
    if (mainWindow_ && IsWindow(mainWindow_) && IsDialogMessageW(mainWindow_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  mainWindow_ = nullptr;
  return 0;
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<Application*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* application = reinterpret_cast<Application*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!application) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    application->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return application->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ui::ShowCurrentException(application->errors_);
    return 0;
  }
}

LRESULT Application::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      // Minimising the program hides its windows; restoring brings them back.
      if (wParam == SIZE_MINIMIZED) ShowOwnedPopups(hwnd_, FALSE);
      if (wParam == SIZE_RESTORED) ShowOwnedPopups(hwnd_, TRUE);
      break;
    case WM_ACTIVATE:
      // The taskbar button activates this window; the calculator window takes over.
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && mainWindow_ &&
          IsWindowVisible(mainWindow_) && IsWindowEnabled(mainWindow_)) {
        SetActiveWindow(mainWindow_);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      [[fallthrough]];
    case WM_CLOSE:
      // Closing the program from its taskbar button closes the calculator window.
      if (mainWindow_) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
      return 0;
    case WM_ENDSESSION:
      // Logging off or shutting down ends the run at once, without the
      // calculator window's close handler; the session-end handler keeps
      // what the user typed. The process may end as soon as this returns.
      if (wParam) {
        if (sessionEnd_) sessionEnd_();
        PostQuitMessage(0);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace ambrelix::app
