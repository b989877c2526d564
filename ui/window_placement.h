// Where a window goes when it is first shown: centred on the virtual desktop
// (the rectangle around all monitors) by its outer size, frame included, but
// never left of or above the desktop's top-left corner. Portable, so the rule
// is tested natively; the Win32 side reads the desktop and moves the window.
#pragma once

#include <algorithm>

namespace ambrelix::ui {

struct DesktopRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct WindowOrigin {
  int left = 0;
  int top = 0;
  bool operator==(const WindowOrigin&) const = default;
};

// Each half is taken on its own and truncated toward zero, so an odd desktop
// and an odd window both lose their half pixel.
constexpr WindowOrigin CentredOrigin(DesktopRect desktop, int windowWidth, int windowHeight) {
  const int left = desktop.left + desktop.width / 2 - windowWidth / 2;
  const int top = desktop.top + desktop.height / 2 - windowHeight / 2;
  return {std::max(left, desktop.left), std::max(top, desktop.top)};
}

}  // namespace ambrelix::ui
