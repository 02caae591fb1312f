#include "tools/assetgen/ui_style.h"

#include <cmath>

#include "tools/assetgen/scenery.h"

namespace ml::tools::ui {

const Colour kInk = rgb(10, 14, 36);
const Colour kPanel = rgb(22, 30, 70);
const Colour kSilver = rgb(200, 210, 235);
const Colour kGold = rgb(240, 204, 120);
const Colour kText = rgb(236, 240, 252);
const Colour kGlow = rgb(150, 190, 255);

namespace {
const char* kFace = "IPAPGothic";
}

void panel(Canvas& c, float x0, float y0, float x1, float y1, float radius, float opacity, Colour body) {
  Shape s = Shape::rect(x0, y0, x1, y1, radius);
  c.draw(s, Paint::linear(0, y0, 0, y1, {{0, shade(body, 1.35f)}, {0.08f, body}, {1, shade(body, 0.55f)}}), opacity);
  // A faint sheen across the upper part.
  c.draw(Shape::rect(x0 + 3, y0 + 3, x1 - 3, y0 + (y1 - y0) * 0.35f, std::max(radius - 3, 0.0f)) & s,
         Paint::linear(0, y0, 0, y0 + (y1 - y0) * 0.35f, {{0, rgb(255, 255, 255, 0.12f)}, {1, rgb(255, 255, 255, 0)}}));
  rim(c, x0, y0, x1, y1, radius);
}

void rim(Canvas& c, float x0, float y0, float x1, float y1, float radius, Colour colour) {
  Shape outer = Shape::rect(x0, y0, x1, y1, radius);
  c.draw(outer - outer.grown(-1.6f), colour);
  Shape inner = Shape::rect(x0 + 4, y0 + 4, x1 - 4, y1 - 4, std::max(radius - 4, 0.0f));
  c.draw(inner - inner.grown(-0.8f), withAlpha(colour, 0.45f));
  for (float x : {x0 + radius * 0.3f + 2, x1 - radius * 0.3f - 2})
    for (float y : {y0 + radius * 0.3f + 2, y1 - radius * 0.3f - 2})
      c.draw(Shape::polygon({{x, y - 3.5f}, {x + 3.5f, y}, {x, y + 3.5f}, {x - 3.5f, y}}), colour);
}

Shape crescent(float cx, float cy, float r) {
  return Shape::circle(cx, cy, r) - Shape::circle(cx + r * 0.42f, cy - r * 0.22f, r * 0.86f);
}

void button(Canvas& c, const TextPainter& text, float x0, float y0, float x1, float y1, int state,
            const Caption& caption) {
  float r = std::min(8.0f, (y1 - y0) / 2);
  Shape s = Shape::rect(x0, y0, x1, y1, r);
  Colour body = state == 2 ? rgb(120, 96, 40) : (state == 1 ? rgb(46, 70, 140) : rgb(24, 32, 74));
  if (state == 1) c.glow(s.grown(3), withAlpha(kGlow, 0.5f), 1.0f, 6.0f);
  c.draw(s, Paint::linear(0, y0, 0, y1, {{0, shade(body, 1.5f)}, {0.5f, body}, {1, shade(body, 0.7f)}}), 0.92f);
  Colour edge = state == 2 ? kGold : (state == 1 ? rgb(230, 240, 255) : kSilver);
  c.draw(s - s.grown(-1.3f), edge);
  Colour ink = state == 2 ? rgb(255, 244, 210) : kText;
  TextStyleSpec spec;
  spec.face = kFace;
  spec.height = caption.size;
  spec.style = caption.bold ? 1 : 0;
  spec.fill = ink;
  spec.shadow = 2;
  spec.shadowColour = rgb(0, 0, 20, 0.7f);
  if (state == 1) {
    spec.glow = 4;
    spec.glowColour = withAlpha(kGlow, 0.6f);
  }
  float ty = (y0 + y1) / 2 - caption.size / 2.0f - 1;
  drawLabel(c, text, caption.text, (x0 + x1) / 2, ty, spec, true);
}

int label(Canvas& c, const TextPainter& text, const std::string& s, float x, float y, int size, Colour colour,
          bool centred, bool bold) {
  TextStyleSpec spec;
  spec.face = kFace;
  spec.height = size;
  spec.style = bold ? 1 : 0;
  spec.fill = colour;
  spec.shadow = 2;
  spec.shadowColour = rgb(0, 0, 16, 0.75f);
  return drawLabel(c, text, s, x, y, spec, centred);
}

int heading(Canvas& c, const TextPainter& text, const std::string& s, float x, float y, int size, bool centred) {
  TextStyleSpec spec;
  spec.face = kFace;
  spec.height = size;
  spec.style = 1;
  spec.tracking = size * 0.06f;
  Paint gradient = Paint::linear(0, y, 0, y + size, {{0, rgb(255, 255, 255)}, {1, rgb(190, 210, 255)}});
  spec.paint = &gradient;
  spec.glow = size * 0.25f;
  spec.glowColour = rgb(120, 160, 255, 0.55f);
  spec.shadow = 3;
  return drawLabel(c, text, s, x, y, spec, centred);
}

std::vector<RgbaImage> stateFrames(int width, int height, const std::function<void(Canvas&, int)>& f, int states) {
  std::vector<RgbaImage> frames;
  for (int s = 0; s < states; ++s) {
    Canvas c(width, height);
    f(c, s);
    frames.push_back(c.toImage());
  }
  return frames;
}

Canvas screenBackground(Colour top, Colour bottom, std::uint32_t seed) {
  Canvas c(800, 600, Paint::linear(0, 0, 0, 600, {{0, top}, {1, bottom}}));
  drawStars(c, seed, 160, 600, 0.6f);
  Rng rng(seed + 1);
  for (int i = 0; i < 12; ++i) {
    float x = rng.range(0, 800), y = rng.range(0, 600), r = rng.range(60, 180);
    c.glow(Shape::circle(x, y, r), Paint::radial(x, y, r, {{0, rgb(120, 150, 255, 0.08f)}, {1, rgb(120, 150, 255, 0)}}), 1.0f, 2);
  }
  c.glow(crescent(720, 520, 160), rgb(200, 210, 255, 0.06f), 1.0f, 4);
  c.grain(0.015f, seed + 2);
  return c;
}

}  // namespace ml::tools::ui
