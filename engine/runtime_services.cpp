// First forms of the scene and sound operations the interpreter relies on. Each one is
// filled in by the work that builds its layer (sprites, back buffer, sound channels,
// saves); until then they leave everything as it is.
#include "engine/runtime.h"
#include "scene/message_window.h"

namespace ml {

void Runtime::clearLayer(int slot) {}

void Runtime::clearAllLayers() {
  for (int i = 0; i < kLayerCount; ++i) clearLayer(i);
}

void Runtime::stopChannel(int channel) {}

void Runtime::stopAllChannels() {
  for (int i = 0; i < kChannelCount; ++i) stopChannel(i);
}

void Runtime::serviceSoundChannels() {}

bool Runtime::composeBackBuffer() { return true; }

PresentRequest Runtime::frameRequest() { return PresentRequest{}; }

void Runtime::composeScene() {}

void Runtime::restoreSceneFromState(const GameState& recorded) { composeScene(); }

void Runtime::resetTextSize() { ml::resetTextSize(*this); }

void Runtime::applyFontChange() { applyMessageFontChange(*this); }

void Runtime::updateSystemSave() {}

}  // namespace ml
