#include "form_host_win32.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace ambrelix::testing {

std::span<const std::uint8_t> DrawingPng() {
  static const std::vector<std::uint8_t> file = [] {
    std::ifstream in(AMBRELIX_RESOURCES "/drawing.png", std::ios::binary);
    if (!in) throw std::runtime_error("cannot read drawing.png");
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  return file;
}

FormHost::FormHost(std::span<const std::uint8_t> drawing, ui::TForm1Hooks hooks)
    : form(separators, errors, std::move(hooks), drawing) {
  form.Create(nullptr);
  form.Show(SW_SHOWNORMAL);
  SetForegroundWindow(form.hwnd());
  UpdateWindow(form.hwnd());
  Pump();
}

FormHost::~FormHost() { Pump(); }

void FormHost::Pump() {
  // Input from SendInput is queued before SendInput returns; two passes
  // also take what handling the first pass posted.
  for (int pass = 0; pass < 2; ++pass) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!form.hwnd() || !IsDialogMessageW(form.hwnd(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
}

void FormHost::Key(WORD virtualKey, Held held) {
  SendKey(virtualKey, held);
  Pump();
}

void FormHost::Type(std::string_view text) {
  for (char c : text) {
    SendText(std::string_view(&c, 1));
    Pump();
  }
}

void FormHost::Click(HWND window, POINT client) {
  SendClick(window, client);
  Pump();
}

void FormHost::ClickCentre(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  Click(window, {client.right / 2, client.bottom / 2});
}

void FormHost::Retype(ui::NumericEditWindow& field, std::string_view text) {
  SetFocus(field.hwnd());
  Pump();
  Type(text);
}

UserSeparatorsRestored::UserSeparatorsRestored() {
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_, 8);
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand_, 8);
}

UserSeparatorsRestored::~UserSeparatorsRestored() {
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_);
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand_);
}

void SetUserSeparators(const wchar_t* decimal, const wchar_t* thousand, HWND window) {
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal);
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand);
  SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
}

}  // namespace ambrelix::testing
