// Archive files made byte by byte, so tests can also make damaged ones.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "tools/common/byte_writer.h"

namespace ml::test {

struct RawEntry {
  std::string name;  // copied into the 24-byte field as is (no terminator when 24 long)
  std::string data;
  // When set, written into the index instead of the real position and length.
  std::int64_t offset = -1;
  std::int64_t size = -1;
};

inline std::vector<std::uint8_t> archiveBytes(const std::vector<RawEntry>& entries, bool scrambled,
                                              std::int64_t countOverride = -1) {
  std::size_t indexEnd = kArchiveHeaderSize + entries.size() * kArchiveEntrySize;
  std::vector<std::uint8_t> out(indexEnd, 0);
  tools::patchLe32(out, 0, static_cast<std::uint32_t>(countOverride >= 0 ? countOverride : entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const RawEntry& e = entries[i];
    std::size_t rec = kArchiveHeaderSize + i * kArchiveEntrySize;
    std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), e.data.begin(), e.data.end());
    tools::patchLe32(out, rec, e.offset >= 0 ? static_cast<std::uint32_t>(e.offset) : offset);
    tools::patchLe32(out, rec + 4, e.size >= 0 ? static_cast<std::uint32_t>(e.size)
                                      : static_cast<std::uint32_t>(e.data.size()));
    std::memcpy(&out[rec + 8], e.name.data(), std::min<std::size_t>(e.name.size(), kArchiveNameSize));
  }
  if (scrambled) applyArchiveKey(out.data() + kArchiveHeaderSize, indexEnd - kArchiveHeaderSize);
  return out;
}

inline std::string readAllOf(DataArchive& a) {
  std::string s(a.entrySize(), '\0');
  s.resize(a.read(s.data(), s.size()));
  return s;
}

}  // namespace ml::test
