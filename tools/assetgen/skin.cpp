// The starter skin a new game begins with (mirelune-new): every picture the engine
// loads by name, for the message window and its name plate, the backlog, the choice
// bars, the title menu, the save and load screen, the option screen, the extras and the
// sky animation, in one plain look: slate panels, white captions, one blue accent. The
// geometry is the demo's (see the other parts of this folder), so the demo's window and
// screen commands fit both.
#include <cmath>
#include <cstdio>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/ui_style.h"

namespace ml::tools {
namespace {

const Colour kSlate = rgb(30, 34, 42);
const Colour kLine = rgb(214, 220, 228);
const Colour kAccent = rgb(96, 160, 220);
const Colour kMuted = rgb(150, 158, 170);
const Colour kWhite = rgb(246, 248, 250);

void slatePanel(Canvas& c, float x0, float y0, float x1, float y1, float radius, float opacity = 0.88f,
                Colour body = kSlate) {
  Shape s = Shape::rect(x0, y0, x1, y1, radius);
  c.draw(s, Paint::linear(0, y0, 0, y1, {{0, shade(body, 1.2f)}, {1, shade(body, 0.85f)}}), opacity);
}

void hairline(Canvas& c, float x0, float y0, float x1, float y1, float radius, Colour colour = kLine) {
  Shape s = Shape::rect(x0, y0, x1, y1, radius);
  c.draw(s - s.grown(-1.2f), withAlpha(colour, 0.8f));
}

// Button states: 0 normal, 1 under the pointer, 2 selected.
void flatButton(Canvas& c, const TextPainter& text, float x0, float y0, float x1, float y1, int state,
                const std::string& caption, int size) {
  float r = std::min(6.0f, (y1 - y0) / 2);
  Colour body = state == 2 ? shade(kAccent, 0.7f) : state == 1 ? rgb(64, 72, 86) : rgb(40, 44, 54);
  c.draw(Shape::rect(x0, y0, x1, y1, r), body, 0.94f);
  hairline(c, x0, y0, x1, y1, r, state == 0 ? kMuted : state == 1 ? kWhite : kAccent);
  ui::label(c, text, caption, (x0 + x1) / 2, (y0 + y1) / 2 - size / 2.0f - 1, size, state == 0 ? kLine : kWhite,
            true, true);
}

std::vector<RgbaImage> canvasButton(const TextPainter& text, int w, int h, float x0, float y0, float x1, float y1,
                                    const std::string& caption, int size) {
  return ui::stateFrames(w, h, [&](Canvas& c, int state) { flatButton(c, text, x0, y0, x1, y1, state, caption, size); });
}

Canvas plainScreen(const TextPainter& text, const char* heading) {
  Canvas c(800, 600, Paint::linear(0, 0, 0, 600, {{0, rgb(44, 50, 60)}, {1, rgb(22, 25, 31)}}));
  ui::label(c, text, heading, 28, 14, 30, kWhite, false, true);
  c.draw(Shape::rect(28, 56, 772, 57), withAlpha(kLine, 0.4f));
  return c;
}

// Frames of a slow pulse, for highlights that loop.
template <typename Draw>
std::vector<RgbaImage> pulse(int w, int h, int frames, Draw draw) {
  std::vector<RgbaImage> out;
  for (int f = 0; f < frames; ++f) {
    Canvas c(w, h);
    draw(c, 0.6f + 0.4f * std::sin(f / static_cast<float>(frames) * 3.14159f));
    out.push_back(c.toImage());
  }
  return out;
}

struct Part {
  const char* file;
  const char* caption;
  const char* guide;
};

// The window's buttons in bar order, each 58x20 at x = 8 + 64k on one 600x24 canvas.
const Part kWindowButtons[] = {
    {"_iLog.psd", "LOG", "バックログを見る"},      {"_iLoad.psd", "LOAD", "ロード画面を開く"},
    {"_iSave.psd", "SAVE", "セーブ画面を開く"},    {"_iPrevSel.psd", "BACK", "前の選択肢に戻る"},
    {"_iNextSel.psd", "NEXT", "次の選択肢まで進む"}, {"_iSkip.psd", "SKIP", "スキップ"},
    {"_iAuto.psd", "AUTO", "オートモード"},        {"_iOption.psd", "CONFIG", "オプション"},
    {"_iHide.psd", "HIDE", "ウィンドウを消す"},
};
const Part kBacklogButtons[] = {
    {"_lVo.psd", "VOICE", "ボイスをもう一度"},    {"_lCont.psd", "JUMP", "ここから再開する"},
    {"_lPrev.psd", "PREV", "ひとつ前のページ"},   {"_lNext.psd", "NEXT", "ひとつ後のページ"},
    {"_lTop.psd", "OLDEST", "いちばん古いページ"}, {"_lBottom.psd", "NEWEST", "いちばん新しいページ"},
};

void bar(AssetSink& s, const TextPainter& text, const Part* parts, int count, const char* guideFile) {
  for (int k = 0; k < count; ++k) {
    float x0 = 8.0f + 64 * k;
    s.framesPsd(parts[k].file, canvasButton(text, 600, 24, x0, 2, x0 + 58, 22, parts[k].caption, 11),
                PsdCompression::Rle, "bar button, 600x24 canvas, states normal/highlighted/selected");
  }
  std::vector<RgbaImage> guides;
  for (int k = 0; k < count; ++k) {
    Canvas c(200, 28);
    slatePanel(c, 2, 2, 198, 26, 8, 0.92f);
    hairline(c, 2, 2, 198, 26, 8, kMuted);
    ui::label(c, text, parts[k].guide, 100, 6, 14, kWhite, true);
    guides.push_back(c.toImage());
  }
  s.framesPsd(guideFile, guides, PsdCompression::Rle, "button captions, one frame per button");
}

void windowParts(AssetSink& s, const TextPainter& text) {
  // Kind 0, the message window: 800x180 at (0, 420), text from (72, 68).
  for (bool log : {false, true}) {
    Canvas win(800, 180);
    slatePanel(win, 10, 8, 790, 172, 10, log ? 0.96f : 0.82f, log ? rgb(36, 38, 48) : kSlate);
    if (log) ui::label(win, text, "BACKLOG", 700, 16, 13, kMuted, true, true);
    s.framesPsd(log ? "_WinLog.psd" : "_WinMsg.psd", {win.toImage()}, PsdCompression::Rle, "window picture, 800x180");
    Canvas frame(800, 180);
    hairline(frame, 10, 8, 790, 172, 10);
    frame.draw(Shape::rect(40, 58, 760, 59), withAlpha(kLine, 0.25f));
    s.framesPsd(log ? "_WinLogF.psd" : "_WindowF.psd", {frame.toImage()}, PsdCompression::Rle, "window frame, 800x180");
    // Kind 2, the name plate: 200x40 at (20, 376).
    Canvas plate(200, 40);
    slatePanel(plate, 4, 4, 196, 36, 8, 0.9f, log ? rgb(36, 38, 48) : rgb(40, 46, 58));
    s.framesPsd(log ? "_WinLogNam.psd" : "_WinNam.psd", {plate.toImage()}, PsdCompression::Raw, "name plate, 200x40");
    Canvas plateF(200, 40);
    hairline(plateF, 4, 4, 196, 36, 8);
    s.framesPsd(log ? "_WinLogNamF.psd" : "_WinNamF.psd", {plateF.toImage()}, PsdCompression::Raw, "name plate frame");
  }
  std::vector<RgbaImage> ret;
  for (int f = 0; f < 8; ++f) {
    Canvas c(28, 32);
    float y = 12 + 4 * std::sin(f / 7.0f * 3.14159f / 2);
    c.draw(Shape::polygon({{7, y}, {21, y}, {14, y + 10}}), withAlpha(kWhite, 0.6f + 0.05f * f));
    ret.push_back(c.toImage());
  }
  s.framesPsd("_Ret.psd", ret, PsdCompression::Raw, "key-wait mark, 8 frames played back and forth");
  bar(s, text, kWindowButtons, 9, "_iGuide.psd");
  bar(s, text, kBacklogButtons, 6, "_lGuide.psd");

  Canvas sel(520, 36);
  slatePanel(sel, 2, 2, 518, 34, 6, 0.9f);
  hairline(sel, 2, 2, 518, 34, 6, kMuted);
  s.framesPsd("_WinSel.psd", {sel.toImage()}, PsdCompression::Rle, "choice bar, 520x36");
  s.framesPsd("_WinSelS.psd", pulse(520, 36, 6, [](Canvas& c, float k) {
                c.draw(Shape::rect(2, 2, 518, 34, 6), withAlpha(kAccent, 0.25f * k));
                hairline(c, 2, 2, 518, 34, 6, kAccent);
              }),
              PsdCompression::Rle, "choice highlight, 520x36, 6 frames (loop)");
  for (bool forward : {true, false}) {
    Canvas c(160, 30, rgb(30, 34, 42));
    hairline(c, 1, 1, 159, 29, 0, kAccent);
    ui::label(c, text, forward ? "SKIP" : "RETURN", 70, 6, 15, kWhite, true, true);
    float x = 132;
    c.draw(forward ? Shape::polygon({{x, 9}, {x + 10, 15}, {x, 21}}) : Shape::polygon({{x + 10, 9}, {x, 15}, {x + 10, 21}}),
           kAccent);
    s.bmp24(forward ? "_Skip.bmp" : "_Return.bmp", c.toImage(), "mode indicator, 160x30");
  }
}

void titleParts(AssetSink& s, const TextPainter& text, const std::string& title) {
  Canvas back(800, 600, Paint::linear(0, 0, 0, 600, {{0, rgb(58, 66, 80)}, {1, rgb(20, 22, 28)}}));
  ui::label(back, text, title, 540, 150, 48, kWhite, true, true);
  back.draw(Shape::rect(380, 218, 700, 219), withAlpha(kLine, 0.5f));
  slatePanel(back, 30, 326, 276, 520, 10, 0.6f);
  s.bmp24("_MnBack.bmp", back.toImage(), "title menu background");
  // Five buttons on 90x210 canvases at (115, 295), caption rows 34 apart.
  const char* captions[] = {"はじめから", "つづきから", "おまけ", "オプション", "終了"};
  const char* files[] = {"_MnStart.psd", "_MnCont.psd", "_MnOmake.psd", "_MnOption.psd", "_MnEnd.psd"};
  for (int row = 0; row < 5; ++row)
    s.framesPsd(files[row], ui::stateFrames(90, 210, [&](Canvas& c, int state) {
                  float y = 48.0f + row * 34;
                  if (state > 0) c.draw(Shape::rect(2, y, 88, y + 26, 4), withAlpha(kAccent, state == 1 ? 0.3f : 0.55f));
                  ui::label(c, text, captions[row], 45, y + 4, 16, state == 0 ? kLine : kWhite, true, true);
                }),
                PsdCompression::Rle, "title button, 90x210 canvas at (115, 295)");
  for (bool left : {true, false})
    s.framesPsd(left ? "_MnMarkL.psd" : "_MnMarkR.psd", pulse(56, 26, 8, [left](Canvas& c, float k) {
                  float x = left ? 40 : 16;
                  c.draw(Shape::polygon({{x - 5, 13 - 5 * k}, {x + 5 * k, 13}, {x - 5, 13 + 5 * k}}), withAlpha(kAccent, k));
                }),
                PsdCompression::Rle, "title highlight mark, 8 frames (loop)");
}

void saveLoadParts(AssetSink& s, const TextPainter& text) {
  for (bool save : {false, true}) {
    Canvas c = plainScreen(text, save ? "SAVE" : "LOAD");
    // Ten entries of 221x46 at x 168 / 552, y 73 + 95 i; thumbnails 120x90 at (x - 131, y - 8).
    for (int i = 0; i < 10; ++i) {
      float x = i < 5 ? 168.0f : 552.0f, y = 73.0f + 95 * (i % 5);
      slatePanel(c, x - 138, y - 12, x + 226, y + 84, 6, 0.7f);
      c.draw(Shape::rect(x - 131, y - 8, x - 11, y + 82), rgb(16, 18, 22));
      char no[16];
      std::snprintf(no, sizeof no, "No.%02d", i + 1);
      ui::label(c, text, no, x + 4, y + 34, 13, kMuted, false, true);
    }
    slatePanel(c, 60, 550, 690, 584, 6, 0.7f);
    s.bmp24(save ? "_MLSaveBack.bmp" : "_MLLoadBack.bmp", c.toImage(), "save/load screen background");
  }
  s.framesPsd("_MLPrev.psd", canvasButton(text, 180, 40, 0, 2, 36, 38, "<", 16), PsdCompression::Rle,
              "previous page, 180x40 canvas at (252, 4)");
  s.framesPsd("_MLNext.psd", canvasButton(text, 180, 40, 144, 2, 180, 38, ">", 16), PsdCompression::Rle,
              "next page, same canvas");
  std::vector<RgbaImage> pages;
  for (int p = 0; p < 6; ++p) {
    Canvas c(180, 40);
    ui::label(c, text, "PAGE " + std::to_string(p + 1), 90, 11, 17, kWhite, true, true);
    pages.push_back(c.toImage());
  }
  s.framesPsd("_MLPage.psd", pages, PsdCompression::Rle, "page number, frame = page");
  s.framesPsd("_MLBigOn.psd", canvasButton(text, 170, 30, 0, 2, 80, 28, "大きく", 13), PsdCompression::Rle, "170x30 canvas");
  s.framesPsd("_MLBigOff.psd", canvasButton(text, 170, 30, 88, 2, 168, 28, "小さく", 13), PsdCompression::Rle, "same canvas");
  s.framesPsd("_MLEraseOff.psd", canvasButton(text, 150, 30, 0, 2, 70, 28, "通常", 13), PsdCompression::Rle, "150x30 canvas");
  s.framesPsd("_MLEraseOn.psd", canvasButton(text, 150, 30, 78, 2, 148, 28, "削除", 13), PsdCompression::Rle, "same canvas");
  s.framesPsd("_MLSel.psd", pulse(226, 92, 6, [](Canvas& c, float k) {
                c.draw(Shape::rect(2, 2, 224, 90, 6), withAlpha(kAccent, 0.15f * k));
                hairline(c, 2, 2, 224, 90, 6, kAccent);
              }),
              PsdCompression::Rle, "hovered entry, 6 frames (loop)");
  s.framesPsd("_MLReturn.psd", canvasButton(text, 84, 34, 2, 2, 82, 32, "戻る", 15), PsdCompression::Rle,
              "return button, for (706, 560)");
}

void checkBox(Canvas& c, float x, float y) {
  c.draw(Shape::rect(x + 4, y + 4, x + 25, y + 25, 3), rgb(14, 16, 20, 0.9f));
  hairline(c, x + 4, y + 4, x + 25, y + 25, 3, kMuted);
}

void track(Canvas& c, float x, float y) {
  c.draw(Shape::rect(x - 2, y + 6, x + 262, y + 10, 2), rgb(14, 16, 20, 0.9f));
  for (int k = 0; k <= 8; ++k) c.draw(Shape::rect(x + k * 32 - 0.5f, y + 13, x + k * 32 + 0.5f, y + 17), withAlpha(kMuted, 0.6f));
}

void optionParts(AssetSink& s, const TextPainter& text) {
  Canvas p1 = plainScreen(text, "OPTION");
  ui::label(p1, text, "名前", 40, 82, 16, kWhite, false, true);
  p1.draw(Shape::rect(206, 76, 350, 106, 4), rgb(14, 16, 20, 0.9f));
  const struct {
    float y, xa, xb;
    const char *title, *a, *b;
  } checks[] = {{115, 486, 661, "画面モード", "ウィンドウ", "フルスクリーン"},
                {197, 486, 661, "非アクティブ時も動かす", "する", "しない"},
                {320, 441, 516, "既読の色を変える", "ON", "OFF"},
                {472, 441, 516, "未読でスキップ停止", "ON", "OFF"},
                {550, 441, 516, "未読で選択肢送り停止", "ON", "OFF"}};
  for (const auto& k : checks) {
    ui::label(p1, text, k.title, k.xa, k.y - 22, 14, kWhite, false, true);
    checkBox(p1, k.xa, k.y);
    checkBox(p1, k.xb, k.y);
    ui::label(p1, text, k.a, k.xa + 32, k.y + 7, 13, kLine);
    ui::label(p1, text, k.b, k.xb + 32, k.y + 7, 13, kLine);
  }
  const struct {
    float y;
    const char* name;
  } sliders[] = {{169, "文字の速さ"}, {240, "ウィンドウの濃さ"}, {314, "既読文字の明るさ"},
                 {353, "既読文字の縁"}, {426, "オートの待ち時間"}, {505, "スキップの間隔"}};
  for (const auto& k : sliders) {
    ui::label(p1, text, k.name, 40, k.y - 22, 14, kWhite, false, true);
    track(p1, 110, k.y);
  }
  s.bmp24("_Op1Back.bmp", p1.toImage(), "option screen, first page");

  Canvas p2 = plainScreen(text, "OPTION");
  const char* volumes[] = {"音楽", "効果音", "ボイス"};
  for (int i = 0; i < 3; ++i) {
    float y = 64.0f + 43 * i;
    checkBox(p2, 34, y);
    ui::label(p2, text, volumes[i], 70, y + 6, 15, kWhite, false, true);
    track(p2, 171, y + 6);
  }
  ui::label(p2, text, "キャラクター別ボイス", 34, 226, 13, kMuted, false, true);
  for (int i = 0; i < 8; ++i) {
    float y = 251.0f + 43 * i;
    checkBox(p2, 34, y);
    ui::label(p2, text, "キャラクター " + std::to_string(i + 1), 70, y + 6, 15, kWhite, false, true);
    track(p2, 171, y + 6);
  }
  ui::label(p2, text, "アイコンの説明の声", 520, 214, 15, kWhite, false, true);
  const float guide[][2] = {{527, 251}, {527, 294}, {527, 337}, {527, 380}, {527, 423}, {670, 294}, {670, 337}};
  for (int i = 0; i < 7; ++i) {
    checkBox(p2, guide[i][0], guide[i][1]);
    ui::label(p2, text, i == 0 ? std::string("なし") : "声 " + std::to_string(i), guide[i][0] + 34, guide[i][1] + 7, 13, kLine);
  }
  s.bmp24("_Op2Back.bmp", p2.toImage(), "option screen, second page");

  Canvas check(29, 29);
  check.draw(Shape::line(8, 15, 13, 21, 3.2f) | Shape::line(13, 21, 22, 8, 3.2f), kAccent);
  s.framesPsd("_Op0Check.psd", {check.toImage()}, PsdCompression::Raw, "check mark, 29x29");
  Canvas knob(9, 14);
  knob.draw(Shape::rect(0, 0, 9, 14, 2), kWhite);
  s.framesPsd("_Op0Slide.psd", {knob.toImage()}, PsdCompression::Raw, "slider knob, 9x14");
  s.framesPsd("_Op0Page1.psd", canvasButton(text, 280, 36, 0, 2, 134, 34, "画面・文字", 15), PsdCompression::Rle,
              "first page tab, 280x36 canvas at (510, 17)");
  s.framesPsd("_Op0Page2.psd", canvasButton(text, 280, 36, 142, 2, 276, 34, "サウンド", 15), PsdCompression::Rle,
              "second page tab, same canvas");
  s.framesPsd("_Op1Font.psd", canvasButton(text, 200, 280, 10, 4, 190, 40, "フォント", 15), PsdCompression::Rle,
              "200x280 canvas at (587, 315)");
  s.framesPsd("_Op1Title.psd", canvasButton(text, 200, 280, 10, 52, 190, 88, "タイトルへ戻る", 15), PsdCompression::Rle,
              "same canvas");
  s.framesPsd("_Op1End.psd", canvasButton(text, 200, 280, 10, 100, 190, 136, "ゲーム終了", 15), PsdCompression::Rle,
              "same canvas");
  s.framesPsd("_Op0Ok.psd", canvasButton(text, 200, 280, 10, 226, 190, 266, "閉じる", 17), PsdCompression::Rle,
              "same canvas");
  s.framesPsd("_Op1Name.psd", canvasButton(text, 64, 32, 2, 2, 62, 30, "変更", 14), PsdCompression::Raw,
              "change the name, at (358, 69)");
}

void extrasParts(AssetSink& s, const TextPainter& text) {
  const char* backs[][2] = {{"_OmCgBack.bmp", "CG GALLERY"}, {"_OmKsBack.bmp", "SCENE"}, {"_OmMuBack.bmp", "MUSIC"}};
  for (const auto& b : backs) s.bmp24(b[0], plainScreen(text, b[1]).toImage(), "extras background");
  // Thumbnail sheets: layers locked / available / highlighted, 120x90 at
  // ((i mod 5) 144 + 59, (i div 5) 103 + 149). A new game has no pictures to show yet.
  auto sheet = [&](const char* caption) {
    return ui::stateFrames(800, 600, [&](Canvas& c, int state) {
      for (int i = 0; i < 20; ++i) {
        float x = (i % 5) * 144.0f + 59, y = (i / 5) * 103.0f + 149;
        c.draw(Shape::rect(x, y, x + 120, y + 90), state == 0 ? rgb(20, 22, 28) : rgb(48, 54, 66));
        if (state == 2) hairline(c, x - 2, y - 2, x + 122, y + 92, 0, kAccent);
        ui::label(c, text, state == 0 ? "?" : caption, x + 60, y + 36, 14, kMuted, true, true);
      }
    });
  };
  for (int p = 1; p <= 6; ++p)
    s.framesPsd("_OmCg" + std::to_string(p) + ".psd", sheet("CG"), PsdCompression::Rle, "picture gallery sheet");
  for (int p = 1; p <= 2; ++p)
    s.framesPsd("_OmKs" + std::to_string(p) + ".psd", sheet("SCENE"), PsdCompression::Rle, "scene gallery sheet");
  s.framesPsd("_OmBtRet.psd", canvasButton(text, 84, 30, 2, 2, 82, 28, "戻る", 15), PsdCompression::Raw, "at (706, 565)");
  s.framesPsd("_OmBtCg.psd", canvasButton(text, 240, 32, 0, 2, 76, 30, "CG", 14), PsdCompression::Rle,
              "240x32 canvas at (549, 31)");
  s.framesPsd("_OmBtKs.psd", canvasButton(text, 240, 32, 82, 2, 158, 30, "SCENE", 14), PsdCompression::Rle, "same canvas");
  s.framesPsd("_OmBtKs2.psd", canvasButton(text, 240, 32, 82, 2, 158, 30, "SCENE", 14), PsdCompression::Rle, "same canvas");
  s.framesPsd("_OmBtMu.psd", canvasButton(text, 240, 32, 164, 2, 240, 30, "MUSIC", 14), PsdCompression::Rle, "same canvas");
  for (int p = 0; p < 6; ++p) {
    float x = p * 40.0f;
    s.framesPsd("_OmCgBtP" + std::to_string(p + 1) + ".psd",
                canvasButton(text, 240, 30, x + 1, 1, x + 37, 29, std::to_string(p + 1), 15), PsdCompression::Rle,
                "page button, 240x30 canvas at (64, 105)");
  }
  std::vector<RgbaImage> digits;
  for (int d = 0; d < 10; ++d) {
    Canvas c(19, 26);
    ui::label(c, text, std::string(1, static_cast<char>('0' + d)), 9.5f, 1, 22, kWhite, true, true);
    digits.push_back(c.toImage());
  }
  s.framesPsd("_OmNo.psd", digits, PsdCompression::Raw, "digits, frame = digit");
  // Fourteen track buttons on one 640x330 canvas at (87, 133): two columns of seven.
  for (int k = 0; k < 14; ++k) {
    char name[24], caption[16];
    std::snprintf(name, sizeof name, "_OmMu%02d.psd", k + 1);
    std::snprintf(caption, sizeof caption, "TRACK %02d", k + 1);
    float x = (k / 7) * 320.0f + 4, y = (k % 7) * 46.0f + 4;
    s.framesPsd(name, canvasButton(text, 640, 330, x, y, x + 312, y + 40, caption, 15), PsdCompression::Rle,
                "music room track, 640x330 canvas at (87, 133)");
  }
  s.framesPsd("_OmMuStop.psd", canvasButton(text, 136, 36, 2, 2, 134, 34, "STOP", 15), PsdCompression::Rle, "at (332, 513)");
  const char* arrows[] = {"_OmArrowU.psd", "_OmArrowD.psd", "_OmArrowL.psd", "_OmArrowR.psd"};
  const Point tips[4][3] = {{{20, 8}, {32, 30}, {8, 30}}, {{20, 32}, {32, 10}, {8, 10}},
                            {{8, 20}, {30, 8}, {30, 32}}, {{32, 20}, {10, 8}, {10, 32}}};
  for (int d = 0; d < 4; ++d) {
    Canvas c(40, 40);
    c.draw(Shape::polygon({tips[d][0], tips[d][1], tips[d][2]}), kWhite);
    s.framesPsd(arrows[d], {c.toImage()}, PsdCompression::Raw, "scroll arrow, 40x40");
  }
}

// The sky animation's three strips, 800x72 each: a soft streak crosses each once; the
// last frame is empty, since the engine hides a strip at its last frame.
void skyStrips(AssetSink& s) {
  for (int strip = 0; strip < 3; ++strip) {
    std::vector<RgbaImage> frames;
    for (int f = 0; f < 32; ++f) {
      Canvas c(800, 72);
      if (f < 31) {
        float x = (strip % 2 ? 820.0f - f * 27 : f * 27 - 20.0f), y = 36 + 10 * std::sin(f / 5.0f + strip);
        c.draw(Shape::line(x - 30, y + 3, x, y, 3), Paint::linear(x - 30, 0, x, 0, {{0, withAlpha(kWhite, 0)}, {1, kWhite}}));
      }
      frames.push_back(c.toImage());
    }
    s.framesPsd("BlueSky" + std::to_string(strip + 1) + ".psd", frames, PsdCompression::Rle,
                "sky animation strip, 800x72, 32 frames played once");
  }
}

}  // namespace

void makeSkin(GenContext& ctx, const std::string& title) {
  windowParts(ctx.sink, ctx.text);
  titleParts(ctx.sink, ctx.text, title);
  saveLoadParts(ctx.sink, ctx.text);
  optionParts(ctx.sink, ctx.text);
  extrasParts(ctx.sink, ctx.text);
  skyStrips(ctx.sink);
}

RgbaImage drawStarterBackground() {
  // A quiet room: wall, window with sky, floor.
  Canvas c(800, 600, Paint::linear(0, 0, 0, 600, {{0, rgb(214, 206, 192)}, {1, rgb(176, 166, 150)}}));
  c.draw(Shape::rect(0, 430, 800, 600), Paint::linear(0, 430, 0, 600, {{0, rgb(140, 112, 84)}, {1, rgb(104, 80, 58)}}));
  c.draw(Shape::rect(470, 80, 730, 330, 4), rgb(246, 244, 238));
  c.draw(Shape::rect(484, 94, 716, 316), Paint::linear(0, 94, 0, 316, {{0, rgb(120, 170, 226)}, {1, rgb(200, 224, 244)}}));
  c.draw(Shape::rect(597, 94, 603, 316) | Shape::rect(484, 202, 716, 208), rgb(246, 244, 238));
  c.draw(Shape::rect(60, 300, 300, 440, 4), rgb(120, 92, 66));
  c.draw(Shape::rect(70, 290, 290, 306, 3), rgb(150, 118, 86));
  return c.toImage();
}

std::vector<RgbaImage> drawStarterCharacter() {
  // A plain figure on a 400x600 canvas; the second frame blinks.
  std::vector<RgbaImage> frames;
  for (int f = 0; f < 2; ++f) {
    Canvas c(400, 600);
    Colour cloth = rgb(70, 96, 140), skin = rgb(244, 222, 204), hair = rgb(60, 48, 44);
    c.draw(Shape::smooth({{110, 600}, {120, 420}, {160, 340}, {240, 340}, {280, 420}, {290, 600}}), cloth);
    c.draw(Shape::rect(184, 300, 216, 350, 8), skin);
    c.draw(Shape::ellipse(200, 240, 66, 78), skin);
    c.draw(Shape::ellipse(200, 206, 74, 60) - Shape::rect(130, 226, 270, 330), hair);
    if (f == 0) {
      c.draw(Shape::ellipse(176, 250, 6, 9) | Shape::ellipse(224, 250, 6, 9), rgb(50, 40, 40));
    } else {
      c.draw(Shape::line(168, 251, 184, 251, 3) | Shape::line(216, 251, 232, 251, 3), rgb(50, 40, 40));
    }
    c.draw(Shape::line(190, 284, 210, 284, 2.5f), rgb(180, 110, 110));
    frames.push_back(c.toImage());
  }
  return frames;
}

}  // namespace ml::tools
