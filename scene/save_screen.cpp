// The save/load screen: the page of ten entries with their dates and thumbnails, the
// page, thumbnail-size and erase buttons, the comment line of the hovered entry, and
// saving, loading and deleting from it.
#include "scene/save_screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/save_file.h"
#include "engine/script_context.h"
#include "media/formats/bmp.h"
#include "media/gfx/layer_slots.h"
#include "media/sound/sound_channel.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "scene/message_window.h"
#include "scene/scene_commands.h"
#include "scene/window_buttons.h"

namespace ml {
namespace {

constexpr int kEntryWidth = 221;
constexpr int kEntryHeight = 46;
constexpr int kThumbnailWidth = 120;
constexpr int kThumbnailHeight = 90;
constexpr std::size_t kEntryCommentMax = 144;
constexpr std::size_t kProposedCommentMax = 56;
constexpr std::uint32_t kIdleMs = 17;
constexpr int kScreenGlyph = 24;
constexpr int kVoiceFadeStep = -20;
constexpr int kMosaicBlock = 16;
constexpr int kSmallThumbnailType = 5;
constexpr int kCommentX = 75;
constexpr int kCommentY = 558;
// Our own report site for a thumbnail that could not be written.
constexpr int kThumbnailWriteSite = 6750;


Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[index]; }

std::string numbered(const char* pattern, int slot) {
  char name[32];
  std::snprintf(name, sizeof name, pattern, slot);
  return name;
}

int& saveButtonState(SaveScreenPage& page, int layerSlot) {
  return page.buttonState[static_cast<std::size_t>(layerSlot - kSaveButtonFirstSlot)];
}

// A button's frame shows its state.
void setButton(Runtime& rt, SaveScreenPage& page, int layerSlot, int state) {
  saveButtonState(page, layerSlot) = state;
  Sprite& s = slot(rt, layerSlot);
  if (!s.empty()) s.setFrame(state);
}

// Every button normal but the selected thumbnail size and erase mode.
void resetSaveButtons(Runtime& rt, SaveScreenPage& page) {
  const bool big = rt.media.settings.save.samSaveBig;
  for (int s = kSaveButtonFirstSlot; s <= kSaveButtonLastSlot; ++s) setButton(rt, page, s, 0);
  setButton(rt, page, big ? kSaveBigOnSlot : kSaveBigOffSlot, 2);
  setButton(rt, page, page.eraseMode ? kSaveEraseOnSlot : kSaveEraseOffSlot, 2);
}

// A picture of the screen; a game without it shows the screen without that part (the
// script checker names the screen's pictures a game needs).
bool loadAt(Runtime& rt, int layerSlot, const char* path, int x, int y) {
  Sprite& s = slot(rt, layerSlot);
  s.release();
  if (rt.story.script != nullptr && !rt.story.script->fileExists(path, true)) return false;
  if (!s.loadPicture(path, rt.platform.ticks())) return false;
  s.setAnimating(false);
  s.setPosition(x, y);
  return true;
}

// The saved game's comment, or false when the file cannot be read as a save.
bool readSaveComment(Runtime& rt, int slotNumber, std::string& comment) {
  FileHandle f;
  if (!rt.media.saveFolder.open(saveFileName(slotNumber), f)) return false;
  if (f.size() != static_cast<std::int64_t>(sizeof(GameState))) return false;
  char buffer[sizeof GameState::comment];
  if (f.readAt(offsetof(GameState, comment), buffer, sizeof buffer) != sizeof buffer) return false;
  comment.assign(sjis::cutAtBoundary(std::string_view(buffer, strnlen(buffer, sizeof buffer)), kEntryCommentMax));
  return true;
}

// " %4d/%02d/%02d %02d:%02d" of the file's last write, local time; empty when unknown.
std::string saveDateText(Runtime& rt, int slotNumber) {
  FileHandle f;
  int date = 0, time = 0;
  if (!rt.media.saveFolder.open(saveFileName(slotNumber), f) || !f.modifiedStamp(date, time)) return {};
  char text[48];
  std::snprintf(text, sizeof text, " %4d/%02d/%02d %02d:%02d", date / 10000, date / 100 % 100, date % 100,
                time / 10000, time / 100 % 100);
  return text;
}

// The small thumbnail read from the player's folder (not the game data) into a slot.
bool showThumbnail(Runtime& rt, int layerSlot, int slotNumber, int x, int y) {
  Sprite& s = slot(rt, layerSlot);
  s.release();
  FileHandle f;
  std::vector<std::uint8_t> bytes;
  const std::string name = smallThumbnailName(slotNumber);
  if (!rt.media.saveFolder.open(name, f) || !f.readAll(bytes)) return false;
  Surface picture(rt.media.context);
  if (!picture.loadBmpBytes(bytes, name)) return false;
  if (!s.makeBox(picture.width(), picture.height(), 1)) return false;
  s.copyFrom(picture, 0, 0, 0, 0, -1, -1);
  s.surface()->pixelsChanged(0);
  s.setPosition(x, y);
  return true;
}

void setTextSlot(Runtime& rt, int layerSlot, std::string_view text, int x, int y) {
  Sprite& s = slot(rt, layerSlot);
  ensureMessageFonts(rt, rt.story.state);
  const int columns = static_cast<int>(text.size()) / 2 + 2;
  s.setText(text, rt.scene.messageFonts.normal, kWhiteText, kScreenGlyph, columns, 1, false);
  s.setPosition(x, y);
}

// Event pictures that would give the story away in a save list: their thumbnails are
// shown as a mosaic.
bool isMosaicEventPicture(const GameContent& content, std::string_view name) {
  if (name.empty() || (name[0] != 'E' && name[0] != 'e')) return false;
  for (const std::string& listed : content.mosaicPictures)
    if (sjis::equalsFolded(name, listed)) return true;
  return false;
}

bool writeThumbnail(Runtime& rt, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::string error;
  const std::string path = rt.media.saveFolder.resolveForWriting(name, &error);
  if (!path.empty() && writeFileSafely(path, bytes.data(), bytes.size(), &error)) return true;
  rt.reporter.systemError("SCRIPT", kThumbnailWriteSite, SJ("サムネイルを保存できませんでした"), utf8ToSjis(error));
  return false;
}

void deleteSaveFiles(Runtime& rt, int slotNumber) {
  for (const std::string& name :
       {saveFileName(slotNumber), smallThumbnailName(slotNumber), largeThumbnailName(slotNumber)}) {
    const std::string path = rt.media.saveFolder.resolveForWriting(name);
    if (!path.empty()) FileHandle::deleteFile(path);
  }
}

class SaveScreen {
 public:
  SaveScreen(Runtime& rt, ScriptContext& sc, bool loadMode) : rt_(rt), sc_(sc) {
    page_.loadMode = loadMode;
    page_.page = std::clamp(rt.scene.saveListPage, 0, kSavePages - 1);
  }

  bool run();

 private:
  void draw();
  void resetButtons();
  void showHover(int item);
  void turnPage(int delta);
  void setThumbnailSize(bool big);
  void setEraseMode(bool on);
  void eraseEntry(int entry);
  void saveEntry(int entry);
  // True when the game was loaded.
  bool loadEntry(int entry);

  Runtime& rt_;
  ScriptContext& sc_;
  SaveScreenPage page_;
  SceneVisibility hidden_{};
  int hovered_ = kItemNone;
};

void SaveScreen::draw() {
  drawSaveLoadPage(rt_, page_);
  rt_.scene.saveListPage = page_.page;
  resetButtons();
  hovered_ = kItemNone;
}

void SaveScreen::resetButtons() { resetSaveButtons(rt_, page_); }

void SaveScreen::showHover(int item) {
  Sprite& highlight = slot(rt_, kSaveHighlightSlot);
  Sprite& comment = slot(rt_, kSaveCommentSlot);
  for (int s = kSaveButtonFirstSlot; s <= kSaveButtonLastSlot; ++s)
    if (saveButtonState(page_, s) == 1) setButton(rt_, page_, s, 0);
  comment.release();
  highlight.setVisible(false);
  if (item >= 0 && item < kItemButtonFirst) {
    const int entry = item % kSaveEntriesPerPage;
    const Rect r = saveEntryRect(entry);
    highlight.setPosition(r.x - 1, r.y - 8);
    highlight.setVisible(true);
    const SaveEntry& e = page_.entries[std::size_t(entry)];
    if (!e.empty && !e.comment.empty()) setTextSlot(rt_, kSaveCommentSlot, e.comment, kCommentX, kCommentY);
  } else if (item >= kItemButtonFirst) {
    setButton(rt_, page_, kSaveButtonFirstSlot + item - kItemButtonFirst, 1);
  }
}

void SaveScreen::turnPage(int delta) {
  page_.page = turnSavePage(page_.page, delta);
  draw();
}

void SaveScreen::setThumbnailSize(bool big) {
  rt_.media.settings.save.samSaveBig = big;
  resetButtons();
}

void SaveScreen::setEraseMode(bool on) {
  page_.eraseMode = on;
  resetButtons();
}

void SaveScreen::eraseEntry(int entry) {
  const int n = saveSlotNumber(page_.page, entry);
  if (!rt_.media.saveFolder.exists(saveFileName(n))) return;
  const BoxAnswer a = rt_.platform.messageBox(SJ("確認"), SJ("消去してよろしいですか？"), BoxButtons::YesNo,
                                              BoxIcon::Question, true);
  if (a != BoxAnswer::Yes) return;
  deleteSaveFiles(rt_, n);
  drawSaveEntry(rt_, page_, entry);
  slot(rt_, kSaveCommentSlot).release();
}

void SaveScreen::saveEntry(int entry) {
  const int n = saveSlotNumber(page_.page, entry);
  std::string comment = proposedSaveComment(sc_);
  if (!rt_.dialogs().showComment(comment)) return;
  if (rt_.media.saveFolder.exists(saveFileName(n)) && rt_.media.settings.save.overWriteCheck &&
      rt_.platform.messageBox(SJ("確認"), SJ("上書きしてよろしいですか？"), BoxButtons::YesNo, BoxIcon::Question,
                              true) != BoxAnswer::Yes)
    return;
  GameState& st = *sc_.state;
  char previous[sizeof st.comment];
  std::memcpy(previous, st.comment, sizeof previous);
  std::memset(st.comment, 0, sizeof st.comment);
  const std::string_view kept = sjis::cutAtBoundary(comment, sizeof st.comment - 1);
  std::memcpy(st.comment, kept.data(), kept.size());
  // A save that was not written must not look saved: no new thumbnails, the entry as
  // it was, and the comment of the running game as it was.
  if (!rt_.saves().saveGame(n)) {
    std::memcpy(st.comment, previous, sizeof previous);
    return;
  }
  makeThumbnails(rt_, n, hidden_);
  drawSaveEntry(rt_, page_, entry);
  page_.entries[std::size_t(entry)].comment.assign(
      sjis::cutAtBoundary(std::string_view(st.comment, strnlen(st.comment, sizeof st.comment)), kEntryCommentMax));
  showHover(entry);
}

bool SaveScreen::loadEntry(int entry) {
  const int n = saveSlotNumber(page_.page, entry);
  if (page_.entries[std::size_t(entry)].empty) return false;
  static constexpr CommandRow kFadeOut{"fade_all_out", cmdFadeAll, false, true, nullptr, 0};
  if (cmdFadeAll(sc_, kFadeOut) == 0) return false;
  // The scene is set aside rather than thrown away: a load that fails (a damaged save)
  // leaves the game where it was, and then its pictures come back.
  std::vector<Sprite> kept;
  kept.reserve(kChoiceLastSlot + 1);
  for (int i = 0; i <= kChoiceLastSlot; ++i) {
    kept.emplace_back(rt_.media.context, i);
    kept.back().swapContents(slot(rt_, i));
  }
  if (rt_.saves().loadGame(sc_, n, true)) return true;
  for (int i = 0; i <= kChoiceLastSlot; ++i) {
    slot(rt_, i).release();
    slot(rt_, i).swapContents(kept[std::size_t(i)]);
    slot(rt_, i).setVisible(false);
  }
  draw();
  present(sc_);
  return false;
}

bool SaveScreen::run() {
  Runtime& rt = rt_;
  InputState& in = rt.story.input;
  EngineSwitches& sw = rt.story.switches;
  hidden_ = hideSceneSlots(rt);
  page_.eraseMode = false;
  draw();
  if (SoundChannel* voice = rt.sound().channel(SoundService::kVoiceChannel))
    voice->startFade(voice->volumeLevel(), kVoiceFadeStep);
  sw.saveScreenOpen = true;
  sw.saveScreenCloseRequested = false;
  in.consumePresses();
  present(sc_);

  bool loaded = false;
  int lastX = sc_.mouseX, lastY = sc_.mouseY;
  bool first = true;
  while (!rt.requests().quitRequested) {
    const std::uint32_t frameStart = rt.platform.ticks();
    if (pollWithMenus(sc_, false, true)) break;
    bool changed = false;
    if (first || sc_.mouseX != lastX || sc_.mouseY != lastY) {
      lastX = sc_.mouseX;
      lastY = sc_.mouseY;
      const int item = saveItemAt(rt, page_, lastX, lastY);
      if (item != hovered_ || first) {
        hovered_ = item;
        showHover(item);
        changed = true;
      }
    }
    first = false;

    if (in.isPressed(InputDecide)) {
      in.consumePresses();
      const int item = hovered_;
      if (item == kItemReturn) break;
      if (item == kItemPrevPage) {
        turnPage(-1);
      } else if (item == kItemNextPage) {
        turnPage(+1);
      } else if (item == kItemBigOn || item == kItemBigOff) {
        setThumbnailSize(item == kItemBigOn);
      } else if (item == kItemEraseOff || item == kItemEraseOn) {
        setEraseMode(item == kItemEraseOn);
      } else if (item >= 0 && item < kItemButtonFirst) {
        const int entry = item % kSaveEntriesPerPage;
        if (page_.eraseMode) {
          eraseEntry(entry);
        } else if (page_.loadMode) {
          if (loadEntry(entry)) {
            loaded = true;
            break;
          }
        } else {
          saveEntry(entry);
        }
      }
      // The pointer is over whatever the action left there.
      lastX = lastY = -2;
      first = true;
      changed = true;
      in.consumePresses();
    } else if (in.isPressed(InputCancel) || sw.saveScreenCloseRequested) {
      in.consumePresses();
      break;
    } else if (in.isPressed(InputLogBack | InputLogForward)) {
      const int delta = in.isPressed(InputLogBack) ? +1 : -1;
      in.consumePresses();
      turnPage(delta);
      changed = true;
    } else if (in.isPressed(InputUp | InputDown | InputLeft | InputRight)) {
      const int delta = in.isPressed(InputUp) ? -1 : in.isPressed(InputDown) ? 1 : in.isPressed(InputLeft) ? -5 : 5;
      in.consumePresses();
      const int entry = moveSaveEntry(hovered_, delta);
      if (entry != hovered_) {
        hovered_ = entry;
        showHover(entry);
        changed = true;
      }
    }
    if (changed) {
      present(sc_);
    } else {
      const std::uint32_t spent = rt.platform.ticks() - frameStart;
      if (spent < kIdleMs) rt.platform.sleep(kIdleMs - spent);
    }
  }

  sw.saveScreenOpen = false;
  sw.saveScreenCloseRequested = false;
  if (!loaded) {
    for (int i = kSaveBackSlot; i <= 249; ++i) slot(rt, i).release();
    restoreSceneSlots(rt, hidden_);
  }
  return loaded;
}

}  // namespace

Rect saveEntryRect(int entry) {
  const int i = std::clamp(entry, 0, kSaveEntriesPerPage - 1);
  return {i < 5 ? 168 : 552, 73 + 95 * (i % 5), kEntryWidth, kEntryHeight};
}

Rect saveThumbnailRect(int entry) {
  const Rect r = saveEntryRect(entry);
  return {r.x - 131, r.y - 8, kThumbnailWidth, kThumbnailHeight};
}

std::string smallThumbnailName(int slot) { return numbered("Save%03ds.bmp", slot); }
std::string largeThumbnailName(int slot) { return numbered("Save%03db.bmp", slot); }

int moveSaveEntry(int hovered, int delta) {
  if (hovered < 0 || hovered >= kItemButtonFirst) return 0;
  const int from = hovered % kSaveEntriesPerPage;
  const int to = from + delta;
  return to >= 0 && to < kSaveEntriesPerPage ? to : from;
}

std::string proposedSaveComment(const ScriptContext& sc) {
  std::string source = sc.speakerName.value_or(std::string());
  if (sc.messageText) source += std::string_view(sc.messageText.get(), strnlen(sc.messageText.get(), ScriptContext::kMessageCapacity));
  const std::string& givenMark = SJ("●名●");
  const std::string& familyMark = SJ("▲氏▲");
  const TextRules& rules = sc.rt.media.textRules;
  std::string twoByte;
  for (std::size_t i = 0; i < source.size();) {
    const std::size_t len = sjis::charLength(source, i);
    if (len == 2) twoByte.append(source, i, 2);
    i += len;
  }
  std::string out;
  for (std::size_t i = 0; i < twoByte.size();) {
    const std::string_view rest = std::string_view(twoByte).substr(i);
    if (rest.starts_with(givenMark)) {
      out += rules.givenName();
      i += givenMark.size();
    } else if (rest.starts_with(familyMark)) {
      out += rules.familyName();
      i += familyMark.size();
    } else {
      out.append(twoByte, i, 2);
      i += 2;
    }
  }
  return std::string(sjis::cutAtBoundary(out, kProposedCommentMax));
}

void drawSaveEntry(Runtime& rt, SaveScreenPage& screen, int entry) {
  const int n = saveSlotNumber(screen.page, entry);
  const Rect r = saveEntryRect(entry);
  SaveEntry& e = screen.entries[std::size_t(entry)];
  Sprite& date = slot(rt, kSaveDateSlot + entry);
  Sprite& thumbnail = slot(rt, kSaveThumbnailSlot + entry);
  e = SaveEntry{};
  date.release();
  thumbnail.release();
  if (!readSaveComment(rt, n, e.comment)) {
    e.comment.clear();
    return;
  }
  e.empty = false;
  const std::string when = saveDateText(rt, n);
  if (!when.empty()) setTextSlot(rt, kSaveDateSlot + entry, when, r.x, r.y);
  const Rect t = saveThumbnailRect(entry);
  showThumbnail(rt, kSaveThumbnailSlot + entry, n, t.x, t.y);
}

void drawSaveLoadPage(Runtime& rt, SaveScreenPage& screen) {
  screen.page = std::clamp(screen.page, 0, kSavePages - 1);
  loadAt(rt, kSaveBackSlot, screen.loadMode ? "cg\\_MLLoadBack.bmp" : "cg\\_MLSaveBack.bmp", 0, 0);
  for (int i = 0; i < kSaveEntriesPerPage; ++i) drawSaveEntry(rt, screen, i);
  if (loadAt(rt, kSaveHighlightSlot, "cg\\_MLSel.psd", 0, 0)) {
    slot(rt, kSaveHighlightSlot).setAnimating(true);
    slot(rt, kSaveHighlightSlot).setVisible(false);
  }
  slot(rt, kSaveCommentSlot).release();
  loadAt(rt, kSavePrevSlot, "cg\\_MLPrev.psd", 252, 4);
  loadAt(rt, kSaveNextSlot, "cg\\_MLNext.psd", 252, 4);
  loadAt(rt, kSaveBigOnSlot, "cg\\_MLBigOn.psd", 436, 28);
  loadAt(rt, kSaveBigOffSlot, "cg\\_MLBigOff.psd", 436, 28);
  loadAt(rt, kSaveEraseOffSlot, "cg\\_MLEraseOff.psd", 637, 1);
  loadAt(rt, kSaveEraseOnSlot, "cg\\_MLEraseOn.psd", 637, 1);
  resetSaveButtons(rt, screen);
  if (loadAt(rt, kSavePageSlot, "cg\\_MLPage.psd", 252, 4)) slot(rt, kSavePageSlot).setFrame(screen.page);
}

SceneVisibility hideSceneSlots(Runtime& rt) {
  SceneVisibility visible{};
  for (int i = 0; i <= kChoiceLastSlot; ++i) {
    visible[std::size_t(i)] = slot(rt, i).visible();
    slot(rt, i).setVisible(false);
  }
  return visible;
}

void restoreSceneSlots(Runtime& rt, const SceneVisibility& visible) {
  for (int i = 0; i <= kChoiceLastSlot; ++i) slot(rt, i).setVisible(visible[std::size_t(i)]);
}

bool makeThumbnails(Runtime& rt, int slotNumber, const SceneVisibility& sceneVisible) {
  Surface& frame = rt.scene.backBuffer.surface();
  std::uint32_t* pixels = frame.pixels(0);
  if (pixels == nullptr || frame.width() != kFrameWidth || frame.height() != kFrameHeight) return false;
  const PixelOps& ops = *rt.media.pixels;
  restoreSceneSlots(rt, sceneVisible);
  std::fill(pixels, pixels + kFramePixels, 0u);
  for (int i = 0; i < kSceneLayerEnd; ++i) slot(rt, i).draw(frame, ops);
  const GameState& st = rt.story.state;
  if (isMosaicEventPicture(rt.media.content, std::string_view(st.pictureNames[0], strnlen(st.pictureNames[0], sizeof st.pictureNames[0])))) {
    const std::vector<std::uint32_t> copy(pixels, pixels + kFramePixels);
    ops.copyMosaic(pixels, kFrameWidth, copy.data(), kFrameWidth, kFrameWidth, kFrameHeight, kMosaicBlock);
  }
  // Slots 80-129 are the backlog's: never part of a thumbnail.
  for (int i = kWindowFirstSlot; i < 80; ++i) slot(rt, i).draw(frame, ops);
  for (int i = kChoiceFirstSlot; i <= kChoiceLastSlot; ++i) slot(rt, i).draw(frame, ops);
  bool ok = writeThumbnail(rt, largeThumbnailName(slotNumber), encodeBmp(pixels, kFrameWidth, kFrameHeight, 0, false));
  ops.boxFilter4x4(pixels, kFrameWidth, kFrameHeight, kFrameWidth * 4);
  ok = writeThumbnail(rt, smallThumbnailName(slotNumber),
                      encodeBmp(pixels, kFrameWidth, kFrameHeight, kSmallThumbnailType, false)) &&
       ok;
  for (int i = 0; i <= kChoiceLastSlot; ++i) slot(rt, i).setVisible(false);
  return ok;
}

int saveItemAt(Runtime& rt, const SaveScreenPage& screen, int x, int y) {
  for (int i = 0; i < kSaveEntriesPerPage; ++i)
    if (saveEntryRect(i).contains(x, y)) return i;
  for (int i = 0; i < kSaveEntriesPerPage; ++i)
    if (saveThumbnailRect(i).contains(x, y)) return kItemThumbnailFirst + i;
  for (int s = kSaveButtonFirstSlot; s <= kSaveButtonLastSlot; ++s) {
    if (screen.buttonState[std::size_t(s - kSaveButtonFirstSlot)] == 2) continue;
    if (slot(rt, s).hitTest(x, y)) return kItemButtonFirst + s - kSaveButtonFirstSlot;
  }
  return kItemNone;
}

bool runSaveScreen(Runtime& rt, ScriptContext& sc, bool loadMode) { return SaveScreen(rt, sc, loadMode).run(); }

}  // namespace ml
