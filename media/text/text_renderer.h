// Drawing a text sprite: its layout (text_layout.h) and the glyph boxes of its
// characters blended onto a 32-bit frame, clipped to the frame.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/text/font.h"
#include "media/text/text_layout.h"

namespace ml {

class Reporter;
struct PixelOps;
struct TextRules;

struct TextStyle {
  Font* font = nullptr;              // null or invalid: laid out, nothing drawn
  std::uint32_t colour = 0xFFFFFF;   // system colour value 0x00BBGGRR
  int glyphSize = 24;
  int columns = 20;
  int rows = 4;
  bool layoutRules = true;
  int mojiType = 0;                  // 0 shadow, 1 outline, 2 plain, 3 keyed box
  int readedLumi = 128;              // level of glyphs whose colour's red is not 255
  int readedLumi2 = 128;             // their edge grey
  bool cacheGlyphs = true;           // off: every glyph box is built anew (same pixels)
};

struct TextDrawResult {
  int shown = 0;
  bool penSet = false;  // when false the sprite keeps its previous pen
  int penX = 0;         // relative to (x, y)
  int penY = 0;
  bool cut = false;
};

struct TextTarget {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;  // pixels per row; 0 means width
};

// Lays out text (Shift-JIS; it may be shortened at overflow or have a bad escape
// blanked) at the sprite's integer position (x, y) and draws the first `reveal`
// characters onto the target. Glyph boxes go through ops.blendAlpha of the set chosen
// at start-up.
TextDrawResult drawText(std::string& text, const TextStyle& style, int reveal, int x, int y,
                        const TextTarget& target, const PixelOps& ops, const TextRules& rules,
                        Reporter& reporter);

// Draws one character (trail 0 for a one-byte character) with its glyph box at
// (px, py) on the target.
void drawGlyph(std::uint8_t lead, std::uint8_t trail, const TextStyle& style, int px, int py,
               const TextTarget& target, const PixelOps& ops);

// Ordinary text drawing, as the system's text call gives it: characters of a Shift-JIS
// string side by side at the font's own advances from (x, y) (the top-left of the
// first cell), anti-aliased in the colour (0x00BBGGRR) over the target with a
// transparent background. Transparent target pixels take the text's coverage as
// their alpha, so tools can letter pictures that have an alpha channel. Line ends
// start a new line one cell height lower. Returns the width of the widest line.
int drawPlainText(const Font& font, std::string_view text, int x, int y, std::uint32_t colour,
                  const TextTarget& target);
// The width drawPlainText would return.
int measurePlainText(const Font& font, std::string_view text);

}  // namespace ml
