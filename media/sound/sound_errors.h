// The two error boxes of the sound system: "DirectSound Error" for the device and the
// channel buffers, "MMSystem Error" for reading and decoding WAVE files. Each names its
// reporting site and the error code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ml {

// Failures without a system error code (a non-PCM result, an empty decode, a bad
// chunk size) are reported with code 1.
inline constexpr std::uint32_t kSoundInternalError = 1;
inline constexpr std::uint32_t kMmioCannotRead = 261;
inline constexpr std::uint32_t kMmioChunkNotFound = 265;
inline constexpr std::uint32_t kAcmNotPossible = 512;
inline constexpr std::uint32_t kDsOutOfMemory = 0x8007000E;

// The names the boxes print for a code; "未定義のエラー" (Shift-JIS) for other codes.
std::string directSoundErrorName(std::uint32_t code);
std::string mmSystemErrorName(std::uint32_t code);

// "%s (%d)\n%s : 0x%08X": tag, site, name, code.
std::string soundErrorText(std::string_view tag, int site, std::string_view name, std::uint32_t code);

// Where the boxes go (the platform's message box in the game).
class SoundBoxSink {
 public:
  virtual ~SoundBoxSink() = default;
  virtual void soundBox(std::string_view captionSjis, std::string_view textSjis) = 0;
};

class SoundErrors {
 public:
  explicit SoundErrors(SoundBoxSink* sink = nullptr) : sink_(sink) {}
  void setSink(SoundBoxSink* sink) { sink_ = sink; }
  void directSound(int site, std::uint32_t code) const;
  void mmSystem(int site, std::uint32_t code) const;

 private:
  SoundBoxSink* sink_;
};

}  // namespace ml
