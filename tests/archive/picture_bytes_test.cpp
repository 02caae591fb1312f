#include "media/formats/picture_bytes.h"

#include <gtest/gtest.h>

#include "archive_bytes.h"
#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/formats/lzss.h"
#include "temp_dir.h"

namespace ml {
namespace {

using test::archiveBytes;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

std::string psdLike(std::size_t size) {
  std::string s = "8BPS";
  for (std::size_t i = 4; i < size; ++i) s.push_back(static_cast<char>('a' + i % 7));
  return s;
}

std::string packed(const std::string& picture) {
  Bytes raw(picture.begin(), picture.end());
  Bytes stream = encodeLzss(raw);
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(picture.size() >> (8 * i));
  out.append(stream.begin(), stream.end());
  return out;
}

std::string headScrambled(std::string s) {
  applyArchiveKey(reinterpret_cast<std::uint8_t*>(s.data()), std::min<std::size_t>(32, s.size()));
  return s;
}

class PictureBytesTest : public ::testing::Test {
 protected:
  void openArchive(const std::vector<test::RawEntry>& entries) {
    ASSERT_TRUE(archive.open(dir.write("cg.dat", archiveBytes(entries, true)), true));
  }
  bool load(const std::string& name, const std::string& magic) {
    return loadPictureBytes(folder, archive, name, magic, out);
  }
  std::string outText() const { return std::string(out.begin(), out.end()); }

  TempDir dir;
  GameFolder folder{dir.path()};
  DataArchive archive;
  Bytes out;
};

TEST_F(PictureBytesTest, ArchivedPicturesHaveTheirHeadUnscrambled) {
  std::string pic = psdLike(100);
  openArchive({{"bg.psd", headScrambled(pic)}});
  ASSERT_TRUE(load("cg\\BG.psd", "8BPS"));
  EXPECT_EQ(outText(), pic);
  EXPECT_EQ(archive.selection(), DataArchive::kSelectedNone);
  EXPECT_FALSE(load("cg\\none.psd", "8BPS"));
  EXPECT_TRUE(out.empty());
}

TEST_F(PictureBytesTest, LooseFileWinsAndIsNotUnscrambled) {
  std::string loose = psdLike(40);
  dir.write("CG/Bg.psd", loose);
  openArchive({{"bg.psd", headScrambled(psdLike(64))}});
  ASSERT_TRUE(load("cg\\bg.psd", "8BPS"));
  EXPECT_EQ(outText(), loose);
}

TEST_F(PictureBytesTest, PackedPicturesUnpackToTheirDeclaredSize) {
  std::string bmp = "BM" + std::string(3000, '\0') + "tail";
  openArchive({{"p.bmp", headScrambled(packed(bmp))}});
  ASSERT_TRUE(load("cg\\p.bmp", "BM"));
  EXPECT_EQ(outText(), bmp);
  // Loose files may be packed the same way (and are not unscrambled).
  dir.write("cg/q.bmp", packed(bmp));
  ASSERT_TRUE(load("cg\\q.bmp", "BM"));
  EXPECT_EQ(outText(), bmp);
}

TEST_F(PictureBytesTest, DamagedArchivedPicturesAreRefused) {
  std::string pic = psdLike(300);
  std::string good = packed(pic);
  std::string truncated = good.substr(0, good.size() - 10);
  std::string bigSize = good;
  bigSize[3] = '\x7F';  // declares far more than the stream can give
  openArchive({{"short.psd", headScrambled("8BPS" + std::string(27, 'x'))},
               {"cut.psd", headScrambled(truncated)},
               {"big.psd", headScrambled(bigSize)},
               {"zero.psd", headScrambled(std::string(32, '\0'))},
               {"ok.psd", headScrambled(good)}});
  EXPECT_FALSE(load("short.psd", "8BPS"));  // 31 bytes: shorter than the scrambled head
  EXPECT_FALSE(load("cut.psd", "8BPS"));
  EXPECT_FALSE(load("big.psd", "8BPS"));
  EXPECT_FALSE(load("zero.psd", "8BPS"));  // declares 0 bytes
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(load("ok.psd", "8BPS"));
  EXPECT_EQ(outText(), pic);
}

TEST_F(PictureBytesTest, LooseFilesTooShortOrDamagedAreRefused) {
  openArchive({});
  dir.write("cg/empty.bmp", std::string());
  dir.write("cg/three.bmp", std::string("abc"));
  dir.write("cg/two.bmp", std::string("BM"));
  EXPECT_FALSE(load("cg\\empty.bmp", "BM"));
  EXPECT_FALSE(load("cg\\three.bmp", "BM"));
  EXPECT_TRUE(load("cg\\two.bmp", "BM"));  // the magic alone is for the loader to judge
}

TEST(UnpackPictureBytesTest, MagicDecidesWhetherToUnpack) {
  Bytes withMagic{'8', 'B', 'P', 'S', 1, 2};
  EXPECT_TRUE(unpackPictureBytes(withMagic, "8BPS"));
  EXPECT_EQ(withMagic.size(), 6u);
  Bytes psdAsBmp{'8', 'B', 'P', 'S', 1, 2};
  EXPECT_FALSE(unpackPictureBytes(psdAsBmp, "BM"));  // a 0x53504238-byte picture? no
}

}  // namespace
}  // namespace ml
