// The screens drawn with the game's own pictures, each in its own file; this object
// only hands the engine's requests to them.
#pragma once

#include <memory>

#include "engine/services.h"
#include "scene/extras_tables.h"

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
  // The extras tables, checked (and their faults reported) once per run.
  std::unique_ptr<ExtrasTables> extras_;
  // The option screen's page, kept for the run.
  int optionPage_ = 0;
};

}  // namespace ml
