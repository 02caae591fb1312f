#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "scene/command_table.h"
#include "engine_fixture.h"
#include "tools/common/midi_writer.h"
#include "tools/common/psd_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::test {
namespace {

using InterpreterTest = EngineTest;

TEST_F(InterpreterTest, EmptyScriptReportsItsEndOnceThenIdles) {
  load("\r\n; only a comment\r\n\r\n");
  EXPECT_EQ(sc().step(), 1);  // the comment
  EXPECT_EQ(sc().step(), 1);  // the end
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "最後まで実行しました");
  std::uint32_t before = platform.ticks();
  EXPECT_EQ(sc().step(), 1);
  EXPECT_EQ(sc().step(), 1);
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(platform.ticks() - before, 200u);  // 100 ms per idle step
  // The report is made once per run of the program, not once per script.
  load("");
  sc().step();
  EXPECT_EQ(messages().size(), 1u);
}

TEST_F(InterpreterTest, UndefinedWordsAreReportedOneByOneOnTheSameLine) {
  load("\r\nfoo bar\r\nF1=1\r\n");
  run();
  auto e = errors();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(u(e[0].message), "未定義のコマンド");
  EXPECT_EQ(e[0].detail, "foo");
  EXPECT_EQ(e[1].detail, "bar");
  EXPECT_EQ(e[0].number, 2);
  EXPECT_EQ(e[1].number, 2);
  EXPECT_EQ(e[0].fileName, "open");  // the record's script name
  EXPECT_EQ(e[0].lineText, "foo bar");
  EXPECT_EQ(e[1].lineText, "bar");
  EXPECT_EQ(state().flags[1], 1);
}

TEST_F(InterpreterTest, KeywordsMatchWholeWordsCaseSensitively) {
  load("Wait 1 waitx 1\r\n");
  run();
  auto e = errors();
  ASSERT_EQ(e.size(), 4u);  // the two words and their arguments
  EXPECT_EQ(e[0].detail, "Wait");
  EXPECT_EQ(e[2].detail, "waitx");
}

TEST_F(InterpreterTest, ClosingBraceConsumesOnlyItself) {
  load("}F1=2\r\n}\r\n");
  run();
  EXPECT_EQ(state().flags[1], 2);
  EXPECT_TRUE(errors().empty());
}

TEST_F(InterpreterTest, BackslashWordsAreSkipped) {
  load("\\n F1=1 \\i \\k\r\n");
  run();
  EXPECT_EQ(state().flags[1], 1);
  EXPECT_TRUE(errors().empty());
}

TEST_F(InterpreterTest, CommentRunsToTheCarriageReturn) {
  load(";comment F1=1\r\nF2=1 ;F3=1\r\n");
  run();
  EXPECT_EQ(state().flags[1], 0);
  EXPECT_EQ(state().flags[2], 1);
  EXPECT_EQ(state().flags[3], 0);
}

TEST_F(InterpreterTest, StrayNulByteDoesNotEndTheScript) {
  writeFile("scr/nul.scr", std::string("N\r\nF1=1\r\n\0\r\nF2=1\r\n", 16));
  ASSERT_TRUE(sc().load("scr\\nul.scr", state(), true));
  run();
  EXPECT_EQ(state().flags[1], 1);
  EXPECT_EQ(state().flags[2], 1);
}

TEST_F(InterpreterTest, DebugCaptionFollowsEveryStep) {
  rt->story.debugMode = true;
  std::strcpy(state().scriptName, "test");
  load("F1=1\r\nF2=2\r\n");
  sc().step();
  EXPECT_EQ(platform.caption(), "test (1) : F1=1");
  sc().step();
  EXPECT_EQ(platform.caption(), "test (2) : F2=2");
}

TEST_F(InterpreterTest, PageTextJoinsSpeakerAndMessage) {
  sc().speakerName = "name";
  std::strcpy(sc().messageText.get(), "text");
  EXPECT_EQ(sc().currentPageText(), "nametext");
}

TEST(CommandTableTest, HasEveryKeywordOnceAndRedrawMarks) {
  auto table = commandTable();
  EXPECT_EQ(table.size(), 150u);
  std::set<std::string> seen;
  for (const CommandRow& row : table) EXPECT_TRUE(seen.insert(row.keyword).second) << row.keyword;
  EXPECT_TRUE(findCommand("fade")->redraw);
  EXPECT_FALSE(findCommand("fade_all_in")->redraw);
  EXPECT_TRUE(findCommand("fade_all_in")->dispatcherAdvances);
  EXPECT_TRUE(findCommand("wait")->redraw);
  EXPECT_TRUE(findCommand("break")->redraw);
  EXPECT_FALSE(findCommand("shake")->redraw);
  EXPECT_EQ(findCommand("macro")->dispatcherAdvances, false);
  EXPECT_EQ(findCommand("fad"), nullptr);
  EXPECT_EQ(findCommand("\\x"), nullptr);
}

// Every command reads exactly its own arguments: a marker assignment after the
// arguments must run, and nothing may be reported.
TEST_F(InterpreterTest, CommandsConsumeExactlyTheirArguments) {
  const char* lines[] = {
      "minigame", "map", "msg2 name", "set_read_mode 0", "bg b FADE_NONE", "bg1 b", "bg1_fi b",
      "bg1_cf b", "bg1_mi b", "bg2 b s", "bg2_fi b s", "bg3 b s t", "bg3_fi b s t",
      "bg4_fi b s t u", "ev e FADE_IN", "ev1 e", "ev1_fi e", "ev1_cf e", "sp 1 s FADE_IN",
      "spl 1 s FADE_IN", "spr 1 s FADE_IN", "sp_loop 1 LOOP", "sp_wait 1", "set_hsv 1 2 3",
      "set_rgb 1 2 3", "set_rgb2 1 2 3", "set_rgb_ex1 1 2 3", "set_rgb_ex2 1 2 3",
      "set_rgb_ex3 1 2 3", "sp1 a", "sp1_fi a", "sp1_cf a", "sp2 a b", "sp2_fi a b",
      "sp2_cf a b", "sp3 a b c", "sp3_cf a b c", "sp_fade FADE_IN", "sp_fade_out",
      "sp_fade_in", "sp_fo", "fade FADE_OUT", "fade_out", "fade_in", "fo", "fo2", "fi", "fi2",
      "mono 10 SET", "mosaic 0 MOSAIC_IN", "posi 1 2 3", "mask 80 560", "move_yposi 1 2 3",
      "move_xyposi 1 2 3 4", "move_xyset 1 2 3 4 5 6", "move_xywait 1", "set_all_fade -10",
      "set_fade 1 2", "set_alpha 1 2", "set_alpha2 1 2 3", "scroll 1 UP", "shake SHAKE_1",
      "shake2 1 2 3 4", "shake3 1 2 3 4", "fade_all_out", "fade_all_in", "fade_all_white_out",
      "fade_all_white_in", "flash 1 2 3", "flash1 1", "flash2 1 2 3", "flash3 1 2 3 4 5",
      "zoom ZOOM_IN", "bgm m LOOP 0", "bgm1 m", "bgm2 m", "bgm_stop", "bgm_fo", "bgm1_ex m 1",
      "bgm2_ex m 1", "se s LOOP", "se1 s", "se2 s", "se3 s", "se_stop", "se_fo", "se_wait",
      "vo_wait", "vo v", "vol v", "vor v", "vo2 v", "window 0 1 2 3 4 5 6 7 8 p 9 10", "ret",
      "ret_noskip", "window_sel 1 1 2 3 4 5 6 7 8 9 10 p 11 12", "def_sel \"a choice\"",
      "def_selmes prompt", "def_selmes2 speaker", "select 1", "select2 1", "movie m", "midi m",
      "rotate 10 90 ROTATE_SET", "name_check", "window_off", "window_on", "flag_update",
      "auto_ret_on", "auto_ret_off", "select_center_on", "select_center_off", "moji 2",
      "define d v", "def_cg e01 1100", "cls", "kaisou_end", "load", "save",
      "def_indent x", "def_kinsoku x", "def_sp_left 1", "def_sp_center 1", "def_sp_right 1",
      "def_sp_left3 1", "def_sp_right3 1", "set_ff 1", "random 5", "effect FADE_IN 255 m p",
      "ef2 m p", "bg_effect_on", "bg_effect_off", "bg_effect 1",
      "date_disp2 1 2 %y", "param_calc", "macro m", "\\n", "\\i", "\\k",
      "wait 0", "sleep 0",
  };
  // The window command loads its frame and picture; the picture commands theirs.
  const std::vector<std::uint8_t> picture =
      tools::writeFlatPsd(tools::RgbaImage(4, 4, 0, 0, 0, 255), tools::PsdCompression::Raw);
  for (const char* name : {"cg/_WindowF.psd", "cg/p.psd", "cg/a.psd", "cg/b.psd", "cg/c.psd", "cg/e.psd",
                           "cg/m.psd", "cg/s.psd", "cg/t.psd", "cg/u.psd"})
    writeFile(name, std::string(picture.begin(), picture.end()));
  // The music and effect commands look for their files too.
  tools::AudioBuffer tone;
  tone.samples.assign(441, 0.25f);
  const std::vector<std::uint8_t> wave = tools::writePcmWave(tone);
  for (const char* name : {"wav/m.wav", "wav/s.wav"}) writeFile(name, std::string(wave.begin(), wave.end()));
  // And midi its tune.
  tools::MidiSong song;
  song.notes.push_back({0, 1, 60, 100, 0});
  const std::vector<std::uint8_t> tune = tools::writeMidi(song);
  writeFile("m.mid", std::string(tune.begin(), tune.end()));
  for (const char* line : lines) {
    reporter.entries.clear();
    state().flags[200] = 0;
    load(std::string(line) + " F200=1\r\n");
    // The save/load screen waits for the player: Escape closes it.
    const bool screen = std::string(line) == "load" || std::string(line) == "save";
    platform.setMessageHook([this, screen](HeadlessPlatform&, InputSink*) {
      if (screen) rt->story.input.press(InputCancel);
    });
    for (int i = 0; i < 2; ++i) sc().step();
    platform.setMessageHook(nullptr);
    EXPECT_EQ(state().flags[200], 1) << line;
    EXPECT_TRUE(errors().empty()) << line << ": " << (errors().empty() ? "" : u(errors()[0].message));
  }
  // The built-in scenes wait for the player; with the program closing they end at once.
  rt->requests().quitRequested = true;
  for (const char* line : {"menu", "ending x", "date_disp 1 2 %y", "blue_sky"}) {
    reporter.entries.clear();
    state().flags[200] = 0;
    load(std::string(line) + " F200=1\r\n");
    for (int i = 0; i < 2; ++i) sc().step();
    EXPECT_EQ(state().flags[200], 1) << line;
    EXPECT_TRUE(errors().empty()) << line << ": " << (errors().empty() ? "" : u(errors()[0].message));
  }
}

}  // namespace
}  // namespace ml::test
