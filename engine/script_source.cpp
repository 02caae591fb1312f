#include "engine/script_source.h"

#include <new>

#include "engine/runtime.h"
#include "media/io/archive.h"

namespace ml {

ArchivedScript readFromScriptArchive(DataArchive& archive, std::string_view path) {
  ArchivedScript result;
  if (!archive.find(path)) return result;
  result.found = true;
  result.entrySize = archive.entrySize();
  try {
    result.bytes.resize(static_cast<size_t>(result.entrySize));
  } catch (const std::bad_alloc&) {
    result.outOfMemory = true;
    archive.release();
    return result;
  }
  size_t got = archive.read(result.bytes.data(), result.bytes.size());
  result.bytes.resize(got);
  archive.release();
  return result;
}

bool archiveHas(DataArchive& archive, std::string_view path) {
  bool found = archive.find(path);
  archive.release();
  return found;
}

}  // namespace ml
