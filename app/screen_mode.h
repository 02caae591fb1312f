// The two screen modes: an 800x600 window with the menu bar, or the desktop's full
// screen with the frame scaled into it. The display mode itself is never changed, so
// leaving full screen has nothing to restore.
#pragma once

namespace ml {

class Platform;
class Menus;
class BackBuffer;

class ScreenMode {
 public:
  ScreenMode(Platform& platform, Menus& menus, BackBuffer& backBuffer)
      : platform_(platform), menus_(menus), backBuffer_(backBuffer) {}

  // ApplyScreenMode: switches the window's layout; with updateMenus the View menu's
  // check marks follow.
  void apply(bool windowed, bool updateMenus);
  // Application activation: a full-screen game gives the desktop back while another
  // program is active and takes it again on return; the check marks stay.
  void deactivated();
  void activated();

  // The requested mode as last stored (the back buffer's windowed flag).
  bool windowedFlag() const;
  void setWindowedFlag(bool windowed);
  // The layout the window has now.
  bool layoutWindowed() const { return layoutWindowed_; }

 private:
  void layout(bool windowed);

  Platform& platform_;
  Menus& menus_;
  BackBuffer& backBuffer_;
  bool layoutWindowed_ = true;
};

}  // namespace ml
