#include "media/text/glyph_cache.h"

#include <algorithm>

namespace ml {

void GlyphBox::computeInk() {
  inkLeft = side;
  inkTop = side;
  inkRight = 0;
  inkBottom = 0;
  for (int y = 0; y < side; ++y) {
    const std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * side;
    for (int x = 0; x < side; ++x) {
      if (row[x] >> 24) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x + 1);
        inkTop = std::min(inkTop, y);
        inkBottom = y + 1;
      }
    }
  }
}

std::uint64_t GlyphCache::key(std::uint16_t code, int style, int glyphSize,
                              std::uint32_t colourKey) {
  return (std::uint64_t(colourKey) << 32) | (std::uint64_t(glyphSize & 0x1FFF) << 19) |
         (std::uint64_t(style & 7) << 16) | code;
}

const GlyphBox* GlyphCache::find(std::uint64_t key) const {
  auto it = boxes_.find(key);
  return it == boxes_.end() ? nullptr : it->second.get();
}

const GlyphBox* GlyphCache::insert(std::uint64_t key, GlyphBox box) {
  std::size_t cost = box.pixels.size() * sizeof(std::uint32_t) + sizeof(GlyphBox) + 32;
  if (bytes_ + cost > kBudgetBytes) clear();
  auto stored = std::make_unique<GlyphBox>(std::move(box));
  const GlyphBox* result = stored.get();
  auto [it, inserted] = boxes_.insert_or_assign(key, std::move(stored));
  (void)it;
  if (inserted) bytes_ += cost;
  return result;
}

void GlyphCache::clear() {
  boxes_.clear();
  bytes_ = 0;
}

}  // namespace ml
