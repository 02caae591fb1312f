// frompng: PNG pictures to the engine's picture forms, chosen by the output name's
// extension, since the engine picks its decoder by the name too. ".psd": one PNG gives
// a flat RGB picture (opaque); several give a layered picture, one frame per PNG with
// its transparency, each layer cut to its visible pixels. ".bmp": one PNG gives a
// 24-bit bitmap (opaque, one frame).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/common/bmp_writer.h"
#include "tools/common/canvas.h"
#include "tools/common/png_io.h"
#include "tools/common/psd_writer.h"
#include "tools/convert/subcommands.h"

namespace {

// The engine keeps at most this many frames of a picture, and archive entries have
// names of at most 23 bytes.
constexpr std::size_t kMaxFrames = 200;
constexpr int kMaxSide = 30000;
constexpr std::size_t kArchiveNameBytes = 23;

void usage() {
  std::fprintf(stderr,
               "usage: mirelune-convert frompng OUT.psd|OUT.bmp IN.png [IN2.png ...] [--layered] [--raw]\n"
               "  OUT.psd: one PNG gives a flat picture (opaque); several PNGs or --layered one\n"
               "  frame per PNG, with transparency. Channels are run-length coded unless --raw.\n"
               "  OUT.bmp: one PNG gives a 24-bit bitmap (opaque).\n");
}

bool hasTransparency(const ml::tools::RgbaImage& image) {
  for (std::size_t i = 3; i < image.pixels.size(); i += 4)
    if (image.pixels[i] != 255) return true;
  return false;
}

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".psd", ".bmp" or what else the name ends with, in lower case.
std::string extensionOf(const std::string& path) {
  std::string base = baseName(path);
  std::size_t dot = base.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = base.substr(dot);
  for (char& ch : ext) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
  return ext;
}

}  // namespace

int run_frompng(const std::vector<std::string>& args) {
  std::string output;
  std::vector<std::string> inputs;
  bool layered = false, raw = false;
  for (const std::string& a : args) {
    if (a == "--layered") {
      layered = true;
    } else if (a == "--raw") {
      raw = true;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "mirelune-convert frompng: unknown option %s\n", a.c_str());
      usage();
      return 2;
    } else if (output.empty()) {
      output = a;
    } else {
      inputs.push_back(a);
    }
  }
  if (output.empty() || inputs.empty()) {
    usage();
    return 2;
  }
  const std::string ext = extensionOf(output);
  const bool bitmap = ext == ".bmp";
  if (!bitmap && ext != ".psd") {
    std::fprintf(stderr, "mirelune-convert frompng: %s: the engine reads pictures named .psd or .bmp; "
                         "name the output one of those\n", output.c_str());
    return 2;
  }
  if (bitmap && (inputs.size() > 1 || layered || raw)) {
    std::fprintf(stderr, "mirelune-convert frompng: %s: a bitmap holds one opaque frame; "
                         "write a .psd for several frames, --layered or --raw\n", output.c_str());
    return 2;
  }
  if (inputs.size() > kMaxFrames) {
    std::fprintf(stderr, "mirelune-convert frompng: %zu pictures given; the engine shows at most %zu frames\n",
                 inputs.size(), kMaxFrames);
    return 1;
  }
  std::vector<ml::tools::RgbaImage> frames;
  for (const std::string& in : inputs) {
    ml::tools::RgbaImage image;
    std::string error;
    if (!ml::tools::readPng(in, image, &error)) {
      std::fprintf(stderr, "mirelune-convert frompng: cannot read %s: %s\n", in.c_str(), error.c_str());
      return 1;
    }
    if (image.width > kMaxSide || image.height > kMaxSide) {
      std::fprintf(stderr, "mirelune-convert frompng: %s is %dx%d; a picture side may be at most %d\n", in.c_str(),
                   image.width, image.height, kMaxSide);
      return 1;
    }
    if (!frames.empty() && (image.width != frames[0].width || image.height != frames[0].height)) {
      std::fprintf(stderr, "mirelune-convert frompng: %s is %dx%d but %s is %dx%d; frames must be the same size\n",
                   in.c_str(), image.width, image.height, inputs[0].c_str(), frames[0].width, frames[0].height);
      return 1;
    }
    frames.push_back(std::move(image));
  }
  const auto compression = raw ? ml::tools::PsdCompression::Raw : ml::tools::PsdCompression::Rle;
  std::vector<std::uint8_t> bytes;
  if (bitmap) {
    if (hasTransparency(frames[0]))
      std::fprintf(stderr, "mirelune-convert frompng: note: %s has transparency, which a bitmap drops; "
                           "a layered .psd keeps it\n", inputs[0].c_str());
    bytes = ml::tools::writeBmp24(frames[0]);
  } else if (frames.size() == 1 && !layered) {
    if (hasTransparency(frames[0]))
      std::fprintf(stderr, "mirelune-convert frompng: note: %s has transparency, which a flat picture drops; "
                           "--layered keeps it\n", inputs[0].c_str());
    bytes = ml::tools::writeFlatPsd(frames[0], compression);
  } else {
    std::vector<ml::tools::PsdLayer> layers;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      ml::tools::PsdLayer layer;
      layer.name = baseName(inputs[i]).substr(0, 255);
      ml::Rect r = ml::tools::opaqueBounds(frames[i]);
      layer.left = r.x;
      layer.top = r.y;
      if (r.width > 0) layer.image = ml::tools::cropImage(frames[i], r);
      layers.push_back(std::move(layer));
    }
    bytes = ml::tools::writeLayeredPsd(frames[0].width, frames[0].height, layers, compression);
  }
  std::string error;
  if (!ml::tools::writeFile(output, bytes, &error)) {
    std::fprintf(stderr, "mirelune-convert frompng: cannot write %s\n", error.c_str());
    return 1;
  }
  if (baseName(output).size() > kArchiveNameBytes)
    std::fprintf(stderr, "mirelune-convert frompng: note: the name %s is longer than the %zu bytes an archive keeps\n",
                 baseName(output).c_str(), kArchiveNameBytes);
  return 0;
}
