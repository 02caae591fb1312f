// The option dialog, the flag viewer, the drive dialog and the keyboard help drawn with
// Dear ImGui over the game. Built into the windowed program only. The option dialog, the
// flag viewer and the keyboard help do not hold the game: they open and return at once,
// and `closed` runs once the player closed them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ml {

class Platform;
class OptionForm;
class FlagView;

// The option dialog, open until OK, the close box, Esc or the name button ends it
// (form.done). The form outlives the window.
bool showOptionDialog(Platform& platform, OptionForm& form, const std::function<void()>& closed);
// The flag viewer: the start number, its buttons, the two grids and the macro look-up;
// it draws the view as it is at each picture.
bool showFlagDialog(Platform& platform, FlagView& view, const std::function<void()>& refresh,
                    const std::function<void()>& lookUp, const std::function<void()>& closed);
// The drive dialog, modal: a list of disc roots and "Ok".
bool showDriveDialog(Platform& platform, const std::vector<std::string>& roots, int& selected);
// A read-only memo of lines and "閉じる" (the keyboard help).
bool showTextWindow(Platform& platform, const std::string& captionSjis, const std::vector<std::string>& linesSjis);

}  // namespace ml
