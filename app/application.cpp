#include "app/application.h"

#include <cstdlib>
#include <vector>

#include "ui/calculator_window.h"

namespace ambrelix::app {
namespace {

constexpr wchar_t kWindowClass[] = L"AmbrelixApplication";

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

}  // namespace

Application::Application() : WindowBase(errors_), title_(ProvisionalTitle()), errors_(title_) {
  // No size: the window is there for its taskbar button and as the owner of
  // the program's windows, never to be seen itself.
  CreateWindowOfClass({.name = kWindowClass, .coilIcons = true}, 0, ui::Wide(title_),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr);
}

Application::~Application() {
  if (hwnd()) DestroyWindow(hwnd());
}

void Application::SetTitle(std::u16string_view title) {
  title_ = title;
  errors_.SetTitle(title_);
  SetWindowTextW(hwnd(), ui::Wide(title_));
}

void Application::AnswerVersionProbe() const {
  // The C runtime has split the command line for wWinMain already, as
  // CommandLineToArgvW would for any argument without quotes inside it.
  // Its array keeps shell32.dll, which nothing else needs before the link
  // label is clicked, out of the start-up.
  for (int i = 1; i < __argc; ++i) {
    std::wstring argument = __wargv[i];
    CharLowerBuffW(argument.data(), static_cast<DWORD>(argument.size()));
    if (argument == L"/acver") {
      MessageBoxW(hwnd(), L"Skin library v10.15", ui::Wide(title_), MB_OK);
      return;
    }
  }
}

int Application::Run(ui::TForm1& mainForm, int showState) {
  mainWindow_ = mainForm.hwnd();
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  switch (showState) {
    case SW_SHOWMAXIMIZED:
      mainForm.Show(SW_SHOWMAXIMIZED);
      break;
    case SW_SHOWMINNOACTIVE:
      // The whole program starts minimised: the calculator window is hidden
      // with its owner and comes back when the taskbar button restores it.
      mainForm.Show(SW_SHOWNOACTIVATE);
      ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
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

LRESULT Application::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      // Minimising the program hides its windows; restoring brings them back.
      if (wParam == SIZE_MINIMIZED) ShowOwnedPopups(hwnd(), FALSE);
      if (wParam == SIZE_RESTORED) ShowOwnedPopups(hwnd(), TRUE);
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
  return DefaultHandling(message, wParam, lParam);
}

}  // namespace ambrelix::app
