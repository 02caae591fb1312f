#include "engine/runtime.h"

namespace ml {

Runtime::Runtime(Platform& platform_, Reporter& reporter_, std::string gameDir)
    : platform(platform_),
      reporter(reporter_),
      folder(std::move(gameDir)),
      statePtr(std::make_unique<GameState>()),
      state(*statePtr),
      media{reporter_, folder, pictureArchive, settings, &textRules},
      pixels(&pixelOpsFromEnvironment()),
      backBuffer(media),
      shell(&defaultShell_) {
  // Every sprite knows the media services and its own slot.
  layers.reserve(kLayerCount);
  for (int i = 0; i < kLayerCount; ++i) layers.emplace_back(media, i);
  state.resetToInitial();
  window.fontName = settings.font.name;
  script = std::make_unique<ScriptContext>(*this);
}

Runtime::~Runtime() = default;

}  // namespace ml
