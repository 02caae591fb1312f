// define, def_cg, random, param_calc, set_ff, macro, and the name substitution and
// picture-flag marking the define tables drive.
#include <string>

#include "engine/engine_commands.h"
#include "engine/command_table.h"
#include "engine/expression.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {

void ScriptContext::substituteDefine(std::string& token) const {
  if (token.empty() || !sjis::isLead(static_cast<std::uint8_t>(token[0]))) return;
  if (const std::string* value = rt.story.defines.find(token, true)) token = *value;
}

void ScriptContext::markPictureFlag(std::string_view name) {
  if (!mainGame || name.empty() || (name[0] != 'e' && name[0] != 'E')) return;
  const std::string* value = rt.story.pictureFlags.find(name, false);
  if (value == nullptr) return;
  std::int64_t flag = leadingFlagNumber(*value);
  if (flag >= GameState::kFlagCount) return;  // a number that names no flag
  state->flags[flag] = 1;
  rt.saves().updateSystemSave();
}

namespace {

std::uint8_t addDefinition(ScriptContext& sc, DefineTable& table) {
  sc.skipWord();
  std::string name = sc.readArgument();
  std::string value = sc.readArgument();
  if (!table.add(name, value)) sc.scriptError(SJ("これ以上登録できない"), "");
  return 1;
}

}  // namespace

std::uint8_t cmdDefine(ScriptContext& sc, const CommandRow&) { return addDefinition(sc, sc.rt.story.defines); }

std::uint8_t cmdDefCg(ScriptContext& sc, const CommandRow&) {
  return addDefinition(sc, sc.rt.story.pictureFlags);
}

std::uint8_t cmdRandom(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  std::int32_t n = sc.evaluate(sc.readArgument());
  std::int32_t r = 0;
  if (n != 0) r = static_cast<std::int32_t>(sc.rt.story.random.next31()) % n;
  sc.state->var('R') = r;
  if (sc.rt.story.debugMode) sc.rt.shell->refreshFlagDialog();
  return 1;
}

// Orders the five character parameters F771..F775 by weighted score and stores the
// ids (1..5) of the first and second into F0 and F1.
std::uint8_t cmdParamCalc(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  static constexpr int kDivisors[5] = {30, 28, 30, 32, 16};
  std::int32_t score[5], id[5];
  for (int i = 0; i < 5; ++i) {
    score[i] = sc.state->flags[771 + i] * 1000 / kDivisors[i];
    id[i] = i + 1;
  }
  for (int pass = 0; pass < 5; ++pass) {
    for (int i = 0; i < 4; ++i) {
      if (score[i] < score[i + 1]) {
        std::swap(score[i], score[i + 1]);
        std::swap(id[i], id[i + 1]);
      }
    }
  }
  sc.state->flags[0] = static_cast<std::uint8_t>(id[0]);
  sc.state->flags[1] = static_cast<std::uint8_t>(id[1]);
  return 1;
}

std::uint8_t cmdSetFf(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  return 1;
}

std::uint8_t cmdMacro(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  return 1;
}

std::uint8_t cmdSkipWord(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  return 1;
}

}  // namespace ml
