// Fuzz input as a file the readers can open by path: a memory file with its
// /proc/self/fd path, closed when it goes out of scope.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace ml::fuzz {

class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) {
    fd_ = ::memfd_create("mirelune-fuzz", MFD_CLOEXEC);
    std::size_t done = 0;
    while (fd_ >= 0 && done < size) {
      ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) {
        ::close(fd_);
        fd_ = -1;
      } else {
        done += static_cast<std::size_t>(n);
      }
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

}  // namespace ml::fuzz
