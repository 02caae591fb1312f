// The long-lived services of one running game, owned in one place and passed by
// reference. A test can build several runtimes side by side.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/define_table.h"
#include "engine/game_state.h"
#include "engine/input_state.h"
#include "engine/random.h"
#include "engine/script_context.h"
#include "engine/shell_hooks.h"
#include "media/io/archive.h"
#include "media/gfx/back_buffer.h"
#include "media/text/font.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/gfx/pixel_ops.h"
#include "media/formats/read_status.h"
#include "media/settings.h"
#include "media/sound/sound_channel.h"
#include "media/gfx/sprite.h"
#include "media/text/text_rules.h"
#include "platform/platform.h"
#include "platform/reporter.h"
#include "scene/message_window_state.h"
#include "scene/scene_state.h"

namespace ml {

// Requests raised by menus and dialogs inside nested waits; the waits and the frame
// loop consume them.
struct WindowState {
  bool quitRequested = false;
  bool titleRequested = false;
  bool menuReturnRequested = false;
  bool fontChanged = false;
  bool mciNotified = false;
  bool paintSuppressed = false;
  bool altEnterUsed = false;
  int mouseX = 0;
  int mouseY = 0;
  std::string fontName;  // Shift-JIS
  int fontStyle = 0;     // 0 normal, 1 bold, 2 italic, 3 bold italic
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
  bool endReportArmed = true;  // "the end of the script" is reported once per run
  int debugTargetLine = 0;
};

class Runtime {
 public:
  static constexpr int kLayerCount = 260;
  static constexpr int kChannelCount = 5;

  Runtime(Platform& platform, Reporter& reporter, std::string gameDir = ".");
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  Platform& platform;
  Reporter& reporter;
  GameFolder folder;
  Settings settings;

  // The one game state (large: kept on the heap).
  std::unique_ptr<GameState> statePtr;
  GameState& state;

  DefineTable defines;       // filled by `define`
  DefineTable pictureFlags;  // filled by `def_cg`
  Random random;

  DataArchive scriptArchive;
  DataArchive pictureArchive;
  DataArchive soundArchive;
  ReadStatusStore readStatus;

  // Handed to surfaces and sprites: reporter, folder, picture archive, settings.
  MediaContext media;

  // The pixel routine set chosen at start-up (SIMD unless MIRELUNE_PORTABLE_PIXELS=1);
  // sprites, the back buffer and transitions all draw through it.
  const PixelOps* pixels;

  // Fonts for text sprites and tools, and the three message fonts made from them.
  FontLibrary fonts;
  MessageFonts messageFonts;
  // Bracket and line-end sets and the player's names, shared by every text sprite.
  TextRules textRules;

  BackBuffer backBuffer;
  std::vector<Sprite> layers;  // kLayerCount slots
  std::array<SoundChannel, kChannelCount> channels;
  SceneState scene;  // tint presets of the picture layers
  MessageWindowState messageWindow;

  InputState input;
  EngineSwitches switches;
  WindowState window;

  bool debugMode = false;
  bool makePlaceholderPictures = false;
  bool autoSaveChecked = false;  // debug menu: save the last four messages
  AutoChoice autoChoice = AutoChoice::None;

  ShellHooks* shell;  // never null; the application replaces the default

  // The game's interpreter (the recollection player makes its own).
  std::unique_ptr<ScriptContext> script;

  // Scene and sound operations the interpreter calls. They do nothing until the layer
  // slots, sprites and sound channels are built (engine/runtime_services.cpp).
  void clearLayer(int slot);
  void clearAllLayers();
  void stopChannel(int channel);
  void stopAllChannels();
  // Streaming and fades of the music, effect and voice channels, once per poll.
  void serviceSoundChannels();
  // Composes the back buffer from the layer slots; false when that fails.
  bool composeBackBuffer();
  // The composed frame with its shake and zoom, as the window shows it.
  PresentRequest frameRequest();
  // Refreshes the scene snapshots after a display command.
  void composeScene();
  // Reloads the scene layers, the music and the looping effect recorded in a state
  // (the end of a fast-forward).
  void restoreSceneFromState(const GameState& recorded);
  // The text size back to its default (a return to the title).
  void resetTextSize();
  // Hands a changed message font to the text slots.
  void applyFontChange();
  // Merges the system flags into the system save.
  void updateSystemSave();

 private:
  ShellHooks defaultShell_;
};

}  // namespace ml
