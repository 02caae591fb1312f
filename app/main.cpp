// mirelune [--game DIR] [OpenDebugMode|CloseDebugMode]
// mirelune --headless [--game DIR] [options] [OpenDebugMode]
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/application.h"
#include "app/dialog_host.h"
#include "app/headless_runner.h"
#include "platform/posix/instance_mutex.h"

#ifdef MIRELUNE_WITH_SDL
#include "app/name_dialog.h"
#include "app/option_dialog.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_reporter.h"
#include "platform/text_encoding.h"
#endif

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) return ml::runHeadless(argc, argv);
  }
#ifdef MIRELUNE_WITH_SDL
  ml::AppOptions options;
  std::string error;
  if (!ml::parseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "mirelune: %s\nusage: mirelune [--game DIR] [OpenDebugMode|CloseDebugMode]\n",
                 error.c_str());
    return 2;
  }
  // A second copy of the same game ends at once and shows nothing.
  ml::InstanceMutex mutex;
  if (!mutex.acquire(ml::InstanceMutex::nameForGame("XXX_MUTEX_OBJECT", options.gameDir))) return 1;

  ml::SdlPlatform platform;
  if (!platform.initVideo(error)) {
    std::fprintf(stderr, "mirelune: %s\n", error.c_str());
    return 1;
  }
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
#else
  std::fputs("mirelune: built without a window (MIRELUNE_SDL=OFF); use --headless\n", stderr);
  return 2;
#endif
}
