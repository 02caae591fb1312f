// The option dialog and the keyboard help drawn with Dear ImGui over the game. Built
// into the windowed program only.
#pragma once

#include <string>
#include <vector>

namespace ml {

class Platform;
class OptionForm;

// Runs the option dialog until OK, the close box or the name button ends it.
bool showOptionDialog(Platform& platform, OptionForm& form);
// A read-only memo of lines in the help font and "閉じる".
bool showTextWindow(Platform& platform, const std::string& captionSjis, const std::vector<std::string>& linesSjis);

}  // namespace ml
