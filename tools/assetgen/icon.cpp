// The program's icon: a pale crescent moon over a night-blue rounded square, with the
// band of a message window across its foot. Drawn by coverage at each size (4x4 samples
// per pixel), so the small sizes stay crisp instead of being shrunk from a large one.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/assetgen/generators.h"

namespace ml::tools {

namespace {

struct Rgba {
  double r, g, b, a;
};

// Straight-alpha "over" of one colour with coverage onto another.
Rgba over(Rgba dst, Rgba src) {
  double a = src.a + dst.a * (1 - src.a);
  if (a <= 0) return {0, 0, 0, 0};
  auto mix = [&](double s, double d) { return (s * src.a + d * dst.a * (1 - src.a)) / a; };
  return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), a};
}

bool inRoundedRect(double x, double y, double x0, double y0, double x1, double y1, double radius) {
  if (x < x0 || x > x1 || y < y0 || y > y1) return false;
  double cx = std::clamp(x, x0 + radius, x1 - radius);
  double cy = std::clamp(y, y0 + radius, y1 - radius);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

bool inCircle(double x, double y, double cx, double cy, double r) {
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// The icon's colour at a point of the unit square.
Rgba iconAt(double x, double y) {
  Rgba c{0, 0, 0, 0};
  if (!inRoundedRect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18)) return c;
  c = {0.11 + 0.22 * y, 0.12 + 0.08 * y, 0.32 + 0.18 * y, 1};
  // Stars.
  for (auto [sx, sy, sr] : {std::array<double, 3>{0.22, 0.22, 0.025}, {0.80, 0.30, 0.02}, {0.30, 0.55, 0.015}})
    if (inCircle(x, y, sx, sy, sr)) c = over(c, {1, 1, 0.9, 0.9});
  // The crescent: a disc with a smaller, offset disc taken out.
  if (inCircle(x, y, 0.50, 0.42, 0.27) && !inCircle(x, y, 0.61, 0.34, 0.23)) c = over(c, {0.99, 0.91, 0.62, 1});
  // The message window with two lines of text.
  if (inRoundedRect(x, y, 0.12, 0.70, 0.88, 0.88, 0.04)) {
    c = over(c, {1, 1, 1, 0.80});
    if ((inRoundedRect(x, y, 0.19, 0.745, 0.70, 0.775, 0.015)) || inRoundedRect(x, y, 0.19, 0.805, 0.55, 0.835, 0.015))
      c = over(c, {0.25, 0.22, 0.45, 1});
  }
  return c;
}

}  // namespace

RgbaImage drawAppIcon(int size) {
  RgbaImage img(size, size);
  constexpr int kSamples = 4;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          Rgba c = iconAt((x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size);
          // Premultiplied while averaging, so edges do not darken.
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      const double n = kSamples * kSamples;
      auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
      if (a <= 0) {
        img.set(x, y, 0, 0, 0, 0);
      } else {
        img.set(x, y, byte(r / a), byte(g / a), byte(b / a), byte(a / n));
      }
    }
  }
  return img;
}

}  // namespace ml::tools
