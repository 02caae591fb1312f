#include "tools/assetgen/scenery.h"

#include <algorithm>
#include <cmath>

namespace ml::tools {

float smoothstep(float e0, float e1, float x) {
  float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

Paint skyPaint(float horizon, std::vector<Stop> stops) {
  return Paint::linear(0, 0, 0, horizon, std::move(stops));
}

void drawClouds(Canvas& c, std::uint32_t seed, float yTop, float yBottom, float amount, Colour lit,
                Colour shadow, float scale, bool litFromBelow) {
  float band = yBottom - yTop;
  Paint paint = Paint::custom([=](float x, float y) {
    float v = (y - yTop) / band;                        // 0 at the top of the band
    float envelope = smoothstep(0.0f, 0.25f, v) * smoothstep(1.0f, 0.6f, v);
    float squash = litFromBelow ? 0.28f : 0.55f;  // dusk clouds lie in long flat banks
    float n = fractalNoise(x / scale, y / (scale * squash), 5, seed);
    float density = smoothstep(1.0f - amount, 1.0f - amount + 0.18f, n * envelope + 0.25f * envelope);
    if (density <= 0) return Colour{0, 0, 0, 0};
    // Light falls from one side: compare with the density a little towards the light.
    float ly = litFromBelow ? y + 10 : y - 10;
    float n2 = fractalNoise(x / scale, ly / (scale * squash), 5, seed);
    float light = std::clamp(0.55f + (n - n2) * (litFromBelow ? 2.0f : 4.0f), 0.0f, 1.0f);
    if (litFromBelow) light = std::clamp(light * 0.6f + 0.5f * smoothstep(0.3f, 1.0f, v), 0.0f, 1.0f);
    Colour col = mix(shadow, lit, light);
    col.a = density * 0.95f;
    return col;
  });
  c.draw(Shape::rect(0, yTop, static_cast<float>(c.width()), yBottom), paint);
}

void drawStreaks(Canvas& c, std::uint32_t seed, float yTop, float yBottom, Colour colour, float amount) {
  Paint paint = Paint::custom([=](float x, float y) {
    float n = fractalNoise(x / 260.0f, y / 14.0f, 4, seed);
    float v = (y - yTop) / (yBottom - yTop);
    float a = smoothstep(0.55f, 0.8f, n) * std::sin(3.14159f * std::clamp(v, 0.0f, 1.0f)) * amount;
    return withAlpha(colour, a);
  });
  c.draw(Shape::rect(0, yTop, static_cast<float>(c.width()), yBottom), paint);
}

void drawStars(Canvas& c, std::uint32_t seed, int count, float yMax, float brightness) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    float x = rng.range(0, static_cast<float>(c.width()));
    float y = rng.range(0, yMax);
    float b = rng.uniform();
    b = b * b * b;  // mostly faint, a few bright
    float fade = 1.0f - smoothstep(yMax * 0.5f, yMax, y) * 0.8f;
    float tint = rng.uniform();
    Colour col = tint < 0.2f ? rgb(255, 220, 190) : (tint < 0.4f ? rgb(200, 220, 255) : rgb(255, 255, 255));
    float a = (0.35f + 0.65f * b) * fade * brightness;
    c.glow(Shape::circle(x, y, 0.5f + b * 1.1f), withAlpha(col, a), 1.0f, 1.0f);
    if (b > 0.45f) c.glow(Shape::circle(x, y, 3 + 4 * b), withAlpha(col, a * 0.2f), 1.0f, 5.0f);
    if (b > 0.8f) {
      c.glow(Shape::line(x - 6 * b, y, x + 6 * b, y, 0.5f), withAlpha(col, a * 0.45f), 1.0f, 1.5f);
      c.glow(Shape::line(x, y - 6 * b, x, y + 6 * b, 0.5f), withAlpha(col, a * 0.45f), 1.0f, 1.5f);
    }
  }
}

void drawMoon(Canvas& c, float cx, float cy, float r, float halo) {
  if (halo > 0) {
    c.glow(Shape::circle(cx, cy, r * 5), Paint::radial(cx, cy, r * 5, {{0.15f, rgb(200, 215, 255, 0.35f * halo)},
                                                                         {1.0f, rgb(120, 140, 220, 0.0f)}}),
           1.0f, 2.0f);
    c.glow(Shape::circle(cx, cy, r * 1.8f), Paint::radial(cx, cy, r * 1.8f, {{0.5f, rgb(255, 250, 230, 0.45f * halo)},
                                                                              {1.0f, rgb(255, 250, 230, 0.0f)}}),
           1.0f, 2.0f);
  }
  c.draw(Shape::circle(cx, cy, r),
         Paint::radial(cx - r * 0.3f, cy - r * 0.3f, r * 1.5f, {{0, rgb(255, 253, 240)}, {1, rgb(232, 226, 200)}}));
  // Maria: soft darker patches clipped to the disc.
  Shape disc = Shape::circle(cx, cy, r);
  const float spots[][3] = {{-0.3f, -0.2f, 0.32f}, {0.25f, 0.1f, 0.25f}, {-0.05f, 0.35f, 0.2f}, {0.35f, -0.35f, 0.12f}};
  for (const auto& s : spots)
    c.draw(Shape::circle(cx + s[0] * r, cy + s[1] * r, s[2] * r) & disc, rgb(190, 185, 165, 0.45f), 1.0f,
           std::max(1.0f, r * 0.12f));
}

void drawSun(Canvas& c, float cx, float cy, float r, Colour core, Colour glow) {
  c.glow(Shape::circle(cx, cy, r * 8), Paint::radial(cx, cy, r * 8, {{0, withAlpha(glow, 0.6f)}, {1, withAlpha(glow, 0)}}),
         1.0f, 2.0f);
  c.draw(Shape::circle(cx, cy, r), core, 1.0f, 2.0f);
}

void drawHills(Canvas& c, std::uint32_t seed, float baseY, float amplitude, const Paint& paint, float wave) {
  std::vector<Point> pts;
  float w = static_cast<float>(c.width()), h = static_cast<float>(c.height());
  for (float x = -20; x <= w + 20; x += 8) {
    float n = fractalNoise(x / wave, 0.5f, 3, seed);
    pts.push_back({x, baseY - (n - 0.3f) * amplitude});
  }
  pts.push_back({w + 20, h + 10});
  pts.push_back({-20, h + 10});
  c.draw(Shape::polygon(pts), paint);
}

void drawTree(Canvas& c, std::uint32_t seed, float x, float groundY, float height, Colour leaf, Colour trunk,
              Colour light) {
  Rng rng(seed);
  float tw = height * 0.07f;
  c.draw(Shape::polygon({{x - tw, groundY}, {x + tw, groundY}, {x + tw * 0.6f, groundY - height * 0.55f},
                         {x - tw * 0.6f, groundY - height * 0.55f}}),
         Paint::linear(x - tw, 0, x + tw, 0, {{0, shade(trunk, 1.2f)}, {1, shade(trunk, 0.7f)}}));
  float top = groundY - height;
  float crownY = top + height * 0.35f, crownR = height * 0.34f;
  // The crown is a cluster of round blobs, shaded darker towards the bottom right.
  for (int i = 0; i < 14; ++i) {
    float a = rng.range(0, 6.2832f), d = rng.range(0, crownR * 0.65f);
    float bx = x + std::cos(a) * d * 1.1f, by = crownY + std::sin(a) * d * 0.8f;
    float br = rng.range(crownR * 0.35f, crownR * 0.6f);
    c.draw(Shape::circle(bx, by, br),
           Paint::radial(bx - br * 0.4f, by - br * 0.5f, br * 1.6f, {{0, light}, {0.45f, leaf}, {1, shade(leaf, 0.55f)}}),
           1.0f, 1.5f);
  }
}

void drawHouses(Canvas& c, std::uint32_t seed, float x0, float x1, float groundY, float minH, float maxH,
                Colour wall, Colour roof, float windowLight) {
  Rng rng(seed);
  float x = x0;
  while (x < x1) {
    float w = rng.range(70, 140), h = rng.range(minH, maxH);
    float top = groundY - h;
    Colour wc = shade(wall, rng.range(0.85f, 1.1f));
    c.draw(Shape::rect(x, top, x + w, groundY), Paint::linear(0, top, 0, groundY, {{0, shade(wc, 1.1f)}, {1, shade(wc, 0.8f)}}));
    // Roof: a gable, or a flat parapet.
    if (rng.uniform() < 0.65f) {
      float rh = rng.range(18, 34);
      c.draw(Shape::polygon({{x - 6, top + 2}, {x + w / 2, top - rh}, {x + w + 6, top + 2}}), roof);
    } else {
      c.draw(Shape::rect(x - 3, top - 6, x + w + 3, top + 2), shade(roof, 0.9f));
    }
    // Windows in a grid.
    int cols = std::max(1, static_cast<int>(w / 34)), rows = std::max(1, static_cast<int>((h - 30) / 38));
    for (int r = 0; r < rows; ++r)
      for (int k = 0; k < cols; ++k) {
        float wx = x + 12 + k * (w - 24) / cols, wy = top + 16 + r * 38;
        float ww = (w - 24) / cols - 10, wh = 20;
        if (wy + wh > groundY - 8) continue;
        bool on = windowLight > 0 && rng.uniform() < 0.6f;
        if (on) {
          Colour warm = rng.uniform() < 0.7f ? rgb(255, 200, 120) : rgb(255, 235, 190);
          c.glow(Shape::rect(wx - 6, wy - 6, wx + ww + 6, wy + wh + 6), withAlpha(warm, 0.25f * windowLight), 1.0f, 8.0f);
          c.draw(Shape::rect(wx, wy, wx + ww, wy + wh), withAlpha(warm, windowLight));
        } else {
          c.draw(Shape::rect(wx, wy, wx + ww, wy + wh), shade(wc, 0.6f));
        }
      }
    x += w + rng.range(-4, 10);
  }
}

void drawStreetLamp(Canvas& c, float x, float groundY, float height, Colour pole, bool lit) {
  float top = groundY - height;
  c.draw(Shape::rect(x - 3, top, x + 3, groundY), pole);
  c.draw(Shape::line(x, top + 2, x + 22, top - 4, 4), pole);
  c.draw(Shape::rect(x + 14, top - 6, x + 34, top + 2, 2), shade(pole, 0.8f));
  if (lit) {
    c.glow(Shape::circle(x + 24, top + 2, 60), Paint::radial(x + 24, top + 2, 60, {{0, rgb(255, 220, 150, 0.55f)}, {1, rgb(255, 200, 120, 0)}}),
           1.0f, 2.0f);
    c.draw(Shape::rect(x + 16, top + 1, x + 32, top + 4, 1), rgb(255, 245, 210));
    // A cone of light on the ground.
    c.glow(Shape::ellipse(x + 24, groundY + 4, 60, 12), rgb(255, 210, 140, 0.35f), 1.0f, 14.0f);
  }
}

void drawWire(Canvas& c, float x0, float y0, float x1, float y1, float sag, Colour colour, float width) {
  const int steps = 24;
  float px = x0, py = y0;
  for (int i = 1; i <= steps; ++i) {
    float t = static_cast<float>(i) / steps;
    float x = x0 + (x1 - x0) * t;
    float y = y0 + (y1 - y0) * t + sag * 4 * t * (1 - t);
    c.draw(Shape::line(px, py, x, y, width), colour);
    px = x;
    py = y;
  }
}

void drawSea(Canvas& c, std::uint32_t seed, float horizonY, Colour far, Colour near, float reflectX, Colour glitter,
             float glitterAmount) {
  float h = static_cast<float>(c.height()), w = static_cast<float>(c.width());
  c.draw(Shape::rect(0, horizonY, w, h), Paint::custom([=](float x, float y) {
           float t = (y - horizonY) / (h - horizonY);
           float wave = fractalNoise(x / 90.0f, (y - horizonY) * (y - horizonY) / 900.0f + y / 6.0f, 3, seed);
           Colour col = mix(far, near, std::pow(t, 0.7f));
           return shade(col, 0.9f + 0.25f * wave);
         }));
  Rng rng(seed + 1);
  int count = static_cast<int>(900 * glitterAmount);
  for (int i = 0; i < count; ++i) {
    float t = rng.uniform();
    float y = horizonY + 2 + t * t * (h - horizonY);
    float spread = 12 + (y - horizonY) * 0.5f;
    float x = reflectX + (rng.uniform() + rng.uniform() - 1.0f) * spread;
    float len = 2 + (y - horizonY) * 0.06f * rng.range(0.5f, 1.5f);
    float a = glitterAmount * rng.range(0.25f, 0.9f) * (1.0f - std::fabs(x - reflectX) / (spread + 1));
    c.glow(Shape::ellipse(x, y, len, 0.6f + (y - horizonY) * 0.006f), withAlpha(glitter, a), 1.0f, 1.2f);
  }
}

}  // namespace ml::tools
