// The dialogs that menu items and keys open but that are built elsewhere (the option
// dialog, the flag viewer, the jump dialog, the keyboard help, the unread search of the
// current-line dialog). The application calls them through this seam; the defaults do
// nothing, so the menus work before the dialogs exist.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ml {

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Shown without blocking the game.
  virtual void showOption() {}
  virtual void showFlag() {}
  // The flag viewer shows the flags anew (after `random` in debug mode).
  virtual void refreshFlag() {}
  virtual void showKeyHelp() {}
  // Modal; true on OK with the text typed into the edit.
  virtual bool showJump(std::string& text) { return false; }
  // The current-line dialog's "未読位置確認": the memo lines of the search.
  virtual std::vector<std::string> findUnread() { return {}; }
  // The drive dialog when "wav.dat" is missing: the chosen disc's root folder.
  virtual std::optional<std::string> chooseDrive() { return std::nullopt; }
};

}  // namespace ml
