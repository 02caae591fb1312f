// The message window's buttons and the player requests they raise during a page wait
// or a choice, dragging the window, and hiding it at the player's request.
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

// The deferred requests (next choice, last choice, quick load, quick save), carried
// out at most one per call: kButtonsNothing, kButtonsGameLoaded or kButtonsAdvance.
int processRequests(ScriptContext& sc);

// Requests raised by buttons, keys and menus; they wait in the script context for the
// next button pass. A request whose save file is missing is dropped here.
void requestNextChoice(ScriptContext& sc);
void requestLastChoice(ScriptContext& sc);
void requestQuickLoad(ScriptContext& sc);
void requestQuickSave(ScriptContext& sc);
void requestHideWindow(ScriptContext& sc);

// The player hides the message window (and the choices with it) or shows it again.
void hideMessageWindow(ScriptContext& sc);
void restoreMessageWindow(ScriptContext& sc);

// Moves the whole window (its slots, the key-wait icon, the recorded window and name
// plate positions) by (dx, dy).
void moveMessageWindow(ScriptContext& sc, int dx, int dy);

}  // namespace ml
