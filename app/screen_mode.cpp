#include "app/screen_mode.h"

#include "app/menus.h"
#include "media/gfx/back_buffer.h"
#include "platform/platform.h"

namespace ml {

void ScreenMode::layout(bool windowed) {
  layoutWindowed_ = windowed;
  platform_.setScreenMode(windowed);
}

bool ScreenMode::windowedFlag() const { return backBuffer_.isWindowed(); }

void ScreenMode::setWindowedFlag(bool windowed) { backBuffer_.setWindowed(windowed); }

void ScreenMode::apply(bool windowed, bool updateMenus) {
  setWindowedFlag(windowed);
  layout(windowed);
  if (updateMenus) menus_.setScreenChecks(windowed);
}

void ScreenMode::deactivated() {
  if (!menus_.item("MnWindow").checked && !layoutWindowed_) layout(true);
}

void ScreenMode::activated() {
  if (!menus_.item("MnWindow").checked && layoutWindowed_) layout(false);
}

}  // namespace ml
