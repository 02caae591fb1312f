// Backgrounds, 800x600: the places of the demo story by day and by night. Each is
// built from the scenery pieces and lightly grained so gradients do not band.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"

namespace ml::tools {
namespace {

constexpr int kW = 800, kH = 600;

Canvas daySky() {
  Canvas c(kW, kH, skyPaint(600, {{0, rgb(38, 92, 186)}, {0.55f, rgb(108, 165, 230)}, {1, rgb(214, 234, 250)}}));
  drawStreaks(c, 11, 40, 200, rgb(255, 255, 255), 0.35f);
  drawClouds(c, 12, 120, 520, 0.42f, rgb(255, 255, 255), rgb(170, 185, 215), 150);
  return c;
}

Canvas duskSky() {
  Canvas c(kW, kH, skyPaint(600, {{0, rgb(44, 38, 96)}, {0.35f, rgb(128, 72, 130)}, {0.7f, rgb(236, 128, 96)},
                                  {1, rgb(255, 206, 140)}}));
  drawSun(c, 610, 520, 34, rgb(255, 236, 190), rgb(255, 170, 90));
  drawClouds(c, 21, 200, 480, 0.36f, rgb(255, 170, 150), rgb(110, 70, 120), 170, true);
  drawStreaks(c, 22, 60, 260, rgb(255, 190, 200), 0.3f);
  return c;
}

Canvas nightSky(std::uint32_t seed, float moonX, float moonY) {
  Canvas c(kW, kH, skyPaint(600, {{0, rgb(8, 10, 32)}, {0.6f, rgb(22, 34, 80)}, {1, rgb(52, 70, 128)}}));
  drawStars(c, seed, 420, 520);
  drawStreaks(c, seed + 1, 150, 330, rgb(90, 100, 160), 0.35f);
  if (moonX > 0) drawMoon(c, moonX, moonY, 34);
  return c;
}

// A paint that shows another canvas (used to fill a window with a sky).
Paint canvasPaint(const Canvas& source, float dx, float dy) {
  return Paint::custom([&source, dx, dy](float x, float y) {
    return source.pixel(static_cast<int>(x - dx), static_cast<int>(y - dy));
  });
}

Canvas room(bool night) {
  Canvas c(kW, kH);
  Colour wallTop = night ? rgb(62, 64, 98) : rgb(236, 222, 196);
  Colour wallBottom = night ? rgb(44, 44, 74) : rgb(214, 196, 166);
  c.fill(Paint::linear(0, 0, 0, 430, {{0, wallTop}, {1, wallBottom}}));
  // Wallpaper: faint vertical bands with small diamonds.
  for (int x = 0; x < kW; x += 40) {
    c.draw(Shape::rect(x + 18, 0, x + 22, 430), withAlpha(shade(wallBottom, 0.92f), 0.5f));
    for (int y = 20; y < 430; y += 60)
      c.draw(Shape::polygon({{x + 0.0f, y - 5.0f}, {x + 5.0f, y + 0.0f}, {x + 0.0f, y + 5.0f}, {x - 5.0f, y + 0.0f}}),
             withAlpha(shade(wallTop, 0.88f), 0.6f));
  }
  // Skirting board and floor in perspective.
  c.draw(Shape::rect(0, 418, kW, 432), night ? rgb(70, 56, 60) : rgb(178, 140, 104));
  Colour wood = night ? rgb(70, 52, 54) : rgb(168, 118, 78);
  c.draw(Shape::rect(0, 432, kW, kH), Paint::custom([wood](float x, float y) {
           float t = (y - 432) / 168.0f;
           float grain = fractalNoise(x / 140.0f, y / 4.0f, 3, 5);
           return shade(wood, 0.85f + 0.25f * t + 0.15f * grain);
         }));
  for (int i = -12; i <= 12; ++i) {
    float xTop = 400 + i * 60.0f, xBottom = 400 + i * 150.0f;
    c.draw(Shape::line(xTop, 432, xBottom, kH + 10, 1.5f), withAlpha(shade(wood, 0.6f), 0.7f));
  }
  // Window with the sky behind it.
  Canvas outside = night ? nightSky(77, 250, 150) : daySky();
  c.draw(Shape::rect(110, 80, 400, 330), canvasPaint(outside, 0, 0));
  Colour frame = night ? rgb(150, 150, 176) : rgb(250, 248, 240);
  for (const Shape& s : {Shape::rect(102, 72, 408, 84), Shape::rect(102, 326, 408, 340), Shape::rect(102, 72, 114, 340),
                         Shape::rect(396, 72, 408, 340), Shape::rect(250, 84, 258, 326), Shape::rect(114, 200, 396, 206)})
    c.draw(s, frame);
  c.draw(Shape::rect(96, 338, 414, 348, 2), shade(frame, 0.85f));
  // Curtains with soft folds.
  Colour cloth = night ? rgb(70, 80, 140) : rgb(120, 150, 210);
  for (int side = 0; side < 2; ++side) {
    float x0 = side == 0 ? 60 : 376, x1 = side == 0 ? 134 : 450;
    c.draw(Shape::polygon({{x0, 56}, {x1, 56}, {x1 + (side ? 14 : -6), 372}, {x0 - (side ? 6 : 14), 372}}),
           Paint::custom([cloth, x0](float x, float) { return shade(cloth, 0.8f + 0.25f * std::sin((x - x0) / 7.0f)); }));
  }
  c.draw(Shape::rect(40, 50, 470, 58, 3), night ? rgb(120, 110, 120) : rgb(160, 120, 90));
  // Bed on the right with a blanket and a pillow.
  Canvas shadowLayer(kW, kH);
  shadowLayer.draw(Shape::rect(470, 390, 800, 540, 10), rgb(0, 0, 0, 0.5f));
  c.drawCanvas(shadowLayer.shadow(rgb(0, 0, 0), 18, 0, 10), 0, 0, 0.6f);
  Colour sheet = night ? rgb(140, 146, 184) : rgb(246, 244, 236);
  Colour blanket = night ? rgb(96, 70, 120) : rgb(226, 132, 140);
  c.draw(Shape::rect(480, 360, 800, 520, 12), Paint::linear(0, 360, 0, 520, {{0, sheet}, {1, shade(sheet, 0.8f)}}));
  c.draw(Shape::rect(500, 330, 620, 380, 18), Paint::linear(0, 330, 0, 380, {{0, sheet}, {1, shade(sheet, 0.85f)}}));
  c.draw(Shape::smooth({{600, 380}, {800, 372}, {800, 528}, {640, 532}, {590, 470}}),
         Paint::custom([blanket](float x, float y) { return shade(blanket, 0.85f + 0.2f * std::sin(x / 23.0f + y / 40.0f)); }));
  c.draw(Shape::rect(470, 300, 486, 540, 3), night ? rgb(90, 70, 80) : rgb(150, 104, 70));
  // Shelf with books.
  c.draw(Shape::rect(560, 150, 780, 160), night ? rgb(96, 76, 80) : rgb(150, 104, 70));
  Rng rng(31);
  for (float x = 570; x < 760;) {
    float w = rng.range(10, 18), h = rng.range(40, 62);
    Colour b = rgb(80 + rng.below(150), 60 + rng.below(120), 70 + rng.below(140));
    if (night) b = shade(mix(b, rgb(60, 70, 130), 0.5f), 0.7f);
    c.draw(Shape::rect(x, 150 - h, x + w, 150), b);
    c.draw(Shape::rect(x + 2, 150 - h + 8, x + w - 2, 150 - h + 11), shade(b, 1.4f));
    x += w + 1;
  }
  if (night) {
    // Moonlight through the window and a small lamp.
    c.glow(Shape::polygon({{114, 340}, {396, 340}, {330, 600}, {10, 600}}), rgb(150, 170, 255, 0.18f), 1.0f, 30);
    c.draw(Shape::rect(416, 398, 470, 470, 3), Paint::linear(0, 398, 0, 470, {{0, rgb(96, 76, 84)}, {1, rgb(60, 46, 56)}}));
    c.draw(Shape::rect(422, 420, 464, 424), rgb(50, 40, 48));
    c.draw(Shape::rect(430, 386, 462, 400, 2), rgb(60, 50, 60));
    c.draw(Shape::polygon({{426, 354}, {466, 354}, {458, 388}, {434, 388}}), rgb(255, 214, 150));
    c.glow(Shape::circle(446, 370, 120), Paint::radial(446, 370, 120, {{0, rgb(255, 200, 130, 0.5f)}, {1, rgb(255, 180, 100, 0)}}),
           1.0f, 2);
  } else {
    c.glow(Shape::polygon({{114, 340}, {396, 340}, {520, 600}, {150, 600}}), rgb(255, 240, 200, 0.22f), 1.0f, 24);
  }
  c.grain(0.02f, 3);
  return c;
}

Canvas street(bool night) {
  Canvas c = night ? nightSky(41, 0, 0) : duskSky();
  if (night) drawMoon(c, 150, 110, 22, 0.8f);
  float ground = 400;
  drawHouses(c, 42, -30, 830, ground, 110, 200, night ? rgb(30, 30, 56) : rgb(92, 66, 96),
             night ? rgb(20, 20, 40) : rgb(64, 44, 72), night ? 1.0f : 0.6f);
  // Road converging on the middle, pavements on both sides.
  Colour road = night ? rgb(34, 36, 52) : rgb(88, 74, 92);
  c.draw(Shape::rect(0, ground, kW, kH), night ? rgb(48, 48, 70) : rgb(128, 104, 116));
  c.draw(Shape::polygon({{330, ground}, {470, ground}, {900, kH}, {-100, kH}}),
         Paint::linear(0, ground, 0, kH, {{0, shade(road, 1.2f)}, {1, road}}));
  for (int i = 0; i < 6; ++i) {
    float t0 = i / 6.0f + 0.04f, t1 = t0 + 0.07f;
    auto at = [&](float t) { return ground + (kH - ground) * t * t; };
    float w0 = 2 + 10 * t0 * t0, w1 = 2 + 10 * t1 * t1;
    c.draw(Shape::polygon({{400 - w0, at(t0)}, {400 + w0, at(t0)}, {400 + w1, at(t1)}, {400 - w1, at(t1)}}),
           night ? rgb(180, 180, 150, 0.6f) : rgb(240, 220, 200, 0.7f));
  }
  // Poles with wires, lamps along the road.
  Colour pole = night ? rgb(16, 16, 28) : rgb(46, 32, 52);
  c.draw(Shape::rect(96, 150, 106, ground + 60), pole);
  c.draw(Shape::rect(70, 170, 132, 176), pole);
  c.draw(Shape::rect(690, 120, 702, ground + 120), pole);
  c.draw(Shape::rect(660, 140, 732, 147), pole);
  for (int k = 0; k < 3; ++k) {
    drawWire(c, -10, 180.0f + k * 8, 72, 174.0f + k * 2, 14, pole);
    drawWire(c, 130, 174.0f + k * 2, 662, 146.0f + k * 2, 50, pole);
    drawWire(c, 730, 146.0f + k * 2, 810, 160.0f + k * 8, 10, pole);
  }
  drawStreetLamp(c, 250, ground + 6, 130, pole, true);
  drawStreetLamp(c, 560, ground + 30, 170, pole, true);
  if (!night) c.glow(Shape::rect(0, 0, kW, kH), rgb(255, 150, 90, 0.08f));
  c.grain(0.025f, 4);
  return c;
}

Canvas seaside() {
  Canvas c = nightSky(51, 0, 0);
  drawMoon(c, 560, 130, 40, 1.2f);
  drawSea(c, 52, 330, rgb(30, 44, 96), rgb(12, 18, 44), 560, rgb(230, 236, 255), 1.0f);
  // Cape with a lighthouse on the left.
  c.draw(Shape::smooth({{-40, 340}, {40, 300}, {150, 306}, {210, 332}, {230, 360}, {-40, 380}}), rgb(14, 18, 36));
  c.draw(Shape::polygon({{96, 306}, {112, 306}, {109, 240}, {99, 240}}), rgb(200, 200, 214));
  c.draw(Shape::rect(94, 232, 114, 242, 2), rgb(60, 50, 70));
  c.glow(Shape::polygon({{104, 236}, {360, 196}, {360, 266}}),
         Paint::linear(104, 0, 360, 0, {{0, rgb(255, 240, 200, 0.3f)}, {1, rgb(255, 240, 200, 0)}}), 1.0f, 10);
  c.glow(Shape::circle(104, 236, 18), rgb(255, 236, 190, 0.7f), 1.0f, 10);
  // Beach in the foreground.
  c.draw(Shape::smooth({{-40, 520}, {200, 500}, {480, 512}, {840, 486}, {840, 640}, {-40, 640}}),
         Paint::linear(0, 490, 0, 600, {{0, rgb(70, 72, 100)}, {1, rgb(30, 30, 50)}}));
  c.glow(Shape::smooth({{-40, 520}, {200, 500}, {480, 512}, {840, 486}, {840, 496}, {480, 522}, {200, 510}, {-40, 530}}),
         rgb(200, 210, 255, 0.35f), 1.0f, 3);
  c.grain(0.02f, 5);
  return c;
}

Canvas park() {
  Canvas c = daySky();
  drawHills(c, 61, 360, 70, Paint::linear(0, 280, 0, 420, {{0, rgb(120, 160, 190)}, {1, rgb(150, 180, 200)}}), 260);
  drawHills(c, 62, 420, 60, Paint::linear(0, 360, 0, 600, {{0, rgb(120, 190, 90)}, {1, rgb(60, 130, 60)}}), 300);
  // A path winding towards the horizon.
  c.draw(Shape::smooth({{380, 395}, {420, 395}, {470, 460}, {560, 530}, {640, 610}, {300, 610}, {360, 520}, {400, 450}}),
         Paint::linear(0, 395, 0, 600, {{0, rgb(220, 200, 160)}, {1, rgb(196, 170, 128)}}));
  drawTree(c, 63, 140, 470, 260, rgb(70, 140, 60), rgb(100, 70, 50), rgb(170, 220, 120));
  drawTree(c, 64, 690, 450, 230, rgb(80, 150, 70), rgb(100, 70, 50), rgb(180, 230, 130));
  drawTree(c, 65, 270, 410, 120, rgb(90, 150, 80), rgb(100, 70, 50), rgb(180, 220, 140));
  // Bench beside the path.
  Colour wood = rgb(150, 100, 64);
  c.draw(Shape::rect(600, 470, 720, 480, 2), wood);
  c.draw(Shape::rect(600, 446, 720, 456, 2), shade(wood, 0.9f));
  c.draw(Shape::rect(606, 456, 612, 500), rgb(60, 60, 66));
  c.draw(Shape::rect(708, 456, 714, 500), rgb(60, 60, 66));
  c.glow(Shape::rect(0, 0, kW, 300), rgb(255, 255, 230, 0.06f), 1.0f, 40);
  c.grain(0.02f, 6);
  return c;
}

}  // namespace

RgbaImage drawBackgroundPicture(int number) {
  switch (number) {
    case 0: return daySky().toImage();
    case 1: return duskSky().toImage();
    case 2: return room(false).toImage();
    case 3: return room(true).toImage();
    case 4: return street(false).toImage();
    case 5: return street(true).toImage();
    case 6: return seaside().toImage();
    case 7: return park().toImage();
    default: return RgbaImage(kW, kH, 0, 0, 0, 255);
  }
}

RgbaImage thumbnailOf(const RgbaImage& picture) {
  int w = picture.width, h = picture.height;
  Rect r{0, 0, w, h};
  if (w * 3 > h * 4) {
    r.width = h * 4 / 3;
    r.x = (w - r.width) / 2;
  } else {
    r.height = w * 3 / 4;
    r.y = (h - r.height) / 2;
  }
  return resizeImage(cropImage(picture, r), 120, 90);
}

void makeBackgrounds(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  struct Item {
    const char* name;
    int kind;  // 0 psd rle, 1 psd raw, 2 bmp
    const char* note;
  };
  const Item items[] = {
      {"bg01a", 0, "background: blue sky by day"},   {"bg01b", 1, "background: sky at dusk"},
      {"bg02a", 2, "background: Aoi's room by day"}, {"bg02b", 2, "background: Aoi's room at night"},
      {"bg03a", 0, "background: street at dusk"},    {"bg03b", 0, "background: street at night"},
      {"bg04a", 2, "background: seaside under the moon"}, {"bg05a", 1, "background: park by day"},
  };
  for (int i = 0; i < 8; ++i) {
    RgbaImage picture = drawBackgroundPicture(i);
    std::string name = items[i].name;
    if (items[i].kind == 2)
      s.bmp24(name + ".bmp", picture, items[i].note);
    else
      s.flatPsd(name + ".psd", picture, items[i].kind == 0 ? PsdCompression::Rle : PsdCompression::Raw, items[i].note);
    ctx.thumbnails[name] = thumbnailOf(picture);
  }
  // Wipe masks: grey pictures whose level is the order in which pixels change.
  RgbaImage wipe1(kW, kH), wipe2(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      // Left to right, the edge slightly ragged so the wipe looks brushed.
      float ragged = (fractalNoise(x / 40.0f, y / 40.0f, 3, 77) - 0.5f) * 40;
      auto v1 = static_cast<std::uint8_t>(std::clamp((x + ragged + 20) / (kW + 40.0f) * 255.0f, 0.0f, 255.0f));
      wipe1.set(x, y, v1, v1, v1);
      float d = std::sqrt((x - 400.0f) * (x - 400.0f) + (y - 300.0f) * (y - 300.0f)) / 500.0f;
      auto v2 = static_cast<std::uint8_t>(std::clamp(d * 255.0f, 0.0f, 255.0f));
      wipe2.set(x, y, v2, v2, v2);
    }
  s.bmp24("wipe01.bmp", wipe1, "wipe mask: left to right (level = order of change)");
  s.flatPsd("wipe02.psd", wipe2, PsdCompression::Rle, "wipe mask: from the centre outwards (level = order of change)");
  s.bmp24("black.bmp", RgbaImage(kW, kH, 0, 0, 0, 255), "background: black");
  s.bmp24("white.bmp", RgbaImage(kW, kH, 255, 255, 255, 255), "background: white");
}

}  // namespace ml::tools
