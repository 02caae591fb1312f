// The in-game option screen: two page backgrounds drawn around the positions the
// engine uses for its check marks, sliders and buttons, and those marks and buttons.
//
// Page 1: check positions (486|661, 115) screen mode, (486|661, 197) keep running
// when inactive, (441|516, 320 / 472 / 550) read-text colour, skip stops at unread
// text, next-choice stops at unread text; slider tracks 256x16 from (110, y) for y =
// 169, 240, 314, 353, 426, 505. Page 2: check marks at (34, y) for y = 64, 107, 150,
// 251 … 552 (steps of 43), slider tracks from (171, y + 6), the guide-voice positions
// (527, 251 … 423) and (670, 294 / 337). Buttons share one 200x280 canvas at (587, 315).
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

using namespace ui;

void checkBox(Canvas& c, float x, float y) {
  Shape box = Shape::rect(x + 3, y + 3, x + 26, y + 26, 5);
  c.draw(box, rgb(4, 6, 20, 0.85f));
  c.draw(box - box.grown(-1.2f), withAlpha(kSilver, 0.8f));
}

void track(Canvas& c, float x, float y) {
  c.draw(Shape::rect(x - 2, y + 4, x + 262, y + 12, 4), rgb(4, 6, 20, 0.9f));
  c.draw(Shape::rect(x - 2, y + 4, x + 262, y + 12, 4) - Shape::rect(x - 1, y + 5, x + 261, y + 11, 3), withAlpha(kSilver, 0.6f));
  for (int k = 0; k <= 8; ++k) c.draw(Shape::rect(x + k * 32 - 0.5f, y + 14, x + k * 32 + 0.5f, y + 18), withAlpha(kSilver, 0.5f));
}

void sliderRow(Canvas& c, const TextPainter& text, float y, const char* name, const char* left, const char* right) {
  label(c, text, name, 40, y - 22, 15, kText, false, true);
  track(c, 110, y);
  label(c, text, left, 86, y + 1, 11, rgb(170, 180, 220), true);
  label(c, text, right, 386, y + 1, 11, rgb(170, 180, 220), true);
}

void checkPair(Canvas& c, const TextPainter& text, float y, float xa, float xb, const char* title, const char* a, const char* b) {
  label(c, text, title, xa, y - 22, 15, kText, false, true);
  checkBox(c, xa, y);
  checkBox(c, xb, y);
  label(c, text, a, xa + 32, y + 7, 13, kText);
  label(c, text, b, xb + 32, y + 7, 13, kText);
}

RgbaImage page1(const TextPainter& text) {
  Canvas c = screenBackground(rgb(14, 24, 60), rgb(6, 8, 24), 1201);
  heading(c, text, "OPTION", 24, 8, 36);
  panel(c, 20, 58, 400, 590, 12, 0.55f);
  panel(c, 420, 58, 790, 272, 12, 0.55f);
  panel(c, 420, 282, 580, 590, 12, 0.55f);
  label(c, text, "名前", 40, 82, 16, kText, false, true);
  c.draw(Shape::rect(206, 76, 350, 106, 6), rgb(0, 0, 10, 0.7f));
  checkPair(c, text, 115, 486, 661, "画面モード", "ウィンドウ", "フルスクリーン");
  checkPair(c, text, 197, 486, 661, "非アクティブ時も動かす", "する", "しない");
  checkPair(c, text, 320, 441, 516, "既読の色を変える", "ON", "OFF");
  checkPair(c, text, 472, 441, 516, "未読でスキップ停止", "ON", "OFF");
  checkPair(c, text, 550, 441, 516, "未読で選択肢送り停止", "ON", "OFF");
  sliderRow(c, text, 169, "文字の速さ", "遅い", "速い");
  sliderRow(c, text, 240, "ウィンドウの濃さ", "薄い", "濃い");
  sliderRow(c, text, 314, "既読文字の明るさ", "明るい", "暗い");
  sliderRow(c, text, 353, "既読文字の縁", "明るい", "暗い");
  sliderRow(c, text, 426, "オートの待ち時間", "長い", "短い");
  sliderRow(c, text, 505, "スキップの間隔", "長い", "短い");
  return c.toImage();
}

RgbaImage page2(const TextPainter& text) {
  Canvas c = screenBackground(rgb(14, 24, 60), rgb(6, 8, 24), 1202);
  heading(c, text, "OPTION", 24, 8, 36);
  panel(c, 20, 52, 470, 200, 12, 0.55f);
  panel(c, 20, 216, 470, 592, 12, 0.55f);
  panel(c, 500, 200, 790, 470, 12, 0.55f);
  const char* volumes[] = {"音楽", "効果音", "ボイス"};
  for (int i = 0; i < 3; ++i) {
    float y = 64.0f + 43 * i;
    checkBox(c, 34, y);
    label(c, text, volumes[i], 70, y + 6, 15, kText, false, true);
    track(c, 171, y + 6);
  }
  label(c, text, "キャラクター別ボイス", 34, 226, 13, rgb(190, 200, 240), false, true);
  const char* names[] = {"葵", "凛", "颯", "母", "店主", "友人", "子ども", "その他"};
  for (int i = 0; i < 8; ++i) {
    float y = 251.0f + 43 * i;
    checkBox(c, 34, y);
    label(c, text, names[i], 70, y + 6, 15, kText, false, true);
    track(c, 171, y + 6);
  }
  label(c, text, "アイコンの説明の声", 520, 214, 15, kText, false, true);
  const char* guides[] = {"なし", "葵", "凛", "颯", "案内 4", "案内 5", "案内 6"};
  const float pos[][2] = {{527, 251}, {527, 294}, {527, 337}, {527, 380}, {527, 423}, {670, 294}, {670, 337}};
  for (int i = 0; i < 7; ++i) {
    c.draw(Shape::circle(pos[i][0] + 14.5f, pos[i][1] + 14.5f, 11), rgb(4, 6, 20, 0.85f));
    c.draw(Shape::circle(pos[i][0] + 14.5f, pos[i][1] + 14.5f, 11) - Shape::circle(pos[i][0] + 14.5f, pos[i][1] + 14.5f, 9.8f),
           withAlpha(kSilver, 0.8f));
    label(c, text, guides[i], pos[i][0] + 34, pos[i][1] + 7, 13, kText);
  }
  return c.toImage();
}

std::vector<RgbaImage> canvasButton(const TextPainter& text, int w, int h, float x0, float y0, float x1, float y1,
                                    const char* caption, int size) {
  return stateFrames(w, h, [&](Canvas& c, int state) { button(c, text, x0, y0, x1, y1, state, {caption, size, true}); });
}

}  // namespace

void makeOptionParts(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  const TextPainter& text = ctx.text;
  s.bmp24("_Op1Back.bmp", page1(text), "option screen, first page");
  s.bmp24("_Op2Back.bmp", page2(text), "option screen, second page");

  Canvas check(29, 29);
  check.glow(Shape::circle(14.5f, 14.5f, 11), rgb(255, 220, 140, 0.4f), 1.0f, 6);
  check.draw(crescent(14.5f, 14.5f, 9), Paint::linear(0, 5, 0, 24, {{0, rgb(255, 252, 230)}, {1, kGold}}));
  s.framesPsd("_Op0Check.psd", {check.toImage()}, PsdCompression::Raw, "option screen check mark, 29x29");
  Canvas knob(9, 14);
  knob.draw(Shape::polygon({{4.5f, 0}, {9, 5}, {9, 14}, {0, 14}, {0, 5}}), Paint::linear(0, 0, 0, 14, {{0, rgb(255, 250, 230)}, {1, kGold}}));
  knob.draw(Shape::polygon({{4.5f, 0}, {9, 5}, {9, 14}, {0, 14}, {0, 5}}) - Shape::polygon({{4.5f, 1.4f}, {7.8f, 5.4f}, {7.8f, 12.8f}, {1.2f, 12.8f}, {1.2f, 5.4f}}),
             rgb(90, 60, 20));
  s.framesPsd("_Op0Slide.psd", {knob.toImage()}, PsdCompression::Raw, "option screen slider knob, 9x14 (drawn at track x + value - 4, y + 5)");

  // Page tabs on one 280x36 canvas at (510, 17).
  s.framesPsd("_Op0Page1.psd", canvasButton(text, 280, 36, 0, 2, 134, 34, "画面・文字", 15), PsdCompression::Rle,
              "option tab: first page, 280x36 canvas at (510, 17)");
  s.framesPsd("_Op0Page2.psd", canvasButton(text, 280, 36, 142, 2, 276, 34, "サウンド", 15), PsdCompression::Rle,
              "option tab: second page, same canvas");
  // Buttons on one 200x280 canvas at (587, 315).
  s.framesPsd("_Op1Font.psd", canvasButton(text, 200, 280, 10, 4, 190, 40, "フォント", 15), PsdCompression::Rle,
              "option button: font dialog, 200x280 canvas at (587, 315)");
  s.framesPsd("_Op1Title.psd", canvasButton(text, 200, 280, 10, 52, 190, 88, "タイトルへ戻る", 15), PsdCompression::Rle,
              "option button: back to the title, same canvas");
  s.framesPsd("_Op1End.psd", canvasButton(text, 200, 280, 10, 100, 190, 136, "ゲーム終了", 15), PsdCompression::Rle,
              "option button: quit the game, same canvas");
  s.framesPsd("_Op0Ok.psd", canvasButton(text, 200, 280, 10, 226, 190, 266, "閉じる", 17), PsdCompression::Rle,
              "option button: close the screen, same canvas");
  s.framesPsd("_Op1Name.psd", canvasButton(text, 64, 32, 2, 2, 62, 30, "変更", 14), PsdCompression::Raw,
              "option button: change the name, at (358, 69)");
}

}  // namespace ml::tools
