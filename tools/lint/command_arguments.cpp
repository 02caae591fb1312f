#include "tools/lint/command_arguments.h"

#include <algorithm>

namespace ml::lint {
namespace {

using K = ArgKind;

constexpr int kLong = 1024;  // prompts, choice texts and date formats

ArgSpec expr() { return {K::Expression}; }
ArgSpec secs() { return {K::Seconds}; }
ArgSpec pic() { return {K::Picture}; }
ArgSpec text(int capacity = 64) { return {K::Text, capacity}; }
ArgSpec words(std::initializer_list<std::string_view> w) { return {K::Keyword, 64, std::vector<std::string_view>(w)}; }
ArgSpec transition() { return {K::Transition}; }

std::vector<ArgSpec> repeat(ArgSpec a, int n) { return std::vector<ArgSpec>(static_cast<std::size_t>(n), a); }

std::vector<ArgSpec> concat(std::initializer_list<std::vector<ArgSpec>> parts) {
  std::vector<ArgSpec> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<CommandArguments> build() {
  const std::vector<ArgSpec> none;
  const ArgSpec loopKind = words({"LOOP", "LOOP_NONE"});
  std::vector<CommandArguments> t = {
      {"minigame", none},
      {"msg2", {text()}},
      {"set_read_mode", {expr()}},
      {"bg", {pic(), transition()}},
      {"bg1", {pic()}},
      {"bg1_fi", {pic()}},
      {"bg1_cf", {pic()}},
      {"bg1_mi", {pic()}},
      {"bg2", repeat(pic(), 2)},
      {"bg2_fi", repeat(pic(), 2)},
      {"bg3", repeat(pic(), 3)},
      {"bg3_fi", repeat(pic(), 3)},
      {"bg4_fi", repeat(pic(), 4)},
      {"ev", {pic(), transition()}},
      {"ev1", {pic()}},
      {"ev1_fi", {pic()}},
      {"ev1_cf", {pic()}},
      {"sp", {expr(), pic(), transition()}},
      {"spl", {expr(), pic(), transition()}},
      {"spr", {expr(), pic(), transition()}},
      {"sp_loop", {expr(), words({"LOOP", "LOOP_NONE", "LOOP_STOP"})}},
      {"sp_wait", {expr()}},
      {"set_hsv", repeat(expr(), 3)},
      {"set_rgb", repeat(expr(), 3)},
      {"set_rgb2", repeat(expr(), 3)},
      {"set_rgb_ex1", repeat(expr(), 3)},
      {"set_rgb_ex2", repeat(expr(), 3)},
      {"set_rgb_ex3", repeat(expr(), 3)},
      {"sp1", {pic()}},
      {"sp1_fi", {pic()}},
      {"sp1_cf", {pic()}},
      {"sp2", repeat(pic(), 2)},
      {"sp2_fi", repeat(pic(), 2)},
      {"sp2_cf", repeat(pic(), 2)},
      {"sp3", repeat(pic(), 3)},
      {"sp3_cf", repeat(pic(), 3)},
      {"sp_fade", {transition()}},
      {"sp_fade_out", none},
      {"sp_fade_in", none},
      {"sp_fo", none},
      {"fade", {transition()}},
      {"fade_out", none},
      {"fade_in", none},
      {"fo", none},
      {"fo2", none},
      {"fi", none},
      {"fi2", none},
      {"mono", {expr(), words({"SET", "RESET"})}},
      {"mosaic", {expr(), words({"MOSAIC_OUTIN", "MOSAIC_OUT", "MOSAIC_IN"})}},
      {"posi", repeat(expr(), 3)},
      {"mask", repeat(expr(), 2)},
      {"move_yposi", repeat(expr(), 3)},
      {"move_xyposi", repeat(expr(), 4)},
      {"move_xyset", repeat(expr(), 6)},
      {"move_xywait", {expr()}},
      {"set_all_fade", {expr()}},
      {"set_fade", repeat(expr(), 2)},
      {"set_alpha", repeat(expr(), 2)},
      {"set_alpha2", repeat(expr(), 3)},
      {"scroll", {expr(), words({"UP", "SCROLL_UP", "SCROLL_DOWN"})}},
      {"shake", {words({"SHAKE_1", "SHAKE_2"})}},
      {"shake2", repeat(expr(), 4)},
      {"shake3", repeat(expr(), 4)},
      {"fade_all_out", none},
      {"fade_all_in", none},
      {"fade_all_white_out", none},
      {"fade_all_white_in", none},
      {"flash", repeat(expr(), 3)},
      {"flash1", {secs()}},
      {"flash2", repeat(secs(), 3)},
      {"flash3", repeat(secs(), 5)},
      {"zoom", {words({"ZOOM_OUT", "ZOOM_IN"})}},
      {"bgm", {{K::Sound}, loopKind, secs()}},
      {"bgm1", {{K::Sound}}},
      {"bgm2", {{K::Sound}}},
      {"bgm_stop", none},
      {"bgm_fo", none},
      {"bgm1_ex", {{K::Sound}, secs()}},
      {"bgm2_ex", {{K::Sound}, secs()}},
      {"se", {{K::Effect}, loopKind}},
      {"se1", {{K::Effect}}},
      {"se2", {{K::Effect}}},
      {"se3", {{K::Effect}}},
      {"se_stop", none},
      {"se_fo", none},
      {"se_wait", none},
      {"vo_wait", none},
      {"vo", {{K::Sound}}},
      {"vol", {{K::Sound}}},
      {"vor", {{K::Sound}}},
      {"vo2", {{K::Sound}}},
      // kind x y a b textX textY columns rows picture pictureX pictureY
      {"window", concat({repeat(expr(), 9), {pic()}, repeat(expr(), 2)})},
      {"ret", none},
      {"ret_noskip", none},
      // number P1..P10 picture P11 P12
      {"window_sel", concat({repeat(expr(), 11), {pic()}, repeat(expr(), 2)})},
      {"def_sel", {text(kLong)}},
      {"def_selmes", {text(kLong)}},
      {"def_selmes2", {text(kLong)}},
      {"select", {expr()}},
      {"select2", {expr()}},
      {"movie", {{K::Movie}}},
      {"midi", {{K::Midi}}},
      {"change", {{K::Script}}},
      {"change_kaisou", {{K::Script}}},
      {"rotate", {expr(), expr(), words({"ROTATE_SET", "ROTATE_MOVE"})}},
      {"name_check", none},
      {"wait", {secs()}},
      {"sleep", {secs()}},
      {"title", none},
      {"window_off", none},
      {"window_on", none},
      {"flag_update", none},
      {"auto_ret_on", none},
      {"auto_ret_off", none},
      {"select_center_on", none},
      {"select_center_off", none},
      {"moji", {expr()}},
      {"define", {text(), text()}},
      {"def_cg", {text(), expr()}},
      {"cls", none},
      {"kaisou_end", none},
      {"menu", none},
      {"map", none},
      {"ending", {{K::Ignored}}},
      {"\\n", none},
      {"\\i", none},
      {"\\k", none},
      {"load", none},
      {"save", none},
      {"goto", {{K::Label}}},
      {"def_indent", {text()}},
      {"def_kinsoku", {text()}},
      {"def_sp_left", {expr()}},
      {"def_sp_center", {expr()}},
      {"def_sp_right", {expr()}},
      {"def_sp_left3", {expr()}},
      {"def_sp_right3", {expr()}},
      {"set_ff", {{K::Ignored}}},
      {"random", {expr()}},
      // transition, level (read and not used), mask picture, new picture
      {"effect", {transition(), {K::Ignored}, pic(), pic()}},
      {"ef2", {pic(), pic()}},
      {"bg_effect_on", none},
      {"bg_effect_off", none},
      {"bg_effect", {expr()}},
      {"date_disp", {expr(), expr(), text(kLong)}},
      {"date_disp2", {expr(), expr(), text(kLong)}},
      {"blue_sky", none},
      {"param_calc", none},
      {"break", none},
      {"macro", {{K::Ignored}}},
  };
  return t;
}

}  // namespace

const std::vector<CommandArguments>& allCommandArguments() {
  static const std::vector<CommandArguments> table = build();
  return table;
}

const CommandArguments* findCommandArguments(std::string_view keyword) {
  for (const CommandArguments& c : allCommandArguments())
    if (c.keyword == keyword) return &c;
  return nullptr;
}

bool isTransitionWord(std::string_view word) {
  // The words the transition engine runs; the others (SHAKE_1, ZOOM_IN ...) belong to
  // their own commands and are refused there.
  static constexpr std::string_view kWords[] = {
      "FADE_SET",  "FADE_NONE", "FADE_OUT",        "FADE_STOP",        "FADE_IN",   "FADE_IN2",
      "MOSAIC_OUT", "MOSAIC_IN", "SCROLL_LEFT_OUT", "SCROLL_RIGHT_OUT", "FADE_CROSS"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

bool transitionKeepsOldPicture(std::string_view word) {
  return word == "FADE_OUT" || word == "SCROLL_LEFT_OUT" || word == "SCROLL_RIGHT_OUT";
}

}  // namespace ml::lint
