#include "platform/headless/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "platform/posix/safe_file.h"

namespace ml {

namespace {

// Everything that libpng may jump over lives here, outside the setjmp frame.
struct PngJob {
  SafeFileWriter file;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<png_byte> row;
};

void writeBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (!job->file.write(data, size)) png_error(png, "write failed");
}

void flushNothing(png_structp) {}

bool encode(PngJob& job, const std::uint32_t* pixels, int width, int height) {
  if (setjmp(png_jmpbuf(job.png))) return false;
  png_set_write_fn(job.png, &job, writeBytes, flushNothing);
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

bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              std::string* error) {
  if (pixels == nullptr || width <= 0 || height <= 0) {
    if (error) *error = path + ": no picture to write";
    return false;
  }
  PngJob job;
  job.row.resize(static_cast<size_t>(width) * 3);
  if (!job.file.open(path)) {
    if (error) *error = job.file.error();
    return false;
  }
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (job.png != nullptr) job.info = png_create_info_struct(job.png);
  bool ok = job.png != nullptr && job.info != nullptr && encode(job, pixels, width, height);
  if (job.png != nullptr) png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
  // Nothing reaches the target unless the whole picture was encoded and written.
  ok = ok && job.file.commit();
  if (!ok && error) *error = job.file.failed() ? job.file.error() : path + ": the picture cannot be encoded";
  return ok;
}

}  // namespace ml
