// Where script and data files come from when there is no loose file: the archives.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ml {

class Runtime;
class DataArchive;

struct ArchivedScript {
  bool found = false;             // the script archive has the path
  std::int64_t entrySize = 0;     // its size as the archive's index gives it
  std::vector<std::uint8_t> bytes;  // what could be read of it
  bool outOfMemory = false;
};

// Reads a script path ("scr\open.scr") from the script archive.
ArchivedScript readFromScriptArchive(DataArchive& archive, std::string_view path);

// Whether an archive holds a path (by its bare name).
bool archiveHas(DataArchive& archive, std::string_view path);

}  // namespace ml
