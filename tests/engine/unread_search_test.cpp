// The current-line dialog's search for the first unread voice line, over loose scripts
// and over the script archive, plain and scrambled.
#include "tests/engine/engine_fixture.h"

#include <cstdio>

#include "engine/unread_search.h"
#include "media/formats/script_scramble.h"
#include "tools/common/archive_writer.h"

namespace ml::test {
namespace {

std::string crlf(const std::string& utf8) {
  std::string out;
  for (char c : utf8) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

// Script a: a commented voice command (not counted), a two-byte character whose second
// byte is "v" before "o " (not a command), two voice lines. Script b: one voice line.
const std::string kScriptA = crlf(
    ";vo skip\n"
    "vo a0\n"
    "一行目\n"
    "bg x\n"
    "プo 二行目\n"
    "vo a1\n"
    "三行目\n"
    "; 注釈\n"
    "四行目\n"
    "wait 1\n"
    "五行目\n"
    "六行目\n");
const std::string kScriptB = crlf("bg x\nvo b0\nＢの行\n");

struct Layout {
  const char* name;
  bool archive;
  bool scrambled;
};

class UnreadSearch : public EngineTest, public ::testing::WithParamInterface<Layout> {
 protected:
  // The file's bytes as the game folder holds them.
  static std::string stored(const std::string& utf8, bool scrambled) {
    std::string bytes = std::string(scrambled ? "X" : "N") + utf8ToSjis(utf8);
    if (scrambled) applyScriptKey(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    return bytes;
  }
  void makeGame() {
    const Layout& l = GetParam();
    const std::string a = stored(kScriptA, l.scrambled), b = stored(kScriptB, l.scrambled);
    if (!l.archive) {
      writeFile("scr/b.scr", b);
      writeFile("scr/a.scr", a);
      return;
    }
    ArchiveWriter w;
    std::string error;
    const std::string path = (dir_ / "scr.dat").string();
    ASSERT_TRUE(w.begin(path, 2, true, error)) << error;
    ASSERT_TRUE(w.add("b.scr", std::span(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()), error)) << error;
    ASSERT_TRUE(w.add("a.scr", std::span(reinterpret_cast<const std::uint8_t*>(a.data()), a.size()), error)) << error;
    ASSERT_TRUE(w.finish(error)) << error;
    ASSERT_TRUE(rt->media.scriptArchive.open(path, true));
  }
  // As a page shown in an earlier run leaves it: the flag set, the script known.
  void markRead(const std::string& script, int ordinal) {
    ReadStatusStore& store = rt->media.readStatus;
    store.isRead(script, ordinal, true);
    store.isRead(script, ordinal, true);
  }
  static std::vector<std::string> utf8(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines) out.push_back(sjisToUtf8(l));
    return out;
  }
  // The memo line naming the script and the byte offset of `command` in it.
  static std::string where(const std::string& path, const std::string& script, const std::string& command) {
    const std::size_t at = 1 + utf8ToSjis(script).find(command);
    char text[96];
    std::snprintf(text, sizeof text, "%s 0x%zX (%zu) バイト", path.c_str(), at, at);
    return text;
  }
};

TEST_P(UnreadSearch, FindsTheFirstUnreadVoiceLineInScriptOrder) {
  makeGame();
  using Memo = std::vector<std::string>;
  const Memo a0 = {"ここが未読です", where("scr\\a.scr", kScriptA, "vo a0"), "一行目", "プo 二行目", "三行目"};
  // Counted past the commented command and the character ending in "v".
  const Memo a1 = {"ここが未読です", where("scr\\a.scr", kScriptA, "vo a1"), "三行目", "四行目", "五行目"};
  // Fewer than three text lines left.
  const Memo b0 = {"ここが未読です", where("scr\\b.scr", kScriptB, "vo b0"), "Ｂの行"};
  // Loose files by name; the archive in the order of its index (b was packed first).
  struct Step {
    Memo memo;
    const char* script;
    int ordinal;
  };
  const std::vector<Step> steps =
      GetParam().archive ? std::vector<Step>{{b0, "SCR\\B.SCR", 0}, {a0, "scr\\a.scr", 0}, {a1, "scr\\a.scr", 1}}
                         : std::vector<Step>{{a0, "SCR\\A.SCR", 0}, {a1, "scr\\a.scr", 1}, {b0, "scr\\b.scr", 0}};
  for (const Step& step : steps) {
    EXPECT_EQ(utf8(findFirstUnread(*rt)), step.memo);
    markRead(step.script, step.ordinal);
  }
  EXPECT_EQ(utf8(findFirstUnread(*rt)), Memo{"未読は見つかりませんでした"});
}

TEST_P(UnreadSearch, AsksWithoutChangingTheReadMarks) {
  makeGame();
  findFirstUnread(*rt);
  // Scripts never opened get no entry, and no flag was set by asking.
  EXPECT_EQ(rt->media.readStatus.entryCount(), 0);
  markRead("scr\\a.scr", 0);
  findFirstUnread(*rt);
  EXPECT_TRUE(rt->media.readStatus.wasRead("scr\\a.scr", 0));
  EXPECT_FALSE(rt->media.readStatus.wasRead("scr\\a.scr", 1));
  EXPECT_EQ(rt->media.readStatus.entryCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, UnreadSearch,
                         ::testing::Values(Layout{"loose", false, false}, Layout{"loose_scrambled", false, true},
                                           Layout{"archive", true, false}, Layout{"archive_scrambled", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A loose script wins over the archive: only the loose files are searched then.
TEST_F(EngineTest, UnreadSearchTakesLooseScriptsBeforeTheArchive) {
  writeScript("z", "bg x\nvo z0\n本文\n");
  ArchiveWriter w;
  std::string error;
  const std::string path = (dir_ / "scr.dat").string();
  const std::string a = "N" + utf8ToSjis("vo a0\n本文\n");
  ASSERT_TRUE(w.begin(path, 1, true, error)) << error;
  ASSERT_TRUE(w.add("a.scr", std::span(reinterpret_cast<const std::uint8_t*>(a.data()), a.size()), error)) << error;
  ASSERT_TRUE(w.finish(error)) << error;
  ASSERT_TRUE(rt->media.scriptArchive.open(path, true));
  const std::vector<std::string> memo = findFirstUnread(*rt);
  ASSERT_GE(memo.size(), 2u);
  EXPECT_EQ(sjisToUtf8(memo[1]).substr(0, 10), "scr\\z.scr ");
}

}  // namespace
}  // namespace ml::test
