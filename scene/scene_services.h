// The scene as the engine reaches it: page display and wait, snapshots, rebuilding a
// recorded scene, the status line and the message fonts, behind the engine's scene
// port; and the one call that plugs the scene into a runtime.
#pragma once

#include "engine/scene_port.h"

namespace ml {

class Runtime;

class SceneServices final : public ScenePort {
 public:
  explicit SceneServices(Runtime& rt) : rt_(rt) {}
  bool waitPage(ScriptContext& sc, bool skippable) override;
  void composeScene() override;
  void restoreFromState(ScriptContext& sc, const GameState& recorded) override;
  void updateStatusLine() override;
  void resetTextSize() override;
  void applyFontChange() override;

 private:
  Runtime& rt_;
};

// Installs the scene's operations and the full command table into the runtime. The
// application does this at start-up; so does every test that runs scripts.
void installScene(Runtime& rt);

}  // namespace ml
