#include "media/gfx/layer_table.h"

namespace ml {

LayerTable::LayerTable(const MediaContext& media) : spare_(media, -1) {
  slots_.reserve(kLayerSlotCount);
  for (int i = 0; i < kLayerSlotCount; ++i) slots_.emplace_back(media, i);
}

Sprite& LayerTable::operator[](int slot) {
  if (isLayerSlot(slot)) return slots_[static_cast<std::size_t>(slot)];
  // Whatever the last caller left in the spare is dropped: it is never shown.
  spare_.release();
  return spare_;
}

const Sprite& LayerTable::operator[](int slot) const {
  if (isLayerSlot(slot)) return slots_[static_cast<std::size_t>(slot)];
  spare_.release();
  return spare_;
}

void LayerTable::clear(int slot) {
  if (isLayerSlot(slot)) slots_[static_cast<std::size_t>(slot)].release();
}

void LayerTable::clearAll() {
  for (Sprite& s : slots_) s.release();
}

}  // namespace ml
