// Real keyboard input for the Wine tests: keys go through SendInput, so they
// reach whichever window has the focus by the platform's own route.
#pragma once

#include <windows.h>

namespace ambrelix::testing {

struct Held {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// A key pressed and released with modifiers held around it. Navigation keys
// go as extended keys, as a real keyboard's grey keys do.
void SendKey(WORD virtualKey, Held held = {});

}  // namespace ambrelix::testing
