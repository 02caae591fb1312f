// The windowed program's reporter: a script error opens the current-line dialog with
// the error in its memo, a system error the "System Error" box; both also leave one
// UTF-8 line on standard error, as the headless runner prints them.
#pragma once

#include "platform/reporter.h"

namespace ml {

class SdlPlatform;

class SdlReporter : public Reporter {
 public:
  explicit SdlReporter(SdlPlatform& platform) : platform_(platform) {}
  void scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                   int lineNumber, std::string_view lineText) override;
  void systemError(std::string_view fileName, int number, std::string_view message,
                   std::string_view detail) override;

 private:
  SdlPlatform& platform_;
};

}  // namespace ml
