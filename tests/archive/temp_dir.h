// A scratch folder per test, removed afterwards.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/posix/file_handle.h"

namespace ml::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirelune-archive-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    char* made = ::mkdtemp(buf.data());
    path_ = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  std::string write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    std::string p = *this / name;
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    writeWholeFile(p, bytes.data(), bytes.size());
    return p;
  }
  std::string write(const std::string& name, const std::string& text) const {
    return write(name, std::span<const std::uint8_t>(
                           reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }
  std::vector<std::uint8_t> read(const std::string& name) const {
    std::vector<std::uint8_t> out;
    readWholeFile(*this / name, out);
    return out;
  }

 private:
  std::string path_;
};

inline std::vector<std::uint8_t> bytesOf(const std::string& s) {
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

}  // namespace ml::test
