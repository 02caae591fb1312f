// Reads one script word by word with the engine's own readers, the way the interpreter
// would step through it, but takes every branch: each command's arguments are read and
// checked (names of pictures, sounds, scripts and labels, numbers, keywords), condition
// blocks are checked for balance, and each page of text is laid out as the message
// window would lay it out.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "tools/lint/game_data.h"

namespace ml::lint {

// Texts are Shift-JIS, as the engine's own messages.
struct Finding {
  std::string script;  // "scr\open.scr"
  int line = 0;        // 0: about the whole file
  std::string message;
  std::string detail;
  bool note = false;   // told, not counted as a problem
  bool warning = false;  // likely not what the author meant, though the engine runs it
};

// What one script leaves for the next one it changes to: the message window as
// defined so far, the text size, the line-breaking sets (kept in the runtime's text
// rules) and the page-end mode.
struct PageSetup {
  bool windowDefined = false;
  int columns = 20;
  int rows = 4;
  int glyphSize = 24;
  bool autoReturnOff = false;
  bool choiceWindowDefined = false;  // a window_sel has named the choice bar picture
  bool readTrackingOff = false;      // set_read_mode with a nonzero value
  int plateColumns = 0;              // the name plate (window 2); 0 while none is defined
  int plateRows = 0;
};

class ScriptChecker {
 public:
  ScriptChecker(GameData& data, std::vector<Finding>& findings);

  // First pass over every script: fills the runtime's define tables, as running the
  // scripts would, so that defined names resolve wherever they are used.
  void collectDefinitions(const ScriptFile& file);

  // Checks one script; appends the scripts it changes to (names as written).
  void check(std::string_view name, const ScriptFile& file, PageSetup& page,
             std::vector<std::string>& changesTo);

  // Command words met in the checked scripts.
  const std::set<std::string>& usedCommands() const { return used_; }

 private:
  struct Walk;
  void report(int line, std::string_view message, std::string_view detail, bool note = false,
              bool warning = false);
  void drainEngineReports(int lineOverride = -1);
  bool install(const ScriptFile& file);

  GameData& data_;
  std::vector<Finding>& findings_;
  std::string path_;  // "scr\name.scr" of the script being checked
  std::set<std::tuple<std::string, int, std::string, std::string>> seen_;
  std::set<std::string> impliedChecked_;
  std::set<std::string> misnamedPictures_;
  std::set<std::string> used_;
  bool collecting_ = false;
  friend struct Walk;
};

}  // namespace ml::lint
