#include "scene/page_display.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/window_buttons.h"
#include "media/gfx/pixel_ops.h"
#include "platform/rect.h"
#include "platform/text_encoding.h"
#include "scene/compose_scene.h"
#include "scene/message_window.h"

namespace ml {
namespace {

constexpr std::uint32_t kIdleFrameMs = 33;

Rect pictureRect(const Sprite& s) {
  if (!s.hasPicture()) return {};
  return {s.x(), s.y(), s.width(), s.height()};
}

bool mainWindowCounts(Runtime& rt) {
  return rt.platform.windowActive() || rt.media.settings.system.noActive;
}

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[static_cast<std::size_t>(index)]; }

// Position of a two-byte-aligned occurrence of needle in Shift-JIS text.
std::size_t findCharacters(std::string_view text, std::string_view needle) {
  for (std::size_t i = 0; i + needle.size() <= text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
    i += sjis::isLead(static_cast<std::uint8_t>(text[i])) ? 2 : 1;
  }
  return std::string_view::npos;
}

// A page that names the player by a name other than the default one speaks the voice
// recorded for that case: the voice name gets "-2". The first placeholder decides.
void chooseNameVoice(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  std::string_view page(sc.messageText ? sc.messageText.get() : "", sc.messageLength());
  const std::size_t given = findCharacters(page, SJ("●名●"));
  const std::size_t family = findCharacters(page, SJ("▲氏▲"));
  bool otherName = false;
  if (given != std::string_view::npos && (family == std::string_view::npos || given < family))
    otherName = rt.media.textRules.givenName() != SJ("ヨルク");
  else if (family != std::string_view::npos)
    otherName = rt.media.textRules.familyName() != SJ("ハセリ");
  if (!otherName) return;
  char* voice = sc.state->voiceName;
  const std::size_t length = strnlen(voice, sizeof sc.state->voiceName);
  // Pages after the same voice command share its name: it gets the suffix once.
  if (length >= 2 && voice[length - 2] == '-' && voice[length - 1] == '2') return;
  if (length + 2 >= sizeof sc.state->voiceName) return;
  voice[length] = '-';
  voice[length + 1] = '2';
  voice[length + 2] = 0;
}

// The page text appears character by character, each held for (speed + 8) / 16
// frames. False: a menu asked to leave the scene. `closing` is set when the caller
// must return at once.
bool revealText(ScriptContext& sc, bool& closing) {
  Runtime& rt = sc.rt;
  const long long hold = (static_cast<long long>(rt.media.settings.message.speed) + 8) / 16;
  if (hold < 1) return true;
  const int total = pageCharacterCount(sc);
  Sprite& text = slot(rt, kMessageTextSlot);
  for (long long frame = 0;; ++frame) {
    if (pollWithMenus(sc, false, true)) {
      closing = true;
      return true;
    }
    if (rt.requests().menuReturnRequested) {
      rt.requests().menuReturnRequested = false;
      return false;
    }
    const long long shown = frame / hold + 1;
    if (shown > total) break;
    if (rt.story.input.isPressed(InputDecide)) {
      rt.story.input.consumePresses();
      setAutoMode(rt, false);
      setSkipMode(rt, false);
      break;
    }
    if (rt.story.input.isHeld(InputSkip) || skipMode(rt)) break;
    text.setReveal(static_cast<int>(shown));
    present(sc);
  }
  text.setReveal(Sprite::kRevealAll);
  return true;
}

// Shows the frame after redrawing one rectangle: the window snapshot under it, then
// the given slots clipped to it. Without a snapshot the whole frame is composed.
void repaintRect(ScriptContext& sc, const Rect& rect, const std::vector<int>& slots) {
  Runtime& rt = sc.rt;
  if (!mainWindowCounts(rt)) return;
  Surface& frame = rt.scene.backBuffer.surface();
  const Sprite& snapshot = slot(rt, kWindowSnapshotSlot);
  if (rect.empty() || frame.pixels(0) == nullptr || !snapshot.hasPicture()) {
    present(sc);
    return;
  }
  const int width = frame.width(), height = frame.height();
  const int left = std::clamp(rect.x, 0, width), top = std::clamp(rect.y, 0, height);
  const int right = std::clamp(rect.x + rect.width, 0, width);
  const int bottom = std::clamp(rect.y + rect.height, 0, height);
  if (right > left && bottom > top) {
    std::unique_ptr<Surface>& scratch = rt.scene.messageWindow.repaintScratch;
    if (!scratch || scratch->width() != width || scratch->height() != height) {
      scratch = std::make_unique<Surface>(rt.media.context);
      if (!scratch->create(width, height, 1)) {
        scratch.reset();
        present(sc);
        return;
      }
    }
    std::uint32_t* dst = frame.pixels(0);
    std::uint32_t* tmp = scratch->pixels(0);
    std::memcpy(tmp, dst, std::size_t(width) * height * sizeof(std::uint32_t));
    snapshot.copyRectTo(*scratch, left, top, right - left, bottom - top);
    for (int i : slots) slot(rt, i).draw(*scratch, *rt.media.pixels);
    for (int y = top; y < bottom; ++y)
      std::memcpy(dst + std::size_t(y) * width + left, tmp + std::size_t(y) * width + left,
                  std::size_t(right - left) * sizeof(std::uint32_t));
  }
  rt.platform.present(rt.frameRequest());
}

// An idle frame: only the key-wait icon's rectangle (with the text under it) is
// redrawn, for its animation; without an icon the frame is shown as it stands.
void repaintIdleFrame(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!mainWindowCounts(rt)) return;
  const Sprite& icon = slot(rt, kKeyWaitSlot);
  if (!rt.story.switches.messageWindowActive || !icon.visible() || !icon.hasPicture()) {
    rt.platform.present(rt.frameRequest());
    return;
  }
  // The text may reach into the rectangle: it is drawn again, the icon over it.
  repaintRect(sc, pictureRect(icon), {kMessageTextSlot, kKeyWaitSlot});
}

// The button under the pointer changed: only the buttons' rectangle is redrawn.
void repaintButtons(ScriptContext& sc) {
  Rect r;
  for (int i = kButtonSlotBase + 1; i <= kButtonCaptionSlot; ++i) r = unite(r, pictureRect(slot(sc.rt, i)));
  std::vector<int> slots;
  for (int i = kButtonSlotBase + 1; i < kKeyWaitSlot; ++i) slots.push_back(i);
  repaintRect(sc, r, slots);
}

// Leaves the page wait as every ending does.
void endWait(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  rt.shell->refreshSaveMenus(false);
  sc.waitingForClick = false;
  if (!rt.media.settings.voice.next) rt.sound().stopChannel(SoundService::kVoiceChannel);
  slot(rt, kKeyWaitSlot).setVisible(false);
  removeWindowButtons(rt.scene.layers);
}

}  // namespace

std::uint32_t readPageColour(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (!sc.mainGame || sc.state->readTrackingOff() != 0) return kWhiteText;
  if (rt.media.readStatus.isRead(sc.scriptPath, sc.state->voiceIndex, true))
    return rt.media.settings.message.readed ? greyText(rt.media.settings.message.readedLumi) : kWhiteText;
  if (rt.media.settings.skip.unread) setAutoMode(rt, false);
  if (rt.media.settings.skip2.unread) setSkipMode(rt, false);
  if (rt.media.settings.skipSelect.unread) endFastForward(sc);
  return kWhiteText;
}

bool showPage(ScriptContext& sc, bool skippable) {
  Runtime& rt = sc.rt;
  if (rt.story.autoSaveChecked) rt.saves().debugAutoSave(sc);
  const std::uint32_t colour = readPageColour(sc);
  chooseNameVoice(sc);
  rt.backlog().addEntry(sc, nullptr);

  if (sc.fastForward) {
    // A page that may not be skipped, or the debug target line, ends the jump; that
    // page is then shown like any other.
    if (!skippable) {
      rt.story.switches.debugTargetLine = 0;
      endFastForward(sc);
    } else if (rt.story.switches.debugTargetLine > 0 && sc.lineNumber >= rt.story.switches.debugTargetLine) {
      rt.story.switches.debugTargetLine = 0;
      endFastForward(sc);
    }
    if (sc.fastForward) return true;
  }

  rt.sound().playPageVoice(sc, false, nullptr, false);
  showSpeakerName(sc, colour);
  slot(rt, kModeIndicatorSlot).release();
  showPageText(sc, colour);
  if (sc.mainGame) rt.shell->refreshSaveMenus(true);
  showWindowButtons(sc);
  // The idle frames repaint the key-wait icon from the window snapshot, which must show
  // the window as it stands now (defined or shown again since the last scene command).
  refreshWindowSnapshot(rt.scene.layers, *rt.media.pixels);

  bool closing = false;
  if (!revealText(sc, closing)) return false;
  if (closing) return true;

  loadKeyWaitIcon(rt);
  return true;
}

bool waitPage(ScriptContext& sc, bool skippable) {
  if (!showPage(sc, skippable)) return false;
  Runtime& rt = sc.rt;
  bool rewound = false;
  if (!sc.fastForward) {
    const long long autoDelay = static_cast<long long>(rt.media.settings.skip.wait) * 19 + 100;
    const long long skipDelay = static_cast<long long>(rt.media.settings.skip2.wait) * 4;
    std::uint32_t t0 = rt.platform.ticks();
    sc.waitingForClick = true;
    for (bool first = true;; first = false) {
      const std::uint32_t frameStart = rt.platform.ticks();
      if (pollWithMenus(sc, false, true)) return true;
      if (rt.requests().menuReturnRequested) {
        rt.requests().menuReturnRequested = false;
        return false;
      }
      if (rt.story.switches.messageWindowActive && skippable && rt.story.input.isHeld(InputSkip)) {
        present(sc);
        break;
      }
      if (!rt.story.switches.messageWindowActive) {
        setAutoMode(rt, false);
        setSkipMode(rt, false);
      }
      const std::uint32_t now = rt.platform.ticks();
      if (skipMode(rt)) {
        clickCheck(sc);
        // A click only switches the mode off; the page stays.
        if (skipMode(rt) && static_cast<long long>(now - t0) >= skipDelay && mainWindowCounts(rt)) {
          present(sc);
          break;
        }
      } else if (autoMode(rt) && skippable) {
        clickCheck(sc);
        if (rt.sound().voicePlaying() && !rt.media.settings.skip.voice) t0 = now;
        if (autoMode(rt) && static_cast<long long>(now - t0) > autoDelay && mainWindowCounts(rt)) {
          present(sc);
          break;
        }
      }
      if (rt.story.switches.messageWindowActive && !slot(rt, kKeyWaitSlot).visible()) placeKeyWaitIcon(sc);

      const int r = handleWindowButtons(sc, false);
      if (r == kButtonsGameLoaded) return true;
      if (r == kButtonsAdvance) {
        rt.story.input.consumePresses();
        break;
      }
      if (r == kButtonsRewound) {
        rewound = true;
        break;
      }
      if (first || (r >= kButtonsGameLoaded && r <= kButtonsScreenChanged)) {
        present(sc);
      } else if (r == kButtonsPointerMoved) {
        repaintButtons(sc);
      } else {
        repaintIdleFrame(sc);
        const std::uint32_t spent = rt.platform.ticks() - frameStart;
        if (spent < kIdleFrameMs) rt.platform.sleep(kIdleFrameMs - spent);
      }
    }
    endWait(sc);
  }
  if (rewound) {
    // The backlog has made ready the page it resumes at (text, speaker); only what this
    // page showed leaves the screen.
    slot(rt, kMessageTextSlot).release();
    for (int i = kPlateBoardSlot; i <= kSpeakerNameSlot; ++i) slot(rt, i).release();
    return true;
  }
  sc.newPage = true;
  sc.pageMark = -1;
  slot(rt, kMessageTextSlot).release();
  closeSpeakerName(sc);
  return true;
}

void updateReadRateLine(Runtime& rt) {
  const std::string text = readRateText(rt.media.readStatus);
  const int length = static_cast<int>(text.size());
  ensureMessageFonts(rt, rt.story.state);
  Sprite& line = slot(rt, kStatusLineSlot);
  line.setText(text, rt.scene.messageFonts.normal, kWhiteText, 24, length + 1, 1, false);
  const bool right = rt.media.settings.display.timeTop == 2 || rt.media.settings.display.timeTop == 3;
  const bool bottom = rt.media.settings.display.timeTop == 1 || rt.media.settings.display.timeTop == 3;
  line.setPosition(right ? 788 - 12 * length : 12, bottom ? 576 : 0);
}

// set_read_mode value: nonzero switches read tracking off.
std::uint8_t cmdSetReadMode(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.state->readTrackingOff() = static_cast<std::uint8_t>(sc.evaluate(sc.readArgument()));
  return 1;
}

}  // namespace ml
