#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "media/text/font.h"
#include "media/text/glyph_cache.h"
#include "media/gfx/pixel_ops.h"
#include "media/text/text_renderer.h"
#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// Stands in for the blend so a glyph box lands on the canvas exactly as built.
void copyWhereAlpha(std::uint32_t* dst, int dstPitch, const std::uint32_t* src, int srcPitch,
                    int width, int rows) {
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < width; ++x)
      if (src[y * srcPitch + x] >> 24) dst[y * dstPitch + x] = src[y * srcPitch + x];
}

PixelOps copyOps() {
  PixelOps ops = portablePixelOps();
  ops.blendAlpha = &copyWhereAlpha;
  return ops;
}

// A canvas with a guard frame around the drawable area: nothing may touch the guard.
struct Canvas {
  static constexpr std::uint32_t kGuard = 0x5A5A5A5Au;
  static constexpr int kMargin = 64;
  int width, height, pitch;
  std::vector<std::uint32_t> store;
  Canvas(int w, int h, std::uint32_t fill = 0)
      : width(w), height(h), pitch(w + 2 * kMargin),
        store(static_cast<std::size_t>(pitch) * (h + 2 * kMargin), kGuard) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = fill;
  }
  std::uint32_t& at(int x, int y) { return store[(y + kMargin) * pitch + x + kMargin]; }
  TextTarget target() { return {&at(0, 0), width, height, pitch}; }
  bool guardIntact() const {
    for (int y = 0; y < height + 2 * kMargin; ++y)
      for (int x = 0; x < pitch; ++x) {
        bool inside = y >= kMargin && y < kMargin + height && x >= kMargin && x < kMargin + width;
        if (!inside && store[y * pitch + x] != kGuard) return false;
      }
    return true;
  }
};

class GlyphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    font = fonts.font(SJ("ＭＳ ゴシック"), 0, 24);
    ASSERT_TRUE(font->valid()) << "no font with Japanese coverage is installed";
  }
  TextStyle style(int moji, std::uint32_t colour = 0xFFFFFF) {
    TextStyle st;
    st.font = font.get();
    st.colour = colour;
    st.glyphSize = 24;
    st.mojiType = moji;
    st.readedLumi = 200;
    st.readedLumi2 = 90;
    return st;
  }
  // The box of one character, as drawn by a copying blend at (0, 0).
  Canvas box(const std::string& ch, const TextStyle& st) {
    Canvas c(37, 37);
    PixelOps ops = copyOps();
    drawGlyph(static_cast<std::uint8_t>(ch[0]), ch.size() > 1 ? static_cast<std::uint8_t>(ch[1]) : 0,
              st, 0, 0, c.target(), ops);
    return c;
  }
  FontLibrary fonts;
  FontHandle font;
};

TEST_F(GlyphTest, FacesResolveToInstalledJapaneseFonts) {
  EXPECT_EQ(font->height(), 24);
  EXPECT_GT(font->ascent(), 12);
  EXPECT_LT(font->ascent(), 24);
  EXPECT_FALSE(font->family().empty());
  // Unknown names and the proportional name fall back to Japanese gothics.
  FontHandle unknown = fonts.font("NoSuchFace Anywhere", 0, 24);
  ASSERT_TRUE(unknown->valid());
  GlyphBitmap gb;
  EXPECT_TRUE(unknown->outlineBitmap(0x3042, gb));  // あ
  FontHandle prop = fonts.font(SJ("ＭＳ Ｐゴシック"), 0, 24);
  ASSERT_TRUE(prop->valid());
  EXPECT_TRUE(prop->outlineBitmap(0x3042, gb));
  // An installed family is found as itself.
  FontMatch m = fonts.resolve(font->family(), false, false);
  EXPECT_TRUE(m.exact);
  EXPECT_EQ(m.file, font->file());
  // Same request, same font object (and the same glyph cache).
  EXPECT_EQ(fonts.font(SJ("ＭＳ ゴシック"), 0, 24), font);
  EXPECT_NE(fonts.font(SJ("ＭＳ ゴシック"), 1, 24), font);
  // Absurd heights are bounded instead of failing.
  EXPECT_TRUE(fonts.font(SJ("ＭＳ ゴシック"), 0, -4)->valid());
}

TEST_F(GlyphTest, OutlineBitmapsHaveSixtyFiveLevels) {
  GlyphBitmap gb;
  ASSERT_TRUE(font->outlineBitmap(0x6F22, gb));  // 漢
  std::set<int> levels(gb.coverage.begin(), gb.coverage.end());
  EXPECT_EQ(*levels.rbegin(), 64);
  EXPECT_GT(levels.size(), 8u);  // anti-aliased, not two-level
  EXPECT_EQ(gb.coverage.size(), static_cast<std::size_t>(gb.width) * gb.rows);
  // The glyph stays inside its cell.
  EXPECT_LE(gb.top, font->ascent() + 1);
  EXPECT_LE(gb.rows - gb.top, font->descent() + 1);
  GlyphBitmap grey;
  ASSERT_TRUE(font->greyBitmap(0x6F22, grey));
  EXPECT_EQ(*std::max_element(grey.coverage.begin(), grey.coverage.end()), 255);
  // No glyph: false and nothing to draw.
  EXPECT_FALSE(font->outlineBitmap(0, gb));
  EXPECT_GT(font->advance(0x3042), 20);
  // Bold outlines carry more ink.
  FontHandle bold = fonts.font(SJ("ＭＳ ゴシック"), kFontBold, 24);
  GlyphBitmap heavy;
  ASSERT_TRUE(bold->outlineBitmap(0x6F22, heavy));
  auto ink = [](const GlyphBitmap& b) {
    long sum = 0;
    for (auto v : b.coverage) sum += v;
    return sum;
  };
  EXPECT_GT(ink(heavy), ink(gb) * 11 / 10);
  // Italic slants: the top row of "|" moves right of the bottom row.
  FontHandle italic = fonts.font(SJ("ＭＳ ゴシック"), kFontItalic, 24);
  GlyphBitmap upright, slanted;
  ASSERT_TRUE(font->outlineBitmap('|', upright));
  ASSERT_TRUE(italic->outlineBitmap('|', slanted));
  EXPECT_GT(slanted.width, upright.width);
}

TEST_F(GlyphTest, ShadowBoxOfWhiteText) {
  Canvas c = box(SJ("漢"), style(0));
  GlyphBitmap gb;
  ASSERT_TRUE(font->outlineBitmap(0x6F22, gb));
  // Glyph pixels are the thresholded outline coverage at (origin x, ascent - origin y).
  const int ox = gb.left, oy = font->ascent() - gb.top;
  int opaque = 0;
  for (int r = 0; r < gb.rows; ++r)
    for (int col = 0; col < gb.width; ++col) {
      int v = gb.coverage[r * gb.width + col];
      std::uint32_t p = c.at(ox + col, oy + r);
      if (v > 31) {
        unsigned g = (4 * v * 255) >> 8;
        EXPECT_EQ(p, 0xFF000000u | g << 16 | g << 8 | g) << col << "," << r;
        ++opaque;
      } else {
        EXPECT_NE(p >> 24, 0xFFu);
      }
    }
  EXPECT_GT(opaque, 50);
  // Shadows: alpha 254 in the edge colour (white inverted: black), each one pixel
  // right and down of an opaque pixel; every opaque pixel casts one where it can.
  int shadows = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x) {
      std::uint32_t p = c.at(x, y);
      if (p >> 24 == 0xFE) {
        ++shadows;
        EXPECT_EQ(p, 0xFE000000u);
        ASSERT_GT(x, 0);
        ASSERT_GT(y, 0);
        EXPECT_EQ(c.at(x - 1, y - 1) >> 24, 0xFFu);
      }
      if (p >> 24 == 0xFF && x < 36 && y < 36) {
        EXPECT_NE(c.at(x + 1, y + 1) >> 24, 0u);
      }
      EXPECT_TRUE(p >> 24 == 0 || p >> 24 == 0xFE || p >> 24 == 0xFF);
    }
  EXPECT_GT(shadows, 10);
}

TEST_F(GlyphTest, OutlineBoxAndReadTextLevels) {
  // Red is not 255: glyphs at the already-read level, edges in the second grey.
  Canvas c = box(SJ("あ"), style(1, 0x00FFFF00));
  int outline = 0, glyph = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x) {
      std::uint32_t p = c.at(x, y);
      if (p >> 24 == 0xFF) {
        ++glyph;
        unsigned g = p & 0xFF;
        EXPECT_LE(g, 200u);
        EXPECT_EQ(p, 0xFF000000u | g << 16 | g << 8 | g);
        if (x > 0 && y > 0 && x < 36 && y < 36) {
          // Opaque pixels inside the scanned area leave no transparent 4-neighbour.
          EXPECT_NE(c.at(x - 1, y) >> 24, 0u);
          EXPECT_NE(c.at(x + 1, y) >> 24, 0u);
          EXPECT_NE(c.at(x, y - 1) >> 24, 0u);
          EXPECT_NE(c.at(x, y + 1) >> 24, 0u);
        }
      } else if (p >> 24 == 0xFE) {
        ++outline;
        EXPECT_EQ(p, 0xFE5A5A5Au);  // grey 90
        bool touches = (x > 0 && c.at(x - 1, y) >> 24 == 0xFF) ||
                       (x < 36 && c.at(x + 1, y) >> 24 == 0xFF) ||
                       (y > 0 && c.at(x, y - 1) >> 24 == 0xFF) ||
                       (y < 36 && c.at(x, y + 1) >> 24 == 0xFF);
        EXPECT_TRUE(touches) << x << "," << y;
      }
    }
  EXPECT_GT(glyph, 30);
  EXPECT_GT(outline, glyph / 2);
  // The brightest glyph pixel is the level itself (full coverage).
  unsigned brightest = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x)
      if (c.at(x, y) >> 24 == 0xFF) brightest = std::max(brightest, c.at(x, y) & 0xFF);
  EXPECT_EQ(brightest, 200u);

  // A red text colour of 255 gives full level and the inverted value as edge pixel:
  // 0x000000FF (red) ^ 0xFFFFFF = 0xFFFF00 taken as a pixel.
  Canvas red = box(SJ("あ"), style(1, 0x000000FF));
  bool found = false;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x)
      if (red.at(x, y) >> 24 == 0xFE) {
        EXPECT_EQ(red.at(x, y), 0xFEFFFF00u);
        found = true;
      }
  EXPECT_TRUE(found);
}

TEST_F(GlyphTest, LevelsBelowTwoStillDrawAndUnknownStylesDrawNothing) {
  TextStyle st = style(0, 0x00000000);
  st.readedLumi = 0;
  Canvas dim = box(SJ("漢"), st);
  int seen = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x)
      if (dim.at(x, y) >> 24 == 0xFF) {
        // A level below 2 counts as 2: full coverage gives grey 2, half coverage 1.
        EXPECT_GE(dim.at(x, y) & 0xFF, 1u);
        EXPECT_LE(dim.at(x, y) & 0xFF, 2u);
        ++seen;
      }
  EXPECT_GT(seen, 0);
  Canvas none = box(SJ("漢"), style(4));
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x) EXPECT_EQ(none.at(x, y), 0u);
}

TEST_F(GlyphTest, PlainStyleDrawsBlackThenTheColour) {
  Canvas black(40, 40, 0xFF000000u);
  PixelOps ops = portablePixelOps();
  drawGlyph(0x8A, 0xBF, style(2, 0x0000FF00), 0, 0, black.target(), ops);  // 漢 in green
  std::uint32_t maxGreen = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      std::uint32_t p = black.at(x, y);
      EXPECT_EQ(p & 0xFFFF00FFu, 0xFF000000u);  // only green grows, alpha kept
      maxGreen = std::max(maxGreen, (p >> 8) & 0xFF);
    }
  EXPECT_EQ(maxGreen, 255u);
  // On white, the black pass darkens the anti-aliased rim below either colour.
  Canvas white(40, 40, 0xFFFFFFFFu);
  drawGlyph(0x8A, 0xBF, style(2, 0x00FFFFFF), 0, 0, white.target(), ops);
  bool darker = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) darker |= (white.at(x, y) & 0xFF) < 250;
  EXPECT_TRUE(darker);
}

TEST_F(GlyphTest, KeyedStyleKeepsBlackTextVisible) {
  for (std::uint32_t colour : {0x00FFFFFFu, 0x00000000u, 0x00010203u}) {
    Canvas c = box(SJ("漢"), style(3, colour));
    int opaque = 0, half = 0;
    for (int y = 0; y < 37; ++y)
      for (int x = 0; x < 37; ++x) {
        std::uint32_t p = c.at(x, y);
        if (p >> 24 == 0xFF) ++opaque;
        if (p >> 24 == 0x80) {
          ++half;
          EXPECT_EQ(c.at(x - 1, y) >> 24, 0xFFu);
          EXPECT_EQ(c.at(x, y - 1) >> 24, 0xFFu);
          EXPECT_EQ(p & 0xFF, c.at(x - 1, y) & 0xFF);
        }
        if (x == 0 || y == 0) {
          EXPECT_EQ(p >> 24, 0u);
        }
      }
    EXPECT_GT(opaque, 50) << std::hex << colour;
    (void)half;
  }
  // Other colours are keyed by the blue byte: faint edges of yellow text blend back to
  // the key's blue 1 and stay transparent; every other pixel is opaque.
  PixelOps whole = portablePixelOps();  // lands the box as built, transparent pixels too
  whole.blendAlpha = whole.copyPixels;
  for (std::uint32_t colour : {0x0000FFFFu, 0x000000FFu, 0x00FFFFFFu}) {
    TextStyle st = style(3, colour);
    st.cacheGlyphs = false;
    Canvas c(37, 37, 0x00010101u);  // outside the box's ink: the key, as in the box
    drawGlyph(0x8A, 0xBF, st, 0, 0, c.target(), whole);
    int keyedOut = 0;
    for (int y = 1; y < 37; ++y)
      for (int x = 1; x < 37; ++x) {
        std::uint32_t p = c.at(x, y);
        if (p >> 24 == 0x80) continue;  // inner corner
        EXPECT_EQ(p >> 24 == 0xFF, (p & 0xFF) != 1) << std::hex << colour << " " << x << "," << y;

        keyedOut += (p >> 24 == 0) && (p & 0xFFFFFF) != 0x010101u;
      }
    if (colour != 0x00FFFFFFu) {
      EXPECT_GT(keyedOut, 0) << std::hex << colour;
    }
  }
}

TEST_F(GlyphTest, BoxesAreClippedToTheFrame) {
  PixelOps ops = portablePixelOps();
  for (int moji = 0; moji <= 3; ++moji) {
    Canvas c(50, 40, 0xFF102030u);
    TextStyle st = style(moji);
    for (int px : {-40, -20, -5, 0, 30, 45, 49, 50, 200})
      for (int py : {-40, -20, -5, 0, 20, 35, 39, 40, 200})
        drawGlyph(0x8A, 0xBF, st, px, py, c.target(), ops);
    EXPECT_TRUE(c.guardIntact()) << moji;
    // Something did land inside.
    bool touched = false;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 50; ++x) touched |= c.at(x, y) != 0xFF102030u;
    EXPECT_TRUE(touched);
  }
  // Whole pages at the edges too, with both pixel sets.
  for (const PixelOps* set : {&portablePixelOps(), &fastPixelOps()}) {
    Canvas c(120, 60);
    TextRules rules;
    RecordingReporter reporter;
    for (int px : {-100, -30, 90}) {
      std::string text = SJ("漢字のテキスト") + "\n" + SJ("二行目です");
      drawText(text, style(0), 10000, px, -20, c.target(), *set, rules, reporter);
    }
    EXPECT_TRUE(c.guardIntact());
  }
}

TEST_F(GlyphTest, CachedAndUncachedPagesAreIdentical) {
  TextRules rules;
  RecordingReporter reporter;
  const PixelOps& ops = fastPixelOps();
  const std::string page = SJ("「吾輩は猫である。名前はまだ無い。どこで生れたか") + "\n" +
                           SJ("とんと見当がつかぬ。●名●") + "abc\n";
  for (int moji = 0; moji <= 3; ++moji) {
    for (std::uint32_t colour : {0x00FFFFFFu, 0x0080C0FFu, 0x00404040u}) {
      TextStyle st = style(moji, colour);
      st.columns = 12;
      st.rows = 8;
      Canvas fresh(400, 200, 0xFF336699u), cold(400, 200, 0xFF336699u),
          warm(400, 200, 0xFF336699u);
      std::string a = page, b = page, c = page;
      st.cacheGlyphs = false;
      drawText(a, st, 10000, 7, 5, fresh.target(), ops, rules, reporter);
      st.cacheGlyphs = true;
      font->glyphCache().clear();
      drawText(b, st, 10000, 7, 5, cold.target(), ops, rules, reporter);
      EXPECT_GT(font->glyphCache().size(), 10u);
      drawText(c, st, 10000, 7, 5, warm.target(), ops, rules, reporter);
      EXPECT_EQ(fresh.store, cold.store) << moji;
      EXPECT_EQ(fresh.store, warm.store) << moji;
    }
  }
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(GlyphTest, DrawTextShowsOnlyTheRevealedCells) {
  TextRules rules;
  RecordingReporter reporter;
  Canvas c(200, 60);
  std::string text = SJ("漢字漢字") + "\n";
  TextDrawResult r = drawText(text, style(0), 2, 10, 10, c.target(), portablePixelOps(), rules,
                              reporter);
  EXPECT_EQ(r.shown, 2);
  EXPECT_FALSE(r.penSet);
  auto inkIn = [&](int x0, int x1) {
    int n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = x0; x < x1; ++x) n += c.at(x, y) != 0;
    return n;
  };
  EXPECT_GT(inkIn(10, 58), 50);
  EXPECT_EQ(inkIn(60, 200), 0);
  r = drawText(text, style(0), 10000, 10, 10, c.target(), portablePixelOps(), rules, reporter);
  EXPECT_TRUE(r.penSet);
  EXPECT_EQ(r.penX, 96);
  EXPECT_GT(inkIn(60, 200), 50);
  // Without a font the layout still runs (and may cut or report) but draws nothing.
  Canvas empty(200, 60);
  TextStyle none = style(0);
  none.font = nullptr;
  r = drawText(text, none, 10000, 0, 0, empty.target(), portablePixelOps(), rules, reporter);
  EXPECT_EQ(r.shown, 4);
  EXPECT_EQ(empty.store, Canvas(200, 60).store);
}

TEST_F(GlyphTest, PlainTextLettersOpaqueAndTransparentPictures) {
  const std::string label = SJ("見本abc");
  const int width = measurePlainText(*font, label);
  EXPECT_GT(width, 24 * 2 + 3 * 8);
  EXPECT_LT(width, 24 * 2 + 3 * 24);
  EXPECT_EQ(measurePlainText(*font, label + "\n" + SJ("見")), width);

  Canvas opaque(200, 60, 0xFF808080u);
  EXPECT_EQ(drawPlainText(*font, label, 5, 5, 0x00FFFFFF, opaque.target()), width);
  std::uint32_t brightest = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      EXPECT_EQ(opaque.at(x, y) >> 24, 0xFFu);
      brightest = std::max(brightest, opaque.at(x, y) & 0xFF);
    }
  EXPECT_EQ(brightest, 255u);

  // On a transparent picture the text keeps its colour and its coverage becomes alpha.
  Canvas clear(200, 60, 0);
  drawPlainText(*font, label, 5, 5, 0x000080FF, clear.target());  // orange
  int inked = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      std::uint32_t p = clear.at(x, y);
      if (p >> 24) {
        EXPECT_EQ(p & 0xFFFFFF, 0xFF8000u);
        ++inked;
      }
    }
  EXPECT_GT(inked, 100);

  // Off the edges nothing outside the picture is touched.
  Canvas small(30, 20, 0);
  for (int px : {-500, -20, 0, 25, 1 << 30})
    for (int py : {-30, -10, 10, 1 << 30}) drawPlainText(*font, label, px, py, 0xFFFFFF, small.target());
  EXPECT_TRUE(small.guardIntact());
}

TEST(GlyphCacheTest, StaysWithinItsBudget) {
  GlyphCache cache;
  for (std::uint16_t code = 0; code < 2000; ++code) {
    GlyphBox box;
    box.side = 200;
    box.pixels.assign(200 * 200, 0);
    cache.insert(GlyphCache::key(code, 0, 24, 0), std::move(box));
    EXPECT_LE(cache.bytes(), GlyphCache::kBudgetBytes);
  }
  EXPECT_NE(GlyphCache::key(1, 0, 24, 5), GlyphCache::key(1, 1, 24, 5));
  EXPECT_NE(GlyphCache::key(1, 0, 24, 5), GlyphCache::key(1, 0, 36, 5));
  EXPECT_NE(GlyphCache::key(1, 0, 24, 5), GlyphCache::key(1, 0, 24, 6));
}

TEST(MessageFontsTest, HeightsFollowTheTextSize) {
  FontLibrary fonts;
  MessageFonts m;
  m.rebuild(fonts, SJ("ＭＳ ゴシック"), 1, 6);
  EXPECT_EQ(m.normal->height(), 24);
  EXPECT_EQ(m.small->height(), 12);
  EXPECT_EQ(m.large->height(), 60);
  EXPECT_TRUE(m.large->bold());
  for (auto [size, h] : {std::pair{2, 36}, {4, 48}, {9, 72}, {1, 24}, {3, 24}})
    EXPECT_EQ(MessageFonts::largeHeight(size), h);
}

}  // namespace
}  // namespace ml
