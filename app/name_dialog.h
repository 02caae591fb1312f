// The name dialog ("名前の変更", TNameForm) drawn with Dear ImGui: one edit for the
// player's given name, typed through SDL's text input (an input method included),
// and the buttons "デフォルト", "OK" and "キャンセル". Built into the windowed program
// only.
#pragma once

#include <functional>
#include <string>

#include "app/name_entry.h"

namespace ml {

class Platform;

struct NameDialogState {
  explicit NameDialogState(NameEntry e) : entry(std::move(e)) {}
  NameEntry entry;
  bool opened = false;
  bool done = false;
  bool confirmed = false;
  bool focusEdit = true;
  char buffer[64] = {};  // the edit in UTF-8
  // Enter (false) or Escape (true) pressed since the last picture, as the window saw
  // it (ImGui alone misses a quick press and release between two pictures).
  std::function<bool(bool escape)> keyPressed;
};

// One picture of the dialog, inside an ImGui frame: false once it has closed.
bool drawNameDialog(NameDialogState& state);

// Shows the dialog modally for the given name (default "ヨルク", at most three
// double-byte characters). True on OK, with givenSjis replaced; false when it was
// cancelled or could not be shown.
bool showNameDialog(Platform& platform, std::string& givenSjis);

}  // namespace ml
