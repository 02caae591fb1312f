// Which tint preset each background of the game selects for the sprites shown over it
// (day, dusk, night light). Game data compiled into the program.
#pragma once

#include <span>
#include <string_view>

namespace ml {

struct BackgroundTint {
  const char* name;  // background picture name, matched exactly
  int preset;        // 0, 1 or 2
};

// The rows, at most 256; a row with an empty name would end the table.
std::span<const BackgroundTint> backgroundTintTable();

// The preset of a background, or -1 when the table does not list it.
int backgroundTintPreset(std::string_view backgroundName);

}  // namespace ml
