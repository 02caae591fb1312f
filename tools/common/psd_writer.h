// Writes Photoshop pictures in the form the engine reads: flat RGB pictures and
// layered RGB pictures whose layers carry transparency (each layer becomes one frame
// of the canvas size in the engine). Used by the demo asset generator, the converter
// and the tests.
//
//   RgbaImage bg(800, 600, 40, 60, 90, 255);
//   writeFile("cg/bg01.psd", writeFlatPsd(bg, PsdCompression::Rle));
//
//   std::vector<PsdLayer> layers(2);
//   layers[0].image = frameA;                  // RGBA, alpha = transparency
//   layers[1].image = frameB; layers[1].left = 10; layers[1].top = 20;
//   writeFile("cg/button.psd", writeLayeredPsd(200, 60, layers, PsdCompression::Raw));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/png_io.h"

namespace ml::tools {

// How channel data is stored: raw bytes, or PackBits run-length rows with a table of
// row byte counts (what Photoshop writes by default).
enum class PsdCompression { Raw, Rle };

struct PsdLayer {
  std::string name;       // at most 255 bytes
  int left = 0;           // position of the image's top-left corner on the canvas; a
  int top = 0;            // layer may reach past the canvas (the engine clips it)
  RgbaImage image;        // the layer's pixels; may be empty (a layer with no pixels)
  std::uint8_t opacity = 255;
  bool withTransparency = true;  // false leaves out the transparency channel (id -1)
};

// A flat picture (no layers): 3 channels red, green, blue (alpha ignored), or with
// withAlphaChannel a fourth channel holding alpha (the engine refuses that form; it is
// here for tests).
std::vector<std::uint8_t> writeFlatPsd(const RgbaImage& image, PsdCompression compression,
                                       bool withAlphaChannel = false);

// A layered picture of width x height with 4 channels: one record per layer (bottom
// layer first) with channels red, green, blue and transparency, the layer count stored
// negative (the first alpha channel holds the merged transparency), and a merged image
// composed from the layers.
std::vector<std::uint8_t> writeLayeredPsd(int width, int height, const std::vector<PsdLayer>& layers,
                                          PsdCompression compression);

// PackBits rows as the PSD run-length form uses them: headers 0..127 copy n+1 bytes,
// -1..-127 repeat the next byte 1-n times; -128 is never written.
void packBitsRow(const std::uint8_t* row, int length, std::vector<std::uint8_t>& out);

// Writes bytes as a whole file through the safe write path (platform/posix/safe_file.h);
// false, with *error ("PATH: reason") and the old file untouched, on failure.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
               std::string* error = nullptr);

}  // namespace ml::tools
