#include "tools/common/psd_writer.h"

#include "platform/posix/safe_file.h"

#include <algorithm>
#include <cstdio>

#include "tools/common/byte_writer.h"

namespace ml::tools {
namespace {

void putHeader(std::vector<std::uint8_t>& out, int channels, int width, int height) {
  const char sig[] = "8BPS";
  out.insert(out.end(), sig, sig + 4);
  putBe16(out, 1);
  out.insert(out.end(), 6, 0);
  putBe16(out, channels);
  putBe32(out, height);
  putBe32(out, width);
  putBe16(out, 8);
  putBe16(out, 3);
  putBe32(out, 0);  // colour-mode data
  putBe32(out, 0);  // image resources
}

// One plane (width x height bytes, one byte of every 4 starting at `offset` of rgba).
std::vector<std::uint8_t> plane(const RgbaImage& image, int offset) {
  std::vector<std::uint8_t> p(std::size_t(image.width) * image.height);
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = image.pixels[i * 4 + offset];
  return p;
}

// Planes stored one after the other: raw, or a row-count table for all rows of all
// planes followed by the PackBits rows.
void putPlanes(std::vector<std::uint8_t>& out, const std::vector<std::vector<std::uint8_t>>& planes,
               int width, int height, PsdCompression compression) {
  if (compression == PsdCompression::Raw) {
    for (const auto& p : planes) out.insert(out.end(), p.begin(), p.end());
    return;
  }
  std::vector<std::uint8_t> rows;
  std::vector<int> counts;
  for (const auto& p : planes) {
    for (int y = 0; y < height; ++y) {
      std::size_t before = rows.size();
      packBitsRow(p.data() + std::size_t(y) * width, width, rows);
      counts.push_back(static_cast<int>(rows.size() - before));
    }
  }
  for (int c : counts) putBe16(out, c);
  out.insert(out.end(), rows.begin(), rows.end());
}

}  // namespace

void packBitsRow(const std::uint8_t* row, int length, std::vector<std::uint8_t>& out) {
  int i = 0;
  while (i < length) {
    int run = 1;
    while (i + run < length && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(1 - run)));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // Literal bytes up to the next pair of equal bytes.
    int start = i, n = 0;
    while (i < length && n < 128) {
      if (i + 1 < length && row[i + 1] == row[i]) break;
      ++i;
      ++n;
    }
    if (n == 0) continue;
    out.push_back(static_cast<std::uint8_t>(n - 1));
    out.insert(out.end(), row + start, row + start + n);
  }
}

std::vector<std::uint8_t> writeFlatPsd(const RgbaImage& image, PsdCompression compression,
                                       bool withAlphaChannel) {
  std::vector<std::uint8_t> out;
  int channels = withAlphaChannel ? 4 : 3;
  putHeader(out, channels, image.width, image.height);
  putBe32(out, 0);  // no layer-and-mask section
  putBe16(out, compression == PsdCompression::Raw ? 0 : 1);
  std::vector<std::vector<std::uint8_t>> planes;
  for (int c = 0; c < channels; ++c) planes.push_back(plane(image, c));
  putPlanes(out, planes, image.width, image.height, compression);
  return out;
}

std::vector<std::uint8_t> writeLayeredPsd(int width, int height, const std::vector<PsdLayer>& layers,
                                          PsdCompression compression) {
  std::vector<std::uint8_t> out;
  putHeader(out, 4, width, height);

  std::size_t sectionAt = out.size();
  putBe32(out, 0);  // layer-and-mask length, patched
  std::size_t infoAt = out.size();
  putBe32(out, 0);  // layer-info length, patched
  putBe16(out, -static_cast<int>(layers.size()));

  // Channel blocks first, so that the records can carry their lengths.
  static constexpr int kIds[4] = {-1, 0, 1, 2};
  static constexpr int kOffset[4] = {3, 0, 1, 2};
  std::vector<std::vector<std::pair<int, std::vector<std::uint8_t>>>> blocks(layers.size());
  for (std::size_t l = 0; l < layers.size(); ++l) {
    const PsdLayer& layer = layers[l];
    for (int c = 0; c < 4; ++c) {
      if (kIds[c] == -1 && !layer.withTransparency) continue;
      std::vector<std::uint8_t> block;
      putBe16(block, compression == PsdCompression::Raw ? 0 : 1);
      if (!layer.image.empty())
        putPlanes(block, {plane(layer.image, kOffset[c])}, layer.image.width, layer.image.height,
                  compression);
      blocks[l].emplace_back(kIds[c], std::move(block));
    }
  }

  for (std::size_t l = 0; l < layers.size(); ++l) {
    const PsdLayer& layer = layers[l];
    int w = layer.image.empty() ? 0 : layer.image.width;
    int h = layer.image.empty() ? 0 : layer.image.height;
    putBe32(out, layer.top);
    putBe32(out, layer.left);
    putBe32(out, layer.top + h);
    putBe32(out, layer.left + w);
    putBe16(out, static_cast<int>(blocks[l].size()));
    for (const auto& [id, block] : blocks[l]) {
      putBe16(out, id);
      putBe32(out, static_cast<std::uint32_t>(block.size()));
    }
    const char blend[] = "8BIMnorm";
    out.insert(out.end(), blend, blend + 8);
    out.push_back(layer.opacity);
    out.push_back(0);                           // clipping: base
    out.push_back(layer.withTransparency ? 0 : 1);  // flags
    out.push_back(0);                           // filler
    std::vector<std::uint8_t> extra;
    putBe32(extra, 0);  // no layer mask
    putBe32(extra, 0);  // no blending ranges
    std::string name = layer.name.substr(0, 255);
    extra.push_back(static_cast<std::uint8_t>(name.size()));
    extra.insert(extra.end(), name.begin(), name.end());
    while (extra.size() % 4 != 0) extra.push_back(0);
    const char lyid[] = "8BIMlyid";
    extra.insert(extra.end(), lyid, lyid + 8);
    putBe32(extra, 4);
    putBe32(extra, static_cast<std::uint32_t>(l + 1));
    putBe32(out, static_cast<std::uint32_t>(extra.size()));
    out.insert(out.end(), extra.begin(), extra.end());
  }
  for (const auto& layerBlocks : blocks)
    for (const auto& [id, block] : layerBlocks) out.insert(out.end(), block.begin(), block.end());
  if ((out.size() - infoAt - 4) % 2 != 0) out.push_back(0);
  patchBe32(out, infoAt, static_cast<std::uint32_t>(out.size() - infoAt - 4));
  putBe32(out, 0);  // no global layer mask
  patchBe32(out, sectionAt, static_cast<std::uint32_t>(out.size() - sectionAt - 4));

  // Merged image: the layers composed bottom to top over a transparent canvas.
  RgbaImage merged(width, height);
  for (const PsdLayer& layer : layers) {
    if (layer.image.empty()) continue;
    for (int y = 0; y < layer.image.height; ++y) {
      int cy = layer.top + y;
      if (cy < 0 || cy >= height) continue;
      for (int x = 0; x < layer.image.width; ++x) {
        int cx = layer.left + x;
        if (cx < 0 || cx >= width) continue;
        const std::uint8_t* s = layer.image.at(x, y);
        std::uint8_t* d = merged.at(cx, cy);
        int sa = s[3] * layer.opacity / 255;
        int da = d[3];
        int oa = sa + da * (255 - sa) / 255;
        if (oa == 0) continue;
        for (int c = 0; c < 3; ++c)
          d[c] = static_cast<std::uint8_t>((s[c] * sa + d[c] * da * (255 - sa) / 255) / oa);
        d[3] = static_cast<std::uint8_t>(oa);
      }
    }
  }
  putBe16(out, compression == PsdCompression::Raw ? 0 : 1);
  std::vector<std::vector<std::uint8_t>> planes;
  for (int c = 0; c < 4; ++c) planes.push_back(plane(merged, c));
  putPlanes(out, planes, width, height, compression);
  return out;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* error) {
  return writeFileSafely(path, bytes, error);
}

}  // namespace ml::tools
