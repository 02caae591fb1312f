// The asset generator's output read back through the engine's own picture loaders and
// the WAVE reader: every file must load without a single report, with the frames and
// lengths it claims. Runs the built generator on a few of its parts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/settings.h"
#include "media/gfx/surface.h"
#include "platform/reporter.h"
#include "tools/common/wave_reader.h"

namespace ml {
namespace {

std::string generator() { return std::string(MIRELUNE_BINARY_DIR) + "/mirelune-assetgen"; }

class AssetgenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    struct stat st {};
    if (::stat(generator().c_str(), &st) != 0) return;
    char tmpl[] = "/tmp/ml_assetgen_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    for (const char* part : {"window", "bluesky", "title", "effects"}) {
      std::string cmd = generator() + " '" + dir_ + "' --part " + part + " > /dev/null";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << part;
      // Each run rewrites the list; keep every part's lines.
      std::ifstream in(dir_ + "/assets.txt");
      std::string line;
      while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') lines_.push_back(line);
    }
  }
  static void TearDownTestSuite() {
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  void SetUp() override {
    if (dir_.empty()) GTEST_SKIP() << "mirelune-assetgen is not built";
  }

  static std::string path(const std::string& listed) {
    std::string p = listed;
    for (char& c : p)
      if (c == '\\') c = '/';
    return dir_ + "/" + p;
  }

  static std::string dir_;
  static std::vector<std::string> lines_;
};

std::string AssetgenTest::dir_;
std::vector<std::string> AssetgenTest::lines_;

TEST_F(AssetgenTest, EveryPictureLoadsInTheEngine) {
  RecordingReporter reporter;
  GameFolder folder(dir_);
  DataArchive archive;
  Settings settings;
  MediaContext media{reporter, folder, archive, settings};
  int pictures = 0;
  for (const std::string& line : lines_) {
    std::string file = line.substr(0, line.find('\t'));
    if (file.rfind("cg\\", 0) != 0) continue;
    SCOPED_TRACE(file);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(tools::readFileBytes(path(file), bytes));
    Surface surface(media);
    bool bmp = file.size() > 4 && file.substr(file.size() - 4) == ".bmp";
    ASSERT_TRUE(bmp ? surface.loadBmpBytes(bytes, file) : surface.loadPsdBytes(bytes, file));
    EXPECT_TRUE(reporter.entries.empty()) << (reporter.entries.empty() ? "" : reporter.entries[0].message);
    reporter.entries.clear();
    // The listed form states the size and frame count.
    std::string form = line.substr(line.find('\t') + 1);
    char expect[32];
    std::snprintf(expect, sizeof expect, "%dx%d", surface.width(), surface.height());
    EXPECT_NE(form.find(expect), std::string::npos) << form;
    std::size_t frames = form.find(" frame");
    if (frames != std::string::npos) {
      std::size_t start = form.rfind(' ', frames - 1) + 1;
      EXPECT_EQ(std::atoi(form.c_str() + start), surface.frameCount()) << form;
    }
    // No frame of a layered picture is entirely transparent, except in the sky
    // strips, whose animations start outside the strip and must end empty (the
    // engine hides a strip at its last frame).
    auto empty = [&](int f) {
      const std::uint32_t* px = surface.pixels(f);
      for (int i = 0; i < surface.width() * surface.height(); ++i)
        if ((px[i] >> 24) != 0) return false;
      return true;
    };
    if (file.find("BlueSky") != std::string::npos) {
      EXPECT_TRUE(empty(surface.frameCount() - 1));
      EXPECT_FALSE(empty(surface.frameCount() / 2));
    } else if (form.find("layered") != std::string::npos) {
      for (int f = 0; f < surface.frameCount(); ++f) EXPECT_FALSE(empty(f)) << "frame " << f;
    }
    ++pictures;
  }
  EXPECT_GT(pictures, 40);
}

TEST_F(AssetgenTest, EverySoundIsAStreamableWave) {
  int sounds = 0;
  for (const std::string& line : lines_) {
    std::string file = line.substr(0, line.find('\t'));
    if (file.rfind("wav\\", 0) != 0) continue;
    SCOPED_TRACE(file);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(tools::readFileBytes(path(file), bytes));
    tools::WaveInfo info;
    std::string error;
    ASSERT_TRUE(tools::parseWave(bytes, info, &error)) << error;
    // The engine sizes its buffers from the "fact" count: it must be there and exact.
    ASSERT_TRUE(info.hasFact);
    EXPECT_TRUE(info.formatTag == 1 || info.formatTag == 0x674F);
    tools::AudioBuffer audio;
    ASSERT_TRUE(tools::readWaveSamples(bytes, audio, &error)) << error;
    EXPECT_EQ(audio.frames(), info.factFrames);
    EXPECT_EQ(audio.rate, 44100);
    EXPECT_GT(audio.frames(), 1000u);
    float peak = 0;
    for (float s : audio.samples) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.1f);
    EXPECT_LE(peak, 1.0f);
    ++sounds;
  }
  EXPECT_GE(sounds, 15);
}

TEST_F(AssetgenTest, OutputIsTheSameEveryRun) {
  std::string again = dir_ + "/again";
  std::string cmd = generator() + " '" + again + "' --part title > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  for (const char* name : {"cg/_MnBack.bmp", "cg/_MnStart.psd", "cg/_MLSel.psd"}) {
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(tools::readFileBytes(dir_ + "/" + name, a));
    ASSERT_TRUE(tools::readFileBytes(again + "/" + name, b));
    EXPECT_EQ(a, b) << name;
  }
}

}  // namespace
}  // namespace ml
