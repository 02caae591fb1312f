#include "scene/game_saves.h"

#include <array>
#include <cstring>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/save_file.h"
#include "engine/script_context.h"
#include "media/gfx/layer_slots.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "engine/guide_voices.h"
#include "scene/message_window.h"
#include "scene/picture_layers.h"

namespace ml {
namespace {

constexpr std::string_view kSource = "SCRIPT";
constexpr int kSystemFlagsMergedLast = 2001;  // a load ORs F1024..F2001
constexpr int kStoredFlagsMergedLast = 2022;  // the system save ORs F1024..F2022
constexpr int kAutoSaveCommentBytes = 39;
constexpr int kQuickSavePolls = 10;
constexpr int kQuickSavePollMs = 100;
constexpr int kRecallFirstSlot = 190;
constexpr int kScreenLastSlot = 249;

void clearSlots(Runtime& rt, int first, int last) {
  for (int s = first; s <= last; ++s) rt.scene.layers.clear(s);
}

// The system flags F1024..F2047 of a record.
using SystemFlags = std::array<std::uint8_t, GameState::kFlagCount - GameState::kSystemFlagFirst>;
SystemFlags systemFlags(const GameState& s) {
  SystemFlags out;
  std::memcpy(out.data(), &s.flags[GameState::kSystemFlagFirst], out.size());
  return out;
}
std::uint8_t keptFlag(const SystemFlags& kept, int f) {
  return kept[std::size_t(f - GameState::kSystemFlagFirst)];
}

}  // namespace

// --- files ---------------------------------------------------------------------------

GameSaves::ReadResult GameSaves::readSave(int slot, GameState& out) {
  const std::string name = saveFileName(slot);
  FileHandle file;
  if (name.empty() || !rt_.media.saveFolder.open(name, file)) return ReadResult::Missing;
  // Only a file of exactly one record is read at all.
  if (file.size() != static_cast<std::int64_t>(sizeof(GameState))) return ReadResult::Damaged;
  if (file.readAt(0, out.bytes(), sizeof(GameState)) != sizeof(GameState)) return ReadResult::Damaged;
  switch (checkSaveRecord(out)) {
    case SaveImageCheck::Ok: return ReadResult::Ok;
    case SaveImageCheck::OldVersion: return ReadResult::OldVersion;
    case SaveImageCheck::Damaged: break;
  }
  return ReadResult::Damaged;
}

bool GameSaves::writeRecord(const std::string& name, const GameState& record, std::string& error) {
  const std::string host = rt_.media.saveFolder.resolveForWriting(name, &error);
  if (host.empty()) return false;
  return writeWholeFile(host, record.bytes(), sizeof(GameState), &error);
}

// --- saving --------------------------------------------------------------------------

bool GameSaves::saveGame(int slot) {
  GameState& state = rt_.story.state;
  state.checksum = state.computeChecksum();
  const std::string name = saveFileName(slot);
  std::string error = name;
  // The old file stays whole when the new one cannot be written.
  if (name.empty() || !writeRecord(name, state, error)) {
    rt_.reporter.systemError(kSource, 6744, SJ("セーブできませんでした"), utf8ToSjis(error));
    return false;
  }
  return true;
}

void GameSaves::saveLastChoice(ScriptContext&) { saveGame(kLastChoiceSlot); }

void GameSaves::debugAutoSave(ScriptContext& sc) {
  // A recollection's page belongs to no saved game.
  if (!sc.mainGame) return;
  GameState& state = rt_.story.state;
  std::string comment = sc.speakerName.value_or(std::string());
  if (sc.messageText) comment.append(sc.messageText.get(), sc.messageLength());
  const std::string_view cut = sjis::cutAtBoundary(comment, kAutoSaveCommentBytes);
  std::memset(state.comment, 0, sizeof state.comment);
  std::memcpy(state.comment, cut.data(), cut.size());
  saveGame(kAutoSaveFirstSlot + autoSaveNext_);
  autoSaveNext_ = (autoSaveNext_ + 1) % kAutoSaveSlots;
}

// --- the system save -------------------------------------------------------------------

void GameSaves::updateSystemSave() {
  const std::string name = saveFileName(kSystemSaveSlot);
  auto buffer = std::make_unique<GameState>();
  buffer->resetToInitial();
  bool damaged = false;
  FileHandle file;
  if (rt_.media.saveFolder.open(name, file)) {
    damaged = file.size() != static_cast<std::int64_t>(sizeof(GameState)) ||
              file.readAt(0, buffer->bytes(), sizeof(GameState)) != sizeof(GameState) ||
              buffer->computeChecksum() != buffer->checksum;
    if (damaged) {
      rt_.reporter.systemError(kSource, 8193, SJ("セーブデータが壊れています"), name);
      // What it held is given up; the initial record keeps later saves loadable.
      buffer->resetToInitial();
    }
  }
  file.close();
  const SystemFlags stored = systemFlags(*buffer);
  buffer->copyFrom(rt_.story.state);
  for (int f = GameState::kSystemFlagFirst; f < GameState::kFlagCount; ++f) {
    const std::uint8_t old = keptFlag(stored, f);
    buffer->flags[f] = f <= kStoredFlagsMergedLast ? std::uint8_t(buffer->flags[f] | old) : old;
  }
  buffer->checksum = buffer->computeChecksum();

  std::string error;
  if (damaged) {
    // The damaged bytes are kept beside it, so that unlocked flags can still be
    // recovered by hand; what cannot be kept is not overwritten.
    std::string kept;
    if (!keepAside(rt_.media.saveFolder.resolve(name), &kept, &error)) {
      rt_.reporter.systemError(kSource, 6744, SJ("セーブできませんでした"), utf8ToSjis(error));
      return;
    }
  }
  if (!writeRecord(name, *buffer, error))
    rt_.reporter.systemError(kSource, 6744, SJ("セーブできませんでした"), utf8ToSjis(error));
}

void GameSaves::readSystemSave() {
  GameState& state = rt_.story.state;
  const SystemFlags kept = systemFlags(state);
  const std::string name = saveFileName(kSystemSaveSlot);
  FileHandle file;
  if (!rt_.media.saveFolder.open(name, file)) return;
  auto buffer = std::make_unique<GameState>();
  std::memset(buffer.get(), 0, sizeof(GameState));
  const bool intact = file.size() == static_cast<std::int64_t>(sizeof(GameState)) &&
                      file.readAt(0, buffer->bytes(), sizeof(GameState)) == sizeof(GameState) &&
                      buffer->computeChecksum() == buffer->checksum;
  if (intact) {
    repairSystemRecord(*buffer);
  } else {
    rt_.reporter.systemError(kSource, 116, SJ("セーブデータが壊れています"), name);
    buffer->resetToInitial();
  }
  state.copyFrom(*buffer);
  std::memcpy(&state.flags[GameState::kEngineFlagFirst],
              &kept[std::size_t(GameState::kEngineFlagFirst - GameState::kSystemFlagFirst)],
              GameState::kFlagCount - GameState::kEngineFlagFirst);
}

// --- loading ---------------------------------------------------------------------------

bool GameSaves::loadGame(ScriptContext& sc, int slot, bool withRecall) {
  const std::string name = saveFileName(slot);
  auto buffer = std::make_unique<GameState>();
  buffer->resetToInitial();
  switch (readSave(slot, *buffer)) {
    case ReadResult::Ok: break;
    case ReadResult::Missing:
      rt_.reporter.systemError(kSource, 6784, SJ("セーブデータがありません"), name);
      return false;
    case ReadResult::Damaged:
      rt_.reporter.systemError(kSource, 6798, SJ("セーブデータが壊れています"), "");
      return false;
    case ReadResult::OldVersion:
      rt_.reporter.systemError(kSource, 6803, SJ("セーブデータのバージョンが違います"), "");
      return false;
  }
  // A save of a script this game does not have would leave nothing to run.
  const std::string path = "scr\\" + std::string(buffer->scriptName) + ".scr";
  if (!sc.fileExists(path, false)) return false;

  GameState& state = rt_.story.state;
  auto previous = std::make_unique<GameState>();
  previous->copyFrom(state);
  const std::string previousPath = sc.scriptPath;
  const std::int32_t previousPos = sc.pos;
  const SystemFlags kept = systemFlags(state);
  state.copyFrom(*buffer);
  if (!sc.load(path, state, true)) {
    // Unreadable after all (reported): the game goes on where it was.
    state.copyFrom(*previous);
    if (sc.load(previousPath, state, true)) sc.setPosition(previousPos);
    return false;
  }
  clearSlots(rt_, kChoiceFirstSlot, kScreenLastSlot);
  // Resume at the voice line of the page that was showing (the start without one).
  sc.setPosition(rt_.media.readStatus.positionOf(sc.scriptPath, state.voiceIndex));

  reloadMessageWindow(sc);
  if (rt_.media.settings.save.recall && withRecall) {
    rt_.shell->refreshSaveMenus(false);
    rt_.story.switches.saveScreenOpen = false;
    rt_.story.switches.saveScreenCloseRequested = false;
    clearSlots(rt_, kRecallFirstSlot, kScreenLastSlot);
    clearSlots(rt_, kButtonSlotBase + kButtonLog, kButtonSlotBase + kButtonNextChoice);
    rt_.screens().playRecollection(sc, "recall", 0);
    // The replay ends by clearing the game's slots, the message window among them.
    reloadMessageWindow(sc);
  }
  rt_.shell->refreshSaveMenus(true);

  for (int k = 0; k < kSceneSlotCount; ++k)
    if (recordedName(state, k).empty()) rt_.scene.layers.clear(layerFromSceneSlot(k));
  rebuildSceneFromState(sc);
  rt_.scenePort().composeScene();

  // System flags set since the program started survive loading an older save; the
  // engine settings are the loaded game's.
  for (int f = GameState::kSystemFlagFirst; f <= kSystemFlagsMergedLast; ++f)
    state.flags[f] |= keptFlag(kept, f);

  rt_.sound().restartRecordedSounds(sc);
  return true;
}

// --- the player's quick requests -------------------------------------------------------

int GameSaves::quickSave(ScriptContext& sc) {
  if (sc.state->readTrackingOff() != 0) return 0;
  if (saveGame(kQuickSaveSlot)) {
    playGuideVoice(sc, kGuideQuickSave);
    const std::string text = SJ("［クイックセーブしました］");
    const int length = static_cast<int>(text.size());
    ensureMessageFonts(rt_, *sc.state);
    Sprite& line = rt_.scene.layers[kStatusLineSlot];
    line.setText(text, rt_.scene.messageFonts.normal, kWhiteText, 24, length + 1, 1, false);
    line.setPosition(800 - 24 * (length / 2), 3);
    present(sc);
    for (int i = 0; i < kQuickSavePolls; ++i) {
      if (!poll(sc)) break;
      rt_.platform.sleep(kQuickSavePollMs);
    }
    // The notice goes once its second is over.
    line.release();
    present(sc);
  }
  rt_.shell->refreshSaveMenus(true);
  return 0;
}

int GameSaves::quickLoad(ScriptContext& sc) {
  if (sc.state->readTrackingOff() != 0) return 0;
  if (!loadGame(sc, kQuickSaveSlot, true)) return 0;
  playGuideVoice(sc, kGuideQuickLoad);
  rt_.shell->refreshSaveMenus(false);
  return 1;
}

int GameSaves::returnToLastChoice(ScriptContext& sc) {
  rt_.scene.layers[kModeIndicatorSlot].loadPicture("cg\\_Return.bmp", rt_.platform.ticks());
  present(sc);
  if (!loadGame(sc, kLastChoiceSlot, false)) {
    rt_.scene.layers.clear(kModeIndicatorSlot);
    return 0;
  }
  rt_.shell->refreshSaveMenus(false);
  return 1;
}

}  // namespace ml
