// The subsystems the runtime reaches through one object each. Every interface comes
// with a null implementation that the runtime owns until the real one is installed,
// so the interpreter runs the same way with or without it (tests, tools, and
// subsystems still to be built).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Runtime;
class ScriptContext;
class SoundChannel;
struct BacklogEntry;
struct GameState;

// Sound: the five channels and what the waits and pages ask of them.
class SoundService {
 public:
  static constexpr int kMusicChannel = 0;
  static constexpr int kEffectChannel = 2;
  static constexpr int kInterfaceChannel = 3;
  static constexpr int kVoiceChannel = 4;
  virtual ~SoundService() = default;
  // Opens the output device at start-up; false when there is none to play on.
  virtual bool openDevice() = 0;
  virtual void stopChannel(int channel) = 0;
  virtual void stopAllChannels() = 0;
  // Streaming and fades of the music, effect and voice channels, once per poll.
  virtual void serviceChannels() = 0;
  // Plays the page's voice on the voice channel (or a backlog entry's voice).
  virtual void playPageVoice(ScriptContext& sc, bool fromBacklog, const BacklogEntry* entry, bool forced) = 0;
  // Whether the voice channel is still playing (auto mode waits for it).
  virtual bool voicePlaying() = 0;
  // The end of a jump or a loaded game: the recorded music and looping effect start
  // again.
  virtual void restartRecordedSounds(ScriptContext& sc) = 0;
  // Channel 0-4 for the sound commands and the interface sounds; null without sound.
  virtual SoundChannel* channel(int index) { (void)index; return nullptr; }
  // The option dialog's volumes applied at once: music, effects and interface sounds,
  // voice, each 0 while its switch is off.
  virtual void applyVolumes() {}
  // The music switch ticked (the music resumes, looping when it is the recorded one)
  // or unticked (it stops).
  virtual void setMusicOn(const GameState& state, bool on) { (void)state; (void)on; }
};

class NullSoundService final : public SoundService {
 public:
  bool openDevice() override { return true; }
  void stopChannel(int) override {}
  void stopAllChannels() override {}
  void serviceChannels() override {}
  void playPageVoice(ScriptContext&, bool, const BacklogEntry*, bool) override {}
  bool voicePlaying() override { return false; }
  void restartRecordedSounds(ScriptContext&) override {}
};

// Saves, the system save and the debug autosave.
class SaveService {
 public:
  virtual ~SaveService() = default;
  // Writes the game state to "Save%03d.dat"; false (reported) when it was not written.
  virtual bool saveGame(int slot) { (void)slot; return false; }
  // Reads a save into the game state and resumes the game there; false (reported, the
  // game untouched) when the save is missing or damaged.
  virtual bool loadGame(ScriptContext& sc, int slot, bool withRecall) {
    (void)sc; (void)slot; (void)withRecall;
    return false;
  }
  // The title menu reads the system flags of earlier play-throughs.
  virtual void readSystemSave() {}
  // The deferred requests of the window buttons, keys and menus, carried out where the
  // waits allow; each answers the result code its waiting loop expects (1 when a game
  // was loaded, else 0).
  virtual int quickSave(ScriptContext& sc) { (void)sc; return 0; }
  virtual int quickLoad(ScriptContext& sc) { (void)sc; return 0; }
  virtual int returnToLastChoice(ScriptContext& sc) { (void)sc; return 0; }
  // Merges the system flags into the system save.
  virtual void updateSystemSave() = 0;
  // The debug menu's rolling save of the last four pages.
  virtual void debugAutoSave(ScriptContext& sc) = 0;
  // The save a return to the last choice loads, written as a choice is made.
  virtual void saveLastChoice(ScriptContext& sc) = 0;
};

class NullSaveService final : public SaveService {
 public:
  void updateSystemSave() override {}
  void debugAutoSave(ScriptContext&) override {}
  void saveLastChoice(ScriptContext&) override {}
};

// The backlog ring of pages and choices.
class BacklogService {
 public:
  virtual ~BacklogService() = default;
  // Records the page (choiceText null) or a choice.
  virtual void addEntry(ScriptContext& sc, const char* choiceText) = 0;
};

class NullBacklogService final : public BacklogService {
 public:
  void addEntry(ScriptContext&, const char*) override {}
};

// The screens drawn with the game's own pictures: each runs its own loop on the
// interpreter's poll and answers as its waiting caller expects.
class SystemScreens {
 public:
  virtual ~SystemScreens() = default;
  // The save/load screen; true when a game was loaded.
  virtual bool runSaveScreen(ScriptContext& sc, bool loadMode) { (void)sc; (void)loadMode; return false; }
  // The backlog window; true when the player continued from an earlier page.
  virtual bool runBacklog(ScriptContext& sc) { (void)sc; return false; }
  // The title menu; false when the program is closing.
  virtual bool runTitleMenu(ScriptContext& sc) { (void)sc; return true; }
  // The in-game option screen; true when it ended with a title return or quitting.
  virtual bool runOptionScreen(ScriptContext& sc) { (void)sc; return false; }
  // The extras (gallery, recollection, music room); true back to the title menu.
  virtual bool runExtras(ScriptContext& sc) { (void)sc; return true; }
  // Replays one scene on a copy of the game state; the real game is left as it was.
  virtual void playRecollection(ScriptContext& sc, std::string_view script, int startValue) {
    (void)sc; (void)script; (void)startValue;
  }
};

// The dialogs that menu items and keys open (the option dialog, the flag viewer, the
// jump dialog, the keyboard help, the unread search, the drive dialog).
class DialogService {
 public:
  virtual ~DialogService() = default;
  // Shown without blocking the game.
  virtual void showOption() = 0;
  virtual void showFlag() = 0;
  // The flag viewer shows the flags anew (after `random` in debug mode).
  virtual void refreshFlag() = 0;
  virtual void showKeyHelp() = 0;
  // Modal; true on OK with the text typed into the edit.
  virtual bool showJump(std::string& text) = 0;
  // The current-line dialog's unread search: the memo lines it found.
  virtual std::vector<std::string> findUnread() = 0;
  // The drive dialog when "wav.dat" is missing: the chosen disc's root folder.
  virtual std::optional<std::string> chooseDrive() = 0;
  // Modal: the save comment (Shift-JIS), proposed in text; true on OK.
  virtual bool showComment(std::string& text) { (void)text; return false; }
  // Modal: the player's names (Shift-JIS); true on OK.
  virtual bool showName(std::string& family, std::string& given) { (void)family; (void)given; return false; }
};

class NullDialogService : public DialogService {
 public:
  void showOption() override {}
  void showFlag() override {}
  void refreshFlag() override {}
  void showKeyHelp() override {}
  bool showJump(std::string&) override { return false; }
  std::vector<std::string> findUnread() override { return {}; }
  std::optional<std::string> chooseDrive() override { return std::nullopt; }
};

// Movies and MIDI, driven by command strings ("open %s type MPEGVideo", "play %s
// notify", "close %s" ...). The answer is 0 on success, else an error number; the
// return text gets the device's answer, or on a failure the error's text (Shift-JIS).
class MediaControl {
 public:
  // The main window as "window %s handle %d" names it.
  static constexpr int kMainWindowHandle = 1;
  virtual ~MediaControl() = default;
  virtual std::uint32_t send(std::string_view command, std::string* returned) = 0;
  std::uint32_t send(std::string_view command) { return send(command, nullptr); }
  // The text of an error number (Shift-JIS).
  virtual std::string errorText(std::uint32_t code) = 0;
  // Runs with every poll: the pictures of a playing movie, completion notices.
  virtual void service() {}
};

class NullMediaControl final : public MediaControl {
 public:
  using MediaControl::send;
  // Nothing can be played: every command fails as a device that is not there would.
  std::uint32_t send(std::string_view, std::string* returned) override {
    if (returned != nullptr) *returned = errorText(1);
    return 1;
  }
  std::string errorText(std::uint32_t) override { return "no media device"; }
};

}  // namespace ml
