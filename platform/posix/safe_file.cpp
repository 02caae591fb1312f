#include "platform/posix/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace ml {
namespace {

// Characters mkostemp puts in place of its six X.
bool isTemplateCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

constexpr std::size_t kRandomLength = 6;
// Longest part of the target's name that goes into a temporary's name, so that the
// temporary's name stays within NAME_MAX.
constexpr std::size_t kMaxNameInTemporary = 200;

std::string reasonText(std::string_view path, std::string_view what, int err) {
  std::string text(path);
  text += ": ";
  text += what;
  if (err != 0) {
    text += ": ";
    text += std::strerror(err);
  }
  return text;
}

void splitPath(const std::string& path, std::string& folder, std::string& name) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
  } else {
    folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    name = path.substr(slash + 1);
  }
}

// The process's file-creation mask, read without changing it (umask() would, for a
// moment, for every thread).
mode_t creationMask() {
  static const mode_t mask = [] {
    int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      char buf[4096];
      ssize_t n = ::read(fd, buf, sizeof buf - 1);
      ::close(fd);
      if (n > 0) {
        buf[n] = '\0';
        if (const char* at = std::strstr(buf, "\nUmask:"))
          return static_cast<mode_t>(std::strtoul(at + 7, nullptr, 8) & 0777);
      }
    }
    mode_t m = ::umask(022);
    ::umask(m);
    return m;
  }();
  return mask;
}

// A write beyond the file-size limit must fail with EFBIG and be reported, not end the
// process.
void ignoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) std::signal(SIGXFSZ, SIG_IGN);
  });
}

// 0, or the error that keeps the folder's entries from reaching the disk. File systems
// that cannot flush a folder (EINVAL), and folders we may write to but not open, count
// as done.
int flushFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  int err = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return err == EINVAL ? 0 : err;
}

}  // namespace

bool isSafeFileTemporaryName(std::string_view name) {
  const std::size_t tail = kTemporaryMarker.size() + kRandomLength;
  // ".", at least one character of the target's name, the marker, six characters.
  if (name.size() < 2 + tail || name[0] != '.') return false;
  if (name.substr(name.size() - tail, kTemporaryMarker.size()) != kTemporaryMarker) return false;
  for (char c : name.substr(name.size() - kRandomLength))
    if (!isTemplateCharacter(c)) return false;
  return true;
}

SafeFileWriter::~SafeFileWriter() { discard(); }

bool SafeFileWriter::fail(std::string_view what, int err) {
  error_ = reasonText(path_, what, err);
  discard();
  return false;
}

void SafeFileWriter::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool SafeFileWriter::open(const std::string& path) {
  discard();
  error_.clear();
  path_ = path;
  ignoreFileSizeSignal();

  std::string folder, name;
  splitPath(path, folder, name);
  if (name.empty() || name == "." || name == "..") return fail("is not a file name", 0);

  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return fail("is a symbolic link; nothing is written through it", 0);
    if (!S_ISREG(st.st_mode)) return fail("is not a regular file", 0);
    // A file that could not be opened for writing is not replaced either.
    if (::access(path.c_str(), W_OK) != 0) return fail("cannot be replaced", errno);
    mode_ = st.st_mode & 0777;
  } else if (errno != ENOENT) {
    return fail("cannot be examined", errno);
  } else {
    mode_ = 0644 & ~creationMask();
  }

  std::string pattern = folder == "/" ? std::string() : folder;
  pattern += "/.";
  pattern += name.substr(0, kMaxNameInTemporary);
  pattern += kTemporaryMarker;
  pattern.append(kRandomLength, 'X');
  // O_EXCL inside: an existing name (a planted link included) is never opened.
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return fail("cannot create a temporary file beside it", errno);
  fd_ = fd;
  temp_ = pattern;
  // Held while the temporary lives: removeStaleTemporaries leaves it alone.
  ::flock(fd_, LOCK_EX | LOCK_NB);
  return true;
}

bool SafeFileWriter::write(const void* data, std::size_t size) {
  if (fd_ < 0) {
    if (error_.empty()) error_ = reasonText(path_, "is not open for writing", 0);
    return false;
  }
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("cannot be written", errno);
    if (n == 0) return fail("cannot be written", EIO);
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SafeFileWriter::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (fd_ < 0) {
    if (error_.empty()) error_ = reasonText(path_, "is not open for writing", 0);
    return false;
  }
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return fail("cannot be written", EFBIG);
    ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("cannot be written", errno);
    if (n == 0) return fail("cannot be written", EIO);
    p += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SafeFileWriter::commit() {
  if (fd_ < 0) {
    if (error_.empty()) error_ = reasonText(path_, "is not open for writing", 0);
    return false;
  }
  if (::fchmod(fd_, mode_) != 0) return fail("cannot set the new file's permissions", errno);
  if (::fsync(fd_) != 0) return fail("cannot be written to disk", errno);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) return fail("cannot be written to disk", errno);

  // Whatever appeared at the target meanwhile is not replaced unless it is a file.
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return fail("is a symbolic link; nothing is written through it", 0);
    if (!S_ISREG(st.st_mode)) return fail("is not a regular file", 0);
  }
  if (::rename(temp_.c_str(), path_.c_str()) != 0) return fail("cannot be replaced", errno);
  temp_.clear();

  std::string folder, name;
  splitPath(path_, folder, name);
  if (int err = flushFolder(folder)) {
    error_ = reasonText(path_, "was written, but its folder cannot be written to disk", err);
    return false;
  }
  return true;
}

bool writeFileSafely(const std::string& path, const void* data, std::size_t size, std::string* error) {
  SafeFileWriter w;
  if (w.open(path) && w.write(data, size) && w.commit()) return true;
  if (error) *error = w.error();
  return false;
}

bool keepAside(const std::string& path, std::string* keptAs, std::string* error) {
  for (int n = 1; n < 100; ++n) {
    std::string candidate = path + ".damaged" + (n == 1 ? std::string() : std::to_string(n));
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) != 0) {
      int err = errno;
      if (err == EEXIST) continue;
      if (err != EINVAL && err != ENOSYS) {
        if (error) *error = reasonText(path, "cannot be moved aside", err);
        return false;
      }
      // A file system without RENAME_NOREPLACE: look first, then rename.
      struct stat st {};
      if (::lstat(candidate.c_str(), &st) == 0) continue;
      if (::rename(path.c_str(), candidate.c_str()) != 0) {
        if (error) *error = reasonText(path, "cannot be moved aside", errno);
        return false;
      }
    }
    std::string folder, name;
    splitPath(path, folder, name);
    flushFolder(folder);
    if (keptAs) *keptAs = candidate;
    return true;
  }
  if (error) *error = reasonText(path, "cannot be moved aside", EEXIST);
  return false;
}

int removeStaleTemporaries(const std::string& folder) {
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return 0;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d))
    if (isSafeFileTemporaryName(e->d_name)) names.emplace_back(e->d_name);
  const int dfd = ::dirfd(d);
  int removed = 0;
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    int fd = ::openat(dfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    // A writer still holds the lock of its temporary; a killed one does not.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_ino == st.st_ino &&
        opened.st_dev == st.st_dev && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::unlinkat(dfd, name.c_str(), 0) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(d);
  return removed;
}

std::string realPathOf(const std::string& folder) {
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (!real) return {};
  std::string out(real);
  std::free(real);
  return out;
}

bool isInsideFolder(std::string_view realPath, std::string_view realFolder) {
  if (realFolder.empty() || realPath.empty()) return false;
  if (realFolder == "/") return realPath.front() == '/';
  if (realPath.substr(0, realFolder.size()) != realFolder) return false;
  return realPath.size() == realFolder.size() || realPath[realFolder.size()] == '/';
}

int openFileForReading(const std::string& path, ReadCheck check, const std::string& folder,
                       std::string* error, bool* missing) {
  if (missing) *missing = false;
  auto refuse = [&](std::string_view what, int err) {
    if (error) *error = reasonText(path, what, err);
    return -1;
  };
  // Looked at before it is opened: opening a device may already do something.
  struct stat st {};
  const int looked = check == ReadCheck::NoLink ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st);
  if (looked != 0) {
    int err = errno;
    if (missing) *missing = err == ENOENT || err == ENOTDIR;
    return refuse("cannot be opened", err);
  }
  if (S_ISLNK(st.st_mode)) return refuse("is a symbolic link; it is not read", 0);
  if (!S_ISREG(st.st_mode)) return refuse("is not a regular file", 0);

  int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (check == ReadCheck::NoLink) flags |= O_NOFOLLOW;
  int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    int err = errno;
    if (missing) *missing = err == ENOENT || err == ENOTDIR;
    return refuse(err == ELOOP && check == ReadCheck::NoLink ? "is a symbolic link; it is not read"
                                                             : "cannot be opened",
                  err == ELOOP ? 0 : err);
  }
  auto close = [&](std::string_view what, int err) {
    ::close(fd);
    return refuse(what, err);
  };
  // Non-blocking only for the open: a FIFO swapped in meanwhile is caught here.
  if (::fstat(fd, &st) != 0) return close("cannot be examined", errno);
  if (!S_ISREG(st.st_mode)) return close("is not a regular file", 0);
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return close("cannot be read", errno);

  if (check == ReadCheck::InsideFolder) {
    // Where the opened file really is, as the kernel knows it.
    std::string real;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::vector<char> buf(4096 + 1);
    ssize_t n = ::readlink(link, buf.data(), buf.size() - 1);
    if (n > 0 && static_cast<std::size_t>(n) < buf.size() - 1) real.assign(buf.data(), static_cast<std::size_t>(n));
    else real = realPathOf(path);
    if (!isInsideFolder(real, folder)) return close("lies outside the game folder; it is not read", 0);
  }
  return fd;
}

}  // namespace ml
