// How much decoded picture memory the game may hold: a limit per picture (in pixels,
// all frames together) and a total for every live surface. A surface takes its share
// before it allocates and gives it back when released or destroyed, so a tiny file
// that claims a huge canvas is refused before any memory or time is spent on it.
#pragma once

#include <cstdint>
#include <memory>

namespace ml {

// The shared counters behind a budget and its shares (the shares keep them alive, so
// a surface may outlive the context that handed out its share).
struct PictureBudgetAccount {
  std::uint64_t totalBytes = 0;
  std::uint64_t picturePixels = 0;
  std::uint64_t used = 0;
};

class PictureBudget {
 public:
  // 64 Mpixel (256 MiB): a full-screen picture is 0.5 Mpixel, a long scrolling
  // background or a strip of animation frames a few Mpixel.
  static constexpr std::uint64_t kDefaultPicturePixels = std::uint64_t(64) << 20;
  // Every live surface together.
  static constexpr std::uint64_t kDefaultTotalBytes = std::uint64_t(1) << 30;

  // The defaults; MIRELUNE_PICTURE_BUDGET_MB, when set to a positive number, replaces
  // the total (and caps the per-picture limit at it).
  PictureBudget();

  // Copies share the same account.
  PictureBudget(const PictureBudget&) = default;
  PictureBudget& operator=(const PictureBudget&) = default;

  void setLimits(std::uint64_t totalBytes, std::uint64_t picturePixels);
  std::uint64_t totalBytes() const { return account_->totalBytes; }
  std::uint64_t picturePixels() const { return account_->picturePixels; }
  std::uint64_t bytesInUse() const { return account_->used; }

  // Whether a picture of frames × width × height pixels fits now: within the
  // per-picture limit and the room left in the total.
  bool admits(std::int64_t width, std::int64_t height, std::int64_t frames) const;

  // A claim on part of the budget, returned when destroyed or reset. Move-only.
  class Share {
   public:
    Share() = default;
    ~Share() { reset(); }
    Share(Share&& other) noexcept : account_(std::move(other.account_)), bytes_(other.bytes_) { other.bytes_ = 0; }
    Share& operator=(Share&& other) noexcept {
      if (this != &other) {
        reset();
        account_ = std::move(other.account_);
        bytes_ = other.bytes_;
        other.bytes_ = 0;
      }
      return *this;
    }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    void reset();
    std::uint64_t bytes() const { return bytes_; }

   private:
    friend class PictureBudget;
    std::shared_ptr<PictureBudgetAccount> account_;
    std::uint64_t bytes_ = 0;
  };

  // Claims the bytes of a picture of that many pixels; false (and share left empty)
  // when it does not fit. The budget's state is shared bookkeeping, so claiming works
  // through a const budget.
  bool take(std::int64_t width, std::int64_t height, std::int64_t frames, Share& share) const;

 private:
  std::shared_ptr<PictureBudgetAccount> account_;
};

}  // namespace ml
