// Reading and writing 8-bit RGBA PNG files for the author tools and the tests.
//
// RgbaImage is the plain picture the tool writers share: rows top to bottom, 4 bytes
// per pixel in the order red, green, blue, alpha (alpha 255 opaque).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ml::tools {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes, RGBA

  RgbaImage() = default;
  // A picture of the given size filled with one colour.
  RgbaImage(int w, int h, std::uint8_t r = 0, std::uint8_t g = 0, std::uint8_t b = 0,
            std::uint8_t a = 0);

  bool empty() const { return width <= 0 || height <= 0; }
  std::uint8_t* at(int x, int y) { return pixels.data() + (std::size_t(y) * width + x) * 4; }
  const std::uint8_t* at(int x, int y) const {
    return pixels.data() + (std::size_t(y) * width + x) * 4;
  }
  void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
};

// Reads any PNG (grey, palette, 16-bit ... are converted to 8-bit RGBA; pictures without
// transparency get alpha 255). On failure returns false and puts a reason in *error.
bool readPng(const std::string& path, RgbaImage& out, std::string* error = nullptr);

// Writes an 8-bit RGBA PNG. On failure returns false and puts a reason in *error.
bool writePng(const std::string& path, const RgbaImage& image, std::string* error = nullptr);

// The same with the PNG file in memory.
bool decodePng(const std::vector<std::uint8_t>& bytes, RgbaImage& out, std::string* error = nullptr);
bool encodePng(const RgbaImage& image, std::vector<std::uint8_t>& out, std::string* error = nullptr);

}  // namespace ml::tools
