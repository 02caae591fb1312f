// The one way errors reach the player. Script-level and data errors go through
// scriptError (the debug dialog); save, load and media errors through systemError
// (a box captioned "System Error"). Nothing is thrown past the reporter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Reporter {
 public:
  virtual ~Reporter() = default;
  // All texts are Shift-JIS bytes.
  virtual void scriptError(std::string_view message, std::string_view detail,
                           std::string_view fileName, int lineNumber,
                           std::string_view lineText) = 0;
  // fileName is shortened to the part after its last backslash.
  virtual void systemError(std::string_view fileName, int number, std::string_view message,
                           std::string_view detail) = 0;
};

// The text of the "System Error" box: "%s (%d)\n%s %s", Shift-JIS.
std::string systemErrorText(std::string_view fileName, int number, std::string_view message,
                            std::string_view detail);

// Line breaks turned into blanks: every report is printed as one line.
std::string oneLine(std::string s);

// One UTF-8 line per report, as the headless runner and the logs print them.
std::string scriptErrorLine(std::string_view message, std::string_view detail,
                            std::string_view fileName, int lineNumber, std::string_view lineText);
std::string systemErrorLine(std::string_view fileName, int number, std::string_view message,
                            std::string_view detail);

// Collects reports in memory (tests) or forwards them; handy as a base for tests.
class RecordingReporter : public Reporter {
 public:
  struct Entry {
    bool script = true;
    std::string message, detail, fileName, lineText;
    int number = 0;  // line number for script errors, site number for system errors
  };
  void scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                   int lineNumber, std::string_view lineText) override;
  void systemError(std::string_view fileName, int number, std::string_view message,
                   std::string_view detail) override;
  std::vector<Entry> entries;
};

}  // namespace ml
