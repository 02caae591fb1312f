#include "app/input_handler.h"

#include "app/application.h"
#include "engine/input_state.h"
#include "engine/runtime.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

struct Shortcut {
  Key key;
  char letter;
  bool shift;
  bool alt;
  const char* item;
};

// The menu items' shortcuts. A matching key is used up by the menu, whether or not
// the item is enabled, and presses no input button.
constexpr Shortcut kShortcuts[] = {
    {Key::F1, 0, true, false, "MnQLoad"},    {Key::F2, 0, true, false, "MnQSave"},
    {Key::Down, 0, true, false, "MnNext"},   {Key::Up, 0, true, false, "MnPrev"},
    {Key::F4, 0, false, true, "MnExit"},     {Key::Other, 'C', false, true, "MnDebugCopy"},
    {Key::Other, 'J', false, true, "MnJump"},
};

}  // namespace

std::uint32_t InputHandler::buttonOfKey(Key key) {
  switch (key) {
    case Key::Enter:
    case Key::Space: return InputDecide;
    case Key::Escape: return InputCancel;
    case Key::PageUp: return InputLogBack;
    case Key::PageDown: return InputLogForward;
    case Key::Home: return InputVoice;
    case Key::Left: return InputLeft;
    case Key::Up: return InputUp;
    case Key::Right: return InputRight;
    case Key::Down: return InputDown;
    case Key::F1: return InputLoadScreen;
    case Key::F2: return InputSaveScreen;
    default: return 0;
  }
}

bool InputHandler::handleShortcut(const KeyEvent& e) {
  for (const Shortcut& s : kShortcuts) {
    if (e.key != s.key || e.shift != s.shift || e.alt != s.alt || e.ctrl) continue;
    if (s.key == Key::Other && e.letter != s.letter) continue;
    MenuItem& item = app_.menus().item(s.item);
    if (item.enabled && item.onClick) item.onClick();
    return true;
  }
  return false;
}

void InputHandler::handleDebugLetter(char letter) {
  Menus& m = app_.menus();
  switch (letter) {
    case 'C': m.debugCopyClick(); break;
    case 'D': m.nowLineClick(); break;
    case 'F': m.flagClick(); break;
    case 'J': m.jumpClick(); break;
    case 'N': m.nextClick(); break;
    case 'P': m.prevClick(); break;
    case 'T': m.titleClick(); break;
    default: break;
  }
}

void InputHandler::keyDown(const KeyEvent& e) {
  if (handleShortcut(e)) return;
  Runtime& rt = app_.runtime();
  if (e.alt && e.key == Key::Enter) {
    bool windowed = !app_.menus().item("MnWindow").checked;
    app_.screen().setWindowedFlag(windowed);
    app_.applyScreenMode(windowed, true);
    rt.requests().altEnterUsed = true;
    // Only the screen mode changes: the Enter does not also advance the text.
    return;
  }
  if (std::uint32_t bit = buttonOfKey(e.key)) {
    rt.story.input.press(bit);
    return;
  }
  if (e.key == Key::Other && rt.story.debugMode) handleDebugLetter(e.letter);
}

void InputHandler::keyUp(const KeyEvent& e) {
  if (std::uint32_t bit = buttonOfKey(e.key)) app_.runtime().story.input.release(bit);
}

void InputHandler::mouseMove(int x, int y) {
  Runtime& rt = app_.runtime();
  rt.story.input.mouseX = x;
  rt.story.input.mouseY = y;
}

bool InputHandler::popupAllowed() {
  Runtime& rt = app_.runtime();
  return rt.media.settings.key.context && rt.story.script->waitingForClick && !rt.story.switches.backlogOpen &&
         !rt.story.switches.saveScreenOpen;
}

void InputHandler::mouseButton(MouseButton b, bool down) {
  InputState& in = app_.runtime().story.input;
  switch (b) {
    case MouseButton::Left:
      down ? in.press(InputDecide) : in.release(InputDecide);
      break;
    case MouseButton::Middle:
      down ? in.press(InputVoice) : in.release(InputVoice);
      break;
    case MouseButton::Right:
      if (down) break;
      if (popupAllowed()) {
        app_.menus().preparePopup();
        app_.platform().openPopupMenu(&app_.menus().popupMenu());
      } else {
        in.press(InputCancel);
      }
      in.release(InputCancel);
      break;
  }
}

void InputHandler::wheel(int steps) {
  if (steps > 0) app_.runtime().story.input.press(InputLogBack);
  else if (steps < 0) app_.runtime().story.input.press(InputLogForward);
}

std::uint32_t InputHandler::buttonOfPad(PadButton b) {
  switch (b) {
    case PadButton::A: return InputDecide;
    case PadButton::B: return InputCancel;
    case PadButton::LeftShoulder: return InputLogBack;
    case PadButton::RightShoulder: return InputLogForward;
    case PadButton::Up: return InputUp;
    case PadButton::Down: return InputDown;
    case PadButton::Left: return InputLeft;
    case PadButton::Right: return InputRight;
    default: return 0;
  }
}

void InputHandler::padButton(PadButton b, bool down) {
  InputState& in = app_.runtime().story.input;
  if (b == PadButton::Start) {
    // The popup menu opens where a right click would open it; elsewhere nothing.
    if (down && popupAllowed()) {
      app_.menus().preparePopup();
      app_.platform().openPopupMenu(&app_.menus().popupMenu());
    }
    return;
  }
  if (std::uint32_t bit = buttonOfPad(b)) down ? in.press(bit) : in.release(bit);
}

void InputHandler::closeRequested() { app_.closeWindow(); }

void InputHandler::activationChanged(bool active) {
  if (active) app_.screen().activated();
  else app_.screen().deactivated();
}

void InputHandler::endRequested() { app_.endWithoutQuestion(); }

void InputHandler::filesDropped(const std::vector<std::string>& pathsUtf8) {
  Runtime& rt = app_.runtime();
  if (!rt.story.debugMode) return;
  for (const std::string& path : pathsUtf8) {
    // The last four characters decide, without regard to case.
    std::string ending = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    for (char& c : ending) c = sjis::foldAscii(c);
    // Sounds wait for the voice channel, which is not built yet.
    if (ending == ".wav") continue;
    // Engine names are Shift-JIS; the folder layer finds the file under either form.
    const int slot = ending == ".bmp" ? 0 : 10;
    rt.scene.layers[static_cast<std::size_t>(slot)].loadPicture(utf8ToSjis(path), rt.platform.ticks());
  }
}

}  // namespace ml
