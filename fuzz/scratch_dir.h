// A scratch folder for targets that need real files: in memory (/dev/shm) when the
// machine has it, so that the syncs of the safe writers cost nothing; one per process,
// removed at exit.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ml::fuzz {

inline std::filesystem::path scratchDir(const std::string& name) {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                              : std::filesystem::temp_directory_path();
  std::filesystem::path dir = base / ("mirelune-fuzz-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir, ec);
  static std::filesystem::path made;
  made = dir;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(made, ignored);
  });
  return dir;
}

}  // namespace ml::fuzz
