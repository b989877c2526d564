// Real keyboard and mouse input for the Wine tests: it goes through
// SendInput, so it reaches its window by the platform's own route; and the
// plain host windows the tests put controls in.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace ambrelix::testing {

struct Held {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// A key pressed and released with modifiers held around it. Navigation keys
// go as extended keys, as a real keyboard's grey keys do.
void SendKey(WORD virtualKey, Held held = {});

// One mouse event at a point of the screen; `buttons` is 0 for a move or
// MOUSEEVENTF_LEFTDOWN and the like. Every event carries the position: the
// cursor may not have caught up with a move yet when a button event is taken.
INPUT MouseAt(POINT screen, DWORD buttons = 0);
void SendMouse(std::initializer_list<INPUT> events);
// A move to the point and a press and release there.
void SendMouseClick(POINT screen, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);

// Registers a host window class with the arrow cursor and the button face
// behind it; a class a test before registered is taken as it is.
void RegisterHostClass(const wchar_t* name, WNDPROC procedure);

// The object a host window was created for (its lpCreateParams), kept from
// WM_NCCREATE to WM_NCDESTROY; null outside that span.
template <class Host>
Host* HostOf(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return host;
}

}  // namespace ambrelix::testing
