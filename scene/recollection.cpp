// The recollection player: one scene replayed by an interpreter of its own on a copy
// of the game state, the real game left exactly as it was.
#include <cstring>
#include <memory>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "scene/extras.h"
#include "scene/extras_screens.h"
#include "scene/message_window.h"
#include "scene/screen_parts.h"

namespace ml {

namespace {

std::string_view field(const char* text, std::size_t capacity) { return {text, strnlen(text, capacity)}; }

// What a replay may change outside the layers and is put back afterwards: the game's
// record (flags, variables, backlog, recorded scene and sounds), the names that
// `define` and `def_cg` add, the engine's switches, the background tint presets and
// the choice prompt and button states of the message window. Read marks are not
// written by a replay at all (its interpreter is not the game's).
class KeptGame {
 public:
  explicit KeptGame(Runtime& rt)
      : rt_(rt), state_(std::make_unique<GameState>()), defines_(rt.story.defines),
        pictureFlags_(rt.story.pictureFlags), switches_(rt.story.switches), tints_(rt.scene.tintPresets),
        prompt_(rt.scene.messageWindow.choicePrompt), promptSpeaker_(rt.scene.messageWindow.choicePromptSpeaker),
        buttons_(rt.scene.messageWindow.buttonState) {
    state_->copyFrom(rt.story.state);
  }
  ~KeptGame() {
    rt_.story.state.copyFrom(*state_);
    rt_.story.defines = defines_;
    rt_.story.pictureFlags = pictureFlags_;
    rt_.scene.tintPresets = tints_;
    rt_.scene.messageWindow.choicePrompt = prompt_;
    rt_.scene.messageWindow.choicePromptSpeaker = promptSpeaker_;
    rt_.scene.messageWindow.buttonState = buttons_;
    const bool endReportArmed = rt_.story.switches.endReportArmed;
    rt_.story.switches = switches_;
    // The end-of-script report stays once per run.
    rt_.story.switches.endReportArmed = endReportArmed && switches_.endReportArmed;
  }
  KeptGame(const KeptGame&) = delete;
  KeptGame& operator=(const KeptGame&) = delete;

 private:
  Runtime& rt_;
  std::unique_ptr<GameState> state_;
  DefineTable defines_;
  DefineTable pictureFlags_;
  EngineSwitches switches_;
  decltype(ScenePart::tintPresets) tints_;
  std::string prompt_, promptSpeaker_;
  decltype(MessageWindowState::buttonState) buttons_;
};

}  // namespace

void playRecollection(Runtime& rt, ScriptContext& sc, std::string_view script, int startValue) {
  const bool titleMenu = rt.story.switches.titleMenuOpen;
  {
    // The scene plays on the runtime's record, which holds a copy of the game's for the
    // time being: composition, voice panning and text size then follow the scene. The
    // game's own record is put back byte for byte when the scene ends.
    KeptGame kept(rt);
    ScriptContext player(rt);
    player.state = &rt.story.state;
    rt.story.switches.messageWindowActive = true;
    const std::string path = "scr\\" + std::string(script) + ".scr";
    bool playable = player.fileExists(path, false) && player.load(path, rt.story.state, false);

    clearSlots(rt, 130, 169);
    if (playable) {
      const std::string_view picture = field(rt.story.state.windowPicture, sizeof rt.story.state.windowPicture);
      const std::string base = "cg\\" + std::string(picture);
      playable = !picture.empty() && (player.fileExists(base + ".bmp", true) || player.fileExists(base + ".psd", true));
    }
    if (playable) {
      reloadMessageWindow(player);
      player.recollectionStart = startValue;
      rt.sound().stopChannel(SoundService::kMusicChannel);
      rt.shell->showRecollectionExit(true);
      rt.story.switches.titleMenuOpen = false;
      while (!rt.requests().titleRequested && !rt.requests().quitRequested) {
        if (player.step() == 0) break;
      }
      rt.requests().menuReturnRequested = false;
      player.recollectionEnded = true;
    }
  }
  rt.story.switches.titleMenuOpen = titleMenu;
  if (rt.requests().quitRequested) {
    rt.shell->showRecollectionExit(false);
    return;
  }
  fadeScreenOut(sc);
  rt.shell->showRecollectionExit(false);
  clearSlots(rt, 0, kGameSlotsEnd - 1);
  rt.scene.messageWindow.hidden = false;
  const Settings& settings = rt.media.settings;
  if (SoundChannel* c = rt.sound().channel(SoundService::kEffectChannel)) c->startFade(settings.volume.se, -5);
  if (SoundChannel* c = rt.sound().channel(SoundService::kVoiceChannel)) c->startFade(settings.volume.voice, -5);
  restoreTitleMusic(rt);
  setAutoMode(rt, false);
  setSkipMode(rt, false);
  rt.story.input.consumePresses();
}

}  // namespace ml
