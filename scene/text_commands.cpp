// The message window and text commands: window, msg2, ret, ret_noskip, window_off,
// window_on, moji, def_indent, def_kinsoku.
#include <string>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "scene/page_display.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"
#include "scene/message_window.h"

namespace ml {

// window kind x y a b textX textY columns rows picture pictureX pictureY
std::uint8_t cmdWindow(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::int32_t kind = sc.evaluate(sc.readArgument());
  WindowGeometry g;
  g.x = sc.evaluate(sc.readArgument());
  g.y = sc.evaluate(sc.readArgument());
  g.a = sc.evaluate(sc.readArgument());
  g.b = sc.evaluate(sc.readArgument());
  g.textX = sc.evaluate(sc.readArgument());
  g.textY = sc.evaluate(sc.readArgument());
  g.columns = sc.evaluate(sc.readArgument());
  g.rows = sc.evaluate(sc.readArgument());
  const std::string picture = sc.readArgument();
  g.pictureX = sc.evaluate(sc.readArgument());
  g.pictureY = sc.evaluate(sc.readArgument());
  if (kind == 0)
    defineMessageWindow(sc, g, picture);
  else if (kind == 2)
    defineNamePlate(sc, g, picture);
  else
    sc.scriptError(SJ("現在サポートされていないウィンドウＮｏ．"), std::to_string(kind));
  return 1;
}

// msg2 name
std::uint8_t cmdMsg2(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  setSpeakerName(sc, sc.readArgument());
  return 1;
}

// ret, ret_noskip: the page ends here unless every text line ends its own page.
std::uint8_t cmdRet(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  if (sc.state->autoReturnOff() == 0) return 1;
  return waitPage(sc, row.a != 0) ? 1 : 0;
}

std::uint8_t cmdWindowOff(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  windowOff(sc);
  return 1;
}

std::uint8_t cmdWindowOn(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  windowOn(sc);
  return 1;
}

// moji sizeCode
std::uint8_t cmdMoji(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  setTextSizeCode(sc, sc.evaluate(sc.readArgument()));
  return 1;
}

// def_indent characters
std::uint8_t cmdDefIndent(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.rt.media.textRules.setOpeningBrackets(sc.readArgument());
  return 1;
}

// def_kinsoku characters
std::uint8_t cmdDefKinsoku(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.rt.media.textRules.setLineEnd(sc.readArgument());
  return 1;
}

}  // namespace ml
