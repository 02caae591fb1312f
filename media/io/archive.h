// A packed data archive ("scr.dat", "cg.dat", "wav.dat") with an optional override
// archive whose entries win over its own.
//
// File layout: a 32-bit little-endian entry count N at offset 0, 12 unused bytes, then
// N index records of 32 bytes (offset and size, 32-bit little-endian, and a 24-byte
// NUL-padded Shift-JIS name) from offset 16; an entry's bytes lie at its offset, stored
// as the loose file would be. A scrambled index has byte k XORed with kArchiveKey[k % 5].
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/file_handle.h"

namespace ml {

struct ArchiveEntry {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  char name[24] = {};
};

inline constexpr std::size_t kArchiveHeaderSize = 16;
inline constexpr std::size_t kArchiveEntrySize = 32;
inline constexpr std::size_t kArchiveNameSize = 24;
// The most entries an index may hold (32 MiB of index); a game has a few thousand
// files, and a damaged or hostile count must not cost gigabytes.
inline constexpr std::uint32_t kMaxArchiveEntries = std::uint32_t(1) << 20;

// XORs bytes with kArchiveKey, byte k of data with key[(start + k) % 5]; used for the
// index and for the first 32 bytes of archived pictures.
void applyArchiveKey(std::uint8_t* data, std::size_t size, std::size_t start = 0);

// The bare file name of a Windows-style path: what follows the last "\" (or "/"), never
// splitting a double-byte character whose second byte is 0x5C.
std::string_view archiveNameOf(std::string_view path);

// ASCII letters compared without case; double-byte characters compared exactly.
bool archiveNamesEqual(std::string_view a, std::string_view b);

class DataArchive {
 public:
  static constexpr int kSelectedNone = -1;
  static constexpr int kSelectedOverride = -2;

  DataArchive() = default;
  ~DataArchive();
  DataArchive(DataArchive&&) noexcept;
  DataArchive& operator=(DataArchive&&) noexcept;
  DataArchive(const DataArchive&) = delete;
  DataArchive& operator=(const DataArchive&) = delete;

  // Closes whatever was open, then reads the header and index. An archive whose header
  // or index does not fit in the file, or whose count is over kMaxArchiveEntries, does
  // not open (and is left closed). The index is read piecewise, so memory grows only
  // with the entries actually read.
  bool open(const std::string& hostPath, bool scrambledIndex);
  // The same from an already open file (a memory file in the fuzzer).
  bool open(FileHandle file, bool scrambledIndex);

  // Replaces any override with a new archive opened on hostPath; the override is kept
  // even when opening fails. Returns the result of the open.
  bool attachOverride(const std::string& hostPath, bool scrambledIndex);
  DataArchive* overrideArchive() { return override_.get(); }

  // Selects the entry for a path (its bare name, ASCII case ignored). The override is
  // asked first and wins; it is asked even when this archive itself is not open. An
  // entry whose bytes lie outside the file counts as missing.
  bool find(std::string_view path);
  // Size of the selected entry; 0 when nothing is selected.
  std::uint32_t entrySize() const;
  // Reads the selected entry from where the previous read ended; never past the
  // entry's end. 0 when nothing is selected.
  std::size_t read(void* buffer, std::size_t count);
  // Selects entry index of this archive's own index (never the override's).
  bool select(int index);
  // Forgets the selection (the archive stays open).
  void release();

  int entryCount() const { return static_cast<int>(entries_.size()); }
  // The name field of an entry (up to its NUL, at most 24 bytes); none when out of range.
  std::optional<std::string> entryName(int index) const;
  const ArchiveEntry* entry(int index) const;
  int selection() const { return selection_; }
  bool isOpen() const { return file_.isOpen(); }

  // find + read the whole entry; false when missing, unreadable or out of memory.
  bool readEntry(std::string_view path, std::vector<std::uint8_t>& out);
  // Reads the rest of the selected entry.
  bool readSelected(std::vector<std::uint8_t>& out);

  // Destroys the override, closes the file, frees the index.
  void close();

 private:
  bool entryFits(const ArchiveEntry& e) const;

  FileHandle file_;
  std::uint64_t fileSize_ = 0;
  std::vector<ArchiveEntry> entries_;
  int selection_ = kSelectedNone;
  std::uint64_t readPos_ = 0;  // within the selected entry
  std::unique_ptr<DataArchive> override_;
};

}  // namespace ml
