#include "media/formats/psd_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "picture_fixture.h"
#include "platform/byte_reader.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

using tools::PsdCompression;
using tools::PsdLayer;
using tools::RgbaImage;

using Frames = std::vector<std::vector<std::uint32_t>>;

// Offsets in the files the project's writer makes (no colour-mode data, no resources).
constexpr std::size_t kChannelsAt = 12;
constexpr std::size_t kLayerCountAt = 42;
constexpr std::size_t kFirstRecordAt = 44;

std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) { return ml::be32(b.data() + at); }
void set16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
  b[at] = std::uint8_t(v >> 8);
  b[at + 1] = std::uint8_t(v);
}

// Where the channel data of a layered file from the writer begins, and where the
// record of layer `index` begins.
std::size_t recordOffset(const std::vector<std::uint8_t>& b, int index) {
  std::size_t pos = kFirstRecordAt;
  for (int i = 0; i < index; ++i) {
    int n = ml::be16(b.data() + pos + 16);
    pos += 18 + 6 * n + 12;
    pos += 4 + be32(b, pos);
  }
  return pos;
}

class PsdTest : public PictureTest {
 protected:
  // Loads and decodes every frame into zeroed buffers. Returns false when load fails.
  bool decode(std::vector<std::uint8_t> bytes, Frames& frames, std::vector<bool>* ok = nullptr) {
    PsdImage image(reporter);
    if (!image.loadBytes(std::move(bytes), "cg\\test.psd")) return false;
    frames.assign(std::size_t(image.frameCount()),
                  std::vector<std::uint32_t>(std::size_t(image.width()) * image.height(), 0));
    for (int f = 0; f < image.frameCount(); ++f) {
      bool r = image.decodeFrame(f, reinterpret_cast<std::uint8_t*>(frames[f].data()), image.width() * 4);
      if (ok) ok->push_back(r);
    }
    return true;
  }
};

TEST_F(PsdTest, FlatPictureDecodesToOpaquePixelsRawAndRunLength) {
  RgbaImage img = patterned(7, 3, 17);  // alpha of the source is not stored
  for (auto c : {PsdCompression::Raw, PsdCompression::Rle}) {
    Frames frames;
    ASSERT_TRUE(decode(tools::writeFlatPsd(img, c), frames));
    ASSERT_EQ(frames.size(), 1u);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) {
        const std::uint8_t* p = img.at(x, y);
        EXPECT_EQ(frames[0][y * 7 + x], argb(255, p[0], p[1], p[2])) << x << "," << y;
      }
  }
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(PsdTest, ThreeChannelPictureWithLayersShowsTheMergedImageInEveryFrame) {
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(4, 3, 255, 1);
  layers[1].image = RgbaImage(2, 1, 9, 8, 7, 255);
  layers[1].left = 1;
  layers[1].top = 2;
  auto bytes = tools::writeLayeredPsd(4, 3, layers, PsdCompression::Raw);
  set16(bytes, kChannelsAt, 3);
  set16(bytes, kLayerCountAt, 2);
  Frames frames;
  ASSERT_TRUE(decode(bytes, frames));
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], frames[1]);
  EXPECT_EQ(frames[0][0], pixelOf(layers[0].image, 0, 0));
  EXPECT_EQ(frames[0][2 * 4 + 1], argb(255, 9, 8, 7));
  EXPECT_EQ(frames[0][2 * 4 + 3], pixelOf(layers[0].image, 3, 2));
}

TEST_F(PsdTest, LayeredPictureClipsLayersToTheCanvas) {
  std::vector<PsdLayer> layers(3);
  layers[0].image = patterned(5, 4, 200, 1);  // reaches past the left and top edges
  layers[0].left = -2;
  layers[0].top = -1;
  layers[1].image = patterned(4, 4, 128, 2);  // past the right and bottom edges
  layers[1].left = 4;
  layers[1].top = 3;
  layers[2].image = patterned(2, 1, 255, 3);  // small, inside
  layers[2].left = 2;
  layers[2].top = 2;
  for (auto c : {PsdCompression::Raw, PsdCompression::Rle}) {
    Frames frames;
    ASSERT_TRUE(decode(tools::writeLayeredPsd(6, 5, layers, c), frames));
    ASSERT_EQ(frames.size(), 3u);
    for (int f = 0; f < 3; ++f) {
      const PsdLayer& l = layers[f];
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
          int lx = x - l.left, ly = y - l.top;
          bool inside = lx >= 0 && ly >= 0 && lx < l.image.width && ly < l.image.height;
          std::uint32_t want = inside ? pixelOf(l.image, lx, ly) : 0;
          EXPECT_EQ(frames[f][y * 6 + x], want) << "frame " << f << " at " << x << "," << y;
        }
    }
  }
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(PsdTest, RunHeader0x80Repeats129Times) {
  // Flat 129 x 1, run-length: each plane is one row "0x80 value".
  std::vector<std::uint8_t> b = tools::writeFlatPsd(RgbaImage(129, 1), PsdCompression::Raw);
  b.resize(26 + 12);  // header and three empty sections
  b.push_back(0);
  b.push_back(1);  // compression
  for (int i = 0; i < 3; ++i) {
    b.push_back(0);
    b.push_back(2);
  }
  for (int v : {0x11, 0x22, 0x33}) {
    b.push_back(0x80);
    b.push_back(std::uint8_t(v));
  }
  Frames frames;
  ASSERT_TRUE(decode(b, frames));
  for (int x = 0; x < 129; ++x) EXPECT_EQ(frames[0][x], argb(255, 0x11, 0x22, 0x33));
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(PsdTest, UnsupportedPicturesAreRefusedWithTheirMessages) {
  auto base = tools::writeFlatPsd(patterned(3, 2), PsdCompression::Raw);
  struct Case {
    std::size_t at;
    std::uint8_t value;
    int site;
    const char* message;
  } cases[] = {
      {0, 'X', 327, "イメージ情報が取得できない"},           // signature
      {5, 2, 327, "イメージ情報が取得できない"},             // version
      {9, 1, 327, "イメージ情報が取得できない"},             // reserved
      {25, 1, 334, "現在サポートしていないカラーモ－ド"},    // grayscale
      {23, 16, 341, "現在サポートしていない色深度"},         // 16 bits
      {21, 0, 327, "イメージ情報が取得できない"},            // width 0
      {30 + 3, 200, 327, "イメージ情報が取得できない"},      // resources past the end
  };
  for (const Case& c : cases) {
    auto b = base;
    b[c.at] = c.value;
    reporter.entries.clear();
    Frames frames;
    EXPECT_FALSE(decode(b, frames)) << c.message;
    ASSERT_EQ(reporter.entries.size(), 1u) << c.message;
    EXPECT_EQ(reporter.entries[0].number, c.site);
    EXPECT_EQ(lastMessage(), c.message);
    EXPECT_EQ(reporter.entries[0].fileName, "SCRIPT");
    EXPECT_EQ(reporter.entries[0].detail, "cg\\test.psd");
  }
  reporter.entries.clear();
  Frames frames;
  EXPECT_FALSE(decode({}, frames));
  EXPECT_EQ(sites(), std::vector<int>{291});
  EXPECT_EQ(lastMessage(), "データサイズがおかしい");
}

TEST_F(PsdTest, ChannelAndLayerCountMustMatch) {
  Frames frames;
  // Four channels without layers (count 0, not negative).
  EXPECT_FALSE(decode(tools::writeFlatPsd(patterned(2, 2), PsdCompression::Raw, true), frames));
  EXPECT_EQ(sites(), std::vector<int>{368});
  EXPECT_EQ(lastMessage(), "現在サポートしていないチャネルの数");
  EXPECT_EQ(lastDetail(), "\ncg\\test.psd\nチャネル数 4\nレイヤ数 0\nαチャネル false");

  // Four channels with the layer count stored positive.
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(2, 2);
  layers[1].image = patterned(2, 2);
  auto b = tools::writeLayeredPsd(2, 2, layers, PsdCompression::Raw);
  set16(b, kLayerCountAt, 2);
  reporter.entries.clear();
  EXPECT_FALSE(decode(b, frames));
  EXPECT_EQ(lastDetail(), "\ncg\\test.psd\nチャネル数 4\nレイヤ数 2\nαチャネル false");

  // Three channels with a negative count.
  b = tools::writeLayeredPsd(2, 2, layers, PsdCompression::Raw);
  set16(b, kChannelsAt, 3);
  reporter.entries.clear();
  EXPECT_FALSE(decode(b, frames));
  EXPECT_EQ(lastDetail(), "\ncg\\test.psd\nチャネル数 3\nレイヤ数 2\nαチャネル true");
}

TEST_F(PsdTest, MoreThan200LayersAreRefused) {
  std::vector<PsdLayer> layers(200);
  for (auto& l : layers) l.image = RgbaImage(1, 1, 1, 2, 3, 255);
  Frames frames;
  EXPECT_TRUE(decode(tools::writeLayeredPsd(1, 1, layers, PsdCompression::Rle), frames));
  EXPECT_EQ(frames.size(), 200u);
  layers.resize(201, layers[0]);
  EXPECT_FALSE(decode(tools::writeLayeredPsd(1, 1, layers, PsdCompression::Rle), frames));
  EXPECT_EQ(sites(), std::vector<int>{368});
  EXPECT_EQ(lastMessage(), "現在サポートしていないレイヤの数");
  EXPECT_EQ(lastDetail(), "\ncg\\test.psd\nチャネル数 4\nレイヤ数 201\nαチャネル true");
}

TEST_F(PsdTest, LayerWithoutTransparencyKeepsColoursButStaysInvisible) {
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(2, 2, 255, 1);
  layers[1].image = patterned(2, 2, 255, 2);
  layers[1].withTransparency = false;
  Frames frames;
  std::vector<bool> ok;
  ASSERT_TRUE(decode(tools::writeLayeredPsd(2, 2, layers, PsdCompression::Rle), frames, &ok));
  EXPECT_TRUE(ok[0]);
  EXPECT_FALSE(ok[1]);
  EXPECT_EQ(sites(), std::vector<int>{915});
  EXPECT_EQ(lastMessage(), "チャネルのポインタが不正");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(frames[1][i], pixelOf(layers[1].image, i % 2, i / 2) & 0xFFFFFF);
}

TEST_F(PsdTest, LayerZeroWithOtherThanFourChannelsIsReportedAndDecodingGoesOn) {
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(2, 2, 255, 1);
  layers[0].withTransparency = false;
  layers[1].image = patterned(2, 2, 90, 2);
  auto b = tools::writeLayeredPsd(2, 2, layers, PsdCompression::Raw);
  PsdImage image(reporter);
  ASSERT_TRUE(image.loadBytes(b, "x.psd"));
  std::vector<std::uint32_t> frame(4, 0);
  EXPECT_TRUE(image.decodeFrame(1, reinterpret_cast<std::uint8_t*>(frame.data()), 8));
  EXPECT_EQ(sites(), (std::vector<int>{870, 870, 870, 870}));  // once per channel
  EXPECT_EQ(lastMessage(), "チャネルの数が不正");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(frame[i], pixelOf(layers[1].image, i % 2, i / 2));
}

TEST_F(PsdTest, RunLengthOverrunsStopTheFrame) {
  // Flat: a literal run of 6 in a row of 4.
  auto b = tools::writeFlatPsd(RgbaImage(4, 1, 1, 2, 3, 255), PsdCompression::Rle);
  std::size_t data = 26 + 12 + 2 + 3 * 2;
  b[data] = 5;
  Frames frames;
  std::vector<bool> ok;
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_FALSE(ok[0]);
  EXPECT_EQ(sites(), std::vector<int>{783});
  EXPECT_EQ(lastMessage(), "RLE データがオーバーランしました");
  EXPECT_EQ(lastDetail(), "cg\\test.psd");
  EXPECT_EQ(frames[0][0] >> 24, 0u);  // the alpha pass never ran

  // Layered: layer 1's transparency block (written first) overruns; its colours are in.
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(3, 2, 255, 1);
  layers[1].image = RgbaImage(3, 2, 50, 60, 70, 255);
  b = tools::writeLayeredPsd(3, 2, layers, PsdCompression::Rle);
  std::size_t channelData = recordOffset(b, 2);
  std::size_t layer0Bytes = 0;
  for (int c = 0; c < 4; ++c) layer0Bytes += be32(b, kFirstRecordAt + 18 + 6 * c + 2);
  std::size_t alphaBlock = channelData + layer0Bytes;
  ASSERT_EQ(b[alphaBlock + 1], 1);                // run-length
  ASSERT_EQ(b[alphaBlock + 6], std::uint8_t(-2));  // "repeat 3 times"
  b[alphaBlock + 6] = std::uint8_t(-3);            // 4 in a row of 3
  reporter.entries.clear();
  ok.clear();
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_TRUE(ok[0]);
  EXPECT_FALSE(ok[1]);
  EXPECT_EQ(sites(), std::vector<int>{954});
  EXPECT_EQ(lastMessage(), "RLE データがオーバーランしました\ncg\\test.psd\nレイヤ 1 チャネル -1");
  EXPECT_EQ(lastDetail(), "");
  EXPECT_EQ(frames[1][0], argb(0, 50, 60, 70));
}

TEST_F(PsdTest, UnknownMergedCompressionIsReportedAndReadAsRunLength) {
  RgbaImage img = patterned(5, 2);
  auto b = tools::writeFlatPsd(img, PsdCompression::Rle);
  b[26 + 12 + 1] = 7;
  Frames frames;
  std::vector<bool> ok;
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_TRUE(ok[0]);
  EXPECT_EQ(sites(), std::vector<int>{184});
  EXPECT_EQ(lastMessage(), "不明な圧縮タイプ");
  EXPECT_EQ(lastDetail(), "7");
  EXPECT_EQ(frames[0][6], pixelOf(img, 1, 1) | 0xFF000000u);
}

TEST_F(PsdTest, DamagedLayerRecordsAndBadCallsAreReported) {
  std::vector<PsdLayer> layers(2);
  layers[0].image = patterned(2, 2);
  layers[1].image = patterned(2, 2);
  auto good = tools::writeLayeredPsd(2, 2, layers, PsdCompression::Raw);
  std::vector<std::uint32_t> frame(4);
  auto* px = reinterpret_cast<std::uint8_t*>(frame.data());

  // Layer 0's additional information not signed "8BIM" before its layer id.
  auto b = good;
  std::size_t lyid = recordOffset(b, 1) - 16;
  ASSERT_EQ(std::memcmp(&b[lyid], "8BIMlyid", 8), 0);
  b[lyid] = 'X';
  PsdImage image(reporter);
  ASSERT_TRUE(image.loadBytes(b, "x.psd"));
  EXPECT_FALSE(image.decodeFrame(0, px, 8));
  EXPECT_EQ(sites(), std::vector<int>{864});
  EXPECT_EQ(lastMessage(), "レイヤ情報が取得できない");

  // A channel length that points past the end of the file.
  b = good;
  b[kFirstRecordAt + 18 + 2] = 0x7F;
  reporter.entries.clear();
  ASSERT_TRUE(image.loadBytes(b, "x.psd"));
  EXPECT_FALSE(image.decodeFrame(0, px, 8));
  EXPECT_EQ(sites(), std::vector<int>{915});

  reporter.entries.clear();
  ASSERT_TRUE(image.loadBytes(good, "x.psd"));
  EXPECT_FALSE(image.decodeFrame(2, px, 8));   // no such layer
  EXPECT_FALSE(image.decodeFrame(-1, px, 8));
  EXPECT_FALSE(image.decodeFrame(0, nullptr, 8));
  EXPECT_FALSE(image.decodeFrame(0, px, 4));    // rows too short for the canvas
  image.clear();
  EXPECT_FALSE(image.decodeFrame(0, px, 8));
  EXPECT_EQ(sites(), (std::vector<int>{864, 864, 845, 845, 713}));

  reporter.entries.clear();
  ASSERT_TRUE(image.loadBytes(tools::writeFlatPsd(patterned(2, 2), PsdCompression::Raw), "x.psd"));
  EXPECT_FALSE(image.decodeFrame(0, nullptr, 8));
  EXPECT_EQ(sites(), std::vector<int>{705});
  EXPECT_EQ(lastMessage(), "書き込み先のポインタが不正");
}

TEST_F(PsdTest, MergedImageMissingOrShortIsReported) {
  auto b = tools::writeFlatPsd(patterned(4, 4), PsdCompression::Raw);
  b.resize(26 + 12 + 2 + 10);
  Frames frames;
  std::vector<bool> ok;
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_FALSE(ok[0]);
  EXPECT_EQ(sites(), std::vector<int>{753});
  EXPECT_EQ(lastMessage(), "チャネルのポインタが不正");
}

TEST_F(PsdTest, FilesCutShortKeepTheFramesBeforeTheCut) {
  std::vector<PsdLayer> layers(3);
  layers[0].image = patterned(4, 3, 255, 1);
  layers[1].image = patterned(4, 3, 128, 2);
  layers[2].image = patterned(3, 3, 200, 3);
  const auto full = tools::writeLayeredPsd(4, 3, layers, PsdCompression::Raw);
  // The layer section's data starts at 38; it ends with the last layer's blue block
  // (channels are stored transparency, red, green, blue), padding and a mask length.
  const std::size_t sectionEnd = 38 + be32(full, 34);
  Frames frames;
  std::vector<bool> ok;

  // Cut inside the last block: the frames before it decode whole, the last one up to
  // the channel that lies past the end.
  auto b = full;
  b.resize(sectionEnd - 7);
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_EQ(ok, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(sites(), std::vector<int>{915});
  for (int i = 0; i < 12; ++i) EXPECT_EQ(frames[1][i], pixelOf(layers[1].image, i % 4, i / 4));
  EXPECT_EQ(frames[2][0], pixelOf(layers[2].image, 0, 0) & 0x00FFFF00u);  // red, green only

  // Cut inside the records: where the channel data starts is unknown.
  b = full;
  b.resize(kFirstRecordAt + 20);
  reporter.entries.clear();
  ok.clear();
  ASSERT_TRUE(decode(b, frames, &ok));
  EXPECT_EQ(ok, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(sites(), (std::vector<int>{864, 864, 864}));

  // A flat picture cut inside its layer section: the merged image cannot be located.
  b = full;
  set16(b, kChannelsAt, 3);
  set16(b, kLayerCountAt, 3);
  b.resize(sectionEnd - 7);
  reporter.entries.clear();
  ASSERT_TRUE(decode(b, frames));
  EXPECT_EQ(sites(), (std::vector<int>{739, 739, 739}));
  EXPECT_EQ(lastMessage(), "レイヤストラクチャーのポインタが不正");

  // Cut before the layer count: nothing tells what kind of picture it is.
  b = full;
  b.resize(kLayerCountAt + 1);
  reporter.entries.clear();
  EXPECT_FALSE(decode(b, frames));
  EXPECT_EQ(sites(), std::vector<int>{327});
}

// Every cut and many random corruptions of valid files: no read or write outside the
// bytes and the frame (guard rows around the frame must stay untouched; the sanitizer
// build checks the reads).
TEST_F(PsdTest, DamagedFilesNeverTouchMemoryOutsideTheFrame) {
  std::vector<PsdLayer> layers(3);
  layers[0].image = patterned(5, 4, 200, 1);
  layers[0].left = -2;
  layers[1].image = patterned(4, 3, 128, 2);
  layers[1].left = 3;
  layers[1].top = 2;
  std::vector<std::vector<std::uint8_t>> files = {
      tools::writeFlatPsd(patterned(6, 4), PsdCompression::Raw),
      tools::writeFlatPsd(patterned(6, 4), PsdCompression::Rle),
      tools::writeLayeredPsd(6, 4, layers, PsdCompression::Raw),
      tools::writeLayeredPsd(6, 4, layers, PsdCompression::Rle),
  };
  std::mt19937 rng(1234);
  int decoded = 0;
  auto check = [&](std::vector<std::uint8_t> bytes) {
    PsdImage image(reporter);
    if (!image.loadBytes(std::move(bytes), "x.psd")) return;
    ++decoded;
    if (image.width() * image.height() > 64 * 64) return;
    const std::size_t w = image.width(), h = image.height();
    for (int f = 0; f < image.frameCount(); ++f) {
      std::vector<std::uint32_t> buf((h + 2) * w, 0xCDCDCDCDu);
      std::fill(buf.begin() + w, buf.end() - w, 0u);
      image.decodeFrame(f, reinterpret_cast<std::uint8_t*>(buf.data() + w), int(w * 4));
      for (std::size_t i = 0; i < w; ++i) {
        ASSERT_EQ(buf[i], 0xCDCDCDCDu);
        ASSERT_EQ(buf[buf.size() - 1 - i], 0xCDCDCDCDu);
      }
    }
  };
  for (const auto& file : files) {
    for (std::size_t cut = 0; cut < file.size(); ++cut) check({file.begin(), file.begin() + cut});
    for (int round = 0; round < 400; ++round) {
      auto b = file;
      int flips = 1 + round % 4;
      for (int i = 0; i < flips; ++i) b[rng() % b.size()] = std::uint8_t(rng());
      check(b);
    }
  }
  EXPECT_GT(decoded, 1000);
}

}  // namespace
}  // namespace ml::test
