// A picture in memory: up to 200 equally sized frames of 32-bit pixels (bytes blue,
// green, red, alpha; rows top to bottom, no padding), each with the rectangle that
// holds its visible pixels. Loaded from BMP or PSD files, written out as BMP
// thumbnails. Frames are plain memory that the pixel routines walk directly; text is
// rasterised straight into them, so there is no drawing context to manage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/gfx/picture_budget.h"
#include "platform/rect.h"

namespace ml {

struct MediaContext;
class PsdImage;

// The former name, until its last user in the scene has moved to Rect.

class Surface {
 public:
  static constexpr int kMaxFrames = 200;

  explicit Surface(const MediaContext& media) : media_(&media) {}
  Surface(Surface&&) noexcept = default;
  Surface& operator=(Surface&&) noexcept = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Releases everything, then makes `frames` zeroed frames of width x height with
  // content rectangles covering the whole frame. The pixels are claimed from the
  // context's picture budget first; a size beyond it is refused as a bitmap that
  // cannot be made (a damaged size field must not exhaust memory).
  bool create(int width, int height, int frames);
  // ".bmp" names (ASCII case ignored) go to the BMP loader, all others to the PSD one.
  // The name is a game path ("cg\bg01.psd") found loose or in the picture archive.
  bool load(std::string_view name);
  // The two loaders on bytes already in memory; name is used in messages.
  bool loadBmpBytes(const std::vector<std::uint8_t>& bytes, std::string_view name);
  bool loadPsdBytes(std::vector<std::uint8_t> bytes, std::string_view name);
  void release();

  bool isValid() const { return !pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int frameCount() const { return frameCount_; }
  // First pixel of a frame; null for a frame the surface does not have. Handing out a
  // writable pointer forgets whether the frame is opaque; code that keeps such a
  // pointer and writes through it later calls pixelsChanged.
  std::uint32_t* pixels(int frame = 0);
  const std::uint32_t* pixels(int frame = 0) const;
  void pixelsChanged(int frame);
  // True when every pixel of the frame has alpha 255 (remembered until the pixels
  // change).
  bool opaque(int frame) const;

  const Rect& content(int frame) const;
  int contentX(int frame) const { return content(frame).x; }
  int contentY(int frame) const { return content(frame).y; }
  int contentWidth(int frame) const { return content(frame).width; }
  int contentHeight(int frame) const { return content(frame).height; }
  void setContent(int frame, const Rect& rect);
  // The smallest rectangle around the pixels whose alpha is not 0 (empty when none).
  void computeContent(int frame);

  void setAlphaFlag(bool on) { alphaFlag_ = on; }
  bool alphaFlag() const { return alphaFlag_; }

  // Writes the 32-bit value into every pixel of frame 0.
  void fill(std::uint32_t value);

  // Frame as a 24-bit BMP file, reduced by size type 1-5 (0 and any other value: full
  // size); with alphaAsGrey each pixel is its alpha byte in all three colours. The path
  // is a game path inside the game folder; the file is written through the safe path.
  // False, with *error ("PATH: reason") for the caller to report, when the frame is
  // missing or the file cannot be written.
  bool writeBmp(std::string_view path, int frame, int sizeType, bool alphaAsGrey,
                std::string* error = nullptr) const;
  // The same file's bytes.
  std::vector<std::uint8_t> encodeBmp(int frame, int sizeType, bool alphaAsGrey) const;

  const MediaContext& media() const { return *media_; }

 private:
  bool loadBmp(std::string_view name);
  bool loadPsd(std::string_view name);
  bool fillFromPsd(PsdImage& image);
  void report(int site, std::string_view message, std::string_view detail) const;

  const MediaContext* media_;
  int width_ = 0;
  int height_ = 0;
  int frameCount_ = 0;
  bool alphaFlag_ = false;
  std::vector<std::uint32_t> pixels_;  // frames one after another
  std::vector<Rect> content_;
  mutable std::vector<std::int8_t> opaque_;  // per frame: -1 unknown, 0 no, 1 yes
  PictureBudget::Share share_;               // what the pixels hold of the budget
};

}  // namespace ml
