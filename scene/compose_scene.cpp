#include "scene/compose_scene.h"

#include <cstring>

#include "engine/game_state.h"
#include "media/gfx/back_buffer.h"
#include "media/gfx/layer_table.h"

namespace ml {
namespace {

// A hidden 800x600 picture in a snapshot slot, made once and reused.
Surface* snapshotPicture(LayerTable& layers, int slot) {
  Sprite& s = layers[slot];
  Surface* surface = s.surface();
  if (surface == nullptr || surface->width() != BackBuffer::kWidth || surface->height() != BackBuffer::kHeight) {
    if (!s.makeBox(BackBuffer::kWidth, BackBuffer::kHeight, 1)) return nullptr;
    surface = s.surface();
  }
  return surface;
}

}  // namespace

void composeScene(LayerTable& layers, const PixelOps& pixels, const GameState& state) {
  backgroundEffectHook(state.backgroundEffectMode() != 0 ? 1 : 0);

  Surface* scene = snapshotPicture(layers, kSceneSnapshotSlot);
  if (scene == nullptr) return;
  std::memset(scene->pixels(0), 0, std::size_t(scene->width()) * scene->height() * sizeof(std::uint32_t));
  for (int slot : {kBackgroundSlot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, kSpriteSlot4}) {
    Sprite& layer = layers[slot];
    if (layer.hasPicture()) layer.draw(*scene, pixels);
  }

  layers[kSceneSnapshotSlot].setVisible(false);
  refreshWindowSnapshot(layers, pixels);
}

void refreshWindowSnapshot(LayerTable& layers, const PixelOps& pixels) {
  Sprite& sceneLayer = layers[kSceneSnapshotSlot];
  Surface* window = snapshotPicture(layers, kWindowSnapshotSlot);
  if (window == nullptr) return;
  if (sceneLayer.hasPicture()) {
    sceneLayer.setVisible(true);
    sceneLayer.draw(*window, pixels);
    sceneLayer.setVisible(false);
  } else {
    // No scene command has run yet: there is no scene under the window.
    std::memset(window->pixels(0), 0, std::size_t(window->width()) * window->height() * sizeof(std::uint32_t));
  }
  for (int slot : kWindowPartSlots) layers[slot].draw(*window, pixels);
  layers[kWindowSnapshotSlot].setVisible(false);
}

void backgroundEffectHook(int) {}

}  // namespace ml
