// The message window and its neighbours: window picture and frame, name plate, the
// key-wait icon, the window's button bar and captions, the backlog's window and
// buttons, the choice bars and the skip/return indicators.
//
// Geometry the pictures are drawn for (the scripts' window commands set it):
//   message window at (0, 420), picture offset (0, 0), text offset (72, 68),
//   28 columns, 3 rows:            window 0 0 420 0 0 72 68 28 3 _WinMsg 0 0
//   name plate at (20, 376), text offset (16, 8), 7 columns, 1 row:
//                                  window 2 20 376 0 0 16 8 7 1 _WinNam 0 0
// The engine places every window button at (x + 188, y + 39); each button picture is
// a 600x24 canvas with its own button at its own place, so they can all be loaded at
// that one point.
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

using namespace ui;

constexpr int kWinW = 800, kWinH = 180;
constexpr int kBarW = 600, kBarH = 24;

void windowBody(Canvas& c, Colour body) {
  Shape s = Shape::rect(10, 8, 790, 172, 14);
  c.draw(s, Paint::linear(0, 8, 0, 172, {{0, shade(body, 1.3f)}, {0.2f, body}, {1, shade(body, 0.6f)}}));
  c.draw(s, Paint::custom([](float x, float y) {
           float n = fractalNoise(x / 120.0f, y / 60.0f, 3, 900);
           return rgb(140, 170, 255, 0.06f * n);
         }));
}

void windowFrame(Canvas& c, Colour colour, bool emblem) {
  rim(c, 10, 8, 790, 172, 14, colour);
  // A thin rule under the button band, fading at both ends.
  c.draw(Shape::rect(40, 58, 760, 59.2f), Paint::linear(40, 0, 760, 0, {{0, withAlpha(colour, 0)}, {0.2f, withAlpha(colour, 0.6f)},
                                                                         {0.8f, withAlpha(colour, 0.6f)}, {1, withAlpha(colour, 0)}}));
  if (emblem) {
    c.glow(crescent(38, 34, 13), rgb(255, 240, 200, 0.35f), 1.0f, 6);
    c.draw(crescent(38, 34, 13), Paint::linear(0, 20, 0, 48, {{0, rgb(255, 250, 230)}, {1, kGold}}));
    for (int i = 0; i < 3; ++i) c.glow(Shape::circle(60.0f + i * 9, 26.0f + i * 5, 1.5f), rgb(255, 255, 255, 0.8f), 1.0f, 2);
  }
}

void plate(Canvas& c, Colour body) {
  c.draw(Shape::rect(4, 4, 196, 36, 10), Paint::linear(0, 4, 0, 36, {{0, shade(body, 1.4f)}, {1, shade(body, 0.7f)}}));
}

// Captions of the window's nine buttons, in button order.
struct BarButton {
  const char* file;
  const char* caption;
  const char* guide;
  const char* note;
};
const BarButton kWindowButtons[] = {
    {"_iLog.psd", "LOG", "バックログを見る", "window button 1: backlog"},
    {"_iLoad.psd", "LOAD", "ロード画面を開く", "window button 2: load screen"},
    {"_iSave.psd", "SAVE", "セーブ画面を開く", "window button 3: save screen"},
    {"_iPrevSel.psd", "BACK", "前の選択肢に戻る", "window button 4: back to the last choice"},
    {"_iNextSel.psd", "NEXT", "次の選択肢まで進む", "window button 5: on to the next choice"},
    {"_iSkip.psd", "SKIP", "スキップ", "window button 6: skip mode"},
    {"_iAuto.psd", "AUTO", "オートモード", "window button 7: auto mode"},
    {"_iOption.psd", "CONFIG", "オプション", "window button 8: in-game options"},
    {"_iHide.psd", "HIDE", "ウィンドウを消す", "window button 9: hide the window"},
};
const BarButton kBacklogButtons[] = {
    {"_lVo.psd", "VOICE", "ボイスをもう一度", "backlog button: replay the voice"},
    {"_lCont.psd", "JUMP", "ここから再開する", "backlog button: continue from this page"},
    {"_lPrev.psd", "PREV", "ひとつ前のページ", "backlog button: older page"},
    {"_lNext.psd", "NEXT", "ひとつ後のページ", "backlog button: newer page"},
    {"_lTop.psd", "OLDEST", "いちばん古いページ", "backlog button: oldest page"},
    {"_lBottom.psd", "NEWEST", "いちばん新しいページ", "backlog button: newest page"},
};

// Button k of a bar: 58x20 at x = 8 + 64k on the 600x24 canvas.
std::vector<RgbaImage> barButton(const TextPainter& text, int k, const char* caption) {
  return stateFrames(kBarW, kBarH, [&](Canvas& c, int state) {
    float x0 = 8.0f + 64 * k;
    button(c, text, x0, 2, x0 + 58, 22, state, {caption, 11, true});
  });
}

// A tooltip-like caption per button, one frame each.
std::vector<RgbaImage> guideFrames(const TextPainter& text, const BarButton* buttons, int count) {
  std::vector<RgbaImage> frames;
  for (int i = 0; i < count; ++i) {
    Canvas c(200, 28);
    c.draw(Shape::rect(2, 2, 198, 26, 12), rgb(8, 12, 30, 0.85f));
    c.draw(Shape::rect(2, 2, 198, 26, 12) - Shape::rect(3.2f, 3.2f, 196.8f, 24.8f, 11), withAlpha(kSilver, 0.7f));
    label(c, text, buttons[i].guide, 100, 6, 15, kText, true);
    frames.push_back(c.toImage());
  }
  return frames;
}

// The window's button captions share one bar-wide canvas, as the buttons do: frame
// m - 1 holds the caption of button m just above it (the engine places the caption
// picture once, right above the start of the bar).
std::vector<RgbaImage> windowCaptionFrames(const TextPainter& text, const BarButton* buttons, int count) {
  std::vector<RgbaImage> frames;
  for (int k = 0; k < count; ++k) {
    Canvas c(kBarW, 28);
    const float half = 78, centre = 8.0f + 64 * k + 29;
    const float x0 = std::fmin(std::fmax(centre - half, 2.0f), kBarW - 2 - 2 * half);
    const Shape box = Shape::rect(x0, 2, x0 + 2 * half, 26, 12);
    c.draw(box, rgb(8, 12, 30, 0.85f));
    c.draw(box - Shape::rect(x0 + 1.2f, 3.2f, x0 + 2 * half - 1.2f, 24.8f, 11), withAlpha(kSilver, 0.7f));
    label(c, text, buttons[k].guide, x0 + half, 6, 15, kText, true);
    frames.push_back(c.toImage());
  }
  return frames;
}

// The key-wait mark: a small crescent that rises and brightens; played back and forth.
std::vector<RgbaImage> retFrames() {
  std::vector<RgbaImage> frames;
  for (int f = 0; f < 8; ++f) {
    Canvas c(28, 32);
    float t = f / 7.0f;
    float y = 18 - 5 * std::sin(t * 3.14159f / 2);
    c.glow(Shape::circle(14, y, 9), rgb(255, 230, 160, 0.25f + 0.35f * t), 1.0f, 6);
    c.draw(crescent(14, y, 8), Paint::linear(0, y - 8, 0, y + 8, {{0, rgb(255, 252, 235)}, {1, kGold}}));
    c.glow(Shape::circle(21, y - 6, 1.2f + t), rgb(255, 255, 255, 0.5f + 0.5f * t), 1.0f, 2);
    c.draw(Shape::ellipse(14, 29, 7 - 2 * t, 1.5f), rgb(0, 0, 0, 0.35f - 0.2f * t), 1.0f, 2);
    frames.push_back(c.toImage());
  }
  return frames;
}

RgbaImage indicator(const TextPainter& text, const char* caption, bool forward) {
  Canvas c(160, 30, rgb(8, 10, 28));
  c.draw(Shape::rect(1, 1, 159, 29, 0) - Shape::rect(2.2f, 2.2f, 157.8f, 27.8f), kGold);
  label(c, text, caption, 64, 6, 16, rgb(255, 240, 200), true, true);
  for (int i = 0; i < 2; ++i) {
    float x = 122.0f + i * 12;
    if (forward)
      c.draw(Shape::polygon({{x, 9}, {x + 10, 15}, {x, 21}}), kGold);
    else
      c.draw(Shape::polygon({{x + 10, 9}, {x, 15}, {x + 10, 21}}), kGold);
  }
  return c.toImage();
}

}  // namespace

void makeWindowParts(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  const TextPainter& text = ctx.text;

  Canvas win(kWinW, kWinH);
  windowBody(win, rgb(20, 28, 66));
  s.framesPsd("_WinMsg.psd", {win.toImage()}, PsdCompression::Rle,
              "message window picture, 800x180 at the window position (drawn at Window/Alpha)");
  Canvas frame(kWinW, kWinH);
  windowFrame(frame, kSilver, true);
  s.framesPsd("_WindowF.psd", {frame.toImage()}, PsdCompression::Rle, "message window frame, at the window position");

  Canvas name(200, 40);
  plate(name, rgb(26, 36, 84));
  s.framesPsd("_WinNam.psd", {name.toImage()}, PsdCompression::Raw, "name plate picture, 200x40");
  Canvas nameF(200, 40);
  rim(nameF, 4, 4, 196, 36, 10, kSilver);
  s.framesPsd("_WinNamF.psd", {nameF.toImage()}, PsdCompression::Raw, "name plate frame");

  s.framesPsd("_Ret.psd", retFrames(), PsdCompression::Raw, "key-wait mark, 8 frames played back and forth");

  for (int k = 0; k < 9; ++k)
    s.framesPsd(kWindowButtons[k].file, barButton(text, k, kWindowButtons[k].caption), k % 2 ? PsdCompression::Raw : PsdCompression::Rle,
                std::string(kWindowButtons[k].note) + "; 600x24 bar canvas, states normal/highlighted/selected");
  s.framesPsd("_iGuide.psd", windowCaptionFrames(text, kWindowButtons, 9), PsdCompression::Rle,
              "window button captions, 600x28 bar canvas, frame m-1 holds button m's caption above it");

  // Backlog: an opaque, warmer window in the same place, with its own plate.
  Canvas log(kWinW, kWinH);
  windowBody(log, rgb(46, 34, 60));
  label(log, text, "BACKLOG", 640, 16, 14, withAlpha(kGold, 0.8f), false, true);
  s.framesPsd("_WinLog.psd", {log.toImage()}, PsdCompression::Rle, "backlog window picture, 800x180");
  Canvas logF(kWinW, kWinH);
  windowFrame(logF, kGold, false);
  s.framesPsd("_WinLogF.psd", {logF.toImage()}, PsdCompression::Rle, "backlog window frame");
  Canvas logName(200, 40);
  plate(logName, rgb(56, 40, 70));
  s.framesPsd("_WinLogNam.psd", {logName.toImage()}, PsdCompression::Raw, "backlog name plate picture");
  Canvas logNameF(200, 40);
  rim(logNameF, 4, 4, 196, 36, 10, kGold);
  s.framesPsd("_WinLogNamF.psd", {logNameF.toImage()}, PsdCompression::Raw, "backlog name plate frame");
  for (int k = 0; k < 6; ++k)
    s.framesPsd(kBacklogButtons[k].file, barButton(text, k, kBacklogButtons[k].caption), PsdCompression::Rle,
                std::string(kBacklogButtons[k].note) + "; 600x24 bar canvas, states normal/highlighted/selected");
  s.framesPsd("_lGuide.psd", guideFrames(text, kBacklogButtons, 6), PsdCompression::Rle,
              "backlog button captions, one frame per button");

  // Choice bars: the background named by the choice window command, and its highlight.
  Canvas sel(520, 36);
  sel.draw(Shape::rect(2, 2, 518, 34, 17), Paint::linear(0, 2, 0, 34, {{0, rgb(40, 56, 120)}, {1, rgb(14, 20, 50)}}));
  sel.draw(Shape::rect(2, 2, 518, 34, 17) - Shape::rect(3.4f, 3.4f, 516.6f, 32.6f, 16), withAlpha(kSilver, 0.8f));
  s.framesPsd("_WinSel.psd", {sel.toImage()}, PsdCompression::Rle, "choice background bar, 520x36");
  std::vector<RgbaImage> glow;
  for (int f = 0; f < 6; ++f) {
    Canvas g(520, 36);
    float k = 0.55f + 0.45f * std::sin(f / 6.0f * 3.14159f);
    g.draw(Shape::rect(2, 2, 518, 34, 17), Paint::linear(0, 0, 520, 0, {{0, rgb(255, 220, 140, 0)}, {0.5f, rgb(255, 220, 140, 0.35f * k)},
                                                                          {1, rgb(255, 220, 140, 0)}}));
    g.draw(Shape::rect(2, 2, 518, 34, 17) - Shape::rect(4, 4, 516, 32, 15), withAlpha(kGold, 0.6f + 0.4f * k));
    glow.push_back(g.toImage());
  }
  s.framesPsd("_WinSelS.psd", glow, PsdCompression::Rle, "choice highlight, 520x36, 6 frames (loop)");

  s.bmp24("_Skip.bmp", indicator(text, "SKIP", true), "mode indicator while skipping to the next choice");
  s.bmp24("_Return.bmp", indicator(text, "RETURN", false), "mode indicator while returning to the last choice");
}

}  // namespace ml::tools
