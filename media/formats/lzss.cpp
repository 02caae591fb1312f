#include "media/formats/lzss.h"

#include <array>
#include <cstring>

#include "platform/byte_reader.h"

namespace ml {
namespace {

constexpr std::size_t kRing = 4096;
constexpr std::size_t kStart = 4078;  // first write position; 0..4077 begin as zeros
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;

}  // namespace

std::size_t decodeLzss(std::span<std::uint8_t> output, std::span<const std::uint8_t> input) {
  // The whole ring starts as zeros so that a stream referring to the never-written
  // tail (4078..4095) still decodes the same way every time.
  std::array<std::uint8_t, kRing> ring{};
  std::size_t r = kStart;
  std::size_t out = 0;
  unsigned flags = 0;
  ByteReader in(input);
  const std::size_t outSize = output.size();
  while (out < outSize) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (in.remaining() == 0) break;
      flags = in.u8() | 0xFF00u;  // the high byte counts the eight bits used
    }
    if (flags & 1) {
      if (in.remaining() == 0) break;
      std::uint8_t c = in.u8();
      output[out++] = c;
      ring[r] = c;
      r = (r + 1) & (kRing - 1);
    } else {
      if (in.remaining() < 2) break;
      unsigned b1 = in.u8(), b2 = in.u8();
      std::size_t p = b1 | ((b2 & 0xF0u) << 4);
      std::size_t len = (b2 & 0x0Fu) + kMinMatch;
      for (std::size_t k = 0; k < len && out < outSize; ++k) {
        std::uint8_t c = ring[(p + k) & (kRing - 1)];
        output[out++] = c;
        ring[r] = c;
        r = (r + 1) & (kRing - 1);
      }
    }
  }
  return out;
}

std::uint64_t lzssMaxOutput(std::size_t inputLength) {
  // A two-byte reference yields at most 18 bytes; flag bytes yield nothing.
  return static_cast<std::uint64_t>(inputLength) / 2 * kMaxMatch + (inputLength % 2);
}

std::vector<std::uint8_t> encodeLzss(std::span<const std::uint8_t> data) {
  // The data is matched as if preceded by the 4078 zero bytes the ring starts with;
  // ext index e lies at ring position e % 4096.
  std::vector<std::uint8_t> ext(kStart + data.size(), 0);
  if (!data.empty()) std::memcpy(ext.data() + kStart, data.data(), data.size());

  constexpr std::size_t kHashBits = 14;
  constexpr int kMaxChain = 128;
  std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int64_t> prev(kRing, -1);
  auto hashAt = [&](std::size_t pos) {
    unsigned h = (ext[pos] << 10) ^ (ext[pos + 1] << 5) ^ ext[pos + 2];
    return (h * 2654435761u) >> (32 - kHashBits);
  };
  auto insert = [&](std::size_t pos) {
    if (pos + 2 >= ext.size()) return;
    unsigned h = hashAt(pos);
    prev[pos & (kRing - 1)] = head[h];
    head[h] = static_cast<std::int64_t>(pos);
  };

  std::vector<std::uint8_t> out;
  out.reserve(data.size() + data.size() / 8 + 16);
  std::size_t flagPos = 0;
  int items = 8;
  auto beginItem = [&](bool literal) {
    if (items == 8) {
      flagPos = out.size();
      out.push_back(0);
      items = 0;
    }
    if (literal) out[flagPos] = static_cast<std::uint8_t>(out[flagPos] | (1u << items));
    ++items;
  };

  for (std::size_t pos = 0; pos < kStart; ++pos) insert(pos);
  std::size_t e = kStart;
  while (e < ext.size()) {
    std::size_t maxLen = std::min(kMaxMatch, ext.size() - e);
    std::size_t bestLen = 0, bestPos = 0;
    if (maxLen >= kMinMatch) {
      std::int64_t cand = head[hashAt(e)];
      int chain = kMaxChain;
      // Distances stay below 4096 so the referenced ring bytes are never overwritten
      // before they are copied.
      while (cand >= 0 && e - static_cast<std::size_t>(cand) < kRing && chain-- > 0) {
        std::size_t j = static_cast<std::size_t>(cand);
        std::size_t len = 0;
        while (len < maxLen && ext[j + len] == ext[e + len]) ++len;
        if (len > bestLen) {
          bestLen = len;
          bestPos = j;
          if (len == maxLen) break;
        }
        std::int64_t next = prev[j & (kRing - 1)];
        if (next >= cand) break;
        cand = next;
      }
    }
    if (bestLen >= kMinMatch) {
      beginItem(false);
      std::size_t p = bestPos & (kRing - 1);
      out.push_back(static_cast<std::uint8_t>(p & 0xFF));
      out.push_back(static_cast<std::uint8_t>(((p >> 4) & 0xF0) | (bestLen - kMinMatch)));
      for (std::size_t k = 0; k < bestLen; ++k) insert(e + k);
      e += bestLen;
    } else {
      beginItem(true);
      out.push_back(ext[e]);
      insert(e);
      ++e;
    }
  }
  return out;
}

}  // namespace ml
