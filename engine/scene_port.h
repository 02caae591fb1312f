// What the script engine needs from the scene above it: showing and waiting for a page,
// the snapshots after a display command, rebuilding a recorded
// scene, the debug status line and the message fonts. The scene installs its
// implementation at start-up; the null one draws nothing, so the interpreter also runs
// without a scene (tests of the engine alone).
#pragma once

namespace ml {

class ScriptContext;
struct GameState;

class ScenePort {
 public:
  virtual ~ScenePort() = default;
  // The end of a page: display it and wait for the player. False when a menu asked to
  // leave the running scene.
  virtual bool waitPage(ScriptContext& sc, bool skippable) = 0;
  // Refreshes the scene snapshots after a display command.
  virtual void composeScene() = 0;
  // Rebuilds the scene layers recorded in a state (the end of a fast-forward).
  virtual void restoreFromState(ScriptContext& sc, const GameState& recorded) = 0;
  // The debug read-rate line, drawn before each presented frame in debug mode.
  virtual void updateStatusLine() = 0;
  // The text size back to its default (a return to the title).
  virtual void resetTextSize() = 0;
  // Hands a changed message font to the text slots.
  virtual void applyFontChange() = 0;
};

class NullScenePort final : public ScenePort {
 public:
  bool waitPage(ScriptContext&, bool) override { return true; }
  void composeScene() override {}
  void restoreFromState(ScriptContext&, const GameState&) override {}
  void updateStatusLine() override {}
  void resetTextSize() override {}
  void applyFontChange() override {}
};

}  // namespace ml
