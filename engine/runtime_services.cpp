// The scene and sound operations the interpreter relies on, forwarded to the layers
// that own them. The sound channels and the system save do nothing until they exist.
#include "engine/runtime.h"
#include "scene/compose_scene.h"
#include "scene/message_window.h"
#include "scene/picture_layers.h"

namespace ml {

void Runtime::clearLayer(int slot) {
  if (slot >= 0 && slot < kLayerCount) layers[static_cast<std::size_t>(slot)].release();
}

void Runtime::clearAllLayers() {
  for (int i = 0; i < kLayerCount; ++i) clearLayer(i);
}

void Runtime::stopChannel(int channel) {}

void Runtime::stopAllChannels() {
  for (int i = 0; i < kChannelCount; ++i) stopChannel(i);
}

void Runtime::serviceSoundChannels() {}

bool Runtime::composeBackBuffer() { return composeFrame(*this); }

PresentRequest Runtime::frameRequest() { return backBuffer.presentRequest(window.paintSuppressed); }

void Runtime::composeScene() { ml::composeScene(*this); }

void Runtime::restoreSceneFromState(const GameState& recorded) { restoreSceneLayers(*script, recorded); }

void Runtime::resetTextSize() { ml::resetTextSize(*this); }

void Runtime::applyFontChange() { applyMessageFontChange(*this); }

void Runtime::updateSystemSave() {}

}  // namespace ml
