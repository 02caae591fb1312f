// The user's folders as the XDG base-directory and user-dirs conventions name them,
// and where a game's player files (settings, read marks, saves) go.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ml {

struct UserDirs {
  std::string home;      // $HOME, else the password database's home
  std::string dataHome;  // $XDG_DATA_HOME when absolute, else HOME/.local/share
  std::string pictures;  // XDG_PICTURES_DIR (environment, then user-dirs.dirs), else HOME/Pictures
  static UserDirs fromEnvironment();
};

// FNV-1a over the folder's canonical path (the path as given when it has none), so that
// every spelling of one folder gives the same number.
std::uint64_t canonicalPathHash(const std::string& folder);

// A game's id: its folder's name made safe for a file name, "-", and eight hex digits
// of canonicalPathHash, so that two games with the same folder name stay apart.
std::string gameId(const std::string& gameDir);

// Where a game's player files go.
enum class SaveFolderKind {
  GameFolder,  // the game folder itself (writable: existing games keep their files there)
  DataFolder,  // DATA_HOME/mirelune/<game id>/ (the game folder is read-only)
  Chosen,      // --save-dir
};

struct SaveFolderChoice {
  SaveFolderKind kind = SaveFolderKind::GameFolder;
  std::string path;
};

// saveDirOption wins; otherwise the game folder when it is writable, else the data
// folder under dataHome. Nothing is created here.
SaveFolderChoice chooseSaveFolder(const std::string& gameDir, const std::string& saveDirOption,
                                  bool gameDirWritable, const std::string& dataHome);

// Whether new files can be made in a folder by this process (a read-only mount or a
// folder without write permission cannot; for the superuser, a folder without any
// write bit counts as read-only too).
bool folderWritable(const std::string& folder);

// Makes a folder and its missing parents (new ones private to the user); false with
// *error ("PATH: reason") when it cannot be made or is not a folder.
bool makeFolders(const std::string& folder, std::string* error);

// A screenshot's file name: "<game id>-YYYYMMDD-HHMMSS.png" in local time, with "-2",
// "-3" ... before ".png" while taken(name) says the name is in use.
std::string screenshotFileName(const std::string& gameId, std::int64_t unixTime,
                               const std::function<bool(const std::string&)>& taken);

// The value of one XDG_*_DIR line of a user-dirs.dirs text ("$HOME/..." expanded), or
// empty when the key is absent or its value unusable.
std::string userDirFromConfig(const std::string& text, const std::string& key, const std::string& home);

}  // namespace ml
