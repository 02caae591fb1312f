#include "app/screen_mode.h"

#include "app/menus.h"
#include "platform/platform.h"

namespace ml {

void ScreenMode::layout(bool windowed) {
  layoutWindowed_ = windowed;
  platform_.setScreenMode(windowed);
}

void ScreenMode::apply(bool windowed, bool updateMenus) {
  windowedFlag_ = windowed;
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
