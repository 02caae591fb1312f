// mirelune [--game DIR] [OpenDebugMode|CloseDebugMode]
// mirelune --headless [--game DIR] [options] [OpenDebugMode]
#include <cstdio>
#include <cstring>
#include <string>

#include "app/headless_runner.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--headless") == 0) return ml::runHeadless(argc, argv);
  }
  std::fputs("mirelune: the windowed program is not built yet; use --headless\n", stderr);
  return 2;
}
