// Arbitrary bytes as a PSD picture: validation and the decoding of every frame must
// never read outside the bytes or write outside the frame, and a huge claimed canvas
// is refused by the picture budget before it costs memory or time.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/formats/psd_image.h"
#include "media/gfx/surface.h"
#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/settings.h"
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
  media.pictureBudget.setLimits(std::uint64_t(64) << 20, std::uint64_t(16) << 20);

  // Through the surface loader, as the game loads pictures.
  {
    ml::Surface surface(media);
    surface.loadPsdBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.psd");
  }

  // Every frame into a buffer with guard rows above and below, for pictures the
  // budget would admit.
  ml::PsdImage image(reporter);
  if (!image.loadBytes(std::vector<std::uint8_t>(data, data + size), "fuzz.psd")) return 0;
  if (!media.pictureBudget.admits(image.width(), image.height() + 2, image.frameCount())) return 0;
  const std::size_t w = std::size_t(image.width());
  const std::size_t pixels = w * std::size_t(image.height());
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
