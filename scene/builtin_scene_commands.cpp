// Movies and MIDI through the media control, and the built-in scenes: the title menu,
// the ending with its credits, the date display and the sky animation.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/gfx/layer_slots.h"
#include "media/sound/sound_channel.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "scene/builtin_scenes.h"
#include "scene/effect_wait.h"
#include "scene/media_control.h"
#include "scene/message_window.h"
#include "scene/picture_layers.h"
#include "scene/scene_commands.h"
#include "scene/sound_service.h"
#include "scene/transition.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // date formats
// A built-in scene's frame: about sixty a second, so that timings and animations run
// alike on every machine.
constexpr std::uint32_t kSceneFrameMs = 16;

// The credits: the text in the message text slot, a black cover over it in slot 43.
constexpr int kCreditsTextSlot = kMessageTextSlot;
constexpr int kCoverSlot = 43;
constexpr int kCoverWidth = 312;
constexpr int kCoverHeight = 112;
constexpr int kCreditsColumns = 20;
constexpr int kCreditsRows = 10;
constexpr int kSceneSprites[3] = {kSpriteSlot1, kSpriteSlot2, kSpriteSlot3};

// The sky strips: picture, slot, y.
struct SkyStrip {
  const char* picture;
  int slot;
  int y;
};
constexpr SkyStrip kSkyStrips[3] = {{"BlueSky1", 10, 200}, {"BlueSky2", 12, 272}, {"BlueSky3", 14, 345}};
// A strip starts when the one above has this many frames left.
constexpr int kSkyOverlapFrames = 45;

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[index]; }

// A press of InputDecide since the last look: consumed.
bool decidePressed(Runtime& rt) {
  if (!rt.story.input.isPressed(InputDecide)) return false;
  rt.story.input.consumePresses();
  return true;
}

void appendNumber(std::string& out, int value, int minDigits) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*d", minDigits, value);
  for (const char* p = digits; *p != 0; ++p) {
    if (*p >= '0' && *p <= '9') {
      out += static_cast<char>(0x82);
      out += static_cast<char>(0x4F + (*p - '0'));
    } else {
      out += *p;  // the sign of a (never expected) negative value
    }
  }
}

bool isAsciiLetter(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

LocalDateTime localNow(Runtime& rt) {
  const std::time_t now = static_cast<std::time_t>(rt.platform.unixTime());
  std::tm tm{};
  localtime_r(&now, &tm);
  LocalDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  return t;
}

// --- the ending ------------------------------------------------------------------------

class Ending {
 public:
  explicit Ending(ScriptContext& sc) : sc_(sc), rt_(sc.rt) {}

  bool run();

 private:
  // False when a quit or title request ends the scene.
  bool frame() { return !builtinSceneFrame(sc_); }
  bool fadeCoverIn(int x, int y);   // the cover goes away: the text shows
  bool fadeCoverOut(int x, int y);  // the cover comes back: the text hides
  bool showRow(const CreditsRow& row);
  // Waits out the row; `pressed` tells a press ended it.
  bool waitRow(const CreditsRow& row, bool& pressed);
  void emptyScene();
  bool finishMusic(bool pressed);

  ScriptContext& sc_;
  Runtime& rt_;
  int textX_ = 0, textY_ = 0;
};

bool Ending::fadeCoverIn(int x, int y) {
  Sprite& cover = slot(rt_, kCoverSlot);
  cover.setPosition(x, y);
  cover.setVisible(true);
  for (int a = 255; a > 0; a -= transitionStep(rt_.media.settings)) {
    cover.setAlpha(a);
    if (!frame()) return false;
  }
  cover.setVisible(false);
  return redraw(sc_);
}

bool Ending::fadeCoverOut(int x, int y) {
  Sprite& cover = slot(rt_, kCoverSlot);
  cover.setPosition(x, y);
  cover.setVisible(true);
  for (int a = 0; a < 256; a += transitionStep(rt_.media.settings)) {
    cover.setAlpha(a);
    if (!frame()) return false;
  }
  cover.setAlpha(255);
  return redraw(sc_);
}

bool Ending::showRow(const CreditsRow& row) {
  if (!row.text.empty()) {
    ensureMessageFonts(rt_, *sc_.state);
    Sprite& text = slot(rt_, kCreditsTextSlot);
    text.setText(row.text, rt_.scene.messageFonts.normal, kWhiteText, 24, kCreditsColumns,
                 kCreditsRows, false);
    text.setPosition(row.x, row.y);
    textX_ = row.x;
    textY_ = row.y;
    if (!fadeCoverIn(row.x, row.y)) return false;
  }
  if (!row.picture.empty()) {
    std::string name = row.picture;
    sc_.substituteDefine(name);
    const int right = sc_.state->spritePosition(2);
    if (!placePicture(sc_, kSpriteSlot1, name, "FADE_SET", right, 0)) return false;
    Sprite& sprite = slot(rt_, kSpriteSlot1);
    if (row.frame != -1 && sprite.hasPicture()) {
      sprite.setAnimating(false);
      sprite.setFrame(row.frame);
      sprite.setPosition(0, 0);
    }
    if (!runTransition(sc_, Transition::In, "FADE_IN", kSpriteSlot1, -1, -1, -1)) return false;
  }
  return true;
}

bool Ending::waitRow(const CreditsRow& row, bool& pressed) {
  const std::uint32_t start = rt_.platform.ticks();
  const long long duration = static_cast<long long>(row.duration) * 1000;
  for (;;) {
    if (!frame()) return false;
    if (decidePressed(rt_)) {
      pressed = true;
      return true;
    }
    if (static_cast<long long>(rt_.platform.ticks() - start) >= duration) return true;
  }
}

void Ending::emptyScene() {
  rt_.scene.layers.clear(kCoverSlot);
  // Empty names with FADE_SET: the slots and their recorded names are cleared.
  placePicture(sc_, kBackgroundSlot, "", "FADE_SET", 0, 0);
  for (int s : kSceneSprites) placePicture(sc_, s, "", "FADE_SET", 0, 0);
}

bool Ending::finishMusic(bool pressed) {
  SoundChannel* music = rt_.sound().channel(SoundService::kMusicChannel);
  if (!pressed && music != nullptr) {
    // The credits ran to their end: the music plays out, unless the player clicks.
    while (music->isPlaying()) {
      if (!frame()) return false;
      if (decidePressed(rt_)) break;
    }
  }
  if (music != nullptr) music->startFade(rt_.media.settings.volume.bgm, -2);
  return true;
}

bool Ending::run() {
  const Settings& settings = rt_.media.settings;
  // A window the script had put away stays away afterwards.
  const bool windowWasHidden = rt_.scene.messageWindow.hidden;
  hideWindow(rt_);
  endFastForward(sc_);
  SoundChannel* music = rt_.sound().channel(SoundService::kMusicChannel);
  if (music != nullptr) music->startFade(settings.volume.bgm, -2);
  // The music is on its way out: a game saved from here on starts none.
  std::memset(sc_.state->bgmName, 0, sizeof sc_.state->bgmName);
  if (!runTransition(sc_, Transition::Out, "FADE_OUT", kBackgroundSlot, kSpriteSlot1, kSpriteSlot2, kSpriteSlot3))
    return false;
  if (!frame()) return true;

  const std::string& path = rt_.media.content.endingMusic;
  if (music != nullptr && !path.empty() && sc_.fileExists(path, false) && music->loadStreaming(path, settings.bgm.allBgm)) {
    music->setVolume(settings.volume.bgm, true);
    if (settings.volume.bgmOn) music->play(false);
  }

  Sprite& cover = slot(rt_, kCoverSlot);
  if (cover.makeMessageBox(0, 0, kCoverWidth, kCoverHeight, 0, 0, 0)) {
    cover.setPosition(0, 0);
    cover.setAlpha(255);
    cover.setVisible(false);
  }

  bool pressed = false;
  const std::vector<CreditsRow>& rows = rt_.media.content.credits;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!showRow(rows[i])) return true;
    if (!waitRow(rows[i], pressed)) return true;
    if (pressed) break;
    if (i + 1 >= rows.size()) break;
    if (!rows[i + 1].text.empty() && !fadeCoverOut(textX_, textY_)) return true;
    if (!rows[i + 1].picture.empty()) {
      if (!preFade(sc_, false, "FADE_IN")) return false;
      if (!frame()) return true;
    }
  }

  emptyScene();
  if (!finishMusic(pressed)) return true;
  if (!windowWasHidden) restoreWindow(rt_);
  return true;
}

// --- the sky ---------------------------------------------------------------------------

bool skyFinished(Sprite& s) { return s.empty() || s.isLastFrame(); }

// --- movies and MIDI --------------------------------------------------------------------

constexpr std::size_t kReturnBuffer = 1024;
constexpr std::uint32_t kMovieSleepMs = 16;

// The media control's error, reported with the step's number in place of a line.
void reportMci(Runtime& rt, int step, std::string text) {
  if (text.size() >= kReturnBuffer) text.resize(kReturnBuffer - 1);
  rt.reporter.scriptError(SJ("ＭＣＩエラー"), "", "MCIError", step, text);
}

// Sends one command; on a failure reports it and answers false.
bool mciStep(Runtime& rt, const std::string& command, int step) {
  std::string returned;
  const std::uint32_t code = rt.mediaControl().send(command, &returned);
  if (code == 0) return true;
  reportMci(rt, step, rt.mediaControl().errorText(code));
  return false;
}

}  // namespace

std::string formatDateText(std::string_view format, const LocalDateTime& t) {
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const auto c = static_cast<std::uint8_t>(format[i]);
    if (sjis::isLead(c)) {
      // A lead byte without its second byte at the very end is dropped, not left to
      // swallow whatever follows the text.
      if (i + 1 < format.size()) out.append(format.substr(i, 2));
      i += 2;
      continue;
    }
    if (c == '%' && i + 1 < format.size() && isAsciiLetter(static_cast<std::uint8_t>(format[i + 1]))) {
      switch (sjis::foldAscii(format[i + 1])) {
        case 'y': appendNumber(out, t.year, 1); break;
        case 'm': appendNumber(out, t.month, 1); break;
        case 'd': appendNumber(out, t.day, 1); break;
        case 'h': appendNumber(out, t.hour, 2); break;
        case 'n': appendNumber(out, t.minute, 2); break;
        case 's': appendNumber(out, t.second, 2); break;
        default: break;
      }
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
    ++i;
  }
  return out;
}

bool builtinSceneFrame(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  const std::uint32_t start = rt.platform.ticks();
  if (pollWithMenus(sc, true, true)) return true;
  const std::uint32_t spent = rt.platform.ticks() - start;
  if (spent < kSceneFrameMs) rt.platform.sleep(kSceneFrameMs - spent);
  return false;
}

bool runEnding(ScriptContext& sc) { return Ending(sc).run(); }

bool runBlueSky(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  if (rt.requests().quitRequested) return true;
  for (const SkyStrip& strip : kSkyStrips) {
    Sprite& s = slot(rt, strip.slot);
    // Not recorded: the next picture command replaces the strips.
    if (!loadScenePicture(sc, s, strip.picture)) {
      for (const SkyStrip& other : kSkyStrips) rt.scene.layers.clear(other.slot);
      return true;
    }
    s.setPosition(0, strip.y);
    s.setHoldLastFrame(true);
    s.setVisible(strip.slot == kSkyStrips[0].slot);
  }
  rt.story.input.consumePresses();
  Sprite& first = slot(rt, kSkyStrips[0].slot);
  Sprite& second = slot(rt, kSkyStrips[1].slot);
  Sprite& third = slot(rt, kSkyStrips[2].slot);
  for (;;) {
    if (builtinSceneFrame(sc)) return true;
    if (decidePressed(rt)) return true;
    if (first.currentFrame() >= first.frameCount() - kSkyOverlapFrames) second.setVisible(true);
    if (second.currentFrame() >= second.frameCount() - kSkyOverlapFrames) third.setVisible(true);
    const bool done = skyFinished(third);
    for (Sprite* s : {&first, &second, &third})
      if (skyFinished(*s)) s->setVisible(false);
    if (done) return true;
  }
}

// movie name
// movie name: plays the movie in the game area and waits for its end, a click or a
// return to the title.
std::uint8_t cmdMovie(ScriptContext& sc, const CommandRow&) {
  Runtime& rt = sc.rt;
  sc.skipWord();
  std::string name = sc.readArgument();
  if (!rt.media.settings.movie.play) return 1;
  endFastForward(sc);
  if (std::uint32_t* pixels = rt.scene.backBuffer.pixels()) std::fill_n(pixels, 800 * 600, 0u);
  std::fill(std::begin(sc.state->bgmName), std::end(sc.state->bgmName), '\0');
  for (int channel : {SoundService::kMusicChannel, SoundService::kVoiceChannel, SoundService::kEffectChannel,
                      SoundService::kInterfaceChannel})
    rt.sound().stopChannel(channel);
  if (name.find('.') == std::string::npos) name += ".mpg";
  if (!sc.fileExists(name, true)) return 1;

  MediaControl& mci = rt.mediaControl();
  bool ok = mciStep(rt, "open " + name + " type MPEGVideo", 7778) &&
            mciStep(rt, "window " + name + " handle " + std::to_string(MediaControl::kMainWindowHandle), 7788);
  if (ok) {
    rt.requests().mciNotified = false;
    ok = mciStep(rt, "play " + name + " notify", 7799) &&
         mciStep(rt, "put " + name + " destination at 0 0 800 600", 7809);
  }
  if (!ok) {
    // A movie left open would refuse the next open of the same file.
    mci.send("close " + name);
    return 1;
  }
  rt.scene.paintSuppressed = true;
  for (;;) {
    if (!poll(sc)) break;
    rt.platform.sleep(kMovieSleepMs);
    if (rt.story.input.isPressed(InputDecide)) {
      rt.story.input.consumePresses();
      break;
    }
    if (rt.requests().mciNotified || rt.requests().titleRequested) break;
  }
  rt.scene.paintSuppressed = false;
  mciStep(rt, "close " + name, 7831);
  return 1;
}

// midi name: starts "name.mid", which plays to its end.
std::uint8_t cmdMidi(ScriptContext& sc, const CommandRow&) {
  Runtime& rt = sc.rt;
  sc.skipWord();
  const std::string name = sc.readArgument() + ".mid";
  if (sc.fastForward) return 1;
  if (!sc.fileExists(name, false)) return 1;
  for (const char* form : {"open ", "play "}) {
    std::string returned;
    const std::uint32_t code = rt.mediaControl().send(form + name, &returned);
    if (code != 0) {
      reportMci(rt, form[0] == 'o' ? 7868 : 7876, returned);
      // A machine without a MIDI synthesiser only loses the tune; a damaged file
      // stops the script.
      return code == kMciDriver ? 1 : 0;
    }
  }
  return 1;
}

std::uint8_t cmdMenu(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  return sc.rt.screens().runTitleMenu(sc) ? 1 : 0;
}

// ending word (read, not used)
std::uint8_t cmdEnding(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  return runEnding(sc) ? 1 : 0;
}

// date_disp, date_disp2 x y format (format up to 1023 bytes); the row says whether it
// waits for a click.
std::uint8_t cmdDateDisp(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  const std::string xArgument = sc.readArgument();
  const std::string yArgument = sc.readArgument();
  const std::string format = sc.readArgument(kLongArgument);
  if (sc.fastForward) return 1;
  Runtime& rt = sc.rt;
  const int x = sc.evaluate(xArgument);
  const int y = sc.evaluate(yArgument);
  ensureMessageFonts(rt, *sc.state);
  Sprite& text = slot(rt, kMessageTextSlot);
  text.setText(formatDateText(format, localNow(rt)), rt.scene.messageFonts.normal, kWhiteText, 24, 100, 100, false);
  text.setPosition(x, y);
  if (row.a != 1) return 1;
  rt.story.input.consumePresses();
  rt.story.switches.sceneWaitsForClick = true;
  while (!builtinSceneFrame(sc) && !decidePressed(rt)) {
  }
  rt.story.switches.sceneWaitsForClick = false;
  return 1;
}

std::uint8_t cmdBlueSky(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  if (sc.fastForward) return 1;
  return runBlueSky(sc) ? 1 : 0;
}

}  // namespace ml
