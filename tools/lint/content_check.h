// The game-data file checked the way the engine reads it at start-up: every row the
// engine would leave out is a problem at its line.
#pragma once

#include <vector>

#include "tools/lint/script_checker.h"

namespace ml::lint {

class GameData;

// Adds the findings about "scr\gamedata.txt"; a game without one gets a note (the
// demo's built-in content stands in for it).
void checkGameContent(GameData& data, std::vector<Finding>& findings);

}  // namespace ml::lint
