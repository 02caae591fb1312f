// The headless runner: the game without window or sound card, for tests, CI and authors.
#pragma once

#include <string>

namespace ml {

struct GameState;

// --dump-state: the game state as it stands (a loaded game's record after a load),
// byte for byte the save-file layout with its checksum. False with the reason.
bool writeStateDump(const GameState& state, const std::string& path, std::string& error);

// Parses the command line (which contains --headless) and runs the game; returns the
// process exit status.
int runHeadless(int argc, char** argv);

}  // namespace ml
