#include "tools/common/archive_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "media/io/archive.h"
#include "media/formats/lzss.h"
#include "media/formats/picture_bytes.h"
#include "platform/sjis.h"
#include "tools/common/byte_writer.h"

namespace ml {
namespace {

bool beginsWith(std::span<const std::uint8_t> bytes, std::string_view magic) {
  return !magic.empty() && bytes.size() >= magic.size() &&
         std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

}  // namespace

bool isPictureName(std::string_view name) {
  return sjis::endsWithFolded(name, ".psd") || sjis::endsWithFolded(name, ".bmp");
}

std::string_view pictureMagicFor(std::string_view name) {
  if (sjis::endsWithFolded(name, ".psd")) return "8BPS";
  if (sjis::endsWithFolded(name, ".bmp")) return "BM";
  return {};
}

bool encodeEntry(std::string_view name, std::span<const std::uint8_t> loose,
                 const EntryPacking& packing, std::vector<std::uint8_t>& stored,
                 std::string& error) {
  stored.assign(loose.begin(), loose.end());
  if (!isPictureName(name)) return true;
  std::string_view magic = pictureMagicFor(name);
  if (packing.lzss && beginsWith(loose, magic) && loose.size() <= UINT32_MAX) {
    std::vector<std::uint8_t> packed(4);
    tools::storeLe32(packed.data(), static_cast<std::uint32_t>(loose.size()));
    std::vector<std::uint8_t> stream = encodeLzss(loose);
    packed.insert(packed.end(), stream.begin(), stream.end());
    // The loader takes bytes that begin with the magic as unpacked, so a size field
    // that happens to spell it (a BMP of 19778 + 65536k bytes) must stay unpacked.
    bool sizeSpellsMagic = beginsWith(packed, magic);
    bool headFits = !packing.pictureArchive || packed.size() >= kPictureHeadSize;
    if (!sizeSpellsMagic && headFits) stored = std::move(packed);
  }
  if (packing.pictureArchive) {
    if (stored.size() < kPictureHeadSize) {
      error = std::string(name) + ": a picture in a picture archive needs at least " +
              std::to_string(kPictureHeadSize) + " bytes, it has " +
              std::to_string(stored.size());
      return false;
    }
    applyArchiveKey(stored.data(), kPictureHeadSize);
  }
  return true;
}

bool decodeEntry(std::string_view name, std::span<const std::uint8_t> stored,
                 bool pictureArchive, std::vector<std::uint8_t>& loose, std::string& error) {
  loose.assign(stored.begin(), stored.end());
  if (!isPictureName(name)) return true;
  if (pictureArchive) {
    if (loose.size() < kPictureHeadSize) {
      error = std::string(name) + ": shorter than the scrambled picture head";
      return false;
    }
    applyArchiveKey(loose.data(), kPictureHeadSize);
  }
  std::vector<std::uint8_t> picture = loose;
  if (!unpackPictureBytes(picture, pictureMagicFor(name))) {
    error = std::string(name) + ": damaged packed picture";
    return false;
  }
  loose = std::move(picture);
  return true;
}

bool ArchiveWriter::begin(const std::string& hostPath, std::size_t entryCount,
                          bool scrambledIndex, std::string& error) {
  if (entryCount > static_cast<std::size_t>(INT32_MAX) / kArchiveEntrySize) {
    error = "too many entries";
    return false;
  }
  // Written through the safe write path: a temporary beside the target, renamed over it
  // when complete, so a failure never leaves a half-written archive in place of a good
  // one and never writes through a link.
  if (!file_.open(hostPath)) {
    error = file_.error();
    return false;
  }
  count_ = entryCount;
  scrambled_ = scrambledIndex;
  entries_.clear();
  next_ = kArchiveHeaderSize + count_ * kArchiveEntrySize;
  std::vector<std::uint8_t> zeros(static_cast<std::size_t>(next_), 0);
  if (!file_.write(zeros.data(), zeros.size())) {
    error = file_.error();
    return false;
  }
  return true;
}

bool ArchiveWriter::add(std::string_view name, std::span<const std::uint8_t> stored,
                        std::string& error) {
  if (!file_.isOpen()) {
    error = file_.failed() ? file_.error() : "archive not begun";
    return false;
  }
  if (entries_.size() >= count_) {
    error = "more entries than announced";
    return false;
  }
  if (name.empty() || name.size() >= kArchiveNameSize) {
    error = "entry name must have 1 to " + std::to_string(kArchiveNameSize - 1) + " bytes";
    return false;
  }
  if (next_ + stored.size() > UINT32_MAX) {
    error = "archive would exceed 4 GiB (offsets are 32-bit)";
    return false;
  }
  if (!file_.write(stored.data(), stored.size())) {
    error = file_.error();
    return false;
  }
  entries_.push_back({static_cast<std::uint32_t>(next_), static_cast<std::uint32_t>(stored.size()),
                      std::string(name)});
  next_ += stored.size();
  return true;
}

bool ArchiveWriter::finish(std::string& error) {
  if (!file_.isOpen()) {
    error = file_.failed() ? file_.error() : "archive not begun";
    return false;
  }
  if (entries_.size() != count_) {
    error = "fewer entries than announced";
    abandon();
    return false;
  }
  std::vector<std::uint8_t> head(kArchiveHeaderSize + count_ * kArchiveEntrySize, 0);
  tools::storeLe32(head.data(), static_cast<std::uint32_t>(count_));
  for (std::size_t i = 0; i < count_; ++i) {
    std::uint8_t* rec = head.data() + kArchiveHeaderSize + i * kArchiveEntrySize;
    tools::storeLe32(rec, entries_[i].offset);
    tools::storeLe32(rec + 4, entries_[i].size);
    std::memcpy(rec + 8, entries_[i].name.data(), entries_[i].name.size());
  }
  if (scrambled_) applyArchiveKey(head.data() + kArchiveHeaderSize, count_ * kArchiveEntrySize);
  if (!file_.writeAt(0, head.data(), head.size()) || !file_.commit()) {
    error = file_.error();
    return false;
  }
  return true;
}

void ArchiveWriter::abandon() { file_.discard(); }

ArchiveWriter::~ArchiveWriter() { abandon(); }

}  // namespace ml
