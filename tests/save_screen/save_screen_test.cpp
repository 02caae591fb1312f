#include <deque>

#include "message/message_fixture.h"
#include "engine/save_file.h"
#include "engine/services.h"
#include "media/formats/bmp.h"
#include "media/gfx/pixel_ops.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "scene/save_screen.h"
#include "tools/common/bmp_writer.h"

namespace ml::test {
namespace {

// Writes the record as a save would (so the screen finds a file with its comment), or
// fails as a full disk would; loads are only recorded.
class FakeSaves final : public SaveService {
 public:
  explicit FakeSaves(Runtime& rt) : rt_(rt) {}
  bool saveGame(int slot) override {
    saved.push_back(slot);
    if (!saveSucceeds) return false;
    GameState& st = rt_.story.state;
    st.checksum = st.computeChecksum();
    return writeFileSafely(rt_.media.saveFolder.resolveForWriting(saveFileName(slot)), st.bytes(), sizeof st);
  }
  bool loadGame(ScriptContext&, int slot, bool withRecall) override {
    loads.push_back(slot);
    recall = withRecall;
    if (loadSucceeds) return true;
    // A failed load has already cleared the screens' slots.
    for (int i = 130; i <= 249; ++i) rt_.scene.layers.clear(i);
    return false;
  }
  void updateSystemSave() override {}
  void debugAutoSave(ScriptContext&) override {}
  void saveLastChoice(ScriptContext&) override {}

  bool saveSucceeds = true;
  bool loadSucceeds = true;
  bool recall = false;
  std::vector<int> saved, loads;

 private:
  Runtime& rt_;
};

class FakeDialogs final : public NullDialogService {
 public:
  bool showComment(std::string& text) override {
    proposed.push_back(text);
    if (!ok) return false;
    text = answer;
    return true;
  }
  bool ok = true;
  std::string answer;
  std::vector<std::string> proposed;
};

class SaveScreenTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    writeScreenPictures();
    auto saves = std::make_unique<FakeSaves>(*rt);
    fakeSaves = saves.get();
    rt->installSaves(std::move(saves));
    rt->setDialogs(&dialogs);
    dialogs.answer = utf8ToSjis("浜辺にて");
    load("ret\r\n");
    rt->story.switches.messageWindowActive = true;
  }

  // Slightly different shades so that each picture can be told apart in a frame.
  void writeScreenPictures() {
    writeBytes("cg/_MLSaveBack.bmp", tools::writeBmp24(tools::RgbaImage(800, 600, 20, 0, 30, 255)));
    writeBytes("cg/_MLLoadBack.bmp", tools::writeBmp24(tools::RgbaImage(800, 600, 0, 20, 30, 255)));
    layered("_MLSel", 226, 92, 0, 0, 226, 92, 200, 200, 0, 6);
    layered("_MLPrev", 180, 40, 0, 0, 36, 40, 10, 10, 10, 3);
    layered("_MLNext", 180, 40, 144, 0, 36, 40, 20, 10, 10, 3);
    layered("_MLBigOn", 170, 30, 0, 0, 80, 30, 30, 10, 10, 3);
    layered("_MLBigOff", 170, 30, 88, 0, 80, 30, 40, 10, 10, 3);
    layered("_MLEraseOff", 150, 30, 0, 0, 70, 30, 50, 10, 10, 3);
    layered("_MLEraseOn", 150, 30, 78, 0, 70, 30, 60, 10, 10, 3);
    layered("_MLPage", 180, 40, 60, 10, 60, 20, 70, 10, 10, 6);
    // A background with detail in every 4 x 4 block, for the thumbnail comparisons.
    tools::RgbaImage bg(800, 600);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) bg.set(x, y, std::uint8_t(x * 7 + y), std::uint8_t(y * 3), std::uint8_t(x ^ y));
    writeBytes("cg/bg01.bmp", tools::writeBmp24(bg));
    writeBytes("cg/ev06.bmp", tools::writeBmp24(bg));
  }

  void showBackground(const char* name) {
    ASSERT_TRUE(layer(0).loadPicture(std::string("cg\\") + name + ".bmp"));
    std::snprintf(state().pictureNames[0], sizeof state().pictureNames[0], "%s", name);
  }

  bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

  // Runs the screen; each poll takes the next action, and once they are used up the
  // screen is closed with Escape (a screen that does not close is a failure).
  bool runScreen(bool loadMode, std::vector<std::function<void()>> actions) {
    std::deque<std::function<void()>> queue(actions.begin(), actions.end());
    int idle = 0;
    onPoll = [&] {
      if (!queue.empty()) {
        queue.front()();
        queue.pop_front();
        return;
      }
      if (++idle % 3 == 0) rt->story.input.press(InputCancel);
      if (idle > 500) {
        ADD_FAILURE() << "the screen did not close";
        rt->requests().quitRequested = true;
      }
    };
    const bool loaded = runSaveScreen(*rt, sc(), loadMode);
    onPoll = nullptr;
    return loaded;
  }
  std::function<void()> moveTo(int x, int y) {
    return [this, x, y] {
      rt->story.input.mouseX = x;
      rt->story.input.mouseY = y;
    };
  }
  std::function<void()> press(std::uint32_t bits) {
    return [this, bits] { rt->story.input.press(bits); };
  }
  std::function<void()> nothing() {
    return [] {};
  }
  // Click on entry i of the shown page.
  std::vector<std::function<void()>> clickEntry(int i) {
    const Rect r = saveEntryRect(i);
    return {moveTo(r.x + 10, r.y + 10), nothing(), press(InputDecide), nothing()};
  }
  int questions() const {
    int n = 0;
    for (const std::string& line : platform.reports()) n += line.rfind("MessageBox:", 0) == 0;
    return n;
  }

  // The frame as the screen's thumbnails see it: the scene's slots only.
  std::vector<std::uint32_t> composedScene() {
    const std::uint32_t* f = compose();
    return std::vector<std::uint32_t>(f, f + kFramePixels);
  }
  bool decode(const std::string& name, Surface& out) {
    std::vector<std::uint8_t> bytes;
    return readWholeFile((dir_ / name).string(), bytes) && out.loadBmpBytes(bytes, name);
  }

  FakeSaves* fakeSaves = nullptr;
  FakeDialogs dialogs;
};

TEST_F(SaveScreenTest, SlotNumbersAndGeometry) {
  struct Case {
    int page, entry, slot, x, y;
  };
  for (const Case& c : {Case{0, 0, 1, 168, 73}, Case{0, 4, 5, 168, 453}, Case{0, 5, 6, 552, 73},
                        Case{2, 9, 30, 552, 453}, Case{5, 9, 60, 552, 453}}) {
    EXPECT_EQ(saveSlotNumber(c.page, c.entry), c.slot);
    EXPECT_EQ(saveEntryRect(c.entry), (Rect{c.x, c.y, 221, 46}));
    EXPECT_EQ(saveThumbnailRect(c.entry), (Rect{c.x - 131, c.y - 8, 120, 90}));
  }
  EXPECT_EQ(turnSavePage(0, -1), 5);
  EXPECT_EQ(turnSavePage(5, +1), 0);
  EXPECT_EQ(turnSavePage(2, +1), 3);
}

TEST_F(SaveScreenTest, ArrowKeysStayWithinTheEntries) {
  struct Case {
    int from, delta, to;
  };
  for (const Case& c : {Case{kItemNone, 1, 0}, Case{kItemReturn, -5, 0}, Case{0, -1, 0}, Case{0, 1, 1},
                        Case{9, 1, 9}, Case{2, 5, 7}, Case{7, 5, 7}, Case{7, -5, 2}, Case{3, -5, 3},
                        Case{kItemThumbnailFirst + 4, 1, 5}})
    EXPECT_EQ(moveSaveEntry(c.from, c.delta), c.to) << c.from << " " << c.delta;
}

TEST_F(SaveScreenTest, HoverFindsEntriesThumbnailsAndLiveButtons) {
  rt->media.settings.save.samSaveBig = true;
  SaveScreenPage page;
  drawSaveLoadPage(*rt, page);
  struct Case {
    int x, y, item;
  };
  for (const Case& c : {Case{170, 80, 0}, Case{552 + 220, 453 + 45, 9}, Case{552 + 221, 453 + 10, kItemNone},
                        Case{168 - 131, 73 - 8, kItemThumbnailFirst}, Case{552 - 12, 453 + 81, 19},
                        Case{260, 20, kItemPrevPage}, Case{400, 20, kItemNextPage}, Case{320, 20, kItemNone},
                        // The selected size and erase buttons do not react.
                        Case{440, 40, kItemNone}, Case{530, 40, kItemBigOff}, Case{640, 10, kItemNone},
                        Case{720, 10, kItemEraseOn}})
    EXPECT_EQ(saveItemAt(*rt, page, c.x, c.y), c.item) << c.x << "," << c.y;
  EXPECT_FALSE(layer(kSaveHighlightSlot).visible());
  EXPECT_EQ(layer(kSavePageSlot).currentFrame(), 0);
}

TEST_F(SaveScreenTest, ProposedCommentDropsSingleBytesReplacesNamesAndCutsOnACharacter) {
  rt->media.textRules.setGivenName(utf8ToSjis("A太郎"));
  struct Case {
    std::string speaker, text, expected;
  };
  std::string many;
  for (int i = 0; i < 40; ++i) many += "あ";
  for (const Case& c : {
           Case{"", "Hello こんにちは\\n!", "こんにちは"},
           Case{"●名●", "「やあ」", "A太郎「やあ」"},
           Case{"", many, std::string()},
       }) {
    if (c.speaker.empty())
      sc().speakerName.reset();
    else
      sc().speakerName = utf8ToSjis(c.speaker);
    const std::string text = utf8ToSjis(c.text);
    std::snprintf(sc().messageText.get(), ScriptContext::kMessageCapacity, "%s", text.c_str());
    const std::string got = proposedSaveComment(sc());
    if (!c.expected.empty()) {
      EXPECT_EQ(sjisToUtf8(got), c.expected);
    }
    EXPECT_LE(got.size(), 56u);
  }
  // The given name's single byte leaves the text odd: the cut keeps whole characters.
  sc().speakerName = utf8ToSjis("●名●");
  std::snprintf(sc().messageText.get(), ScriptContext::kMessageCapacity, "%s", utf8ToSjis(many).c_str());
  const std::string cut = proposedSaveComment(sc());
  EXPECT_EQ(cut.size(), 55u);
  EXPECT_EQ(sjisToUtf8(cut).substr(0, 7), "A太郎");
}

TEST_F(SaveScreenTest, SavingWritesTheSaveAndThumbnailsOfTheSceneAndShowsTheEntry) {
  showBackground("bg01");
  sc().speakerName = utf8ToSjis("葵");
  std::snprintf(sc().messageText.get(), ScriptContext::kMessageCapacity, "%s", utf8ToSjis("星がきれい。").c_str());
  const std::vector<std::uint32_t> scene = composedScene();
  rt->scene.saveListPage = 1;
  EXPECT_FALSE(runScreen(false, clickEntry(2)));

  ASSERT_EQ(fakeSaves->saved, std::vector<int>{13});
  ASSERT_EQ(dialogs.proposed.size(), 1u);
  EXPECT_EQ(sjisToUtf8(dialogs.proposed[0]), "葵星がきれい。");
  EXPECT_EQ(std::string(state().comment), dialogs.answer);
  ASSERT_TRUE(exists("Save013.dat"));

  Surface big(rt->media.context), small(rt->media.context);
  ASSERT_TRUE(decode("Save013b.bmp", big));
  ASSERT_TRUE(decode("Save013s.bmp", small));
  ASSERT_EQ(big.width(), 800);
  ASSERT_EQ(small.width(), 120);
  ASSERT_EQ(small.height(), 90);
  for (std::size_t i = 0; i < kFramePixels; i += 997)
    ASSERT_EQ(big.pixels(0)[i] & 0xFFFFFF, scene[i] & 0xFFFFFF) << i;
  // The small one is the box-filtered frame at the kept rows and columns.
  std::vector<std::uint32_t> filtered = scene;
  rt->media.pixels->boxFilter4x4(filtered.data(), 800, 600, 800 * 4);
  std::vector<int> rows, cols;
  for (int i = 0; i < 800; ++i) {
    if (!bmpKeepsIndex(5, i)) continue;
    cols.push_back(i);
    if (i < 600) rows.push_back(i);
  }
  for (int r = 0; r < 90; r += 7)
    for (int c = 0; c < 120; c += 11)
      ASSERT_EQ(small.pixels(0)[r * 120 + c] & 0xFFFFFF, filtered[std::size_t(rows[r]) * 800 + cols[c]] & 0xFFFFFF);

  // The screen closed: its slots are empty and the scene is shown again.
  EXPECT_TRUE(layer(0).visible());
  EXPECT_TRUE(layer(kSaveBackSlot).empty());
  EXPECT_FALSE(rt->story.switches.saveScreenOpen);
  EXPECT_EQ(rt->scene.saveListPage, 1);

  // Opened again, the entry shows its date, its thumbnail and (hovered) its comment.
  bool checked = false;
  auto look = [&] {
    EXPECT_TRUE(layer(kSaveDateSlot + 2).isText());
    EXPECT_EQ(sjisToUtf8(layer(kSaveDateSlot + 2).text()).size(), 17u);
    EXPECT_EQ(layer(kSaveThumbnailSlot + 2).width(), 120);
    EXPECT_EQ(layer(kSaveThumbnailSlot + 2).x(), 168 - 131);
    EXPECT_EQ(sjisToUtf8(layer(kSaveCommentSlot).text()), "浜辺にて");
    EXPECT_EQ(layer(kSaveHighlightSlot).x(), 167);
    EXPECT_TRUE(layer(kSaveHighlightSlot).visible());
    EXPECT_TRUE(layer(kSaveDateSlot + 3).empty());
    checked = true;
  };
  const Rect r = saveEntryRect(2);
  runScreen(true, {moveTo(r.x + 5, r.y + 5), nothing(), look});
  EXPECT_TRUE(checked);
}

TEST_F(SaveScreenTest, ThumbnailsShowTheWindowAndChoicesButNotTheBacklogAndHideListedEvents) {
  showBackground("ev06");
  auto box = [&](int s, int x, std::uint32_t colour) {
    ASSERT_TRUE(layer(s).makeBox(40, 40));
    std::fill(layer(s).surface()->pixels(0), layer(s).surface()->pixels(0) + 1600, colour);
    layer(s).surface()->pixelsChanged(0);
    layer(s).setPosition(x, 300);
  };
  box(35, 100, 0xFF00FF00u);   // message window
  box(100, 300, 0xFF0000FFu);  // backlog
  box(140, 500, 0xFFFF0000u);  // choice
  runScreen(false, clickEntry(0));
  Surface big(rt->media.context);
  ASSERT_TRUE(decode("Save001b.bmp", big));
  const std::uint32_t* p = big.pixels(0);
  EXPECT_EQ(p[320 * 800 + 120] & 0xFFFFFF, 0x00FF00u);
  EXPECT_NE(p[320 * 800 + 320] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(p[320 * 800 + 520] & 0xFFFFFF, 0xFF0000u);
  // The listed event picture is a mosaic of 16 x 16 blocks (drawn under the window).
  EXPECT_EQ(p[17 * 800 + 17], p[16 * 800 + 16]);
  EXPECT_EQ(p[31 * 800 + 31], p[16 * 800 + 16]);
  EXPECT_NE(p[32 * 800 + 32], p[16 * 800 + 16]);
  // The scene is shown again as it was.
  EXPECT_TRUE(layer(35).visible());
  EXPECT_TRUE(layer(100).visible());
}

TEST_F(SaveScreenTest, FailedSaveOrCancelledCommentLeavesNoTrace) {
  showBackground("bg01");
  fakeSaves->saveSucceeds = false;
  std::snprintf(state().comment, sizeof state().comment, "%s", "old");
  runScreen(false, clickEntry(0));
  EXPECT_EQ(fakeSaves->saved, std::vector<int>{1});
  EXPECT_FALSE(exists("Save001b.bmp"));
  EXPECT_FALSE(exists("Save001s.bmp"));
  EXPECT_STREQ(state().comment, "old");

  fakeSaves->saveSucceeds = true;
  dialogs.ok = false;
  runScreen(false, clickEntry(1));
  EXPECT_EQ(fakeSaves->saved.size(), 1u);
  EXPECT_FALSE(exists("Save002.dat"));
}

TEST_F(SaveScreenTest, OverwriteAsksOnlyForAnExistingFileWithTheSettingOn) {
  showBackground("bg01");
  struct Case {
    bool fileThere, settingOn;
    const char* answer;
    int questions;
    bool saved;
  };
  for (const Case& c : {Case{false, true, "no", 0, true}, Case{true, false, "no", 0, true},
                        Case{true, true, "no", 1, false}, Case{true, true, "yes", 1, true}}) {
    std::filesystem::remove(dir_ / "Save004.dat");
    if (c.fileThere) writeBytes("Save004.dat", std::vector<std::uint8_t>(10, 0));
    rt->media.settings.save.overWriteCheck = c.settingOn;
    fakeSaves->saved.clear();
    const int before = questions();
    if (c.questions > 0) platform.queueBoxAnswer(std::string(c.answer) == "yes" ? BoxAnswer::Yes : BoxAnswer::No);
    runScreen(false, clickEntry(3));
    EXPECT_EQ(questions() - before, c.questions) << c.fileThere << c.settingOn << c.answer;
    EXPECT_EQ(!fakeSaves->saved.empty(), c.saved) << c.fileThere << c.settingOn << c.answer;
  }
}

TEST_F(SaveScreenTest, DeletionAsksOnlyForAnExistingSaveAndRemovesItsThreeFiles) {
  showBackground("bg01");
  runScreen(false, clickEntry(5));
  ASSERT_TRUE(exists("Save006.dat"));
  ASSERT_TRUE(exists("Save006s.bmp"));
  const int before = questions();
  // Erase mode on, then an empty entry (no question), then the used one (Yes).
  platform.queueBoxAnswer(BoxAnswer::Yes);
  std::vector<std::function<void()>> actions = {moveTo(720, 10), nothing(), press(InputDecide), nothing()};
  for (int entry : {4, 5})
    for (auto& a : clickEntry(entry)) actions.push_back(a);
  runScreen(true, actions);
  EXPECT_EQ(questions() - before, 1);
  EXPECT_FALSE(exists("Save006.dat"));
  EXPECT_FALSE(exists("Save006s.bmp"));
  EXPECT_FALSE(exists("Save006b.bmp"));
  EXPECT_TRUE(fakeSaves->loads.empty());
}

TEST_F(SaveScreenTest, LoadingAUsedEntryEndsTheScreenAndAFailedLoadKeepsTheScene) {
  showBackground("bg01");
  runScreen(false, clickEntry(0));
  // An empty entry is ignored; a used one loads with the recollection allowed.
  std::vector<std::function<void()>> actions = clickEntry(1);
  for (auto& a : clickEntry(0)) actions.push_back(a);
  EXPECT_TRUE(runScreen(true, actions));
  EXPECT_EQ(fakeSaves->loads, std::vector<int>{1});
  EXPECT_TRUE(fakeSaves->recall);
  EXPECT_FALSE(rt->story.switches.saveScreenOpen);

  fakeSaves->loads.clear();
  fakeSaves->loadSucceeds = false;
  showBackground("bg01");
  EXPECT_FALSE(runScreen(true, clickEntry(0)));
  EXPECT_EQ(fakeSaves->loads, std::vector<int>{1});
  EXPECT_EQ(layer(0).name(), "cg\\bg01.bmp");
  EXPECT_TRUE(layer(0).visible());
  EXPECT_TRUE(layer(kSaveBackSlot).empty());
}

TEST_F(SaveScreenTest, PagesTurnWithButtonsAndWheelAndTheScreenClosesOnRequest) {
  rt->scene.saveListPage = 0;
  int seenPage = -1;
  bool open = false;
  runScreen(true, {moveTo(260, 20), nothing(), press(InputDecide), nothing(),  // 0 -> 5
                   press(InputLogBack), nothing(),                              // 5 -> 0
                   press(InputLogBack), nothing(),                              // 0 -> 1
                   [&] {
                     seenPage = layer(kSavePageSlot).currentFrame();
                     open = rt->story.switches.saveScreenOpen;
                     rt->story.switches.saveScreenCloseRequested = true;
                   }});
  EXPECT_EQ(seenPage, 1);
  EXPECT_TRUE(open);
  EXPECT_EQ(rt->scene.saveListPage, 1);
  EXPECT_FALSE(rt->story.switches.saveScreenCloseRequested);
}

TEST_F(SaveScreenTest, SaveAndLoadCommandsOpenTheirScreens) {
  load("save\r\nload\r\n");
  std::vector<std::string> backs;
  for (int i = 0; i < 2; ++i) {
    onPoll = [&] {
      if (!layer(kSaveBackSlot).empty()) backs.push_back(layer(kSaveBackSlot).name());
      rt->story.input.press(InputCancel);
    };
    EXPECT_EQ(step(), 1);
  }
  onPoll = nullptr;
  ASSERT_GE(backs.size(), 2u);
  EXPECT_EQ(backs.front(), "cg\\_MLSaveBack.bmp");
  EXPECT_EQ(backs.back(), "cg\\_MLLoadBack.bmp");
}

TEST_F(SaveScreenTest, F2AndF1DuringAPageWaitOpenTheirScreens) {
  // F2: the save screen over the waiting page, which waits on afterwards; F1: the load
  // screen, and a loaded game ends the page wait at once.
  load(windowLine() + "あいうえお\r\nかきくけこ\r\n");
  step();  // window
  std::vector<std::string> backs;
  bool f2 = false, f1 = false;
  onPoll = [&] {
    if (!layer(kSaveBackSlot).empty()) {
      backs.push_back(layer(kSaveBackSlot).name());
      const Rect r = saveEntryRect(0);
      if (backs.back() == "cg\\_MLLoadBack.bmp") {
        rt->story.input.mouseX = r.x + 4;
        rt->story.input.mouseY = r.y + 4;
        rt->story.input.press(InputDecide);
      } else {
        rt->story.input.press(InputCancel);
      }
      return;
    }
    if (!sc().waitingForClick) return;
    if (!f2) {
      f2 = true;
      rt->story.input.press(InputSaveScreen);
    } else if (!f1) {
      f1 = true;
      rt->story.input.press(InputLoadScreen);
    }
  };
  writeBytes("Save001.dat", std::vector<std::uint8_t>(sizeof(GameState), 0));
  EXPECT_EQ(step(), 1);  // the first page, ended by the load
  onPoll = nullptr;
  ASSERT_FALSE(backs.empty());
  EXPECT_EQ(backs.front(), "cg\\_MLSaveBack.bmp");
  EXPECT_EQ(backs.back(), "cg\\_MLLoadBack.bmp");
  EXPECT_EQ(fakeSaves->loads, std::vector<int>{1});
  EXPECT_FALSE(rt->story.switches.saveScreenOpen);
}

}  // namespace
}  // namespace ml::test
