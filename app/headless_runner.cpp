#include "app/headless_runner.h"

#include <cstdio>

namespace ml {

int runHeadless(int argc, char** argv) {
  std::fputs("mirelune: headless runner not built yet\n", stderr);
  return 2;
}

}  // namespace ml
