// What the message window keeps between pages and while it is hidden: the visibility
// of its slots before hiding, the visibility of the choice slots hidden along with it,
// and the states of the window buttons.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "media/gfx/layer_slots.h"
#include "media/gfx/surface.h"

namespace ml {

struct MessageWindowState {
  static constexpr int kButtonCount = 9;

  // Set while the window's slots are hidden; the remembered visibility is valid only
  // then, so hiding twice keeps the first memory and showing a shown window changes
  // nothing.
  bool hidden = false;
  std::array<bool, kWindowLastSlot - kWindowFirstSlot + 1> windowVisible{};
  // The choice prompt and its speaker line (def_selmes, def_selmes2), Shift-JIS.
  std::string choicePrompt;
  std::string choicePromptSpeaker;
  // The choice slots hidden by the player together with the window.
  bool choicesHidden = false;
  std::array<bool, kChoiceLastSlot - kChoiceFirstSlot + 1> choiceVisible{};

  // Buttons 1-9 (index 0 unused): -1 disabled, 0 normal, 1 under the pointer,
  // 2 selected.
  std::array<int, kButtonCount + 1> buttonState{};
  // The button the pointer was last seen on (0: none), so that each move onto a button
  // speaks its guide voice once.
  int lastButton = 0;

  // Dragging the window by its board: where the press was, where the pointer was last,
  // and where the window stood at the press (a press that hardly moved is a click and
  // puts the window back).
  bool dragging = false;
  int dragPressX = 0, dragPressY = 0;
  int dragLastX = 0, dragLastY = 0;
  int dragWindowX = 0, dragWindowY = 0;

  // Scratch frame of partial repaints (kept so it is not made anew every 33 ms).
  std::unique_ptr<Surface> repaintScratch;
};

}  // namespace ml
