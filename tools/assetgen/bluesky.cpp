// The three strips of the sky animation, 800x72 each (shown at y 200, 272 and 345).
// Each plays once: birds cross the first, a paper plane the second, and a ribbon of
// words the third; the last frame of each is empty, since the engine hides a strip
// when it reaches its last frame.
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

constexpr int kW = 800, kH = 72, kFrames = 64;

void bird(Canvas& c, float x, float y, float s, float flap) {
  float w = 14 * s, lift = (flap - 0.5f) * 10 * s;
  Shape left = Shape::line(x, y, x - w * 0.5f, y - lift - 2 * s, 2.2f * s) | Shape::line(x - w * 0.5f, y - lift - 2 * s, x - w, y - lift * 0.4f, 1.8f * s);
  Shape right = Shape::line(x, y, x + w * 0.5f, y - lift - 2 * s, 2.2f * s) | Shape::line(x + w * 0.5f, y - lift - 2 * s, x + w, y - lift * 0.4f, 1.8f * s);
  c.draw(left | right | Shape::ellipse(x, y + s, 3 * s, 2 * s), rgb(30, 40, 70, 0.9f));
}

std::vector<RgbaImage> birds() {
  std::vector<RgbaImage> frames;
  Rng rng(1401);
  struct B {
    float x0, y, s, phase, speed;
  };
  std::vector<B> flock;
  for (int i = 0; i < 9; ++i) flock.push_back({rng.range(-260, -20), rng.range(16, 58), rng.range(0.7f, 1.3f), rng.uniform(), rng.range(16, 20)});
  for (int f = 0; f < kFrames; ++f) {
    Canvas c(kW, kH);
    if (f + 1 < kFrames)
      for (const B& b : flock) {
        float x = b.x0 + f * b.speed;
        float flap = 0.5f + 0.5f * std::sin((f * 0.9f + b.phase * 6.28f));
        bird(c, x, b.y + 3 * std::sin(f * 0.2f + b.phase * 6.28f), b.s, flap);
      }
    frames.push_back(c.toImage());
  }
  return frames;
}

std::vector<RgbaImage> plane() {
  std::vector<RgbaImage> frames;
  for (int f = 0; f < kFrames; ++f) {
    Canvas c(kW, kH);
    if (f + 1 < kFrames) {
      float t = f / float(kFrames - 2);
      float x = -60 + t * 920, y = 40 + 18 * std::sin(t * 6.28f);
      float tilt = 0.3f * std::cos(t * 6.28f);
      // Trail of small sparkles behind the plane.
      for (int k = 1; k < 10; ++k) {
        float tt = t - k * 0.012f;
        float tx = -60 + tt * 920, ty = 40 + 18 * std::sin(tt * 6.28f);
        c.glow(Shape::circle(tx, ty, 2.0f), rgb(255, 255, 255, 0.6f * (1 - k / 10.0f)), 1.0f, 2);
      }
      auto rot = [&](float px, float py) {
        return Point{x + px * std::cos(tilt) - py * std::sin(tilt), y + px * std::sin(tilt) + py * std::cos(tilt)};
      };
      c.draw(Shape::polygon({rot(22, 0), rot(-18, -10), rot(-10, 0)}), rgb(255, 255, 255));
      c.draw(Shape::polygon({rot(22, 0), rot(-10, 0), rot(-18, 9)}), rgb(210, 220, 240));
      c.draw(Shape::line(rot(22, 0).x, rot(22, 0).y, rot(-12, 2).x, rot(-12, 2).y, 1.0f), rgb(150, 160, 190));
    }
    frames.push_back(c.toImage());
  }
  return frames;
}

std::vector<RgbaImage> ribbon(const TextPainter& text) {
  std::vector<RgbaImage> frames;
  // The words are lettered once and then slid and faded.
  Canvas words(kW, kH);
  TextStyleSpec spec;
  spec.face = "IPAPGothic";
  spec.height = 40;
  spec.style = 1;
  spec.tracking = 8;
  spec.fill = rgb(255, 255, 255);
  spec.glow = 10;
  spec.glowColour = rgb(140, 190, 255, 0.8f);
  spec.outline = 1.5f;
  spec.outlineColour = rgb(60, 100, 180, 0.9f);
  drawLabel(words, text, "BLUE  SKY", 400, 14, spec, true);
  RgbaImage lettered = words.toImage();
  for (int f = 0; f < kFrames; ++f) {
    Canvas c(kW, kH);
    if (f + 1 < kFrames) {
      float t = f / float(kFrames - 2);
      float in = smoothstep(0.0f, 0.3f, t), out = 1 - smoothstep(0.75f, 1.0f, t);
      float slide = (1 - in) * 120 - (1 - out) * 60;
      c.drawImage(lettered, slide, 0, 1.0f, in * out);
    }
    frames.push_back(c.toImage());
  }
  return frames;
}

}  // namespace

void makeBlueSky(GenContext& ctx) {
  ctx.sink.framesPsd("BlueSky1.psd", birds(), PsdCompression::Rle, "sky animation strip 1: birds crossing, 800x72, 64 frames");
  ctx.sink.framesPsd("BlueSky2.psd", plane(), PsdCompression::Rle, "sky animation strip 2: a paper plane, 800x72, 64 frames");
  ctx.sink.framesPsd("BlueSky3.psd", ribbon(ctx.text), PsdCompression::Rle, "sky animation strip 3: words, 800x72, 64 frames");
}

}  // namespace ml::tools
