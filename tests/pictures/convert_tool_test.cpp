// The topng subcommand of mirelune-convert, run as the author runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "picture_fixture.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

class ConvertToolTest : public PictureTest {
 protected:
  void SetUp() override {
    tool_ = std::string(MIRELUNE_BINARY_DIR) + "/mirelune-convert";
    if (!std::filesystem::exists(tool_)) GTEST_SKIP() << "mirelune-convert is not built";
  }
  // Exit status of the tool; its standard error lands in err.
  int run(const std::string& args, std::string* err = nullptr) {
    std::string errFile = hostPath("stderr.txt").string();
    int status = std::system((tool_ + " " + args + " >/dev/null 2>" + errFile).c_str());
    if (err) {
      std::ifstream in(errFile);
      err->assign(std::istreambuf_iterator<char>(in), {});
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string tool_;
};

TEST_F(ConvertToolTest, LayeredPictureBecomesOnePngPerFrameWithItsAlpha) {
  std::vector<tools::PsdLayer> layers(2);
  layers[0].image = patterned(3, 2, 200, 1);
  layers[1].image = patterned(2, 2, 60, 2);
  layers[1].left = 2;
  layers[1].top = 1;
  writeGameFile("in.psd", tools::writeLayeredPsd(4, 3, layers, tools::PsdCompression::Rle));
  ASSERT_EQ(run("topng " + hostPath("in.psd").string() + " " + hostPath("out.png").string()), 0);
  EXPECT_FALSE(std::filesystem::exists(hostPath("out.png")));
  for (int f = 0; f < 2; ++f) {
    tools::RgbaImage png;
    ASSERT_TRUE(tools::readPng(hostPath("out-" + std::to_string(f) + ".png").string(), png));
    ASSERT_EQ(png.width, 4);
    ASSERT_EQ(png.height, 3);
    const tools::PsdLayer& l = layers[f];
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        int lx = x - l.left, ly = y - l.top;
        bool inside = lx >= 0 && ly >= 0 && lx < l.image.width && ly < l.image.height;
        EXPECT_EQ(pixelOf(png, x, y), inside ? pixelOf(l.image, lx, ly) : 0u) << f << " " << x << "," << y;
      }
  }
}

TEST_F(ConvertToolTest, SingleFrameKeepsTheGivenNameAndDamageExitsWithTheEngineMessage) {
  writeGameFile("flat.psd", tools::writeFlatPsd(patterned(5, 4), tools::PsdCompression::Raw));
  ASSERT_EQ(run("topng " + hostPath("flat.psd").string() + " " + hostPath("flat.png").string()), 0);
  EXPECT_TRUE(std::filesystem::exists(hostPath("flat.png")));

  auto bytes = tools::writeFlatPsd(patterned(5, 4), tools::PsdCompression::Raw);
  bytes[25] = 1;  // grey scale
  writeGameFile("grey.psd", bytes);
  std::string err;
  EXPECT_EQ(run("topng " + hostPath("grey.psd").string() + " " + hostPath("grey.png").string(), &err), 1);
  EXPECT_NE(err.find("SystemError: SCRIPT (334)"), std::string::npos) << err;
  EXPECT_NE(err.find("現在サポートしていないカラーモ－ド"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(hostPath("grey.png")));

  // A frame that fails part-way is damage too.
  auto rle = tools::writeFlatPsd(tools::RgbaImage(4, 1, 1, 2, 3, 255), tools::PsdCompression::Rle);
  rle[26 + 12 + 2 + 6] = 9;
  writeGameFile("overrun.psd", rle);
  EXPECT_EQ(run("topng " + hostPath("overrun.psd").string() + " " + hostPath("o.png").string(), &err), 1);
  EXPECT_NE(err.find("(783)"), std::string::npos) << err;
  // What did decode is still written, for comparison.
  EXPECT_TRUE(std::filesystem::exists(hostPath("o.png")));

  EXPECT_EQ(run("topng " + hostPath("nothing.bmp").string() + " x.png"), 1);
  EXPECT_EQ(run("topng only-one-argument"), 2);
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(run("topng --help"), 0);
  EXPECT_EQ(run("nosuch"), 2);
}

}  // namespace
}  // namespace ml::test
