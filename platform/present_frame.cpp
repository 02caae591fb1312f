#include "platform/present_frame.h"

#include <algorithm>
#include <cstring>

namespace ml {

namespace {

// A shift of the frame by d along one axis: the shown part and the black band.
void planShift(int offset, int extent, bool vertical, PresentPlan& plan) {
  int d = std::min(offset < 0 ? -offset : offset, extent);
  int kept = extent - d;
  auto rect = [vertical](int from, int length) {
    return vertical ? Rect{0, from, kGameWidth, length} : Rect{from, 0, length, kGameHeight};
  };
  if (offset < 0) {
    plan.source = rect(d, kept);
    plan.target = rect(0, kept);
    plan.band = rect(kept, d);
  } else {
    plan.source = rect(0, kept);
    plan.target = rect(d, kept);
    plan.band = rect(0, d);
  }
  plan.drawFrame = kept > 0;
  plan.hasBand = d > 0;
}

}  // namespace

PresentPlan planPresent(const PresentRequest& request) {
  PresentPlan plan;
  if (request.pixels == nullptr || request.suppressed) return plan;
  if (request.shakeY != 0) {
    planShift(request.shakeY, kGameHeight, true, plan);
  } else if (request.shakeX != 0) {
    planShift(request.shakeX, kGameWidth, false, plan);
  } else if (request.zoom > 16) {
    // A zoom level past 256 would give no rectangle at all; keep one pixel.
    int w = std::max(1, kGameWidth - (kGameWidth * request.zoom) / 256);
    int h = std::max(1, kGameHeight - (kGameHeight * request.zoom) / 256);
    plan.drawFrame = true;
    plan.source = {kGameWidth / 2 - w / 2, kGameHeight / 2 - h / 2, w, h};
    plan.target = {0, 0, kGameWidth, kGameHeight};
  } else {
    plan.drawFrame = true;
    plan.source = plan.target = {0, 0, kGameWidth, kGameHeight};
  }
  return plan;
}

void renderPresent(const PresentRequest& request, std::vector<std::uint32_t>& out) {
  PresentPlan plan = planPresent(request);
  if (!plan.drawFrame && !plan.hasBand) return;
  out.assign(static_cast<size_t>(kGameWidth) * kGameHeight, 0xFF000000u);
  if (!plan.drawFrame) return;
  const std::uint32_t* src = request.pixels;
  const Rect& s = plan.source;
  const Rect& t = plan.target;
  for (int y = 0; y < t.height; ++y) {
    int sy = s.y + (s.height == t.height
                        ? y
                        : static_cast<int>(static_cast<long long>(y) * s.height / t.height));
    const std::uint32_t* srow = src + static_cast<size_t>(sy) * kGameWidth;
    std::uint32_t* drow = out.data() + static_cast<size_t>(t.y + y) * kGameWidth + t.x;
    if (s.width == t.width) {
      std::memcpy(drow, srow + s.x, static_cast<size_t>(t.width) * 4);
    } else {
      for (int x = 0; x < t.width; ++x)
        drow[x] = srow[s.x + static_cast<int>(static_cast<long long>(x) * s.width / t.width)];
    }
    for (int x = 0; x < t.width; ++x) drow[x] |= 0xFF000000u;  // the window shows no alpha
  }
}

Rect fitGameArea(int outW, int outH) {
  if (outW <= 0 || outH <= 0) return {0, 0, 0, 0};
  // Width limited by the height (pillar-box) or height by the width (letter-box).
  long long wByH = static_cast<long long>(outH) * kGameWidth / kGameHeight;
  Rect r;
  if (wByH <= outW) {
    r.width = static_cast<int>(wByH);
    r.height = outH;
  } else {
    r.width = outW;
    r.height = static_cast<int>(static_cast<long long>(outW) * kGameHeight / kGameWidth);
  }
  r.x = (outW - r.width) / 2;
  r.y = (outH - r.height) / 2;
  return r;
}

Rect placeGameArea(int outW, int outH, bool smooth) {
  const int n = outW > 0 && outH > 0 ? std::min(outW / kGameWidth, outH / kGameHeight) : 0;
  if (smooth || n < 1) return fitGameArea(outW, outH);
  Rect r{0, 0, kGameWidth * n, kGameHeight * n};
  r.x = (outW - r.width) / 2;
  r.y = (outH - r.height) / 2;
  return r;
}

bool wholeMultiple(const Rect& area) {
  return area.width > 0 && area.width % kGameWidth == 0 && area.height == area.width / kGameWidth * kGameHeight;
}

bool windowToGame(const Rect& area, int x, int y, int winW, int winH, int pixW, int pixH, int& gameX,
                  int& gameY) {
  if (winW <= 0 || winH <= 0) return false;
  const int px = static_cast<int>(static_cast<long long>(x) * pixW / winW);
  const int py = static_cast<int>(static_cast<long long>(y) * pixH / winH);
  return toGameArea(area, px, py, gameX, gameY);
}

bool toGameArea(const Rect& area, int x, int y, int& gameX, int& gameY) {
  if (area.empty() || !area.contains(x, y)) return false;
  gameX = static_cast<int>(static_cast<long long>(x - area.x) * kGameWidth / area.width);
  gameY = static_cast<int>(static_cast<long long>(y - area.y) * kGameHeight / area.height);
  return true;
}

}  // namespace ml
