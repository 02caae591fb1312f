// What the program says about itself on the command line: --help, --version, and the
// messages for arguments it does not take.
#pragma once

#include <string>

namespace ml {

enum class InfoRequest { None, Help, Version };

// --help (-h) or --version anywhere among the arguments, values of options that take
// one excepted ("--game --help" names a folder).
InfoRequest findInfoRequest(int argc, char** argv);

// The full help: both entry points, every option with a line, where the player's files
// go (for the game folder and --save-dir among the arguments, else the current folder).
std::string helpText(int argc, char** argv);
std::string versionText();

// The one message a refused command line gets (standard error), ending in a pointer to
// --help; the exit status is then 2.
std::string usageError(const std::string& problem);

// Where a game's player files go and why, as one line for --help and the About box.
std::string saveFolderLine(const std::string& gameDir, const std::string& saveDirOption);

}  // namespace ml
