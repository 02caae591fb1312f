// The read-status file on arbitrary bytes: load, query, mark, write out and load again;
// the second load must give back the same read count.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "media/formats/read_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ml::ReadStatusStore store;
  store.loadBytes(std::span<const std::uint8_t>(data, size));
  for (int ordinal : {-1, 0, 1, 4095, 4096}) {
    store.isRead("scr\\open.scr", ordinal, true);
    store.positionOf("scr\\open.scr", ordinal);
  }
  store.ordinalAt("SCR\\OPEN.SCR", 7);
  int before = store.countRead();

  // What save would write (the file itself goes through the safe write path, which
  // refuses the memory file's /proc link).
  std::vector<std::uint8_t> saved = store.serialize();
  ml::ReadStatusStore again;
  ml::ReadStatusStore::LoadReport report = again.loadBytes(saved);
  if (again.countRead() != before || !report.whole()) std::abort();
  return 0;
}
