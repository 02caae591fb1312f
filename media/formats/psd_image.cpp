#include "media/formats/psd_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/media_context.h"
#include "media/formats/picture_bytes.h"
#include "platform/byte_reader.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::string_view kTag = "SCRIPT";
constexpr std::size_t kHeaderSize = 26;

enum class RowResult { Ok, Overrun, Truncated };

// One run-length row of rowWidth values read from data[pos, end). Values of columns
// [clipBegin, clipEnd) are stored 4 bytes apart starting at out (which belongs to
// column clipBegin); out may be null when the row lies outside the canvas. A run that
// would pass the row's end is an overrun and nothing of it is stored.
RowResult decodeRleRow(const std::uint8_t* data, std::size_t& pos, std::size_t end,
                       std::int64_t rowWidth, std::int64_t clipBegin, std::int64_t clipEnd,
                       std::uint8_t* out) {
  std::int64_t x = 0;
  while (x < rowWidth) {
    if (pos >= end) return RowResult::Truncated;
    int n = static_cast<std::int8_t>(data[pos++]);
    if (n >= 0) {
      std::int64_t count = n + 1;
      if (x + count > rowWidth) return RowResult::Overrun;
      if (end - pos < static_cast<std::size_t>(count)) return RowResult::Truncated;
      if (out) {
        std::int64_t b = std::max(x, clipBegin), e = std::min(x + count, clipEnd);
        const std::uint8_t* src = data + pos + (b - x);
        std::uint8_t* dst = out + (b - clipBegin) * 4;
        for (std::int64_t i = b; i < e; ++i, dst += 4) *dst = *src++;
      }
      pos += static_cast<std::size_t>(count);
      x += count;
    } else {
      std::int64_t count = 1 - n;  // -128 repeats 129 times
      if (x + count > rowWidth) return RowResult::Overrun;
      if (pos >= end) return RowResult::Truncated;
      std::uint8_t v = data[pos++];
      if (out) {
        std::int64_t b = std::max(x, clipBegin), e = std::min(x + count, clipEnd);
        std::uint8_t* dst = out + (b - clipBegin) * 4;
        for (std::int64_t i = b; i < e; ++i, dst += 4) *dst = v;
      }
      x += count;
    }
  }
  return RowResult::Ok;
}

// Some writers end every run-length row with the PackBits no-op byte 0x80, which
// this format otherwise reads as a 129-fold repeat. When the row-count table says the
// row holds more bytes than its runs used and all of them are 0x80, they are skipped;
// anything else is left for the next row, as it always was.
void skipRowPadding(const std::uint8_t* data, std::size_t rowStart, std::size_t& pos,
                    std::size_t end, const std::uint8_t* countEntry) {
  std::size_t rowEnd = rowStart + be16(countEntry);
  if (rowEnd <= pos || rowEnd > end) return;
  for (std::size_t i = pos; i < rowEnd; ++i)
    if (data[i] != 0x80) return;
  pos = rowEnd;
}

void storeRawRow(const std::uint8_t* src, std::int64_t clipBegin, std::int64_t clipEnd,
                 std::uint8_t* out) {
  src += clipBegin;
  for (std::int64_t i = clipBegin; i < clipEnd; ++i, out += 4) *out = *src++;
}

}  // namespace

// Where the parts of the file lie; every offset is within the bytes. A file cut short
// inside its layer section still has its layer count and its first records; only the
// merged image behind the section is then lost.
struct PsdImage::Sections {
  std::size_t layerSection = 0;  // start of the layer-and-mask section's data
  std::size_t merged = 0;        // start of the merged image data (may equal the file size)
  bool mergedInFile = false;     // false when the layer section runs past the end
  int layerCount = 0;            // as stored (signed)
  std::size_t records = 0;       // first layer record, when layerCount != 0
};

struct PsdImage::LayerRecord {
  std::int32_t top = 0, left = 0, bottom = 0, right = 0;
  // Eight bytes for the six of a channel entry: a file of many channel entries costs
  // hardly more memory than its own bytes.
  struct Channel {
    std::int32_t length = 0;
    std::int16_t id = 0;
  };
  std::vector<Channel> channels;
};

void PsdImage::report(int site, std::string_view message, std::string_view detail) const {
  reporter_->systemError(kTag, site, message, detail);
}

void PsdImage::clear() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  width_ = height_ = channels_ = frameCount_ = layerCount_ = 0;
  layered_ = false;
  name_.clear();
}

bool PsdImage::load(const MediaContext& media, std::string_view name) {
  clear();
  std::vector<std::uint8_t> bytes;
  if (!loadPictureBytes(media.folder, media.pictureArchive, name, "8BPS", bytes)) {
    report(284, SJ("ファイルが開けない"), name);
    return false;
  }
  return loadBytes(std::move(bytes), name);
}

bool PsdImage::locateSections(Sections& s) const {
  const std::size_t size = bytes_.size();
  ByteReader in(bytes_.data(), size);
  in.seek(kHeaderSize);
  // Colour-mode data and image resources, each a 4-byte length and its bytes; they
  // must lie within the file for the layer section to be found at all.
  for (int section = 0; section < 2; ++section) {
    const std::int32_t len = in.i32be();
    if (in.failed() || len < 0 || !in.skip(static_cast<std::size_t>(len))) return false;
  }
  const std::int32_t len = in.i32be();
  if (in.failed() || len < 0) return false;
  s.layerSection = in.position();
  s.layerCount = 0;
  s.records = 0;
  s.mergedInFile = static_cast<std::size_t>(len) <= in.remaining();
  s.merged = s.mergedInFile ? s.layerSection + static_cast<std::size_t>(len) : size;
  if (len != 0) {
    // Layer-info length, then the signed layer count. An empty layer-info block
    // carries no count at all.
    const std::int32_t infoLen = in.i32be();
    if (in.failed() || infoLen < 0) return false;
    if (infoLen >= 2) {
      s.layerCount = in.i16be();
      if (in.failed()) return false;
      s.records = in.position();
    }
  }
  return true;
}

bool PsdImage::loadBytes(std::vector<std::uint8_t> bytes, std::string_view name) {
  clear();
  if (bytes.empty()) {
    report(291, SJ("データサイズがおかしい"), name);
    return false;
  }
  bytes_ = std::move(bytes);
  name_ = std::string(name);
  const std::uint8_t* d = bytes_.data();
  auto fail = [&](int site, std::string_view message, std::string_view detail) {
    report(site, message, detail);
    clear();
    return false;
  };
  if (bytes_.size() < kHeaderSize || std::memcmp(d, "8BPS", 4) != 0 || be16(d + 4) != 1 ||
      std::any_of(d + 6, d + 12, [](std::uint8_t b) { return b != 0; }))
    return fail(327, SJ("イメージ情報が取得できない"), name);
  if (be16(d + 24) != 3) return fail(334, SJ("現在サポートしていないカラーモ－ド"), name);
  if (be16(d + 22) != 8) return fail(341, SJ("現在サポートしていない色深度"), name);
  const std::int32_t h = static_cast<std::int32_t>(be32(d + 14)), w = static_cast<std::int32_t>(be32(d + 18));
  // A canvas the format cannot hold, or a file cut short before its layer count, leave
  // nothing to decode. Cuts further on are found by the frame decoding, which keeps
  // the frames that lie before them.
  Sections s;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || !locateSections(s))
    return fail(327, SJ("イメージ情報が取得できない"), name);

  int channels = be16(d + 12);
  int k = s.layerCount;
  int layers = k < 0 ? -k : k;
  bool flat = channels == 3 && k >= 0;
  bool layered = channels == 4 && k < 0;
  if ((!flat && !layered) || layers > kMaxLayers) {
    char buf[64];
    std::string detail = "\n" + std::string(name) + "\n" + SJ("チャネル数");
    std::snprintf(buf, sizeof buf, " %d\n", channels);
    detail += buf;
    detail += SJ("レイヤ数");
    std::snprintf(buf, sizeof buf, " %d\n", layers);
    detail += buf;
    detail += SJ("αチャネル");
    detail += k < 0 ? " true" : " false";
    if (!flat && !layered) return fail(368, SJ("現在サポートしていないチャネルの数"), detail);
    return fail(368, SJ("現在サポートしていないレイヤの数"), detail);
  }
  width_ = w;
  height_ = h;
  channels_ = channels;
  layered_ = layered;
  layerCount_ = layers;
  frameCount_ = layers == 0 ? 1 : layers;
  return true;
}

bool PsdImage::decodeFrame(int frame, std::uint8_t* pixels, int rowPitch) {
  const bool flat = !layered_;
  if (!pixels || rowPitch < width_ * 4) {
    report(flat ? 705 : 845, SJ("書き込み先のポインタが不正"), name_);
    return false;
  }
  if (width_ <= 0 || height_ <= 0) {
    report(flat ? 713 : 853, SJ("イメージ情報が取得できない"), name_);
    return false;
  }
  if (bytes_.size() < kHeaderSize || std::memcmp(bytes_.data(), "8BPS", 4) != 0) {
    report(flat ? 727 : 889, SJ("ファイルヘッダが不正"), name_);
    return false;
  }
  return flat ? decodeFlat(pixels, rowPitch) : decodeLayer(frame, pixels, rowPitch);
}

bool PsdImage::decodeFlat(std::uint8_t* pixels, int rowPitch) {
  Sections s;
  if (!locateSections(s) || !s.mergedInFile) {
    report(739, SJ("レイヤストラクチャーのポインタが不正"), name_);
    return false;
  }
  const std::uint8_t* d = bytes_.data();
  const std::size_t size = bytes_.size();
  std::size_t pos = s.merged;
  if (size - pos < 2) {
    report(753, SJ("チャネルのポインタが不正"), name_);
    return false;
  }
  int compression = be16(d + pos);
  pos += 2;
  if (compression != 0 && compression != 1) {
    report(184, SJ("不明な圧縮タイプ"), std::to_string(compression));
  }
  const std::int64_t w = width_, h = height_;
  // Red, green and blue planes go to bytes 2, 1 and 0 of each pixel.
  static constexpr int kOffset[3] = {2, 1, 0};
  if (compression == 0) {
    if (static_cast<std::uint64_t>(size - pos) < static_cast<std::uint64_t>(3 * w * h)) {
      report(753, SJ("チャネルのポインタが不正"), name_);
      return false;
    }
    for (int plane = 0; plane < 3; ++plane)
      for (std::int64_t y = 0; y < h; ++y)
        storeRawRow(d + pos + (plane * h + y) * w, 0, w, pixels + y * rowPitch + kOffset[plane]);
  } else {
    std::uint64_t table = static_cast<std::uint64_t>(channels_) * h * 2;
    if (static_cast<std::uint64_t>(size - pos) < table) {
      report(753, SJ("チャネルのポインタが不正"), name_);
      return false;
    }
    const std::uint8_t* counts = d + pos;
    pos += static_cast<std::size_t>(table);
    for (int plane = 0; plane < 3; ++plane) {
      for (std::int64_t y = 0; y < h; ++y) {
        std::size_t rowStart = pos;
        RowResult r = decodeRleRow(d, pos, size, w, 0, w, pixels + y * rowPitch + kOffset[plane]);
        if (r == RowResult::Overrun) {
          report(783, SJ("RLE データがオーバーランしました"), name_);
          return false;
        }
        if (r == RowResult::Truncated) {
          report(753, SJ("チャネルのポインタが不正"), name_);
          return false;
        }
        skipRowPadding(d, rowStart, pos, size, counts + (plane * h + y) * 2);
      }
    }
  }
  for (std::int64_t y = 0; y < h; ++y) {
    std::uint8_t* p = pixels + y * rowPitch + 3;
    for (std::int64_t x = 0; x < w; ++x, p += 4) *p = 255;
  }
  return true;
}

bool PsdImage::decodeLayer(int frame, std::uint8_t* pixels, int rowPitch) {
  const std::uint8_t* d = bytes_.data();
  const std::size_t size = bytes_.size();
  Sections s;
  if (!locateSections(s) || s.layerCount == 0 || frame < 0 || frame >= layerCount_) {
    report(864, SJ("レイヤ情報が取得できない"), name_);
    return false;
  }
  // Walk every record (the channel data follows the last one). Layer 0's additional
  // information blocks must be signed until its layer-id block.
  std::vector<LayerRecord> records(static_cast<std::size_t>(layerCount_));
  ByteReader in(d, size);
  in.seek(s.records);
  for (int i = 0; i < layerCount_; ++i) {
    LayerRecord& rec = records[static_cast<std::size_t>(i)];
    rec.top = in.i32be();
    rec.left = in.i32be();
    rec.bottom = in.i32be();
    rec.right = in.i32be();
    const int n = in.u16be();
    // The channel entries and the fixed fields after them must be there before the
    // entries are made.
    bool ok = in.ok() && in.remaining() >= 6ull * n + 16;
    if (ok) {
      rec.channels.resize(static_cast<std::size_t>(n));
      for (auto& c : rec.channels) {
        c.id = in.i16be();
        c.length = in.i32be();
      }
      in.skip(12);  // blend signature and key, opacity, clipping, flags, filler
      const std::int32_t extraLength = in.i32be();
      ok = extraLength >= 0;
      ByteReader extra = ok ? in.sub(static_cast<std::size_t>(extraLength)) : ByteReader();
      ok = ok && in.ok();
      if (ok && i == 0) {
        // Mask data, blending ranges, padded name, then "8BIM" blocks.
        for (int part = 0; part < 2 && ok; ++part) {
          const std::int32_t len = extra.i32be();
          ok = extra.ok() && len >= 0 && extra.skip(static_cast<std::size_t>(len));
        }
        if (ok) {
          const std::size_t nameLen = (static_cast<std::size_t>(extra.u8()) + 1 + 3) / 4 * 4;
          ok = extra.ok() && extra.skip(nameLen - 1);
        }
        while (ok && extra.remaining() >= 12) {
          if (extra.text(4) != "8BIM") {
            ok = false;
            break;
          }
          if (extra.text(4) == "lyid") break;
          const std::int32_t len = extra.i32be();
          if (len < 0 || !extra.skip(static_cast<std::size_t>(len))) break;
        }
      }
    }
    if (!ok) {
      report(864, SJ("レイヤ情報が取得できない"), name_);
      return false;
    }
  }
  const std::size_t channelData = in.position();

  const LayerRecord& layer = records[static_cast<std::size_t>(frame)];
  // Offsets of the layer's blocks: everything of the layers before it comes first.
  std::int64_t blockStart = static_cast<std::int64_t>(channelData);
  for (int i = 0; i < frame; ++i)
    for (const auto& c : records[static_cast<std::size_t>(i)].channels) blockStart += c.length;

  const std::int64_t lw = static_cast<std::int64_t>(layer.right) - layer.left;
  const std::int64_t lh = static_cast<std::int64_t>(layer.bottom) - layer.top;
  // Columns of the layer that land on the canvas.
  const std::int64_t clipBegin = std::clamp<std::int64_t>(-static_cast<std::int64_t>(layer.left), 0, std::max<std::int64_t>(lw, 0));
  const std::int64_t clipEnd = std::clamp<std::int64_t>(width_ - static_cast<std::int64_t>(layer.left), clipBegin, std::max<std::int64_t>(lw, clipBegin));

  static constexpr int kIds[4] = {0, 1, 2, -1};
  static constexpr int kOffset[4] = {2, 1, 0, 3};
  for (int ch = 0; ch < 4; ++ch) {
    if (records[0].channels.size() != 4) report(870, SJ("チャネルの数が不正"), name_);
    std::int64_t start = blockStart, length = -1;
    for (const auto& c : layer.channels) {
      if (c.id == kIds[ch]) {
        length = c.length;
        break;
      }
      start += c.length;
    }
    // A missing channel, or a block that does not lie within the file.
    if (length < 2 || start < 0 || start > static_cast<std::int64_t>(size) ||
        length > static_cast<std::int64_t>(size) - start) {
      report(915, SJ("チャネルのポインタが不正"), name_);
      return false;
    }
    if (lw <= 0 || lh <= 0) continue;
    std::size_t p = static_cast<std::size_t>(start);
    const std::size_t end = p + static_cast<std::size_t>(length);
    int compression = be16(d + p);
    p += 2;
    bool truncated = false;
    if (compression == 0) {
      if (static_cast<std::uint64_t>(end - p) < static_cast<std::uint64_t>(lw) * static_cast<std::uint64_t>(lh)) {
        truncated = true;
      } else {
        std::int64_t y0 = std::max<std::int64_t>(0, -static_cast<std::int64_t>(layer.top));
        std::int64_t y1 = std::min<std::int64_t>(lh, height_ - static_cast<std::int64_t>(layer.top));
        for (std::int64_t y = y0; y < y1 && clipBegin < clipEnd; ++y) {
          std::int64_t cy = layer.top + y;
          std::uint8_t* out = pixels + cy * rowPitch + (layer.left + clipBegin) * 4 + kOffset[ch];
          storeRawRow(d + p + y * lw, clipBegin, clipEnd, out);
        }
      }
    } else {
      if (static_cast<std::uint64_t>(end - p) < static_cast<std::uint64_t>(lh) * 2) {
        truncated = true;
      } else {
        const std::uint8_t* counts = d + p;
        p += static_cast<std::size_t>(lh * 2);
        for (std::int64_t y = 0; y < lh; ++y) {
          std::size_t rowStart = p;
          std::int64_t cy = layer.top + y;
          std::uint8_t* out = nullptr;
          if (cy >= 0 && cy < height_ && clipBegin < clipEnd)
            out = pixels + cy * rowPitch + (layer.left + clipBegin) * 4 + kOffset[ch];
          RowResult r = decodeRleRow(d, p, end, lw, clipBegin, clipEnd, out);
          if (r == RowResult::Overrun) {
            char buf[64];
            std::string text = SJ("RLE データがオーバーランしました") + "\n" + name_ + "\n" + SJ("レイヤ");
            std::snprintf(buf, sizeof buf, " %d ", frame);
            text += buf;
            text += SJ("チャネル");
            std::snprintf(buf, sizeof buf, " %d", kIds[ch]);
            text += buf;
            report(954, text, "");
            return false;
          }
          if (r == RowResult::Truncated) {
            truncated = true;
            break;
          }
          skipRowPadding(d, rowStart, p, end, counts + y * 2);
        }
      }
    }
    if (truncated) {
      report(915, SJ("チャネルのポインタが不正"), name_);
      return false;
    }
  }
  return true;
}

}  // namespace ml
