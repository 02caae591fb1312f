// The read-status file on arbitrary bytes: load, query, mark, save and load again; the
// second load must give back the same read count.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "media/formats/read_status.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ml::fuzz::MemoryFile input(data, size);
  if (!input.ok()) return 0;
  const std::string path = input.path();
  ml::ReadStatusStore store;
  store.load(path);
  for (int ordinal : {-1, 0, 1, 4095, 4096}) {
    store.isRead("scr\\open.scr", ordinal, true);
    store.positionOf("scr\\open.scr", ordinal);
  }
  store.ordinalAt("SCR\\OPEN.SCR", 7);
  int before = store.countRead();

  ml::fuzz::MemoryFile out(nullptr, 0);
  if (out.ok() && store.save(out.path())) {
    ml::ReadStatusStore again;
    again.load(out.path());
    if (again.countRead() != before) std::abort();
  }
  return 0;
}
