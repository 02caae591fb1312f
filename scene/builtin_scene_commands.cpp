// Movies and MIDI through the media control, and the built-in scenes: each command
// consumes exactly the arguments it takes, so that the rest of the line is read right;
// what the scenes show is still to be built.
#include <algorithm>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/media_control.h"
#include "scene/scene_commands.h"
#include "scene/sound_service.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts, choice texts and date formats
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
std::uint8_t cmdMenu(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }
// ending word (read, not used)
std::uint8_t cmdEnding(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(1); }
// date_disp, date_disp2 x y format (format up to 1023 bytes)
std::uint8_t cmdDateDisp(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  sc.readArgument();
  sc.readArgument(kLongArgument);
  return 1;
}
std::uint8_t cmdBlueSky(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }

}  // namespace ml
