// The game's pseudo-random generator: a 64-bit linear congruential sequence shared by
// `random` and the choice command. Its numbers must match the original sequence exactly.
#pragma once

#include <cstdint>

namespace ml {

class Random {
 public:
  // The seed fills the low 32 bits; the high 32 bits start at 0.
  void seed(std::uint32_t low) { state_ = low; }
  // state = state * 22695477 + 1 (mod 2^64); the number is bits 32..62 of the new state.
  std::uint32_t next31() {
    state_ = state_ * 22695477ULL + 1ULL;
    return static_cast<std::uint32_t>(state_ >> 32) & 0x7FFFFFFFu;
  }
  std::uint64_t state() const { return state_; }

 private:
  std::uint64_t state_ = 0;
};

}  // namespace ml
