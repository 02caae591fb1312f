// What the script engine asks of the application layer above it (menus, screens,
// dialogs). The application installs its implementation at start-up; the defaults do
// nothing, so the engine also runs without a shell (tests, tools).
#pragma once

#include <cstdint>
#include <string_view>

namespace ml {

class ShellHooks {
 public:
  virtual ~ShellHooks() = default;
  // Menu captions of the skip and auto items follow the switches.
  virtual void autoModeChanged(bool on) {}
  virtual void skipModeChanged(bool on) {}
  // Quick-save, quick-load, next- and last-choice menu items.
  virtual void refreshSaveMenus(bool enable) {}
  virtual void setQuickItems(bool enabled) {}
  // The debug caption "%s (%d) : %s" after every step (Shift-JIS).
  virtual void setDebugCaption(std::string_view sjis) {}
  // The flag dialog is refreshed by `random` in debug mode.
  virtual void refreshFlagDialog() {}
};

}  // namespace ml
