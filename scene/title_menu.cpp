// The title menu: its background and five buttons, the hovered button lit between two
// marks, the title music, the fades, and what each button leads to.
#include "scene/title_menu.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "scene/effect_wait.h"
#include "scene/sound_service.h"

namespace ml {
namespace {

constexpr int kBackSlot = 130;
constexpr int kMarkLeftSlot = 140;
constexpr int kMarkRightSlot = 141;
constexpr int kFirstButtonSlot = 150;
constexpr int kFirstMenuSlot = 130;
constexpr int kLastMenuSlot = 169;
constexpr int kButtonX = 115;
constexpr int kButtonY = 295;
constexpr std::uint32_t kIdleMs = 16;

constexpr const char* kButtonPictures[kTitleButtonCount] = {"cg\\_MnStart.psd", "cg\\_MnCont.psd", "cg\\_MnOmake.psd",
                                                           "cg\\_MnOption.psd", "cg\\_MnEnd.psd"};

// Where the two marks stand beside each button.
struct MarkPlace {
  int leftX, rightX, y;
};
constexpr MarkPlace kMarks[kTitleButtonCount] = {
    {46, 204, 343}, {46, 204, 377}, {69, 180, 411}, {46, 204, 445}, {69, 180, 479}};

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[index]; }

void resetSlots(Runtime& rt, int first, int last) {
  for (int i = first; i <= last; ++i) {
    rt.scene.layers.clear(i);
    Sprite& s = slot(rt, i);
    s.setFade(255);
    s.setAlpha(255);
  }
}

// The marks are the game's own pictures; a game without them lights the button only.
void loadMark(ScriptContext& sc, int index, const std::string& name) {
  if (name.empty()) return;
  const std::string base = "cg\\" + name;
  for (const char* ext : {".psd", ".bmp"}) {
    const std::string path = base + ext;
    if (!sc.fileExists(path, true)) continue;
    Sprite& mark = slot(sc.rt, index);
    if (mark.loadPicture(path, sc.rt.platform.ticks())) mark.setVisible(false);
    return;
  }
}

void startTitleMusic(Runtime& rt, ScriptContext& sc) {
  SoundChannel* music = rt.sound().channel(SoundService::kMusicChannel);
  if (music == nullptr) return;
  const Settings& settings = rt.media.settings;
  const std::string& path = rt.media.content.titleMusic;
  if (path.empty() || !sc.fileExists(path, true)) {
    music->startFade(settings.volume.bgm, -5);
    return;
  }
  if (!music->loadStreaming(path, settings.bgm.allBgm)) return;
  music->setVolume(settings.volume.bgm, true);
  if (settings.volume.bgmOn) music->play(true);
}

// The last of the buttons whose picture holds the point, or -1.
int buttonAt(Runtime& rt, int x, int y) {
  int hit = -1;
  for (int i = 0; i < kTitleButtonCount; ++i)
    if (slot(rt, kFirstButtonSlot + i).hitTest(x, y)) hit = i;
  return hit;
}

bool marksAnimate(Runtime& rt) {
  for (int s : {kMarkLeftSlot, kMarkRightSlot}) {
    const Sprite& mark = slot(rt, s);
    if (mark.visible() && mark.animating() && mark.frameCount() > 1) return true;
  }
  return false;
}

void leaveMenu(Runtime& rt, bool enableTitleItem) {
  rt.story.switches.titleMenuOpen = false;
  rt.story.switches.titleMenuWaiting = false;
  if (enableTitleItem) rt.shell->setTitleItemEnabled(true);
}

}  // namespace

void drawTitleMenu(Runtime& rt, ScriptContext& sc) {
  resetSlots(rt, kFirstMenuSlot, kLastMenuSlot);
  Sprite& back = slot(rt, kBackSlot);
  if (back.loadPicture("cg\\_MnBack.bmp", rt.platform.ticks())) back.setPosition(0, 0);
  for (int i = 0; i < kTitleButtonCount; ++i) {
    Sprite& button = slot(rt, kFirstButtonSlot + i);
    if (!button.loadPicture(kButtonPictures[i], rt.platform.ticks())) continue;
    button.setAnimating(false);
    button.setPosition(kButtonX, kButtonY);
    button.setFrame(0);
  }
  loadMark(sc, kMarkLeftSlot, rt.media.content.titleMarkLeft);
  loadMark(sc, kMarkRightSlot, rt.media.content.titleMarkRight);
  startTitleMusic(rt, sc);
}

void highlightTitleButton(Runtime& rt, int hovered) {
  slot(rt, kMarkLeftSlot).setVisible(false);
  slot(rt, kMarkRightSlot).setVisible(false);
  for (int i = 0; i < kTitleButtonCount; ++i) slot(rt, kFirstButtonSlot + i).setFrame(i == hovered ? 1 : 0);
  if (hovered < 0 || hovered >= kTitleButtonCount) return;
  const MarkPlace& m = kMarks[hovered];
  if (slot(rt, kMarkLeftSlot).setPosition(m.leftX, m.y)) slot(rt, kMarkLeftSlot).setVisible(true);
  if (slot(rt, kMarkRightSlot).setPosition(m.rightX, m.y)) slot(rt, kMarkRightSlot).setVisible(true);
}

bool runTitleMenu(Runtime& rt, ScriptContext& sc) {
  InputState& in = rt.story.input;
  if (rt.requests().quitRequested) return true;
  rt.shell->setTitleItemEnabled(false);
  rt.story.switches.titleMenuOpen = true;
  rt.saves().readSystemSave();
  sc.state->backgroundEffectMode() = 0;
  drawTitleMenu(rt, sc);
  if (!fadeScreenFromBlack(sc)) {
    leaveMenu(rt, false);
    return false;
  }
  in.consumePresses();
  rt.story.switches.titleMenuWaiting = true;

  int hovered = -1;
  int lastX = in.mouseX, lastY = in.mouseY;
  bool recompute = true;
  bool redraw = true;
  for (;;) {
    if (rt.requests().quitRequested) {
      leaveMenu(rt, false);
      return true;
    }
    const std::uint32_t frameStart = rt.platform.ticks();
    if (pollWithMenus(sc, false, true)) {
      if (rt.requests().quitRequested) {
        leaveMenu(rt, false);
        return false;
      }
      // The menu is the title already: a request to return there means nothing here.
      rt.requests().titleRequested = false;
    }
    const int before = hovered;
    if (recompute || in.mouseX != lastX || in.mouseY != lastY) {
      lastX = in.mouseX;
      lastY = in.mouseY;
      hovered = buttonAt(rt, lastX, lastY);
      recompute = false;
    }

    if (hovered >= 0 && in.isPressed(InputDecide)) {
      in.consumePresses();
      switch (static_cast<TitleButton>(hovered)) {
        case TitleButton::Start: {
          // A new game keeps the system flags; the script that goes on is still this one.
          char script[sizeof sc.state->scriptName];
          std::memcpy(script, sc.state->scriptName, sizeof script);
          sc.state->resetForNewGame();
          std::memcpy(sc.state->scriptName, script, sizeof script);
          sc.state->scriptName[sizeof script - 1] = 0;
          sc.state->backgroundEffectMode() = 0;
          leaveMenu(rt, true);
          if (SoundChannel* music = rt.sound().channel(SoundService::kMusicChannel))
            music->startFade(rt.media.settings.volume.bgm, -5);
          const bool faded = fadeScreenToBlack(sc);
          resetSlots(rt, 0, kLastMenuSlot);
          return faded;
        }
        case TitleButton::Continue:
          rt.story.switches.titleMenuWaiting = false;
          if (rt.screens().runSaveScreen(sc, true)) {
            resetSlots(rt, kFirstMenuSlot, kLastMenuSlot);
            leaveMenu(rt, true);
            return true;
          }
          rt.story.switches.titleMenuWaiting = true;
          recompute = redraw = true;
          break;
        case TitleButton::Extras:
          rt.story.switches.titleMenuWaiting = false;
          rt.screens().runExtras(sc);
          drawTitleMenu(rt, sc);
          rt.story.switches.titleMenuWaiting = true;
          hovered = -1;
          recompute = redraw = true;
          break;
        case TitleButton::Options:
          rt.story.switches.titleMenuWaiting = false;
          if (rt.screens().runOptionScreen(sc)) {
            leaveMenu(rt, false);
            return true;
          }
          rt.story.switches.titleMenuWaiting = true;
          recompute = redraw = true;
          break;
        case TitleButton::End:
          rt.shell->closeMainWindow();
          redraw = true;
          break;
      }
      in.consumePresses();
      continue;
    }
    if (in.isPressed(InputUp)) {
      hovered = hovered <= 0 ? kTitleButtonCount - 1 : hovered - 1;
    } else if (in.isPressed(InputDown)) {
      hovered = hovered < 0 || hovered >= kTitleButtonCount - 1 ? 0 : hovered + 1;
    }
    // A click or key that did nothing here must not act later on another button.
    in.consumePresses();

    if (hovered != before) {
      highlightTitleButton(rt, hovered);
      redraw = true;
    }
    // The marks beside the hovered button are animations: they move only when the
    // menu presents, so it presents every pass while one shows.
    if (redraw || marksAnimate(rt)) {
      redraw = false;
      if (!present(sc)) {
        leaveMenu(rt, false);
        return false;
      }
    }
    const std::uint32_t spent = rt.platform.ticks() - frameStart;
    if (spent < kIdleMs) rt.platform.sleep(kIdleMs - spent);
  }
}

}  // namespace ml
