// The one way every file of the program and the tools is written, and the checks a
// file passes before it is read.
//
// Writing: a target that is a symbolic link or anything but a regular file is refused;
// the new content goes into an exclusive, randomly named temporary beside the target
// (".NAME.mltmp-XXXXXX", created with O_EXCL, never through a link), is flushed to disk,
// renamed over the target, and the folder is flushed too. On any failure the temporary
// is removed, the old file stays as it was and the failure carries a clear reason
// ("PATH: reason", the system's own words). A killed writer leaves at most its
// temporary, which removeStaleTemporaries deletes at the next start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ml {

// What every temporary of ours carries between the target's name and its six random
// characters.
inline constexpr std::string_view kTemporaryMarker = ".mltmp-";

// Whether a folder entry's name has the form of our temporaries (".NAME.mltmp-XXXXXX",
// X one of [A-Za-z0-9]).
bool isSafeFileTemporaryName(std::string_view name);

// Writes one file in pieces (archives, pictures): open, write (or writeAt), then commit
// to put it in place. Destroying the writer without commit (or after a failure) removes
// the temporary and leaves the target as it was.
class SafeFileWriter {
 public:
  SafeFileWriter() = default;
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Checks the target and creates the temporary. False (with error()) when the target
  // is a link, not a regular file, cannot be replaced, or no temporary can be made.
  bool open(const std::string& path);
  // Appends bytes; writeAt writes at an absolute offset of the new file. After the first
  // failure every further call fails and commit does nothing.
  bool write(const void* data, std::size_t size);
  bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
  bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
  // Flushes, renames over the target and flushes the folder; false (with error()) when
  // any step fails, and then the target is untouched and the temporary gone.
  bool commit();
  // Drops the new content.
  void discard();

  bool isOpen() const { return fd_ >= 0; }
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }
  const std::string& temporaryPath() const { return temp_; }

 private:
  bool fail(std::string_view what, int err);
  int fd_ = -1;
  unsigned mode_ = 0644;
  std::string path_, temp_, error_;
};

// The whole new content of path in one call; false with *error ("PATH: reason").
bool writeFileSafely(const std::string& path, const void* data, std::size_t size,
                     std::string* error = nullptr);
inline bool writeFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                            std::string* error = nullptr) {
  return writeFileSafely(path, bytes.data(), bytes.size(), error);
}
inline bool writeFileSafely(const std::string& path, std::string_view bytes,
                            std::string* error = nullptr) {
  return writeFileSafely(path, bytes.data(), bytes.size(), error);
}

// Moves whatever lies at path (a damaged file, a link, a folder) aside to
// "PATH.damaged" - or "PATH.damaged2", "PATH.damaged3" … when that name is taken - never
// replacing anything and never following a link. keptAs receives the new path. False
// with *error when it cannot be moved (then it stays where it is).
bool keepAside(const std::string& path, std::string* keptAs, std::string* error);

// Deletes our temporaries in folder that no running writer holds (left by killed runs),
// regular files only, never a link; answers how many were removed.
int removeStaleTemporaries(const std::string& folder);

// How a file to be read is checked.
enum class ReadCheck {
  Plain,         // an existing regular file
  NoLink,        // and not a symbolic link itself (side files of the game folder)
  InsideFolder,  // and its real location lies inside the folder given (loose game data)
};

// Opens an existing regular file for reading without blocking on a FIFO (folders,
// FIFOs and devices are refused). -1 with *error ("PATH: reason") when it is missing,
// refused or cannot be opened; *missing tells a missing file from a refused one.
int openFileForReading(const std::string& path, ReadCheck check, const std::string& folder,
                       std::string* error = nullptr, bool* missing = nullptr);

// The real (link-free, absolute) path of an existing folder; empty when it has none.
std::string realPathOf(const std::string& folder);
// Whether realPath equals realFolder or lies below it (both real paths).
bool isInsideFolder(std::string_view realPath, std::string_view realFolder);

}  // namespace ml
