#include "media/gfx/surface.h"

#include <algorithm>
#include <new>

#include "media/formats/bmp.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/formats/picture_bytes.h"
#include "media/formats/psd_image.h"
#include "platform/reporter.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::string_view kTag = "SCRIPT";

const Rect kNoContent{};

}  // namespace

void Surface::report(int site, std::string_view message, std::string_view detail) const {
  media_->reporter.systemError(kTag, site, message, detail);
}

void Surface::release() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  content_.clear();
  opaque_.clear();
  width_ = height_ = frameCount_ = 0;
  alphaFlag_ = false;
  share_.reset();
}

bool Surface::create(int width, int height, int frames) {
  release();
  const std::uint64_t count = std::uint64_t(width > 0 ? width : 0) * std::uint64_t(height > 0 ? height : 0) *
                              std::uint64_t(frames > 0 ? frames : 0);
  if (count == 0 || frames > kMaxFrames || !media_->pictureBudget.take(width, height, frames, share_)) {
    report(155, SJ("ビットマップが作成できません"), "");
    return false;
  }
  try {
    pixels_.assign(static_cast<std::size_t>(count), 0u);
    content_.assign(static_cast<std::size_t>(frames), Rect{0, 0, width, height});
    opaque_.assign(static_cast<std::size_t>(frames), 0);  // zeroed: transparent
  } catch (const std::bad_alloc&) {
    release();
    report(155, SJ("ビットマップが作成できません"), "");
    return false;
  }
  width_ = width;
  height_ = height;
  frameCount_ = frames;
  return true;
}

std::uint32_t* Surface::pixels(int frame) {
  if (frame < 0 || frame >= frameCount_ || pixels_.empty()) return nullptr;
  opaque_[static_cast<std::size_t>(frame)] = -1;
  return pixels_.data() + std::size_t(frame) * width_ * height_;
}

const std::uint32_t* Surface::pixels(int frame) const {
  if (frame < 0 || frame >= frameCount_ || pixels_.empty()) return nullptr;
  return pixels_.data() + std::size_t(frame) * width_ * height_;
}

void Surface::pixelsChanged(int frame) {
  if (frame >= 0 && frame < static_cast<int>(opaque_.size())) opaque_[static_cast<std::size_t>(frame)] = -1;
}

bool Surface::opaque(int frame) const {
  const std::uint32_t* p = pixels(frame);
  if (!p) return false;
  std::int8_t& known = opaque_[static_cast<std::size_t>(frame)];
  if (known < 0) {
    std::uint32_t all = 0xFF000000u;
    for (int y = 0; y < height_ && all == 0xFF000000u; ++y) {
      const std::uint32_t* row = p + std::size_t(y) * width_;
      for (int x = 0; x < width_; ++x) all &= row[x];  // colours fall away, alpha stays
      all &= 0xFF000000u;
    }
    known = all == 0xFF000000u ? 1 : 0;
  }
  return known == 1;
}

const Rect& Surface::content(int frame) const {
  if (frame < 0 || frame >= static_cast<int>(content_.size())) return kNoContent;
  return content_[static_cast<std::size_t>(frame)];
}

void Surface::setContent(int frame, const Rect& rect) {
  if (frame < 0 || frame >= static_cast<int>(content_.size())) return;
  content_[static_cast<std::size_t>(frame)] = rect;
}

void Surface::computeContent(int frame) {
  const std::uint32_t* p = static_cast<const Surface*>(this)->pixels(frame);
  if (!p) return;
  int minX = width_, minY = height_, maxX = -1, maxY = -1;
  for (int y = 0; y < height_; ++y) {
    const std::uint32_t* row = p + std::size_t(y) * width_;
    int first = -1, last = -1;
    for (int x = 0; x < width_; ++x) {
      if (row[x] >> 24) {
        first = x;
        break;
      }
    }
    if (first < 0) continue;
    for (int x = width_ - 1; x >= first; --x) {
      if (row[x] >> 24) {
        last = x;
        break;
      }
    }
    minX = std::min(minX, first);
    maxX = std::max(maxX, last);
    if (minY == height_) minY = y;
    maxY = y;
  }
  content_[static_cast<std::size_t>(frame)] =
      maxX < 0 ? Rect{0, 0, 0, 0} : Rect{minX, minY, maxX - minX + 1, maxY - minY + 1};
}

void Surface::fill(std::uint32_t value) {
  if (std::uint32_t* p = pixels(0)) std::fill(p, p + std::size_t(width_) * height_, value);
}

bool Surface::load(std::string_view name) {
  return sjis::endsWithFolded(name, ".bmp") ? loadBmp(name) : loadPsd(name);
}

bool Surface::loadBmp(std::string_view name) {
  release();
  std::vector<std::uint8_t> bytes;
  if (!loadPictureBytes(media_->folder, media_->pictureArchive, name, "BM", bytes)) {
    report(311, SJ("メモリが足りない、またはファイルが開けない"), name);
    return false;
  }
  return loadBmpBytes(bytes, name);
}

bool Surface::loadBmpBytes(const std::vector<std::uint8_t>& bytes, std::string_view name) {
  return decodeBmp(bytes, name, *this, media_->reporter);
}

bool Surface::loadPsd(std::string_view name) {
  release();
  PsdImage image(media_->reporter);
  if (!image.load(*media_, name)) return false;
  return fillFromPsd(image);
}

bool Surface::loadPsdBytes(std::vector<std::uint8_t> bytes, std::string_view name) {
  release();
  PsdImage image(media_->reporter);
  if (!image.loadBytes(std::move(bytes), name)) return false;
  return fillFromPsd(image);
}

bool Surface::fillFromPsd(PsdImage& image) {
  // Refused before anything is allocated or decoded: a small run-length file can
  // describe a canvas of gigabytes.
  if (!media_->pictureBudget.admits(image.width(), image.height(), image.frameCount())) {
    report(312, SJ("メモリが足りない"), image.name());
    return false;
  }
  if (!create(image.width(), image.height(), image.frameCount())) return false;
  // A frame that fails keeps what was decoded; the others still load.
  for (int f = 0; f < frameCount_; ++f)
    image.decodeFrame(f, reinterpret_cast<std::uint8_t*>(pixels(f)), width_ * 4);
  for (int f = 0; f < frameCount_; ++f) computeContent(f);
  alphaFlag_ = true;
  return true;
}

std::vector<std::uint8_t> Surface::encodeBmp(int frame, int sizeType, bool alphaAsGrey) const {
  const std::uint32_t* p = pixels(frame);
  if (!p) return {};
  return ml::encodeBmp(p, width_, height_, sizeType, alphaAsGrey);
}

bool Surface::writeBmp(std::string_view path, int frame, int sizeType, bool alphaAsGrey,
                       std::string* error) const {
  std::vector<std::uint8_t> file = encodeBmp(frame, sizeType, alphaAsGrey);
  if (file.empty()) {
    if (error) *error = sjisToUtf8(path) + ": no such frame";
    return false;
  }
  std::string host = media_->folder.resolveForWriting(path, error);
  return !host.empty() && writeFileSafely(host, file.data(), file.size(), error);
}

}  // namespace ml
