// Finished glyph boxes of one font, so that a page laid out and drawn at every
// composition does not rasterise its characters every time. A cached box holds the
// very pixels a fresh one would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace ml {

// A square box of 32-bit pixels (alpha in the top byte) and the rectangle that holds
// every pixel whose alpha is not 0; outside it drawing changes nothing.
struct GlyphBox {
  int side = 0;
  std::vector<std::uint32_t> pixels;  // side * side
  int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;  // half-open
  bool empty() const { return inkLeft >= inkRight || inkTop >= inkBottom; }
  void computeInk();
};

class GlyphCache {
 public:
  // The key of a box: the Shift-JIS code, the glyph style, the glyph size and the one
  // value that colours it (level and edge colour, or the text colour).
  static std::uint64_t key(std::uint16_t code, int style, int glyphSize, std::uint32_t colourKey);

  const GlyphBox* find(std::uint64_t key) const;
  // Stores a box and returns the stored copy. Past the memory budget the cache is
  // emptied first, so it never grows without bound.
  const GlyphBox* insert(std::uint64_t key, GlyphBox box);

  void clear();
  std::size_t size() const { return boxes_.size(); }
  std::size_t bytes() const { return bytes_; }

  static constexpr std::size_t kBudgetBytes = 32u << 20;

 private:
  std::unordered_map<std::uint64_t, std::unique_ptr<GlyphBox>> boxes_;
  std::size_t bytes_ = 0;
};

}  // namespace ml
