// Colour adjustments of a picture in place (tint and HSV shift); alpha is kept.
#include <cmath>
#include <cstdint>

#include "media/gfx/pixel_ops_internal.h"

namespace ml::pixel_detail {
namespace {

using std::int64_t;
using std::size_t;
using std::uint32_t;

// trunc((1 + percent/100) * v), done in integers so that no rounding of 1/100 creeps
// in; a negative factor gives 0 rather than wrapping.
uint32_t scaleChannel(uint32_t v, int percent) {
  int64_t r = (int64_t(100) + percent) * int64_t(v) / 100;
  return r < 0 ? 0 : (r > 255 ? 255 : uint32_t(r));
}

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

uint32_t hsvPixel(uint32_t pixel, int hueShift, int saturationPercent, int valuePercent) {
  const double r = double((pixel >> 16) & 0xFF) / 255.0;
  const double g = double((pixel >> 8) & 0xFF) / 255.0;
  const double b = double(pixel & 0xFF) / 255.0;

  const double v = std::fmax(r, std::fmax(g, b));
  const double m = std::fmin(r, std::fmin(g, b));
  const double delta = v - m;
  const double s = v != 0.0 ? delta / v : 0.0;
  double rc = 0.0, gc = 0.0, bc = 0.0;
  if (delta != 0.0) {
    rc = (v - r) / delta;
    gc = (v - g) / delta;
    bc = (v - b) / delta;
  }
  double h;
  if (v == r) {
    h = 60.0 * (bc - gc);
  } else if (v == g) {
    h = 60.0 * (2.0 + rc - bc);
  } else {
    h = 60.0 * (4.0 + gc - rc);
  }
  if (h < 0.0) h += 360.0;

  // Wrapped into 0..359 whatever the shift, so the sector below is always 0-5.
  int64_t hue = (int64_t(std::trunc(h)) + hueShift) % 360;
  if (hue < 0) hue += 360;

  const double s2 = clamp01(s + s * saturationPercent / 100.0);
  const double v2 = clamp01(v + v * valuePercent / 100.0);

  const double x = double(hue) / 60.0;
  const int i = int(x);
  const double f = x - i;
  const double p = v2 * (1.0 - s2);
  const double q = v2 * (1.0 - s2 * f);
  const double t = v2 * (1.0 - s2 * (1.0 - f));
  double ro, go, bo;
  switch (i) {
    case 0: ro = v2; go = t; bo = p; break;
    case 1: ro = q; go = v2; bo = p; break;
    case 2: ro = p; go = v2; bo = t; break;
    case 3: ro = p; go = q; bo = v2; break;
    case 4: ro = t; go = p; bo = v2; break;
    default: ro = v2; go = p; bo = q; break;
  }
  const uint32_t red = uint32_t(std::trunc(ro * 255.0));
  const uint32_t green = uint32_t(std::trunc(go * 255.0));
  const uint32_t blue = uint32_t(std::trunc(bo * 255.0));
  return (pixel & 0xFF000000u) | (red << 16) | (green << 8) | blue;
}

}  // namespace

void scaleRgbPercent(uint32_t* pixels, size_t count, int redPercent, int greenPercent,
                     int bluePercent) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    pixels[i] = (p & 0xFF000000u) | (scaleChannel((p >> 16) & 0xFF, redPercent) << 16) |
                (scaleChannel((p >> 8) & 0xFF, greenPercent) << 8) |
                scaleChannel(p & 0xFF, bluePercent);
  }
}

void adjustHsv(uint32_t* pixels, size_t count, int hueShift, int saturationPercent,
               int valuePercent) {
  for (size_t i = 0; i < count; ++i) {
    pixels[i] = hsvPixel(pixels[i], hueShift, saturationPercent, valuePercent);
  }
}

}  // namespace ml::pixel_detail
