// Arbitrary bytes as a PSD picture: validation and the decoding of every frame must
// never read outside the bytes or write outside the frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/formats/psd_image.h"
#include "platform/reporter.h"

namespace {

class QuietReporter : public ml::Reporter {
 public:
  void scriptError(std::string_view, std::string_view, std::string_view, int, std::string_view) override {}
  void systemError(std::string_view, int, std::string_view, std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietReporter reporter;
  ml::PsdImage image(reporter);
  if (!image.loadBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.psd")) return 0;
  const std::size_t pixels = std::size_t(image.width()) * std::size_t(image.height());
  // Huge canvases are valid but only slow the search down.
  if (pixels > (std::size_t(1) << 20)) return 0;
  // One frame buffer with guard rows above and below.
  const std::size_t w = std::size_t(image.width());
  std::vector<std::uint32_t> buffer(pixels + 2 * w);
  for (int f = 0; f < image.frameCount(); ++f) {
    std::fill(buffer.begin(), buffer.end(), 0xA5A5A5A5u);
    std::fill(buffer.begin() + w, buffer.end() - w, 0u);
    image.decodeFrame(f, reinterpret_cast<std::uint8_t*>(buffer.data() + w), image.width() * 4);
    for (std::size_t i = 0; i < w; ++i)
      if (buffer[i] != 0xA5A5A5A5u || buffer[buffer.size() - 1 - i] != 0xA5A5A5A5u) __builtin_trap();
  }
  return 0;
}
