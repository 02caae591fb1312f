// The one pass over the window buttons that every wait for the player runs: which
// button the pointer is on (state, caption, guide voice), dragging the window by its
// board, the clicks and keys that choose an action, the action itself, and then the
// requests that menus and keys left pending.
#include <cstdlib>

#include "engine/guide_voices.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/message_window.h"
#include "scene/window_buttons.h"

namespace ml {
namespace {

// A release this close to its press (in both directions) is a click, not a drag.
constexpr int kClickSlack = 4;

enum class Action { None, Backlog, LoadScreen, SaveScreen, LastChoice, NextChoice, Skip, Auto, Options, Hide };

Action actionOfButton(int m) {
  switch (m) {
    case kButtonLog: return Action::Backlog;
    case kButtonLoad: return Action::LoadScreen;
    case kButtonSave: return Action::SaveScreen;
    case kButtonPrevChoice: return Action::LastChoice;
    case kButtonNextChoice: return Action::NextChoice;
    case kButtonSkip: return Action::Skip;
    case kButtonAuto: return Action::Auto;
    case kButtonOption: return Action::Options;
    case kButtonHide: return Action::Hide;
    default: return Action::None;
  }
}

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[static_cast<std::size_t>(index)]; }

// States and caption for the pointer's position; the button under it, 0 for none.
int trackPointer(ScriptContext& sc, bool inChoice) {
  Runtime& rt = sc.rt;
  if (inChoice) slot(rt, kButtonSlotBase + kButtonNextChoice).setVisible(false);
  Sprite& caption = slot(rt, kButtonCaptionSlot);
  caption.setVisible(false);
  int under = 0;
  for (int m = 1; m <= MessageWindowState::kButtonCount; ++m) {
    if (buttonState(rt.scene, m) == -1) continue;
    if (under == 0 && slot(rt, kButtonSlotBase + m).hitTest(sc.mouseX, sc.mouseY)) {
      under = m;
      setButtonState(rt.scene, m, 1);
      caption.setFrame(m - 1);
      if (rt.media.settings.window.guide && caption.hasPicture()) caption.setVisible(true);
    } else {
      setButtonState(rt.scene, m, 0);
    }
  }
  return under;
}

bool onWindowBoard(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  return slot(rt, kWindowBoardSlot).hitTest(sc.mouseX, sc.mouseY) ||
         slot(rt, kWindowPictureSlot).hitTest(sc.mouseX, sc.mouseY);
}

// Dragging the window by its board (Window/Drag 1 freely, 2 up and down at x 0). True
// when the window moved this pass.
bool drag(ScriptContext& sc, int under) {
  Runtime& rt = sc.rt;
  InputState& in = rt.story.input;
  MessageWindowState& mw = rt.scene.messageWindow;
  const int mode = rt.media.settings.window.drag;
  const GameState& st = *sc.state;
  if (!mw.dragging) {
    // Only a fresh press starts a drag: a button still held from the click that ended
    // the text's reveal must not carry the window away. The press belongs to the drag;
    // a release in place gives it back as a click.
    if (in.isHeld(InputDecide) && in.isPressed(InputDecide) && sc.mainGame && mode != 0 && under == 0 &&
        sc.mouseX >= 0 && onWindowBoard(sc)) {
      in.consumePresses();
      mw.dragging = true;
      mw.dragPressX = mw.dragLastX = sc.mouseX;
      mw.dragPressY = mw.dragLastY = sc.mouseY;
      mw.dragWindowX = st.windowX;
      mw.dragWindowY = st.windowY;
    }
    return false;
  }
  if (in.isHeld(InputDecide)) {
    if (sc.mouseX < 0) return false;  // the window lost the focus: the pointer is unknown
    int dx = sc.mouseX - mw.dragLastX;
    const int dy = sc.mouseY - mw.dragLastY;
    if (mode == 2) dx = -st.windowX;
    mw.dragLastX = sc.mouseX;
    mw.dragLastY = sc.mouseY;
    if (mode != 1 && mode != 2) return false;
    if (dx == 0 && dy == 0) return false;
    moveMessageWindow(sc, dx, dy);
    return true;
  }
  mw.dragging = false;
  if (std::abs(mw.dragLastX - mw.dragPressX) < kClickSlack && std::abs(mw.dragLastY - mw.dragPressY) < kClickSlack) {
    in.pressed |= InputDecide;
    const int backX = mw.dragWindowX - st.windowX, backY = mw.dragWindowY - st.windowY;
    moveMessageWindow(sc, backX, backY);
    return backX != 0 || backY != 0;
  }
  return false;
}

// The action the latched input asks for; kButtonsAdvance through `advance`.
Action chooseAction(ScriptContext& sc, int under, bool inChoice, bool& advance) {
  Runtime& rt = sc.rt;
  InputState& in = rt.story.input;
  const ScenePart& scene = rt.scene;
  if (in.isPressed(InputDecide)) {
    if (under == 0) {
      advance = true;
      return Action::None;
    }
    in.consumePresses();
    return buttonState(scene, under) == 1 ? actionOfButton(under) : Action::None;
  }
  const std::uint32_t pressed = in.pressed;
  if (pressed & InputLogBack) {
    in.consumePresses();
    if (buttonState(scene, kButtonLog) != -1) return Action::Backlog;
  } else if (pressed & InputLoadScreen) {
    in.consumePresses();
    if (sc.mainGame && buttonState(scene, kButtonLoad) != -1) return Action::LoadScreen;
  } else if (pressed & InputSaveScreen) {
    in.consumePresses();
    if (sc.mainGame && buttonState(scene, kButtonSave) != -1) return Action::SaveScreen;
  } else if (pressed & InputLogForward) {
    in.consumePresses();
    advance = true;
  } else if (pressed & InputCancel) {
    in.consumePresses();
    sc.windowHidePending = true;
  } else if (pressed & InputVoice) {
    // Home and the middle button say the page's voice again; a choice has none.
    in.consumePresses();
    if (!inChoice) rt.sound().playPageVoice(sc, false, nullptr, false);
  }
  return Action::None;
}

}  // namespace

int processRequests(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  Sprite& indicator = slot(rt, kModeIndicatorSlot);
  if (sc.fastForward) {
    indicator.loadPicture("cg\\_Skip.bmp", rt.platform.ticks());
    present(sc);
    rt.shell->refreshSaveMenus(false);
    return kButtonsAdvance;
  }
  if (sc.prevChoicePending) {
    // The save service shows the return's indicator and takes it away if it fails.
    sc.prevChoicePending = false;
    return rt.saves().returnToLastChoice(sc) == kButtonsGameLoaded ? kButtonsGameLoaded : kButtonsNothing;
  }
  if (sc.quickLoadPending) {
    sc.quickLoadPending = false;
    return rt.saves().quickLoad(sc) == kButtonsGameLoaded ? kButtonsGameLoaded : kButtonsNothing;
  }
  if (sc.quickSavePending) {
    sc.quickSavePending = false;
    rt.saves().quickSave(sc);
  }
  return kButtonsNothing;
}

int handleWindowButtons(ScriptContext& sc, bool inChoice) {
  Runtime& rt = sc.rt;
  InputState& in = rt.story.input;
  MessageWindowState& mw = rt.scene.messageWindow;
  if (!rt.story.switches.messageWindowActive) {
    // Hidden: the next click or cancel (or a second hide request) only shows it again.
    mw.dragging = false;
    if (in.isPressed(InputDecide | InputCancel) || sc.windowHidePending) {
      in.consumePresses();
      restoreMessageWindow(sc);
      return kButtonsScreenChanged;
    }
    return kButtonsNothing;
  }

  int result = kButtonsNothing;
  const int under = trackPointer(sc, inChoice);
  if (under != mw.lastButton) {
    if (under != 0) playGuideVoice(sc, under);
    mw.lastButton = under;
    result = kButtonsPointerMoved;
  }
  if (drag(sc, under)) result = kButtonsScreenChanged;

  Action action = Action::None;
  if (!mw.dragging) {
    bool advance = false;
    action = chooseAction(sc, under, inChoice, advance);
    if (advance) return kButtonsAdvance;
  }
  // A choice is where the jump to the next choice ends.
  if (inChoice) {
    if (action == Action::NextChoice) action = Action::None;
    sc.fastForward = false;
  }

  switch (action) {
    case Action::Backlog:
      return rt.screens().runBacklog(sc) ? kButtonsRewound : kButtonsScreenChanged;
    case Action::LoadScreen:
      return rt.screens().runSaveScreen(sc, true) ? kButtonsGameLoaded : kButtonsScreenChanged;
    case Action::SaveScreen:
      rt.screens().runSaveScreen(sc, false);
      return kButtonsScreenChanged;
    case Action::Skip:
      setSkipMode(rt, true);
      return kButtonsAdvance;
    case Action::Auto:
      setAutoMode(rt, true);
      return kButtonsAdvance;
    default:
      break;
  }
  if (sc.windowHidePending || action == Action::Hide) {
    hideMessageWindow(sc);
    return kButtonsScreenChanged;
  }
  switch (action) {
    case Action::NextChoice: requestNextChoice(sc); break;
    case Action::LastChoice: requestLastChoice(sc); break;
    case Action::Options:
      // A title return or quit chosen there is seen by the wait's next poll.
      rt.screens().runOptionScreen(sc);
      return kButtonsScreenChanged;
    default: break;
  }

  const int r = processRequests(sc);
  if (r == kButtonsGameLoaded || r == kButtonsAdvance) return r;
  return result;
}

}  // namespace ml
