// The end of a page: the page display (read mark, text colour, voice, backlog, the
// text revealed at the player's speed) and the page wait (click, Ctrl, skip, auto).
#pragma once

#include <cstdint>
#include <string>

namespace ml {

class Runtime;
class ScriptContext;

// False when a menu asked to leave the running scene; true otherwise (also when the
// program is closing or returning to the title: the caller's loop sees that itself).
bool showPage(ScriptContext& sc, bool skippable);
bool waitPage(ScriptContext& sc, bool skippable);

// The text colour of the page now shown, marking it read: white, or grey for a page
// read before. An unread page ends auto, skip and the jump to the next choice as the
// settings ask.
std::uint32_t readPageColour(ScriptContext& sc);

// The debug read-rate line ("既読率 %d/%d") in the status slot, placed by
// Display/TimeTop.
void updateReadRateLine(Runtime& rt);

}  // namespace ml
