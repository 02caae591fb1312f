#include "scene/picture_layers.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/text/text_renderer.h"
#include "platform/text_encoding.h"
#include "scene/compose_scene.h"
#include "scene/effect_wait.h"
#include "media/gfx/layer_slots.h"
#include "scene/transition.h"

namespace ml {
namespace {

constexpr std::size_t kNameField = sizeof(GameState{}.pictureNames[0]);
constexpr int kSpriteSlots[3] = {kSpriteSlot1, kSpriteSlot2, kSpriteSlot3};

int clampSceneSlot(int sceneSlot) { return std::clamp(sceneSlot, 0, kSceneSlotCount - 1); }

bool isSpriteColourSlot(int slot) { return slot >= kSpriteSlot1 && slot <= kSpriteSlot3 + 1; }

}  // namespace

// --- the scene record -------------------------------------------------------------

void recordName(GameState& state, int sceneSlot, std::string_view name) {
  char* field = state.pictureNames[clampSceneSlot(sceneSlot)];
  const std::size_t n = std::min(name.size(), kNameField - 1);
  std::memset(field, 0, kNameField);
  std::memcpy(field, name.data(), n);
}

void clearRecordedName(GameState& state, int sceneSlot) { recordName(state, sceneSlot, ""); }

std::string recordedName(const GameState& state, int sceneSlot) {
  const char* field = state.pictureNames[clampSceneSlot(sceneSlot)];
  return std::string(field, strnlen(field, kNameField));
}

void recordPlacement(GameState& state, int sceneSlot, std::string_view name, int x, int y) {
  const int k = clampSceneSlot(sceneSlot);
  recordName(state, k, name);
  state.layerX[k] = x;
  state.layerY[k] = y;
  state.layerFade[k] = 255;
  state.layerAlpha[k] = 255;
}

// --- pictures ---------------------------------------------------------------------

bool makePlaceholderPicture(FontLibrary& fonts, Sprite& sprite, std::string_view name) {
  if (!sprite.makeBox(BackBuffer::kWidth, BackBuffer::kHeight, 1)) return false;
  Surface& surface = *sprite.surface();
  surface.fill(0xFF808080u);
  FontHandle font = fonts.font(SJ("ＭＳ ゴシック"), kFontBold, 72);
  if (font && font->valid()) {
    TextTarget target{surface.pixels(0), surface.width(), surface.height(), surface.width()};
    drawPlainText(*font, name, 100, 100, 0xFFFFFF, target);
  }
  // Drawn like a loaded picture, so that levels and cross-fades treat it the same.
  surface.setAlphaFlag(true);
  return true;
}

bool loadScenePicture(ScriptContext& sc, Sprite& sprite, std::string_view name, bool quiet) {
  Runtime& rt = sc.rt;
  const std::string base = "cg\\" + std::string(name);
  const std::string bmp = base + ".bmp";
  const std::string psd = base + ".psd";
  const std::string* path = nullptr;
  if (sc.fileExists(bmp, true))
    path = &bmp;
  else if (sc.fileExists(psd, true))
    path = &psd;
  if (path == nullptr) {
    if (rt.story.makePlaceholderPictures) return makePlaceholderPicture(rt.media.fonts, sprite, name);
    sprite.release();
    if (!quiet) sc.scriptError(SJ("ファイルが存在しない"), psd);
    return false;
  }
  // A picture that cannot be decoded has been reported by the sprite, which is empty.
  return sprite.loadPicture(*path, rt.platform.ticks());
}

bool placePicture(ScriptContext& sc, int slot, std::string_view name, std::string_view transition,
                  int x, int y) {
  Runtime& rt = sc.rt;
  if (!isLayerSlot(slot)) return true;
  const Transition t = parseTransition(transition);
  const int sceneSlot = sceneSlotFromLayer(slot);
  recordName(*sc.state, sceneSlot, name);

  if (name.empty()) {
    if (t == Transition::None) {
      rt.scene.layers.clear(slot);
      return redraw(sc);
    }
    if (t == Transition::Set) rt.scene.layers.clear(slot);
    if (t == Transition::Cross) return runTransition(sc, Transition::Out, "FADE_OUT", slot, -1, -1, -1);
    return true;
  }
  if (t == Transition::Out || t == Transition::ScrollLeftOut || t == Transition::ScrollRightOut)
    return runTransition(sc, t, transition, slot, -1, -1, -1);

  // The outgoing picture moves to the partner slot and stays visible there.
  const int partner = slot + 1;
  const bool crossing = t == Transition::Cross && isLayerSlot(partner);
  if (crossing) rt.scene.layers[slot].swapContents(rt.scene.layers[partner]);

  Sprite& layer = rt.scene.layers[slot];
  if (!loadScenePicture(sc, layer, name)) {
    // Nothing to cross-fade to: the old picture must not linger above the new scene.
    if (crossing) rt.scene.layers.clear(partner);
    return true;
  }
  if (isSpriteColourSlot(slot)) applySpriteColour(sc, slot);
  layer.setPosition(x, y);
  layer.setHoldLastFrame(true);
  recordPlacement(*sc.state, sceneSlot, name, x, y);

  if (slot == kBackgroundSlot && t == Transition::Cross)
    return runTransition(sc, t, transition, slot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3);
  return runTransition(sc, t, transition, slot, -1, -1, -1);
}

void applySpriteColour(ScriptContext& sc, int slot) {
  if (!isLayerSlot(slot)) return;
  Runtime& rt = sc.rt;
  Sprite& layer = rt.scene.layers[static_cast<std::size_t>(slot)];
  Surface* surface = layer.surface();
  if (surface == nullptr) return;
  const GameState& state = *sc.state;
  const int hue = state.spriteHsv(0), saturation = state.spriteHsv(1), value = state.spriteHsv(2);
  const int red = state.spriteTint(0), green = state.spriteTint(1), blue = state.spriteTint(2);
  const std::size_t count = std::size_t(surface->width()) * surface->height();
  // Every frame, so that an animated sprite keeps one colour throughout.
  for (int f = 0; f < surface->frameCount(); ++f) {
    std::uint32_t* p = surface->pixels(f);
    if (p == nullptr) continue;
    if (hue != 0 || saturation != 0 || value != 0) rt.media.pixels->adjustHsv(p, count, 2 * hue, saturation, value);
    if (red != 0 || green != 0 || blue != 0) rt.media.pixels->scaleRgbPercent(p, count, red, green, blue);
  }
}

bool preFade(ScriptContext& sc, bool withBackground, std::string_view transition) {
  Runtime& rt = sc.rt;
  bool any = withBackground && !rt.scene.layers[kBackgroundSlot].empty();
  for (int s : kSpriteSlots) any = any || !rt.scene.layers[s].empty();
  if (!any) return true;
  switch (parseTransition(transition)) {
    case Transition::In:
      if (withBackground)
        return runTransition(sc, Transition::Out, "FADE_OUT", kBackgroundSlot, kSpriteSlot1, kSpriteSlot2,
                             kSpriteSlot3);
      return runTransition(sc, Transition::Out, "FADE_OUT", kSpriteSlot1, kSpriteSlot2, kSpriteSlot3, -1);
    case Transition::MosaicIn:
      return runTransition(sc, Transition::MosaicOut, "MOSAIC_OUT", kBackgroundSlot, -1, -1, -1);
    default:
      return true;
  }
}

bool crossFadeSprites(ScriptContext& sc, const SpriteChanges& changes) {
  Runtime& rt = sc.rt;
  for (int k = 0; k < 3; ++k) {
    if (!changes[k]) continue;
    const int slot = kSpriteSlots[k];
    rt.scene.layers[slot].swapContents(rt.scene.layers[slot + 1]);
    if (!placePicture(sc, slot, changes[k]->name, "FADE_SET", changes[k]->x, 0)) return false;
  }

  // A pair of pictures of one size at one place is blended into the old picture's
  // pixels, so that parts both share never shine through each other.
  struct Pair {
    bool inPlace = false;
    int frame = 0;
    Rect area;
    std::vector<std::uint32_t> old;
  };
  std::array<Pair, 3> pairs;
  for (int k = 0; k < 3; ++k) {
    Sprite& incoming = rt.scene.layers[kSpriteSlots[k]];
    Sprite& outgoing = rt.scene.layers[kSpriteSlots[k] + 1];
    if (!incoming.hasPicture() || !outgoing.hasPicture() || incoming.x() != outgoing.x() ||
        incoming.width() != outgoing.width() || incoming.height() != outgoing.height())
      continue;
    Pair& pair = pairs[k];
    Surface& before = *outgoing.surface();
    pair.inPlace = true;
    pair.frame = std::max(outgoing.currentFrame(), 0);
    pair.area = unite(before.content(pair.frame), incoming.surface()->content(std::max(incoming.currentFrame(), 0)));
    before.setContent(pair.frame, pair.area);
    const std::uint32_t* pixels = before.pixels(pair.frame);
    pair.old.assign(pixels, pixels + std::size_t(before.width()) * before.height());
    // The blend is written into one frame; the old picture must hold still meanwhile.
    outgoing.setAnimating(false);
    incoming.setVisible(false);
  }

  int v = 0;
  do {
    if (!poll(sc)) return false;
    if (effectStopped(sc)) break;
    for (int k = 0; k < 3; ++k) {
      Sprite& incoming = rt.scene.layers[kSpriteSlots[k]];
      Sprite& outgoing = rt.scene.layers[kSpriteSlots[k] + 1];
      const Pair& pair = pairs[k];
      if (pair.inPlace) {
        if (pair.area.empty()) continue;
        Surface& before = *outgoing.surface();
        const int w = before.width();
        const std::size_t offset = std::size_t(pair.area.y) * w + pair.area.x;
        const std::uint32_t* fresh = static_cast<const Surface&>(*incoming.surface()).pixels(std::max(incoming.currentFrame(), 0));
        rt.media.pixels->crossFade(before.pixels(pair.frame) + offset, w, fresh + offset, w, pair.old.data() + offset, w,
                             pair.area.width, pair.area.height, v);
      } else {
        if (changes[k]) incoming.setAlpha(v);
        outgoing.setAlpha(255 - v);
      }
    }
    if (!redraw(sc)) return false;
    v += transitionStep(rt.media.settings);
  } while (v <= 255);

  for (int slot : kSpriteSlots) {
    rt.scene.layers.clear(slot + 1);
    rt.scene.layers[slot].setAlpha(255);
    rt.scene.layers[slot].setVisible(true);
  }
  return redraw(sc);
}

void restoreSceneLayers(ScriptContext& sc, const GameState& recorded) {
  Runtime& rt = sc.rt;
  for (int k = 0; k < kSceneSlotCount; ++k) {
    const int slot = layerFromSceneSlot(k);
    rt.scene.layers.clear(slot);
    const std::string name = recordedName(recorded, k);
    if (name.empty()) continue;
    Sprite& layer = rt.scene.layers[slot];
    if (!loadScenePicture(sc, layer, name, true)) continue;
    layer.setPosition(recorded.layerX[k], 0);
    if (k >= 1 && k <= 3) applySpriteColour(sc, slot);
  }
  composeScene(rt.scene.layers, *rt.media.pixels, rt.story.state);
}

bool rebuildSceneFromState(ScriptContext& sc) {
  GameState& state = *sc.state;
  for (int k = 0; k < kSceneSlotCount; ++k) {
    const std::string name = recordedName(state, k);
    if (name.empty()) continue;
    // Placing records full levels; the saved ones are put back afterwards.
    const int fade = state.layerFade[k], alpha = state.layerAlpha[k];
    const int slot = layerFromSceneSlot(k);
    if (!placePicture(sc, slot, name, "FADE_SET", state.layerX[k], state.layerY[k])) return false;
    Sprite& layer = sc.rt.scene.layers[static_cast<std::size_t>(slot)];
    layer.setFade(fade);
    layer.setAlpha(alpha);
    state.layerFade[k] = std::clamp(fade, 0, 255);
    state.layerAlpha[k] = std::clamp(alpha, 0, 255);
  }
  return true;
}

void selectBackgroundTint(ScriptContext& sc, std::string_view backgroundName) {
  const int preset = backgroundTintPreset(sc.rt.media.content, backgroundName);
  for (int c = 0; c < 3; ++c) {
    const std::int8_t v = preset >= 0 && preset < 3 ? sc.rt.scene.tintPresets[preset][c] : 0;
    sc.state->flags[2037 + c] = static_cast<std::uint8_t>(v);
  }
}

void clearSpriteTint(GameState& state) {
  for (int c = 0; c < 3; ++c) state.flags[2037 + c] = 0;
}

}  // namespace ml
