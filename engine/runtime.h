// The long-lived services of one running game, owned in one place. They are held in
// named parts, and code takes the narrowest part it needs: the media services, the
// scene, the story state, and one object for each subsystem behind a seam (sound,
// saves, backlog, dialogs, media control, the scene's own operations). A test can build
// several runtimes side by side.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/command_table.h"
#include "engine/define_table.h"
#include "engine/game_content.h"
#include "engine/game_state.h"
#include "engine/input_state.h"
#include "engine/message_window_state.h"
#include "engine/random.h"
#include "engine/scene_port.h"
#include "engine/script_context.h"
#include "engine/services.h"
#include "engine/shell_hooks.h"
#include "media/gfx/back_buffer.h"
#include "media/gfx/layer_table.h"
#include "media/gfx/pixel_ops.h"
#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/formats/read_status.h"
#include "media/media_context.h"
#include "media/settings.h"
#include "media/text/font.h"
#include "media/text/text_rules.h"
#include "platform/platform.h"
#include "platform/reporter.h"

namespace ml {

// Files, archives, settings and the drawing and text services everything above uses.
struct MediaServices {
  MediaServices(Reporter& reporter, std::string gameDir);
  MediaServices(const MediaServices&) = delete;
  MediaServices& operator=(const MediaServices&) = delete;

  GameFolder folder;
  // Where the player's files go: saves, thumbnails, settings, read marks. The game
  // folder itself unless the program chose another place.
  GameFolder saveFolder;
  Settings settings;
  DataArchive scriptArchive;
  DataArchive pictureArchive;
  DataArchive soundArchive;
  ReadStatusStore readStatus;
  // Bracket and line-end sets and the player's names, shared by every text sprite.
  TextRules textRules;
  // Handed to surfaces and sprites: reporter, folder, picture archive, settings.
  MediaContext context;
  // The pixel routine set chosen at start-up (SIMD unless MIRELUNE_PORTABLE_PIXELS=1);
  // sprites, the back buffer and transitions all draw through it.
  const PixelOps* pixels;
  // Fonts for text sprites and tools.
  FontLibrary fonts;
  // The game's title, credits, extras tables, speakers and tints (loadGameContent);
  // the built-in content until the game's own is read.
  GameContent content;
};

// What is seen: the layer table, the composed frame, and what the scene keeps between
// commands that is not part of a saved game.
struct ScenePart {
  explicit ScenePart(const MediaContext& media);

  BackBuffer backBuffer;
  LayerTable layers;
  MessageWindowState messageWindow;
  // The three message fonts made from the chosen face and style.
  MessageFonts messageFonts;
  std::string fontName;  // Shift-JIS
  int fontStyle = 0;     // 0 normal, 1 bold, 2 italic, 3 bold italic
  // Red, green and blue percent changes that backgrounds select through the tint
  // table; zero until set_rgb_ex1..3 set them.
  std::array<std::array<std::int8_t, 3>, 3> tintPresets{};
  // The window is being painted over by a modal screen: presentation shows nothing new.
  bool paintSuppressed = false;
  // The save/load screen opens on the page it was left on (0-5), for the whole run.
  int saveListPage = 0;
};

// How a headless autoplay run answers choices (--choose); None in a played game.
enum class AutoChoice { None, First, Last, Random };

// Engine-wide switches that live outside the script context.
struct EngineSwitches {
  bool autoMode = false;
  bool skipMode = false;
  bool messageWindowActive = false;
  bool backlogOpen = false;
  bool backlogCloseRequested = false;
  bool saveScreenOpen = false;
  bool saveScreenCloseRequested = false;
  // The title menu is open (the option dialog then leaves the music alone); waiting:
  // its buttons take input now (after its fade-in).
  bool titleMenuOpen = false;
  bool titleMenuWaiting = false;
  // A built-in scene holds the story until the player clicks (the date display).
  bool sceneWaitsForClick = false;
  // A screen of the game's own pictures (extras, options) found nothing to do on its
  // last pass; the next interpreter step clears it.
  bool screenIdle = false;
  bool endReportArmed = true;  // "the end of the script" is reported once per run
  int debugTargetLine = 0;
};

// The story: the game state, the interpreter and what it reads and switches.
struct StoryState {
  StoryState();

  // The one game state (large: kept on the heap).
  std::unique_ptr<GameState> statePtr;
  GameState& state;
  DefineTable defines;       // filled by `define`
  DefineTable pictureFlags;  // filled by `def_cg`
  Random random;
  // The command words the interpreter knows; the scene installs the full table.
  std::span<const CommandRow> commands;
  // The game's interpreter (the recollection player makes its own).
  std::unique_ptr<ScriptContext> script;
  EngineSwitches switches;
  InputState input;

  bool debugMode = false;
  bool makePlaceholderPictures = false;
  bool autoSaveChecked = false;  // debug menu: save the last four messages
  AutoChoice autoChoice = AutoChoice::None;
};

class Runtime {
 public:
  static constexpr int kChannelCount = 5;

  Runtime(Platform& platform, Reporter& reporter, std::string gameDir = ".");
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  Platform& platform;
  Reporter& reporter;
  MediaServices media;
  ScenePart scene;
  StoryState story;

  ShellHooks* shell;  // never null; the application replaces the default
  // Requests raised by menus and dialogs, consumed by the waits and the frame loop.
  PlayerRequests& requests() { return shell->requests(); }

  // The subsystems behind seams; each is a null object until one is installed.
  ScenePort& scenePort() { return *scenePort_; }
  SoundService& sound() { return *sound_; }
  SaveService& saves() { return *saves_; }
  BacklogService& backlog() { return *backlog_; }
  SystemScreens& screens() { return *screens_; }
  DialogService& dialogs() { return *dialogs_; }
  MediaControl& mediaControl() { return *mediaControl_; }
  void installScenePort(std::unique_ptr<ScenePort> port);
  void installSound(std::unique_ptr<SoundService> sound);
  void installSaves(std::unique_ptr<SaveService> saves);
  void installBacklog(std::unique_ptr<BacklogService> backlog);
  void installScreens(std::unique_ptr<SystemScreens> screens);
  // The dialogs belong to the window that shows them: the runtime does not own them.
  void setDialogs(DialogService* dialogs) { dialogs_ = dialogs ? dialogs : &nullDialogs_; }
  void installMediaControl(std::unique_ptr<MediaControl> control);

  // Composes the back buffer from the layer slots, shaded as the game state (or the
  // given recorded one) says; false when the frame was never made.
  bool composeBackBuffer();
  bool composeBackBuffer(const GameState& shadeFrom);
  // The composed frame with its shake and zoom, as the window shows it.
  PresentRequest frameRequest();

 private:
  ShellHooks defaultShell_;
  NullDialogService nullDialogs_;
  std::unique_ptr<ScenePort> scenePort_;
  std::unique_ptr<SoundService> sound_;
  std::unique_ptr<SaveService> saves_;
  std::unique_ptr<BacklogService> backlog_;
  std::unique_ptr<SystemScreens> screens_;
  DialogService* dialogs_ = &nullDialogs_;
  std::unique_ptr<MediaControl> mediaControl_;
};

}  // namespace ml
