// The extras: picture gallery, scene gallery and music room.
//
// Thumbnail sheets hold three layers (locked, available, highlighted) with 120x90
// thumbnails at x = (i mod 5) 144 + 59, y = (i div 5) 103 + 149. Gallery page p shows
// the event pictures in the order of assets.txt, then the backgrounds; the scene
// gallery shows one picture per scene. Screen buttons share a 240x32 canvas at
// (549, 31); page buttons a 240x30 canvas at (64, 105); the fourteen track buttons a
// 640x330 canvas at (87, 133).
#include <cmath>
#include <cstdlib>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

using namespace ui;

float thumbX(int i) { return (i % 5) * 144.0f + 59; }
float thumbY(int i) { return (i / 5) * 103.0f + 149; }

RgbaImage extrasBackground(const TextPainter& text, const char* title, bool grid) {
  Canvas c = screenBackground(rgb(16, 20, 56), rgb(6, 6, 20), 1301);
  heading(c, text, title, 24, 14, 34);
  if (grid)
    for (int i = 0; i < 20; ++i) {
      float x = thumbX(i), y = thumbY(i);
      c.draw(Shape::rect(x - 4, y - 4, x + 124, y + 94, 4), rgb(0, 0, 12, 0.6f));
      c.draw(Shape::rect(x - 4, y - 4, x + 124, y + 94, 4) - Shape::rect(x - 3, y - 3, x + 123, y + 93, 3), withAlpha(kSilver, 0.4f));
    }
  // Completion (galleries only): three digits at (383 | 402 | 421, 571), then "%".
  if (grid) {
    c.draw(Shape::rect(250, 562, 470, 596, 8), rgb(0, 0, 12, 0.6f));
    label(c, text, "達成率", 268, 571, 16, kText, false, true);
    label(c, text, "%", 444, 572, 18, kText, false, true);
  }
  c.grain(0.01f, 1302);
  return c.toImage();
}

// One thumbnail in its three looks.
void thumbnail(Canvas& c, const RgbaImage& picture, float x, float y, int state, const std::string& caption,
               const TextPainter& text) {
  if (state == 0) {
    c.draw(Shape::rect(x, y, x + 120, y + 90), Paint::linear(0, y, 0, y + 90, {{0, rgb(30, 34, 60)}, {1, rgb(14, 16, 32)}}));
    c.draw(crescent(x + 60, y + 40, 16), rgb(90, 100, 140, 0.8f));
    label(c, text, "LOCKED", x + 60, y + 64, 11, rgb(110, 120, 160), true);
    return;
  }
  c.drawImage(picture, x, y);
  if (!caption.empty()) {
    c.draw(Shape::rect(x, y + 72, x + 120, y + 90), rgb(0, 0, 10, 0.6f));
    label(c, text, caption, x + 60, y + 74, 11, kText, true);
  }
  if (state == 2) {
    c.glow(Shape::rect(x, y, x + 120, y + 90), rgb(255, 230, 170, 0.18f));
    c.draw(Shape::rect(x, y, x + 120, y + 90) - Shape::rect(x + 2, y + 2, x + 118, y + 88), kGold);
  }
}

std::vector<RgbaImage> sheet(const std::vector<RgbaImage>& pictures, const std::vector<std::string>& captions,
                             const TextPainter& text) {
  std::vector<RgbaImage> layers;
  for (int state = 0; state < 3; ++state) {
    Canvas c(800, 600);
    for (std::size_t i = 0; i < pictures.size() && i < 20; ++i)
      thumbnail(c, pictures[i], thumbX(static_cast<int>(i)), thumbY(static_cast<int>(i)), state,
                i < captions.size() ? captions[i] : std::string(), text);
    layers.push_back(c.toImage());
  }
  return layers;
}

std::vector<RgbaImage> canvasButton(const TextPainter& text, int w, int h, float x0, float y0, float x1, float y1,
                                    const char* caption, int size) {
  return stateFrames(w, h, [&](Canvas& c, int state) { button(c, text, x0, y0, x1, y1, state, {caption, size, true}); });
}

std::vector<RgbaImage> trackButton(const TextPainter& text, int k) {
  return stateFrames(640, 330, [&](Canvas& c, int state) {
    float x0 = (k / 7) * 320.0f, y0 = (k % 7) * 46.0f;
    Shape s = Shape::rect(x0 + 2, y0 + 2, x0 + 302, y0 + 40, 8);
    Colour body = state == 2 ? rgb(110, 86, 36) : (state == 1 ? rgb(40, 62, 130) : rgb(18, 24, 60));
    if (state == 1) c.glow(s.grown(3), withAlpha(kGlow, 0.45f), 1.0f, 6);
    c.draw(s, Paint::linear(0, y0, 0, y0 + 40, {{0, shade(body, 1.4f)}, {1, shade(body, 0.75f)}}), 0.92f);
    c.draw(s - s.grown(-1.2f), state == 2 ? kGold : withAlpha(kSilver, 0.8f));
    char no[16];
    std::snprintf(no, sizeof no, "%02d", k + 1);
    label(c, text, no, x0 + 16, y0 + 11, 16, state == 2 ? kGold : rgb(170, 190, 240), false, true);
    label(c, text, musicTitle(k + 1), x0 + 56, y0 + 11, 16, state == 2 ? rgb(255, 240, 200) : kText, false, true);
    if (state == 2)  // playing: a small equaliser
      for (int b = 0; b < 4; ++b) {
        float h = 6.0f + ((b * 7 + 3) % 5) * 3;
        c.draw(Shape::rect(x0 + 270 + b * 6, y0 + 30 - h, x0 + 274 + b * 6, y0 + 30), kGold);
      }
  });
}

std::vector<RgbaImage> digits(const TextPainter& text) {
  std::vector<RgbaImage> frames;
  for (int d = 0; d < 10; ++d) {
    Canvas c(19, 26);
    TextStyleSpec spec;
    spec.face = "IPAPGothic";
    spec.height = 22;
    spec.style = 1;
    Paint gold = Paint::linear(0, 2, 0, 24, {{0, rgb(255, 250, 230)}, {1, kGold}});
    spec.paint = &gold;
    spec.shadow = 2;
    char t[2] = {static_cast<char>('0' + d), 0};
    drawLabel(c, text, t, 9.5f, 1, spec, true);
    frames.push_back(c.toImage());
  }
  return frames;
}

RgbaImage arrow(int direction) {
  Canvas c(40, 40);
  Point tip[4][3] = {{{20, 6}, {34, 30}, {6, 30}}, {{20, 34}, {34, 10}, {6, 10}}, {{6, 20}, {30, 6}, {30, 34}}, {{34, 20}, {10, 6}, {10, 34}}};
  Shape s = Shape::polygon({tip[direction][0], tip[direction][1], tip[direction][2]});
  c.glow(s.grown(3), rgb(150, 190, 255, 0.5f), 1.0f, 6);
  c.draw(s, Paint::linear(0, 0, 0, 40, {{0, rgb(255, 255, 255)}, {1, rgb(180, 200, 255)}}));
  return c.toImage();
}

}  // namespace

void makeExtrasParts(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  const TextPainter& text = ctx.text;
  s.bmp24("_OmCgBack.bmp", extrasBackground(text, "CG GALLERY", true), "picture gallery background");
  s.bmp24("_OmKsBack.bmp", extrasBackground(text, "SCENE", true), "scene gallery background");
  s.bmp24("_OmMuBack.bmp", extrasBackground(text, "MUSIC", false), "music room background");

  // Gallery sheets: one thumbnail per gallery entry (the a and b pictures of an event
  // share one), then the backgrounds, twenty to a page.
  const char* order[] = {"ev01a", "ev02a", "ev03a", "ev04",  "ev05",  "ev06",  "ev07",  "bg01a", "bg01b",
                         "bg02a", "bg02b", "bg03a", "bg03b", "bg04a", "bg05a"};
  std::vector<RgbaImage> pictures;
  for (const char* name : order) {
    auto it = ctx.thumbnails.find(name);
    if (it != ctx.thumbnails.end()) {
      pictures.push_back(it->second);
    } else {  // made on its own (--part): draw what is missing
      bool event = name[0] == 'e';
      int n = std::atoi(name + 2) - 1;
      int variant = name[4] == 'b' ? 1 : 0;
      pictures.push_back(thumbnailOf(event ? drawEventPicture(n, variant) : drawBackgroundPicture(n < 4 ? n * 2 + variant : 7)));
    }
  }
  for (int page = 0; page < 6; ++page) {
    std::vector<RgbaImage> onPage;
    for (int i = 0; i < 20; ++i) onPage.push_back(pictures[(page * 20 + i) % pictures.size()]);
    char name[24];
    std::snprintf(name, sizeof name, "_OmCg%d.psd", page + 1);
    s.framesPsd(name, sheet(onPage, {}, text), PsdCompression::Rle,
                "picture gallery thumbnails, page " + std::to_string(page + 1) + ": layers locked/available/highlighted");
  }
  for (int page = 0; page < 2; ++page) {
    std::vector<RgbaImage> onPage;
    std::vector<std::string> captions;
    for (int i = 0; i < 20; ++i) {
      int n = page * 20 + i;
      onPage.push_back(pictures[(n * 3 + 5) % pictures.size()]);  // scene 1, the memory: ev06
      captions.push_back("SCENE " + std::to_string(n + 1));
    }
    char name[24];
    std::snprintf(name, sizeof name, "_OmKs%d.psd", page + 1);
    s.framesPsd(name, sheet(onPage, captions, text), PsdCompression::Rle,
                "scene gallery thumbnails, page " + std::to_string(page + 1) + ": layers locked/available/highlighted");
  }

  s.framesPsd("_OmBtRet.psd", canvasButton(text, 84, 30, 2, 2, 82, 28, "戻る", 15), PsdCompression::Raw,
              "extras: back to the title, at (706, 565)");
  s.framesPsd("_OmBtCg.psd", canvasButton(text, 240, 32, 0, 2, 76, 30, "CG", 14), PsdCompression::Rle,
              "extras: to the picture gallery, 240x32 canvas at (549, 31)");
  s.framesPsd("_OmBtKs.psd", canvasButton(text, 240, 32, 82, 2, 158, 30, "SCENE", 14), PsdCompression::Rle,
              "extras: to the scene gallery, same canvas");
  s.framesPsd("_OmBtKs2.psd", canvasButton(text, 240, 32, 82, 2, 158, 30, "SCENE", 14), PsdCompression::Rle,
              "extras: to the scene gallery (music room), same canvas");
  s.framesPsd("_OmBtMu.psd", canvasButton(text, 240, 32, 164, 2, 240, 30, "MUSIC", 14), PsdCompression::Rle,
              "extras: to the music room, same canvas");
  for (int p = 0; p < 6; ++p) {
    char name[24], caption[16];
    std::snprintf(name, sizeof name, "_OmCgBtP%d.psd", p + 1);
    std::snprintf(caption, sizeof caption, "%d", p + 1);
    float x = p * 40.0f;
    s.framesPsd(name, canvasButton(text, 240, 30, x + 1, 1, x + 37, 29, caption, 15), PsdCompression::Rle,
                "gallery page button " + std::to_string(p + 1) + ", 240x30 canvas at (64, 105)");
  }
  s.framesPsd("_OmNo.psd", digits(text), PsdCompression::Raw, "completion digits, frame = digit (10 frames)");
  for (int k = 0; k < 14; ++k) {
    char name[24];
    std::snprintf(name, sizeof name, "_OmMu%02d.psd", k + 1);
    s.framesPsd(name, trackButton(text, k), PsdCompression::Rle,
                std::string("music room track ") + std::to_string(k + 1) + " \"" + musicTitle(k + 1) +
                    "\", 640x330 canvas at (87, 133); state 2 = playing");
  }
  s.framesPsd("_OmMuStop.psd", canvasButton(text, 136, 36, 2, 2, 134, 34, "■ STOP", 15), PsdCompression::Rle,
              "music room: stop, at (332, 513)");
  const char* arrows[] = {"_OmArrowU.psd", "_OmArrowD.psd", "_OmArrowL.psd", "_OmArrowR.psd"};
  const char* where[] = {"up (slot 170)", "down (slot 171)", "left (slot 172)", "right (slot 173)"};
  for (int d = 0; d < 4; ++d)
    s.framesPsd(arrows[d], {arrow(d)}, PsdCompression::Raw, std::string("gallery scroll arrow ") + where[d] + ", 40x40");
}

}  // namespace ml::tools
