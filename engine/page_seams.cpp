// First forms: nothing is recorded, played or saved yet.
#include "engine/page_seams.h"

namespace ml {

void addBacklogEntry(ScriptContext& sc, const char* choiceText) {}

void playPageVoice(ScriptContext& sc, bool fromBacklog, const BacklogEntry* entry, bool forced) {}

bool voiceChannelPlaying(Runtime& rt) { return false; }

void restartRecordedSounds(ScriptContext& sc) {}

void debugAutoSave(ScriptContext& sc) {}

}  // namespace ml
