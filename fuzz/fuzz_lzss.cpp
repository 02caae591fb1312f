// LZSS on arbitrary bytes: unpacking a packed picture (declared size + stream) and the
// encoder's round trip through the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "media/formats/lzss.h"
#include "media/formats/picture_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);

  // As a packed picture, both magics.
  std::vector<std::uint8_t> picture(input.begin(), input.end());
  ml::unpackPictureBytes(picture, "8BPS");
  picture.assign(input.begin(), input.end());
  ml::unpackPictureBytes(picture, "BM");

  // The raw decoder into buffers of several sizes, including empty and too small.
  for (std::size_t outSize : {std::size_t{0}, std::size_t{1}, size, size * 9 + 18}) {
    std::vector<std::uint8_t> out(outSize);
    std::size_t n = ml::decodeLzss(out, input);
    if (n > outSize) std::abort();
  }

  // Whatever the encoder writes, the decoder gives back exactly.
  std::vector<std::uint8_t> stream = ml::encodeLzss(input);
  std::vector<std::uint8_t> back(size + 1, 0xA5);
  std::size_t n = ml::decodeLzss(std::span<std::uint8_t>(back.data(), size), stream);
  if (n != size || (size && std::memcmp(back.data(), data, size) != 0) || back[size] != 0xA5)
    std::abort();
  if (size > ml::lzssMaxOutput(stream.size())) std::abort();
  return 0;
}
