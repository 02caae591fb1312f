#include "tools/common/canvas_text.h"

#include <algorithm>
#include <cmath>

#include "media/text/font.h"

namespace ml::tools {
namespace {

// UTF-8 to code points; a broken sequence becomes U+FFFD and decoding goes on.
std::vector<std::uint32_t> codePoints(std::string_view s) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    std::uint32_t cp = len == 1 ? c : (c & (0x7F >> len));
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    out.push_back(ok ? cp : 0xFFFD);
    i += ok ? len : 1;
  }
  return out;
}

void boxBlur(std::vector<float>& a, int w, int h, int half) {
  std::vector<float> line;
  auto pass = [&](int count, int length, std::size_t stride, std::size_t step) {
    line.resize(length);
    for (int n = 0; n < count; ++n) {
      std::size_t base = n * stride;
      for (int i = 0; i < length; ++i) line[i] = a[base + i * step];
      auto get = [&](int i) { return (i < 0 || i >= length) ? 0.0f : line[i]; };
      float sum = 0;
      for (int i = -half; i <= half; ++i) sum += get(i);
      for (int i = 0; i < length; ++i) {
        a[base + i * step] = sum / (2 * half + 1);
        sum += get(i + half + 1) - get(i - half);
      }
    }
  };
  for (int k = 0; k < 3; ++k) {
    pass(h, w, w, 1);
    pass(w, h, 1, w);
  }
}

}  // namespace

TextMask TextMask::grown(float radius) const {
  TextMask out = *this;
  int r = static_cast<int>(std::ceil(radius));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy) {
        int sy = y + dy;
        if (sy < 0 || sy >= height) continue;
        for (int dx = -r; dx <= r; ++dx) {
          int sx = x + dx;
          if (sx < 0 || sx >= width) continue;
          float reach = std::clamp(radius + 0.5f - std::sqrt(float(dx * dx + dy * dy)), 0.0f, 1.0f);
          best = std::max(best, alpha[std::size_t(sy) * width + sx] * reach);
        }
      }
      out.alpha[std::size_t(y) * width + x] = best;
    }
  return out;
}

TextMask TextMask::blurred(float radius) const {
  TextMask out = *this;
  float sigma = radius / 2;
  int half = std::max(1, static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
  boxBlur(out.alpha, width, height, half);
  return out;
}

TextPainter::TextPainter() : fonts_(std::make_unique<FontLibrary>()) {}
TextPainter::~TextPainter() = default;

bool TextPainter::available() const { return fonts_->font("IPAPGothic", 0, 20)->valid(); }

int TextPainter::measure(std::string_view text, std::string_view face, int height, int style,
                         float tracking) const {
  FontHandle font = fonts_->font(face, style, height);
  float pen = 0;
  std::vector<std::uint32_t> cps = codePoints(text);
  for (std::size_t i = 0; i < cps.size(); ++i) pen += font->advance(cps[i]) + (i + 1 < cps.size() ? tracking : 0);
  return static_cast<int>(std::ceil(pen));
}

TextMask TextPainter::render(std::string_view text, std::string_view face, int height, int style,
                             float tracking, int pad) const {
  FontHandle font = fonts_->font(face, style, height);
  TextMask mask;
  mask.pad = pad;
  mask.width = measure(text, face, height, style, tracking) + 2 * pad + 2;
  mask.height = font->height() + 2 * pad;
  mask.alpha.assign(std::size_t(mask.width) * mask.height, 0.0f);
  float pen = 0;
  for (std::uint32_t cp : codePoints(text)) {
    GlyphBitmap gb;
    if (font->greyBitmap(cp, gb)) {
      int ox = pad + static_cast<int>(std::lround(pen)) + gb.left;
      int oy = pad + font->ascent() - gb.top;
      for (int r = 0; r < gb.rows; ++r) {
        int ty = oy + r;
        if (ty < 0 || ty >= mask.height) continue;
        for (int c = 0; c < gb.width; ++c) {
          int tx = ox + c;
          if (tx < 0 || tx >= mask.width) continue;
          float& a = mask.alpha[std::size_t(ty) * mask.width + tx];
          a = std::min(1.0f, a + gb.coverage[std::size_t(r) * gb.width + c] / 255.0f);
        }
      }
    }
    pen += font->advance(cp) + tracking;
  }
  return mask;
}

void drawText(Canvas& canvas, const TextMask& mask, float x, float y, const Paint& paint, float opacity) {
  canvas.drawCoverage(static_cast<int>(std::lround(x)) - mask.pad, static_cast<int>(std::lround(y)) - mask.pad,
                      mask.width, mask.height, mask.alpha.data(), paint, opacity);
}

int drawLabel(Canvas& canvas, const TextPainter& painter, std::string_view text, float x, float y,
              const TextStyleSpec& spec, bool centred) {
  int pad = static_cast<int>(std::ceil(std::max({spec.outline, spec.shadow * 1.5f, spec.glow * 1.5f}))) + 4;
  TextMask mask = painter.render(text, spec.face, spec.height, spec.style, spec.tracking, pad);
  int width = mask.width - 2 * pad - 2;
  if (centred) x -= width / 2.0f;
  if (spec.glow > 0) drawText(canvas, mask.grown(spec.glow / 3).blurred(spec.glow), x, y, spec.glowColour);
  if (spec.shadow > 0) {
    TextMask s = spec.outline > 0 ? mask.grown(spec.outline) : mask;
    drawText(canvas, s.blurred(spec.shadow), x + spec.shadow / 2, y + spec.shadow / 2, spec.shadowColour);
  }
  if (spec.outline > 0) drawText(canvas, mask.grown(spec.outline), x, y, spec.outlineColour);
  drawText(canvas, mask, x, y, spec.paint ? *spec.paint : Paint(spec.fill));
  return width;
}

}  // namespace ml::tools
