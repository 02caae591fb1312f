// The game folder: every relative data path of the engine ("scr\open.scr", "Save001.dat")
// is resolved here. Scripts write Windows paths; "\" becomes "/", and loose files are
// found without regard to ASCII case, named in Shift-JIS bytes or in UTF-8.
//
// A hostile folder cannot lead the engine out of it: loose files are read only when
// they are regular files whose real location lies inside the folder (a link leading
// out, a FIFO, a device or a folder is refused as if the file were missing), and files
// are written only into folders that really lie inside it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ml {

class FileHandle;

class GameFolder {
 public:
  explicit GameFolder(std::string root = ".");
  const std::string& root() const { return root_; }
  // Host path of an existing file or folder matching sjisPath; when nothing matches,
  // the path a new file of that name would get (for writing).
  std::string resolve(std::string_view sjisPath) const;
  bool exists(std::string_view sjisPath) const;
  // The names (Shift-JIS) of the files in a folder of the game whose names end with
  // suffix (ASCII case ignored), in name order; only files open() would read.
  std::vector<std::string> listFiles(std::string_view sjisFolder, std::string_view suffix) const;

  // Opens a loose file for reading; false (file closed) when it is missing or refused.
  bool open(std::string_view sjisPath, FileHandle& file) const;
  // The host path of a loose file for readers that take a path: resolve(), or an empty
  // path (which opens nothing) when an existing entry lies outside the folder.
  std::string resolveForReading(std::string_view sjisPath) const;
  // The host path a file may be written to: its folder must really lie inside this one
  // (the safe writer refuses a link or a non-file at the name itself). Empty, with
  // *error, otherwise.
  std::string resolveForWriting(std::string_view sjisPath, std::string* error = nullptr) const;

 private:
  // The folder's real path, found once it exists.
  const std::string& realRoot() const;

  std::string root_;
  mutable std::string realRoot_;
};

}  // namespace ml
