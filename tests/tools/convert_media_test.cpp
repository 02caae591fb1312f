// mirelune-convert frompng and wav, run as an author would, their output read back
// through the engine's picture loader and the WAVE reader.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/settings.h"
#include "media/gfx/surface.h"
#include "platform/reporter.h"
#include "tools/common/png_io.h"
#include "tools/common/psd_writer.h"
#include "tools/common/wave_reader.h"
#include "tools/common/wave_writer.h"

namespace ml {
namespace {

class ConvertMediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = std::string(MIRELUNE_BINARY_DIR) + "/mirelune-convert";
    struct stat st {};
    if (::stat(tool_.c_str(), &st) != 0) GTEST_SKIP() << "mirelune-convert is not built";
    char tmpl[] = "/tmp/ml_convert_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  void TearDown() override {
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  int run(const std::string& args) {
    return WEXITSTATUS(std::system((tool_ + " " + args + " > /dev/null 2> '" + dir_ + "/err.txt'").c_str()));
  }
  std::string file(const std::string& name) const { return dir_ + "/" + name; }
  bool exists(const std::string& name) const {
    struct stat st {};
    return ::stat(file(name).c_str(), &st) == 0;
  }

  std::string tool_, dir_;
};

tools::RgbaImage frame(int w, int h, int shift) {
  tools::RgbaImage img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x >= shift && x < shift + 5 && y >= 2) img.set(x, y, 200, static_cast<std::uint8_t>(10 * x), 30, static_cast<std::uint8_t>(40 + y));
  return img;
}

TEST_F(ConvertMediaTest, PngFramesBecomeAPictureTheEngineShows) {
  ASSERT_TRUE(tools::writePng(file("a.png"), frame(16, 12, 1)));
  ASSERT_TRUE(tools::writePng(file("b.png"), frame(16, 12, 9)));
  ASSERT_TRUE(tools::writePng(file("c.png"), tools::RgbaImage(16, 12)));  // an empty frame
  ASSERT_EQ(run("frompng '" + file("anim.psd") + "' '" + file("a.png") + "' '" + file("b.png") + "' '" + file("c.png") + "'"), 0);

  RecordingReporter reporter;
  GameFolder folder(dir_);
  DataArchive archive;
  Settings settings;
  MediaContext media{reporter, folder, archive, settings};
  Surface s(media);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(tools::readFileBytes(file("anim.psd"), bytes));
  ASSERT_TRUE(s.loadPsdBytes(bytes, "anim.psd"));
  EXPECT_TRUE(reporter.entries.empty());
  ASSERT_EQ(s.frameCount(), 3);
  const tools::RgbaImage expect[2] = {frame(16, 12, 1), frame(16, 12, 9)};
  for (int f = 0; f < 2; ++f)
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) {
        std::uint32_t p = s.pixels(f)[y * 16 + x];
        const std::uint8_t* e = expect[f].at(x, y);
        ASSERT_EQ(p >> 24, e[3]) << f << " " << x << "," << y;
        if (e[3]) {
          ASSERT_EQ((p >> 16) & 0xFF, e[0]);
        }
      }
  for (int i = 0; i < 16 * 12; ++i) EXPECT_EQ(s.pixels(2)[i] >> 24, 0u);

  // One PNG: a flat, opaque picture (raw channels on request).
  ASSERT_EQ(run("frompng '" + file("flat.psd") + "' '" + file("a.png") + "' --raw"), 0);
  Surface flat(media);
  ASSERT_TRUE(tools::readFileBytes(file("flat.psd"), bytes));
  ASSERT_TRUE(flat.loadPsdBytes(bytes, "flat.psd"));
  EXPECT_EQ(flat.frameCount(), 1);
  EXPECT_EQ(flat.pixels(0)[0] >> 24, 255u);
}

TEST_F(ConvertMediaTest, FromPngRefusesWhatItCannotMake) {
  ASSERT_TRUE(tools::writePng(file("a.png"), frame(16, 12, 1)));
  ASSERT_TRUE(tools::writePng(file("big.png"), frame(20, 12, 1)));
  EXPECT_NE(run("frompng '" + file("x.psd") + "' '" + file("a.png") + "' '" + file("big.png") + "'"), 0);
  EXPECT_NE(run("frompng '" + file("x.psd") + "' '" + file("missing.png") + "'"), 0);
  ASSERT_TRUE(tools::writeFile(file("junk.png"), {1, 2, 3, 4, 5}));
  EXPECT_NE(run("frompng '" + file("x.psd") + "' '" + file("junk.png") + "'"), 0);
  EXPECT_NE(run("frompng '" + file("x.psd") + "'"), 0);
  EXPECT_FALSE(exists("x.psd"));
}

TEST_F(ConvertMediaTest, TheOutputNameChoosesTheForm) {
  // The engine picks its decoder by the name, so a .bmp must hold a bitmap; the case of
  // the extension does not matter.
  ASSERT_TRUE(tools::writePng(file("a.png"), frame(16, 12, 1)));
  ASSERT_EQ(run("frompng '" + file("room.BMP") + "' '" + file("a.png") + "'"), 0);
  RecordingReporter reporter;
  GameFolder folder(dir_);
  DataArchive archive;
  Settings settings;
  MediaContext media{reporter, folder, archive, settings};
  Surface s(media);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(tools::readFileBytes(file("room.BMP"), bytes));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 'B');
  ASSERT_TRUE(s.loadBmpBytes(bytes, "room.BMP"));
  EXPECT_TRUE(reporter.entries.empty());
  const tools::RgbaImage expected = frame(16, 12, 1);
  const std::uint8_t* e = expected.at(2, 5);
  EXPECT_EQ((s.pixels(0)[5 * 16 + 2] >> 16) & 0xFF, e[0]);

  // Names the engine cannot read, and what a bitmap cannot hold, are refused.
  for (const char* args : {"x.png' '%s", "x' '%s", "x.bmp' '%s' '%s", "x.bmp' '%s' --layered", "x.bmp' '%s' --raw"}) {
    std::string a = args;
    for (std::size_t at; (at = a.find("%s")) != std::string::npos;) a.replace(at, 2, file("a.png"));
    EXPECT_EQ(run("frompng '" + file("") + a + "'"), 2) << args;
  }
  EXPECT_FALSE(exists("x.png"));
  EXPECT_FALSE(exists("x.bmp"));
}

TEST_F(ConvertMediaTest, SoundsBecomeVorbisWaves) {
  tools::AudioBuffer a;
  a.channels = 2;
  a.rate = 44100;
  for (int i = 0; i < 30000; ++i) {
    a.samples.push_back(0.3f * std::sin(i * 0.05f));
    a.samples.push_back(0.3f * std::sin(i * 0.07f));
  }
  ASSERT_TRUE(tools::writeFile(file("in.wav"), tools::writePcmWave(a, false)));  // no "fact": made by some editor
  std::vector<std::uint8_t> ogg;
  ASSERT_TRUE(tools::encodeOggVorbis(a, 0.2f, 5, ogg));
  ASSERT_TRUE(tools::writeFile(file("in.ogg"), ogg));

  ASSERT_EQ(run("wav '" + file("in.wav") + "' '" + file("a.wav") + "' --quality 0.1"), 0);
  ASSERT_EQ(run("wav '" + file("in.ogg") + "' '" + file("b.wav") + "'"), 0);
  ASSERT_EQ(run("wav '" + file("b.wav") + "' '" + file("c.wav") + "'"), 0);  // a Vorbis WAVE, re-wrapped
  ASSERT_EQ(run("wav '" + file("in.ogg") + "' '" + file("d.wav") + "' --pcm"), 0);
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) {
    SCOPED_TRACE(name);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(tools::readFileBytes(file(name), bytes));
    tools::WaveInfo info;
    ASSERT_TRUE(tools::parseWave(bytes, info));
    EXPECT_EQ(info.formatTag, std::string(name) == "d.wav" ? 1 : 0x674F);
    EXPECT_TRUE(info.hasFact);
    EXPECT_EQ(info.factFrames, 30000u);
    tools::AudioBuffer back;
    ASSERT_TRUE(tools::readWaveSamples(bytes, back));
    EXPECT_EQ(back.frames(), 30000u);
  }
  // The Ogg stream is kept as it was, not encoded a second time.
  std::vector<std::uint8_t> bytes, inside;
  ASSERT_TRUE(tools::readFileBytes(file("b.wav"), bytes));
  ASSERT_TRUE(tools::extractOgg(bytes, inside));
  EXPECT_EQ(inside, ogg);

  ASSERT_TRUE(tools::writeFile(file("junk.wav"), {'R', 'I', 'F', 'F', 1, 2}));
  EXPECT_NE(run("wav '" + file("junk.wav") + "' '" + file("e.wav") + "'"), 0);
  EXPECT_NE(run("wav '" + file("in.wav") + "' '" + file("e.wav") + "' --quality 7"), 0);
  EXPECT_NE(run("wav '" + file("nothing.ogg") + "' '" + file("e.wav") + "'"), 0);
  EXPECT_FALSE(exists("e.wav"));
}

}  // namespace
}  // namespace ml
