// The current-line dialog's search for the first voice line the player has not read:
// every script of the game (the loose "scr\*.scr" files, or the script archive's
// entries when there are none), scanned as the script reader counts voice commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ml {

class Runtime;

// The memo lines (Shift-JIS): "ここが未読です", the script path with the byte offset in
// hexadecimal and decimal, and the next three text lines; or "未読は見つかりませんでした".
std::vector<std::string> findFirstUnread(Runtime& rt);

// One script's part of the search (text as loaded: byte 0 is the "N"/"X" marker).
// Empty when every counted voice line of it was read.
std::vector<std::string> findUnreadIn(Runtime& rt, const std::string& pathSjis, std::vector<std::uint8_t> text);

}  // namespace ml
