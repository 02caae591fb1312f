// Archive reading on arbitrary bytes: open (plain and scrambled index), override
// lookup, walking every entry, and picture loading from the archive.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/formats/picture_bytes.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ml::fuzz::MemoryFile input(data, size);
  if (!input.ok()) return 0;
  const std::string procPath = input.path();
  ml::GameFolder noLooseFiles("/nonexistent-mirelune-fuzz");
  for (bool scrambled : {false, true}) {
    ml::DataArchive archive;
    int dup = ::dup(input.fd());
    if (!archive.open(ml::FileHandle::adopt(dup), scrambled)) continue;
    // The same bytes as their own override, with the other index form.
    archive.attachOverride(procPath, !scrambled);
    std::vector<std::uint8_t> bytes;
    std::uint8_t buf[64];
    int count = archive.entryCount();
    for (int i = 0; i < count && i < 256; ++i) {
      std::string name = archive.entryName(i).value_or("");
      if (archive.select(i)) {
        archive.read(buf, sizeof buf);
        archive.readSelected(bytes);
      }
      archive.readEntry(name, bytes);
      archive.entrySize();
      ml::loadPictureBytes(noLooseFiles, archive, "cg\\" + name, "8BPS", bytes);
      ml::loadPictureBytes(noLooseFiles, archive, name, "BM", bytes);
    }
    archive.find("scr\\open.scr");
    archive.read(buf, sizeof buf);
    archive.select(-1);
    archive.select(count);
    archive.entryName(count);
  }
  return 0;
}
