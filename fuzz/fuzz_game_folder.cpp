// Game paths resolved against a folder of awkward names: Shift-JIS bytes, UTF-8,
// names differing only in case, a trail byte equal to '\', half-width kana, bytes that
// are no valid text. Resolving never fails hard, and a one-part path that names an
// entry (ASCII case ignored, in Shift-JIS bytes or converted to UTF-8) finds it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "media/io/game_folder.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "scratch_dir.h"

namespace {

const std::vector<std::string>& names() {
  static const std::vector<std::string> list = {
      "Open.SCR", "open.scr", "\xe8\xa1\xa8\xe7\xb4\x99.psd" /* UTF-8 */, "\x95\x5c.bmp" /* SJIS, trail '\' */,
      "\x83\x41.bmp", "\xef\xbd\xb6\xef\xbe\x85.txt" /* half-width kana */, "a b.scr", "...", "\xff\xfe.dat",
      "SAVE001.DAT", "cg", "\xe8\x83\x8c\xe6\x99\xaf" /* folder */};
  return list;
}

const std::string& root() {
  static const std::string dir = [] {
    auto d = ml::fuzz::scratchDir("folder");
    std::filesystem::create_directories(d);
    for (const std::string& n : names()) {
      const std::string p = d.string() + "/" + n;
      if (n == "cg" || n.back() == '\xaf') {
        ::mkdir(p.c_str(), 0700);
        const int fd = ::open((p + "/BG01.Psd").c_str(), O_CREAT | O_WRONLY, 0600);
        if (fd >= 0) ::close(fd);
      } else {
        const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0600);
        if (fd >= 0) ::close(fd);
      }
    }
    return d.string();
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  // Paths leaving the folder would only make the fuzzer walk the machine's folders.
  if (path.find('\0') != std::string_view::npos || path.find("..") != std::string_view::npos ||
      (!path.empty() && (path[0] == '/' || path[0] == '\\')))
    return 0;
  const ml::GameFolder folder(root());
  const std::string resolved = folder.resolve(path);
  if (resolved.compare(0, root().size(), root()) != 0) std::abort();
  const bool exists = folder.exists(path);

  // A one-part path naming an entry is found.
  bool onePart = !path.empty();
  for (std::size_t i = 0; i < path.size(); i += ml::sjis::charLength(path, i))
    if (ml::sjis::charLength(path, i) == 1 && (path[i] == '\\' || path[i] == '/')) onePart = false;
  if (!onePart || path == ".") return 0;
  const std::string utf8 = ml::sjisToUtf8(path);
  bool named = false;
  for (const std::string& n : names()) named |= ml::sjis::equalsFolded(n, path) || ml::sjis::equalsFolded(n, utf8);
  struct stat st;
  if (named && (!exists || ::stat(resolved.c_str(), &st) != 0)) std::abort();
  return 0;
}
