// Arbitrary bytes as a BMP picture loaded into a surface: every header field is
// checked against the bytes, nothing is read outside them or written outside the frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/settings.h"
#include "media/gfx/surface.h"
#include "platform/reporter.h"

namespace {

class QuietReporter : public ml::Reporter {
 public:
  void scriptError(std::string_view, std::string_view, std::string_view, int, std::string_view) override {}
  void systemError(std::string_view, int, std::string_view, std::string_view) override {}
};

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Huge pictures are valid but only slow the search down.
  if (size >= 26) {
    std::int64_t w = static_cast<std::int32_t>(le32(data + 18));
    std::int64_t h = static_cast<std::int32_t>(le32(data + 22));
    if (w < 0) w = -w;
    if (h < 0) h = -h;
    if (w * h > (std::int64_t(1) << 20)) return 0;
  }
  QuietReporter reporter;
  ml::GameFolder folder("/nonexistent");
  ml::DataArchive archive;
  ml::Settings settings;
  ml::MediaContext media{reporter, folder, archive, settings};
  ml::Surface surface(media);
  if (surface.loadBmpBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.bmp")) {
    // The frame is whole: touch every pixel.
    const std::uint32_t* p = static_cast<const ml::Surface&>(surface).pixels(0);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < std::size_t(surface.width()) * surface.height(); ++i) sum += p[i];
    if (sum == 0x12345678u) return 0;
  }
  return 0;
}
