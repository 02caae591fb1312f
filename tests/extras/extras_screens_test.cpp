// The extras screens run on the headless platform with scripted input: what the
// galleries offer by the flags, the picture view, the recollection leaving the game as
// it was, and the music room.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "extras/extras_fixture.h"
#include "media/sound/sound_channel.h"

namespace ml::test {
namespace {

class ExtrasScreens : public ExtrasTest {};

TEST_F(ExtrasScreens, TheGalleryOffersWhatTheFlagsSayAndCountsAPartlySeenEntry) {
  const ExtrasTables t = tables(
      "[gallery]\n"
      "1 ev1:10 ev2:11 ev3:12\n"  // 2 of 3 seen
      "1 ev1:13\n"                // all seen
      "1 ev2:14\n");              // none seen
  state().flags[11] = state().flags[12] = state().flags[13] = 1;
  std::array<int, 3> frames{};
  std::string count;
  std::vector<int> digits;
  bool seenSecond = false;
  onPoll = [&] {
    if (!rt->story.input.isPressed(InputCancel) || !digits.empty()) return;
    for (int i = 0; i < 3; ++i) frames[i] = layer(kThumbnailSlot + i).currentFrame();
    count = layer(kCountSlot).text();
    seenSecond = !layer(kCountSlot + 1).empty();
    for (int k = 0; k < 3; ++k) digits.push_back(layer(kDigitSlot + k).visibleFrame());
  };
  // The locked third entry is not hovered: the pointer on it leaves it as it was.
  setInput("wait 500\nmove " + thumb(2) + "\nwait 100\nkey escape\n");
  EXPECT_TRUE(runExtras(*rt, sc(), t));
  EXPECT_EQ(frames, (std::array<int, 3>{1, 1, 0}));
  EXPECT_EQ(count, "2/3");
  EXPECT_FALSE(seenSecond);
  // Three of five pictures seen: 60 %.
  EXPECT_EQ(digits, (std::vector<int>{-1, 6, 0}));
}

TEST_F(ExtrasScreens, TheViewShowsOnlySeenPicturesAndALockedEntryDoesNotOpen) {
  const ExtrasTables t = tables("[gallery]\n1 ev1:10 ev2:11 ev3:12\n1 ev1:13\n");
  state().flags[11] = state().flags[12] = 1;
  std::vector<std::string> shown;
  bool countOverPicture = false;
  onPoll = [&] {
    const std::string& name = layer(kBackgroundSlot).name();
    if (!layer(kBackgroundSlot).empty() && layer(kCountSlot).visible()) countOverPicture = true;
    if (!layer(kBackgroundSlot).empty() && (shown.empty() || shown.back() != name)) shown.push_back(name);
  };
  setInput("wait 500\nclick " + thumb(1) + "\nwait 300\nclick " + thumb(0) +
           "\nwait 500\nclick 400 300\nwait 500\nclick 400 300\nwait 500\nkey escape\n");
  EXPECT_TRUE(runExtras(*rt, sc(), t));
  EXPECT_EQ(shown, (std::vector<std::string>{"cg\\ev2.bmp", "cg\\ev3.bmp"}));
  EXPECT_FALSE(countOverPicture);
  EXPECT_TRUE(layer(kBackgroundSlot).empty());
}

TEST_F(ExtrasScreens, ATallPictureScrollsWithThePointerAndItsArrowsFollow) {
  const ExtrasTables t = tables("[gallery]\n1 tall:10\n");
  state().flags[10] = 1;
  int lowest = 0;
  bool downAtTop = false, downAtBottom = true;
  onPoll = [&] {
    const Sprite& pic = layer(kBackgroundSlot);
    if (pic.empty() || pic.height() != 1200) return;
    if (pic.y() == 0 && layer(kArrowSlot + 1).visible()) downAtTop = true;
    if (pic.y() == -600) downAtBottom = layer(kArrowSlot + 1).visible();
    lowest = std::min(lowest, pic.y());
  };
  setInput("wait 500\nclick " + thumb(0) + "\nwait 300\nmove 400 580\nwait 3000\nkey escape\nwait 500\nkey escape\n");
  EXPECT_TRUE(runExtras(*rt, sc(), t));
  EXPECT_EQ(lowest, -600);
  EXPECT_TRUE(downAtTop);
  EXPECT_FALSE(downAtBottom);
}

TEST_F(ExtrasScreens, ARecollectionLeavesTheGameRecordAsItWas) {
  load(windowLine() + "F20=1\r\nB=4\r\n");
  run();
  writeScript("F5=9\r\nA=3\r\nF1500=1\r\ndefine 名前 F9\r\nset_rgb_ex1 10 20 30\r\nあいうえお\r\nkaisou_end\r\n", "scene");
  const ExtrasTables t = tables("[recollection]\n1 20 scene 7\n");
  const std::vector<std::uint8_t> before(state().bytes(), state().bytes() + sizeof(GameState));
  const std::size_t defines = rt->story.defines.count();
  const auto tints = rt->scene.tintPresets;
  bool played = false;
  onPoll = [&] {
    if (state().flags[5] == 9 && state().vars[0] == 3 && rt->scene.tintPresets[0][0] == 10) played = true;
  };
  // The gallery opens on pictures; the scene gallery is one button away.
  setInput("wait 500\nclick 670 46\nwait 500\nclick " + thumb(0) +
           "\nwait 500\nclick 400 300\nwait 500\nclick 400 300\nwait 2000\nkey escape\n");
  EXPECT_TRUE(runExtras(*rt, sc(), t));
  EXPECT_TRUE(played);
  EXPECT_TRUE(messages().empty());
  const std::vector<std::uint8_t> after(state().bytes(), state().bytes() + sizeof(GameState));
  EXPECT_TRUE(before == after);
  EXPECT_EQ(rt->story.defines.count(), defines);
  EXPECT_EQ(rt->scene.tintPresets, tints);
  EXPECT_TRUE(sc().mainGame);
  const std::vector<std::string> expected = {"exit shown", "exit hidden"};
  EXPECT_EQ(shell.calls, expected);
}

TEST_F(ExtrasScreens, ASceneIsPlayedOnlyWhenItsOwnFlagIsSet) {
  load(windowLine());
  run();
  writeScript("F5=9\r\nkaisou_end\r\n", "scene");
  const ExtrasTables t = tables("[recollection]\n1 20 scene 0\n2 21 scene 0\n");
  state().flags[20] = 1;  // page 1's entry, not page 2's at the same place
  bool played = false;
  onPoll = [&] { played = played || state().flags[5] == 9; };
  // Page 2's button is the second block of the page-button canvas.
  setInput("wait 500\nclick 670 46\nwait 500\nclick 120 120\nwait 500\nclick " + thumb(0) +
           "\nwait 500\nkey escape\n");
  EXPECT_TRUE(runExtras(*rt, sc(), t));
  EXPECT_FALSE(played);
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(ExtrasScreens, TheMusicRoomPlaysSwitchesAndStopsTracks) {
  const ExtrasTables t = tables("[music]\n1 m1\n2 m2\n");
  SoundChannel& music = *rt->sound().channel(0);
  using Look = std::tuple<int, int, int, std::string>;
  std::vector<Look> looks;
  onPoll = [&] {
    const int t1 = layer(kThumbnailSlot).currentFrame(), t2 = layer(kThumbnailSlot + 1).currentFrame();
    const int stop = layer(kBtStopSlot).currentFrame();
    if (t1 < 0 || t2 < 0 || stop < 0) return;
    Look now{t1, t2, stop, music.isPlaying() ? music.cachedName() : std::string()};
    if (looks.empty() || looks.back() != now) looks.push_back(now);
  };
  // Track 1 at y 133..153, track 2 at 155..175, both from x 87.
  setInput("wait 500\nclick 200 143\nwait 200\nclick 200 165\nwait 200\nclick 200 165\nwait 200\nkey escape\n");
  EXPECT_EQ(runMusicRoom(sc(), t), kToTitle);
  ASSERT_GE(looks.size(), 4u);
  EXPECT_EQ(looks[0], (Look{0, 0, 2, ""}));
  EXPECT_EQ(looks[1], (Look{2, 0, 0, "wav\\m1.wav"}));
  EXPECT_EQ(looks[2], (Look{0, 2, 0, "wav\\m2.wav"}));
  // The playing track clicked again: the music fades out, the stop button is marked.
  EXPECT_EQ(std::get<1>(looks[3]), 1);
  EXPECT_EQ(std::get<2>(looks[3]), 2);
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

TEST_F(ExtrasScreens, TheScreensOfferOnlyTheRowsTheGameHasFilesFor) {
  // This folder holds none of the demo's pictures, scenes or music, and no game-data
  // file: the built-in rows are all left out, without a word to the player.
  loadGameContent(*rt);
  setInput("wait 500\nkey escape\n");
  EXPECT_TRUE(rt->screens().runExtras(sc()));
  EXPECT_TRUE(reporter.entries.empty());
  for (int i = 0; i < ExtrasTables::kEntriesPerPage; ++i) EXPECT_TRUE(layer(kThumbnailSlot + i).empty());
}

}  // namespace
}  // namespace ml::test
