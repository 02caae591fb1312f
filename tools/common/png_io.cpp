#include "tools/common/png_io.h"

#include <png.h>

#include <cstring>
#include <limits>

#include "platform/posix/safe_file.h"

namespace ml::tools {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// Finishes a read begun on image; the begin call decides the source.
bool finishRead(png_image& image, RgbaImage& out, std::string* error) {
  image.format = PNG_FORMAT_RGBA;
  if (image.width == 0 || image.height == 0 ||
      image.width > static_cast<png_uint_32>(std::numeric_limits<int>::max() / 4) ||
      image.height > static_cast<png_uint_32>(std::numeric_limits<int>::max()) ||
      std::uint64_t(image.width) * image.height > (std::uint64_t(1) << 28)) {
    png_image_free(&image);
    setError(error, "picture too large");
    return false;
  }
  RgbaImage result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
    setError(error, image.message);
    png_image_free(&image);
    return false;
  }
  out = std::move(result);
  return true;
}

}  // namespace

RgbaImage::RgbaImage(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
    : width(w), height(h) {
  pixels.resize(std::size_t(w > 0 ? w : 0) * std::size_t(h > 0 ? h : 0) * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = r;
    pixels[i + 1] = g;
    pixels[i + 2] = b;
    pixels[i + 3] = a;
  }
}

void RgbaImage::set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  std::uint8_t* p = at(x, y);
  p[0] = r;
  p[1] = g;
  p[2] = b;
  p[3] = a;
}

bool readPng(const std::string& path, RgbaImage& out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    setError(error, image.message);
    return false;
  }
  return finishRead(image, out, error);
}

bool decodePng(const std::vector<std::uint8_t>& bytes, RgbaImage& out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    setError(error, image.message);
    return false;
  }
  return finishRead(image, out, error);
}

static bool checkImage(const RgbaImage& image, std::string* error) {
  if (image.empty() ||
      image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 4) {
    setError(error, "picture has no pixels or the wrong number of bytes");
    return false;
  }
  return true;
}

bool writePng(const std::string& path, const RgbaImage& image, std::string* error) {
  // Encoded in memory, then written through the safe write path.
  std::vector<std::uint8_t> bytes;
  if (!encodePng(image, bytes, error)) return false;
  std::string why;
  if (!writeFileSafely(path, bytes, &why)) {
    setError(error, why);
    return false;
  }
  return true;
}

bool encodePng(const RgbaImage& image, std::vector<std::uint8_t>& out, std::string* error) {
  if (!checkImage(image, error)) return false;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr)) {
    setError(error, png.message);
    return false;
  }
  out.resize(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.pixels.data(), 0, nullptr)) {
    setError(error, png.message);
    out.clear();
    return false;
  }
  out.resize(size);
  return true;
}

}  // namespace ml::tools
