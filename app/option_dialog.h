// The option dialog, the flag viewer, the drive dialog and the keyboard help drawn with Dear ImGui over the game. Built
// into the windowed program only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ml {

class Platform;
class OptionForm;
class FlagView;

// Runs the option dialog until OK, the close box or the name button ends it.
bool showOptionDialog(Platform& platform, OptionForm& form);
// The flag viewer: the start number, its buttons, the two grids and the macro look-up.
bool showFlagDialog(Platform& platform, FlagView& view, const std::function<void()>& refresh,
                    const std::function<void()>& lookUp);
// The drive dialog: a list of disc roots and "Ok".
bool showDriveDialog(Platform& platform, const std::vector<std::string>& roots, int& selected);
// A read-only memo of lines in the help font and "閉じる".
bool showTextWindow(Platform& platform, const std::string& captionSjis, const std::vector<std::string>& linesSjis);

}  // namespace ml
