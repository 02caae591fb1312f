// Lettering for generated pictures: text rendered with the engine's fonts into a
// coverage mask, which can be grown into an outline, blurred into a glow and painted
// onto a Canvas with any paint.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/canvas.h"

namespace ml {
class FontLibrary;
}

namespace ml::tools {

struct TextMask {
  int width = 0;
  int height = 0;
  int pad = 0;  // empty border around the text on every side
  std::vector<float> alpha;

  // Mask of every pixel within radius of the text (for outlines).
  TextMask grown(float radius) const;
  TextMask blurred(float radius) const;
};

class TextPainter {
 public:
  TextPainter();
  ~TextPainter();
  TextPainter(const TextPainter&) = delete;
  TextPainter& operator=(const TextPainter&) = delete;

  // text is UTF-8; face a family name ("IPAPGothic"); height the cell height in
  // pixels; style 1 bold. tracking adds pixels between characters. pad leaves room
  // for outlines and glows.
  TextMask render(std::string_view text, std::string_view face, int height, int style = 0,
                  float tracking = 0, int pad = 4) const;
  int measure(std::string_view text, std::string_view face, int height, int style = 0,
              float tracking = 0) const;
  bool available() const;

 private:
  std::unique_ptr<FontLibrary> fonts_;
};

// Paints the mask so that the text's own top-left (inside the padding) is at (x, y).
void drawText(Canvas& canvas, const TextMask& mask, float x, float y, const Paint& paint,
              float opacity = 1.0f);

// Common case: text centred on cx with the top at y; returns the width.
struct TextStyleSpec {
  std::string face = "IPAPGothic";
  int height = 20;
  int style = 0;
  float tracking = 0;
  Colour fill = {1, 1, 1, 1};
  float outline = 0;             // outline width in pixels, 0 for none
  Colour outlineColour = {0, 0, 0, 1};
  float shadow = 0;              // blurred drop shadow radius, 0 for none
  Colour shadowColour = {0, 0, 0, 0.6f};
  float glow = 0;                // blurred halo radius, 0 for none
  Colour glowColour = {1, 1, 1, 0.5f};
  Paint* paint = nullptr;        // overrides fill (gradients)
};
int drawLabel(Canvas& canvas, const TextPainter& painter, std::string_view text, float x, float y,
              const TextStyleSpec& spec, bool centred = false);

}  // namespace ml::tools
