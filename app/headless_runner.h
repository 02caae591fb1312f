// The headless runner: the game without window or sound card, for tests, CI and authors.
#pragma once

namespace ml {

// Parses the command line (which contains --headless) and runs the game; returns the
// process exit status.
int runHeadless(int argc, char** argv);

}  // namespace ml
