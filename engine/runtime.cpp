#include "engine/runtime.h"

#include "media/gfx/sprite.h"

namespace ml {

MediaServices::MediaServices(Reporter& reporter, std::string gameDir)
    : folder(gameDir),
      saveFolder(std::move(gameDir)),
      context{reporter, folder, pictureArchive, settings, &textRules},
      pixels(&pixelOpsFromEnvironment()) {
  // Every row, unchecked, until the game's own files are known.
  static const GameContent builtin = builtinGameContent(nullptr);
  content = builtin;
}

ScenePart::ScenePart(const MediaContext& media) : backBuffer(media), layers(media) {}

StoryState::StoryState() : statePtr(std::make_unique<GameState>()), state(*statePtr) {
  state.resetToInitial();
}

Runtime::Runtime(Platform& platform_, Reporter& reporter_, std::string gameDir)
    : platform(platform_),
      reporter(reporter_),
      media(reporter_, std::move(gameDir)),
      scene(media.context),
      shell(&defaultShell_),
      scenePort_(std::make_unique<NullScenePort>()),
      sound_(std::make_unique<NullSoundService>()),
      saves_(std::make_unique<NullSaveService>()),
      backlog_(std::make_unique<NullBacklogService>()),
      screens_(std::make_unique<SystemScreens>()),
      mediaControl_(std::make_unique<NullMediaControl>()) {
  scene.fontName = media.settings.font.name;
  story.script = std::make_unique<ScriptContext>(*this);
}

Runtime::~Runtime() = default;

template <typename T, typename Null>
static void install(std::unique_ptr<T>& slot, std::unique_ptr<T> object) {
  slot = object ? std::move(object) : std::make_unique<Null>();
}

void Runtime::installScenePort(std::unique_ptr<ScenePort> port) { install<ScenePort, NullScenePort>(scenePort_, std::move(port)); }
void Runtime::installSound(std::unique_ptr<SoundService> s) { install<SoundService, NullSoundService>(sound_, std::move(s)); }
void Runtime::installSaves(std::unique_ptr<SaveService> s) { install<SaveService, NullSaveService>(saves_, std::move(s)); }
void Runtime::installBacklog(std::unique_ptr<BacklogService> b) { install<BacklogService, NullBacklogService>(backlog_, std::move(b)); }
void Runtime::installScreens(std::unique_ptr<SystemScreens> s) { install<SystemScreens, SystemScreens>(screens_, std::move(s)); }
void Runtime::installMediaControl(std::unique_ptr<MediaControl> c) {
  install<MediaControl, NullMediaControl>(mediaControl_, std::move(c));
}

bool Runtime::composeBackBuffer() { return composeBackBuffer(story.state); }

bool Runtime::composeBackBuffer(const GameState& shadeFrom) {
  const SceneShade shade =
      SceneShade::fromStateBytes(shadeFrom.flags[2034], shadeFrom.flags[2035], shadeFrom.flags[2036]);
  return scene.backBuffer.compose(scene.layers.all(), *media.pixels, shade);
}

PresentRequest Runtime::frameRequest() { return scene.backBuffer.presentRequest(scene.paintSuppressed); }

}  // namespace ml
