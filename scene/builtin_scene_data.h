// The game's own content that the built-in scenes and the title menu use: the credits
// rows of the ending, the ending and title music, and the title menu's highlight
// marks. Kept together in one place so that a game can later supply them as data.
#pragma once

#include <cstdint>
#include <span>

namespace ml {

// One row of the credits roll. Texts are UTF-8 here (converted when shown); a null
// picture or text means none.
struct CreditsRow {
  std::int32_t frame;     // frame of the picture to show; -1 lets it animate
  const char* picture;    // shown as sprite 1
  const char* text;       // the credit text, lines broken by '\n'
  std::int32_t x, y;      // where the text stands
  std::int32_t duration;  // seconds; 0 ends the table
};

// The rows, the end row (duration 0) included.
std::span<const CreditsRow> creditsRows();

// The music of the ending, played once.
inline constexpr const char* kEndingMusic = "bgm13";

// The title menu's music (looped; null: none) and the two marks that stand beside the
// hovered button (slots 140 and 141).
inline constexpr const char* kTitleMusic = "bgm12";
inline constexpr const char* kTitleMarkLeft = "_MnMarkL";
inline constexpr const char* kTitleMarkRight = "_MnMarkR";

}  // namespace ml
