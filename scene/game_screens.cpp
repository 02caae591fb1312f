#include "scene/game_screens.h"

#include "engine/runtime.h"
#include "scene/backlog_screen.h"
#include "scene/extras.h"
#include "scene/option_screen.h"
#include "scene/save_screen.h"
#include "scene/title_menu.h"

namespace ml {

bool GameScreens::runSaveScreen(ScriptContext& sc, bool loadMode) { return ml::runSaveScreen(rt_, sc, loadMode); }
bool GameScreens::runBacklog(ScriptContext& sc) { return ml::runBacklog(rt_, sc); }
bool GameScreens::runTitleMenu(ScriptContext& sc) { return ml::runTitleMenu(rt_, sc); }
bool GameScreens::runOptionScreen(ScriptContext& sc) { return ml::runOptionScreen(rt_, sc, optionPage_); }
bool GameScreens::runExtras(ScriptContext& sc) {
  return ml::runExtras(rt_, sc, rt_.media.content.extras);
}
void GameScreens::playRecollection(ScriptContext& sc, std::string_view script, int startValue) {
  ml::playRecollection(rt_, sc, script, startValue);
}

}  // namespace ml
