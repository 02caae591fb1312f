#include "media/text/text_renderer.h"

#include <algorithm>

#include "media/text/glyph_cache.h"
#include "media/gfx/pixel_ops.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// Larger cells are refused: their boxes would be megabytes each.
constexpr int kMaxGlyphSize = 1024;

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kEdgeAlpha = 0xFE000000u;

std::uint32_t grey(std::uint32_t g) { return (g << 16) | (g << 8) | g; }

// The text colour as a pixel value (0x00RRGGBB) from a system colour (0x00BBGGRR).
std::uint32_t colourToPixel(std::uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// What colours a glyph box: the colour itself, or for the grey styles the glyph level
// and the edge colour.
struct GlyphPaint {
  std::uint32_t colour;  // system colour value, black made 0x010101
  int level;             // styles 0 and 1
  std::uint32_t edge;    // styles 0 and 1: pixel value, no alpha
  std::uint32_t key;     // what the cache tells boxes apart by
};

GlyphPaint paintFor(const TextStyle& style) {
  GlyphPaint p{};
  p.colour = style.colour & 0xFFFFFF;
  if (p.colour == 0) p.colour = 0x010101;
  if ((p.colour & 0xFF) == 255) {
    p.level = 255;
    // The inverted colour value used as a pixel value as it stands, bytes unswapped.
    p.edge = p.colour ^ 0xFFFFFF;
  } else {
    p.level = std::clamp(style.readedLumi, 0, 255);
    p.edge = grey(static_cast<std::uint32_t>(std::clamp(style.readedLumi2, 0, 255)));
  }
  if (style.mojiType == 0 || style.mojiType == 1)
    p.key = (static_cast<std::uint32_t>(p.level) << 24) | p.edge;
  else
    p.key = p.colour;
  return p;
}

int boxSide(int s) { return s + s / 2 + 1; }

// Places a glyph bitmap in its box at (origin x, ascent - origin y) and hands every
// covered box pixel with its coverage to `paint`; what falls outside the box is skipped.
template <typename Paint>
void placeCoverage(const Font& font, const GlyphBitmap& gb, GlyphBox& box, Paint paint) {
  const int side = box.side;
  const int ox = gb.left;
  const int oy = font.ascent() - gb.top;
  for (int r = 0; r < gb.rows; ++r) {
    const int by = oy + r;
    if (by < 0 || by >= side) continue;
    const std::uint8_t* src = gb.coverage.data() + static_cast<std::size_t>(r) * gb.width;
    std::uint32_t* dst = box.pixels.data() + static_cast<std::size_t>(by) * side;
    for (int c = 0; c < gb.width; ++c) {
      const int bx = ox + c;
      if (bx >= 0 && bx < side) paint(dst[bx], src[c]);
    }
  }
}

// Styles 0 and 1: the 65-level outline bitmap thresholded into opaque grey, then a
// shadow (0) or an outline (1) of edge pixels at alpha 254.
void buildGreyBox(const Font& font, std::uint32_t cp, int style, const GlyphPaint& paint,
                  GlyphBox& box) {
  const int side = box.side;
  GlyphBitmap gb;
  if (font.outlineBitmap(cp, gb)) {
    const unsigned level = static_cast<unsigned>(std::max(paint.level, 2));
    placeCoverage(font, gb, box, [level](std::uint32_t& pixel, unsigned v) {
      if (v <= 31) return;
      const unsigned f = 4 * v * level;
      if (f >= 256) pixel = kOpaque | grey(f >> 8);
    });
  }
  const std::uint32_t edge = kEdgeAlpha | paint.edge;
  auto at = [&](int x, int y) -> std::uint32_t& {
    return box.pixels[static_cast<std::size_t>(y) * side + x];
  };
  auto paintEdge = [&](int x, int y) {
    if ((at(x, y) >> 24) == 0) at(x, y) = edge;
  };
  if (style == 0) {
    for (int y = 0; y + 1 < side; ++y)
      for (int x = 0; x + 1 < side; ++x)
        if ((at(x, y) >> 24) == 0xFF) paintEdge(x + 1, y + 1);
  } else {
    for (int y = 1; y + 1 < side; ++y)
      for (int x = 1; x + 1 < side; ++x)
        if ((at(x, y) >> 24) == 0xFF) {
          paintEdge(x, y - 1);
          paintEdge(x - 1, y);
          paintEdge(x + 1, y);
          paintEdge(x, y + 1);
        }
  }
}

// The system's own text drawing is emulated with the same glyph rendered by FreeType
// in 256 levels of anti-aliasing and placed like the outline bitmaps: both come from
// the same outline, so the styles differ only in how they treat the coverage. Here
// the coverage becomes the alpha of the text colour.
void buildCoverageBox(const Font& font, std::uint32_t cp, const GlyphPaint& paint,
                      GlyphBox& box) {
  GlyphBitmap gb;
  if (!font.greyBitmap(cp, gb)) return;
  const std::uint32_t colour = colourToPixel(paint.colour);
  placeCoverage(font, gb, box, [colour](std::uint32_t& pixel, unsigned v) {
    if (v != 0) pixel = (v << 24) | colour;
  });
}

std::uint8_t mix(unsigned s, unsigned d, unsigned a) {
  return static_cast<std::uint8_t>((s * a + d * (255 - a) + 127) / 255);
}

// Style 3: the text in its colour on a (1, 1, 1) key, every touched pixel from (1, 1)
// on made opaque, and inner corners softened with a half-transparent grey.
void buildKeyedBox(const Font& font, std::uint32_t cp, const GlyphPaint& paint, GlyphBox& box) {
  const int side = box.side;
  buildCoverageBox(font, cp, paint, box);
  // Drawn on the key colour: a pixel counts as drawn when its blue byte is not the
  // key's, so faint edges that blend back to the key stay transparent. A text colour
  // whose own blue byte is 1 (black among them) would vanish that way; its pixels are
  // told apart by their coverage instead.
  const bool keyColoured = (paint.colour >> 16 & 0xFF) == 1;
  std::vector<std::uint8_t> drawn(box.pixels.size());
  for (std::size_t i = 0; i < box.pixels.size(); ++i) {
    const std::uint32_t p = box.pixels[i];
    const unsigned a = p >> 24;
    box.pixels[i] = mix((p >> 16) & 0xFF, 1, a) << 16 | mix((p >> 8) & 0xFF, 1, a) << 8 |
                    mix(p & 0xFF, 1, a);
    drawn[i] = keyColoured ? a != 0 : (box.pixels[i] & 0xFF) != 1;
  }
  auto at = [&](int x, int y) -> std::uint32_t& {
    return box.pixels[static_cast<std::size_t>(y) * side + x];
  };
  for (int y = 1; y < side; ++y) {
    for (int x = 1; x < side; ++x) {
      std::uint32_t& p = at(x, y);
      if (drawn[static_cast<std::size_t>(y) * side + x]) {
        p |= kOpaque;
      } else if ((at(x - 1, y) >> 24) == 0xFF && (at(x, y - 1) >> 24) == 0xFF &&
                 (at(x - 1, y - 1) >> 24) == 0) {
        p = 0x80000000u | grey(at(x - 1, y) & 0xFF);
      }
    }
  }
  // Row 0 and column 0 are never made opaque: whatever the key blend left there stays
  // transparent.
  for (int x = 0; x < side; ++x) at(x, 0) &= 0x00FFFFFFu;
  for (int y = 0; y < side; ++y) at(0, y) &= 0x00FFFFFFu;
}

GlyphBox buildBox(const Font& font, std::uint8_t lead, std::uint8_t trail, int style, int s,
                  const GlyphPaint& paint) {
  GlyphBox box;
  box.side = boxSide(s);
  box.pixels.assign(static_cast<std::size_t>(box.side) * box.side, 0);
  const std::uint32_t cp = sjisCharToUnicode(lead, trail);
  if (cp != 0) {
    if (style == 0 || style == 1) buildGreyBox(font, cp, style, paint, box);
    else if (style == 2) buildCoverageBox(font, cp, paint, box);
    else buildKeyedBox(font, cp, paint, box);
  }
  box.computeInk();
  return box;
}

// The part of the box's ink that lies on the target, in target coordinates.
struct Clip {
  int x0, y0, x1, y1;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip clipBox(const GlyphBox& box, int px, int py, const TextTarget& t) {
  Clip c;
  c.x0 = std::max(0, px + box.inkLeft);
  c.y0 = std::max(0, py + box.inkTop);
  c.x1 = std::min(t.width, px + box.inkRight);
  c.y1 = std::min(t.height, py + box.inkBottom);
  return c;
}

// Style 2 goes straight onto the target as the system draws text with a transparent
// background: once in black, then in the colour at the same point.
void drawPlain(const GlyphBox& box, int px, int py, const TextTarget& t, int pitch) {
  Clip c = clipBox(box, px, py, t);
  if (c.empty()) return;
  for (int y = c.y0; y < c.y1; ++y) {
    std::uint32_t* dst = t.pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    const std::uint32_t* src = box.pixels.data() + static_cast<std::size_t>(y - py) * box.side;
    for (int x = c.x0; x < c.x1; ++x) {
      const std::uint32_t s = src[x - px];
      const unsigned a = s >> 24;
      if (a == 0) continue;
      const std::uint32_t d = dst[x];
      std::uint32_t out = d & 0xFF000000u;
      for (int shift = 0; shift <= 16; shift += 8) {
        unsigned dc = mix(0, (d >> shift) & 0xFF, a);
        dc = mix((s >> shift) & 0xFF, dc, a);
        out |= dc << shift;
      }
      dst[x] = out;
    }
  }
}

void drawBox(const GlyphBox& box, int style, int px, int py, const TextTarget& t,
             const PixelOps& ops) {
  if (box.empty()) return;
  const int pitch = t.pitch > 0 ? t.pitch : t.width;
  if (style == 2) {
    drawPlain(box, px, py, t, pitch);
    return;
  }
  Clip c = clipBox(box, px, py, t);
  if (c.empty()) return;
  // Pixels of alpha 0 leave the target unchanged, so only the ink rectangle is blended.
  ops.blendAlpha(t.pixels + static_cast<std::ptrdiff_t>(c.y0) * pitch + c.x0, pitch,
                 box.pixels.data() + static_cast<std::size_t>(c.y0 - py) * box.side +
                     (c.x0 - px),
                 box.side, c.x1 - c.x0, c.y1 - c.y0);
}

}  // namespace

void drawGlyph(std::uint8_t lead, std::uint8_t trail, const TextStyle& style, int px, int py,
               const TextTarget& target, const PixelOps& ops) {
  const int s = style.glyphSize;
  if (!style.font || !style.font->valid() || s < 1 || s > kMaxGlyphSize) return;
  if (style.mojiType < 0 || style.mojiType > 3) return;
  if (!target.pixels || target.width <= 0 || target.height <= 0) return;
  const int side = boxSide(s);
  // Boxes wholly off the target are not built at all.
  if (px >= target.width || py >= target.height || px + side <= 0 || py + side <= 0) return;
  const GlyphPaint paint = paintFor(style);
  if (!style.cacheGlyphs) {
    drawBox(buildBox(*style.font, lead, trail, style.mojiType, s, paint), style.mojiType, px, py,
            target, ops);
    return;
  }
  GlyphCache& cache = style.font->glyphCache();
  const std::uint64_t key = GlyphCache::key(static_cast<std::uint16_t>(lead << 8 | trail),
                                            style.mojiType, s, paint.key);
  const GlyphBox* box = cache.find(key);
  if (!box) box = cache.insert(key, buildBox(*style.font, lead, trail, style.mojiType, s, paint));
  drawBox(*box, style.mojiType, px, py, target, ops);
}

TextDrawResult drawText(std::string& text, const TextStyle& style, int reveal, int x, int y,
                        const TextTarget& target, const PixelOps& ops, const TextRules& rules,
                        Reporter& reporter) {
  TextLayoutParams params;
  params.glyphSize = style.glyphSize;
  params.columns = style.columns;
  params.rows = style.rows;
  params.layoutRules = style.layoutRules;
  params.reveal = reveal;
  std::vector<PlacedChar> placed;
  placed.reserve(std::min<std::size_t>(text.size(), 512));
  TextLayoutResult layout = layoutText(text, params, rules, reporter, placed);
  for (const PlacedChar& pc : placed) {
    const long long px = static_cast<long long>(x) + pc.x;
    const long long py = static_cast<long long>(y) + pc.y;
    if (px > target.width || py > target.height || px < -4 * kMaxGlyphSize ||
        py < -4 * kMaxGlyphSize)
      continue;
    drawGlyph(pc.lead, pc.trail, style, static_cast<int>(px), static_cast<int>(py), target, ops);
  }
  TextDrawResult result;
  result.shown = layout.shown;
  result.penSet = layout.penSet;
  result.penX = layout.penX;
  result.penY = layout.penY;
  result.cut = layout.cut;
  return result;
}

namespace {

// Straight-alpha "over": the text's coverage over whatever the target holds.
std::uint32_t over(std::uint32_t dst, std::uint32_t colour, unsigned a) {
  const unsigned da = dst >> 24;
  if (da == 255) {
    std::uint32_t out = dst & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8)
      out |= static_cast<std::uint32_t>(mix((colour >> shift) & 0xFF, (dst >> shift) & 0xFF, a))
             << shift;
    return out;
  }
  const unsigned keep = da * (255 - a);  // weight of the destination, scaled by 255
  const unsigned oa = a * 255 + keep;    // output alpha, scaled by 255
  if (oa == 0) return dst;
  std::uint32_t out = static_cast<std::uint32_t>((oa + 127) / 255) << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned sc = (colour >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>((sc * a * 255 + dc * keep + oa / 2) / oa) << shift;
  }
  return out;
}

// Walks the characters of a string with their pen positions.
template <typename Visit>
int walkPlainText(const Font& font, std::string_view text, Visit visit) {
  int penX = 0, penY = 0, widest = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead == '\n') {
      widest = std::max(widest, penX);
      penX = 0;
      penY += font.height();
      ++i;
      continue;
    }
    std::uint8_t trail = 0;
    if (sjis::isLead(lead)) {
      if (i + 1 >= text.size()) break;
      trail = static_cast<std::uint8_t>(text[i + 1]);
    }
    i += trail ? 2 : 1;
    const std::uint32_t cp = sjisCharToUnicode(lead, trail);
    visit(cp, penX, penY);
    penX += font.advance(cp);
  }
  return std::max(widest, penX);
}

}  // namespace

int drawPlainText(const Font& font, std::string_view text, int x, int y, std::uint32_t colour,
                  const TextTarget& target) {
  if (!font.valid()) return 0;
  const std::uint32_t pixel = colourToPixel(colour & 0xFFFFFF);
  const int pitch = target.pitch > 0 ? target.pitch : target.width;
  return walkPlainText(font, text, [&](std::uint32_t cp, int penX, int penY) {
    GlyphBitmap gb;
    if (!target.pixels || !font.greyBitmap(cp, gb)) return;
    const long long ox = static_cast<long long>(x) + penX + gb.left;
    const long long oy = static_cast<long long>(y) + penY + font.ascent() - gb.top;
    for (int r = 0; r < gb.rows; ++r) {
      const long long ty = oy + r;
      if (ty < 0 || ty >= target.height) continue;
      std::uint32_t* row = target.pixels + ty * pitch;
      for (int c = 0; c < gb.width; ++c) {
        const long long tx = ox + c;
        const unsigned a = gb.coverage[static_cast<std::size_t>(r) * gb.width + c];
        if (tx < 0 || tx >= target.width || a == 0) continue;
        row[tx] = over(row[tx], pixel, a);
      }
    }
  });
}

int measurePlainText(const Font& font, std::string_view text) {
  if (!font.valid()) return 0;
  return walkPlainText(font, text, [](std::uint32_t, int, int) {});
}

}  // namespace ml
