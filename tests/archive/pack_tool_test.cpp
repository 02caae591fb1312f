// The packer program end to end: what it writes, the engine's reader reads back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "archive_bytes.h"
#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/io/keys.h"
#include "media/formats/picture_bytes.h"
#include "media/formats/script_scramble.h"
#include "platform/text_encoding.h"
#include "temp_dir.h"

namespace ml {
namespace {

using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

struct Result {
  int status = -1;
  std::string out, err;
};

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class PackToolTest : public ::testing::Test {
 protected:
  Result pack(const std::vector<std::string>& args) {
    std::string cmd = quoted(std::string(MIRELUNE_BINARY_DIR) + "/mirelune-pack");
    for (const std::string& a : args) cmd += " " + quoted(a);
    cmd += " 2>" + quoted(dir / "stderr.txt");
    Result r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Bytes err = dir.read("stderr.txt");
    r.err.assign(err.begin(), err.end());
    return r;
  }
  std::string file(const std::string& name, const std::string& bytes) {
    return dir.write("in/" + name, bytes);
  }
  static std::string picture(const std::string& magic, std::size_t size, unsigned seed) {
    std::string s = magic;
    for (std::size_t i = s.size(); i < size; ++i)
      s.push_back(static_cast<char>((i / 40 * seed + (i % 97 == 0 ? i : 0)) & 0xFF));
    return s;
  }
  std::string entry(DataArchive& a, const std::string& path) {
    std::vector<std::uint8_t> out;
    if (!a.readEntry(path, out)) return "<missing>";
    return std::string(out.begin(), out.end());
  }

  TempDir dir;
};

TEST_F(PackToolTest, PlainArchiveRoundTripsEveryEntryAndLists) {
  std::string script = "Nscript text\r\n";
  std::string wav = "RIFF" + std::string(100, 'w');
  std::string empty;
  std::vector<std::string> args{"create", dir / "data.dat", file("open.scr", script),
                                file("m01.wav", wav), file("empty.txt", empty)};
  Result r = pack(args);
  ASSERT_EQ(r.status, 0) << r.err;
  DataArchive a;
  ASSERT_TRUE(a.open(dir / "data.dat", false));
  EXPECT_EQ(entry(a, "scr\\open.scr"), script);
  EXPECT_EQ(entry(a, "wav\\M01.WAV"), wav);
  EXPECT_EQ(entry(a, "empty.txt"), "");

  r = pack({"list", dir / "data.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::size_t first = 16 + 3 * 32;
  EXPECT_EQ(r.out, "open.scr\t" + std::to_string(first) + "\t14\n" + "m01.wav\t" +
                       std::to_string(first + 14) + "\t104\n" + "empty.txt\t" +
                       std::to_string(first + 118) + "\t0\n");
}

TEST_F(PackToolTest, IndexScramblingFollowsTheArchiveNameUnlessForced) {
  std::string f = file("a.scr", "Nabc");
  for (const char* name : {"scr.dat", "CG.DAT", "arc2.scr", "arc2.cg", "wav.dat", "arc3.wav"}) {
    ASSERT_EQ(pack({"create", dir / name, f}).status, 0);
    bool scrambled = std::string(name) != "wav.dat" && std::string(name) != "arc3.wav";
    DataArchive a, wrong;
    ASSERT_TRUE(a.open(dir / name, scrambled)) << name;
    EXPECT_EQ(entry(a, "a.scr"), "Nabc") << name;
    ASSERT_TRUE(wrong.open(dir / name, !scrambled));
    EXPECT_EQ(entry(wrong, "a.scr"), "<missing>") << name;
  }
  ASSERT_EQ(pack({"create", "--plain", dir / "scr.dat", f}).status, 0);
  ASSERT_EQ(pack({"create", dir / "x.dat", "--scrambled", f}).status, 0);
  DataArchive plain, scrambled;
  ASSERT_TRUE(plain.open(dir / "scr.dat", false));
  EXPECT_EQ(entry(plain, "a.scr"), "Nabc");
  ASSERT_TRUE(scrambled.open(dir / "x.dat", true));
  EXPECT_EQ(entry(scrambled, "a.scr"), "Nabc");
  // list finds the scrambled index of x.dat although its name says plain.
  Result r = pack({"list", dir / "x.dat"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 6), "a.scr\t");
}

TEST_F(PackToolTest, PictureArchiveWithLzssLoadsThroughTheEngine) {
  std::string psd = picture("8BPS", 5000, 3);
  std::string bmp = picture("BM", 3000, 5);
  // 19778 = 0x4D42: the little-endian size field would spell "BM", so it stays unpacked.
  std::string bmpMagicSize = picture("BM", 19778, 7);
  std::string tinyBmp = "BM" + std::string(60, '\0');  // packs below 32 bytes: unpacked
  // Already packed by hand (32 bytes as four groups of eight literals): kept as it is.
  std::string prepacked = std::string("\x20\x00\x00\x00", 4) + "\xFF" "8BPSabcd" "\xFF" "efghijkl" +
                          "\xFF" "mnopqrst" "\xFF" "uvwxyz01";
  std::string notPicture = "not a picture, kept as is";
  std::vector<std::string> args{"create", "--lzss", dir / "cg.dat", file("bg.psd", psd),
                                file("win.BMP", bmp), file("big.bmp", bmpMagicSize),
                                file("tiny.bmp", tinyBmp), file("pre.psd", prepacked),
                                file("notes.txt", notPicture)};
  Result r = pack(args);
  ASSERT_EQ(r.status, 0) << r.err;

  DataArchive a;
  ASSERT_TRUE(a.open(dir / "cg.dat", true));
  GameFolder noLoose(dir / "nothing-here");
  auto load = [&](const std::string& name, const std::string& magic) {
    std::vector<std::uint8_t> out;
    if (!loadPictureBytes(noLoose, a, name, magic, out)) return std::string("<failed>");
    return std::string(out.begin(), out.end());
  };
  EXPECT_EQ(load("cg\\bg.psd", "8BPS"), psd);
  EXPECT_EQ(load("cg\\win.bmp", "BM"), bmp);
  EXPECT_EQ(load("cg\\big.bmp", "BM"), bmpMagicSize);
  EXPECT_EQ(load("cg\\tiny.bmp", "BM"), tinyBmp);
  EXPECT_EQ(load("cg\\pre.psd", "8BPS"), "8BPSabcdefghijklmnopqrstuvwxyz01");
  EXPECT_EQ(entry(a, "notes.txt"), notPicture);  // no head scrambling outside pictures
  // Stored packed and with a scrambled head: the raw entry is neither.
  std::string raw = entry(a, "bg.psd");
  EXPECT_LT(raw.size(), psd.size());
  EXPECT_NE(raw.substr(0, 4), "8BPS");
  EXPECT_EQ(entry(a, "big.bmp").size(), bmpMagicSize.size());

  // extract gives back every loose file.
  r = pack({"extract", dir / "cg.dat", dir / "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("out/bg.psd"), test::bytesOf(psd));
  EXPECT_EQ(dir.read("out/win.BMP"), test::bytesOf(bmp));
  EXPECT_EQ(dir.read("out/big.bmp"), test::bytesOf(bmpMagicSize));
  EXPECT_EQ(dir.read("out/tiny.bmp"), test::bytesOf(tinyBmp));
  EXPECT_EQ(dir.read("out/pre.psd"), test::bytesOf("8BPSabcdefghijklmnopqrstuvwxyz01"));
  EXPECT_EQ(dir.read("out/notes.txt"), test::bytesOf(notPicture));
}

TEST_F(PackToolTest, PicturesOutsidePictureArchivesKeepTheirHead) {
  std::string psd = picture("8BPS", 400, 11);
  ASSERT_EQ(pack({"create", "--lzss", dir / "plain.dat", file("a.psd", psd)}).status, 0);
  ASSERT_EQ(pack({"create", "--pictures", dir / "pics.dat", file("a.psd", psd)}).status, 0);
  DataArchive plain, pics;
  ASSERT_TRUE(plain.open(dir / "plain.dat", false));
  std::string packedRaw = entry(plain, "a.psd");
  std::string expect = psd;
  Bytes b(packedRaw.begin(), packedRaw.end());
  ASSERT_TRUE(unpackPictureBytes(b, "8BPS"));
  EXPECT_EQ(std::string(b.begin(), b.end()), psd);
  ASSERT_TRUE(pics.open(dir / "pics.dat", false));
  std::string head = entry(pics, "a.psd");
  applyArchiveKey(reinterpret_cast<std::uint8_t*>(head.data()), 32);
  EXPECT_EQ(head, psd);
}

TEST_F(PackToolTest, OverrideArchiveWinsOverTheMainOne) {
  ASSERT_EQ(pack({"create", dir / "scr.dat", file("a.scr", "Nmain-a"), file("b.scr", "Nmain-b")}).status, 0);
  TempDir patch;
  std::string b2 = patch.write("B.scr", std::string("Npatched-b"));
  ASSERT_EQ(pack({"create", dir / "arc2.scr", b2}).status, 0);
  DataArchive a;
  ASSERT_TRUE(a.open(dir / "scr.dat", true));
  ASSERT_TRUE(a.attachOverride(dir / "arc2.scr", true));
  EXPECT_EQ(entry(a, "scr\\a.scr"), "Nmain-a");
  EXPECT_EQ(entry(a, "scr\\b.scr"), "Npatched-b");
}

TEST_F(PackToolTest, JapaneseFileNamesBecomeShiftJisEntries) {
  std::string name = "背景01.psd";  // UTF-8 on the host
  std::string psd = picture("8BPS", 64, 1);
  ASSERT_EQ(pack({"create", dir / "cg.dat", file(name, psd)}).status, 0);
  DataArchive a;
  ASSERT_TRUE(a.open(dir / "cg.dat", true));
  EXPECT_EQ(a.entryName(0), utf8ToSjis(name));
  Result r = pack({"list", dir / "cg.dat"});
  EXPECT_EQ(r.out.substr(0, name.size() + 1), name + "\t");
  ASSERT_EQ(pack({"extract", dir / "cg.dat", dir / "x"}).status, 0);
  EXPECT_EQ(dir.read("x/" + name), test::bytesOf(psd));
}

TEST_F(PackToolTest, BadInputFailsWithAMessageAndLeavesNoArchive) {
  std::string ok = file("ok.scr", "Nx");
  struct Case {
    std::vector<std::string> args;
    std::string inMessage;
  };
  std::vector<Case> cases{
      {{"create", dir / "a.dat", file("abcdefghijklmnopqrst.scr", "N")}, "24 bytes"},
      {{"create", dir / "a.dat", ok, file("OK.SCR", "N")}, "already in the archive"},
      {{"create", dir / "a.dat", ok, dir / "missing.scr"}, "cannot read"},
      {{"create", dir / "a.dat", dir.path()}, ""},
      {{"create", dir / "cg.dat", file("t.bmp", "BM short")}, "at least 32"},
      {{"create", dir / "a.dat"}, "at least one FILE"},
      {{"create", "--bogus", dir / "a.dat", ok}, "unknown option"},
      {{"frobnicate"}, "unknown command"},
      {{"list"}, "list needs"},
      {{"list", dir / "missing.dat"}, "cannot open"},
      {{"list", file("junk.dat", std::string("\xFF\xFF\xFF\x0F" "junk", 8))}, "not an archive"},
      {{"scramble", "--lzss", ok, dir / "o"}, "options apply"},
  };
  for (const Case& c : cases) {
    Result r = pack(c.args);
    EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.inMessage;
    EXPECT_NE(r.err.find("mirelune-pack: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a.dat.tmp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "cg.dat"));
  Result help = pack({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Archive format"), std::string::npos);
}

TEST_F(PackToolTest, ExtractNeverWritesOutsideItsFolder) {
  using test::RawEntry;
  std::string path = dir.write("evil.dat", test::archiveBytes({{"..", "x"}, {"a/b", "y"}, {"a\\b", "z"},
                                                               {"fine.txt", "ok"}, {"FINE.TXT", "dup"}},
                                                              false));
  Result r = pack({"extract", path, dir / "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("unusable file name"), std::string::npos);
  EXPECT_NE(r.err.find("repeated entry skipped"), std::string::npos);
  EXPECT_EQ(dir.read("out/fine.txt"), test::bytesOf("ok"));
  std::size_t files = 0;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir / "out")) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST_F(PackToolTest, ScrambleAndUnscrambleScripts) {
  std::string plain = "Nmes \"hello\"\r\nvo v001\r\n";
  ASSERT_EQ(pack({"scramble", file("s.scr", plain), dir / "x.scr"}).status, 0);
  Bytes x = dir.read("x.scr");
  ASSERT_EQ(x.size(), plain.size());
  EXPECT_EQ(x[0], 'X');
  for (std::size_t i = 1; i < x.size(); ++i)
    EXPECT_EQ(x[i], static_cast<std::uint8_t>(plain[i]) ^ kScriptKey[(i - 1) % 5]) << i;
  // What the engine makes of it when loading is what unscramble writes.
  Bytes loaded = x;
  EXPECT_TRUE(unscrambleScript(loaded));
  ASSERT_EQ(pack({"unscramble", dir / "x.scr", dir / "back.scr"}).status, 0);
  EXPECT_EQ(dir.read("back.scr"), loaded);
  EXPECT_EQ(dir.read("back.scr"), test::bytesOf(plain));
  // And scrambling that again gives the same scrambled file.
  ASSERT_EQ(pack({"scramble", dir / "back.scr", dir / "x2.scr"}).status, 0);
  EXPECT_EQ(dir.read("x2.scr"), x);

  Result r = pack({"scramble", dir / "x.scr", dir / "y.scr"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("already scrambled"), std::string::npos);
  r = pack({"unscramble", file("p.scr", plain), dir / "y.scr"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a scrambled script"), std::string::npos);
  r = pack({"scramble", file("e.scr", ""), dir / "y.scr"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "y.scr"));
}

}  // namespace
}  // namespace ml
