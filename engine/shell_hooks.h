// What the script engine asks of the application layer above it (menus, screens,
// dialogs), and the requests the application raises for the engine. The application
// installs its implementation at start-up; the defaults do nothing, so the engine also
// runs without a shell (tests, tools).
#pragma once

#include <cstdint>
#include <string_view>

namespace ml {

// Raised by menus, dialogs and keys inside nested waits; the waits and the frame loop
// consume them.
struct PlayerRequests {
  bool quitRequested = false;
  bool titleRequested = false;
  bool menuReturnRequested = false;
  bool fontChanged = false;
  bool mciNotified = false;
  bool altEnterUsed = false;
};

class ShellHooks {
 public:
  virtual ~ShellHooks() = default;
  // The requests live on the application's side of the seam.
  PlayerRequests& requests() { return requests_; }
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
  // The title menu disables the return-to-title item while it is open.
  virtual void setTitleItemEnabled(bool enabled) {}
  // The end buttons of the screens: the window closes as its close box would (the exit
  // question follows). Without a window there is nobody to ask: the program quits.
  virtual void closeMainWindow() { requests_.quitRequested = true; }

 private:
  PlayerRequests requests_;
};

}  // namespace ml
