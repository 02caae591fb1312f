// Commands whose behaviour is still to be built. Each one already consumes its word and
// reads exactly the arguments it takes, so that the rest of the line is read right;
// otherwise it does nothing yet. A family moves out of this file when it is built.
#include <string>

#include "engine/command_handlers.h"
#include "engine/command_table.h"
#include "engine/script_context.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts, choice texts and date formats

std::uint8_t readArguments(ScriptContext& sc, int count) {
  sc.skipWord();
  for (int i = 0; i < count; ++i) sc.readArgument();
  return 1;
}

}  // namespace

// --- Picture layers ---
// bg name transition
std::uint8_t cmdBg(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// bg1* background; bg2* background sprite; bg3* background sprite sprite;
// bg4_fi background sprite sprite sprite
std::uint8_t cmdBgWithSprites(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, 1 + row.a);
}
// ev name transition
std::uint8_t cmdEv(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// ev1* name
std::uint8_t cmdEv1(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// sp, spl, spr number name transition
std::uint8_t cmdSp(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// sp1* name; sp2* name name; sp3* name name name
std::uint8_t cmdSprites(ScriptContext& sc, const CommandRow& row) { return readArguments(sc, row.a); }
// sp_loop number mode
std::uint8_t cmdSpLoop(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// sp_wait number
std::uint8_t cmdSpWait(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// set_hsv hue saturation value
std::uint8_t cmdSetHsv(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// set_rgb, set_rgb2, set_rgb_ex1..3 red green blue
std::uint8_t cmdSetRgb(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// def_sp_left, def_sp_center, def_sp_right, def_sp_left3, def_sp_right3 x
std::uint8_t cmdDefSpritePosition(ScriptContext& sc, const CommandRow&) {
  return readArguments(sc, 1);
}
// mono slot SET|RESET
std::uint8_t cmdMono(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// posi sceneSlot x y
std::uint8_t cmdPosi(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// mask top bottom
std::uint8_t cmdMask(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// move_yposi number y step
std::uint8_t cmdMoveYPosi(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// move_xyposi sceneSlot x y frames
std::uint8_t cmdMoveXYPosi(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 4); }
// move_xyset sceneSlot x y frames fadeStep alphaStep
std::uint8_t cmdMoveXYSet(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 6); }
// move_xywait number
std::uint8_t cmdMoveXYWait(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// set_all_fade level
std::uint8_t cmdSetAllFade(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// set_fade sceneSlot level
std::uint8_t cmdSetFade(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// set_alpha sceneSlot level; set_alpha2 sceneSlot level step
std::uint8_t cmdSetAlpha(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.a == 0 ? 2 : 3);
}

// --- Transitions and screen effects ---
// sp_fade transition; sp_fade_out, sp_fade_in, sp_fo
std::uint8_t cmdSpriteFade(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.fixedText ? 0 : 1);
}
// fade transition; fade_out, fade_in, fo, fo2, fi, fi2
std::uint8_t cmdFade(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.fixedText ? 0 : 1);
}
// mosaic slot MOSAIC_OUTIN|MOSAIC_OUT|MOSAIC_IN
std::uint8_t cmdMosaic(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// scroll number UP|SCROLL_UP|SCROLL_DOWN
std::uint8_t cmdScroll(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 2); }
// shake SHAKE_1|SHAKE_2; shake2, shake3 count frames amplitudeX amplitudeY
std::uint8_t cmdShake(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.a == 1 ? 1 : 4);
}
// fade_all_out, fade_all_in, fade_all_white_out, fade_all_white_in: the step has
// already consumed the word.
std::uint8_t cmdFadeAll(ScriptContext& sc, const CommandRow&) { return 1; }
// flash red green blue; flash1 t1; flash2 t1 t2 t3; flash3 t1 .. t5
std::uint8_t cmdFlash(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[4] = {3, 1, 3, 5};
  int count = row.a == 0 ? kArguments[0] : kArguments[row.b < 1 || row.b > 3 ? 1 : row.b];
  return readArguments(sc, count);
}
// zoom ZOOM_OUT|ZOOM_IN
std::uint8_t cmdZoom(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// rotate slot angle ROTATE_SET|ROTATE_MOVE
std::uint8_t cmdRotate(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 3); }
// effect transition level mask picture; ef2 mask picture
std::uint8_t cmdEffect(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.a == 0 ? 4 : 2);
}
// bg_effect mode; bg_effect_on, bg_effect_off
std::uint8_t cmdBgEffect(ScriptContext& sc, const CommandRow& row) {
  return readArguments(sc, row.a == 0 ? 1 : 0);
}

// --- Sound ---
// bgm name loopKind start; bgm1, bgm2 name; bgm1_ex, bgm2_ex name start;
// bgm_stop, bgm_fo
std::uint8_t cmdBgm(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[4] = {0, 1, 2, 3};
  return readArguments(sc, kArguments[row.a & 3]);
}
// se name loopKind; se1, se2, se3 name; se_stop, se_fo
std::uint8_t cmdSe(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[3] = {0, 1, 2};
  return readArguments(sc, kArguments[row.a < 0 || row.a > 2 ? 0 : row.a]);
}
// se_wait, vo_wait
std::uint8_t cmdSoundWait(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// vo, vol, vor, vo2 name
std::uint8_t cmdVoice(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }

// --- Choices ---
// window_sel number P1..P10 picture P11 P12
std::uint8_t cmdWindowSel(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 14); }
// def_sel text (up to 1023 bytes)
std::uint8_t cmdDefSel(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument(kLongArgument);
  return 1;
}
// def_selmes, def_selmes2 text (up to 1023 bytes)
std::uint8_t cmdDefSelmes(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument(kLongArgument);
  return 1;
}
// select, select2 windowNumber
std::uint8_t cmdSelect(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// select_center_on, select_center_off
std::uint8_t cmdSelectCenter(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

// --- Saves ---
std::uint8_t cmdFlagUpdate(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// load, save
std::uint8_t cmdLoadSave(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

// --- Movies, MIDI and built-in scenes ---
// movie name
std::uint8_t cmdMovie(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// midi name
std::uint8_t cmdMidi(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
std::uint8_t cmdMenu(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }
// ending word (read, not used)
std::uint8_t cmdEnding(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 1); }
// date_disp, date_disp2 x y format (format up to 1023 bytes)
std::uint8_t cmdDateDisp(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  sc.readArgument();
  sc.readArgument(kLongArgument);
  return 1;
}
std::uint8_t cmdBlueSky(ScriptContext& sc, const CommandRow&) { return readArguments(sc, 0); }

}  // namespace ml
