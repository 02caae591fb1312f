#include "media/gfx/surface.h"

#include <gtest/gtest.h>

#include <cstring>

#include "media/io/archive.h"
#include "platform/byte_reader.h"
#include "media/formats/bmp.h"
#include "media/io/keys.h"
#include "picture_fixture.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

using tools::PsdCompression;
using tools::PsdLayer;
using tools::RgbaImage;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return ml::le32(b.data() + at); }

class SurfaceTest : public PictureTest {
 protected:
  Surface surface{media};
};

TEST_F(SurfaceTest, CreateMakesZeroedFramesWithWholeContent) {
  ASSERT_TRUE(surface.create(3, 2, 4));
  EXPECT_TRUE(surface.isValid());
  EXPECT_EQ(surface.frameCount(), 4);
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(surface.contentX(f), 0);
    EXPECT_EQ(surface.contentWidth(f), 3);
    EXPECT_EQ(surface.contentHeight(f), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(surface.pixels(f)[i], 0u);
  }
  EXPECT_EQ(surface.pixels(4), nullptr);
  EXPECT_EQ(surface.pixels(-1), nullptr);
  surface.fill(0x11223344u);
  EXPECT_EQ(surface.pixels(0)[5], 0x11223344u);
  EXPECT_EQ(surface.pixels(1)[0], 0u);  // fill touches frame 0 only
  surface.setAlphaFlag(true);
  surface.release();
  EXPECT_FALSE(surface.isValid());
  EXPECT_FALSE(surface.alphaFlag());
  EXPECT_EQ(surface.frameCount(), 0);
}

TEST_F(SurfaceTest, ImpossibleSizesAreRefused) {
  EXPECT_FALSE(surface.create(0, 10, 1));
  EXPECT_FALSE(surface.create(10, 10, 0));
  EXPECT_FALSE(surface.create(10, 10, 201));
  EXPECT_FALSE(surface.create(30000, 30000, 1));
  EXPECT_EQ(sites(), (std::vector<int>{155, 155, 155, 155}));
  EXPECT_EQ(lastMessage(), "ビットマップが作成できません");
  EXPECT_FALSE(surface.isValid());
  EXPECT_TRUE(surface.create(10, 10, 200));
}

TEST_F(SurfaceTest, LayeredPictureLoadsOneFramePerLayerWithItsContentRectangle) {
  std::vector<PsdLayer> layers(4);
  layers[0].image = RgbaImage(3, 2, 255, 0, 0, 255);
  layers[0].left = 1;
  layers[0].top = 2;
  layers[1].image = RgbaImage(4, 4, 0, 255, 0, 0);  // fully transparent but for one pixel
  layers[1].image.set(2, 1, 1, 2, 3, 1);
  layers[2].image = RgbaImage(20, 20, 0, 0, 255, 255);  // covers the canvas
  layers[2].left = -5;
  layers[2].top = -5;
  layers[3].image = RgbaImage(2, 2, 9, 9, 9, 0);        // nothing visible
  writeGameFile("cg/lay.psd", tools::writeLayeredPsd(8, 6, layers, PsdCompression::Rle));
  ASSERT_TRUE(surface.load("cg\\lay.psd"));
  EXPECT_EQ(surface.width(), 8);
  EXPECT_EQ(surface.height(), 6);
  ASSERT_EQ(surface.frameCount(), 4);
  EXPECT_TRUE(surface.alphaFlag());
  auto rect = [&](int f) {
    return std::vector<int>{surface.contentX(f), surface.contentY(f), surface.contentWidth(f),
                            surface.contentHeight(f)};
  };
  EXPECT_EQ(rect(0), (std::vector<int>{1, 2, 3, 2}));
  EXPECT_EQ(rect(1), (std::vector<int>{2, 1, 1, 1}));
  EXPECT_EQ(rect(2), (std::vector<int>{0, 0, 8, 6}));
  EXPECT_TRUE(surface.content(3).empty());
  EXPECT_EQ(surface.pixels(0)[2 * 8 + 1], 0xFFFF0000u);
  EXPECT_EQ(surface.pixels(0)[0], 0u);
}

TEST_F(SurfaceTest, FlatPictureIsOneOpaqueFrameAndLoadFailuresAreReported) {
  writeGameFile("cg/flat.psd", tools::writeFlatPsd(RgbaImage(4, 3, 10, 20, 30, 0), PsdCompression::Raw));
  ASSERT_TRUE(surface.load("cg\\FLAT.psd"));
  EXPECT_EQ(surface.frameCount(), 1);
  EXPECT_EQ(surface.pixels(0)[11], 0xFF0A141Eu);
  EXPECT_EQ(surface.contentWidth(0), 4);

  EXPECT_FALSE(surface.load("cg\\missing.psd"));
  EXPECT_EQ(sites(), std::vector<int>{284});
  EXPECT_EQ(lastMessage(), "ファイルが開けない");
  EXPECT_EQ(lastDetail(), "cg\\missing.psd");
  EXPECT_FALSE(surface.isValid());
}

TEST_F(SurfaceTest, PicturesLoadFromTheArchiveWithTheirScrambledHead) {
  RgbaImage img(5, 4, 1, 2, 3, 255);
  img.set(4, 3, 200, 100, 50);
  auto psd = tools::writeFlatPsd(img, PsdCompression::Rle);
  // The first 32 bytes of an archived picture are scrambled with the archive key.
  for (std::size_t i = 0; i < 32; ++i) psd[i] ^= kArchiveKey[i % 5];
  std::vector<std::uint8_t> arc(16 + 32, 0);
  arc[0] = 1;
  std::uint32_t offset = std::uint32_t(arc.size()), size = std::uint32_t(psd.size());
  for (int i = 0; i < 4; ++i) {
    arc[16 + i] = std::uint8_t(offset >> (8 * i));
    arc[20 + i] = std::uint8_t(size >> (8 * i));
  }
  std::memcpy(&arc[24], "inarc.psd", 9);
  arc.insert(arc.end(), psd.begin(), psd.end());
  writeGameFile("cg.dat", arc);
  ASSERT_TRUE(archive.open(hostPath("cg.dat").string(), false));
  ASSERT_TRUE(surface.load("cg\\inarc.psd"));
  EXPECT_EQ(surface.pixels(0)[19], 0xFFC86432u);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(SurfaceTest, ThumbnailSizesKeepTheDocumentedRowsAndColumns) {
  ASSERT_TRUE(surface.create(800, 600, 1));
  std::uint32_t* p = surface.pixels(0);
  // Blue = column & 0xFF, green = column >> 8, red = row & 0xFF, alpha = row >> 8 ...
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      p[y * 800 + x] = std::uint32_t(y >> 8) << 24 | std::uint32_t(y & 0xFF) << 16 |
                       std::uint32_t(x >> 8) << 8 | std::uint32_t(x & 0xFF);
  const int sizes[6][2] = {{800, 600}, {400, 300}, {320, 240}, {200, 150}, {160, 120}, {120, 90}};
  for (int type = 0; type < 7; ++type) {
    int want = type == 6 ? 0 : type;  // unknown types are full size
    auto bmp = surface.encodeBmp(0, type == 6 ? 9 : type, false);
    int w = sizes[want][0], h = sizes[want][1];
    std::size_t row = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
    ASSERT_EQ(bmp.size(), 54 + row * h) << type;
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 10), 54u);
    EXPECT_EQ(le32(bmp, 14), 40u);
    EXPECT_EQ(le32(bmp, 18), std::uint32_t(w));
    EXPECT_EQ(le32(bmp, 22), std::uint32_t(h));
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(le32(bmp, 30), 0u);
    EXPECT_EQ(le32(bmp, 34), row * h);
    // Every output pixel comes from a kept row and column, in order.
    std::vector<int> cols, rows;
    for (int i = 0; i < 800; ++i)
      if (bmpKeepsIndex(want, i)) cols.push_back(i);
    for (int i = 0; i < 600; ++i)
      if (bmpKeepsIndex(want, i)) rows.push_back(i);
    ASSERT_EQ(int(cols.size()), w);
    ASSERT_EQ(int(rows.size()), h);
    for (int oy : {0, h / 2, h - 1})
      for (int ox : {0, w / 3, w - 1}) {
        const std::uint8_t* px = &bmp[54 + row * std::size_t(h - 1 - oy) + std::size_t(ox) * 3];
        EXPECT_EQ(px[0], cols[ox] & 0xFF);
        EXPECT_EQ(px[1], cols[ox] >> 8);
        EXPECT_EQ(px[2], rows[oy] & 0xFF);
      }
  }
  // Type 5 keeps 4, 8, 16, 24, 28, 36 ... (multiples of 4 except 0 and 12 modulo 20).
  auto bmp = surface.encodeBmp(0, 5, false);
  EXPECT_EQ((std::size_t(120) * 3 + 3) & ~std::size_t(3), 360u);
  EXPECT_EQ(bmp[54 + 360 * 89 + 0], 4);   // top-left pixel: column 4
  EXPECT_EQ(bmp[54 + 360 * 89 + 3], 8);   // then column 8
  EXPECT_EQ(bmp[54 + 360 * 89 + 6], 16);  // 12 is skipped
  EXPECT_EQ(bmp[54 + 360 * 89 + 2], 4);   // row 4
}

TEST_F(SurfaceTest, AlphaAsGreyAndOddWidthRows) {
  ASSERT_TRUE(surface.create(5, 2, 1));
  for (int i = 0; i < 10; ++i) surface.pixels(0)[i] = std::uint32_t(i * 20) << 24 | 0x00ABCDEFu;
  auto bmp = surface.encodeBmp(0, 0, true);
  ASSERT_EQ(bmp.size(), 54u + 16 * 2);  // 15 bytes + 1 of padding per row
  // Bottom row first: source row 1, pixel 5 has alpha 100.
  EXPECT_EQ(bmp[54], 100);
  EXPECT_EQ(bmp[55], 100);
  EXPECT_EQ(bmp[56], 100);
  EXPECT_EQ(bmp[54 + 15], 0);  // padding
  EXPECT_EQ(bmp[54 + 16 + 12], 80);
  auto colour = surface.encodeBmp(0, 0, false);
  EXPECT_EQ(colour[54], 0xEF);
  EXPECT_EQ(colour[55], 0xCD);
  EXPECT_EQ(colour[56], 0xAB);
}

TEST_F(SurfaceTest, WrittenThumbnailReadsBackAndUnwritableFilesFail) {
  ASSERT_TRUE(surface.create(7, 3, 1));
  for (int i = 0; i < 21; ++i) surface.pixels(0)[i] = 0x7F000000u | std::uint32_t(i * 0x0A0B0C);
  ASSERT_TRUE(surface.writeBmp("Save001b.bmp", 0, 0, false));
  Surface back(media);
  ASSERT_TRUE(back.load("Save001b.bmp"));
  for (int i = 0; i < 21; ++i) EXPECT_EQ(back.pixels(0)[i], surface.pixels(0)[i] | 0xFF000000u);
  EXPECT_FALSE(surface.writeBmp("no-such-dir/x.bmp", 0, 0, false));
  EXPECT_FALSE(surface.writeBmp("x.bmp", 1, 0, false));  // no such frame
}

}  // namespace
}  // namespace ml::test
