#include "media/io/archive.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/io/keys.h"
#include "platform/byte_reader.h"
#include "platform/sjis.h"

namespace ml {
namespace {

std::string_view nameField(const ArchiveEntry& e) {
  // A name filling all 24 bytes has no terminator and is taken as 24 bytes.
  const void* nul = std::memchr(e.name, 0, kArchiveNameSize);
  std::size_t len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - e.name)
                        : kArchiveNameSize;
  return std::string_view(e.name, len);
}

}  // namespace

void applyArchiveKey(std::uint8_t* data, std::size_t size, std::size_t start) {
  for (std::size_t k = 0; k < size; ++k) data[k] ^= kArchiveKey[(start + k) % kArchiveKey.size()];
}

std::string_view archiveNameOf(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (sjis::isLead(c)) {
      ++i;
    } else if (c == '\\' || c == '/') {
      start = i + 1;
    }
  }
  return start >= path.size() ? std::string_view() : path.substr(start);
}

bool archiveNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i], y = b[i];
    if (sjis::isLead(x)) {
      // The trail byte may look like an ASCII letter; it is part of the character and
      // must match exactly.
      if (x != y || i + 1 >= a.size()) return x == y;
      ++i;
      if (a[i] != b[i]) return false;
      continue;
    }
    if (sjis::foldAscii(x) != sjis::foldAscii(y)) return false;
  }
  return true;
}

DataArchive::~DataArchive() = default;
DataArchive::DataArchive(DataArchive&&) noexcept = default;
DataArchive& DataArchive::operator=(DataArchive&&) noexcept = default;

bool DataArchive::open(const std::string& hostPath, bool scrambledIndex) {
  close();
  FileHandle f;
  if (!f.open(hostPath, FileHandle::Mode::Read)) return false;
  return open(std::move(f), scrambledIndex);
}

bool DataArchive::open(FileHandle file, bool scrambledIndex) {
  close();
  if (!file.isOpen()) return false;
  const std::int64_t fileSize = file.size();
  std::uint8_t header[kArchiveHeaderSize];
  if (fileSize < static_cast<std::int64_t>(kArchiveHeaderSize) ||
      file.readAt(0, header, sizeof header) != sizeof header)
    return false;
  // The count is a signed 32-bit value; a negative count, more entries than an index
  // may hold, or an index running past the end of the file means the file is no
  // archive (or a damaged one).
  const std::int32_t count = static_cast<std::int32_t>(le32(header));
  if (count < 0 || static_cast<std::uint32_t>(count) > kMaxArchiveEntries) return false;
  const std::uint64_t indexBytes = static_cast<std::uint64_t>(count) * kArchiveEntrySize;
  if (indexBytes > static_cast<std::uint64_t>(fileSize) - kArchiveHeaderSize) return false;

  // The index is read a chunk at a time and the entries grow with what was actually
  // read, so a count that the file only claims (a sparse or shortened file) never
  // costs more memory than the bytes behind it.
  constexpr std::size_t kChunkEntries = 2048;
  std::vector<std::uint8_t> chunk;
  try {
    chunk.resize(std::min<std::size_t>(static_cast<std::size_t>(count), kChunkEntries) * kArchiveEntrySize);
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(count)) {
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count) - done, kChunkEntries);
      const std::size_t bytes = n * kArchiveEntrySize;
      const std::uint64_t at = kArchiveHeaderSize + static_cast<std::uint64_t>(done) * kArchiveEntrySize;
      if (file.readAt(at, chunk.data(), bytes) != bytes) {
        entries_ = {};
        return false;
      }
      if (scrambledIndex) applyArchiveKey(chunk.data(), bytes, static_cast<std::size_t>(at - kArchiveHeaderSize));
      if (entries_.capacity() < done + n)
        entries_.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), std::max(done + n, done * 2)));
      ByteReader in(chunk.data(), bytes);
      for (std::size_t i = 0; i < n; ++i) {
        ArchiveEntry& e = entries_.emplace_back();
        e.offset = in.u32le();
        e.size = in.u32le();
        in.copy(e.name, kArchiveNameSize);
      }
      done += n;
    }
  } catch (const std::bad_alloc&) {
    entries_ = {};
    return false;
  }
  file_ = std::move(file);
  fileSize_ = static_cast<std::uint64_t>(fileSize);
  return true;
}

bool DataArchive::attachOverride(const std::string& hostPath, bool scrambledIndex) {
  override_ = std::make_unique<DataArchive>();
  if (selection_ == kSelectedOverride) release();
  return override_->open(hostPath, scrambledIndex);
}

bool DataArchive::entryFits(const ArchiveEntry& e) const {
  return static_cast<std::uint64_t>(e.offset) + e.size <= fileSize_;
}

bool DataArchive::find(std::string_view path) {
  if (override_ && override_->find(path)) {
    selection_ = kSelectedOverride;
    readPos_ = 0;
    return true;
  }
  release();
  if (!isOpen()) return false;
  std::string_view name = archiveNameOf(path);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const ArchiveEntry& e = entries_[i];
    if (!entryFits(e)) continue;
    if (archiveNamesEqual(nameField(e), name)) return select(static_cast<int>(i));
  }
  return false;
}

std::uint32_t DataArchive::entrySize() const {
  if (selection_ == kSelectedOverride) return override_ ? override_->entrySize() : 0;
  if (selection_ < 0 || !isOpen()) return 0;
  return entries_[static_cast<std::size_t>(selection_)].size;
}

std::size_t DataArchive::read(void* buffer, std::size_t count) {
  if (selection_ == kSelectedOverride) return override_ ? override_->read(buffer, count) : 0;
  if (selection_ < 0 || !isOpen() || buffer == nullptr) return 0;
  const ArchiveEntry& e = entries_[static_cast<std::size_t>(selection_)];
  std::uint64_t left = e.size - readPos_;
  if (count > left) count = static_cast<std::size_t>(left);
  std::size_t n = file_.readAt(e.offset + readPos_, buffer, count);
  readPos_ += n;
  return n;
}

bool DataArchive::select(int index) {
  release();
  if (!isOpen() || index < 0 || index >= entryCount()) return false;
  if (!entryFits(entries_[static_cast<std::size_t>(index)])) return false;
  selection_ = index;
  return true;
}

void DataArchive::release() {
  selection_ = kSelectedNone;
  readPos_ = 0;
}

std::optional<std::string> DataArchive::entryName(int index) const {
  if (index < 0 || index >= entryCount()) return std::nullopt;
  return std::string(nameField(entries_[static_cast<std::size_t>(index)]));
}

const ArchiveEntry* DataArchive::entry(int index) const {
  if (index < 0 || index >= entryCount()) return nullptr;
  return &entries_[static_cast<std::size_t>(index)];
}

bool DataArchive::readEntry(std::string_view path, std::vector<std::uint8_t>& out) {
  out.clear();
  return find(path) && readSelected(out);
}

bool DataArchive::readSelected(std::vector<std::uint8_t>& out) {
  out.clear();
  if (selection_ == kSelectedOverride) return override_ && override_->readSelected(out);
  if (selection_ < 0 || !isOpen()) return false;
  const ArchiveEntry& e = entries_[static_cast<std::size_t>(selection_)];
  std::uint64_t left = e.size - readPos_;
  try {
    out.resize(static_cast<std::size_t>(left));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (read(out.data(), out.size()) != out.size()) {
    out.clear();
    return false;
  }
  return true;
}

void DataArchive::close() {
  override_.reset();
  file_.close();
  fileSize_ = 0;
  entries_.clear();
  entries_.shrink_to_fit();
  release();
}

}  // namespace ml
