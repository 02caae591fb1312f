// The screens drawn with the game's own pictures, each in its own file; this object
// only hands the engine's requests to them.
#pragma once

#include "engine/services.h"

namespace ml {

class GameScreens final : public SystemScreens {
 public:
  explicit GameScreens(Runtime& rt) : rt_(rt) {}
  bool runSaveScreen(ScriptContext& sc, bool loadMode) override;
  bool runBacklog(ScriptContext& sc) override;
  bool runTitleMenu(ScriptContext& sc) override;
  bool runOptionScreen(ScriptContext& sc) override;
  bool runExtras(ScriptContext& sc) override;
  void playRecollection(ScriptContext& sc, std::string_view script, int startValue) override;

 private:
  Runtime& rt_;
  // The option screen's page, kept for the run.
  int optionPage_ = 0;
};

}  // namespace ml
