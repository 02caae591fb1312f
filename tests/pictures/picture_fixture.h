// Shared set-up of the picture tests: a media context over a scratch game folder with
// a recording reporter, and small helpers to build and inspect pictures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/settings.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"
#include "tools/common/png_io.h"

namespace ml::test {

class PictureTest : public ::testing::Test {
 protected:
  PictureTest()
      : dir_(makeDir()), folder(dir_.string()), media{reporter, folder, archive, settings} {}
  ~PictureTest() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // Writes bytes as a loose file of the game folder (path with "/").
  void writeGameFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    auto host = dir_ / path;
    std::filesystem::create_directories(host.parent_path());
    FILE* f = std::fopen(host.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  std::filesystem::path hostPath(const std::string& path) const { return dir_ / path; }

  // Site numbers of the system errors reported so far.
  std::vector<int> sites() const {
    std::vector<int> out;
    for (const auto& e : reporter.entries) out.push_back(e.number);
    return out;
  }
  std::string lastMessage() const {
    return reporter.entries.empty() ? std::string() : sjisToUtf8(reporter.entries.back().message);
  }
  std::string lastDetail() const {
    return reporter.entries.empty() ? std::string() : sjisToUtf8(reporter.entries.back().detail);
  }

  RecordingReporter reporter;
  std::filesystem::path dir_;
  GameFolder folder;
  DataArchive archive;
  Settings settings;
  MediaContext media;

 private:
  static std::filesystem::path makeDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "mirelune-pic-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    return made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
  }
};

// 0xAARRGGBB as the frames hold it.
inline std::uint32_t argb(int a, int r, int g, int b) {
  return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

// The pixel of an RGBA picture as a frame would hold it.
inline std::uint32_t pixelOf(const tools::RgbaImage& img, int x, int y) {
  const std::uint8_t* p = img.at(x, y);
  return argb(p[3], p[0], p[1], p[2]);
}

// A picture whose every pixel differs (colours from position, alpha as given).
inline tools::RgbaImage patterned(int w, int h, int alpha = 255, int seed = 0) {
  tools::RgbaImage img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.set(x, y, std::uint8_t(x * 37 + y * 11 + seed), std::uint8_t(x * 5 + y * 53 + seed * 3),
              std::uint8_t(x * 101 + y * 7 + seed * 7), std::uint8_t(alpha));
  return img;
}

}  // namespace ml::test
