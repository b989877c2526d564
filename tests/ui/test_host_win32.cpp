#include "test_host_win32.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "synthetic_input.h"

namespace ambrelix::ui::testing {
namespace {

constexpr wchar_t kHostClass[] = L"AmbrelixFieldTestHost";
int beeps = 0;

BOOL WINAPI CountBeep(UINT) {
  ++beeps;
  return TRUE;
}

}  // namespace

BeepCounter::BeepCounter() {
  // The EDIT control calls user32's MessageBeep: its first bytes become a
  // jump to a counter.
  target_ = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "MessageBeep"));
  if (!target_) throw std::runtime_error("MessageBeep not found");
  DWORD oldProtection;
  VirtualProtect(target_, sizeof saved_, PAGE_EXECUTE_READWRITE, &oldProtection);
  std::memcpy(saved_, target_, sizeof saved_);
  unsigned char jump[5] = {0xE9};
  const auto distance =
      reinterpret_cast<std::intptr_t>(&CountBeep) - (reinterpret_cast<std::intptr_t>(target_) + 5);
  const auto rel = static_cast<std::int32_t>(distance);
  std::memcpy(jump + 1, &rel, sizeof rel);
  std::memcpy(target_, jump, sizeof jump);
  VirtualProtect(target_, sizeof saved_, oldProtection, &oldProtection);
  FlushInstructionCache(GetCurrentProcess(), target_, sizeof saved_);
}

BeepCounter::~BeepCounter() {
  DWORD oldProtection;
  VirtualProtect(target_, sizeof saved_, PAGE_EXECUTE_READWRITE, &oldProtection);
  std::memcpy(target_, saved_, sizeof saved_);
  VirtualProtect(target_, sizeof saved_, oldProtection, &oldProtection);
  FlushInstructionCache(GetCurrentProcess(), target_, sizeof saved_);
}

int BeepCounter::count() { return beeps; }

TestHost::TestHost(const SeparatorProvider& separators)
    : a(separators, errors), b(separators, errors) {
  ambrelix::testing::RegisterHostClass(kHostClass, &TestHost::WindowProc);
  hwnd_ =
      CreateWindowExW(0, kHostClass, L"Entry field test", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                      100, 100, 240, 140, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) throw std::runtime_error("cannot create the test window");
  font_ =
      CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
  a.Create(hwnd_, 101, {20, 20, 80, 42}, font_);
  b.Create(hwnd_, 102, {20, 50, 80, 72}, font_);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  UpdateWindow(hwnd_);
  Pump();
}

TestHost::~TestHost() {
  DestroyWindow(hwnd_);
  Pump();
  DeleteObject(font_);
}

void TestHost::Pump() {
  // Input from SendInput is queued before SendInput returns; two passes
  // also take what handling the first pass posted.
  for (int pass = 0; pass < 2; ++pass) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
}

void TestHost::Press(WORD virtualKey, Modifiers modifiers) {
  ambrelix::testing::SendKey(virtualKey, {.shift = modifiers.shift, .ctrl = modifiers.ctrl});
  Pump();
}

void TestHost::Type(std::string_view text) {
  for (char c : text) {
    const SHORT key = VkKeyScanW(static_cast<wchar_t>(c));
    if (key == -1) throw std::runtime_error("no key for a character");
    Press(LOBYTE(key), {.shift = (HIBYTE(key) & 1) != 0, .ctrl = (HIBYTE(key) & 2) != 0});
  }
}

void TestHost::LeftClick(HWND window, POINT client) {
  Click(window, client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Pump();
}

void TestHost::RightClick(HWND window, POINT client) {
  Click(window, client, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void TestHost::Click(HWND window, POINT client, DWORD down, DWORD up) {
  ClientToScreen(window, &client);
  ambrelix::testing::SendMouseClick(client, down, up);
}

LRESULT CALLBACK TestHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = ambrelix::testing::HostOf<TestHost>(hwnd, message, lParam);
  if (message == WM_NCCREATE) host->hwnd_ = hwnd;
  if (!host) return DefWindowProcW(hwnd, message, wParam, lParam);
  return host->HandleMessage(message, wParam, lParam);
}

LRESULT TestHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  for (NumericEditWindow* field : {&a, &b})
    if (field->ParentMessage(message, wParam, lParam, answer)) return answer;
  switch (message) {
    case WM_NEXTDLGCTL:
      // The dialog manager's Tab: a plain window moves the focus itself.
      SetFocus(GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0));
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) ++escapesReceived_;
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) ++escapesReceived_;
      break;
    case WM_CLOSE:
      ++closeRequests_;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void PutTextOnClipboard(std::u16string_view text) {
  if (!OpenClipboard(nullptr)) throw std::runtime_error("cannot open the clipboard");
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  auto* chars = static_cast<char16_t*>(GlobalLock(memory));
  std::memcpy(chars, text.data(), text.size() * sizeof(char16_t));
  chars[text.size()] = u'\0';
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::u16string ClipboardText() {
  std::u16string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

COLORREF ShownPixel(HWND window, int x, int y) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, bounds.left + x, bounds.top + y);
  ReleaseDC(nullptr, screen);
  return color;
}

void SaveScreenArea(HWND window, const std::string& path) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageBytes;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), imageBytes);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace ambrelix::ui::testing
