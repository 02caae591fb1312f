#include "platform/reporter.h"

#include "platform/text_encoding.h"

namespace ml {
namespace {

std::string_view afterLastBackslash(std::string_view s) {
  size_t p = s.rfind('\\');
  return p == std::string_view::npos ? s : s.substr(p + 1);
}

}  // namespace

std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

std::string systemErrorText(std::string_view fileName, int number, std::string_view message,
                            std::string_view detail) {
  std::string text(afterLastBackslash(fileName));
  text += " (" + std::to_string(number) + ")\n";
  text += message;
  text += ' ';
  text += detail;
  return text;
}

std::string scriptErrorLine(std::string_view message, std::string_view detail,
                            std::string_view fileName, int lineNumber, std::string_view lineText) {
  std::string line = "ScriptError: " + sjisToUtf8(message);
  line += " | detail: " + sjisToUtf8(detail);
  line += " | at: " + sjisToUtf8(fileName) + " (" + std::to_string(lineNumber) + ")";
  line += " | line: " + sjisToUtf8(lineText);
  return oneLine(std::move(line));
}

std::string systemErrorLine(std::string_view fileName, int number, std::string_view message,
                            std::string_view detail) {
  std::string line = "SystemError: " + sjisToUtf8(systemErrorText(fileName, number, message, detail));
  return oneLine(std::move(line));
}

void RecordingReporter::scriptError(std::string_view message, std::string_view detail,
                                    std::string_view fileName, int lineNumber,
                                    std::string_view lineText) {
  entries.push_back({true, std::string(message), std::string(detail), std::string(fileName),
                     std::string(lineText), lineNumber});
}

void RecordingReporter::systemError(std::string_view fileName, int number,
                                    std::string_view message, std::string_view detail) {
  entries.push_back({false, std::string(message), std::string(detail),
                     std::string(afterLastBackslash(fileName)), std::string(), number});
}

}  // namespace ml
