#include <cmath>

#include "engine/guide_voices.h"
#include "media/sound/sound_channel.h"
#include "message_fixture.h"
#include "scene/window_buttons.h"
#include "tools/common/bmp_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::test {
namespace {

// Which seams were called, in order, and what the screens and saves answer (the
// backlog rewound, a game loaded).
struct Calls {
  std::string log;
  bool answer = false;
};

struct RecordingScreens : SystemScreens {
  Calls& c;
  explicit RecordingScreens(Calls& calls) : c(calls) {}
  bool runSaveScreen(ScriptContext&, bool load) override { return c.log += load ? "load;" : "save;", load && c.answer; }
  bool runBacklog(ScriptContext&) override { return c.log += "backlog;", c.answer; }
  bool runOptionScreen(ScriptContext&) override { return c.log += "options;", false; }
};

struct RecordingSaves : SaveService {
  Calls& c;
  explicit RecordingSaves(Calls& calls) : c(calls) {}
  int quickSave(ScriptContext&) override { return c.log += "qsave;", 0; }
  int quickLoad(ScriptContext&) override { return c.log += "qload;", c.answer ? 1 : 0; }
  int returnToLastChoice(ScriptContext&) override { return c.log += "last;", c.answer ? 1 : 0; }
  void updateSystemSave() override {}
  void debugAutoSave(ScriptContext&) override {}
  void saveLastChoice(ScriptContext&) override {}
};

// Page voices said, into the same log.
struct RecordingSound : SoundService {
  Calls& c;
  explicit RecordingSound(Calls& calls) : c(calls) {}
  bool openDevice() override { return true; }
  void stopChannel(int) override {}
  void stopAllChannels() override {}
  void serviceChannels() override {}
  void playPageVoice(ScriptContext&, bool, const BacklogEntry*, bool) override { c.log += "voice;"; }
  bool voicePlaying() override { return false; }
  void restartRecordedSounds(ScriptContext&) override {}
};

// The fixture's button m is a 30 x 30 block at this x of a 400 x 30 canvas at (188, 489).
int buttonLeft(int m) {
  static const int left[] = {0, 0, 240, 280, 40, 80, 120, 160, 200, 320};
  return left[m];
}
constexpr int kButtonY = 489 + 15;
int buttonX(int m) { return 188 + buttonLeft(m) + 15; }

class WindowButtonsTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    layered("_iLoad", 400, 30, buttonLeft(kButtonLoad), 0, 30, 30, 0, 0, 90, 3);
    layered("_iSave", 400, 30, buttonLeft(kButtonSave), 0, 30, 30, 0, 0, 90, 3);
    layered("_iHide", 400, 30, buttonLeft(kButtonHide), 0, 30, 30, 0, 0, 90, 3);
    layered("_iGuide", 100, 20, 0, 0, 100, 20, 50, 50, 50, 9);
    writeBytes("cg/_Skip.bmp", tools::writeBmp24(tools::RgbaImage(16, 8, 200, 0, 0, 255)));
    writeBytes("cg/_Return.bmp", tools::writeBmp24(tools::RgbaImage(16, 8, 0, 200, 0, 255)));
    rt->installScreens(std::make_unique<RecordingScreens>(calls));
    rt->installSaves(std::make_unique<RecordingSaves>(calls));
  }

  // The window defined and its buttons shown, as a page wait has them.
  void showButtons(const std::string& extra = "") {
    load(windowLine() + extra + "頁\r\n");
    step();
    if (!extra.empty()) step();
    showWindowButtons(sc());
  }

  // One pass with the pointer at (x, y) after a click (press and release between two
  // polls) of the given input buttons.
  int pass(int x, int y, std::uint32_t clicked = 0) {
    sc().mouseX = x;
    sc().mouseY = y;
    rt->story.input.press(clicked);
    rt->story.input.release(clicked);
    return handleWindowButtons(sc(), false);
  }

  bool windowActive() const { return rt->story.switches.messageWindowActive; }

  Calls calls;
};

struct ActionCase {
  int button;  // clicked; 0: the input below with the pointer off the buttons
  std::uint32_t input;
  bool answer;
  int result;
  const char* calls;
  bool mainGame = true;
};

class ActionTest : public WindowButtonsTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ActionTest, EachButtonAndKeyCarriesOutItsActionAndAnswersTheWait) {
  const ActionCase& c = GetParam();
  calls.answer = c.answer;
  rt->installSound(std::make_unique<RecordingSound>(calls));
  if (c.button == kButtonPrevChoice) writeBytes("Save900.dat", {1});
  showButtons();
  sc().mainGame = c.mainGame;
  showWindowButtons(sc());

  const int r = c.button ? pass(buttonX(c.button), kButtonY, InputDecide) : pass(400, 300, c.input);
  EXPECT_EQ(r, c.result);
  EXPECT_EQ(calls.log, c.calls);
  if (r != kButtonsAdvance) {
    EXPECT_EQ(rt->story.input.pressed, 0u) << "the input is used up";
  }
  EXPECT_EQ(skipMode(*rt), c.button == kButtonSkip);
  EXPECT_EQ(autoMode(*rt), c.button == kButtonAuto);
  const bool jump = c.button == kButtonNextChoice && c.mainGame;
  EXPECT_EQ(sc().fastForward, jump);
  EXPECT_EQ(windowActive(), c.button != kButtonHide && c.input != InputCancel);
  // The jump shows its indicator; the return to the last choice leaves its own to the
  // save service, which knows whether the return happened.
  EXPECT_EQ(layer(kModeIndicatorSlot).hasPicture(), jump);
}

constexpr int kMoved = kButtonsPointerMoved;
INSTANTIATE_TEST_SUITE_P(
    Actions, ActionTest,
    ::testing::Values(ActionCase{kButtonLog, 0, false, kButtonsScreenChanged, "backlog;"},
                      ActionCase{kButtonLog, 0, true, kButtonsRewound, "backlog;"},
                      ActionCase{kButtonLoad, 0, false, kButtonsScreenChanged, "load;"},
                      ActionCase{kButtonLoad, 0, true, kButtonsGameLoaded, "load;"},
                      ActionCase{kButtonSave, 0, false, kButtonsScreenChanged, "save;"},
                      ActionCase{kButtonPrevChoice, 0, true, kButtonsGameLoaded, "last;"},
                      // Nothing loaded: what is left is the pointer's arrival.
                      ActionCase{kButtonPrevChoice, 0, false, kMoved, "last;"},
                      ActionCase{kButtonNextChoice, 0, false, kButtonsAdvance, ""},
                      ActionCase{kButtonSkip, 0, false, kButtonsAdvance, ""},
                      ActionCase{kButtonAuto, 0, false, kButtonsAdvance, ""},
                      ActionCase{kButtonOption, 0, false, kButtonsScreenChanged, "options;"},
                      ActionCase{kButtonHide, 0, false, kButtonsScreenChanged, ""},
                      // Outside the game there is no next-choice button: a click there
                      // is a click beside the buttons.
                      ActionCase{kButtonNextChoice, 0, false, kButtonsAdvance, "", false},
                      ActionCase{0, InputLogBack, false, kButtonsScreenChanged, "backlog;"},
                      ActionCase{0, InputLoadScreen, false, kButtonsScreenChanged, "load;"},
                      ActionCase{0, InputSaveScreen, false, kButtonsScreenChanged, "save;"},
                      ActionCase{0, InputLoadScreen, false, kButtonsNothing, "", false},
                      ActionCase{0, InputSaveScreen, false, kButtonsNothing, "", false},
                      ActionCase{0, InputLogForward, false, kButtonsAdvance, ""},
                      ActionCase{0, InputCancel, false, kButtonsScreenChanged, ""},
                      ActionCase{0, InputVoice, false, kButtonsNothing, "voice;"}));

TEST_F(WindowButtonsTest, ThePointerLightsOneButtonShowsItsCaptionAndSpeaksItsGuideOnce) {
  EXPECT_EQ(guideVoicePath(rt->media.content, 2, 16), "wav\\gv_sou_16.wav");
  EXPECT_EQ(guideVoicePath(rt->media.content, 6, 1), "");
  std::filesystem::create_directories(dir_ / "wav");
  tools::AudioBuffer tone;
  tone.samples.assign(4410, 0.25f);
  rt->media.settings.voice.guideNo = 1;
  writeBytes("wav/gv_rin_01.wav", tools::writePcmWave(tone));
  writeBytes("wav/gv_rin_06.wav", tools::writePcmWave(tone));
  ASSERT_TRUE(rt->sound().openDevice());
  SoundChannel& voice = *rt->sound().channel(SoundService::kInterfaceChannel);
  showButtons();
  const Sprite& caption = layer(kButtonCaptionSlot);

  EXPECT_EQ(pass(buttonX(kButtonLog), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 1);
  EXPECT_EQ(buttonState(rt->scene, kButtonSkip), 0);
  EXPECT_EQ(layer(kButtonSlotBase + kButtonLog).currentFrame(), 1);
  EXPECT_TRUE(caption.visible());
  EXPECT_EQ(caption.currentFrame(), 0);
  EXPECT_EQ(voice.cachedName(), "wav\\gv_rin_01.wav");
  EXPECT_TRUE(voice.isPlaying());
  EXPECT_EQ(voice.volumeLevel(), rt->media.settings.volume.se);

  voice.stop();  // staying on the button says nothing new
  EXPECT_EQ(pass(buttonX(kButtonLog) + 5, kButtonY), kButtonsNothing);
  EXPECT_FALSE(voice.isPlaying());

  EXPECT_EQ(pass(buttonX(kButtonSkip), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 0);
  EXPECT_EQ(caption.currentFrame(), kButtonSkip - 1);
  EXPECT_EQ(voice.cachedName(), "wav\\gv_rin_06.wav");

  EXPECT_EQ(pass(400, 300), kButtonsPointerMoved);
  EXPECT_FALSE(caption.visible());
  EXPECT_EQ(buttonState(rt->scene, kButtonSkip), 0);

  // Captions and voices off: the button still lights, silently and without caption.
  rt->media.settings.window.guide = rt->media.settings.voice.guide = false;
  voice.stop();
  EXPECT_EQ(pass(buttonX(kButtonLog), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 1);
  EXPECT_FALSE(caption.visible() || voice.isPlaying());

  // A disabled button (no last choice to return to) never lights or acts.
  ASSERT_EQ(buttonState(rt->scene, kButtonPrevChoice), -1);
  EXPECT_EQ(pass(buttonX(kButtonPrevChoice), kButtonY, InputDecide), kButtonsAdvance);
  EXPECT_EQ(buttonState(rt->scene, kButtonPrevChoice), -1);
  EXPECT_FALSE(sc().prevChoicePending);
  EXPECT_TRUE(messages().empty());
}

TEST_F(WindowButtonsTest, InAChoiceTheNextChoiceButtonIsGoneAndARunningJumpEnds) {
  showButtons();
  sc().fastForward = true;
  EXPECT_NE(handleWindowButtons(sc(), true), kButtonsAdvance);
  EXPECT_FALSE(layer(kButtonSlotBase + kButtonNextChoice).visible());
  EXPECT_FALSE(sc().fastForward);
}

struct DragCase {
  int mode;              // Window/Drag
  int dx, dy;            // pointer travel between press and release
  bool click;            // the release counts as a click
  int windowX, windowY;  // where the window ends up
};

class DragTest : public WindowButtonsTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragTest, PressingTheBoardDragsTheWindowOrClicks) {
  const DragCase& c = GetParam();
  rt->media.settings.window.drag = c.mode;
  showButtons("window 2 20 410 0 0 0 0 5 1 NULL 0 0\r\n");
  layer(kKeyWaitSlot).makeBox(8, 8);
  layer(kKeyWaitSlot).setPosition(600, 560);
  InputState& in = rt->story.input;
  sc().mouseX = 400;  // on the board, beside the buttons
  sc().mouseY = 580;
  in.press(InputDecide);
  int r = handleWindowButtons(sc(), false);
  if (c.mode == 0) {
    EXPECT_EQ(r, kButtonsAdvance);  // a window that cannot move takes a plain click
    return;
  }
  EXPECT_EQ(in.pressed, 0u) << "the press belongs to the drag";
  sc().mouseX += c.dx;
  sc().mouseY += c.dy;
  handleWindowButtons(sc(), false);
  in.release(InputDecide);
  EXPECT_EQ(handleWindowButtons(sc(), false), c.click ? kButtonsAdvance : kButtonsNothing);
  const int mx = c.windowX, my = c.windowY - 450;
  EXPECT_EQ(state().windowX, c.windowX);
  EXPECT_EQ(state().windowY, c.windowY);
  EXPECT_EQ(layer(kWindowPictureSlot).y(), 450 + my);
  EXPECT_EQ(layer(kButtonSlotBase + kButtonLog).x(), 188 + mx);
  EXPECT_EQ(layer(kKeyWaitSlot).x(), 600 + mx);  // once, with the window
  EXPECT_EQ(state().namePlateY, 410 + my);
  if (c.click) in.consumePresses();  // as the wait does
  EXPECT_EQ(handleWindowButtons(sc(), false), kButtonsNothing) << "no click left over";
}

INSTANTIATE_TEST_SUITE_P(Drags, DragTest,
                         ::testing::Values(DragCase{1, 30, -40, false, 30, 410}, DragCase{1, 4, 0, false, 4, 450},
                                           DragCase{1, 0, -4, false, 0, 446}, DragCase{1, 3, 3, true, 0, 450},
                                           DragCase{1, -3, -2, true, 0, 450}, DragCase{2, 30, -40, false, 0, 410},
                                           DragCase{0, 30, -40, false, 0, 450}));

TEST_F(WindowButtonsTest, AHiddenWindowComesBackOnClickRightClickOrASecondRequest) {
  showButtons();
  for (std::uint32_t input : {std::uint32_t(InputDecide), std::uint32_t(InputCancel), 0u}) {
    requestHideWindow(sc());
    EXPECT_EQ(pass(400, 300), kButtonsScreenChanged);
    EXPECT_EQ(pass(400, 300), kButtonsNothing);  // stays hidden by itself
    ASSERT_FALSE(windowActive());
    if (input == 0) requestHideWindow(sc());
    EXPECT_EQ(pass(400, 300, input), kButtonsScreenChanged) << input;
    EXPECT_TRUE(windowActive());
    EXPECT_EQ(rt->story.input.pressed, 0u) << "the click only showed the window";
  }
}

TEST_F(WindowButtonsTest, PendingRequestsAreCarriedOutOneAtATimeAndOnlyWithTheirSave) {
  showButtons();
  calls.answer = true;
  requestQuickSave(sc());
  requestQuickLoad(sc());  // no "Save800.dat": dropped
  requestLastChoice(sc());  // no "Save900.dat": dropped
  writeBytes("Save800.dat", {1});
  requestQuickLoad(sc());
  EXPECT_EQ(processRequests(sc()), kButtonsGameLoaded);
  EXPECT_EQ(processRequests(sc()), kButtonsNothing);
  EXPECT_EQ(calls.log, "qload;qsave;");
  EXPECT_FALSE(sc().quickSavePending || sc().quickLoadPending || sc().prevChoicePending);
}

TEST_F(WindowButtonsTest, DuringAPageTheWheelHomeAndTheSkipButtonReachTheirActions) {
  rt->installSound(std::make_unique<RecordingSound>(calls));
  setInput("wait 100\nwheel 1\nwait 100\nkey pageup\nwait 100\nkey home\nwait 100\nwheel -1\nwait 100\nclick " +
           std::to_string(buttonX(kButtonSkip)) + " " + std::to_string(kButtonY) + "\n");
  load(windowLine() + "一頁\r\n二頁\r\n");
  step();
  step();
  // The page's own voice, the wheel and Page Up, Home's voice.
  EXPECT_EQ(calls.log, "voice;backlog;backlog;voice;");
  EXPECT_FALSE(skipMode(*rt)) << "the wheel towards the player turned the page";
  step();
  EXPECT_TRUE(skipMode(*rt)) << "the skip button ended the second page and stays on";
  EXPECT_TRUE(messages().empty());
}

TEST_F(WindowButtonsTest, TextBeforeAnyWindowCommandStopsTheStory) {
  load("頁\r\nF1=1\r\n");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(messages(), std::vector<std::string>{"window が定義されていません"});
  EXPECT_EQ(state().flags[1], 0);
}

}  // namespace
}  // namespace ml::test
