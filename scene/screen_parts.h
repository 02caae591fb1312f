// What the screens drawn with the game's own pictures share: button pictures whose
// frame is their state, the game's slots hidden while a screen is open, the fades to
// and from black, and the pass that waits for the next thing to happen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "media/gfx/layer_slots.h"

namespace ml {

class Runtime;
class ScriptContext;
class Sprite;

// Button states (the frame of the button's picture).
inline constexpr int kStateNormal = 0;
inline constexpr int kStateHover = 1;
inline constexpr int kStateSelected = 2;  // also inactive: it does not react

// The slots a screen hides while it is open.
inline constexpr int kGameSlotsEnd = 190;

Sprite& layer(Runtime& rt, int slot);

// A picture into a slot at (x, y) showing the frame of `state`, not animated. False
// (the slot left empty) when the picture is missing.
bool loadButton(Runtime& rt, int slot, std::string_view path, int x, int y, int state);
void setButtonFrame(Runtime& rt, int slot, int state);
int buttonFrame(Runtime& rt, int slot);
// Whether the point lies on a visible, opaque pixel of the slot's picture.
bool onSlot(Runtime& rt, int slot, int x, int y);
void clearSlots(Runtime& rt, int first, int last);

// Hides slots 0-189, remembering each one's visibility, and gives it back.
class HiddenGameSlots {
 public:
  void hide(Runtime& rt, int first = 0, int end = kGameSlotsEnd);
  void restore(Runtime& rt);

 private:
  std::array<bool, kLayerSlotCount> visible_{};
  int first_ = 0, end_ = 0;
  bool hidden_ = false;
};

// The full-screen fades to and from black, paced by Effect/Speed. False when the
// program is closing.
bool fadeScreenOut(ScriptContext& sc);
bool fadeScreenIn(ScriptContext& sc);

// A text in white at (x, y) with the message font, glyphs of `size` pixels.
void drawLabel(Runtime& rt, int slot, std::string_view sjis, int x, int y, int size = 24,
               std::uint32_t colour = 0xFFFFFF);

// The pointer as a screen loop follows it: `moved` when it left its last place.
struct PointerWatch {
  int x = -100000, y = -100000;
  bool moved(const ScriptContext& sc);
};

// An extras screen's poll: true when the screen must end. A return to the title asked
// from the menu is taken here: every slot is cleared and every channel stopped, so
// that the screen starts again from nothing.
bool extrasScreenEnds(ScriptContext& sc);

// One idle pass of a screen loop: present when something changed, else sleep.
void finishPass(ScriptContext& sc, bool changed, std::uint32_t idleMs = 16);

}  // namespace ml
