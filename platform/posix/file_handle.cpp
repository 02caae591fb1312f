#include "platform/posix/file_handle.h"

#include "platform/posix/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>

namespace ml {
namespace {

bool localModifiedTime(int fd, std::tm& out) {
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  std::time_t t = st.st_mtime;
  return ::localtime_r(&t, &out) != nullptr;
}

}  // namespace

FileHandle::~FileHandle() { close(); }

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FileHandle FileHandle::adopt(int fd) { return FileHandle(fd < 0 ? -1 : fd); }

bool FileHandle::open(const std::string& hostPath, Mode mode) {
  close();
  (void)mode;
  // Only regular files count: a folder would open but not read, so lookups must fall
  // through to the archives; pipes and devices have no size to read by, and a FIFO must
  // not hang the open.
  int fd = openFileForReading(hostPath, ReadCheck::Plain, {});
  if (fd < 0) return false;
  fd_ = fd;
  return true;
}

void FileHandle::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::size_t FileHandle::read(void* buffer, std::size_t count) {
  if (fd_ < 0 || buffer == nullptr) return 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t FileHandle::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
  if (fd_ < 0 || buffer == nullptr) return 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    std::uint64_t at = offset + done;
    if (at > static_cast<std::uint64_t>(INT64_MAX)) break;
    ssize_t n = ::pread(fd_, p + done, count - done, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::int64_t FileHandle::size() const {
  if (fd_ < 0) return 0;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || st.st_size < 0) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

bool FileHandle::seek(std::int64_t distance, Origin origin) {
  if (fd_ < 0) return false;
  int whence = origin == Origin::Start ? SEEK_SET : SEEK_CUR;
  return ::lseek(fd_, static_cast<off_t>(distance), whence) != static_cast<off_t>(-1);
}

bool FileHandle::modifiedText(std::string& text) const {
  text = "Error";
  std::tm tm{};
  if (!localModifiedTime(fd_, tm)) return false;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min);
  text = buf;
  return true;
}

bool FileHandle::modifiedStamp(int& date, int& time) const {
  date = 0;
  time = 0;
  std::tm tm{};
  if (!localModifiedTime(fd_, tm)) return false;
  date = (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
  time = tm.tm_hour * 10000 + tm.tm_min * 100 + tm.tm_sec;
  return true;
}

bool FileHandle::deleteFile(const std::string& hostPath) { return ::unlink(hostPath.c_str()) == 0; }

bool FileHandle::readAll(std::vector<std::uint8_t>& out) {
  out.clear();
  std::int64_t total = size();
  if (fd_ < 0 || total < 0 || static_cast<std::uint64_t>(total) > SIZE_MAX / 2) return false;
  try {
    out.resize(static_cast<std::size_t>(total));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (readAt(0, out.data(), out.size()) != out.size()) {
    out.clear();
    return false;
  }
  return true;
}

bool readWholeFile(const std::string& hostPath, std::vector<std::uint8_t>& out) {
  out.clear();
  FileHandle f;
  return f.open(hostPath, FileHandle::Mode::Read) && f.readAll(out);
}

bool writeWholeFile(const std::string& hostPath, const void* data, std::size_t size,
                    std::string* error) {
  return writeFileSafely(hostPath, data, size, error);
}

}  // namespace ml
