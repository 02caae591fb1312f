// Building archives the way DataArchive reads them: used by the packer tool and by the
// tests. The engine itself never writes archives.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/safe_file.h"

namespace ml {

// ".psd" or ".bmp" (ASCII case ignored): the names the picture loaders read.
bool isPictureName(std::string_view name);
// "8BPS" for ".psd", "BM" for ".bmp", empty for other names.
std::string_view pictureMagicFor(std::string_view name);

struct EntryPacking {
  bool lzss = false;            // pack pictures that begin with their magic
  bool pictureArchive = false;  // scramble the head of pictures
};

// The stored form of a loose file under name. Pictures are packed when asked, unless
// the packed size field would read as the picture's magic or the packed form would be
// too short for the scrambled head; a picture that does not begin with its magic is
// taken as already packed and kept as it is. False with a message when the file
// cannot be stored (a picture shorter than the scrambled head).
bool encodeEntry(std::string_view name, std::span<const std::uint8_t> loose,
                 const EntryPacking& packing, std::vector<std::uint8_t>& stored,
                 std::string& error);

// The loose file an entry stands for: head unscrambled and unpacked for pictures.
// False with a message when a picture is damaged; stored is then returned as it was
// found (head unscrambled).
bool decodeEntry(std::string_view name, std::span<const std::uint8_t> stored,
                 bool pictureArchive, std::vector<std::uint8_t>& loose, std::string& error);

// Writes an archive entry by entry: reserve the index for a known count, add the
// stored bytes of each entry, then finish to write the header and index.
class ArchiveWriter {
 public:
  ArchiveWriter() = default;
  ~ArchiveWriter();  // an unfinished archive is removed
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // False when the file cannot be created. The archive is written through the safe
  // write path and appears at hostPath only when finish succeeds.
  bool begin(const std::string& hostPath, std::size_t entryCount, bool scrambledIndex,
             std::string& error);
  // name is Shift-JIS, 1..23 bytes.
  bool add(std::string_view name, std::span<const std::uint8_t> stored, std::string& error);
  bool finish(std::string& error);
  // Drops an unfinished archive.
  void abandon();

 private:
  struct Pending {
    std::uint32_t offset;
    std::uint32_t size;
    std::string name;
  };
  SafeFileWriter file_;
  std::size_t count_ = 0;
  bool scrambled_ = false;
  std::uint64_t next_ = 0;
  std::vector<Pending> entries_;
};

}  // namespace ml
