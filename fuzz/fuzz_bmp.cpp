// Arbitrary bytes as a BMP picture loaded into a surface: every header field is
// checked against the bytes, nothing is read outside them or written outside the frame,
// and a huge claimed canvas is refused by the picture budget before it costs memory.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietReporter reporter;
  ml::GameFolder folder("/nonexistent");
  ml::DataArchive archive;
  ml::Settings settings;
  ml::MediaContext media{reporter, folder, archive, settings};
  // A small budget keeps every run fast; what it refuses is refused the same way at
  // the real size.
  media.pictureBudget.setLimits(std::uint64_t(64) << 20, std::uint64_t(16) << 20);
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
