#include "app/headless_shell.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace ml {

namespace {

bool toCount(const char* text, std::uint64_t& value) {
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && ptr == end && ptr != text;
}

}  // namespace

bool parseHeadlessShellOptions(int argc, char** argv, HeadlessShellOptions& options,
                               std::vector<std::string>& rest, std::string& error) {
  bool firstWordSeen = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        error = a + " needs " + what;
        return nullptr;
      }
      return argv[++i];
    };
    if (a == "--headless") continue;
    if (a == "--game") {
      const char* v = value("a folder");
      if (v == nullptr) return false;
      options.app.gameDir = v;
    } else if (a == "--save-dir") {
      const char* v = value("a folder");
      if (v == nullptr) return false;
      options.app.saveDir = v;
    } else if (a == "--steps" || a == "--frames") {
      const char* v = value("a number");
      if (v == nullptr) return false;
      std::uint64_t n = 0;
      if (!toCount(v, n)) {
        error = a + " needs a number, not '" + v + "'";
        return false;
      }
      (a == "--steps" ? options.app.maxSteps : options.frames) = n;
    } else if (a == "--input") {
      const char* v = value("a file");
      if (v == nullptr) return false;
      options.inputFile = v;
    } else if (a == "--screenshot") {
      const char* v = value("a file name");
      if (v == nullptr) return false;
      options.screenshot = v;
    } else if (a == "--audio-out") {
      const char* v = value("a file name");
      if (v == nullptr) return false;
      options.audioOut = v;
    } else if (a == "--autoplay") {
      options.autoplay = true;
    } else if (a.rfind("--", 0) == 0) {
      rest.push_back(a);
    } else if (!firstWordSeen) {
      firstWordSeen = true;
      if (!applyDebugWord(a, options.app)) rest.push_back(a);
    } else {
      rest.push_back(a);
    }
  }
  options.app.headless = true;
  options.app.endAtScriptEnd = true;
  return true;
}

bool prepareHeadlessPlatform(HeadlessPlatform& platform, const HeadlessShellOptions& options,
                             std::string& error) {
  if (!options.inputFile.empty()) {
    InputScript script;
    if (!script.load(options.inputFile, error)) return false;
    platform.setInputScript(std::move(script));
  }
  platform.setFrameLimit(options.frames);
  platform.recordAudio(!options.audioOut.empty());
  platform.setAutoplay(options.autoplay, options.autoplayMs);
  return true;
}

int finishHeadlessRun(HeadlessPlatform& platform, const Application& app,
                      const HeadlessShellOptions& options) {
  int status = 0;
  if (app.end() == RunEnd::FatalStartUp || app.end() == RunEnd::DesktopRefused) status = 1;
  // The read marks or the settings could not be written (reported during the run).
  if (app.fileFailures() > 0) status = 1;
  std::string error;
  if (!options.screenshot.empty() && !platform.writeScreenshot(options.screenshot, &error)) {
    std::fprintf(stderr, "mirelune: cannot write the screenshot: %s\n", error.c_str());
    status = 1;
  }
  if (!options.audioOut.empty() && !platform.writeAudio(options.audioOut)) {
    std::fprintf(stderr, "mirelune: cannot write the sound output %s\n", options.audioOut.c_str());
    status = 1;
  }
  return status;
}

}  // namespace ml
