// How one composed 800x600 frame lands in the game area: the shake bands, the zoom
// stretch and the paint suppression, worked out once for the window and for the
// headless platform (which keeps the frame as the window would show it).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/rect.h"

namespace ml {

constexpr int kGameWidth = 800;
constexpr int kGameHeight = 600;

struct PresentPlan {
  bool drawFrame = false;  // false: nothing is taken from the frame
  Rect source;             // part of the frame
  Rect target;             // where it goes in the game area (stretched when sizes differ)
  bool hasBand = false;    // a black band beside a shaken frame
  Rect band;
};

PresentPlan planPresent(const PresentRequest& request);

// Renders the request into an 800x600 picture as the window shows it (nearest-pixel
// stretch for the zoom), opaque. Leaves `out` untouched when nothing is drawn.
void renderPresent(const PresentRequest& request, std::vector<std::uint32_t>& out);

// The largest 4:3 rectangle centred in an outW x outH output (full screen's black bars).
Rect fitGameArea(int outW, int outH);

// Where the frame goes in an outW x outH output: sharp scaling takes the largest whole
// multiple of 800x600 that fits (nearest-pixel, no blur), or fitGameArea when not even
// 1x fits; smooth scaling always fills as much as the aspect allows.
Rect placeGameArea(int outW, int outH, bool smooth);
// Whether an area is a whole multiple of the frame (drawn with nearest-pixel sampling).
bool wholeMultiple(const Rect& area);
// A window position (in the window system's units) in game coordinates when the window
// is winW x winH units and its output pixW x pixH pixels (HiDPI: more pixels than
// units); false outside the game area.
bool windowToGame(const Rect& area, int x, int y, int winW, int winH, int pixW, int pixH, int& gameX,
                  int& gameY);

// Maps an output position into game-area coordinates; false when it lies outside the
// game area (in a bar, or over the menu bar).
bool toGameArea(const Rect& area, int x, int y, int& gameX, int& gameY);

}  // namespace ml
