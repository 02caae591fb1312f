#include "platform/posix/optical_drives.h"

#include <fstream>
#include <sstream>

namespace ml {
namespace {

// /proc/mounts writes blanks in paths as octal escapes ("\040").
std::string unescapeMountPath(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' && s[i + 2] <= '7' &&
        s[i + 3] >= '0' && s[i + 3] <= '7') {
      out.push_back(static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> opticalDriveRootsFrom(std::string_view mountsText) {
  std::vector<std::string> roots;
  std::istringstream in{std::string(mountsText)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    if (type == "iso9660" || type == "udf") roots.push_back(unescapeMountPath(mountPoint));
  }
  return roots;
}

std::vector<std::string> opticalDriveRoots() {
  std::ifstream f("/proc/mounts");
  if (!f) return {};
  std::stringstream text;
  text << f.rdbuf();
  return opticalDriveRootsFrom(text.str());
}

}  // namespace ml
