// The shell's part of a headless run, for the --headless runner: the options that
// belong to the window side (game folder, debug word, --steps, --frames, --input,
// --autoplay, --screenshot, --audio-out), the preparation of the headless platform, and the end of
// the run (screenshot, exit status). The runner keeps its own options (--seed,
// --dump-state, --choose) and calls these around Application::run().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/headless/headless_platform.h"

namespace ml {

struct HeadlessShellOptions {
  AppOptions app;              // --game DIR, the debug word, --steps N (maxSteps);
                               // the run ends when the script runs out
  std::uint64_t frames = 0;    // --frames N: 0 means no limit
  std::string inputFile;       // --input FILE
  bool autoplay = false;       // --autoplay
  std::uint32_t autoplayMs = 100;
  std::string screenshot;      // --screenshot FILE.png
  std::string audioOut;        // --audio-out FILE.wav
};

// Takes the options above out of argv (argv[0] and "--headless" are skipped); every
// other argument is handed back in `rest`, in order, for the runner. False with a
// message for a missing or malformed value.
bool parseHeadlessShellOptions(int argc, char** argv, HeadlessShellOptions& options,
                               std::vector<std::string>& rest, std::string& error);

// Loads the input script and sets the frame limit and autoplay. False with a message
// (for example a malformed input script, naming its line).
bool prepareHeadlessPlatform(HeadlessPlatform& platform, const HeadlessShellOptions& options,
                             std::string& error);

// After Application::run(): writes the screenshot when asked and answers the exit
// status: 0 for a run that ended normally (story end, confirmed quit, frame or step
// limit), 1 after a fatal start-up or a refused desktop, when the read marks or the
// settings could not be written (reported as a SystemError line during the run), or
// when the screenshot could not be written (a message then goes to standard error).
int finishHeadlessRun(HeadlessPlatform& platform, const Application& app,
                      const HeadlessShellOptions& options);

}  // namespace ml
