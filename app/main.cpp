// mirelune [--game DIR] [--save-dir DIR] [OpenDebugMode|CloseDebugMode]
// mirelune --headless [--game DIR] [options] [OpenDebugMode]
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/application.h"
#include "app/dialog_host.h"
#include "app/command_line.h"
#include "app/headless_runner.h"
#include "platform/posix/instance_mutex.h"
#include "platform/posix/termination_signals.h"
#include "platform/posix/user_dirs.h"

#ifdef MIRELUNE_WITH_SDL
#include "app/name_dialog.h"
#include "app/option_dialog.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_reporter.h"
#include "platform/text_encoding.h"
#endif

namespace {

#ifdef MIRELUNE_WITH_SDL
int runWindowed(int argc, char** argv) {
  ml::AppOptions options;
  std::string error;
  if (!ml::parseCommandLine(argc, argv, options, error)) {
    std::fputs(ml::usageError(error).c_str(), stderr);
    return 2;
  }
  // A second copy of the same game ends at once and shows nothing; other games may run.
  ml::InstanceMutex mutex;
  if (!mutex.acquire(ml::InstanceMutex::nameForGame("XXX_MUTEX_OBJECT", options.gameDir))) return 1;

  ml::SdlPlatform platform;
  if (!platform.initVideo(error)) {
    std::fprintf(stderr, "mirelune: %s\n", error.c_str());
    return 1;
  }
  platform.setScreenshotId(ml::gameId(options.gameDir));
  ml::SdlReporter reporter(platform);
  ml::DialogHost dialogs(platform);
  dialogs.setDrawnNameDialog(&ml::showNameDialog);
  dialogs.setDrawnOptionDialog(&ml::showOptionDialog);
  dialogs.setDrawnTextWindow(&ml::showTextWindow);
  dialogs.setDrawnFlagDialog(&ml::showFlagDialog);
  dialogs.setDrawnDriveDialog(&ml::showDriveDialog);
  try {
    ml::Application app(platform, reporter, options);
    app.setDialogHost(&dialogs);
    dialogs.setApplication(&app);
    if (!platform.createWindow(error)) {
      std::fprintf(stderr, "mirelune: %s\n", error.c_str());
      platform.messageBox(SJ("ver 2.40"), ml::utf8ToSjis(error), ml::BoxButtons::Ok, ml::BoxIcon::Error, false);
      return 1;
    }
    return app.run();
  } catch (const std::exception& e) {
    // The last resort: what escaped is shown, never swallowed.
    std::fprintf(stderr, "mirelune: %s\n", e.what());
    platform.messageBox("Mirelune", ml::utf8ToSjis(e.what()), ml::BoxButtons::Ok, ml::BoxIcon::Error, false);
    return 1;
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  switch (ml::findInfoRequest(argc, argv)) {
    case ml::InfoRequest::Help: std::fputs(ml::helpText(argc, argv).c_str(), stdout); return 0;
    case ml::InfoRequest::Version: std::fputs(ml::versionText().c_str(), stdout); return 0;
    case ml::InfoRequest::None: break;
  }
  // From here on a logout, Ctrl+C or `timeout` ends the run as a confirmed quit would.
  ml::installTerminationHandlers();
  int status = 0;
  bool headless = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--headless") == 0) headless = true;
  if (headless) {
    status = ml::runHeadless(argc, argv);
  } else {
#ifdef MIRELUNE_WITH_SDL
    status = runWindowed(argc, argv);
#else
    // Faults in the command line are named first, as the windowed program would.
    ml::AppOptions options;
    std::string error;
    if (!ml::parseCommandLine(argc, argv, options, error))
      std::fputs(ml::usageError(error).c_str(), stderr);
    else
      std::fputs("mirelune: built without a window (MIRELUNE_SDL=OFF); use --headless\n", stderr);
    status = 2;
#endif
  }
  // Everything is written and released: the parent learns which signal ended the run.
  std::fflush(nullptr);
  ml::finishTermination();
  return status;
}
