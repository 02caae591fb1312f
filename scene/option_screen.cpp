// The in-game option screen. Its first page holds the screen mode, the switches of
// reading and skipping, the text and window sliders and the font, title, end and name
// buttons; the second the sound switches and volumes, the per-character voices and the
// guide voice. Every change is made in the settings at once; the settings file is
// written when the screen closes.
#include "scene/option_screen.h"

#include <algorithm>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/settings.h"
#include "platform/rect.h"
#include "scene/message_window.h"
#include "scene/screen_parts.h"

namespace ml {

namespace {

constexpr int kBackSlot = 190;
constexpr int kButtonSlot = 190;      // + id for ids 1-7
constexpr int kCheckSlot = 198;       // + (id - first check id)
constexpr int kNameSlot = 209;
constexpr int kSelectorSlot = 210;
constexpr int kSliderSlot = 211;      // + (id - first slider id)
constexpr int kLastSlot = 229;

constexpr int kCheckSize = 29;
constexpr int kTrackWidth = 256;
constexpr int kTrackHeight = 16;

// Page 1: the check rows (ids 8-12) with their "on" and "off" x and their y.
struct CheckRow {
  int onX, offX, y;
};
constexpr CheckRow kPage1Checks[5] = {
    {486, 661, 115}, {486, 661, 197}, {441, 516, 320}, {441, 516, 472}, {441, 516, 550}};
constexpr int kPage1SliderY[6] = {169, 240, 314, 353, 426, 505};
constexpr int kPage1TrackX = 110;
constexpr int kPage2TrackX = 171;
constexpr int kGuidePositions[7][2] = {{527, 251}, {527, 294}, {527, 337}, {527, 380},
                                       {527, 423}, {670, 294}, {670, 337}};

int page2CheckY(int id) { return id <= 6 ? 64 + 43 * (id - 4) : 251 + 43 * (id - 7); }
int page2SliderY(int id) { return id <= 18 ? 70 + 43 * (id - 16) : 257 + 43 * (id - 19); }

bool inside(int x, int y, int rx, int ry, int w, int h) { return x >= rx && y >= ry && x < rx + w && y < ry + h; }

int clampLevel(int v) { return std::clamp(v, 0, 255); }

}  // namespace

bool optionCheck(const Settings& s, int page, int id) {
  if (page == 0) {
    switch (id) {
      case 8: return s.display.window;
      case 9: return s.system.noActive;
      case 10: return s.message.readed;
      case 11: return s.skip2.unread;
      case 12: return s.skipSelect.unread;
      default: return false;
    }
  }
  switch (id) {
    case 4: return s.volume.bgmOn;
    case 5: return s.volume.seOn;
    case 6: return s.volume.voOn;
    default: return id >= 7 && id <= 14 ? s.charaVoice[static_cast<std::size_t>(id - 7)] : false;
  }
}

void storeOptionCheck(Settings& s, int page, int id, bool on) {
  if (page == 0) {
    switch (id) {
      case 8: s.display.window = on; break;
      case 9: s.system.noActive = on; break;
      case 10: s.message.readed = on; break;
      case 11: s.skip2.unread = on; break;
      case 12: s.skipSelect.unread = on; break;
      default: break;
    }
    return;
  }
  switch (id) {
    case 4: s.volume.bgmOn = on; break;
    case 5: s.volume.seOn = on; break;
    case 6: s.volume.voOn = on; break;
    case 14:
      // The last row stands for the remaining characters together.
      s.charaVoice[7] = s.charaVoice[8] = s.charaVoice[9] = on;
      break;
    default:
      if (id >= 7 && id <= 13) s.charaVoice[static_cast<std::size_t>(id - 7)] = on;
      break;
  }
}

int optionSliderPosition(const Settings& s, int page, int id) {
  if (page == 0) {
    switch (id) {
      case 13: return 255 - clampLevel(s.message.speed);
      case 14: return clampLevel(s.window.alpha);
      case 15: return 255 - clampLevel(s.message.readedLumi);
      case 16: return 255 - clampLevel(s.message.readedLumi2);
      case 17: return 255 - clampLevel(s.skip.wait);
      case 18: return 255 - clampLevel(s.skip2.wait);
      default: return 0;
    }
  }
  switch (id) {
    case 16: return clampLevel(s.volume.bgm);
    case 17: return clampLevel(s.volume.se);
    case 18: return clampLevel(s.volume.voice);
    default: return id >= 19 && id <= 26 ? clampLevel(s.charaVolume[static_cast<std::size_t>(id - 19)]) : 0;
  }
}

void storeOptionSlider(Settings& s, int page, int id, int p) {
  p = clampLevel(p);
  if (page == 0) {
    switch (id) {
      case 13: s.message.speed = 255 - p; break;
      case 14: s.window.alpha = p; break;
      // 255 would be the unread colour itself: the brightest read text stays 254.
      case 15: s.message.readedLumi = std::min(255 - p, 254); break;
      case 16: s.message.readedLumi2 = 255 - p; break;
      case 17: s.skip.wait = 255 - p; break;
      case 18: s.skip2.wait = 255 - p; break;
      default: break;
    }
    return;
  }
  switch (id) {
    case 16: s.volume.bgm = p; break;
    case 17: s.volume.se = p; break;
    case 18: s.volume.voice = p; break;
    case 26: s.charaVolume[7] = s.charaVolume[8] = s.charaVolume[9] = p; break;
    default:
      if (id >= 19 && id <= 25) s.charaVolume[static_cast<std::size_t>(id - 19)] = p;
      break;
  }
}

int guideVoicePosition(const Settings& s) {
  if (!s.voice.guide) return 0;
  return std::clamp(s.voice.guideNo, 0, 5) + 1;
}

void storeGuideVoice(Settings& s, int position) {
  position = std::clamp(position, 0, 6);
  s.voice.guide = position != 0;
  if (position != 0) s.voice.guideNo = position - 1;
}

namespace {

// Element ids as the loop sees them: 1-7 buttons, then per page its checks, the
// selector and sliders. kNone: nothing under the pointer.
constexpr int kNone = 0;

class OptionScreen {
 public:
  OptionScreen(ScriptContext& sc, int& page) : sc_(sc), rt_(sc.rt), page_(page) {}

  bool run();

 private:
  Settings& settings() { return rt_.media.settings; }
  int firstCheck() const { return page_ == 0 ? 8 : 4; }
  int lastCheck() const { return page_ == 0 ? 12 : 14; }
  int lastSlider() const { return page_ == 0 ? 18 : 26; }

  void drawPage();
  void drawName();
  void placeChecks();
  void placeKnob(int id);
  int trackX() const { return page_ == 0 ? kPage1TrackX : kPage2TrackX; }
  int trackY(int id) const { return page_ == 0 ? kPage1SliderY[id - 13] : page2SliderY(id); }
  bool checkValue(int id) {
    if (page_ == 0 && id == 8) return rt_.scene.backBuffer.isWindowed();
    return optionCheck(settings(), page_, id);
  }
  int hovered(int x, int y, bool pressed, bool held);
  void highlight(int hover);
  // Performs a click; false when the screen must end (close, title or quit follow).
  bool act(int id);
  void toggle(int id, bool on);
  void slide(int id, int x);
  void applyWindowAlpha();

  ScriptContext& sc_;
  Runtime& rt_;
  int& page_;
  bool closed_ = false;
};

void OptionScreen::drawPage() {
  clearSlots(rt_, kBackSlot, kLastSlot);
  rt_.requests().altEnterUsed = false;
  Sprite& back = layer(rt_, kBackSlot);
  if (back.loadPicture(page_ == 0 ? "cg\\_Op1Back.bmp" : "cg\\_Op2Back.bmp", rt_.platform.ticks()))
    back.setPosition(0, 0);
  loadButton(rt_, kButtonSlot + 1, "cg\\_Op0Ok.psd", 587, 315, kStateNormal);
  loadButton(rt_, kButtonSlot + 2, "cg\\_Op0Page1.psd", 510, 17, page_ == 0 ? kStateSelected : kStateNormal);
  loadButton(rt_, kButtonSlot + 3, "cg\\_Op0Page2.psd", 510, 17, page_ == 1 ? kStateSelected : kStateNormal);
  if (page_ == 0) {
    loadButton(rt_, kButtonSlot + 4, "cg\\_Op1Font.psd", 587, 315, kStateNormal);
    loadButton(rt_, kButtonSlot + 5, "cg\\_Op1Title.psd", 587, 315, kStateNormal);
    loadButton(rt_, kButtonSlot + 6, "cg\\_Op1End.psd", 587, 315, kStateNormal);
    loadButton(rt_, kButtonSlot + 7, "cg\\_Op1Name.psd", 358, 69, kStateNormal);
    drawName();
  }
  for (int id = firstCheck(); id <= lastCheck(); ++id) loadButton(rt_, kCheckSlot + id - firstCheck(), "cg\\_Op0Check.psd", 0, 0, 0);
  if (page_ == 1) loadButton(rt_, kSelectorSlot, "cg\\_Op0Check.psd", 0, 0, 0);
  placeChecks();
  for (int id = page_ == 0 ? 13 : 16; id <= lastSlider(); ++id) {
    loadButton(rt_, kSliderSlot + id - (page_ == 0 ? 13 : 16), "cg\\_Op0Slide.psd", 0, 0, 0);
    placeKnob(id);
  }
}

void OptionScreen::drawName() { drawLabel(rt_, kNameSlot, settings().user.name, 216, 82, 24, 0xFEFEFE); }

void OptionScreen::placeChecks() {
  for (int id = firstCheck(); id <= lastCheck(); ++id) {
    Sprite& mark = layer(rt_, kCheckSlot + id - firstCheck());
    if (mark.empty()) continue;
    const bool on = checkValue(id);
    if (page_ == 0) {
      const CheckRow& row = kPage1Checks[id - 8];
      mark.setPosition(on ? row.onX : row.offX, row.y);
    } else {
      mark.setPosition(34, page2CheckY(id));
      mark.setVisible(on);
    }
  }
  if (page_ == 1) {
    const int k = guideVoicePosition(settings());
    layer(rt_, kSelectorSlot).setPosition(kGuidePositions[k][0], kGuidePositions[k][1]);
  }
}

void OptionScreen::placeKnob(int id) {
  const int first = page_ == 0 ? 13 : 16;
  layer(rt_, kSliderSlot + id - first).setPosition(trackX() + optionSliderPosition(settings(), page_, id) - 4, trackY(id) + 5);
}

int OptionScreen::hovered(int x, int y, bool pressed, bool held) {
  for (int id = 1; id <= 3; ++id)
    if (buttonFrame(rt_, kButtonSlot + id) != kStateSelected && onSlot(rt_, kButtonSlot + id, x, y)) return id;
  if (page_ == 0)
    for (int id = 4; id <= 7; ++id)
      if (onSlot(rt_, kButtonSlot + id, x, y)) return id;
  if (pressed) {
    for (int id = firstCheck(); id <= lastCheck(); ++id) {
      if (page_ == 0) {
        // Only the place where the mark is not takes a click.
        const CheckRow& row = kPage1Checks[id - 8];
        const int at = checkValue(id) ? row.offX : row.onX;
        if (inside(x, y, at, row.y, kCheckSize, kCheckSize)) return id;
      } else if (inside(x, y, 34, page2CheckY(id), kCheckSize, kCheckSize)) {
        return id;
      }
    }
    if (page_ == 1)
      for (int k = 0; k < 7; ++k)
        if (inside(x, y, kGuidePositions[k][0], kGuidePositions[k][1], kCheckSize, kCheckSize)) return 100 + k;
  }
  if (held) {
    const int first = page_ == 0 ? 13 : 16;
    for (int id = first; id <= lastSlider(); ++id)
      if (inside(x, y, trackX(), trackY(id), kTrackWidth, kTrackHeight)) return 200 + id;
  }
  return kNone;
}

void OptionScreen::highlight(int hover) {
  for (int id = 1; id <= (page_ == 0 ? 7 : 3); ++id) {
    const int slot = kButtonSlot + id;
    if (layer(rt_, slot).empty() || buttonFrame(rt_, slot) == kStateSelected) continue;
    setButtonFrame(rt_, slot, hover == id ? kStateHover : kStateNormal);
  }
}

void OptionScreen::applyWindowAlpha() {
  for (int slot : {kWindowBoardSlot, kWindowPictureSlot, kPlateBoardSlot, kPlatePictureSlot}) {
    Sprite& s = layer(rt_, slot);
    if (!s.empty() && s.boardMode() == 1) s.setBoardMode(1);
  }
}

void OptionScreen::toggle(int id, bool on) {
  if (page_ == 0 && id == 8) {
    rt_.shell->setScreenMode(on);
    placeChecks();
    return;
  }
  storeOptionCheck(settings(), page_, id, on);
  if (page_ == 1 && id == 4) rt_.sound().setMusicOn(*sc_.state, on);
  if (page_ == 1 && id <= 6) rt_.sound().applyVolumes();
  placeChecks();
}

void OptionScreen::slide(int id, int x) {
  storeOptionSlider(settings(), page_, id, x - trackX());
  placeKnob(id);
  if (page_ == 0 && id == 14) applyWindowAlpha();
  if (page_ == 1 && id <= 18) rt_.sound().applyVolumes();
}

bool OptionScreen::act(int id) {
  if (id >= 200) return true;  // a slider: its drag follows
  if (id >= 100) {
    storeGuideVoice(settings(), id - 100);
    placeChecks();
    return true;
  }
  switch (id) {
    case 1:
      closed_ = true;
      return false;
    case 2:
    case 3:
      page_ = id - 2;
      drawPage();
      return true;
    default:
      break;
  }
  if (page_ == 0) {
    switch (id) {
      case 4:
        rt_.shell->chooseFont();
        drawName();
        return true;
      case 5:
        rt_.shell->requestTitle();
        return true;
      case 6:
        rt_.shell->closeWindow();
        return true;
      case 7: {
        std::string family = settings().user.family, given = settings().user.name;
        if (rt_.dialogs().showName(family, given) && !given.empty()) {
          settings().user.name = given;
          rt_.media.textRules.setGivenName(given);
        }
        drawName();
        return true;
      }
      default:
        break;
    }
  }
  if (id >= firstCheck() && id <= lastCheck()) toggle(id, !checkValue(id));
  return true;
}

bool OptionScreen::run() {
  page_ = std::clamp(page_, 0, 1);
  HiddenGameSlots game;
  game.hide(rt_);
  drawPage();
  present(sc_);
  InputState& in = rt_.story.input;
  in.consumePresses();
  bool leaveToTitle = false;
  int hover = kNone;
  PointerWatch pointer;
  for (;;) {
    if (pollWithMenus(sc_, false, true)) {
      leaveToTitle = true;
      break;
    }
    bool changed = false;
    if (rt_.requests().altEnterUsed) {
      drawPage();
      hover = kNone;
      changed = true;
    }
    const bool pressed = in.isPressed(InputDecide);
    const bool held = in.isHeld(InputDecide);
    const bool moved = pointer.moved(sc_);
    if (moved || pressed || held) {
      const int now = hovered(sc_.mouseX, sc_.mouseY, pressed, held);
      if (now != hover) {
        if ((now >= 1 && now <= 7) || (hover >= 1 && hover <= 7)) changed = true;
        hover = now;
        highlight(hover);
      }
    }
    if (pressed) {
      in.consumePresses();
      // Only a press on a slider may start a drag.
      if (hover < 200) in.release(~0u);
      if (hover != kNone) {
        const bool goOn = act(hover);
        changed = true;
        hover = kNone;
        pointer = {};
        if (!goOn) break;
      }
    } else if (held && hover >= 200) {
      slide(hover - 200, sc_.mouseX);
      changed = true;
    } else if (in.isPressed(InputCancel)) {
      // Escape and the right click leave the screen as its close button does, as on
      // every other screen of the game.
      in.consumePresses();
      closed_ = true;
      break;
    }
    finishPass(sc_, changed);
  }
  clearSlots(rt_, kBackSlot, kLastSlot);
  game.restore(rt_);
  const bool quitting = rt_.requests().quitRequested;
  if (!quitting) {
    applyWindowSettings(rt_);
    applyWindowAlpha();
    rt_.shell->settingsChanged();
  }
  return leaveToTitle || quitting || !closed_;
}

}  // namespace

bool runOptionScreen(Runtime& rt, ScriptContext& sc, int& page) { return OptionScreen(sc, page).run(); }

}  // namespace ml
