// The abstract input buttons the waits poll: key and mouse handlers only press and
// release bits; the waiting code consumes the presses.
#pragma once

#include <cstdint>

namespace ml {

enum InputBit : std::uint32_t {
  InputUp = 1,
  InputDown = 2,
  InputLeft = 4,
  InputRight = 8,
  InputDecide = 16,
  InputCancel = 32,
  InputSkip = 64,
  InputVoice = 128,
  InputLogBack = 256,
  InputLogForward = 512,
  InputLoadScreen = 1024,
  InputSaveScreen = 2048,
};

struct InputState {
  std::uint32_t held = 0;     // HeldInputs: down now
  std::uint32_t pressed = 0;  // PressedInputs: pressed since the last consume
  // The pointer in game-area pixels, as the window last saw it.
  int mouseX = 0;
  int mouseY = 0;

  void press(std::uint32_t bits) {
    held |= bits;
    pressed |= bits;
  }
  void release(std::uint32_t bits) { held &= ~bits; }
  void consumePresses() { pressed = 0; }
  bool isHeld(std::uint32_t bits) const { return (held & bits) != 0; }
  bool isPressed(std::uint32_t bits) const { return (pressed & bits) != 0; }
};

}  // namespace ml
