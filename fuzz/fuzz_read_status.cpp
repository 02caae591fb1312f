// The read-status file on arbitrary bytes: load, query, mark, save and load again; the
// second load must give back the same read count.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "media/read_status.h"

namespace {

int memoryFile(const std::uint8_t* data, std::size_t size) {
  int fd = ::memfd_create("fuzz-read-status", MFD_CLOEXEC);
  if (fd < 0) return -1;
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) {
      ::close(fd);
      return -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int fd = memoryFile(data, size);
  if (fd < 0) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  ml::ReadStatusStore store;
  store.load(path);
  for (int ordinal : {-1, 0, 1, 4095, 4096}) {
    store.isRead("scr\\open.scr", ordinal, true);
    store.positionOf("scr\\open.scr", ordinal);
  }
  store.ordinalAt("SCR\\OPEN.SCR", 7);
  int before = store.countRead();

  int out = ::memfd_create("fuzz-read-status-out", MFD_CLOEXEC);
  if (out >= 0) {
    const std::string outPath = "/proc/self/fd/" + std::to_string(out);
    if (store.save(outPath)) {
      ml::ReadStatusStore again;
      again.load(outPath);
      if (again.countRead() != before) std::abort();
    }
    ::close(out);
  }
  ::close(fd);
  return 0;
}
