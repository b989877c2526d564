#include "about_test_host.h"

#include <gtest/gtest.h>

#include "synthetic_input.h"

namespace ambrelix::ui::testing {
namespace {

constexpr wchar_t kOwnerClass[] = L"AmbrelixAboutTestOwner";
constexpr UINT_PTR kStepTimer = 1;
// A condition not met after this many timer messages fails the script.
constexpr int kMostAskedAgain = 300;

using ambrelix::testing::MouseAt;
using ambrelix::testing::SendMouse;

}  // namespace

Step Do(std::function<void()> action) {
  return [action = std::move(action)] {
    action();
    return true;
  };
}

AboutHost::AboutHost() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ambrelix::testing::RegisterHostClass(kOwnerClass, &AboutHost::WindowProc);

  application_ = CreateWindowExW(0, kOwnerClass, L"Ambrelix", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance, this);
  owner_ = CreateWindowExW(0, kOwnerClass, L"Calculator stand-in",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 20, 20, 600, 500, nullptr,
                           nullptr, instance, this);
  if (!application_ || !owner_) throw std::runtime_error("cannot create the host windows");
  ShowWindow(owner_, SW_SHOW);
  SetForegroundWindow(owner_);
  UpdateWindow(owner_);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

AboutHost::~AboutHost() {
  DestroyWindow(owner_);
  DestroyWindow(application_);
}

int AboutHost::ShowModal(TForm2& dialog, std::vector<Step> steps) {
  dialog_ = &dialog;
  steps_ = std::move(steps);
  next_ = 0;
  askedAgain_ = 0;
  SetTimer(owner_, kStepTimer, USER_TIMER_MINIMUM, nullptr);
  const int result = dialog.ShowModal(owner_);
  KillTimer(owner_, kStepTimer);
  EXPECT_EQ(next_, steps_.size()) << "the dialog closed before the script's end";
  dialog_ = nullptr;
  return result;
}

void AboutHost::RunStep() {
  if (running_ || !dialog_) return;
  running_ = true;
  if (next_ < steps_.size()) {
    if (steps_[next_]()) {
      ++next_;
      askedAgain_ = 0;
    } else if (++askedAgain_ > kMostAskedAgain) {
      ADD_FAILURE() << "step " << next_ + 1 << " waited in vain";
      ++next_;
      askedAgain_ = 0;
    }
  } else if (IsWindowVisible(dialog_->hwnd())) {
    ADD_FAILURE() << "the dialog is still open after the script";
    PostMessageW(dialog_->hwnd(), WM_CLOSE, 0, 0);
  }
  running_ = false;
}

LRESULT CALLBACK AboutHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = ambrelix::testing::HostOf<AboutHost>(hwnd, message, lParam);
  if (host && message == WM_TIMER && wParam == kStepTimer) {
    host->RunStep();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void PressKey(WORD virtualKey, Keys held) { ambrelix::testing::SendKey(virtualKey, held); }

void MoveMouseTo(POINT screen) { SendMouse({MouseAt(screen, 0)}); }
void LeftDown(POINT screen) {
  SendMouse({MouseAt(screen, 0), MouseAt(screen, MOUSEEVENTF_LEFTDOWN)});
}
void LeftUp(POINT screen) { SendMouse({MouseAt(screen, MOUSEEVENTF_LEFTUP)}); }

void LeftClick(POINT screen) { ambrelix::testing::SendMouseClick(screen); }
void LeftDoubleClick(POINT screen) {
  SendMouse({MouseAt(screen, 0), MouseAt(screen, MOUSEEVENTF_LEFTDOWN),
             MouseAt(screen, MOUSEEVENTF_LEFTUP), MouseAt(screen, MOUSEEVENTF_LEFTDOWN),
             MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}

void LeftDrag(POINT from, POINT to) {
  const POINT halfway = {(from.x + to.x) / 2, (from.y + to.y) / 2};
  SendMouse({MouseAt(from, 0), MouseAt(from, MOUSEEVENTF_LEFTDOWN), MouseAt(halfway, 0),
             MouseAt(to, 0), MouseAt(to, MOUSEEVENTF_LEFTUP)});
}

POINT OnScreen(HWND window, POINT client) {
  ClientToScreen(window, &client);
  return client;
}

POINT ClientCentre(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return OnScreen(window, {client.right / 2, client.bottom / 2});
}

std::optional<POINT> FramePoint(HWND window, LRESULT area) {
  RECT outer;
  GetWindowRect(window, &outer);
  POINT clientOrigin = {0, 0};
  ClientToScreen(window, &clientOrigin);
  // The caption lies between the window's top and its client area.
  const int y = (outer.top + clientOrigin.y) / 2;
  for (int x = outer.right - 1; x > outer.left; --x) {
    if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == area) {
      // The middle of the run of points that answer `area`.
      int left = x;
      while (left > outer.left &&
             SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(left - 1, y)) == area)
        --left;
      return POINT{(left + x) / 2, y};
    }
  }
  return std::nullopt;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

COLORREF ShownClientPixel(HWND window, int x, int y) {
  const POINT at = OnScreen(window, {x, y});
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return color;
}

std::vector<COLORREF> ShownClientArea(HWND window, const RECT& area) {
  const POINT at = OnScreen(window, {area.left, area.top});
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, at.x, at.y, SRCCOPY);
  SelectObject(memory, old);
  const auto* pixels = static_cast<const COLORREF*>(bits);
  std::vector<COLORREF> shown(pixels, pixels + width * height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shown;
}

}  // namespace ambrelix::ui::testing
