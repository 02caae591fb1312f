// Window input into the interpreter's input buttons. Key and mouse handlers only press
// and release bits; the waits consume them. Menu shortcuts, the debug letter keys,
// Alt+Enter and the right-click popup are decided here too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace ml {

class Application;

class InputHandler : public InputSink {
 public:
  explicit InputHandler(Application& app) : app_(app) {}

  void keyDown(const KeyEvent& e) override;
  void keyUp(const KeyEvent& e) override;
  void mouseMove(int x, int y) override;
  void mouseButton(MouseButton b, bool down) override;
  void wheel(int steps) override;
  // A advances and decides, B cancels (and hides the message window), the shoulders
  // page the backlog, the d-pad moves, Start opens the popup menu where a right click
  // would.
  void padButton(PadButton b, bool down) override;
  // The input button a controller button maps to (0 for none).
  static std::uint32_t buttonOfPad(PadButton b);
  void closeRequested() override;
  void activationChanged(bool active) override;
  void endRequested() override;
  // Debug mode: a dropped bitmap becomes the background, any other picture sprite 1; a
  // WAVE file is for the voice channel.
  void filesDropped(const std::vector<std::string>& pathsUtf8) override;

  // The input button a key maps to (0 for keys without one).
  static std::uint32_t buttonOfKey(Key key);
  // Whether a right click opens the popup menu now (else it is a plain cancel).
  bool popupAllowed();

 private:
  // Menu shortcuts; true when the key was one (it is then used up).
  bool handleShortcut(const KeyEvent& e);
  void handleDebugLetter(char letter);

  Application& app_;
};

}  // namespace ml
