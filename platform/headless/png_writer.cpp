#include "platform/headless/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace ml {

namespace {

// Everything that libpng may jump over lives here, outside the setjmp frame.
struct PngJob {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<png_byte> row;
};

bool encode(PngJob& job, const std::uint32_t* pixels, int width, int height) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_init_io(job.png, job.file);
  png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(job.png, job.info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      job.row[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
      job.row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
      job.row[x * 3 + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(job.png, job.row.data());
  }
  png_write_end(job.png, nullptr);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  if (pixels == nullptr || width <= 0 || height <= 0) return false;
  PngJob job;
  job.row.resize(static_cast<size_t>(width) * 3);
  job.file = std::fopen(path.c_str(), "wb");
  if (job.file == nullptr) return false;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (job.png != nullptr) job.info = png_create_info_struct(job.png);
  bool ok = job.png != nullptr && job.info != nullptr && encode(job, pixels, width, height);
  if (job.png != nullptr) png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
  ok = (std::fclose(job.file) == 0) && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace ml
