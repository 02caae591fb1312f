#include <cmath>

#include "engine/guide_voices.h"
#include "media/sound/sound_channel.h"
#include "message_fixture.h"
#include "scene/window_buttons.h"
#include "tools/common/bmp_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::test {
namespace {

// What the screens and the saves were asked to do, and what they answer.
struct Calls {
  std::string log;
  bool backlogRewinds = false;
  bool loadScreenLoads = false;
  int loadAnswer = 0;  // quick load and the return to the last choice
};

class RecordingScreens : public SystemScreens {
 public:
  explicit RecordingScreens(Calls& c) : c_(c) {}
  bool runSaveScreen(ScriptContext&, bool loadMode) override {
    c_.log += loadMode ? "load;" : "save;";
    return loadMode && c_.loadScreenLoads;
  }
  bool runBacklog(ScriptContext&) override {
    c_.log += "backlog;";
    return c_.backlogRewinds;
  }
  bool runOptionScreen(ScriptContext&) override {
    c_.log += "options;";
    return false;
  }

 private:
  Calls& c_;
};

class RecordingSaves : public SaveService {
 public:
  explicit RecordingSaves(Calls& c) : c_(c) {}
  int quickSave(ScriptContext&) override {
    c_.log += "qsave;";
    return 0;
  }
  int quickLoad(ScriptContext&) override {
    c_.log += "qload;";
    return c_.loadAnswer;
  }
  int returnToLastChoice(ScriptContext&) override {
    c_.log += "last;";
    return c_.loadAnswer;
  }
  void updateSystemSave() override {}
  void debugAutoSave(ScriptContext&) override {}
  void saveLastChoice(ScriptContext&) override {}

 private:
  Calls& c_;
};

// Counts the page voices played.
struct CountingSound : SoundService {
  int* count;
  explicit CountingSound(int* c) : count(c) {}
  bool openDevice() override { return true; }
  void stopChannel(int) override {}
  void stopAllChannels() override {}
  void serviceChannels() override {}
  void playPageVoice(ScriptContext&, bool, const BacklogEntry*, bool) override { ++*count; }
  bool voicePlaying() override { return false; }
  void restartRecordedSounds(ScriptContext&) override {}
};

// Where the fixture's button pictures put each button: a 30 x 30 block at this x on a
// 400 x 30 canvas loaded at (188, 489).
int buttonLeft(int m) {
  switch (m) {
    case kButtonLog: return 0;
    case kButtonPrevChoice: return 40;
    case kButtonNextChoice: return 80;
    case kButtonSkip: return 120;
    case kButtonAuto: return 160;
    case kButtonOption: return 200;
    case kButtonLoad: return 240;
    case kButtonSave: return 280;
    default: return 320;  // hide
  }
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
  void showButtons(bool withLastChoice = false) {
    if (withLastChoice) writeBytes("Save900.dat", {1});
    load(windowLine() + "頁\r\n");
    step();
    showWindowButtons(sc());
  }

  // One pass of the buttons with the pointer at (x, y) after a click (press and
  // release between two polls) of the given input buttons.
  int pass(int x, int y, std::uint32_t clicked = 0) {
    sc().mouseX = x;
    sc().mouseY = y;
    if (clicked != 0) {
      rt->story.input.press(clicked);
      rt->story.input.release(clicked);
    }
    return handleWindowButtons(sc(), false);
  }
  int clickButton(int m) { return pass(buttonX(m), kButtonY, InputDecide); }

  bool windowActive() const { return rt->story.switches.messageWindowActive; }

  Calls calls;
};

struct ButtonCase {
  int button;
  bool answer;  // what the screen or save seam answers (rewound, loaded)
  int result;
  const char* calls;
};

class ButtonActionTest : public WindowButtonsTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonActionTest, ClickingAButtonCarriesOutItsActionAndAnswersTheWait) {
  const ButtonCase& c = GetParam();
  calls.backlogRewinds = calls.loadScreenLoads = c.answer;
  calls.loadAnswer = c.answer ? 1 : 0;
  showButtons(c.button == kButtonPrevChoice);
  EXPECT_EQ(clickButton(c.button), c.result);
  EXPECT_EQ(calls.log, c.calls);
  EXPECT_EQ(rt->story.input.pressed, 0u) << "a click on a button is used up";
  EXPECT_EQ(skipMode(*rt), c.button == kButtonSkip);
  EXPECT_EQ(autoMode(*rt), c.button == kButtonAuto);
  EXPECT_EQ(sc().fastForward, c.button == kButtonNextChoice);
  EXPECT_EQ(windowActive(), c.button != kButtonHide);
  // The jump shows its indicator; a return shows its own while it loads, and takes it
  // away again when nothing was loaded.
  const bool indicator = c.button == kButtonNextChoice || (c.button == kButtonPrevChoice && c.answer);
  EXPECT_EQ(layer(kModeIndicatorSlot).hasPicture(), indicator);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ButtonActionTest,
    ::testing::Values(ButtonCase{kButtonLog, false, kButtonsScreenChanged, "backlog;"},
                      ButtonCase{kButtonLog, true, kButtonsRewound, "backlog;"},
                      ButtonCase{kButtonLoad, false, kButtonsScreenChanged, "load;"},
                      ButtonCase{kButtonLoad, true, kButtonsGameLoaded, "load;"},
                      ButtonCase{kButtonSave, false, kButtonsScreenChanged, "save;"},
                      ButtonCase{kButtonPrevChoice, true, kButtonsGameLoaded, "last;"},
                      // Nothing loaded: what is left is the pointer's arrival on the button.
                      ButtonCase{kButtonPrevChoice, false, kButtonsPointerMoved, "last;"},
                      ButtonCase{kButtonNextChoice, false, kButtonsAdvance, ""},
                      ButtonCase{kButtonSkip, false, kButtonsAdvance, ""},
                      ButtonCase{kButtonAuto, false, kButtonsAdvance, ""},
                      ButtonCase{kButtonOption, false, kButtonsScreenChanged, "options;"},
                      ButtonCase{kButtonHide, false, kButtonsScreenChanged, ""}));

struct KeyCase {
  std::uint32_t input;
  bool mainGame;
  int result;
  const char* calls;
  int voices;  // page voices said again
};

class ButtonKeyTest : public WindowButtonsTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ButtonKeyTest, KeysAndTheWheelReachTheirActions) {
  const KeyCase& c = GetParam();
  int voices = 0;
  rt->installSound(std::make_unique<CountingSound>(&voices));
  showButtons();
  if (!c.mainGame) {
    sc().mainGame = false;
    showWindowButtons(sc());
  }
  EXPECT_EQ(pass(400, 300, c.input), c.result);
  EXPECT_EQ(calls.log, c.calls);
  EXPECT_EQ(voices, c.voices);
  EXPECT_EQ(windowActive(), c.input != InputCancel);
  EXPECT_EQ(rt->story.input.pressed, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ButtonKeyTest,
    ::testing::Values(KeyCase{InputLogBack, true, kButtonsScreenChanged, "backlog;", 0},
                      KeyCase{InputLoadScreen, true, kButtonsScreenChanged, "load;", 0},
                      KeyCase{InputSaveScreen, true, kButtonsScreenChanged, "save;", 0},
                      // Outside the game the load and save screens are not offered.
                      KeyCase{InputLoadScreen, false, kButtonsNothing, "", 0},
                      KeyCase{InputSaveScreen, false, kButtonsNothing, "", 0},
                      KeyCase{InputLogForward, true, kButtonsAdvance, "", 0},
                      KeyCase{InputCancel, true, kButtonsScreenChanged, "", 0},
                      KeyCase{InputVoice, true, kButtonsNothing, "", 1}));

TEST_F(WindowButtonsTest, ThePointerLightsOneButtonShowsItsCaptionAndSpeaksItsGuideOnce) {
  EXPECT_EQ(guideVoicePath(0, 3), "wav\\gv_aoi_03.wav");
  EXPECT_EQ(guideVoicePath(2, 16), "wav\\gv_sou_16.wav");
  EXPECT_EQ(guideVoicePath(6, 1), "");
  EXPECT_EQ(guideVoicePath(0, 17), "");

  std::filesystem::create_directories(dir_ / "wav");
  tools::AudioBuffer tone;
  tone.channels = 2;
  for (int i = 0; i < 4410; ++i) {
    const float v = 0.3f * std::sin(float(i) * 0.1f);
    tone.samples.push_back(v);
    tone.samples.push_back(v);
  }
  rt->media.settings.voice.guideNo = 1;
  writeBytes("wav/gv_rin_01.wav", tools::writePcmWave(tone));
  writeBytes("wav/gv_rin_06.wav", tools::writePcmWave(tone));
  ASSERT_TRUE(rt->sound().openDevice());
  SoundChannel* interface = rt->sound().channel(SoundService::kInterfaceChannel);
  ASSERT_NE(interface, nullptr);
  showButtons();
  const Sprite& caption = layer(kButtonCaptionSlot);

  EXPECT_EQ(pass(buttonX(kButtonLog), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 1);
  for (int m : {kButtonSkip, kButtonAuto, kButtonNextChoice, kButtonHide}) EXPECT_EQ(buttonState(rt->scene, m), 0);
  EXPECT_EQ(layer(kButtonSlotBase + kButtonLog).currentFrame(), 1);
  EXPECT_TRUE(caption.visible());
  EXPECT_EQ(caption.currentFrame(), 0);
  EXPECT_EQ(interface->cachedName(), "wav\\gv_rin_01.wav");
  EXPECT_TRUE(interface->isPlaying());
  EXPECT_EQ(interface->volumeLevel(), rt->media.settings.volume.se);

  // Staying on the button: nothing new to say or redraw.
  interface->stop();
  EXPECT_EQ(pass(buttonX(kButtonLog) + 5, kButtonY), kButtonsNothing);
  EXPECT_FALSE(interface->isPlaying());

  EXPECT_EQ(pass(buttonX(kButtonSkip), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 0);
  EXPECT_EQ(buttonState(rt->scene, kButtonSkip), 1);
  EXPECT_EQ(caption.currentFrame(), kButtonSkip - 1);
  EXPECT_EQ(interface->cachedName(), "wav\\gv_rin_06.wav");

  // Off every button: the caption goes, and so does the light.
  EXPECT_EQ(pass(400, 300), kButtonsPointerMoved);
  EXPECT_FALSE(caption.visible());
  EXPECT_EQ(buttonState(rt->scene, kButtonSkip), 0);

  // Captions and voices off: the button still lights, silently and without caption.
  rt->media.settings.window.guide = false;
  rt->media.settings.voice.guide = false;
  interface->stop();
  EXPECT_EQ(pass(buttonX(kButtonLog), kButtonY), kButtonsPointerMoved);
  EXPECT_EQ(buttonState(rt->scene, kButtonLog), 1);
  EXPECT_FALSE(caption.visible());
  EXPECT_FALSE(interface->isPlaying());
  EXPECT_TRUE(messages().empty());
}

TEST_F(WindowButtonsTest, DisabledButtonsNeverReact) {
  showButtons();  // no last choice saved: its button is disabled and hidden
  ASSERT_EQ(buttonState(rt->scene, kButtonPrevChoice), -1);
  EXPECT_EQ(pass(buttonX(kButtonPrevChoice), kButtonY), kButtonsNothing);
  EXPECT_EQ(buttonState(rt->scene, kButtonPrevChoice), -1);
  EXPECT_FALSE(layer(kButtonCaptionSlot).visible());
  // A click there is a click beside the buttons: the page goes on, nothing returns.
  EXPECT_EQ(clickButton(kButtonPrevChoice), kButtonsAdvance);
  EXPECT_EQ(calls.log, "");
  EXPECT_FALSE(sc().prevChoicePending);

  // Outside the game the choice buttons are not there at all, nor the save screens.
  sc().mainGame = false;
  showWindowButtons(sc());
  for (int m : {kButtonPrevChoice, kButtonNextChoice, kButtonLoad, kButtonSave}) {
    EXPECT_EQ(buttonState(rt->scene, m), -1) << m;
    EXPECT_TRUE(layer(kButtonSlotBase + m).empty()) << m;
  }
  EXPECT_EQ(clickButton(kButtonNextChoice), kButtonsAdvance);
  EXPECT_FALSE(sc().fastForward);
}

TEST_F(WindowButtonsTest, InAChoiceTheNextChoiceButtonIsGoneAndARunningJumpEnds) {
  showButtons();
  sc().fastForward = true;
  EXPECT_NE(handleWindowButtons(sc(), true), kButtonsAdvance);
  EXPECT_FALSE(layer(kButtonSlotBase + kButtonNextChoice).visible());
  EXPECT_FALSE(sc().fastForward);
  // Where the button was is now beside the buttons: the click starts no jump.
  sc().mouseX = buttonX(kButtonNextChoice);
  sc().mouseY = kButtonY;
  rt->story.input.press(InputDecide);
  rt->story.input.release(InputDecide);
  EXPECT_EQ(handleWindowButtons(sc(), true), kButtonsAdvance);
  EXPECT_FALSE(sc().fastForward);
}

struct DragCase {
  int mode;       // Window/Drag
  int dx, dy;     // pointer travel between press and release
  bool click;     // the release counts as a click
  int windowX, windowY;  // where the window ends up
};

class DragTest : public WindowButtonsTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragTest, PressingTheBoardDragsTheWindowOrClicks) {
  const DragCase& c = GetParam();
  rt->media.settings.window.drag = c.mode;
  load(windowLine() + "window 2 20 410 0 0 0 0 5 1 NULL 0 0\r\n頁\r\n");
  step();
  step();
  showWindowButtons(sc());
  layer(kKeyWaitSlot).makeBox(8, 8);
  layer(kKeyWaitSlot).setPosition(600, 560);
  // The window is pressed beside its buttons and dragged.
  InputState& in = rt->story.input;
  sc().mouseX = 400;
  sc().mouseY = 580;
  in.press(InputDecide);
  int r = handleWindowButtons(sc(), false);
  if (c.mode == 0) {
    EXPECT_EQ(r, kButtonsAdvance);  // a window that cannot move takes a plain click
    return;
  }
  EXPECT_EQ(r, kButtonsNothing);
  EXPECT_EQ(in.pressed, 0u) << "the press belongs to the drag";
  sc().mouseX = 400 + c.dx;
  sc().mouseY = 580 + c.dy;
  handleWindowButtons(sc(), false);
  in.release(InputDecide);
  r = handleWindowButtons(sc(), false);
  EXPECT_EQ(r, c.click ? kButtonsAdvance : kButtonsNothing);
  EXPECT_EQ(state().windowX, c.windowX);
  EXPECT_EQ(state().windowY, c.windowY);
  const int mx = c.windowX, my = c.windowY - 450;
  EXPECT_EQ(layer(kWindowPictureSlot).x(), mx);
  EXPECT_EQ(layer(kWindowPictureSlot).y(), 450 + my);
  EXPECT_EQ(layer(kButtonSlotBase + kButtonLog).x(), 188 + mx);
  EXPECT_EQ(layer(kButtonSlotBase + kButtonLog).y(), 489 + my);
  EXPECT_EQ(layer(kKeyWaitSlot).x(), 600 + mx);  // once, with the window
  EXPECT_EQ(layer(kKeyWaitSlot).y(), 560 + my);
  EXPECT_EQ(state().namePlateX, 20 + mx);
  EXPECT_EQ(state().namePlateY, 410 + my);
  // The next pass sees no click left over from the drag (the wait uses up a click).
  if (c.click) in.consumePresses();
  EXPECT_EQ(handleWindowButtons(sc(), false), kButtonsNothing);
}

INSTANTIATE_TEST_SUITE_P(Drags, DragTest,
                         ::testing::Values(DragCase{1, 30, -40, false, 30, 410},
                                           DragCase{1, 4, 0, false, 4, 450},
                                           DragCase{1, 0, -4, false, 0, 446},
                                           DragCase{1, 3, 3, true, 0, 450},
                                           DragCase{1, -3, -2, true, 0, 450},
                                           DragCase{2, 30, -40, false, 0, 410},
                                           DragCase{0, 30, -40, false, 0, 450}));

TEST_F(WindowButtonsTest, AHiddenWindowComesBackOnClickRightClickOrASecondRequest) {
  showButtons();
  for (std::uint32_t input : {std::uint32_t(InputDecide), std::uint32_t(InputCancel), 0u}) {
    requestHideWindow(sc());
    EXPECT_EQ(pass(400, 300), kButtonsScreenChanged);
    ASSERT_FALSE(windowActive());
    EXPECT_FALSE(layer(kWindowPictureSlot).visible());
    EXPECT_EQ(pass(400, 300), kButtonsNothing);  // stays hidden by itself
    if (input == 0) requestHideWindow(sc());
    EXPECT_EQ(pass(400, 300, input), kButtonsScreenChanged) << input;
    EXPECT_TRUE(windowActive());
    EXPECT_TRUE(layer(kWindowPictureSlot).visible());
    EXPECT_EQ(rt->story.input.pressed, 0u) << "the click only showed the window";
  }
}

TEST_F(WindowButtonsTest, PendingRequestsAreCarriedOutOneAtATime) {
  showButtons();
  calls.loadAnswer = 1;
  sc().quickSavePending = true;
  sc().quickLoadPending = true;
  EXPECT_EQ(processRequests(sc()), kButtonsGameLoaded);
  EXPECT_EQ(calls.log, "qload;");
  EXPECT_EQ(processRequests(sc()), kButtonsNothing);
  EXPECT_EQ(calls.log, "qload;qsave;");
  EXPECT_FALSE(sc().quickSavePending || sc().quickLoadPending);

  // Requests whose save is missing are dropped when raised.
  requestQuickLoad(sc());
  requestLastChoice(sc());
  EXPECT_FALSE(sc().quickLoadPending || sc().prevChoicePending);
  writeBytes("Save800.dat", {1});
  requestQuickLoad(sc());
  EXPECT_TRUE(sc().quickLoadPending);
  calls.loadAnswer = 0;
  EXPECT_EQ(processRequests(sc()), kButtonsNothing);
}

TEST_F(WindowButtonsTest, DuringAPageTheWheelHomeAndTheSkipButtonReachTheirActions) {
  int voices = 0;
  rt->installSound(std::make_unique<CountingSound>(&voices));
  setInput("wait 100\nwheel 1\nwait 100\nkey pageup\nwait 100\nkey home\nwait 100\nwheel -1\n"
           "wait 100\nclick " + std::to_string(buttonX(kButtonSkip)) + " " + std::to_string(kButtonY) + "\n");
  load(windowLine() + "一頁\r\n二頁\r\n");
  step();
  step();
  EXPECT_EQ(calls.log, "backlog;backlog;");
  EXPECT_EQ(voices, 2);  // the page's own, and Home's
  EXPECT_TRUE(sc().newPage);
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
