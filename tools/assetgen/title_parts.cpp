// The title menu and the save/load screen.
//
// Title: five buttons, all placed at (115, 295); each is a 90x210 canvas with its
// caption on its own row (screen rows 343, 377, 411, 445, 479), where the engine puts
// the two highlight marks beside it. The marks are game data chosen by the script
// (slots 140 and 141): "_MnMarkL.psd" and "_MnMarkR.psd".
//
// Save/load: entries of 221x46 at x 168 / 552, y 73 + 95 i, thumbnails 120x90 at
// (x - 131, y - 8); the comment line at (75, 558). The return button of the screen
// (slot 240) is game data: "_MLReturn.psd", meant for (706, 560).
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

using namespace ui;

// The demo's title, 「ほしふる浜で」: stars falling over the night sea.
RgbaImage titleBackground(const TextPainter& text) {
  Canvas c(800, 600, skyPaint(600, {{0, rgb(6, 8, 28)}, {0.5f, rgb(22, 32, 84)}, {1, rgb(64, 72, 136)}}));
  drawStars(c, 1001, 420, 420);
  Rng rng(1005);
  for (int i = 0; i < 9; ++i) {
    float x = rng.range(300, 800), y = rng.range(20, 260), len = rng.range(50, 130);
    c.glow(Shape::line(x, y, x - len, y - len * 0.5f, 1.6f),
           Paint::linear(x, y, x - len, y - len * 0.5f, {{0, rgb(255, 255, 255, 0.9f)}, {1, rgb(150, 180, 255, 0)}}), 1.0f, 1.5f);
    c.glow(Shape::circle(x, y, 2), rgb(255, 255, 255), 1.0f, 2);
  }
  drawMoon(c, 650, 110, 30, 1.0f);
  drawSea(c, 1002, 400, rgb(30, 44, 100), rgb(10, 14, 40), 650, rgb(230, 236, 255), 0.8f);
  c.draw(Shape::smooth({{-40, 540}, {300, 515}, {560, 528}, {840, 505}, {840, 640}, {-40, 640}}),
         Paint::linear(0, 505, 0, 600, {{0, rgb(54, 56, 90)}, {1, rgb(20, 20, 34)}}));
  // Title lettering.
  TextStyleSpec logo;
  logo.face = "IPAPGothic";
  logo.height = 64;
  logo.style = 1;
  logo.tracking = 8;
  Paint gold = Paint::linear(0, 120, 0, 190, {{0, rgb(255, 252, 235)}, {0.6f, rgb(250, 224, 160)}, {1, rgb(210, 160, 90)}});
  logo.paint = &gold;
  logo.glow = 16;
  logo.glowColour = rgb(120, 150, 255, 0.6f);
  logo.outline = 2;
  logo.outlineColour = rgb(30, 24, 60, 0.9f);
  logo.shadow = 4;
  drawLabel(c, text, "ほしふる浜で", 540, 140, logo, true);
  label(c, text, "— a Mirelune demo —", 540, 222, 18, rgb(220, 226, 255), true, true);
  // A soft panel for the menu.
  c.draw(Shape::rect(30, 326, 276, 520, 16), rgb(8, 10, 30, 0.55f), 1.0f, 6);
  rim(c, 30, 326, 276, 520, 16, withAlpha(kSilver, 0.6f));
  label(c, text, "ver 2.40", 740, 578, 12, rgb(170, 180, 220), true);
  c.grain(0.015f, 1004);
  return c.toImage();
}

// One title button: the caption on row `row` of the 90x210 canvas.
std::vector<RgbaImage> titleButton(const TextPainter& text, int row, const char* caption) {
  return stateFrames(90, 210, [&](Canvas& c, int state) {
    float y = 48.0f + row * 34;
    Shape band = Shape::rect(2, y, 88, y + 26, 13);
    if (state == 0) c.draw(band, rgb(255, 255, 255, 0.06f));
    if (state == 1) {
      c.draw(band, Paint::linear(2, 0, 88, 0, {{0, rgb(150, 190, 255, 0.05f)}, {0.5f, rgb(150, 190, 255, 0.35f)}, {1, rgb(150, 190, 255, 0.05f)}}));
    }
    if (state == 2) c.draw(band, rgb(240, 204, 120, 0.3f));
    TextStyleSpec spec;
    spec.face = "IPAPGothic";
    spec.height = 16;
    spec.style = 1;
    spec.fill = state == 2 ? rgb(255, 236, 190) : (state == 1 ? rgb(255, 255, 255) : rgb(200, 208, 240));
    spec.shadow = 2;
    if (state == 1) {
      spec.glow = 5;
      spec.glowColour = rgb(150, 190, 255, 0.7f);
    }
    drawLabel(c, text, caption, 42, y + 4, spec, true);
  });
}

// The highlight marks: a twinkling star with a tail towards the caption.
std::vector<RgbaImage> markFrames(bool left) {
  std::vector<RgbaImage> frames;
  for (int f = 0; f < 8; ++f) {
    Canvas c(56, 26);
    float t = 0.5f + 0.5f * std::sin(f / 8.0f * 6.2832f);
    float sx = left ? 14.0f : 42.0f;
    float tail0 = left ? 20.0f : 4.0f, tail1 = left ? 52.0f : 36.0f;
    c.draw(Shape::rect(tail0, 12, tail1, 14), Paint::linear(left ? tail0 : tail1, 0, left ? tail1 : tail0, 0,
                                                           {{0, withAlpha(kGold, 0.9f)}, {1, withAlpha(kGold, 0)}}));
    float r = 6 + 2 * t;
    Shape star = Shape::polygon({{sx, 13 - r}, {sx + r * 0.3f, 13 - r * 0.3f}, {sx + r, 13}, {sx + r * 0.3f, 13 + r * 0.3f},
                                 {sx, 13 + r}, {sx - r * 0.3f, 13 + r * 0.3f}, {sx - r, 13}, {sx - r * 0.3f, 13 - r * 0.3f}});
    c.glow(Shape::circle(sx, 13, 10), rgb(255, 230, 160, 0.3f + 0.3f * t), 1.0f, 6);
    c.draw(star, rgb(255, 248, 220));
    frames.push_back(c.toImage());
  }
  return frames;
}

void entryCard(Canvas& c, const TextPainter& text, int i, Colour accent) {
  float x = i < 5 ? 168.0f : 552.0f, y = 73.0f + 95 * (i % 5);
  Shape card = Shape::rect(x - 138, y - 12, x + 226, y + 84, 10);
  c.draw(card, rgb(10, 14, 40, 0.75f));
  c.draw(card - card.grown(-1.2f), withAlpha(accent, 0.7f));
  // Thumbnail well.
  c.draw(Shape::rect(x - 132, y - 9, x - 10, y + 83), rgb(0, 0, 10));
  c.draw(Shape::rect(x - 132, y - 9, x - 10, y + 83) - Shape::rect(x - 131, y - 8, x - 11, y + 82), withAlpha(kSilver, 0.5f));
  label(c, text, "NO DATA", x - 71, y + 28, 13, rgb(90, 100, 140), true);
  char no[16];
  std::snprintf(no, sizeof no, "No.%02d", i + 1);
  label(c, text, no, x + 4, y + 34, 13, withAlpha(accent, 0.9f), false, true);
  c.draw(Shape::rect(x, y + 29, x + 218, y + 30), withAlpha(accent, 0.35f));
}

RgbaImage saveLoadBackground(const TextPainter& text, bool save) {
  Colour accent = save ? rgb(255, 170, 190) : rgb(150, 200, 255);
  Canvas c = screenBackground(save ? rgb(40, 16, 44) : rgb(10, 20, 54), save ? rgb(16, 8, 24) : rgb(6, 8, 24), save ? 1101 : 1102);
  heading(c, text, save ? "SAVE" : "LOAD", 24, 8, 40);
  for (int i = 0; i < 10; ++i) entryCard(c, text, i, accent);
  // The comment line at the foot.
  c.draw(Shape::rect(60, 550, 690, 588, 8), rgb(6, 8, 24, 0.8f));
  c.draw(Shape::rect(60, 550, 690, 588, 8) - Shape::rect(61.2f, 551.2f, 688.8f, 586.8f, 7), withAlpha(accent, 0.5f));
  return c.toImage();
}

// Shared-canvas buttons of the save/load header.
std::vector<RgbaImage> headerButton(const TextPainter& text, int w, int h, float x0, float x1, const char* caption, int size = 14) {
  return stateFrames(w, h, [&](Canvas& c, int state) { button(c, text, x0, 2, x1, h - 2, state, {caption, size, true}); });
}

}  // namespace

void makeTitleParts(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  const TextPainter& text = ctx.text;
  s.bmp24("_MnBack.bmp", titleBackground(text), "title menu background");
  const char* captions[] = {"はじめから", "つづきから", "おまけ", "オプション", "終了"};
  const char* files[] = {"_MnStart.psd", "_MnCont.psd", "_MnOmake.psd", "_MnOption.psd", "_MnEnd.psd"};
  const char* notes[] = {"title button: new game", "title button: continue", "title button: extras", "title button: options",
                         "title button: quit"};
  for (int i = 0; i < 5; ++i)
    s.framesPsd(files[i], titleButton(text, i, captions[i]), i % 2 ? PsdCompression::Raw : PsdCompression::Rle,
                std::string(notes[i]) + "; 90x210 canvas at (115, 295), states normal/highlighted/selected");
  s.framesPsd("_MnMarkL.psd", markFrames(true), PsdCompression::Rle, "title highlight mark, left (slot 140), 8 frames (loop)");
  s.framesPsd("_MnMarkR.psd", markFrames(false), PsdCompression::Rle, "title highlight mark, right (slot 141), 8 frames (loop)");

  s.bmp24("_MLLoadBack.bmp", saveLoadBackground(text, false), "load screen background");
  s.bmp24("_MLSaveBack.bmp", saveLoadBackground(text, true), "save screen background");
  // Header: page arrows and page number at (252, 4) on a 180x40 canvas.
  s.framesPsd("_MLPrev.psd", headerButton(text, 180, 40, 0, 36, "◀"), PsdCompression::Rle, "save/load: previous page, 180x40 canvas at (252, 4)");
  s.framesPsd("_MLNext.psd", headerButton(text, 180, 40, 144, 180, "▶"), PsdCompression::Rle, "save/load: next page, same canvas");
  std::vector<RgbaImage> pages;
  for (int p = 0; p < 6; ++p) {
    Canvas c(180, 40);
    char t[16];
    std::snprintf(t, sizeof t, "PAGE %d", p + 1);
    label(c, text, t, 90, 11, 17, kText, true, true);
    pages.push_back(c.toImage());
  }
  s.framesPsd("_MLPage.psd", pages, PsdCompression::Rle, "save/load: page number, frame = page (6 frames)");
  s.framesPsd("_MLBigOn.psd", headerButton(text, 170, 30, 0, 80, "大きく", 13), PsdCompression::Rle,
              "save/load: large thumbnails, 170x30 canvas at (436, 28)");
  s.framesPsd("_MLBigOff.psd", headerButton(text, 170, 30, 88, 168, "小さく", 13), PsdCompression::Rle,
              "save/load: small thumbnails, same canvas");
  s.framesPsd("_MLEraseOff.psd", headerButton(text, 150, 30, 0, 70, "通常", 13), PsdCompression::Rle,
              "save/load: normal mode, 150x30 canvas at (637, 1)");
  s.framesPsd("_MLEraseOn.psd", headerButton(text, 150, 30, 78, 148, "削除", 13), PsdCompression::Rle,
              "save/load: erase mode, same canvas");
  std::vector<RgbaImage> sel;
  for (int f = 0; f < 6; ++f) {
    Canvas c(226, 92);
    float k = 0.6f + 0.4f * std::sin(f / 6.0f * 3.14159f);
    c.glow(Shape::rect(3, 3, 223, 89, 8) - Shape::rect(6, 6, 220, 86, 6), rgb(255, 220, 150, 0.6f * k), 1.0f, 4);
    c.draw(Shape::rect(2, 2, 224, 90, 8) - Shape::rect(3.5f, 3.5f, 222.5f, 88.5f, 7), withAlpha(kGold, 0.7f + 0.3f * k));
    c.draw(Shape::rect(4, 40, 222, 88, 6), rgb(255, 230, 170, 0.08f * k));
    sel.push_back(c.toImage());
  }
  s.framesPsd("_MLSel.psd", sel, PsdCompression::Rle, "save/load: highlight of the hovered entry, at (x - 1, y - 8), 6 frames (loop)");
  s.framesPsd("_MLReturn.psd", headerButton(text, 84, 34, 2, 82, "戻る", 15), PsdCompression::Rle,
              "save/load: return button (slot 240), meant for (706, 560)");
}

}  // namespace ml::tools
