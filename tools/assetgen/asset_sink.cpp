#include "tools/assetgen/asset_sink.h"

#include <sys/stat.h>

#include <cstdio>

#include "tools/common/canvas.h"

namespace ml::tools {
namespace {

void makeDir(const std::string& path) { ::mkdir(path.c_str(), 0755); }

std::string size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

AssetSink::AssetSink(std::string outDir, std::string previewDir)
    : outDir_(std::move(outDir)), previewDir_(std::move(previewDir)) {
  makeDir(outDir_);
  makeDir(outDir_ + "/cg");
  makeDir(outDir_ + "/wav");
  if (!previewDir_.empty()) makeDir(previewDir_);
}

void AssetSink::write(const std::string& dir, const std::string& name, const std::vector<std::uint8_t>& bytes,
                      const std::string& form, const std::string& note) {
  std::string path = outDir_ + "/" + (dir.empty() ? name : dir + "/" + name);
  std::string error;
  if (!writeFile(path, bytes, &error)) {
    std::fprintf(stderr, "mirelune-assetgen: cannot write %s\n", error.c_str());
    ++failures_;
    return;
  }
  lines_.push_back((dir.empty() ? name : dir + "\\" + name) + "\t" + form + "\t" + note);
}

const RgbaImage* AssetSink::kept(const std::string& name, int frame) const {
  auto it = kept_.find(name);
  if (it == kept_.end() || frame < 0 || frame >= static_cast<int>(it->second.size())) return nullptr;
  return &it->second[frame];
}

void AssetSink::preview(const std::string& name, const RgbaImage& image) {
  if (previewDir_.empty()) return;
  if (!kept_.count(name)) kept_[name] = {image};
  std::string error;
  if (!writePng(previewDir_ + "/" + name + ".png", image, &error)) {
    std::fprintf(stderr, "mirelune-assetgen: cannot write %s\n", error.c_str());
    ++failures_;
  }
}

void AssetSink::flatPsd(const std::string& name, const RgbaImage& image, PsdCompression compression,
                        const std::string& note) {
  write("cg", name, writeFlatPsd(image, compression),
        "psd flat " + size(image.width, image.height) + (compression == PsdCompression::Rle ? " rle" : " raw"),
        note);
  preview(name, image);
}

void AssetSink::framesPsd(const std::string& name, const std::vector<RgbaImage>& frames,
                          PsdCompression compression, const std::string& note) {
  if (frames.empty()) {
    ++failures_;
    return;
  }
  int w = frames[0].width, h = frames[0].height;
  std::vector<PsdLayer> layers;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    PsdLayer layer;
    layer.name = "frame " + std::to_string(i);
    Rect r = opaqueBounds(frames[i]);
    layer.left = r.x;
    layer.top = r.y;
    if (r.width > 0) layer.image = cropImage(frames[i], r);
    layers.push_back(std::move(layer));
  }
  write("cg", name, writeLayeredPsd(w, h, layers, compression),
        "psd layered " + size(w, h) + " " + std::to_string(frames.size()) + " frame" +
            (frames.size() == 1 ? "" : "s") + (compression == PsdCompression::Rle ? " rle" : " raw"),
        note);
  if (!previewDir_.empty()) {
    kept_[name] = frames;
    // All frames side by side over a checkerboard, so transparency shows.
    int n = static_cast<int>(frames.size());
    int cols = std::min(n, std::max(1, 1600 / std::max(w, 1)));
    int rows = (n + cols - 1) / cols;
    Canvas sheet(cols * w, rows * h);
    sheet.fill(Paint::custom([](float x, float y) {
      bool dark = ((static_cast<int>(x) / 8) + (static_cast<int>(y) / 8)) % 2;
      return dark ? rgb(150, 150, 150) : rgb(200, 200, 200);
    }));
    RgbaImage out = sheet.toImage();
    for (int i = 0; i < n; ++i)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::uint8_t* s = frames[i].at(x, y);
          std::uint8_t* d = out.at((i % cols) * w + x, (i / cols) * h + y);
          for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((s[c] * s[3] + d[c] * (255 - s[3])) / 255);
        }
    preview(name, out);
  }
}

void AssetSink::bmp24(const std::string& name, const RgbaImage& image, const std::string& note) {
  write("cg", name, writeBmp24(image), "bmp 24-bit " + size(image.width, image.height), note);
  preview(name, image);
}

void AssetSink::bmp8(const std::string& name, const IndexedImage& image, bool rle, const std::string& note) {
  write("cg", name, writeBmp8(image, rle),
        std::string("bmp 8-bit ") + (rle ? "rle " : "") + size(image.width, image.height), note);
  if (!previewDir_.empty()) {
    RgbaImage img(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const auto& p = image.palette[image.indices[std::size_t(y) * image.width + x]];
        img.set(x, y, p[0], p[1], p[2]);
      }
    preview(name, img);
  }
}

void AssetSink::vorbisWave(const std::string& name, const AudioBuffer& audio, float quality,
                           const std::string& note) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!writeVorbisWave(audio, quality, bytes, &error, ++serial_)) {
    std::fprintf(stderr, "mirelune-assetgen: %s: %s\n", name.c_str(), error.c_str());
    ++failures_;
    return;
  }
  char form[96];
  std::snprintf(form, sizeof form, "wave vorbis %d Hz %s %.2f s", audio.rate,
                audio.channels == 1 ? "mono" : "stereo", static_cast<double>(audio.frames()) / audio.rate);
  write("wav", name, bytes, form, note);
}

void AssetSink::pcmWave(const std::string& name, const AudioBuffer& audio, const std::string& note) {
  char form[96];
  std::snprintf(form, sizeof form, "wave pcm16 %d Hz %s %.2f s", audio.rate,
                audio.channels == 1 ? "mono" : "stereo", static_cast<double>(audio.frames()) / audio.rate);
  write("wav", name, writePcmWave(audio), form, note);
}

void AssetSink::looseFile(const std::string& name, const std::vector<std::uint8_t>& bytes, const std::string& form,
                          const std::string& note) {
  write("", name, bytes, form, note);
}

bool AssetSink::finish() {
  std::string text = "# Generated by mirelune-assetgen: file, form, use.\n";
  for (const std::string& l : lines_) text += l + "\n";
  std::string error;
  if (!writeFile(outDir_ + "/assets.txt", std::vector<std::uint8_t>(text.begin(), text.end()), &error)) {
    std::fprintf(stderr, "mirelune-assetgen: cannot write %s\n", error.c_str());
    ++failures_;
  }
  return failures_ == 0;
}

}  // namespace ml::tools
