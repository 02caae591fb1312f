// Scripted input for headless runs (--input FILE). One command per line; blank lines
// and everything after '#' are ignored. Commands run in order whenever the engine
// processes window messages; a wait holds the rest back.
//
//   wait MS             let MS virtual milliseconds pass before the next command
//   frames N            wait until N more frames have been presented
//   move X Y            move the mouse to (X, Y) in game-area coordinates
//   click [BUTTON] [X Y]   optional move, then press and release (BUTTON: left,
//                       middle or right; default left)
//   press BUTTON        mouse button down
//   release BUTTON      mouse button up
//   wheel N             N wheel steps; positive turns away from the player (up),
//                       negative towards (down)
//   key KEY             key down and up; KEY is a name with optional modifiers joined
//                       by '+': shift+f1, alt+enter, ctrl+c. Names: enter, space,
//                       escape (esc), pageup, pagedown, home, left, up, right, down,
//                       f1, f2, f4, and the letters a-z
//   keydown KEY         key down only
//   keyup KEY           key up only
//   ctrl down|up        the physical Ctrl key (polled by the engine: held = skip)
//   pad BUTTON          a controller button pressed and released; BUTTON is a, b, x,
//                       y, start, back, lb, rb, up, down, left, right
//   paddown BUTTON, padup BUTTON   one half; "paddown trigger" / "padup trigger"
//                       hold and let go a trigger (held = skip, as Ctrl)
//   answer yes|no|ok    answer for the next message box; give it before the input
//                       that opens the box (unanswered boxes take their default)
//   font FACE [bold] [italic] [underline] [strikeout]
//                       the choice for the next font dialog (else it is cancelled)
//   comment "TEXT"      answers the next save-comment dialog with OK and TEXT (UTF-8,
//                       typed into the edit, so its limits apply); `comment cancel`
//                       cancels it (the game is not saved). Give it before the click
//                       that opens the dialog; an unanswered dialog takes OK with the
//                       comment it proposed
//   name FAMILY GIVEN   the answer of the next name dialog: the family and the given
//                       name (UTF-8, quoted when they hold blanks); else it is
//                       cancelled
//   unread              the next current-line dialog presses "未読位置確認" (debug
//                       mode) and prints the memo it then shows
//   menu NAME           click the menu item of that component name (MnTitle,
//                       CmHide ...) if it is visible and enabled; popup items only
//                       while the popup menu is open
//   activate | deactivate   the window gains or loses the focus
//   close               the window's close box (the exit question follows)
//   drop PATH...        files dropped on the window together (host paths; only a
//                       window in debug mode accepts them)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace ml {

struct InputCommand {
  enum class Kind {
    Wait, Frames, Move, Click, Press, Release, Wheel, Key, KeyDown, KeyUp, Ctrl, Answer,
    Font, Name, Menu, Activate, Deactivate, Close, Drop, Comment, Jump, Pad, PadDown, PadUp, Trigger, Unread,
  };
  Kind kind = Kind::Wait;
  int line = 0;          // line number in the file, for messages
  std::int64_t value = 0;  // wait ms, frames, wheel steps
  int x = 0, y = 0;
  bool hasPosition = false;
  MouseButton button = MouseButton::Left;
  KeyEvent key;
  bool on = false;  // ctrl down, trigger held
  PadButton pad = PadButton::A;
  BoxAnswer answer = BoxAnswer::Ok;
  FontChoice font;
  std::string name;  // menu item; comment text (Shift-JIS)
  bool cancel = false;  // comment cancel
  std::vector<std::string> paths;  // dropped files; the two names of `name`
};

struct InputScript {
  std::vector<InputCommand> commands;

  // Parses the text; on failure returns false and sets error to one line naming the
  // line number and the problem.
  bool parse(const std::string& text, std::string& error);
  bool load(const std::string& path, std::string& error);
};

// "shift+f1" and the like; false when the name is unknown.
bool parseKeySpec(const std::string& spec, KeyEvent& key);

}  // namespace ml
