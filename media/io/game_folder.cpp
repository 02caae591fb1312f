#include "media/io/game_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The entry of dir whose name matches component in Shift-JIS bytes or in UTF-8, ASCII
// case ignored; an exact match wins.
std::string findEntry(const std::string& dir, std::string_view component) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string utf8 = isAscii(component) ? std::string(component) : sjisToUtf8(component);
  std::string found;
  while (dirent* e = readdir(d)) {
    std::string_view name(e->d_name);
    if (name == component || name == utf8) {
      found = std::string(name);
      break;
    }
    if (found.empty() && (sjis::equalsFolded(name, component) || sjis::equalsFolded(name, utf8)))
      found = std::string(name);
  }
  closedir(d);
  return found;
}

}  // namespace

GameFolder::GameFolder(std::string root) : root_(root.empty() ? std::string(".") : std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string GameFolder::resolve(std::string_view sjisPath) const {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= sjisPath.size(); ++i) {
    // Only a single-byte '\' or '/' separates; the second byte of a double-byte
    // character may equal '\' (0x5C) and must not split it.
    if (i < sjisPath.size()) {
      if (sjis::charLength(sjisPath, i) == 2) {
        ++i;
        continue;
      }
      const char c = sjisPath[i];
      if (c != '\\' && c != '/') continue;
    }
    if (i > start) parts.push_back(sjisPath.substr(start, i - start));
    start = i + 1;
  }
  bool absolute = !sjisPath.empty() && sjisPath[0] == '/';
  std::string path = absolute ? std::string() : root_;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string_view part = parts[i];
    if (part == ".") continue;
    std::string entry = part == ".." ? std::string("..") : findEntry(path.empty() ? "/" : path, part);
    if (entry.empty()) entry = isAscii(part) ? std::string(part) : sjisToUtf8(part);
    path += '/';
    path += entry;
  }
  return path;
}

std::vector<std::string> GameFolder::listFiles(std::string_view sjisFolder, std::string_view suffix) const {
  std::vector<std::string> names;
  const std::string dir = resolveForReading(sjisFolder);
  if (dir.empty()) return names;
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    // Names are Shift-JIS inside; a folder made on this system may hold them in UTF-8.
    const std::string host(e->d_name);
    std::string sjis = utf8ToSjis(host);
    if (isAscii(host) || sjisToUtf8(sjis) != host) sjis = host;
    if (sjis.size() > suffix.size() && sjis::endsWithFolded(sjis, suffix)) names.push_back(std::move(sjis));
  }
  closedir(d);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return sjis::foldAsciiOutsideChars(a) < sjis::foldAsciiOutsideChars(b);
  });
  const std::string prefix = std::string(sjisFolder) + "\\";
  std::erase_if(names, [&](const std::string& name) {
    FileHandle file;
    return !open(prefix + name, file);
  });
  return names;
}

bool GameFolder::exists(std::string_view sjisPath) const {
  struct stat st;
  return ::stat(resolve(sjisPath).c_str(), &st) == 0;
}

const std::string& GameFolder::realRoot() const {
  if (realRoot_.empty()) realRoot_ = realPathOf(root_);
  return realRoot_;
}

bool GameFolder::open(std::string_view sjisPath, FileHandle& file) const {
  file.close();
  const std::string& inside = realRoot();
  if (inside.empty()) return false;
  int fd = openFileForReading(resolve(sjisPath), ReadCheck::InsideFolder, inside);
  if (fd < 0) return false;
  file = FileHandle::adopt(fd);
  return true;
}

std::string GameFolder::resolveForReading(std::string_view sjisPath) const {
  std::string path = resolve(sjisPath);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return path;  // missing: opening it fails anyway
  if (!isInsideFolder(realPathOf(path), realRoot())) return {};
  return path;
}

std::string GameFolder::resolveForWriting(std::string_view sjisPath, std::string* error) const {
  std::string path = resolve(sjisPath);
  const std::size_t slash = path.find_last_of('/');
  std::string parent = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  std::string real = realPathOf(parent);
  if (real.empty() || !isInsideFolder(real, realRoot())) {
    if (error) *error = path + ": " + (real.empty() ? "its folder does not exist" : "lies outside the game folder");
    return {};
  }
  return path;
}

}  // namespace ml
