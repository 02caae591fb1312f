#include "scene/compose_scene.h"

#include <cstring>

#include "engine/runtime.h"
#include "media/gfx/layer_slots.h"

namespace ml {
namespace {

// A hidden 800x600 picture in a snapshot slot, made once and reused.
Surface* snapshotPicture(Runtime& rt, int slot) {
  Sprite& s = rt.scene.layers[slot];
  Surface* surface = s.surface();
  if (surface == nullptr || surface->width() != BackBuffer::kWidth || surface->height() != BackBuffer::kHeight) {
    if (!s.makeBox(BackBuffer::kWidth, BackBuffer::kHeight, 1)) return nullptr;
    surface = s.surface();
  }
  return surface;
}

}  // namespace

void composeScene(Runtime& rt) {
  backgroundEffectHook(rt, rt.story.state.backgroundEffectMode() != 0 ? 1 : 0);

  Surface* scene = snapshotPicture(rt, kSceneSnapshotSlot);
  if (scene == nullptr) return;
  std::memset(scene->pixels(0), 0, std::size_t(scene->width()) * scene->height() * sizeof(std::uint32_t));
  for (int slot : {kBackgroundSlot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, kSpriteSlot4}) {
    Sprite& layer = rt.scene.layers[slot];
    if (layer.hasPicture()) layer.draw(*scene, *rt.media.pixels);
  }

  rt.scene.layers[kSceneSnapshotSlot].setVisible(false);
  refreshWindowSnapshot(rt);
}

void refreshWindowSnapshot(Runtime& rt) {
  Sprite& sceneLayer = rt.scene.layers[kSceneSnapshotSlot];
  Surface* window = snapshotPicture(rt, kWindowSnapshotSlot);
  if (window == nullptr) return;
  if (sceneLayer.hasPicture()) {
    sceneLayer.setVisible(true);
    sceneLayer.draw(*window, *rt.media.pixels);
    sceneLayer.setVisible(false);
  } else {
    // No scene command has run yet: there is no scene under the window.
    std::memset(window->pixels(0), 0, std::size_t(window->width()) * window->height() * sizeof(std::uint32_t));
  }
  for (int slot : kWindowPartSlots) rt.scene.layers[slot].draw(*window, *rt.media.pixels);
  rt.scene.layers[kWindowSnapshotSlot].setVisible(false);
}

void backgroundEffectHook(Runtime&, int) {}

}  // namespace ml
