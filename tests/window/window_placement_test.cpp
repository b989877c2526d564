// Where a window is first shown: centred on the virtual desktop by its outer
// size, never left of or above the desktop.
#include "ui/window_placement.h"

#include <gtest/gtest.h>

namespace ambrelix::ui {
namespace {

struct PlacementCase {
  const char* desktop;
  DesktopRect rect;
  int width, height;
  WindowOrigin expected;
};

TEST(WindowPlacement, CentresOnTheDesktopAndNeverLeavesItsTopLeft) {
  const PlacementCase cases[] = {
      {"Wine's 1024 x 768 desktop, the calculator's outer size",
       {0, 0, 1024, 768},
       830,
       512,
       {97, 128}},
      {"each half is truncated on its own", {0, 0, 1024, 768}, 831, 513, {97, 128}},
      {"a second monitor left of the first", {-1280, 0, 3200, 1200}, 830, 512, {-95, 344}},
      {"a desktop smaller than the window", {0, 0, 640, 480}, 830, 512, {0, 0}},
      {"a desktop above the primary, smaller", {-100, -600, 800, 600}, 830, 512, {-100, -556}},
  };
  for (const PlacementCase& c : cases)
    EXPECT_EQ(CentredOrigin(c.rect, c.width, c.height), c.expected) << c.desktop;
}

}  // namespace
}  // namespace ambrelix::ui
