// Files the engine loads by itself because of a command: the message window's frame,
// icon and buttons once a window is defined, the screens its buttons open, the title
// menu's pictures, the ending's music and so on. A game that uses the command needs
// them even though no script names them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ml::lint {

// Shift-JIS paths ("cg\_WindowF.psd", "wav\bgm13.wav") a command with these arguments
// makes the engine load.
std::vector<std::string> impliedFiles(std::string_view keyword, const std::vector<std::string>& args);

}  // namespace ml::lint
