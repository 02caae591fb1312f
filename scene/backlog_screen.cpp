#include "scene/backlog_screen.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/gfx/layer_slots.h"
#include "media/sound/sound_channel.h"
#include "platform/text_encoding.h"
#include "scene/backlog.h"
#include "scene/message_window.h"
#include "scene/picture_layers.h"
#include "scene/sound_service.h"

namespace ml {
namespace {

// The backlog window's slots, all inside 80-129, which are released when it closes.
constexpr int kLogFirstSlot = 80;
constexpr int kLogLastSlot = 129;
constexpr int kLogWindowSlot = 83;
constexpr int kLogFrameSlot = 84;
constexpr int kLogTextSlot = 85;
constexpr int kLogPlateSlot = 91;
constexpr int kLogPlateFrameSlot = 92;
constexpr int kLogNameSlot = 93;
constexpr int kLogButtonBase = 100;  // button b (1-6) lives in slot 100 + b
constexpr int kLogGuideSlot = 110;
constexpr int kLogCounterSlot = 129;

enum LogButton { kNoButton = 0, kVoice = 1, kContinue, kOlder, kNewer, kOldest, kNewest };
constexpr int kLogButtonCount = 6;
constexpr const char* kButtonPictures[kLogButtonCount] = {"cg\\_lVo.psd",   "cg\\_lCont.psd", "cg\\_lPrev.psd",
                                                          "cg\\_lNext.psd", "cg\\_lTop.psd",  "cg\\_lBottom.psd"};

constexpr std::uint32_t kIdleFrameMs = 16;
// Once a held button repeats, one step per this many milliseconds.
constexpr std::uint32_t kRepeatStepMs = 50;

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[static_cast<std::size_t>(index)]; }
Sprite& button(Runtime& rt, int b) { return slot(rt, kLogButtonBase + b); }

// Positions from recorded numbers, summed wide and kept far off screen rather than
// wrapping (a saved game may hold anything).
int at(long long a, long long b = 0, long long c = 0) {
  return static_cast<int>(std::clamp(a + b + c, -(1LL << 24), 1LL << 24));
}

// What a page showed and played: its five scene pictures with their places and
// levels, the sprite tint, the background effect, the darkening, music and effect.
struct SceneRecord {
  std::array<std::string, 5> names;
  std::array<std::int32_t, 5> x{}, y{}, fade{}, alpha{};
  std::array<std::int8_t, 3> tint{};
  std::uint8_t backgroundEffect = 0;
  std::uint8_t darkening = 0;
  std::string bgm, se;
};

SceneRecord recordOf(const BacklogEntry& e) {
  SceneRecord r;
  for (int k = 0; k < 5; ++k) {
    r.names[k] = std::string(entryField(e.pictureNames[k]));
    r.x[k] = e.layerX[k];
    r.y[k] = e.layerY[k];
    r.fade[k] = e.layerFade[k];
    r.alpha[k] = e.layerAlpha[k];
  }
  for (int c = 0; c < 3; ++c) r.tint[c] = static_cast<std::int8_t>(e.flagSnapshot[2037 + c]);
  r.backgroundEffect = e.flagSnapshot[2043];
  r.darkening = e.flagSnapshot[2034];
  r.bgm = std::string(entryField(e.bgmName));
  r.se = std::string(entryField(e.seName));
  return r;
}

SceneRecord recordOf(const GameState& st) {
  SceneRecord r;
  for (int k = 0; k < 5; ++k) {
    r.names[k] = recordedName(st, k);
    r.x[k] = st.layerX[k];
    r.y[k] = st.layerY[k];
    r.fade[k] = st.layerFade[k];
    r.alpha[k] = st.layerAlpha[k];
  }
  for (int c = 0; c < 3; ++c) r.tint[c] = st.spriteTint(c);
  r.backgroundEffect = st.flags[2043];
  r.darkening = st.flags[2034];
  r.bgm = std::string(entryField(st.bgmName));
  r.se = std::string(entryField(st.seLoopName));
  return r;
}

template <std::size_t N>
void storeName(char (&field)[N], std::string_view name) {
  const std::string_view cut = sjis::cutAtBoundary(name, N - 1);
  std::memset(field, 0, N);
  if (!cut.empty()) std::memcpy(field, cut.data(), cut.size());
}

// The scene of a record into the game state and the five layers, darkened by Log/Lumi
// while the backlog is open.
void showScene(ScriptContext& sc, const SceneRecord& r, bool withDarkening) {
  Runtime& rt = sc.rt;
  GameState& st = *sc.state;
  const int lumi = std::clamp(rt.media.settings.log.lumi, 0, 255);
  for (int k = 0; k < kSceneSlotCount; ++k) {
    recordName(st, k, r.names[k]);
    st.layerX[k] = r.x[k];
    st.layerY[k] = r.y[k];
    st.layerFade[k] = r.fade[k];
    st.layerAlpha[k] = r.alpha[k];
    const int layerSlot = layerFromSceneSlot(k);
    if (r.names[k].empty()) {
      rt.scene.layers.clear(layerSlot);
      continue;
    }
    Sprite& layer = slot(rt, layerSlot);
    if (!loadScenePicture(sc, layer, r.names[k])) continue;
    Surface* surface = layer.surface();
    if (k >= 1 && surface != nullptr && (r.tint[0] != 0 || r.tint[1] != 0 || r.tint[2] != 0)) {
      const std::size_t count = std::size_t(surface->width()) * surface->height();
      for (int f = 0; f < surface->frameCount(); ++f)
        if (std::uint32_t* p = surface->pixels(f))
          rt.media.pixels->scaleRgbPercent(p, count, r.tint[0], r.tint[1], r.tint[2]);
    }
    layer.setHoldLastFrame(true);
    layer.setPosition(at(r.x[k]), at(r.y[k]));
    const int fade = std::clamp(r.fade[k], 0, 255);
    layer.setAlpha(std::clamp(r.alpha[k], 0, 255));
    layer.setFade(fade * lumi / 256);
  }
  st.flags[2043] = r.backgroundEffect;
  if (withDarkening) st.flags[2034] = r.darkening;
}

// Music and the looping effect of a record; without a name the channel stops.
void playSounds(Runtime& rt, const SceneRecord& r) {
  const Settings& settings = rt.media.settings;
  if (SoundChannel* music = rt.sound().channel(SoundService::kMusicChannel)) {
    if (!r.bgm.empty() && music->loadStreaming(soundPath(r.bgm), settings.bgm.allBgm)) {
      music->setVolume(settings.volume.bgm, true);
      if (settings.volume.bgmOn)
        music->play(true);
      else
        music->stop();
    } else {
      music->stop();
    }
  }
  if (SoundChannel* effect = rt.sound().channel(SoundService::kEffectChannel)) {
    if (!r.se.empty() && effect->loadWhole(soundPath(r.se), 0)) {
      effect->setVolume(settings.volume.se, true);
      if (settings.volume.seOn)
        effect->play(true);
      else
        effect->stop();
    } else {
      effect->stop();
    }
  }
}

bool hasVoice(const BacklogEntry& e) {
  const std::string_view voice = entryField(e.voiceName);
  return !voice.empty() && voice != "-2";
}

// One page of the backlog: its text, speaker, counter, and (with restore all, or as the
// Log settings ask) its scene, music and voice.
void showEntry(ScriptContext& sc, int n, bool restoreAll) {
  Runtime& rt = sc.rt;
  GameState& st = *sc.state;
  const Settings& settings = rt.media.settings;
  const BacklogEntry& e = backlogEntry(st, n);

  // Only a page numbered by read tracking can be found again in its script.
  button(rt, kContinue).setVisible(e.flagSnapshot[2023] == 0);

  ensureMessageFonts(rt, st);
  Sprite& text = slot(rt, kLogTextSlot);
  text.setText(entryField(e.text), rt.scene.messageFonts.normal, kWhiteText, 24, st.windowColumns, st.windowRows, true);
  text.setPosition(at(st.windowX, st.textOffsetX), at(st.windowY, st.textOffsetY));

  const std::string_view speaker = entryField(e.speakerName);
  if (!speaker.empty()) {
    slot(rt, kLogPlateSlot).setVisible(settings.window.window);
    slot(rt, kLogPlateFrameSlot).setVisible(settings.window.window);
    Sprite& name = slot(rt, kLogNameSlot);
    const long long columns = std::clamp(st.namePlateColumns, -1000, 1000);
    name.setText(speaker, rt.scene.messageFonts.normal, kWhiteText, 24, static_cast<int>(columns + 1),
                 st.namePlateRows, true);
    const long long length = static_cast<long long>(speaker.size());
    name.setPosition(at(st.namePlateX, st.namePlateTextOffsetX, columns * 12 - 6 * length),
                     at(st.namePlateY, st.namePlateTextOffsetY));
  } else {
    slot(rt, kLogPlateSlot).setVisible(false);
    slot(rt, kLogPlateFrameSlot).setVisible(false);
    slot(rt, kLogNameSlot).release();
  }

  char counter[32];
  std::snprintf(counter, sizeof counter, "%3d/%d", n, st.backlogCount);
  Sprite& count = slot(rt, kLogCounterSlot);
  count.setText(counter, rt.scene.messageFonts.normal, kWhiteText, 24, 12, 1, false);
  count.setPosition(at(st.windowX, 693), at(st.windowY, 24));

  if (restoreAll || settings.log.cg) showScene(sc, recordOf(e), restoreAll);
  if (restoreAll || settings.log.bgm) playSounds(rt, recordOf(e));
  if (settings.log.voice) rt.sound().playPageVoice(sc, true, &e, restoreAll);
  slot(rt, kLogWindowSlot).setVisible(settings.window.window);
}

// The window, its plate and the six buttons (hidden until the loop shows those that
// apply), and the caption that names the button under the pointer.
void buildScreen(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  const std::uint32_t now = rt.platform.ticks();
  const int wx = at(st.windowX, st.windowPictureOffsetX), wy = at(st.windowY, st.windowPictureOffsetY);
  for (int s : {kLogWindowSlot, kLogFrameSlot}) {
    Sprite& picture = slot(rt, s);
    if (!picture.loadPicture(s == kLogWindowSlot ? "cg\\_WinLog.psd" : "cg\\_WinLogF.psd", now)) continue;
    picture.setPosition(wx, wy);
    picture.setAlpha(255);
  }
  const std::string_view plate = entryField(st.namePlatePicture);
  if (plate != "NULL") {
    const int px = at(st.namePlateX, st.namePlatePictureOffsetX), py = at(st.namePlateY, st.namePlatePictureOffsetY);
    for (int s : {kLogPlateSlot, kLogPlateFrameSlot}) {
      Sprite& picture = slot(rt, s);
      if (picture.loadPicture(s == kLogPlateSlot ? "cg\\_WinLogNam.psd" : "cg\\_WinLogNamF.psd", now))
        picture.setPosition(px, py);
    }
  }
  const int bx = at(st.windowX, 188), by = at(st.windowY, 39);
  for (int b = 1; b <= kLogButtonCount; ++b) {
    Sprite& s = button(rt, b);
    if (!s.loadPicture(kButtonPictures[b - 1], now)) continue;
    s.setPosition(bx, by);
    s.setAnimating(false);
    s.setFrame(0);
    s.setVisible(false);
  }
  // The caption picture is the game's choice; without one the buttons go uncaptioned.
  Sprite& guide = slot(rt, kLogGuideSlot);
  if (sc.fileExists("cg\\_lGuide.psd", true) && guide.loadPicture("cg\\_lGuide.psd", now)) {
    guide.setAnimating(false);
    guide.setVisible(false);
  }
}

// The button under the pointer shows its second frame and its caption.
void markHovered(Runtime& rt, int hovered) {
  for (int b = 1; b <= kLogButtonCount; ++b) button(rt, b).setFrame(b == hovered ? 1 : 0);
  Sprite& guide = slot(rt, kLogGuideSlot);
  if (guide.empty()) return;
  if (hovered == kNoButton || !rt.media.settings.window.guide) {
    guide.setVisible(false);
    return;
  }
  guide.setFrame(hovered - 1);
  // Centred over the button's own part of its picture.
  const Sprite& b = button(rt, hovered);
  int cx = b.x() + b.width() / 2, top = b.y();
  if (const Surface* s = b.surface()) {
    const Rect& c = s->content(std::max(b.currentFrame(), 0));
    if (!c.empty()) {
      cx = b.x() + c.x + c.width / 2;
      top = b.y() + c.y;
    }
  }
  guide.setPosition(cx - guide.width() / 2, top - guide.height() - 2);
  guide.setVisible(true);
}

int buttonUnder(Runtime& rt, int x, int y) {
  for (int b = 1; b <= kLogButtonCount; ++b)
    if (button(rt, b).hitTest(x, y)) return b;
  return kNoButton;
}

void rememberAndHide(Runtime& rt, int first, int last, std::vector<bool>& visible) {
  visible.clear();
  for (int i = first; i <= last; ++i) {
    visible.push_back(slot(rt, i).visible());
    slot(rt, i).setVisible(false);
  }
}

void giveBack(Runtime& rt, int first, const std::vector<bool>& visible) {
  for (std::size_t i = 0; i < visible.size(); ++i) slot(rt, first + int(i)).setVisible(visible[i]);
}

// How the window was left.
enum class Leave { Close, Continue };

// Rewinds the game to the n-th newest page: the ring loses the n newest entries, the
// story state becomes the page's snapshot and the script resumes at its voice command.
// False (nothing rewound) when the page's script is gone.
bool continueFrom(ScriptContext& sc, int n) {
  Runtime& rt = sc.rt;
  GameState& st = *sc.state;
  const BacklogEntry e = backlogEntry(st, n);
  // A choice resumes at the page it followed; that page, when it is still in the ring
  // with the same voice command, is what the player reads again.
  BacklogEntry page = e;
  if (isChoiceLine(e) && n < st.backlogCount) {
    const BacklogEntry& before = backlogEntry(st, n + 1);
    if (before.voiceNumber == e.voiceNumber && entryField(before.scriptName) == entryField(e.scriptName))
      page = before;
  }
  const std::string path = "scr\\" + std::string(entryField(e.scriptName)) + ".scr";
  if (!sc.fileExists(path, false)) return false;

  showEntry(sc, n, true);
  dropNewestEntries(st, n);
  storeName(st.voiceName, entryField(e.voiceName));
  storeName(st.bgmName, entryField(e.bgmName));
  storeName(st.seLoopName, entryField(e.seName));
  std::memcpy(st.vars, e.varSnapshot, 25);
  std::memcpy(st.flags, e.flagSnapshot, sizeof st.flags);
  for (int k = 0; k < 5; ++k) {
    recordName(st, k, entryField(e.pictureNames[k]));
    st.layerX[k] = e.layerX[k];
    st.layerY[k] = e.layerY[k];
    st.layerFade[k] = e.layerFade[k];
    st.layerAlpha[k] = e.layerAlpha[k];
  }
  storeName(st.scriptName, entryField(e.scriptName));
  st.voiceIndex = e.voiceNumber;
  if (!sc.load(path, st, sc.mainGame)) return true;
  sc.setPosition(rt.media.readStatus.positionOf(sc.scriptPath, e.voiceNumber));

  // The page is shown again as it was: a page whose voice command follows its text
  // would otherwise come back empty. A text line after the voice command starts the
  // page afresh.
  const std::string_view text = isChoiceLine(page) ? std::string_view() : entryField(page.text);
  if (sc.messageText) {
    const std::string_view cut = sjis::cutAtBoundary(text, ScriptContext::kMessageCapacity - 1);
    if (!cut.empty()) std::memcpy(sc.messageText.get(), cut.data(), cut.size());
    sc.messageText[cut.size()] = 0;
  }
  sc.newPage = true;
  const std::string_view speaker = entryField(page.speakerName);
  if (speaker.empty())
    sc.speakerName.reset();
  else
    sc.speakerName = std::string(speaker);

  if (st.backlogCount == 0) slot(rt, kButtonSlotBase + kButtonLog).release();
  applyMessageFontChange(rt);
  return true;
}

}  // namespace

bool runBacklog(Runtime& rt, ScriptContext& sc) {
  GameState& st = *sc.state;
  const Settings& settings = rt.media.settings;
  InputState& in = rt.story.input;
  st.validateBacklogRing();
  if (st.backlogCount <= 0) return false;
  if (settings.skip.cancel) setAutoMode(rt, false);
  if (settings.skip2.cancel) setSkipMode(rt, false);

  // The scene as it stands, for closing: the newest entry may be older than what the
  // page on screen shows, and its pictures keep their animation and colour only if
  // they are put back as they were rather than loaded again.
  const SceneRecord current = recordOf(st);
  std::vector<Sprite> liveScene;
  liveScene.reserve(kSceneSlotCount);
  for (int k = 0; k < kSceneSlotCount; ++k) {
    liveScene.emplace_back(rt.media.context, layerFromSceneSlot(k));
    liveScene.back().swapContents(slot(rt, layerFromSceneSlot(k)));
  }

  buildScreen(sc);
  showEntry(sc, 1, true);
  std::vector<bool> choiceVisible, windowVisible;
  rememberAndHide(rt, kChoiceFirstSlot, kChoiceLastSlot, choiceVisible);
  rememberAndHide(rt, kWindowFirstSlot, kWindowLastSlot, windowVisible);
  rt.story.switches.backlogOpen = true;
  rt.story.switches.backlogCloseRequested = false;
  in.consumePresses();
  present(sc);

  int n = 1;
  int hovered = -1;
  int repeatButton = kNoButton;
  std::uint32_t pressedAt = 0, lastRepeat = 0;
  Leave leave = Leave::Close;
  // Leaving by Escape or the menu continues from the page shown when Log/Exit asks for
  // it; on the newest page, or one that cannot be found again, it only closes.
  auto leaveHere = [&] {
    const bool resumable = backlogEntry(st, n).flagSnapshot[2023] == 0;
    return settings.log.exit && n > 1 && resumable ? Leave::Continue : Leave::Close;
  };
  for (bool done = false; !done;) {
    const std::uint32_t frameStart = rt.platform.ticks();
    if (pollWithMenus(sc, false, true)) {
      rt.story.switches.backlogOpen = false;
      return true;
    }
    const int count = st.backlogCount;
    const BacklogEntry& e = backlogEntry(st, n);
    button(rt, kVoice).setVisible(hasVoice(e));
    button(rt, kOlder).setVisible(n < count);
    button(rt, kOldest).setVisible(n < count);
    button(rt, kNewer).setVisible(n > 1);
    button(rt, kNewest).setVisible(n > 1);

    bool changed = false;
    const int under = buttonUnder(rt, in.mouseX, in.mouseY);
    if (under != hovered) {
      hovered = under;
      markHovered(rt, hovered);
      changed = true;
    }

    const int before = n;
    bool replay = false;
    if (in.isPressed(InputCancel)) {
      in.consumePresses();
      leave = leaveHere();
      done = true;
    } else if (in.isPressed(InputDecide)) {
      in.consumePresses();
      repeatButton = kNoButton;
      switch (hovered) {
        case kVoice: replay = true; break;
        case kContinue: leave = Leave::Continue; done = true; break;
        case kOlder: n = std::min(n + 1, count); break;
        case kNewer: n = std::max(n - 1, 1); break;
        case kOldest: n = count; break;
        case kNewest: n = 1; break;
        default: break;
      }
      if (hovered == kOlder || hovered == kNewer) {
        repeatButton = hovered;
        pressedAt = lastRepeat = frameStart;
      }
    } else if (in.isPressed(InputVoice)) {
      in.consumePresses();
      replay = button(rt, kVoice).visible();
    } else if (in.isPressed(InputLogBack)) {
      in.consumePresses();
      n = std::min(n + 1, count);
    } else if (in.isPressed(InputLogForward)) {
      in.consumePresses();
      if (n > 1)
        --n;
      else
        done = true;
    } else if (rt.story.switches.backlogCloseRequested) {
      rt.story.switches.backlogCloseRequested = false;
      leave = leaveHere();
      done = true;
    } else if (rt.requests().menuReturnRequested) {
      // Left set: the page wait that opened the backlog leaves the scene next.
      done = true;
    } else if (repeatButton != kNoButton) {
      // Holding the button on an older or newer page keeps paging after a delay.
      const std::uint32_t delay = static_cast<std::uint32_t>(std::max(settings.key.repeat, 0)) * 250;
      if (!in.isHeld(InputDecide) || hovered != repeatButton) {
        repeatButton = kNoButton;
      } else if (frameStart - pressedAt >= delay && frameStart - lastRepeat >= kRepeatStepMs) {
        lastRepeat = frameStart;
        n = repeatButton == kOlder ? std::min(n + 1, count) : std::max(n - 1, 1);
      }
    }
    if (done) break;
    if (replay) rt.sound().playPageVoice(sc, true, &backlogEntry(st, n), true);
    if (n != before) {
      showEntry(sc, n, false);
      changed = true;
    }
    if (changed) {
      present(sc);
    } else {
      const std::uint32_t spent = rt.platform.ticks() - frameStart;
      if (spent < kIdleFrameMs) rt.platform.sleep(kIdleFrameMs - spent);
    }
  }

  bool rewound = false;
  if (leave == Leave::Continue) rewound = continueFrom(sc, n);
  if (rewound) {
    giveBack(rt, kWindowFirstSlot, windowVisible);
    // A choice that was waiting is left behind with its script.
    for (int i = kChoiceFirstSlot; i <= kChoiceLastSlot; ++i) rt.scene.layers.clear(i);
  } else {
    // Back to the page on screen: its scene and music as they were when the backlog
    // opened, and its voice as Log/Voice asks.
    for (int k = 0; k < kSceneSlotCount; ++k) {
      slot(rt, layerFromSceneSlot(k)).swapContents(liveScene[std::size_t(k)]);
      recordName(st, k, current.names[std::size_t(k)]);
      st.layerX[k] = current.x[std::size_t(k)];
      st.layerY[k] = current.y[std::size_t(k)];
      st.layerFade[k] = current.fade[std::size_t(k)];
      st.layerAlpha[k] = current.alpha[std::size_t(k)];
    }
    st.flags[2043] = current.backgroundEffect;
    st.flags[2034] = current.darkening;
    playSounds(rt, current);
    if (settings.log.voice) rt.sound().playPageVoice(sc, true, &backlogEntry(st, 1), true);
    giveBack(rt, kChoiceFirstSlot, choiceVisible);
    giveBack(rt, kWindowFirstSlot, windowVisible);
  }

  rt.story.switches.backlogOpen = false;
  for (int i = kLogFirstSlot; i <= kLogLastSlot; ++i) rt.scene.layers.clear(i);
  sc.fastForward = false;
  sc.prevChoicePending = false;
  sc.quickSavePending = false;
  sc.quickLoadPending = false;
  for (int k = 0; k < kSceneSlotCount; ++k) {
    Sprite& layer = slot(rt, layerFromSceneSlot(k));
    layer.setFade(st.layerFade[k]);
    layer.setAlpha(st.layerAlpha[k]);
  }
  rt.scenePort().composeScene();
  in.consumePresses();
  return rewound;
}

}  // namespace ml
