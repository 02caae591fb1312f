// The game folder: every relative data path of the engine ("scr\open.scr", "Save001.dat")
// is resolved here. Scripts write Windows paths; "\" becomes "/", and loose files are
// found without regard to ASCII case, named in Shift-JIS bytes or in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ml {

class GameFolder {
 public:
  explicit GameFolder(std::string root = ".");
  const std::string& root() const { return root_; }
  // Host path of an existing file or folder matching sjisPath; when nothing matches,
  // the path a new file of that name would get (for writing).
  std::string resolve(std::string_view sjisPath) const;
  bool exists(std::string_view sjisPath) const;

 private:
  std::string root_;
};

}  // namespace ml
