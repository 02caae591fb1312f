// The message window's buttons and the player requests they raise during a page wait
// or a choice, and hiding the window at the player's request.
#pragma once

namespace ml {

class ScriptContext;

// What a waiting loop learns from one pass over the buttons and requests.
enum WindowButtonResult : int {
  kButtonsNothing = 0,
  kButtonsGameLoaded = 1,     // return at once
  kButtonsAdvance = 2,        // end the wait
  kButtonsRewound = 3,        // the backlog continued from an earlier page
  kButtonsScreenChanged = 4,  // present a frame
  kButtonsPointerMoved = 5,   // the button under the pointer changed
};

// One pass: pointer, clicks, keys and pending requests into an action and a result.
int handleWindowButtons(ScriptContext& sc, bool inChoice);

// The player hides the message window (and the choices with it) or shows it again.
void hideMessageWindow(ScriptContext& sc);
void restoreMessageWindow(ScriptContext& sc);

}  // namespace ml
