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

  // What the in-game option screen and the recollection player ask of the window.
  // The settings changed on a screen go to the settings file now.
  virtual void settingsChanged() {}
  // Window or full screen, as Alt+Enter switches it (the screen reads the mode back
  // from the back buffer).
  virtual void setScreenMode(bool windowed) { (void)windowed; }
  // The font dialog of the menu item.
  virtual void chooseFont() {}
  // The return-to-title question; Yes sets titleRequested.
  virtual void requestTitle() {}
  // The window's close box: the exit question follows.
  virtual void closeWindow() {}
  // The menu item that leaves a recollection scene, shown while one plays.
  virtual void showRecollectionExit(bool visible) { (void)visible; }

 private:
  PlayerRequests requests_;
};

}  // namespace ml
