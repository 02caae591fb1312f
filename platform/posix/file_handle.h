// The file wrapper every part of the engine reads files through (saves, side files,
// archives). It owns one descriptor; destroying it or opening another file closes the
// previous one. Paths are host paths (see GameFolder::resolve). Files are written only
// through platform/posix/safe_file.h (writeWholeFile below, or a SafeFileWriter), never
// in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ml {

class FileHandle {
 public:
  enum class Mode {
    Read,  // an existing regular file, random access
  };
  enum class Origin { Start, Current };

  FileHandle() = default;
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Takes ownership of an open descriptor (for example a memory file); -1 leaves the
  // wrapper empty.
  static FileHandle adopt(int fd);

  // Closes any open file first; false, and nothing held, when the file cannot be
  // opened (reading takes regular files only: no folders, pipes or devices).
  bool open(const std::string& hostPath, Mode mode);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }

  // Bytes read from the current position; short only at the end of the file or on
  // failure; 0 when no file is open.
  std::size_t read(void* buffer, std::size_t count);
  // The whole file from its start; false (and out empty) when it cannot be read.
  bool readAll(std::vector<std::uint8_t>& out);
  // Reads at an absolute offset without moving the current position.
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) const;

  // The size in bytes; 0 when no file is open or the size cannot be read.
  std::int64_t size() const;
  bool seek(std::int64_t distance, Origin origin);

  // Last write time in local time as "YYYY/MM/DD hh:mm"; "Error" on failure.
  bool modifiedText(std::string& text) const;
  // The same time as date = y*10000+m*100+d and time = h*10000+min*100+s; 0 and 0 on
  // failure.
  bool modifiedStamp(int& date, int& time) const;

  static bool deleteFile(const std::string& hostPath);

 private:
  explicit FileHandle(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// Reads a whole regular file; false (and out emptied) when it cannot be opened or read.
bool readWholeFile(const std::string& hostPath, std::vector<std::uint8_t>& out);
// Writes bytes as the whole new content of a file through the safe path (a temporary
// renamed over it; links and non-files refused); false, with *error ("PATH: reason")
// and the old file untouched, when it cannot be written completely.
bool writeWholeFile(const std::string& hostPath, const void* data, std::size_t size,
                    std::string* error = nullptr);

}  // namespace ml
