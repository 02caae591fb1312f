// mirelune-lint on small game folders: a clean one passes, and each planted fault is
// found at its line.
#include <string>

#include "tests/lint/lint_fixture.h"

namespace ml::test {
namespace {

// The pictures the engine loads by itself once a message window is defined.
const char* const kWindowParts[] = {
    "_WindowF.psd", "_Ret.psd",      "_iLog.psd",      "_iPrevSel.psd",   "_iNextSel.psd",   "_iSkip.psd",
    "_iAuto.psd",   "_iOption.psd",  "_WinLog.psd",    "_WinLogF.psd",    "_WinLogNam.psd",  "_WinLogNamF.psd",
    "_lVo.psd",     "_lCont.psd",    "_lPrev.psd",     "_lNext.psd",      "_lTop.psd",       "_lBottom.psd",
    "_Skip.bmp",    "_Return.bmp",   "_MLLoadBack.bmp", "_MLSaveBack.bmp", "_MLSel.psd",     "_MLPrev.psd",
    "_MLNext.psd",  "_MLBigOn.psd",  "_MLBigOff.psd",  "_MLEraseOff.psd", "_MLEraseOn.psd",  "_MLPage.psd",
    "_Op0Ok.psd",   "_Op0Page1.psd", "_Op0Page2.psd",  "_Op1Font.psd",    "_Op1Title.psd",   "_Op1End.psd",
    "_Op1Name.psd", "_Op0Check.psd", "_Op0Slide.psd",  "_Op1Back.bmp",    "_Op2Back.bmp"};

class LintTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    if (!fs::exists(bin_ + "/mirelune-lint")) GTEST_SKIP() << "mirelune-lint is not built";
  }
  void windowParts() const {
    for (const char* p : kWindowParts) file(std::string("cg/") + p);
    file("cg/win.psd");
  }
  static constexpr const char* kWindow = "window 0 0 420 0 0 72 68 28 3 win 0 0\n";
};

TEST_F(LintTest, CleanFolderPassesAndFollowsChangesAndDefines) {
  windowParts();
  file("cg/night.bmp");
  file("cg/face.psd");
  file("cg/_WinNamF.psd");
  file("cg/plate.psd");
  file("wav/music.wav");
  file("wav/effect.wav");
  file("wav/rin001.wav");
  script("open", std::string("; 始まり\n") + kWindow +
                     "window 2 20 376 0 0 16 8 7 1 plate 0 0\n"
                     "define 夜 night\n"
                     "define 効果 effect\n"
                     "define 印 F5\n"
                     "bg1_fi 夜\n"
                     "msg2 凛\n"
                     "vo rin001\n"
                     "「こんばんは。今夜は星がよく見えるね」\n"
                     "ret\n"
                     "[印=0]{\n"
                     "  goto @ahead\n"
                     "}\n"
                     "wait 0.5\n"
                     "; @ahead\n"
                     "印=F1+1\n"
                     "bgm bgm_none LOOP 0\n"
                     "se1 効果\n"
                     "sp 0 face FADE_OUT\n"
                     "change second\n");
  file("wav/bgm_none.wav");
  script("second", "sp1 face\nおしまい。\nret\n");
  RunResult r = lint();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(r.has("2 scripts checked")) << r.out;
  EXPECT_TRUE(r.has("0 problems")) << r.out;
}

TEST_F(LintTest, EachPlantedFaultIsFoundAtItsLine) {
  windowParts();
  const std::string longLine = "; " + std::string(1100, 'x') + "\n";
  script("open", std::string(kWindow) +                      // 1
                     "bgx 1\n"                                // 2
                     "goto @nowhere\n"                        // 3
                     "change missing\n"                       // 4
                     "bg1 nopicture\n"                        // 5
                     "define 夜 nightsky\n"                   // 6
                     "bg1_fi 夜\n"                            // 7
                     "se2 nosound\n"                          // 8
                     "vo novoice\n"                           // 9
                     "F2048=1\n"                              // 10
                     "[F3000=1]{\n"                           // 11
                     "}\n"                                    // 12
                     "wait F2050\n"                           // 13
                     "shake SHAKE_9\n"                        // 14
                     "bg1 " + std::string(70, 'a') + "\n" +   // 15
                     longLine +                               // 16
                     "@label\n"                               // 17
                     "midi nomusic\n"                         // 18
                     "A=B+?\n"                                // 19
                     "[F1=1]{\n"                              // 20
                     "閉じていない\n");                       // 21
  RunResult r = lint();
  EXPECT_EQ(r.status, 1) << r.out;
  auto at = [&](int line, const std::string& text) {
    // "MESSAGE: DETAIL" with the English gloss printed between the two.
    const std::size_t colon = text.find(": ");
    if (colon == std::string::npos) return r.lines({"scr/open.scr:" + std::to_string(line) + ":", text});
    return r.lines({"scr/open.scr:" + std::to_string(line) + ":", text.substr(0, colon), text.substr(colon)});
  };
  EXPECT_EQ(at(2, "未定義のコマンド: bgx"), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:2:"}), 1) << r.out;  // not again for its argument
  EXPECT_EQ(at(3, "ラベルが見つからない: @nowhere"), 1) << r.out;
  EXPECT_EQ(at(4, "ファイルが存在しない: scr\\missing.scr"), 1) << r.out;
  EXPECT_EQ(at(5, "ファイルが存在しない: cg\\nopicture.psd"), 1) << r.out;
  EXPECT_EQ(at(7, "ファイルが存在しない: cg\\nightsky.psd"), 1) << r.out;  // the defined name
  EXPECT_EQ(at(8, "ファイルが存在しない: wav\\nosound.wav"), 1) << r.out;
  EXPECT_EQ(at(9, "ファイルが存在しない: wav\\novoice.wav"), 1) << r.out;
  EXPECT_EQ(at(10, "フラグの範囲を超えている: F2048"), 1) << r.out;
  EXPECT_EQ(at(11, "フラグの範囲を超えている: F3000"), 1) << r.out;
  EXPECT_EQ(at(13, "フラグの範囲を超えている: F2050"), 1) << r.out;
  EXPECT_EQ(at(14, "パラメータが不正: SHAKE_9"), 1) << r.out;
  EXPECT_EQ(at(15, "トークンが長すぎる"), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:15:"}), 1) << r.out;  // neither the cut name nor its rest
  EXPECT_EQ(at(16, "１行が１０２４文字を超えている"), 1) << r.out;
  EXPECT_EQ(at(17, "未定義のコマンド: @label"), 1) << r.out;
  EXPECT_EQ(at(18, "ファイルが存在しない: nomusic.mid"), 1) << r.out;
  EXPECT_EQ(at(19, "パラメータが不正: B+?"), 1) << r.out;
  EXPECT_EQ(at(20, "括弧が閉じていない"), 1) << r.out;
  // Nothing is reported twice, and the missing script is not followed.
  EXPECT_EQ(r.lines({"フラグの範囲を超えている"}), 3) << r.out;
  EXPECT_TRUE(r.has("1 scripts checked")) << r.out;
}

TEST_F(LintTest, BlocksChoicesAndPages) {
  windowParts();
  std::string choices;
  for (int i = 1; i <= 11; ++i) choices += "def_sel 選択肢" + std::to_string(i) + "\n";  // lines 9..19
  script("open", std::string(kWindow) +                                                   // 1
                     "}\n"                                                                // 2 stray
                     "[F1=1]\n"                                                           // 3
                     "ここはブロックではない\n"                                           // 4
                     "[F1 =1]{\n"                                                         // 5
                     "}\n"                                                                // 6
                     "[F1=]{\n"                                                           // 7
                     "}\n" +                                                              // 8
                     choices +                                                            // 9..19
                     "select 1\n"                                                         // 20
                     "auto_ret_off\n"                                                     // 21
                     "一行目の文章。\n二行目の文章。\n三行目の文章。\n四行目の文章。\n"  // 22..25
                     "ret\n"                                                              // 26
                     "[F2=1]{\n"                                                          // 27
                     "  どちらか一方だけが表示される文章で、二行に折り返すくらいの長さがあります。\n"           // 28
                     "}\n"                                                                // 29
                     "[F2=2]{\n"                                                          // 30
                     "  もう一方の文章も、同じように二行に折り返すくらいの長さを持っています。\n"                       // 31
                     "}\n"                                                                // 32
                     "ret\n");                                                            // 33
  RunResult r = lint();
  auto at = [&](int line, const std::string& text) {
    // "MESSAGE: DETAIL" with the English gloss printed between the two.
    const std::size_t colon = text.find(": ");
    if (colon == std::string::npos) return r.lines({"scr/open.scr:" + std::to_string(line) + ":", text});
    return r.lines({"scr/open.scr:" + std::to_string(line) + ":", text.substr(0, colon), text.substr(colon)});
  };
  EXPECT_EQ(at(2, "括弧が閉じていない"), 1) << r.out;
  EXPECT_EQ(at(4, "複文が開始されていない"), 1) << r.out;
  EXPECT_EQ(at(5, "余分なスペースが入っている"), 1) << r.out;
  EXPECT_EQ(at(7, "演算が途中で終わっている"), 1) << r.out;
  EXPECT_EQ(at(19, "選択肢はこれ以上登録できない"), 1) << r.out;
  // Four lines on a three-row window overflow; two alternative blocks do not add up.
  EXPECT_EQ(at(22, "メッセージがあふれました"), 1) << r.out;
  EXPECT_EQ(r.lines({"メッセージがあふれました"}), 1) << r.out;
  EXPECT_EQ(r.status, 1);
}

TEST_F(LintTest, ArchivesOverridesAndLooseFiles) {
  // Packed: the script scrambled, pictures in cg.dat and its override, sounds in wav.dat.
  std::string packed = engineScript("bg1 bg\nev1 ev\nbgm1 music\nbg1 gone\nse2 onlyloose\n");
  std::vector<std::uint8_t> bytes(packed.begin(), packed.end());
  bytes[0] = kScrambledScriptMarker;
  applyScriptKey(bytes);
  archive("scr.dat", {{"open.scr", std::string(bytes.begin(), bytes.end())}}, true);
  archive("cg.dat", {{"bg.bmp", "BM......"}}, true);
  archive("arc2.cg", {{"ev.psd", "8BPS...."}}, true);
  archive("wav.dat", {{"music.wav", "RIFF...."}}, false);
  file("wav/onlyloose.wav");
  RunResult r = lint("--verbose");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:4:", "ファイルが存在しない", ": cg\\gone.psd"}), 1) << r.out;
  EXPECT_EQ(r.lines({"ファイルが存在しない"}), 1) << r.out;
  EXPECT_TRUE(r.has("scr.dat, cg.dat, arc2.cg, wav.dat")) << r.out;

  // A loose script wins over the packed one.
  script("open", "bg1 bg\n");
  r = lint("--verbose");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(r.has("loose file (wins over the copy in scr.dat)")) << r.out;
}

TEST_F(LintTest, UnreachableScriptsAreCheckedAndOnlyNoted) {
  script("open", "wait 1\n");
  script("extra", "wait 2\n");
  RunResult r = lint();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.lines({"scr/extra.scr", "note", ": open から到達できない"}), 1) << r.out;
  EXPECT_TRUE(r.has("2 scripts checked")) << r.out;

  script("extra", "bogus\n");
  r = lint();
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.lines({"scr/extra.scr:1:", "未定義のコマンド", ": bogus"}), 1) << r.out;
}

TEST_F(LintTest, ScriptsNotInTheEngineForm) {
  // Bare LF line ends make an argument run on into the next line.
  writeBytes("scr/open.scr", "Nwait 1\nwait 2\r\n");
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:1:", "改行が LF だけになっている"}), 1) << r.out;
  // A script left in UTF-8.
  writeBytes("scr/open.scr", "Nwait 1\r\nこんにちは\r\n");
  r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:2:", "Shift-JIS ではない"}), 1) << r.out;
  // No start script at all.
  fs::remove(path("scr/open.scr"));
  r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr", "ファイルが存在しない"}), 1) << r.out;
  EXPECT_EQ(r.status, 1);
}

TEST_F(LintTest, FilesTheEngineLoadsByItselfAndLabelsAfterAJump) {
  script("open", "blue_sky\n"            // 1: three strips
                 "goto @next\n"          // 2
                 "@next\n"               // 3: only ever reached by the jump
                 "ending credits\n");    // 4: the ending music
  file("cg/BlueSky2.psd");
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:1:", "cg\\BlueSky1.psd", "blue_sky"}), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:1:", "cg\\BlueSky3.psd"}), 1) << r.out;
  EXPECT_EQ(r.lines({"BlueSky2"}), 0) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:4:", "wav\\bgm13.wav"}), 1) << r.out;
  EXPECT_EQ(r.lines({"@next"}), 0) << r.out;
}

TEST_F(LintTest, ChoicesNeedAChoiceWindowFirst) {
  file("cg/_WinSelS.psd");
  file("cg/bar.psd");
  script("open", "def_sel はい\n"
                 "select2 1\n"                                        // 2: no window yet
                 "window_sel 1 149 0 0 0 0 0 0 0 0 0 bar 0 -6\n"
                 "def_sel はい\n"
                 "select 1\n");
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:2:", "window_sel"}), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:5:"}), 0) << r.out;
}

TEST_F(LintTest, CommandLine) {
  EXPECT_EQ(run("mirelune-lint", "--help").status, 0);
  EXPECT_EQ(run("mirelune-lint", "").status, 2);
  EXPECT_EQ(run("mirelune-lint", dir_ + "/no-such-folder").status, 2);
  EXPECT_EQ(run("mirelune-lint", "--bogus " + dir_).status, 2);
  script("open", "wait 1\nbg1 x\n");
  RunResult r = lint("--usage");
  EXPECT_TRUE(r.has("command words used: 2 / 150")) << r.out;
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

class LintReportTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    if (!fs::exists(bin_ + "/mirelune-lint")) GTEST_SKIP() << "mirelune-lint is not built";
    for (const char* p : kWindowParts) file(std::string("cg/") + p);
    file("cg/win.psd");
  }
  static constexpr const char* kWindow = "window 0 0 420 0 0 72 68 28 3 win 0 0\n";
};

TEST_F(LintReportTest, OneFaultGivesOneReportAtItsLineInBothLanguages) {
  const struct {
    const char* line2;
    const char* message;
    const char* gloss;
  } cases[] = {
      {"wiat 1", "未定義のコマンド", "undefined command"},
      {"bogus 1 2 3", "未定義のコマンド", "undefined command"},
      {"[A<3{\nret\n}", "不正な文字", "invalid character"},
      {"[F1=1\n{\n}", "改行で終わっている", "missing \"]\""},
      {"[F1=1] ret", "複文が開始されていない", "no \"{\""},
      {"[F1=1&]{\n}", "演算が途中で終わっている", "operator"},
      {"F3000=1", "フラグの範囲を超えている", "out of range"},
      {"bg1 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "トークンが長すぎる", "too long"},
      {"F1 = 1\nvo \"\"\n一頁\nret", "未定義のコマンド", "without blanks"},
      {"[F1=1]]{\n}", "複文が開始されていない", "no \"{\""},
      {"bg1\nvo \"\"\n一頁\nret", "引数が足りない", "too few arguments"},
      {"sp 0 face\nvo \"\"\nret", "引数が足りない", "sp takes 3"},
      // A name longer than the plate: its last column only takes hanging punctuation.
      {"window 2 20 376 0 0 16 8 7 1 NULL 0 0 msg2 七文字の名前だ", "メッセージがあふれました", "more lines"},
  };
  for (const auto& c : cases) {
    script("open", std::string(kWindow) + c.line2 + "\n");
    RunResult r = lint();
    EXPECT_EQ(r.status, 1) << c.line2 << "\n" << r.out;
    EXPECT_EQ(r.lines({"scr/open.scr:2: ", c.message, c.gloss}), 1) << c.line2 << "\n" << r.out;
    EXPECT_TRUE(r.has("1 problem\n")) << c.line2 << "\n" << r.out;
  }
}

TEST_F(LintReportTest, AMissingSkinIsOneReport) {
  fs::remove(path("cg/_Ret.psd"));
  fs::remove(path("cg/_iLog.psd"));
  fs::remove(path("cg/_Op2Back.bmp"));
  script("open", kWindow);
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:1: ", "cg\\_Ret.psd", "2", "cg\\_iLog.psd"}), 1) << r.out;
  EXPECT_TRUE(r.has("1 problem\n")) << r.out;
}

TEST_F(LintReportTest, AScriptLeftInUtf8IsToldOnceAndSkipped) {
  std::string text = std::string(kWindow) + "星がきれい\nret\nまだ UTF-8\nret\n";
  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  writeBytes("scr/open.scr", "N" + crlf);
  RunResult r = lint();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.lines({"scr/open.scr:2: ", "Shift-JIS ではない", "UTF-8"}), 1) << r.out;
  EXPECT_TRUE(r.has("1 problem\n")) << r.out;
}

TEST_F(LintReportTest, ScriptsNeverConvertedAreToldOnce) {
  // Only LF line ends: every word runs into the next line's; and eleven choices.
  writeBytes("scr/open.scr", "N" + utf8ToSjis(std::string(kWindow) + "bg1 nothere\nvo \"\"\n一頁\nret\n"));
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:1: ", "改行が LF だけになっている", "CR LF"}), 1) << r.out;
  EXPECT_TRUE(r.has("1 problem\n")) << r.out;
  std::string many = kWindow;
  for (int i = 1; i <= 12; ++i) many += "def_sel a" + std::to_string(i) + "\n";
  script("open", many + "select2 1\n");
  file("cg/_WinSelS.psd");
  r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:12: ", "選択肢はこれ以上登録できない", "ten choices"}), 1) << r.out;
  EXPECT_TRUE(r.has("2 problems\n")) << r.out;  // and select2 without a choice window
}

TEST_F(LintReportTest, PagesThatShareAReadMarkAreAWarning) {
  // Pages 2 and 3 have no voice command of their own; vol is looked up in vain and
  // takes mark 0, as the first vo does; set_read_mode 1 turns marks off.
  script("open", std::string(kWindow) +   // 1
                     "vo \"\"\n"          // 2
                     "一頁目\n"           // 3
                     "二頁目\n"           // 4
                     "三頁目\n"           // 5
                     "vo \"\"\n"          // 6
                     "四頁目\n"           // 7
                     "vol \"\"\n"         // 8
                     "五頁目\n"           // 9
                     "set_read_mode 1\n"  // 10
                     "六頁目\n"           // 11
                     "七頁目\n");         // 12
  file("wav/.wav");
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:4: warning: ", "既読マーク", "read mark", "3 ", "1 "}), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:9: warning: ", "既読マーク", "5 ", "vol"}), 1) << r.out;
  EXPECT_EQ(r.lines({"warning"}), 2 + 1) << r.out;  // and the summary
  EXPECT_TRUE(r.has("0 problems, 2 warnings")) << r.out;
}

TEST_F(LintReportTest, PictureBytesMustBeWhatTheNameSays) {
  writeBytes("cg/room.bmp", "8BPS....");
  writeBytes("cg/face.psd", "BM......");
  script("open", std::string(kWindow) + "bg1 room\nsp1 face\nbg1 room\n");
  RunResult r = lint();
  EXPECT_EQ(r.lines({"scr/open.scr:2: ", "BMP", "cg\\room.bmp", "PSD"}), 1) << r.out;
  EXPECT_EQ(r.lines({"scr/open.scr:3: ", "PSD", "cg\\face.psd", "BMP"}), 1) << r.out;
  EXPECT_TRUE(r.has("2 problems\n")) << r.out;  // the file once, not at every use
}

TEST_F(LintReportTest, JsonForEditors) {
  script("open", std::string(kWindow) + "wiat \"a\\b\"\n");
  RunResult r = lint("--json");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.has("{\"file\": \"scr/open.scr\", \"line\": 2, \"severity\": \"error\", \"message\": \"未定義のコマンド\", "
                    "\"gloss\": \"undefined command\", \"detail\": \"wiat\"}")) << r.out;
  EXPECT_TRUE(r.has("\"problems\": 1")) << r.out;
  EXPECT_FALSE(r.has("mirelune-lint:")) << r.out;
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

TEST_F(LintTest, TheGameDataFileIsCheckedRowByRowInBothLanguages) {
  script("open", "ret\n");
  file("cg/ev1.bmp");
  file("wav/m1.wav");
  file("manual.html");
  writeBytes("scr/gamedata.txt",
             "[game]\ntitle = 浜\n[gallery]\n1 ev1:10\n1 ev1:5000\n1 gone:3\n[music]\n1 m1\n1 m1\n[mosaic]\nbg1\n");
  RunResult r = lint();
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(r.has("scr/gamedata.txt:5: フラグ番号が範囲外です (flag number out of range (0-2047))")) << r.out;
  EXPECT_TRUE(r.has("scr/gamedata.txt:6: ファイルが存在しない (file does not exist): cg\\gone.bmp")) << r.out;
  EXPECT_TRUE(r.has("scr/gamedata.txt:9: 曲番号が重複しています (track given twice)")) << r.out;
  EXPECT_TRUE(r.has("scr/gamedata.txt:11: イベント絵の名前ではありません")) << r.out;
  EXPECT_TRUE(r.has("4 problems, 1 warning")) << r.out;
  EXPECT_TRUE(r.has("scr/gamedata.txt:4: warning: システムセーブに残らないフラグです")) << r.out;

  // A sound file passes; a game without one is told that the demo's content stands in.
  writeBytes("scr/gamedata.txt", "[game]\ntitle = 浜\n[gallery]\n1 ev1:10\n");
  r = lint();
  EXPECT_EQ(r.status, 0) << r.out;
  fs::remove(dir_ + "/scr/gamedata.txt");
  r = lint();
  EXPECT_TRUE(r.has("scr/gamedata.txt: note: ゲームデータのファイルがありません")) << r.out;
}

}  // namespace
}  // namespace ml::test
