#include "scene/scene_services.h"

#include "engine/runtime.h"
#include "scene/backlog.h"
#include "scene/command_table.h"
#include "scene/compose_scene.h"
#include "scene/game_saves.h"
#include "scene/game_screens.h"
#include "scene/media_control.h"
#include "scene/message_window.h"
#include "scene/page_display.h"
#include "scene/picture_layers.h"
#include "scene/sound_service.h"

namespace ml {

bool SceneServices::waitPage(ScriptContext& sc, bool skippable) { return ml::waitPage(sc, skippable); }

void SceneServices::composeScene() { ml::composeScene(rt_.scene.layers, *rt_.media.pixels, rt_.story.state); }

void SceneServices::restoreFromState(ScriptContext& sc, const GameState& recorded) {
  restoreSceneLayers(sc, recorded);
}

void SceneServices::updateStatusLine() { updateReadRateLine(rt_); }

void SceneServices::resetTextSize() { ml::resetTextSize(rt_); }

void SceneServices::applyFontChange() { applyMessageFontChange(rt_); }

void installScene(Runtime& rt) {
  rt.installScenePort(std::make_unique<SceneServices>(rt));
  // Silent until the application opens the device, so tests stay deterministic.
  auto sound = std::make_unique<GameSound>(rt);
  SoundDevice* device = &sound->device();
  rt.installSound(std::move(sound));
  rt.installMediaControl(std::make_unique<GameMediaControl>(rt, device));
  rt.installScreens(std::make_unique<GameScreens>(rt));
  rt.installSaves(std::make_unique<GameSaves>(rt));
  rt.installBacklog(std::make_unique<GameBacklog>(rt));
  rt.story.commands = commandTable();
}

}  // namespace ml
