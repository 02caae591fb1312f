#include "platform/sdl/sdl_reporter.h"

#include <cstdio>

#include "platform/sdl/sdl_platform.h"
#include "platform/text_encoding.h"
#include "platform/ui_model.h"

namespace ml {

void SdlReporter::scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                              int lineNumber, std::string_view lineText) {
  std::fprintf(stderr, "%s\n", scriptErrorLine(message, detail, fileName, lineNumber, lineText).c_str());
  DebugFormData form = scriptErrorForm(message, detail, fileName, lineNumber, lineText);
  platform_.showDebugForm(form);
}

void SdlReporter::systemError(std::string_view fileName, int number, std::string_view message,
                              std::string_view detail) {
  std::fprintf(stderr, "%s\n", systemErrorLine(fileName, number, message, detail).c_str());
  platform_.messageBox(SJ("System Error"), systemErrorText(fileName, number, message, detail), BoxButtons::Ok,
                       BoxIcon::Error, false);
}

}  // namespace ml
