// The cell layout of a text sprite: where each character of a Shift-JIS text lands,
// with line breaking, hanging punctuation, bracket indentation, escapes, the name
// placeholders and the reveal count. Pure arithmetic: no font is needed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Reporter;
struct TextRules;

// One character to draw, relative to the sprite's position; trail is 0 for a
// one-byte character.
struct PlacedChar {
  int x = 0;
  int y = 0;
  std::uint8_t lead = 0;
  std::uint8_t trail = 0;
};

struct TextLayoutParams {
  int glyphSize = 24;  // cell width of a two-byte character, pixels
  int columns = 20;
  int rows = 4;
  bool layoutRules = true;  // hanging punctuation, bracket indentation, overflow report
  int reveal = 10000;       // characters to show
};

struct TextLayoutResult {
  int shown = 0;         // characters placed
  bool penSet = false;   // a line end moved the pen
  int penX = 0;          // pen after the last line end, relative to the sprite
  int penY = 0;
  bool cut = false;      // the text overflowed and was shortened
};

// Line pitch of a glyph size: 28 for sizes up to 24, else 56.
int linePitch(int glyphSize);

// Lays text out. The text may change for good: an overflowing text is cut where it
// overflows, and a bad escape is blanked after its report so it is reported once.
// Placed characters are appended to out.
TextLayoutResult layoutText(std::string& text, const TextLayoutParams& params,
                            const TextRules& rules, Reporter& reporter,
                            std::vector<PlacedChar>& out);

// Number of two-byte characters in a Shift-JIS text.
int twoByteCount(std::string_view text);

}  // namespace ml
