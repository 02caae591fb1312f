// bg, bg1..bg4, ev, ev1, sp, spl, spr, sp1..sp3, sp_loop, sp_wait, def_sp_*, posi,
// mask, set_hsv, set_rgb*, mono: the commands that put pictures into the scene layers.
#include <string>
#include <vector>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"
#include "scene/effect_wait.h"
#include "scene/picture_layers.h"
#include "media/gfx/layer_slots.h"
#include "scene/transition.h"

namespace ml {
namespace {

enum SpritePosition { kLeft = 0, kCentre = 1, kRight = 2, kLeft3 = 3, kRight3 = 4 };

// A picture name argument: defined names are replaced; event pictures of the game
// count as seen for the gallery.
std::string readName(ScriptContext& sc, bool gallery) {
  std::string name = sc.readArgument();
  sc.substituteDefine(name);
  if (gallery) sc.markPictureFlag(name);
  return name;
}

std::int32_t readNumber(ScriptContext& sc) { return sc.evaluate(sc.readArgument()); }

int spriteX(const ScriptContext& sc, SpritePosition p) { return sc.state->spritePosition(p); }

struct Placement {
  int slot;
  std::string name;
  int x;
};

// Where bg2..bg4 and sp1..sp3 put their pictures: sprite 1 first, and with three
// pictures the middle argument goes to sprite 3 in the centre.
std::vector<Placement> spritePlacements(const ScriptContext& sc, const std::vector<std::string>& names) {
  switch (names.size()) {
    case 1:
      return {{kSpriteSlot1, names[0], spriteX(sc, kCentre)}};
    case 2:
      return {{kSpriteSlot1, names[0], spriteX(sc, kLeft)}, {kSpriteSlot2, names[1], spriteX(sc, kRight)}};
    case 3:
      return {{kSpriteSlot1, names[0], spriteX(sc, kLeft3)},
              {kSpriteSlot2, names[2], spriteX(sc, kRight3)},
              {kSpriteSlot3, names[1], spriteX(sc, kCentre)}};
    default:
      return {};
  }
}

void forgetSprites(ScriptContext& sc) {
  for (int k = 1; k <= 3; ++k) clearRecordedName(*sc.state, k);
}

bool isOutgoing(Transition t) {
  return t == Transition::Out || t == Transition::ScrollLeftOut || t == Transition::ScrollRightOut;
}

std::uint8_t result(bool ok) { return ok ? 1 : 0; }

}  // namespace

std::uint8_t cmdBg(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::string name = readName(sc, false);
  const std::string transition = sc.readArgument();
  selectBackgroundTint(sc, name);
  if (sc.fastForward) {
    recordPlacement(*sc.state, 0, name, 0, 0);
    return 1;
  }
  return result(placePicture(sc, kBackgroundSlot, name, transition, 0, 0));
}

std::uint8_t cmdBgWithSprites(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string background = readName(sc, false);
  std::vector<std::string> names;
  for (int i = 0; i < row.a; ++i) names.push_back(readName(sc, false));
  selectBackgroundTint(sc, background);
  const std::vector<Placement> sprites = spritePlacements(sc, names);
  GameState& state = *sc.state;

  if (sc.fastForward) {
    for (int k = 0; k <= 3; ++k) recordPlacement(state, k, "", 0, 0);
    recordPlacement(state, 0, background, 0, 0);
    for (const Placement& p : sprites) recordPlacement(state, sceneSlotFromLayer(p.slot), p.name, p.x, 0);
    return 1;
  }

  std::string transition = row.fixedText ? row.fixedText : "FADE_NONE";
  // The same background again changes at once, without fading the scene away.
  if (background == recordedName(state, 0)) transition = "FADE_NONE";
  if (parseTransition(transition) == Transition::None) {
    forgetSprites(sc);
    for (int slot : {kSpriteSlot1, kSpriteSlot2, kSpriteSlot3}) sc.rt.scene.layers.clear(slot);
  }
  if (!preFade(sc, true, transition)) return 0;
  if (sprites.empty()) return result(placePicture(sc, kBackgroundSlot, background, transition, 0, 0));

  if (!placePicture(sc, kBackgroundSlot, background, "FADE_SET", 0, 0)) return 0;
  int slots[3] = {-1, -1, -1};
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    if (!placePicture(sc, sprites[i].slot, sprites[i].name, "FADE_SET", sprites[i].x, 0)) return 0;
    slots[i] = sprites[i].slot;
  }
  return result(runTransition(sc, transition, kBackgroundSlot, slots[0], slots[1], slots[2]));
}

namespace {

std::uint8_t showEvent(ScriptContext& sc, const std::string& name, const std::string& transition) {
  clearSpriteTint(*sc.state);
  if (sc.fastForward) {
    recordName(*sc.state, 0, name);
    if (parseTransition(transition) == Transition::In) forgetSprites(sc);
    return 1;
  }
  if (!preFade(sc, true, transition)) return 0;
  return result(placePicture(sc, kBackgroundSlot, name, transition, 0, 0));
}

}  // namespace

std::uint8_t cmdEv(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::string name = readName(sc, true);
  const std::string transition = sc.readArgument();
  return showEvent(sc, name, transition);
}

std::uint8_t cmdEv1(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string name = readName(sc, true);
  return showEvent(sc, name, row.fixedText ? row.fixedText : "FADE_NONE");
}

std::uint8_t cmdSp(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::int32_t number = readNumber(sc);
  const std::string name = readName(sc, true);
  const std::string transition = sc.readArgument();
  const int slot = layerFromSpriteNumber(number);
  const int x = spriteX(sc, static_cast<SpritePosition>(row.a));
  if (sc.fastForward) {
    const int k = sceneSlotFromLayer(slot);
    if (isOutgoing(parseTransition(transition))) {
      clearRecordedName(*sc.state, k);
    } else {
      recordName(*sc.state, k, name);
      sc.state->layerX[k] = x;
    }
    return 1;
  }
  return result(placePicture(sc, slot, name, transition, x, 0));
}

std::uint8_t cmdSprites(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  std::vector<std::string> names;
  for (int i = 0; i < row.a; ++i) names.push_back(readName(sc, true));
  const std::vector<Placement> sprites = spritePlacements(sc, names);
  const std::string transition = row.fixedText ? row.fixedText : "FADE_NONE";
  GameState& state = *sc.state;
  // Sprites the command does not name: sp1 leaves 2 and 3, sp2 leaves 3.
  const int firstUnnamed = static_cast<int>(sprites.size()) + 1;

  if (sc.fastForward) {
    for (const Placement& p : sprites) recordPlacement(state, sceneSlotFromLayer(p.slot), p.name, p.x, 0);
    for (int k = firstUnnamed; k <= 3; ++k) clearRecordedName(state, k);
    return 1;
  }

  if (!preFade(sc, false, transition)) return 0;
  if (parseTransition(transition) != Transition::Cross) {
    int slots[3] = {-1, -1, -1};
    for (std::size_t i = 0; i < sprites.size(); ++i) {
      if (!placePicture(sc, sprites[i].slot, sprites[i].name, "FADE_SET", sprites[i].x, 0)) return 0;
      slots[i] = sprites[i].slot;
    }
    return result(runTransition(sc, transition, slots[0], slots[1], slots[2], -1));
  }

  SpriteChanges changes;
  for (const Placement& p : sprites) {
    const int k = sceneSlotFromLayer(p.slot);
    // A sprite already showing this picture at this place stays as it is.
    if (p.name == recordedName(state, k) && state.layerX[k] == p.x) continue;
    changes[static_cast<std::size_t>(k - 1)] = SpriteChange{p.name, p.x};
  }
  for (int k = firstUnnamed; k <= 3; ++k) changes[static_cast<std::size_t>(k - 1)] = SpriteChange{"", 0};
  return result(crossFadeSprites(sc, changes));
}

std::uint8_t cmdSpLoop(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t number = readNumber(sc);
  const std::string mode = sc.readArgument();
  Sprite& layer = sc.rt.scene.layers[layerFromSpriteNumber(number)];
  if (mode == "LOOP") {
    layer.setHoldLastFrame(false);
    layer.setAnimating(true);
  } else if (mode == "LOOP_NONE") {
    layer.setHoldLastFrame(true);
    layer.setAnimating(true);
  } else if (mode == "LOOP_STOP") {
    layer.setAnimating(false);
  } else {
    reportBadParameter(sc, mode);
  }
  return 1;
}

std::uint8_t cmdSpWait(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t number = readNumber(sc);
  if (sc.fastForward) return 1;
  Runtime& rt = sc.rt;
  const Sprite& layer = rt.scene.layers[layerFromSpriteNumber(number)];
  for (;;) {
    if (pollWithMenus(sc, true, true)) return rt.requests().quitRequested ? 0 : 1;
    // An empty slot has no last frame to wait for.
    if (!layer.hasPicture() || layer.isLastFrame()) return 1;
    if (effectStopped(sc)) return 1;
  }
}

std::uint8_t cmdSetHsv(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t hue = readNumber(sc);
  const std::int32_t saturation = readNumber(sc);
  const std::int32_t value = readNumber(sc);
  sc.state->flags[2040] = static_cast<std::uint8_t>(hue / 2);
  sc.state->flags[2041] = static_cast<std::uint8_t>(saturation);
  sc.state->flags[2042] = static_cast<std::uint8_t>(value);
  return 1;
}

std::uint8_t cmdSetRgb(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  std::int32_t rgb[3];
  for (std::int32_t& c : rgb) c = readNumber(sc);
  if (row.a == 0) return 1;  // set_rgb reads its colour and keeps nothing
  if (row.b == 0) {
    for (int c = 0; c < 3; ++c) sc.state->flags[2037 + c] = static_cast<std::uint8_t>(rgb[c]);
  } else if (row.b >= 1 && row.b <= 3) {
    for (int c = 0; c < 3; ++c)
      sc.rt.scene.tintPresets[static_cast<std::size_t>(row.b - 1)][static_cast<std::size_t>(c)] =
          static_cast<std::int8_t>(rgb[c]);
  }
  return 1;
}

std::uint8_t cmdDefSpritePosition(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::int32_t x = readNumber(sc);
  if (row.a >= 0 && row.a <= 4) sc.state->setSpritePosition(row.a, static_cast<std::int16_t>(x));
  return 1;
}

std::uint8_t cmdMono(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t slot = readNumber(sc);
  const std::string mode = sc.readArgument();
  if (sc.fastForward) return 1;
  bool on;
  if (mode == "SET") {
    on = true;
  } else if (mode == "RESET") {
    on = false;
  } else {
    reportBadParameter(sc, mode);
    return 1;
  }
  if (isLayerSlot(slot)) sc.rt.scene.layers[static_cast<std::size_t>(slot)].setMonochrome(on);
  return 1;
}

std::uint8_t cmdPosi(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t number = readNumber(sc);
  const std::int32_t x = readNumber(sc);
  const std::int32_t y = readNumber(sc);
  const int slot = layerFromSceneSlot(number);
  const int k = sceneSlotFromLayer(slot);
  sc.state->layerX[k] = x;
  sc.state->layerY[k] = y;
  sc.rt.scene.layers[slot].setPosition(x, y);
  return 1;
}

std::uint8_t cmdMask(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t top = readNumber(sc);
  const std::int32_t bottom = readNumber(sc);
  sc.state->letterboxTop() = static_cast<std::uint8_t>(top / 8);
  sc.state->letterboxBottom() = static_cast<std::uint8_t>(bottom / 8);
  return 1;
}

}  // namespace ml
