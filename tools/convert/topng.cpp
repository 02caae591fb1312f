// topng: a game picture (.psd or .bmp, loose, possibly LZSS-packed) decoded by the
// engine's own loaders, every frame written as an RGBA PNG with its alpha as decoded.
#include <cstdio>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "platform/posix/file_handle.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/formats/picture_bytes.h"
#include "media/settings.h"
#include "media/gfx/surface.h"
#include "platform/reporter.h"
#include "platform/sjis.h"
#include "tools/common/png_io.h"
#include "tools/convert/subcommands.h"

namespace {

// Prints every report the way the headless runner does and remembers that one came.
class PrintingReporter : public ml::Reporter {
 public:
  void scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                   int lineNumber, std::string_view lineText) override {
    std::fprintf(stderr, "%s\n", ml::scriptErrorLine(message, detail, fileName, lineNumber, lineText).c_str());
    ++count;
  }
  void systemError(std::string_view fileName, int number, std::string_view message,
                   std::string_view detail) override {
    std::fprintf(stderr, "%s\n", ml::systemErrorLine(fileName, number, message, detail).c_str());
    ++count;
  }
  int count = 0;
};

// OUT.png -> OUT-3.png (or OUT-3 when there is no ".png" to keep).
std::string framePath(const std::string& out, int frame) {
  std::string suffix = "-" + std::to_string(frame);
  if (ml::sjis::endsWithFolded(out, ".png")) return out.substr(0, out.size() - 4) + suffix + out.substr(out.size() - 4);
  return out + suffix;
}

}  // namespace

int run_topng(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: mirelune-convert topng PICTURE OUT.png\n");
    return 2;
  }
  const std::string& input = args[0];
  const std::string& output = args[1];
  const bool bmp = ml::sjis::endsWithFolded(input, ".bmp");
  if (!bmp && !ml::sjis::endsWithFolded(input, ".psd")) {
    std::fprintf(stderr, "mirelune-convert topng: %s is neither a .psd nor a .bmp picture\n", input.c_str());
    return 2;
  }
  std::vector<std::uint8_t> bytes;
  if (!ml::readWholeFile(input, bytes)) {
    std::fprintf(stderr, "mirelune-convert topng: cannot read %s\n", input.c_str());
    return 1;
  }

  PrintingReporter reporter;
  ml::GameFolder folder(".");
  ml::DataArchive archive;
  ml::Settings settings;
  ml::MediaContext media{reporter, folder, archive, settings};
  ml::Surface surface(media);
  // Loose pictures may be packed like archived ones.
  if (!ml::unpackPictureBytes(bytes, bmp ? "BM" : "8BPS")) {
    std::fprintf(stderr, "mirelune-convert topng: %s is packed and damaged\n", input.c_str());
    return 1;
  }
  const bool loaded = bmp ? surface.loadBmpBytes(bytes, input) : surface.loadPsdBytes(std::move(bytes), input);
  if (!loaded) return 1;

  const int w = surface.width(), h = surface.height();
  for (int f = 0; f < surface.frameCount(); ++f) {
    ml::tools::RgbaImage image(w, h);
    const std::uint32_t* p = static_cast<const ml::Surface&>(surface).pixels(f);
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
      image.pixels[i * 4 + 0] = static_cast<std::uint8_t>(p[i] >> 16);
      image.pixels[i * 4 + 1] = static_cast<std::uint8_t>(p[i] >> 8);
      image.pixels[i * 4 + 2] = static_cast<std::uint8_t>(p[i]);
      image.pixels[i * 4 + 3] = static_cast<std::uint8_t>(p[i] >> 24);
    }
    std::string path = surface.frameCount() == 1 ? output : framePath(output, f);
    std::string error;
    if (!ml::tools::writePng(path, image, &error)) {
      std::fprintf(stderr, "mirelune-convert topng: cannot write %s\n", error.c_str());
      return 1;
    }
  }
  // A frame that failed to decode is reported but still loads with what was decoded:
  // its PNG shows that, and the exit status says the picture is damaged.
  return reporter.count > 0 ? 1 : 0;
}
