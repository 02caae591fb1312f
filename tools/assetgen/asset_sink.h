// Where the generator's pictures and sounds go: "cg/" and "wav/" below the output
// folder, plus "assets.txt", one line per file (name, form, what it is for), so that
// script authors can see what exists. Failures are counted, never fatal, so that one
// bad write does not hide the others.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/common/bmp_writer.h"
#include "tools/common/psd_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::tools {

class AssetSink {
 public:
  explicit AssetSink(std::string outDir, std::string previewDir = {});

  // A flat 3-channel picture.
  void flatPsd(const std::string& name, const RgbaImage& image, PsdCompression compression,
               const std::string& note);
  // A layered picture; each frame is a canvas-sized image, stored as a layer cropped
  // to its visible pixels (an empty frame stays an empty layer).
  void framesPsd(const std::string& name, const std::vector<RgbaImage>& frames,
                 PsdCompression compression, const std::string& note);
  void bmp24(const std::string& name, const RgbaImage& image, const std::string& note);
  void bmp8(const std::string& name, const IndexedImage& image, bool rle, const std::string& note);
  // Sounds: Vorbis WAVE, or 16-bit PCM WAVE.
  void vorbisWave(const std::string& name, const AudioBuffer& audio, float quality,
                  const std::string& note);
  void pcmWave(const std::string& name, const AudioBuffer& audio, const std::string& note);
  // A file beside the archives (MIDI), in the output folder itself.
  void looseFile(const std::string& name, const std::vector<std::uint8_t>& bytes, const std::string& form,
                 const std::string& note);

  // With a preview folder, the pictures are also kept in memory (frames by name) so
  // that mock-up screens can be composed from them.
  const RgbaImage* kept(const std::string& name, int frame = 0) const;
  const std::string& previewDir() const { return previewDir_; }

  // Writes assets.txt; true when every file was written.
  bool finish();
  int failures() const { return failures_; }
  std::size_t count() const { return lines_.size(); }

 private:
  void write(const std::string& dir, const std::string& name, const std::vector<std::uint8_t>& bytes,
             const std::string& form, const std::string& note);
  void preview(const std::string& name, const RgbaImage& image);

  std::string outDir_;
  std::string previewDir_;
  std::vector<std::string> lines_;
  std::map<std::string, std::vector<RgbaImage>> kept_;
  int failures_ = 0;
  std::uint32_t serial_ = 0x4D4C0000;
};

}  // namespace ml::tools
