// The 260 sprites of the layer table, addressed by slot number. A slot number outside
// the table (a damaged save, a script's odd argument) gets an empty spare sprite that is
// never drawn, instead of memory outside the table.
#pragma once

#include <span>
#include <vector>

#include "media/gfx/layer_slots.h"
#include "media/gfx/sprite.h"

namespace ml {

struct MediaContext;

class LayerTable {
 public:
  explicit LayerTable(const MediaContext& media);
  LayerTable(const LayerTable&) = delete;
  LayerTable& operator=(const LayerTable&) = delete;

  Sprite& operator[](int slot);
  const Sprite& operator[](int slot) const;
  static constexpr int size() { return kLayerSlotCount; }

  // Every slot in order, for composition.
  std::span<Sprite> all() { return slots_; }
  auto begin() { return slots_.begin(); }
  auto end() { return slots_.end(); }

  // Frees a slot's picture; out-of-range slots are ignored.
  void clear(int slot);
  void clearAll();

 private:
  std::vector<Sprite> slots_;
  mutable Sprite spare_;
};

}  // namespace ml
