#include "media/formats/bmp.h"

#include <gtest/gtest.h>

#include <random>

#include "media/gfx/surface.h"
#include "picture_fixture.h"

namespace ml::test {
namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

// A BMP header for the given form; the caller appends palette and pixel data.
std::vector<std::uint8_t> bmpHeader(int w, int h, int bits, int compression, std::uint32_t offset) {
  std::vector<std::uint8_t> b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, offset);
  put32(b, 14, 40);
  put32(b, 18, std::uint32_t(w));
  put32(b, 22, std::uint32_t(h));
  b[26] = 1;
  b[28] = std::uint8_t(bits);
  put32(b, 30, std::uint32_t(compression));
  return b;
}

// 8-bit header with a 4-entry palette: 0 black, 1 red, 2 green, 3 blue.
std::vector<std::uint8_t> palettedHeader(int w, int h, int compression) {
  auto b = bmpHeader(w, h, 8, compression, 54 + 16);
  const std::uint8_t pal[16] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
  b.insert(b.end(), pal, pal + 16);
  return b;
}
constexpr std::uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

class BmpTest : public PictureTest {
 protected:
  Surface surface{media};
  std::uint32_t at(int x, int y) { return surface.pixels(0)[y * surface.width() + x]; }
};

TEST_F(BmpTest, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
  // Width 3: rows of 9 bytes plus 3 of padding.
  auto b = bmpHeader(3, 2, 24, 0, 54);
  const std::uint8_t bottom[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};
  const std::uint8_t top[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 0xEE, 0xEE, 0xEE};
  b.insert(b.end(), bottom, bottom + 12);
  b.insert(b.end(), top, top + 12);
  ASSERT_TRUE(surface.loadBmpBytes(b, "a.bmp"));
  EXPECT_EQ(surface.width(), 3);
  EXPECT_EQ(surface.height(), 2);
  EXPECT_EQ(at(0, 0), 0xFF1E140Au);
  EXPECT_EQ(at(2, 0), 0xFF5A5046u);
  EXPECT_EQ(at(0, 1), 0xFF030201u);
  EXPECT_EQ(at(2, 1), 0xFF090807u);
  EXPECT_TRUE(surface.alphaFlag());
  EXPECT_EQ(surface.frameCount(), 1);
  EXPECT_EQ(surface.contentWidth(0), 3);  // the whole frame, not computed from alpha
  // One byte less and the rows no longer fit.
  b.pop_back();
  EXPECT_FALSE(surface.loadBmpBytes(b, "a.bmp"));
  EXPECT_EQ(sites(), std::vector<int>{311});
  EXPECT_FALSE(surface.isValid());
}

TEST_F(BmpTest, WriterAndReaderAgreeForOddWidths) {
  for (int w : {1, 2, 3, 5, 7}) {
    std::vector<std::uint32_t> px(std::size_t(w) * 3);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = 0xFF000000u | std::uint32_t(i * 0x010203 + w);
    auto file = encodeBmp(px.data(), w, 3, 0, false);
    EXPECT_EQ(file.size(), 54u + std::size_t((w * 3 + 3) & ~3) * 3) << w;
    ASSERT_TRUE(surface.loadBmpBytes(file, "w.bmp"));
    EXPECT_EQ(std::vector<std::uint32_t>(surface.pixels(0), surface.pixels(0) + px.size()), px) << w;
  }
}

TEST_F(BmpTest, EightBitRawRowsUseThePalette) {
  // Width 5: rows of 8 bytes.
  auto b = palettedHeader(5, 2, 0);
  const std::uint8_t rows[16] = {1, 2, 3, 0, 1, 9, 9, 9,   // bottom
                                 3, 3, 2, 2, 1, 9, 9, 9};  // top
  b.insert(b.end(), rows, rows + 16);
  ASSERT_TRUE(surface.loadBmpBytes(b, "p.bmp"));
  EXPECT_EQ(at(0, 0), kBlue);
  EXPECT_EQ(at(2, 0), kGreen);
  EXPECT_EQ(at(4, 0), kRed);
  EXPECT_EQ(at(0, 1), kRed);
  EXPECT_EQ(at(3, 1), kBlack);
  // An index past the palette the file holds reads the bytes that follow it; past the
  // end of the file it is black.
  b.resize(54 + 16 + 8 + 8);
  EXPECT_TRUE(surface.loadBmpBytes(b, "p.bmp"));
}

TEST_F(BmpTest, PaletteFollowsALongerInformationHeader) {
  // A 124-byte header, as ImageMagick and others write it: the palette starts at 138.
  // The header's own fields there are not colours.
  auto b = bmpHeader(2, 1, 8, 0, 138 + 16);
  put32(b, 14, 124);
  b.resize(138, 0x5A);
  const std::uint8_t pal[16] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
  b.insert(b.end(), pal, pal + 16);
  const std::uint8_t row[4] = {1, 3, 0, 0};
  b.insert(b.end(), row, row + 4);
  ASSERT_TRUE(surface.loadBmpBytes(b, "v5.bmp"));
  EXPECT_EQ(at(0, 0), kRed);
  EXPECT_EQ(at(1, 0), kBlue);
  // A header size that does not fit the file leaves the palette at byte 54.
  put32(b, 14, 0x7FFFFFF0u);
  ASSERT_TRUE(surface.loadBmpBytes(b, "v5.bmp"));
  EXPECT_EQ(at(0, 0), 0xFF5A5A5Au);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(BmpTest, RunLengthEightBitCodes) {
  auto b = palettedHeader(5, 3, 1);
  const std::uint8_t data[] = {
      3, 1,             // bottom row: 3 red
      0, 2, 7, 7,       // delta: its offsets are skipped, the position stays
      2, 2,             // 2 green
      4, 3,             // 4 blue: past the row's end, clipped
      0, 0,             // end of row
      0, 3, 3, 1, 2, 0, // literal blue, red, green + padding
      0, 0,             // end of row
      1, 1,             // top row: one red
      0, 1,             // end of picture
      5, 3,             // never read
  };
  b.insert(b.end(), data, data + sizeof data);
  ASSERT_TRUE(surface.loadBmpBytes(b, "r.bmp"));
  const std::uint32_t want[3][5] = {
      {kRed, 0, 0, 0, 0},
      {kBlue, kRed, kGreen, 0, 0},
      {kRed, kRed, kRed, kGreen, kGreen},
  };
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(at(x, y), want[y][x]) << x << "," << y;
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(BmpTest, RunLengthRowsPastTheTopAndTruncatedDataStopQuietly) {
  auto b = palettedHeader(2, 1, 1);
  const std::uint8_t data[] = {2, 1, 0, 0, 2, 2, 0, 0, 2, 3, 0};  // three rows for one
  b.insert(b.end(), data, data + sizeof data);
  ASSERT_TRUE(surface.loadBmpBytes(b, "r.bmp"));
  EXPECT_EQ(at(0, 0), kRed);
  EXPECT_EQ(at(1, 0), kRed);
}

TEST_F(BmpTest, OtherCompressionGivesATransparentFrame) {
  auto b = palettedHeader(4, 2, 2);
  b.insert(b.end(), 8, 1);
  ASSERT_TRUE(surface.loadBmpBytes(b, "c.bmp"));
  EXPECT_EQ(at(0, 0), 0u);
  EXPECT_EQ(at(3, 1), 0u);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(BmpTest, UnsupportedBitCountsAreRefused) {
  for (int bits : {1, 4, 16, 32}) {
    reporter.entries.clear();
    auto b = bmpHeader(2, 2, bits, 0, 54);
    b.insert(b.end(), 64, 0);
    EXPECT_FALSE(surface.loadBmpBytes(b, "cg\\x.bmp")) << bits;
    EXPECT_EQ(sites(), std::vector<int>{351});
    EXPECT_EQ(lastMessage(), "サポートされない色数");
    EXPECT_EQ(lastDetail(), "cg\\x.bmp");
    EXPECT_EQ(reporter.entries[0].fileName, "SCRIPT");
  }
}

TEST_F(BmpTest, HeadersThatDoNotFitTheBytesAreRefused) {
  std::vector<std::vector<std::uint8_t>> bad;
  bad.push_back({'B', 'M', 0, 0});                                 // shorter than the headers
  auto b = bmpHeader(2, 2, 24, 0, 5000);                          // pixel offset past the end
  b.insert(b.end(), 16, 0);
  bad.push_back(b);
  b = bmpHeader(0, 2, 24, 0, 54);                                 // no width
  bad.push_back(b);
  b = bmpHeader(-3, 2, 24, 0, 54);
  bad.push_back(b);
  b = bmpHeader(100000, 100000, 8, 0, 54 + 16);                   // rows far beyond the bytes
  b.insert(b.end(), 100, 0);
  bad.push_back(b);
  for (const auto& file : bad) {
    reporter.entries.clear();
    EXPECT_FALSE(surface.loadBmpBytes(file, "cg\\d.bmp"));
    EXPECT_EQ(sites(), std::vector<int>{311});
    EXPECT_EQ(lastMessage(), "メモリが足りない、またはファイルが開けない");
    EXPECT_EQ(lastDetail(), "cg\\d.bmp");
    EXPECT_FALSE(surface.isValid());
  }
  // A run-length picture far too large for memory is refused with the memory message
  // before a frame is made.
  reporter.entries.clear();
  b = palettedHeader(60000, 60000, 1);
  b.insert(b.end(), {0, 1});
  EXPECT_FALSE(surface.loadBmpBytes(b, "cg\\d.bmp"));
  EXPECT_EQ(sites(), std::vector<int>{311});
  EXPECT_EQ(lastMessage(), "メモリが足りない、またはファイルが開けない");
}

TEST_F(BmpTest, NegativeHeightIsTakenAsPositiveAndStillBottomUp) {
  auto b = bmpHeader(1, -2, 24, 0, 54);
  const std::uint8_t rows[8] = {1, 1, 1, 0, 2, 2, 2, 0};
  b.insert(b.end(), rows, rows + 8);
  ASSERT_TRUE(surface.loadBmpBytes(b, "n.bmp"));
  EXPECT_EQ(surface.height(), 2);
  EXPECT_EQ(at(0, 0), 0xFF020202u);
}

TEST_F(BmpTest, LoadsLooseFilesByGamePathAndReportsMissingOnes) {
  auto b = bmpHeader(1, 1, 24, 0, 54);
  b.insert(b.end(), {9, 8, 7, 0});
  writeGameFile("cg/Part.BMP", b);
  ASSERT_TRUE(surface.load("cg\\part.bmp"));
  EXPECT_EQ(at(0, 0), 0xFF070809u);
  EXPECT_FALSE(surface.load("cg\\none.BMP"));
  EXPECT_EQ(sites(), std::vector<int>{311});
  EXPECT_EQ(lastDetail(), "cg\\none.BMP");
}

TEST_F(BmpTest, DamagedFilesNeverTouchMemoryOutsideTheFrame) {
  std::vector<std::vector<std::uint8_t>> files;
  auto b = bmpHeader(3, 2, 24, 0, 54);
  b.insert(b.end(), 24, 0x55);
  files.push_back(b);
  b = palettedHeader(5, 2, 0);
  b.insert(b.end(), 16, 2);
  files.push_back(b);
  b = palettedHeader(5, 3, 1);
  b.insert(b.end(), {3, 1, 0, 2, 7, 7, 9, 2, 0, 0, 0, 5, 1, 2, 3, 1, 2, 0, 0, 0, 1});
  files.push_back(b);
  std::mt19937 rng(99);
  for (const auto& file : files) {
    for (std::size_t cut = 0; cut < file.size(); ++cut)
      surface.loadBmpBytes({file.begin(), file.begin() + cut}, "x.bmp");
    for (int round = 0; round < 500; ++round) {
      auto d = file;
      for (int i = 0; i < 1 + round % 3; ++i) d[rng() % d.size()] = std::uint8_t(rng());
      // Sizes are kept small so that every round decodes quickly.
      if (d[19] | d[20] | d[21] | d[23] | d[24] | d[25]) continue;
      surface.loadBmpBytes(d, "x.bmp");
    }
  }
}

}  // namespace
}  // namespace ml::test
