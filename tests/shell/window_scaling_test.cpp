// The 800x600 frame in a window of any size: where it lands, how it is sampled, and
// where the mouse hits in game coordinates.
#include <gtest/gtest.h>

#include "platform/present_frame.h"
#include "shell_fixture.h"

namespace ml::test {
namespace {

struct PlaceCase {
  int w, h;
  bool smooth;
  Rect want;
  bool whole;
};

TEST(WindowScaling, FrameKeepsItsAspectWithBars) {
  const PlaceCase cases[] = {
      {800, 600, false, {0, 0, 800, 600}, true},
      {800, 600, true, {0, 0, 800, 600}, true},
      {1600, 1200, false, {0, 0, 1600, 1200}, true},
      {1000, 700, false, {100, 50, 800, 600}, true},     // sharp: 1x centred
      {1000, 700, true, {33, 0, 933, 700}, false},       // smooth: fills the height
      {1920, 1080, false, {560, 240, 800, 600}, true},   // 2x does not fit 1080 rows
      {1920, 1080, true, {240, 0, 1440, 1080}, false},
      {2560, 1800, false, {80, 0, 2400, 1800}, true},    // 3x
      {640, 480, false, {0, 0, 640, 480}, false},        // smaller than 1x: smooth anyway
      {400, 600, false, {0, 150, 400, 300}, false},
  };
  for (const PlaceCase& c : cases) {
    Rect r = placeGameArea(c.w, c.h, c.smooth);
    EXPECT_EQ((std::array<int, 4>{r.x, r.y, r.width, r.height}),
              (std::array<int, 4>{c.want.x, c.want.y, c.want.width, c.want.height}))
        << c.w << "x" << c.h << (c.smooth ? " smooth" : " sharp");
    EXPECT_EQ(wholeMultiple(r), c.whole) << c.w << "x" << c.h;
  }
}

struct MouseCase {
  int winW, winH, pixW, pixH;
  bool smooth;
  int x, y;
  bool inside;
  int gx, gy;
};

TEST(WindowScaling, MouseMapsToTheGameArea) {
  const MouseCase cases[] = {
      {800, 600, 800, 600, false, 400, 300, true, 400, 300},
      {1600, 1200, 1600, 1200, false, 1599, 1199, true, 799, 599},
      {1600, 1200, 1600, 1200, false, 200, 100, true, 100, 50},
      {1000, 700, 1000, 700, false, 100, 50, true, 0, 0},        // the area's corner
      {1000, 700, 1000, 700, false, 99, 300, false, 0, 0},       // in the left bar
      {1000, 700, 1000, 700, true, 33 + 466, 350, true, 399, 300},
      {1000, 700, 1000, 700, true, 20, 350, false, 0, 0},
      // HiDPI: 800x600 units drawn as 1600x1200 pixels.
      {800, 600, 1600, 1200, false, 400, 300, true, 400, 300},
      {800, 600, 1600, 1200, false, 799, 599, true, 799, 599},
  };
  for (const MouseCase& c : cases) {
    Rect area = placeGameArea(c.pixW, c.pixH, c.smooth);
    int gx = 0, gy = 0;
    bool inside = windowToGame(area, c.x, c.y, c.winW, c.winH, c.pixW, c.pixH, gx, gy);
    EXPECT_EQ(inside, c.inside) << c.winW << "x" << c.winH << " at " << c.x << "," << c.y;
    if (inside && c.inside) {
      EXPECT_EQ(gx, c.gx) << c.winW << "x" << c.winH << " at " << c.x << "," << c.y;
      EXPECT_EQ(gy, c.gy) << c.winW << "x" << c.winH << " at " << c.x << "," << c.y;
    }
  }
}

// The scaling choice and the window size survive in the settings file next to the
// other keys, and the settings writer keeps them.
TEST(WindowScaling, ChoiceAndSizeAreRemembered) {
  HeadlessGame g;
  g.dir.write("mirelune.ini", "[Screen]\r\nSmooth=1\r\nWidth=1000\r\nHeight=720\r\n");
  Application& a = g.start();
  EXPECT_TRUE(a.menus().item("MnSmoothScale").checked);
  a.menus().item("MnSmoothScale").onClick();
  EXPECT_FALSE(a.menus().item("MnSmoothScale").checked);
  a.shutdown();
  const std::string ini = g.dir.read("mirelune.ini");
  EXPECT_NE(ini.find("Smooth=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[Display]"), std::string::npos);
}

}  // namespace
}  // namespace ml::test
