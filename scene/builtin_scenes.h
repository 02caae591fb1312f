// The scenes built into the program rather than written as script: the ending with
// its credits roll, the date display and the sky animation.
#pragma once

#include <string>
#include <string_view>

namespace ml {

class ScriptContext;

// A local date and time as the date display shows it.
struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

// The date display's text: "%y", "%m", "%d" insert the year, month and day as plain
// numbers, "%h", "%n", "%s" the hour, minute and second as two digits (the letter in
// either case); another letter after "%" inserts nothing. Inserted digits are wide
// digits; everything else is copied (double-byte characters whole).
std::string formatDateText(std::string_view format, const LocalDateTime& t);

// The ending: the credits over the game's pictures and its ending music, then an empty
// scene. False only when the program is closing.
bool runEnding(ScriptContext& sc);

// The three strips of the sky animation, each started as the one above nears its end.
bool runBlueSky(ScriptContext& sc);

// One frame of a built-in scene: poll, present, and hold the frame to its length. True
// when a quit or title request ends the scene.
bool builtinSceneFrame(ScriptContext& sc);

}  // namespace ml
