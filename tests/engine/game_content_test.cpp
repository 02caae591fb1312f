// The game-data file: every row checked before it is kept, faults named by line, the
// encodings and places the file may come in, and what the program takes from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/engine_fixture.h"
#include "engine/game_archives.h"
#include "engine/game_content.h"
#include "engine/guide_voices.h"
#include "media/formats/script_scramble.h"
#include "tools/common/archive_writer.h"

namespace ml {
namespace {

const std::set<std::string> kFiles = {"cg\\ev1.bmp", "cg\\ev2.bmp", "cg\\bg1.psd",  "cg\\aoi.psd",
                                      "scr\\scene.scr", "wav\\m1.wav", "wav\\m2.wav"};

bool exists(const std::string& p) { return kFiles.count(p) != 0; }

GameContent parse(std::string_view text, std::vector<ContentProblem>& problems) {
  return parseGameContent(text, exists, problems);
}

int galleryEntries(const GameContent& c) {
  int n = 0;
  for (const auto& p : c.extras.gallery) n += static_cast<int>(p.size());
  return n;
}
int scenes(const GameContent& c) {
  int n = 0;
  for (const auto& p : c.extras.recollection) n += static_cast<int>(p.size());
  return n;
}
int tracks(const GameContent& c) {
  int n = 0;
  for (const auto& m : c.extras.music) n += m.empty() ? 0 : 1;
  return n;
}
// How many rows of every table were kept, as one comparable line.
std::string kept(const GameContent& c) {
  int voices = 0;
  for (const auto& v : c.voices) voices += v.prefix.empty() ? 0 : 1;
  return "credits " + std::to_string(c.credits.size()) + " gallery " + std::to_string(galleryEntries(c)) +
         " scenes " + std::to_string(scenes(c)) + " rules " + std::to_string(c.extras.derivedFlags.size()) +
         " tracks " + std::to_string(tracks(c)) + " voices " + std::to_string(voices) + " guides " +
         std::to_string(c.guideVoices.size()) + " tints " + std::to_string(c.tints.size()) + " mosaic " +
         std::to_string(c.mosaicPictures.size());
}

struct RowCase {
  const char* what;
  const char* text;
  const char* kept;
  std::vector<int> faultLines;  // each fault once, at its line
};

class GameContentRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(GameContentRows, FaultyRowsAreNamedByLineAndLeftOut) {
  const RowCase& c = GetParam();
  std::vector<ContentProblem> problems;
  const GameContent content = parse(c.text, problems);
  EXPECT_EQ(kept(content), c.kept) << c.what;
  std::vector<int> lines;
  for (const ContentProblem& p : problems) {
    if (p.warning) continue;
    lines.push_back(p.line);
    EXPECT_FALSE(p.message.empty());
    EXPECT_FALSE(p.gloss.empty());
  }
  EXPECT_EQ(lines, c.faultLines) << c.what;
  // Whatever was kept can be used as an index without a check.
  for (const auto& page : content.extras.gallery)
    for (const auto& e : page)
      for (const auto& pic : e.pictures) EXPECT_TRUE(pic.flag >= 0 && pic.flag < 2048);
}

const std::string kLongName(70, 'x');
const std::string kLongRows = "[gallery]\n1 " + kLongName + ":1\n[recollection]\n1 1 " + kLongName + " 0\n";

INSTANTIATE_TEST_SUITE_P(
    GameContent, GameContentRows,
    ::testing::Values(
        RowCase{"sound rows of every table",
                "# a comment\n[credits]\n-1 aoi 100 250 3 A\\nB\n0 - 450 250 2 -\n[gallery]\n1 ev1:10 ev2:11\n"
                "[recollection]\n1 5 scene 2\n[derived_flags]\n3 1 2\n[music]\n3 m1\n[voices]\naoi Aoi\n"
                "[guide_voices]\ngv_a Guide A\n[tints]\nbg1 2\n[mosaic]\nev1\n",
                "credits 2 gallery 1 scenes 1 rules 1 tracks 1 voices 1 guides 1 tints 1 mosaic 1", {}},
        RowCase{"flags outside 0-2047",
                "[gallery]\n1 ev1:2048\n[recollection]\n1 -1 scene 0\n[derived_flags]\n4000 1 2\n",
                "credits 0 gallery 0 scenes 0 rules 0 tracks 0 voices 0 guides 0 tints 0 mosaic 0", {2, 4, 6}},
        RowCase{"files the game lacks",
                "[gallery]\n1 ev1:1 nope:2\n[recollection]\n1 1 gone 0\n[music]\n1 m9\n[credits]\n-1 nobody 0 0 1 x\n"
                "[tints]\nbg9 0\n",
                "credits 0 gallery 0 scenes 0 rules 0 tracks 0 voices 0 guides 0 tints 0 mosaic 0", {2, 4, 6, 8, 10}},
        RowCase{"over-long names", kLongRows.c_str(),
                "credits 0 gallery 0 scenes 0 rules 0 tracks 0 voices 0 guides 0 tints 0 mosaic 0", {2, 4}},
        RowCase{"pages, tracks and values outside their tables",
                "[gallery]\n7 ev1:1\n0 ev1:1\n[recollection]\n3 1 scene 0\n[music]\n0 m1\n15 m1\n1 m1\n1 m2\n"
                "[tints]\nbg1 3\n[credits]\n-2 - 0 0 1 x\n-1 - 900 0 1 x\n-1 - 0 0 0 x\n",
                "credits 0 gallery 0 scenes 0 rules 0 tracks 1 voices 0 guides 0 tints 0 mosaic 0",
                {2, 3, 5, 7, 8, 10, 12, 14, 15, 16}},
        RowCase{"malformed rows and headings, each said once",
                "stray\n[nonsense]\nrow 1\nrow 2\n[gallery]\n1\n1 ev1\n1 ev1:x\n[music]\n1\n[game]\nno equals\n"
                "colour = red\n[derived_flags]\n1 2\n[voices]\nao Aoi\naoi\n[mosaic]\nbg1\n[credits\n",
                "credits 0 gallery 0 scenes 0 rules 0 tracks 0 voices 0 guides 0 tints 0 mosaic 0",
                {1, 2, 6, 7, 8, 10, 12, 13, 15, 17, 18, 20, 21}},
        RowCase{"credits text that does not fit the cover",
                "[credits]\n-1 - 0 0 1 12345678901234567890123456\n-1 - 0 0 1 123456789012345678901234567\n"
                "-1 - 0 0 1 a\\nb\\nc\\nd\n-1 - 0 0 1 a\\nb\\nc\\nd\\ne\n",
                "credits 2 gallery 0 scenes 0 rules 0 tracks 0 voices 0 guides 0 tints 0 mosaic 0", {3, 5}}));

TEST(GameContent, FullTablesRefuseTheRowsBeyondThem) {
  std::string text = "[gallery]\n";
  for (int i = 0; i < 22; ++i) text += "2 ev1:" + std::to_string(i) + "\n";
  text += "[derived_flags]\n";
  for (int i = 0; i < 9; ++i) text += "1 2 3\n";
  text += "[voices]\n";
  for (int i = 0; i < 11; ++i) text += "abc N\n";
  std::vector<ContentProblem> problems;
  const GameContent c = parse(text, problems);
  EXPECT_EQ(c.extras.gallery[1].size(), 20u);
  EXPECT_EQ(c.extras.derivedFlags.size(), 7u);
  EXPECT_EQ(std::count_if(problems.begin(), problems.end(), [](const ContentProblem& p) { return !p.warning; }), 5);
}

TEST(GameContent, GalleryFlagsTheSystemSaveDoesNotKeepAreWarnedOfAndKept) {
  std::vector<ContentProblem> problems;
  const GameContent c =
      parse("[gallery]\n1 ev1:1024 ev2:2022\n1 ev1:1023\n[recollection]\n1 2023 scene 0\n", problems);
  EXPECT_EQ(galleryEntries(c), 2);
  EXPECT_EQ(scenes(c), 1);
  std::vector<int> lines;
  for (const ContentProblem& p : problems) {
    EXPECT_TRUE(p.warning);
    lines.push_back(p.line);
  }
  EXPECT_EQ(lines, (std::vector<int>{3, 5}));
}

TEST(GameContent, TheGameSectionAndItsDefaults) {
  std::vector<ContentProblem> problems;
  GameContent c = parse("[game]\ntitle = 星の浜\nnotice = (C) Us\ntitle_music = m1\nending_music = -\n"
                        "homepage = https://example.org/\n",
                        problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(c.title, SJ("星の浜"));
  EXPECT_EQ(c.notices, std::vector<std::string>{"(C) Us"});
  EXPECT_EQ(c.titleMusic, "wav\\m1.wav");
  EXPECT_EQ(c.endingMusic, "");
  EXPECT_EQ(c.homePage, "https://example.org/");
  // What the file leaves out: the program's own texts, no title music, empty tables.
  c = parse("[game]\n", problems);
  EXPECT_EQ(c.version, SJ("ver 2.40"));
  EXPECT_EQ(c.title, SJ("Mirelune 体験版"));
  EXPECT_EQ(c.titleMusic, "");
  EXPECT_EQ(c.endingMusic, "wav\\bgm13.wav");
  EXPECT_EQ(c.notices.size(), 2u);
  EXPECT_TRUE(c.credits.empty());
}

TEST(GameContent, EncodingsAndEscapes) {
  std::vector<ContentProblem> problems;
  // UTF-8 with a byte-order mark; a Shift-JIS file; a backslash inside a two-byte
  // character is not an escape.
  GameContent c = parse("\xEF\xBB\xBF[voices]\naoi 葵\n", problems);
  EXPECT_EQ(c.voices[0].displayName, SJ("葵"));
  c = parse(utf8ToSjis("[voices]\naoi 表示\n[credits]\n-1 - 0 0 1 表\\n示\n"), problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(c.voices[0].displayName, SJ("表示"));
  EXPECT_EQ(c.credits.at(0).text, SJ("表") + "\n" + SJ("示"));
  // A character Shift-JIS has no form for is named at its line.
  c = parse("[voices]\naoi 😀\nrin 凛\n", problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 2);
  EXPECT_EQ(c.voices[0].prefix, "rin");
}

TEST(GameContent, TheBuiltInContentIsTheDemosAndSound) {
  std::vector<ContentProblem> problems;
  const GameContent c = parseGameContent(builtinGameContentText(), nullptr, problems);
  EXPECT_TRUE(problems.empty()) << problems.front().line;
  EXPECT_EQ(c.credits.size(), 20u);
  EXPECT_FALSE(c.extras.gallery[0].empty());
  EXPECT_EQ(c.guideVoices.size(), 6u);
  EXPECT_EQ(c.titleMusic, "wav\\bgm12.wav");
  // A game lacking the demo's files keeps none of its rows that name them.
  const GameContent bare = builtinGameContent([](const std::string&) { return false; });
  EXPECT_EQ(galleryEntries(bare), 0);
  EXPECT_EQ(bare.titleMusic, "");
  EXPECT_EQ(bare.guideVoices.size(), 6u);
}

class GameContentFile : public test::EngineTest {
 protected:
  void packScripts(const std::vector<std::pair<std::string, std::string>>& entries) {
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.begin((dir_ / "scr.dat").string(), entries.size(), true, error)) << error;
    for (const auto& [name, bytes] : entries)
      ASSERT_TRUE(w.add(name, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, error)) << error;
    ASSERT_TRUE(w.finish(error)) << error;
  }
};

TEST_F(GameContentFile, ALooseFileWinsAndItsFaultsAreReportedWithFileAndLine) {
  writeFile("cg/ev1.bmp", "BM");
  packScripts({{"gamedata.txt", "[game]\ntitle = packed\n"}});
  std::string rows = "[game]\ntitle = loose\n[gallery]\n";
  for (int i = 0; i < 8; ++i) rows += "1 ev1:" + std::to_string(3000 + i) + "\n";
  writeFile("scr/gamedata.txt", rows);
  ASSERT_EQ(openGameArchives(*rt, {}, false), ArchiveStartup::Continue);
  loadGameContent(*rt);
  EXPECT_EQ(rt->media.content.title, "loose");
  // Five faults are shown, then how many more there are.
  ASSERT_EQ(reporter.entries.size(), 6u);
  EXPECT_EQ(reporter.entries[0].fileName, "scr\\gamedata.txt");
  EXPECT_EQ(reporter.entries[0].number, 4);
  EXPECT_EQ(reporter.entries[4].number, 8);
  EXPECT_NE(sjisToUtf8(reporter.entries[5].message).find("3"), std::string::npos);
}

TEST_F(GameContentFile, AScrambledFileInTheArchiveDrivesWhatThePlayerSees) {
  writeFile("wav/gv_x_01.wav", "RIFF");
  std::string file = "X" + utf8ToSjis("[guide_voices]\ngv_x 案内\n[tints]\n[game]\ntitle = 箱\n");
  applyScriptKey({reinterpret_cast<std::uint8_t*>(file.data()), file.size()});
  packScripts({{"gamedata.txt", file}});
  ASSERT_EQ(openGameArchives(*rt, {}, false), ArchiveStartup::Continue);
  loadGameContent(*rt);
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_EQ(rt->media.content.title, SJ("箱"));
  EXPECT_EQ(guideVoicePath(rt->media.content, 0, 1), "wav\\gv_x_01.wav");
  EXPECT_EQ(guideVoiceRowName(rt->media.content, 1), "");
  EXPECT_EQ(backgroundTintPreset(rt->media.content, "bg01a"), -1) << "the demo's rows are gone";
}

TEST_F(GameContentFile, AnEmptyFileIsAGameWithNoTables) {
  writeFile("cg/ev01a.bmp", "BM");
  writeFile("cg/ev01b.bmp", "BM");
  writeFile("scr/gamedata.txt", "");
  loadGameContent(*rt);
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_EQ(galleryEntries(rt->media.content), 0);
  EXPECT_TRUE(rt->media.content.credits.empty());
}

TEST_F(GameContentFile, WithoutAFileTheBuiltInRowsNamingMissingFilesGoQuietly) {
  writeFile("cg/ev01a.bmp", "BM");
  writeFile("cg/ev01b.bmp", "BM");
  loadGameContent(*rt);
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_EQ(galleryEntries(rt->media.content), 1);
  EXPECT_EQ(rt->media.content.title, SJ("Mirelune 体験版"));
}

}  // namespace
}  // namespace ml
