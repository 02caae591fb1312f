#include "scene/backlog.h"

#include <algorithm>
#include <cstring>

#include "engine/game_state.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr int kRing = GameState::kBacklogEntries;
constexpr std::size_t kVariableBytes = 25;

// Fills a fixed field with text cut on a character boundary, always leaving room for
// the terminator: a long page never runs into the next field or entry.
template <std::size_t N>
void storeField(char (&field)[N], std::string_view text) {
  const std::string_view cut = sjis::cutAtBoundary(text, N - 1);
  std::memset(field, 0, N);
  if (!cut.empty()) std::memcpy(field, cut.data(), cut.size());
}

template <std::size_t N>
std::string_view stateField(const char (&field)[N]) {
  return entryField(field);
}

// The speaker as the backlog shows it: a name that is exactly one placeholder becomes
// the player's name; anything else stays as written.
std::string backlogSpeaker(const ScriptContext& sc, const TextRules& names) {
  if (!sc.speakerName) return {};
  const std::string& name = *sc.speakerName;
  if (name == SJ("●名●")) return std::string(names.givenName());
  if (name == SJ("▲氏▲")) return std::string(names.familyName());
  return name;
}

}  // namespace

BacklogEntry& backlogEntry(GameState& state, int n) {
  const int index = ((state.backlogWriteIndex - n) % kRing + kRing) % kRing;
  return state.backlog[index];
}

std::string replaceNamePlaceholders(std::string_view text, const TextRules& names) {
  const std::string given = SJ("●名●");
  const std::string family = SJ("▲氏▲");
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view rest = text.substr(i);
    if (rest.substr(0, given.size()) == given) {
      out += names.givenName();
      i += given.size();
    } else if (rest.substr(0, family.size()) == family) {
      out += names.familyName();
      i += family.size();
    } else {
      const std::size_t n = sjis::charLength(text, i);
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

bool isChoiceLine(const BacklogEntry& e) {
  const std::string prefix = SJ("選択肢【");
  return entryField(e.text).substr(0, prefix.size()) == prefix;
}

void dropNewestEntries(GameState& state, int n) {
  state.validateBacklogRing();
  n = std::clamp(n, 0, state.backlogCount);
  state.backlogWrapped = 0;
  state.backlogWriteIndex = ((state.backlogWriteIndex - n) % kRing + kRing) % kRing;
  state.backlogCount -= n;
}

void GameBacklog::addEntry(ScriptContext& sc, const char* choiceText) {
  GameState& state = *sc.state;
  state.validateBacklogRing();
  const bool choice = choiceText != nullptr && choiceText[0] != 0;

  // The same voiced page shown again (after a load, say) is kept once.
  if (state.backlogCount > 0 && state.readTrackingOff() == 0 && !choice) {
    const BacklogEntry& newest = backlogEntry(state, 1);
    const std::string_view script = sjis::cutAtBoundary(stateField(state.scriptName), sizeof newest.scriptName - 1);
    if (newest.voiceNumber == state.voiceIndex && entryField(newest.scriptName) == script) {
      lastPageAdded_ = false;
      return;
    }
  }
  // The answer takes the place of the choice's prompt. A prompt kept out as the same
  // page again has no entry to give up: the page before it stays.
  if (choice && state.backlogCount > 0 && lastPageAdded_) dropNewestEntries(state, 1);
  lastPageAdded_ = !choice;

  BacklogEntry& e = state.backlog[state.backlogWriteIndex];
  const TextRules& names = rt_.media.textRules;
  storeField(e.scriptName, stateField(state.scriptName));
  storeField(e.bgmName, stateField(state.bgmName));
  storeField(e.seName, stateField(state.seLoopName));
  storeField(e.voiceName, stateField(state.voiceName));
  if (choice) {
    storeField(e.speakerName, "");
    storeField(e.text, choiceText);
  } else {
    storeField(e.speakerName, backlogSpeaker(sc, names));
    const std::string_view page(sc.messageText ? sc.messageText.get() : "", sc.messageLength());
    storeField(e.text, replaceNamePlaceholders(page, names));
  }
  e.voiceNumber = state.voiceIndex;
  std::memcpy(e.varSnapshot, state.vars, kVariableBytes);
  static_assert(sizeof e.flagSnapshot == sizeof state.flags);
  std::memcpy(e.flagSnapshot, state.flags, sizeof e.flagSnapshot);
  for (int k = 0; k < 5; ++k) {
    storeField(e.pictureNames[k], stateField(state.pictureNames[k]));
    e.layerX[k] = state.layerX[k];
    e.layerY[k] = state.layerY[k];
    e.layerFade[k] = state.layerFade[k];
    e.layerAlpha[k] = state.layerAlpha[k];
  }

  state.backlogWriteIndex = (state.backlogWriteIndex + 1) % kRing;
  if (state.backlogCount >= kRing) state.backlogWrapped = 1;
  state.backlogCount = std::min(state.backlogCount + 1, kRing);
}

}  // namespace ml
