#include "media/gfx/picture_budget.h"

#include <algorithm>
#include <cstdlib>

namespace ml {
namespace {

// Pixel count of a picture, or 0 when a side is not positive; saturates instead of
// overflowing (every side fits in 32 bits, the frames are few).
std::uint64_t pixelCount(std::int64_t width, std::int64_t height, std::int64_t frames) {
  if (width <= 0 || height <= 0 || frames <= 0) return 0;
  const std::uint64_t w = static_cast<std::uint64_t>(std::min<std::int64_t>(width, INT32_MAX));
  const std::uint64_t h = static_cast<std::uint64_t>(std::min<std::int64_t>(height, INT32_MAX));
  const std::uint64_t f = static_cast<std::uint64_t>(std::min<std::int64_t>(frames, INT32_MAX));
  return w * h > UINT64_MAX / f ? UINT64_MAX : w * h * f;
}

}  // namespace

PictureBudget::PictureBudget()
    : account_(std::make_shared<PictureBudgetAccount>(
          PictureBudgetAccount{kDefaultTotalBytes, kDefaultPicturePixels, 0})) {
  if (const char* v = std::getenv("MIRELUNE_PICTURE_BUDGET_MB")) {
    char* end = nullptr;
    const unsigned long long mb = std::strtoull(v, &end, 10);
    if (end != v && *end == '\0' && mb > 0 && mb < (1ull << 40))
      setLimits(mb << 20, std::min<std::uint64_t>(kDefaultPicturePixels, (mb << 20) / 4));
  }
}

void PictureBudget::setLimits(std::uint64_t totalBytes, std::uint64_t picturePixels) {
  account_->totalBytes = totalBytes;
  account_->picturePixels = picturePixels;
}

bool PictureBudget::admits(std::int64_t width, std::int64_t height, std::int64_t frames) const {
  const std::uint64_t pixels = pixelCount(width, height, frames);
  if (pixels == 0 || pixels > account_->picturePixels || pixels > UINT64_MAX / 4) return false;
  const std::uint64_t bytes = pixels * 4;
  return account_->used <= account_->totalBytes && bytes <= account_->totalBytes - account_->used;
}

bool PictureBudget::take(std::int64_t width, std::int64_t height, std::int64_t frames, Share& share) const {
  share.reset();
  if (!admits(width, height, frames)) return false;
  share.bytes_ = pixelCount(width, height, frames) * 4;
  share.account_ = account_;
  account_->used += share.bytes_;
  return true;
}

void PictureBudget::Share::reset() {
  if (account_) account_->used -= std::min(bytes_, account_->used);
  account_.reset();
  bytes_ = 0;
}

}  // namespace ml
