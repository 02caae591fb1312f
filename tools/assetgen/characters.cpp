// Character sprites: three stylised figures (upper body), each in four expressions.
// Every sprite is a layered picture whose layers are animation frames: a blink that
// plays once when the sprite appears and ends on open eyes (the engine holds the last
// frame). One extra sprite per character cycles a talking mouth for looping
// animation.
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"

namespace ml::tools {
namespace {

constexpr int kW = 400, kH = 600;

enum class Hair { Long, TwinTails, Short };
enum class Outfit { Sailor, Cardigan, Gakuran };
enum class Expression { Normal, Smile, Sad, Surprised };
enum class Eyes { Open, Half, Closed };
enum class Mouth { Expression, Closed, HalfOpen, Open };

struct Character {
  const char* prefix;
  const char* name;
  Hair hair;
  Outfit outfit;
  Colour hairColour;
  Colour eyeColour;
  Colour outfitColour;
  Colour accent;
  bool feminine;
  float headY;  // height differences between the figures
};

const Colour kSkin = rgb(255, 234, 218);
const Colour kSkinShade = rgb(238, 198, 184);
const Colour kLine = rgb(70, 44, 52);

Point P(float x, float y) { return {x, y}; }

// Mirror points around the sprite's centre line.
std::vector<Point> mirrored(std::vector<Point> pts) {
  for (Point& p : pts) p.x = kW - p.x;
  return pts;
}

std::vector<Point> shifted(std::vector<Point> pts, float dy) {
  for (Point& p : pts) p.y += dy;
  return pts;
}

// A filled part with a dark outline around it.
void part(Canvas& c, const Shape& s, const Paint& fill, float outline = 1.6f, Colour line = kLine) {
  if (outline > 0) c.draw(s.grown(outline), line);
  c.draw(s, fill);
}

// A smooth stroke through the points.
void stroke(Canvas& c, const std::vector<Point>& pts, float width, Colour colour) {
  if (pts.size() < 2) return;
  std::vector<Point> dense;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    const Point& a = pts[i == 0 ? 0 : i - 1];
    const Point& b = pts[i];
    const Point& d = pts[i + 1];
    const Point& e = pts[i + 2 < pts.size() ? i + 2 : i + 1];
    for (int s = 0; s < 6; ++s) {
      float t = s / 6.0f, t2 = t * t, t3 = t2 * t;
      auto cr = [&](float pa, float pb, float pc, float pd) {
        return 0.5f * (2 * pb + (-pa + pc) * t + (2 * pa - 5 * pb + 4 * pc - pd) * t2 + (-pa + 3 * pb - 3 * pc + pd) * t3);
      };
      dense.push_back({cr(a.x, b.x, d.x, e.x), cr(a.y, b.y, d.y, e.y)});
    }
  }
  dense.push_back(pts.back());
  Shape s = Shape::line(dense[0].x, dense[0].y, dense[1].x, dense[1].y, width);
  for (std::size_t i = 1; i + 1 < dense.size(); ++i)
    s = s | Shape::line(dense[i].x, dense[i].y, dense[i + 1].x, dense[i + 1].y, width);
  c.draw(s, colour);
}

Paint hairPaint(const Character& ch, float top, float bottom) {
  Colour h = ch.hairColour;
  float cy = 190 + ch.headY;
  return Paint::custom([h, top, bottom, cy](float x, float y) {
    float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
    // Soft strands and a ring of sheen that follows the round of the head.
    float strands = 0.92f + 0.08f * std::sin(x / 5.0f + std::sin(y / 40.0f) * 2.0f);
    float r = std::sqrt((x - 200) * (x - 200) + (y - cy) * (y - cy));
    float sheen = y < cy - 40 ? std::exp(-std::pow((r - 96) / 7.0f, 2.0f)) * 0.3f : 0.0f;
    Colour col = shade(h, (1.15f - 0.4f * t) * strands);
    return mix(col, rgb(255, 255, 255), sheen);
  });
}

void drawBackHair(Canvas& c, const Character& ch, float dy) {
  Paint paint = hairPaint(ch, 70 + dy, 500 + dy);
  switch (ch.hair) {
    case Hair::Long:
      part(c, Shape::smooth(shifted({P(118, 150), P(150, 86), P(200, 70), P(250, 86), P(282, 150), P(298, 270), P(318, 430),
                                     P(300, 500), P(262, 470), P(244, 300), P(156, 300), P(138, 470), P(100, 500), P(82, 430),
                                     P(102, 270)}, dy)),
           paint);
      break;
    case Hair::TwinTails:
      for (int side = 0; side < 2; ++side) {
        std::vector<Point> tail = {P(130, 120), P(104, 140), P(84, 220), P(70, 330), P(82, 440), P(60, 520),
                                   P(104, 470), P(118, 360), P(126, 240), P(146, 150)};
        if (side) tail = mirrored(tail);
        part(c, Shape::smooth(shifted(tail, dy)), paint);
      }
      part(c, Shape::smooth(shifted({P(128, 160), P(150, 90), P(200, 74), P(250, 90), P(272, 160), P(262, 240), P(138, 240)}, dy)),
           paint);
      break;
    case Hair::Short:
      part(c, Shape::smooth(shifted({P(128, 170), P(140, 96), P(200, 70), P(260, 96), P(272, 170), P(262, 236), P(138, 236)}, dy)),
           paint);
      break;
  }
}

void drawBody(Canvas& c, const Character& ch, float dy) {
  // Neck with the chin's shadow.
  part(c, Shape::rect(182, 230 + dy, 218, 300 + dy, 6),
       Paint::linear(0, 236 + dy, 0, 280 + dy, {{0, kSkinShade}, {0.5f, kSkinShade}, {0.55f, kSkin}, {1, kSkin}}));
  float shoulder = ch.feminine ? 92 : 108;
  std::vector<Point> torso = {P(200 - shoulder + 24, 290), P(170, 278), P(200, 284), P(230, 278), P(200 + shoulder - 24, 290),
                              P(200 + shoulder, 330), P(200 + shoulder + 8, 460), P(200 + shoulder + 14, 620),
                              P(200 - shoulder - 14, 620), P(200 - shoulder - 8, 460), P(200 - shoulder, 330)};
  Colour base = ch.outfitColour;
  Paint cloth = Paint::custom([base](float x, float y) {
    float light = 1.08f - 0.22f * std::clamp((x - 110) / 200.0f, 0.0f, 1.0f) - 0.1f * std::clamp((y - 300) / 300.0f, 0.0f, 1.0f);
    float folds = 1.0f - 0.05f * std::max(0.0f, std::sin(x / 14.0f + y / 60.0f));
    return shade(base, light * folds);
  });
  part(c, Shape::smooth(shifted(torso, dy), 6), cloth);
  // Arms hang at the sides; the fold between arm and body is a soft line.
  for (int side = 0; side < 2; ++side) {
    float s = side ? 1.0f : -1.0f;
    float ax = 200 + s * (shoulder - 6);
    stroke(c, {P(ax, 340 + dy), P(ax + s * 4, 460 + dy), P(ax + s * 2, 600 + dy)}, 2.2f, withAlpha(shade(base, 0.55f), 0.8f));
  }
  switch (ch.outfit) {
    case Outfit::Sailor: {
      Colour navy = rgb(40, 52, 110);
      std::vector<Point> collar = {P(134, 286), P(168, 280), P(200, 372), P(232, 280), P(266, 286), P(300, 318),
                                   P(200, 430), P(100, 318)};
      part(c, Shape::polygon(shifted(collar, dy)), Paint::linear(0, 280 + dy, 0, 430 + dy, {{0, shade(navy, 1.2f)}, {1, navy}}));
      for (int k = 0; k < 2; ++k) {
        float o = 10.0f + k * 7;
        stroke(c, {P(112 + o * 0.6f, 320 + dy), P(200, 420 - o + dy), P(288 - o * 0.6f, 320 + dy)}, 1.6f, rgb(240, 240, 250));
      }
      // Ribbon at the collar's point.
      Colour red = ch.accent;
      part(c, Shape::polygon(shifted({P(200, 392), P(168, 378), P(172, 412)}, dy)), red, 1.2f);
      part(c, Shape::polygon(shifted({P(200, 392), P(232, 378), P(228, 412)}, dy)), red, 1.2f);
      part(c, Shape::polygon(shifted({P(196, 396), P(184, 452), P(196, 446)}, dy)), shade(red, 0.85f), 1.2f);
      part(c, Shape::polygon(shifted({P(204, 396), P(216, 452), P(204, 446)}, dy)), shade(red, 0.85f), 1.2f);
      part(c, Shape::circle(200, 393 + dy, 8), shade(red, 1.1f), 1.2f);
      break;
    }
    case Outfit::Cardigan: {
      // An open cardigan over a white blouse and a small bow.
      part(c, Shape::polygon(shifted({P(176, 282), P(200, 292), P(224, 282), P(236, 620), P(164, 620)}, dy)),
           Paint::linear(0, 280 + dy, 0, 600 + dy, {{0, rgb(250, 250, 252)}, {1, rgb(214, 218, 228)}}), 1.2f);
      part(c, Shape::polygon(shifted({P(176, 282), P(200, 300), P(190, 330), P(168, 296)}, dy)), rgb(255, 255, 255), 1.2f);
      part(c, Shape::polygon(shifted({P(224, 282), P(200, 300), P(210, 330), P(232, 296)}, dy)), rgb(255, 255, 255), 1.2f);
      part(c, Shape::ellipse(188, 312 + dy, 12, 7), ch.accent, 1.2f);
      part(c, Shape::ellipse(212, 312 + dy, 12, 7), ch.accent, 1.2f);
      part(c, Shape::circle(200, 312 + dy, 5), shade(ch.accent, 0.8f), 1.2f);
      for (int k = 0; k < 4; ++k) part(c, Shape::circle(242, 380.0f + k * 56 + dy, 4.5f), rgb(250, 240, 220), 1.0f);
      stroke(c, {P(232, 300 + dy), P(238, 450 + dy), P(240, 600 + dy)}, 1.6f, shade(ch.outfitColour, 0.6f));
      stroke(c, {P(168, 300 + dy), P(162, 450 + dy), P(160, 600 + dy)}, 1.6f, shade(ch.outfitColour, 0.6f));
      break;
    }
    case Outfit::Gakuran: {
      part(c, Shape::rect(176, 270 + dy, 224, 296 + dy, 4), shade(ch.outfitColour, 0.8f), 1.4f);
      stroke(c, {P(200, 296 + dy), P(200, 600 + dy)}, 1.6f, shade(ch.outfitColour, 0.5f));
      for (int k = 0; k < 5; ++k) {
        float y = 318.0f + k * 58 + dy;
        part(c, Shape::circle(200, y, 6), Paint::radial(198, y - 2, 8, {{0, rgb(255, 240, 170)}, {1, rgb(190, 150, 60)}}), 1.0f);
      }
      break;
    }
  }
}

// The fringe's outline (long and twin-tailed hair share it).
Shape fringeShape(const Character& ch, float dy) {
  if (ch.hair == Hair::Short)
    return Shape::polygon(shifted({P(128, 178), P(124, 120), P(146, 84), P(176, 66), P(196, 76), P(214, 60), P(240, 74),
                                   P(266, 94), P(278, 132), P(272, 180), P(262, 150), P(250, 170), P(240, 130),
                                   P(222, 156), P(206, 124), P(186, 158), P(170, 126), P(156, 160), P(142, 140)}, dy));
  return Shape::polygon(shifted({P(132, 176), P(126, 124), P(148, 88), P(200, 70), P(252, 88), P(274, 124), P(268, 176),
                                 P(262, 150), P(252, 142), P(240, 170), P(224, 128), P(210, 162), P(194, 124),
                                 P(178, 164), P(164, 132), P(150, 168), P(142, 146)}, dy));
}

void drawFace(Canvas& c, const Character& ch, float dy) {
  // Ears, then the face itself with a soft shade under the hairline.
  part(c, Shape::ellipse(136, 188 + dy, 8, 14), kSkin);
  part(c, Shape::ellipse(264, 188 + dy, 8, 14), kSkin);
  Shape face = Shape::smooth(shifted({P(138, 120), P(200, 98), P(262, 120), P(266, 182), P(250, 226), P(222, 254), P(200, 262),
                                      P(178, 254), P(150, 226), P(134, 182)}, dy));
  part(c, face, Paint::radial(186, 170 + dy, 120, {{0, kSkin}, {0.7f, kSkin}, {1, kSkinShade}}));
  // The fringe casts a soft shadow on the forehead.
  c.draw(face & fringeShape(ch, dy).moved(2, 9), withAlpha(kSkinShade, 0.8f), 1.0f, 5.0f);
  if (ch.feminine) {
    c.draw(Shape::ellipse(164, 216 + dy, 15, 6) & face, rgb(255, 150, 160, 0.35f), 1.0f, 8);
    c.draw(Shape::ellipse(236, 216 + dy, 15, 6) & face, rgb(255, 150, 160, 0.35f), 1.0f, 8);
  }
  stroke(c, {P(201, 208 + dy), P(199, 216 + dy)}, 1.4f, withAlpha(kSkinShade, 0.9f));
}

void drawEye(Canvas& c, const Character& ch, float cx, float cy, Expression e, Eyes state, bool left) {
  float s = left ? -1.0f : 1.0f;  // outward direction
  Colour lash = shade(ch.hairColour, 0.45f);
  if (state == Eyes::Closed || (e == Expression::Smile && state == Eyes::Open)) {
    if (e == Expression::Smile && state == Eyes::Open)
      stroke(c, {P(cx - 15, cy + 3), P(cx, cy - 7), P(cx + 15, cy + 3)}, 3.2f, lash);  // happy arcs
    else
      stroke(c, {P(cx - 16, cy + 1), P(cx, cy + 6), P(cx + 16, cy + 1)}, 3.0f, lash);
    return;
  }
  float ry = e == Expression::Surprised ? 16.0f : (ch.feminine ? 13.0f : 9.5f);
  float rx = ch.feminine ? 16.5f : 15.0f;
  Shape white = Shape::ellipse(cx, cy, rx, ry);
  if (state == Eyes::Half) white = white & Shape::rect(cx - 30, cy - 1, cx + 30, cy + 30);
  c.draw(white, rgb(255, 255, 255));
  float ir = e == Expression::Surprised ? 8.5f : 10.5f;
  Shape iris = Shape::ellipse(cx, cy + 1, ir, ry * 0.98f) & white;
  Colour eye = ch.eyeColour;
  c.draw(iris, Paint::linear(0, cy - ry, 0, cy + ry, {{0, shade(eye, 0.45f)}, {0.5f, eye}, {1, shade(eye, 1.5f)}}));
  c.draw(Shape::ellipse(cx, cy + 1, ir * 0.45f, ry * 0.5f) & white, shade(eye, 0.25f));
  if (state == Eyes::Open) {
    c.draw(Shape::circle(cx - 4, cy - ry * 0.35f, 3.6f), rgb(255, 255, 255));
    c.draw(Shape::circle(cx + 4, cy + ry * 0.4f, 1.6f), rgb(255, 255, 255, 0.85f));
  }
  // Upper lid with a flick at the outer corner, a faint lower lid.
  float top = state == Eyes::Half ? cy - 1 : cy - ry;
  stroke(c, {P(cx - s * (rx + 1), cy + (state == Eyes::Half ? 0 : -2)), P(cx, top - 1),
             P(cx + s * (rx + 2), cy - ry * 0.35f)}, 3.4f, lash);
  if (ch.feminine) stroke(c, {P(cx + s * (rx - 1), cy - ry * 0.5f), P(cx + s * (rx + 6), cy - ry * 0.75f)}, 2.0f, lash);
  stroke(c, {P(cx - s * rx * 0.6f, cy + ry + 1), P(cx + s * rx * 0.7f, cy + ry)}, 1.2f, withAlpha(lash, 0.5f));
}

void drawBrows(Canvas& c, const Character& ch, Expression e, float dy) {
  Colour brow = shade(ch.hairColour, 0.6f);
  for (int side = 0; side < 2; ++side) {
    float cx = side ? 224.0f : 176.0f, s = side ? 1.0f : -1.0f;  // outward
    float y = 160 + dy;
    float inner = 0, outer = 0;
    if (e == Expression::Sad) inner = -7, outer = 3;
    if (e == Expression::Surprised) inner = -6, outer = -6;
    if (e == Expression::Smile) inner = -2, outer = -2;
    stroke(c, {P(cx - s * 13, y + 2 + inner), P(cx, y - 3 + (inner + outer) / 2), P(cx + s * 14, y + 1 + outer)},
           ch.feminine ? 2.6f : 3.6f, brow);
  }
}

void drawMouth(Canvas& c, Expression e, Mouth m, float dy) {
  Colour line = rgb(150, 70, 70);
  Colour inside = rgb(170, 60, 70);
  float y = 238 + dy;
  if (m == Mouth::HalfOpen || m == Mouth::Open) {
    float h = m == Mouth::Open ? 8.0f : 4.5f;
    part(c, Shape::ellipse(200, y + 1, 7, h), Paint::linear(0, y - h, 0, y + h, {{0, inside}, {0.6f, inside}, {1, rgb(240, 130, 140)}}),
         1.0f, line);
    return;
  }
  if (m == Mouth::Closed) {
    stroke(c, {P(193, y), P(200, y + 1.5f), P(207, y)}, 2.0f, line);
    return;
  }
  switch (e) {
    case Expression::Normal: stroke(c, {P(191, y - 1), P(200, y + 3), P(209, y - 1)}, 2.0f, line); break;
    case Expression::Smile:
      part(c, Shape::polygon({P(187, y - 3), P(213, y - 3), P(206, y + 8), P(194, y + 8)}),
           Paint::linear(0, y - 3, 0, y + 8, {{0, inside}, {0.55f, inside}, {1, rgb(240, 130, 140)}}), 1.0f, line);
      break;
    case Expression::Sad: stroke(c, {P(192, y + 3), P(200, y - 1), P(208, y + 3)}, 2.0f, line); break;
    case Expression::Surprised:
      part(c, Shape::ellipse(200, y + 2, 5, 7), Paint::linear(0, y - 5, 0, y + 9, {{0, inside}, {1, rgb(230, 120, 130)}}), 1.0f, line);
      break;
  }
}

void drawFrontHair(Canvas& c, const Character& ch, float dy) {
  Paint paint = hairPaint(ch, 70 + dy, 260 + dy);
  part(c, fringeShape(ch, dy), paint);
  if (ch.hair == Hair::Short) return;
  // Side locks framing the face.
  for (int side = 0; side < 2; ++side) {
    std::vector<Point> lock = {P(132, 140), P(148, 150), P(152, 210), P(148, 262), P(134, 286), P(128, 230), P(124, 170)};
    if (side) lock = mirrored(lock);
    part(c, Shape::smooth(shifted(lock, dy)), paint);
  }
  if (ch.hair == Hair::TwinTails)
    for (int side = 0; side < 2; ++side) {
      float x = side ? 272.0f : 128.0f;
      part(c, Shape::ellipse(x, 128 + dy, 9, 14), ch.accent, 1.2f);
    }
  else
    part(c, Shape::polygon(shifted({P(236, 96), P(262, 84), P(266, 108)}, dy)), ch.accent, 1.2f);  // hair pin
}

// The parts that do not change with the expression, drawn once per character: the
// figure behind the face's features, and the fringe in front of them.
struct FigureLayers {
  Canvas base;
  Canvas front;
};

FigureLayers drawFigureLayers(const Character& ch) {
  FigureLayers f{Canvas(kW, kH), Canvas(kW, kH)};
  drawBackHair(f.base, ch, ch.headY);
  drawBody(f.base, ch, ch.headY);
  drawFace(f.base, ch, ch.headY);
  drawFrontHair(f.front, ch, ch.headY);
  return f;
}

RgbaImage drawFigure(const Character& ch, const FigureLayers& layers, Expression e, Eyes eyes, Mouth mouth) {
  Canvas c = layers.base;
  float dy = ch.headY;
  drawEye(c, ch, 176, 190 + dy, e, eyes, true);
  drawEye(c, ch, 224, 190 + dy, e, eyes, false);
  drawBrows(c, ch, e, dy);
  drawMouth(c, e, mouth, dy);
  c.drawCanvas(layers.front, 0, 0);
  return c.toImage();
}

const Character kCast[] = {
    {"aoi", "Aoi", Hair::Long, Outfit::Sailor, rgb(54, 62, 118), rgb(60, 110, 200), rgb(244, 246, 250), rgb(210, 50, 70), true, 0},
    {"rin", "Rin", Hair::TwinTails, Outfit::Cardigan, rgb(196, 104, 92), rgb(70, 150, 100), rgb(222, 196, 150), rgb(230, 90, 120),
     true, 14},
    {"sou", "Sou", Hair::Short, Outfit::Gakuran, rgb(66, 52, 50), rgb(120, 80, 50), rgb(44, 48, 74), rgb(200, 170, 90), false, -22},
};

const char* kExpressionNames[] = {"normal", "smiling", "sad", "surprised"};

}  // namespace

RgbaImage drawCharacterPicture(int character, int expression) {
  const Character& ch = kCast[character % 3];
  FigureLayers layers = drawFigureLayers(ch);
  return drawFigure(ch, layers, static_cast<Expression>(expression % 4), Eyes::Open, Mouth::Expression);
}

void makeCharacters(GenContext& ctx) {
  for (const Character& ch : kCast) {
    FigureLayers layers = drawFigureLayers(ch);
    for (int e = 0; e < 4; ++e) {
      auto ex = static_cast<Expression>(e);
      // Blink on appearance: open, half, closed, half, open (the last frame stays).
      std::vector<RgbaImage> frames;
      RgbaImage open = drawFigure(ch, layers, ex, Eyes::Open, Mouth::Expression);
      // Happy closed eyes blink straight to shut.
      RgbaImage half = drawFigure(ch, layers, ex, ex == Expression::Smile ? Eyes::Closed : Eyes::Half, Mouth::Expression);
      frames = {open, half, drawFigure(ch, layers, ex, Eyes::Closed, Mouth::Expression), half, open};
      char name[32];
      std::snprintf(name, sizeof name, "%s%02d.psd", ch.prefix, e + 1);
      ctx.sink.framesPsd(name, frames, e == 1 ? PsdCompression::Raw : PsdCompression::Rle,
                         std::string("sprite: ") + ch.name + ", " + kExpressionNames[e] + " (blinks once)");
    }
    // Talking: a mouth cycle for looping animation.
    std::vector<RgbaImage> talk;
    for (Mouth m : {Mouth::Closed, Mouth::HalfOpen, Mouth::Open, Mouth::Open, Mouth::HalfOpen, Mouth::Closed})
      talk.push_back(drawFigure(ch, layers, Expression::Normal, Eyes::Open, m));
    char name[32];
    std::snprintf(name, sizeof name, "%s05.psd", ch.prefix);
    ctx.sink.framesPsd(name, talk, PsdCompression::Rle, std::string("sprite: ") + ch.name + ", talking (loop it)");
  }
}

}  // namespace ml::tools
