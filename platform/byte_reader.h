// The one reader of binary fields: a cursor over a span of bytes. Reading past the end
// never touches memory outside the span; it yields zeros and sets a sticky error that
// the caller checks once after a group of reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace ml {

// Field readers at a known-valid position (the caller has checked the length).
constexpr std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
constexpr std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
constexpr std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
constexpr std::uint32_t be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  ByteReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  std::size_t size() const { return bytes_.size(); }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }
  // True once any read or seek went past the end; stays true.
  bool failed() const { return failed_; }
  bool ok() const { return !failed_; }
  const std::uint8_t* data() const { return bytes_.data(); }

  // Moves to an absolute position; past the end fails (the end itself is allowed).
  bool seek(std::size_t pos) {
    if (pos > bytes_.size()) return fail();
    pos_ = pos;
    return true;
  }
  bool skip(std::size_t n) {
    if (n > remaining()) return fail();
    pos_ += n;
    return true;
  }

  std::uint8_t u8() { return have(1) ? bytes_[pos_++] : 0; }
  std::uint16_t u16le() { return have(2) ? advance(le16(here()), 2) : 0; }
  std::uint32_t u32le() { return have(4) ? advance(le32(here()), 4) : 0; }
  std::uint16_t u16be() { return have(2) ? advance(be16(here()), 2) : 0; }
  std::uint32_t u32be() { return have(4) ? advance(be32(here()), 4) : 0; }
  std::int16_t i16le() { return static_cast<std::int16_t>(u16le()); }
  std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
  std::int16_t i16be() { return static_cast<std::int16_t>(u16be()); }
  std::int32_t i32be() { return static_cast<std::int32_t>(u32be()); }

  // The next n bytes as a view (empty and failed when fewer remain).
  std::span<const std::uint8_t> bytes(std::size_t n) {
    if (!have(n)) return {};
    std::span<const std::uint8_t> out = bytes_.subspan(pos_, n);
    pos_ += n;
    return out;
  }
  // Copies n bytes out (zeros and failed when fewer remain).
  bool copy(void* out, std::size_t n) {
    if (!have(n)) {
      std::memset(out, 0, n);
      return false;
    }
    std::memcpy(out, here(), n);
    pos_ += n;
    return true;
  }
  std::string_view text(std::size_t n) {
    std::span<const std::uint8_t> b = bytes(n);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
  }

  // A reader over the next n bytes, leaving this one after them.
  ByteReader sub(std::size_t n) { return ByteReader(bytes(n)); }

 private:
  bool have(std::size_t n) {
    if (failed_ || n > remaining()) return fail();
    return true;
  }
  bool fail() {
    failed_ = true;
    return false;
  }
  const std::uint8_t* here() const { return bytes_.data() + pos_; }
  template <typename T>
  T advance(T value, std::size_t n) {
    pos_ += n;
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace ml
