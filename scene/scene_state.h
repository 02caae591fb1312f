// Scene values that live for the whole run but are not part of a saved game.
#pragma once

#include <array>
#include <cstdint>

namespace ml {

struct SceneState {
  // Red, green and blue percent changes that backgrounds select through the tint
  // table; zero until set_rgb_ex1..3 set them.
  std::array<std::array<std::int8_t, 3>, 3> tintPresets{};
};

}  // namespace ml
