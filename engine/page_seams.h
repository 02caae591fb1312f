// What the page display asks of work built elsewhere: the backlog entry of a page, the
// page's voice, the sounds after a jump, and the debug autosave. Each has a first form
// in page_seams.cpp that does nothing; the backlog, sound and save work move them into
// their own files.
#pragma once

namespace ml {

class Runtime;
class ScriptContext;
struct BacklogEntry;

// Records the page (choiceText null) or a choice in the backlog ring.
void addBacklogEntry(ScriptContext& sc, const char* choiceText);
// Plays the page's voice on the voice channel (or a backlog entry's voice).
void playPageVoice(ScriptContext& sc, bool fromBacklog, const BacklogEntry* entry, bool forced);
// Whether the voice channel is still playing (auto mode waits for it).
bool voiceChannelPlaying(Runtime& rt);
// The end of a jump: the recorded music and looping effect start again.
void restartRecordedSounds(ScriptContext& sc);
// The debug menu's rolling save of the last four pages.
void debugAutoSave(ScriptContext& sc);

}  // namespace ml
