// Decoder for the Photoshop pictures the game uses: flat RGB pictures (3 channels,
// opaque) and layered RGB pictures whose layers carry transparency (4 channels, one
// frame per layer). Pixels come out as blue, green, red, alpha bytes.
//
// The decoder works straight from the one copy of the file's bytes; every offset,
// length and count read from the file is checked against those bytes, and nothing is
// written outside the frame the caller hands in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Reporter;
struct MediaContext;

class PsdImage {
 public:
  // A surface holds at most this many frames, so more layers are refused.
  static constexpr int kMaxLayers = 200;
  // The format's own limit for one side of the canvas.
  static constexpr int kMaxSide = 30000;

  explicit PsdImage(Reporter& reporter) : reporter_(&reporter) {}

  // Reads the picture through the game folder and the picture archive, then validates
  // it like loadBytes. Failures are reported and leave the image empty.
  bool load(const MediaContext& media, std::string_view name);
  // Validates bytes already in memory; name is used in messages.
  bool loadBytes(std::vector<std::uint8_t> bytes, std::string_view name);

  int width() const { return width_; }
  int height() const { return height_; }
  int frameCount() const { return frameCount_; }
  bool layered() const { return layered_; }
  const std::string& name() const { return name_; }

  // Fills one canvas-sized frame (rowPitch bytes per row, at least width * 4; the
  // buffer holds height rows and is expected to be zeroed). A flat picture gives the
  // same merged image for every frame index. Failures are reported; the frame then
  // keeps what was decoded so far.
  bool decodeFrame(int frame, std::uint8_t* pixels, int rowPitch);

  void clear();

 private:
  struct Sections;
  struct LayerRecord;

  bool locateSections(Sections& s) const;
  bool decodeFlat(std::uint8_t* pixels, int rowPitch);
  bool decodeLayer(int frame, std::uint8_t* pixels, int rowPitch);
  void report(int site, std::string_view message, std::string_view detail) const;

  Reporter* reporter_;
  std::vector<std::uint8_t> bytes_;
  int width_ = 0;
  int height_ = 0;
  int channels_ = 0;
  int frameCount_ = 0;
  int layerCount_ = 0;  // magnitude of the stored count
  bool layered_ = false;
  std::string name_;
};

}  // namespace ml
