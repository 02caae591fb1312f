// mirelune-convert script: UTF-8 sources become what the engine reads.
#include <string>
#include <vector>

#include "tests/lint/lint_fixture.h"

namespace ml::test {
namespace {

class ConvertScriptTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    if (!fs::exists(bin_ + "/mirelune-convert")) GTEST_SKIP() << "mirelune-convert is not built";
  }
  std::string read(const std::string& rel) const {
    std::vector<std::uint8_t> bytes;
    readWholeFile(path(rel), bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  RunResult convert(const std::string& in, const std::string& extra = "") const {
    return run("mirelune-convert", "script " + path(in) + " " + path("out.scr") + " " + extra);
  }
};

TEST_F(ConvertScriptTest, ShiftJisWithCrLfAndTheMarker) {
  // Any line ends in, CR LF out; a byte-order mark is dropped; the last line keeps
  // having no line end when it had none.
  writeBytes("in.scr", "\xEF\xBB\xBF" "bg1 bg01\n「星が、きれい」\r\nret\rwait 1");
  RunResult r = convert("in.scr");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(read("out.scr"), "N" + utf8ToSjis("bg1 bg01\r\n「星が、きれい」\r\nret\r\nwait 1"));
}

TEST_F(ConvertScriptTest, ScrambledScriptsUnscrambleToThePlainOne) {
  writeBytes("in.scr", "msg2 凛\n「また来年も」\nret\n");
  ASSERT_EQ(convert("in.scr").status, 0);
  std::string plain = read("out.scr");
  ASSERT_EQ(convert("in.scr", "--scramble").status, 0);
  std::string scrambled = read("out.scr");
  ASSERT_EQ(scrambled.size(), plain.size());
  EXPECT_EQ(scrambled[0], 'X');
  EXPECT_NE(scrambled.substr(1), plain.substr(1));
  std::vector<std::uint8_t> bytes(scrambled.begin(), scrambled.end());
  EXPECT_TRUE(unscrambleScript(bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), plain);
}

TEST_F(ConvertScriptTest, RefusesWhatShiftJisCannotHold) {
  // An emoji has no Shift-JIS form; the line is named and nothing is written.
  writeBytes("in.scr", "wait 1\n星🌠\n");
  RunResult r = convert("in.scr");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.has(":2:")) << r.out;
  EXPECT_FALSE(fs::exists(path("out.scr")));
  // Bytes that are not UTF-8 at all (a file already in Shift-JIS).
  writeBytes("in.scr", "wait 1\n" + utf8ToSjis("星") + "\n");
  r = convert("in.scr");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.has("not UTF-8")) << r.out;
  EXPECT_EQ(run("mirelune-convert", "script " + path("in.scr")).status, 1);
  EXPECT_EQ(run("mirelune-convert", "script " + path("missing.scr") + " " + path("o.scr")).status, 1);
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

class ConvertTypedFormsTest : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    if (!fs::exists(bin_ + "/mirelune-convert")) GTEST_SKIP() << "mirelune-convert is not built";
  }
};

TEST_F(ConvertTypedFormsTest, InputMethodFormsBecomeTheirShiftJisCodes) {
  // What Linux and macOS input methods type, beside the forms Windows text holds; both
  // give the same Shift-JIS code.
  const struct {
    const char* typed;
    const char* windows;
    const char* sjis;
  } cases[] = {
      {"〜", "～", "\x81\x60"}, {"‖", "∥", "\x81\x61"}, {"—", "―", "\x81\x5C"}, {"−", "－", "\x81\x7C"},
      {"¢", "￠", "\x81\x91"},  {"£", "￡", "\x81\x92"}, {"¬", "￢", "\x81\xCA"},
      {"‾", "￣", "\x81\x50"},
  };
  for (const auto& c : cases) {
    writeBytes("in.scr", std::string("a") + c.typed + c.windows + "\n");
    RunResult r = run("mirelune-convert", "script " + path("in.scr") + " " + path("out.scr"));
    ASSERT_EQ(r.status, 0) << c.typed << ": " << r.out;
    std::vector<std::uint8_t> bytes;
    readWholeFile(path("out.scr"), bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("Na") + c.sjis + c.sjis + "\r\n") << c.typed;
  }
}

TEST_F(ConvertTypedFormsTest, EveryBadCharacterIsListedWithItsColumnInCharacters) {
  writeBytes("in.scr", "wait 1\n星🌠と〜と✨\nok\n「😀」\n");
  RunResult r = run("mirelune-convert", "script " + path("in.scr") + " " + path("out.scr"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.lines({"in.scr:2:2:", "U+1F320"}), 1) << r.out;
  EXPECT_EQ(r.lines({"in.scr:2:6:", "U+2728"}), 1) << r.out;  // after 〜, which converts
  EXPECT_EQ(r.lines({"in.scr:4:2:", "U+1F600"}), 1) << r.out;
  EXPECT_TRUE(r.has("3 characters")) << r.out;
  EXPECT_FALSE(fs::exists(path("out.scr")));
  // The yen sign may stand for a backslash or for money: the author is asked which.
  writeBytes("in.scr", "「¥n」\n");
  r = run("mirelune-convert", "script " + path("in.scr") + " " + path("out.scr"));
  EXPECT_EQ(r.lines({"in.scr:1:2:", "U+00A5", "escape", "￥"}), 1) << r.out;
  EXPECT_FALSE(fs::exists(path("out.scr")));
}

}  // namespace
}  // namespace ml::test
