// Event pictures: full-screen story moments, stored as bitmaps (the picture gallery
// loads them as "cg\%s.bmp"). Their names begin with "ev" so that the engine's gallery
// registration recognises them. Two are larger than the screen, to be scrolled in the
// gallery; two are 8-bit, one of them run-length coded.
#include <array>
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"

namespace ml::tools {
namespace {

constexpr int kW = 800, kH = 600;

// A seated figure seen from behind, in silhouette with a moonlit rim.
void drawBackFigure(Canvas& c, float x, float groundY, float s, Colour body, Colour rim, bool longHair, bool twinTails) {
  Shape head = Shape::ellipse(x, groundY - 142 * s, 24 * s, 27 * s);
  Shape neck = Shape::rect(x - 9 * s, groundY - 124 * s, x + 9 * s, groundY - 96 * s);
  Shape shoulders = Shape::smooth({{x - 50 * s, groundY}, {x - 46 * s, groundY - 72 * s}, {x - 30 * s, groundY - 96 * s},
                                   {x, groundY - 102 * s}, {x + 30 * s, groundY - 96 * s}, {x + 46 * s, groundY - 72 * s},
                                   {x + 50 * s, groundY}});
  Shape figure = head | neck | shoulders;
  if (longHair) figure = figure | Shape::smooth({{x - 25 * s, groundY - 150 * s}, {x + 25 * s, groundY - 150 * s}, {x + 30 * s, groundY - 70 * s},
                                                  {x, groundY - 56 * s}, {x - 30 * s, groundY - 70 * s}});
  if (twinTails)
    for (float side : {-1.0f, 1.0f})
      figure = figure | Shape::smooth({{x + side * 18 * s, groundY - 156 * s}, {x + side * 36 * s, groundY - 150 * s},
                                       {x + side * 46 * s, groundY - 110 * s}, {x + side * 50 * s, groundY - 60 * s},
                                       {x + side * 38 * s, groundY - 80 * s}, {x + side * 26 * s, groundY - 130 * s}});
  c.draw(figure.grown(1.5f), rim, 0.8f, 2.0f);
  c.draw(figure.moved(1.5f, 1.0f), body);
}

Canvas moonlitBeach(bool shootingStar) {
  Canvas c(kW, kH, skyPaint(600, {{0, rgb(6, 8, 30)}, {0.6f, rgb(24, 36, 86)}, {1, rgb(60, 80, 140)}}));
  drawStars(c, 101, 500, 460);
  drawMoon(c, 400, 150, 56, 1.4f);
  if (shootingStar) {
    c.glow(Shape::line(560, 60, 700, 20, 2.5f), Paint::linear(560, 60, 700, 20, {{0, rgb(255, 255, 255, 0.9f)}, {1, rgb(180, 200, 255, 0)}}),
           1.0f, 2.0f);
    c.glow(Shape::circle(560, 60, 3), rgb(255, 255, 255), 1.0f, 3.0f);
  }
  drawSea(c, 102, 360, rgb(34, 50, 104), rgb(10, 16, 40), 400, rgb(235, 240, 255), 1.2f);
  c.draw(Shape::smooth({{-40, 500}, {300, 470}, {560, 480}, {840, 460}, {840, 640}, {-40, 640}}),
         Paint::linear(0, 460, 0, 600, {{0, rgb(56, 58, 86)}, {1, rgb(20, 20, 34)}}));
  drawBackFigure(c, 340, 560, 1.0f, rgb(18, 18, 30), rgb(190, 200, 255), true, false);
  drawBackFigure(c, 455, 566, 0.95f, rgb(20, 16, 28), rgb(200, 200, 255), false, true);
  c.grain(0.02f, 7);
  return c;
}

Canvas duskWalk(bool closer) {
  RgbaImage bg = drawBackgroundPicture(4);
  Canvas c(kW, kH);
  c.drawImage(bg, 0, 0);
  // Two figures walking away along the road, their long shadows towards the viewer.
  float s = closer ? 1.5f : 1.0f;
  for (int k = 0; k < 2; ++k) {
    float x = 372 + k * 60 * s - (closer ? 60 : 0), ground = closer ? 560.0f : 500.0f;
    c.draw(Shape::polygon({{x - 12 * s, ground}, {x + 12 * s, ground}, {x + 60 * s, 600}, {x - 10 * s, 600}}),
           rgb(40, 20, 50, 0.35f), 1.0f, 6.0f);
    Shape figure = Shape::circle(x, ground - 130 * s, 15 * s) |
                   Shape::smooth({{x - 20 * s, ground - 110 * s}, {x + 20 * s, ground - 110 * s}, {x + 16 * s, ground - 40 * s},
                                  {x + 8 * s, ground}, {x - 8 * s, ground}, {x - 16 * s, ground - 40 * s}});
    if (k == 0) figure = figure | Shape::smooth({{x - 16 * s, ground - 140 * s}, {x + 16 * s, ground - 140 * s}, {x + 18 * s, ground - 80 * s}, {x - 18 * s, ground - 80 * s}});
    c.draw(figure.grown(1.2f), rgb(255, 170, 120, 0.7f), 1.0f, 2.0f);
    c.draw(figure, rgb(46, 26, 50));
  }
  c.glow(Shape::rect(0, 0, kW, kH), Paint::radial(400, 420, 520, {{0, rgb(255, 160, 100, 0.12f)}, {1, rgb(255, 120, 80, 0)}}));
  return c;
}

Canvas closeUp(int expression, bool sparkles) {
  Canvas c(kW, kH, Paint::radial(400, 260, 600, {{0, rgb(255, 236, 240)}, {0.6f, rgb(240, 190, 210)}, {1, rgb(170, 130, 190)}}));
  Rng rng(300 + expression);
  for (int i = 0; i < 40; ++i) {
    float x = rng.range(0, kW), y = rng.range(0, kH), r = rng.range(10, 60);
    c.glow(Shape::circle(x, y, r), rgb(255, 255, 255, rng.range(0.05f, 0.2f)), 1.0f, r * 0.6f);
  }
  RgbaImage aoi = drawCharacterPicture(0, expression);
  c.drawImage(aoi, 400 - 200 * 2.1f, -150, 2.1f);
  if (sparkles)
    for (int i = 0; i < 18; ++i) {
      float x = rng.range(40, 760), y = rng.range(40, 560), r = rng.range(4, 12);
      c.glow(Shape::line(x - r, y, x + r, y, 1.5f) | Shape::line(x, y - r, x, y + r, 1.5f), rgb(255, 255, 240, 0.9f), 1.0f, 1.5f);
      c.glow(Shape::circle(x, y, r * 0.8f), rgb(255, 255, 255, 0.4f), 1.0f, r);
    }
  // Soft vignette.
  c.draw(Shape::rect(0, 0, kW, kH), Paint::radial(400, 300, 560, {{0.6f, rgb(60, 30, 60, 0)}, {1, rgb(60, 30, 60, 0.45f)}}));
  return c;
}

// 800x1200: from a meteor shower at the top down to the sea.
Canvas tallSky() {
  Canvas c(kW, 1200, skyPaint(1200, {{0, rgb(4, 4, 20)}, {0.5f, rgb(18, 26, 70)}, {0.75f, rgb(50, 70, 130)}, {1, rgb(90, 110, 170)}}));
  drawStars(c, 401, 1400, 900);
  Rng rng(402);
  for (int i = 0; i < 14; ++i) {
    float x = rng.range(50, 780), y = rng.range(30, 600), len = rng.range(60, 160);
    c.glow(Shape::line(x, y, x - len, y - len * 0.45f, 1.8f),
           Paint::linear(x, y, x - len, y - len * 0.45f, {{0, rgb(255, 255, 255, 0.9f)}, {1, rgb(150, 180, 255, 0)}}), 1.0f, 1.5f);
  }
  drawMoon(c, 620, 700, 44, 1.2f);
  drawSea(c, 403, 930, rgb(40, 56, 110), rgb(12, 18, 44), 620, rgb(235, 240, 255), 1.0f);
  c.draw(Shape::smooth({{-40, 1120}, {400, 1090}, {840, 1110}, {840, 1240}, {-40, 1240}}), rgb(24, 24, 40));
  drawBackFigure(c, 240, 1160, 1.1f, rgb(14, 14, 26), rgb(190, 200, 255), true, false);
  c.grain(0.02f, 8);
  return c;
}

// 1600x600: the town at night from the hill, lights to the horizon.
Canvas panorama() {
  Canvas c(1600, kH, skyPaint(600, {{0, rgb(10, 12, 40)}, {0.55f, rgb(36, 44, 100)}, {1, rgb(120, 90, 140)}}));
  drawStars(c, 501, 700, 300);
  drawMoon(c, 1250, 110, 30, 1.0f);
  drawHouses(c, 502, -20, 1620, 430, 40, 90, rgb(26, 26, 50), rgb(18, 18, 36), 1.0f);
  drawHouses(c, 503, -40, 1640, 470, 60, 130, rgb(22, 22, 44), rgb(14, 14, 30), 1.0f);
  drawHills(c, 504, 520, 50, rgb(12, 14, 24), 300);
  Rng rng(505);
  for (int i = 0; i < 8; ++i) drawStreetLamp(c, rng.range(40, 1560), 470, 60, rgb(14, 14, 30), true);
  drawBackFigure(c, 760, 600, 0.9f, rgb(8, 8, 16), rgb(150, 150, 220), true, false);
  drawBackFigure(c, 850, 604, 0.95f, rgb(8, 8, 16), rgb(150, 150, 220), false, false);
  c.grain(0.02f, 9);
  return c;
}

// A childhood memory in sepia, as palette indices: two small figures under a tree.
IndexedImage sepiaMemory() {
  Canvas c(kW, kH, Paint::linear(0, 0, 0, 600, {{0, rgb(230, 230, 230)}, {1, rgb(150, 150, 150)}}));
  drawClouds(c, 601, 60, 300, 0.4f, rgb(255, 255, 255), rgb(170, 170, 170), 140);
  drawHills(c, 602, 440, 50, rgb(120, 120, 120), 300);
  drawTree(c, 603, 520, 480, 340, rgb(90, 90, 90), rgb(60, 60, 60), rgb(160, 160, 160));
  for (int k = 0; k < 2; ++k) {
    float x = 300 + k * 60.0f, g = 500;
    Shape fig = Shape::circle(x, g - 80, 16) | Shape::smooth({{x - 18, g - 62}, {x + 18, g - 62}, {x + 22, g}, {x - 22, g}});
    c.draw(fig, rgb(50, 50, 50));
  }
  RgbaImage img = c.toImage();
  IndexedImage out;
  out.width = kW;
  out.height = kH;
  for (int i = 0; i < 256; ++i) {
    float t = i / 255.0f;
    Colour s = mix(rgb(40, 24, 10), rgb(255, 240, 210), t);
    out.palette.push_back({static_cast<std::uint8_t>(s.r * 255), static_cast<std::uint8_t>(s.g * 255),
                           static_cast<std::uint8_t>(s.b * 255)});
  }
  out.indices.resize(std::size_t(kW) * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::uint8_t* p = img.at(x, y);
      out.indices[std::size_t(y) * kW + x] = static_cast<std::uint8_t>((p[0] * 3 + p[1] * 6 + p[2]) / 10);
    }
  return out;
}

// A cut-paper night scene in a dozen flat colours (run-length friendly).
IndexedImage paperCut() {
  const std::array<std::uint8_t, 3> colours[] = {{16, 20, 56},  {30, 40, 96},  {52, 70, 140}, {250, 240, 200},
                                                  {220, 200, 140}, {20, 60, 70},  {30, 90, 90},  {40, 120, 100},
                                                  {240, 160, 80},  {200, 80, 70},  {255, 255, 255}, {10, 12, 20}};
  IndexedImage out;
  out.width = kW;
  out.height = kH;
  out.palette.assign(std::begin(colours), std::end(colours));
  out.indices.assign(std::size_t(kW) * kH, 0);
  auto fill = [&](const Shape& s, std::uint8_t index) {
    Bounds b = s.bounds();
    for (int y = std::max(0, int(b.y0)); y < std::min(kH, int(b.y1) + 1); ++y)
      for (int x = std::max(0, int(b.x0)); x < std::min(kW, int(b.x1) + 1); ++x)
        if (s.distance(x + 0.5f, y + 0.5f) < 0) out.indices[std::size_t(y) * kW + x] = index;
  };
  fill(Shape::rect(0, 200, kW, kH), 1);
  fill(Shape::rect(0, 380, kW, kH), 2);
  fill(Shape::circle(560, 150, 80), 4);
  fill(Shape::circle(560, 150, 66), 3);
  fill(Shape::circle(600, 130, 60), 0);  // a crescent cut from the full disc
  Rng rng(701);
  for (int i = 0; i < 60; ++i) fill(Shape::circle(rng.range(0, kW), rng.range(0, 300), rng.range(1.5f, 3)), 10);
  for (int i = 0; i < 3; ++i) {
    float base = 420.0f + i * 50;
    std::vector<Point> hill;
    for (float x = -20; x <= kW + 20; x += 40) hill.push_back({x, base - 40 * std::sin(x / (120.0f + i * 40) + i)});
    hill.push_back({kW + 20.0f, float(kH)});
    hill.push_back({-20, float(kH)});
    fill(Shape::polygon(hill), static_cast<std::uint8_t>(5 + i));
  }
  for (int i = 0; i < 7; ++i) {
    float x = 60 + i * 110.0f, h = rng.range(50, 110);
    fill(Shape::rect(x, 520 - h, x + 70, 520), 11);
    fill(Shape::polygon({{x - 6, 520 - h}, {x + 35, 490 - h}, {x + 76, 520 - h}}), 9);
    fill(Shape::rect(x + 24, 540 - h, x + 46, 560 - h), 8);
  }
  return out;
}

}  // namespace

int eventPictureCount() { return 8; }

RgbaImage drawEventPicture(int number, int variant) {
  switch (number) {
    case 0: return moonlitBeach(variant == 1).toImage();
    case 1: return duskWalk(variant == 1).toImage();
    case 2: return closeUp(variant == 1 ? 3 : 1, variant == 0).toImage();
    case 3: return tallSky().toImage();
    case 4: return panorama().toImage();
    case 5: {
      IndexedImage s = sepiaMemory();
      RgbaImage img(s.width, s.height);
      for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
          const auto& p = s.palette[s.indices[std::size_t(y) * s.width + x]];
          img.set(x, y, p[0], p[1], p[2]);
        }
      return img;
    }
    case 6: {
      IndexedImage s = paperCut();
      RgbaImage img(s.width, s.height);
      for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
          const auto& p = s.palette[s.indices[std::size_t(y) * s.width + x]];
          img.set(x, y, p[0], p[1], p[2]);
        }
      return img;
    }
    default: return drawBackgroundPicture(number % 8);
  }
}

void makeEvents(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  auto put = [&](const char* name, const RgbaImage& picture, const char* note) {
    s.bmp24(std::string(name) + ".bmp", picture, note);
    ctx.thumbnails[name] = thumbnailOf(picture);
  };
  put("ev01a", drawEventPicture(0, 0), "event: Aoi and Rin on the beach under the moon");
  put("ev01b", drawEventPicture(0, 1), "event: the same, with a shooting star");
  put("ev02a", drawEventPicture(1, 0), "event: walking home at dusk");
  put("ev02b", drawEventPicture(1, 1), "event: walking home at dusk, closer");
  put("ev03a", drawEventPicture(2, 0), "event: Aoi smiling, close up");
  put("ev03b", drawEventPicture(2, 1), "event: Aoi surprised, close up");
  put("ev04", drawEventPicture(3, 0), "event: meteor shower over the sea, 800x1200 (scrolls vertically)");
  put("ev05", drawEventPicture(4, 0), "event: the town at night from the hill, 1600x600 (scrolls sideways)");
  IndexedImage sepia = sepiaMemory(), paper = paperCut();
  s.bmp8("ev06.bmp", sepia, false, "event: a childhood memory in sepia (8-bit palette)");
  s.bmp8("ev07.bmp", paper, true, "event: cut-paper night (8-bit, run-length coded)");
  ctx.thumbnails["ev06"] = thumbnailOf(drawEventPicture(5, 0));
  ctx.thumbnails["ev07"] = thumbnailOf(drawEventPicture(6, 0));
}

}  // namespace ml::tools
