#include "app/command_line.h"

#include <sys/stat.h>

#include <cstring>
#include <string_view>

#include "platform/posix/safe_file.h"
#include "platform/posix/user_dirs.h"

#ifndef MIRELUNE_VERSION
#define MIRELUNE_VERSION "0"
#endif

namespace ml {

namespace {

// Options of either entry point that take the next argument as their value.
constexpr std::string_view kValueOptions[] = {"--game",  "--save-dir",   "--steps",      "--frames",
                                              "--seed",  "--dump-state", "--input",      "--choose",
                                              "--screenshot", "--audio-out"};

bool takesValue(std::string_view a) {
  for (std::string_view o : kValueOptions)
    if (a == o) return true;
  return false;
}

constexpr const char* kHelp =
    "Usage: mirelune [--game DIR] [--save-dir DIR] [OpenDebugMode|CloseDebugMode]\n"
    "       mirelune --headless [--game DIR] [--save-dir DIR] [OPTION]... [OpenDebugMode]\n"
    "Plays a Mirelune visual novel: the game in DIR (default: the current folder).\n"
    "\n"
    "  --game DIR            the game folder (scripts, pictures, sounds, archives)\n"
    "  --save-dir DIR        put settings, read marks and saves in DIR\n"
    "  OpenDebugMode         (the only word) the debug menu, keys and tools\n"
    "  CloseDebugMode        (the only word) no debug mode, the default\n"
    "  -h, --help            print this help and exit\n"
    "  --version             print the version and exit\n"
    "\n"
    "Without a window (tests, CI, authors), on a virtual clock:\n"
    "  --headless            run without window or sound card\n"
    "  --steps N             stop after N interpreter steps\n"
    "  --frames N            stop after N presented frames\n"
    "  --input FILE          scripted input (clicks, keys, waits, answers)\n"
    "  --autoplay            click whenever the game waits for the player\n"
    "  --choose first|last|random   how --autoplay answers choices\n"
    "  --seed N              seed the random generator with N\n"
    "  --dump-state FILE     write the final game state (the save-file layout)\n"
    "  --screenshot FILE.png write the last presented frame\n"
    "  --audio-out FILE.wav  write everything the mixer produced\n"
    "\n"
    "Settings (mirelune.ini), read marks (SaveXXX.dat) and saves go into the game\n"
    "folder when it is writable, else into $XDG_DATA_HOME/mirelune/ID/ (default\n"
    "~/.local/share/mirelune/ID/; ID is the folder's name and a short hash of its path).\n"
    "In the window, Alt+Enter switches between window and full screen, F12 saves a\n"
    "screenshot into $XDG_PICTURES_DIR/Mirelune/ (default ~/Pictures/Mirelune/).\n"
    "SIGTERM, SIGINT and SIGHUP end the game as a confirmed quit does, files written.\n"
    "\n"
    "Exit status: 0 normal end; 1 a second copy of the same game, a start-up error or a\n"
    "file that could not be written; 2 a wrong command line; ended by a signal, the\n"
    "program dies by that signal once its files are written (128 + N in a shell).\n";

}  // namespace

InfoRequest findInfoRequest(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (takesValue(a)) {
      ++i;
      continue;
    }
    if (a == "--help" || a == "-h") return InfoRequest::Help;
    if (a == "--version") return InfoRequest::Version;
  }
  return InfoRequest::None;
}

std::string saveFolderLine(const std::string& gameDir, const std::string& saveDirOption) {
  const std::string dir = gameDir.empty() ? std::string(".") : gameDir;
  struct stat st;
  const bool usable = ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  SaveFolderChoice c = chooseSaveFolder(dir, saveDirOption, !usable || folderWritable(dir),
                                        UserDirs::fromEnvironment().dataHome);
  const std::string real = realPathOf(c.path);
  if (!real.empty()) c.path = real;
  switch (c.kind) {
    case SaveFolderKind::Chosen: return "Settings, read marks and saves go to " + c.path + " (--save-dir)";
    case SaveFolderKind::GameFolder:
      return "Settings, read marks and saves go to the game folder, " + c.path;
    case SaveFolderKind::DataFolder:
      return "Settings, read marks and saves go to " + c.path + " (the game folder is read-only)";
  }
  return {};
}

std::string helpText(int argc, char** argv) {
  std::string gameDir = ".", saveDir;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--game") == 0) gameDir = argv[++i];
    else if (std::strcmp(argv[i], "--save-dir") == 0) saveDir = argv[++i];
    else if (takesValue(argv[i])) ++i;
  }
  return std::string(kHelp) + "\nFor the game in " + gameDir + ":\n  " + saveFolderLine(gameDir, saveDir) + "\n";
}

std::string versionText() { return std::string("mirelune ") + MIRELUNE_VERSION + "\n"; }

std::string usageError(const std::string& problem) {
  return "mirelune: " + problem + "\nTry 'mirelune --help' for more information.\n";
}

}  // namespace ml
