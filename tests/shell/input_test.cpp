// Keys, mouse and wheel into the input buttons; shortcuts, debug letters, Alt+Enter
// and the right-click rule.
#include <gtest/gtest.h>

#include "engine/input_state.h"
#include "engine/poll.h"
#include "shell_fixture.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

KeyEvent key(Key k, bool shift = false, bool alt = false) {
  KeyEvent e;
  e.key = k;
  e.shift = shift;
  e.alt = alt;
  return e;
}

KeyEvent letter(char c, bool alt = false) {
  KeyEvent e;
  e.letter = c;
  e.alt = alt;
  return e;
}

TEST(InputMapping, EveryKeyPressesAndReleasesItsOwnButton) {
  HeadlessGame g;
  Application& a = g.start();
  InputState& in = a.runtime().story.input;
  const std::pair<Key, std::uint32_t> map[] = {
      {Key::Enter, InputDecide},        {Key::Space, InputDecide},  {Key::Escape, InputCancel},
      {Key::PageUp, InputLogBack},      {Key::PageDown, InputLogForward}, {Key::Home, InputVoice},
      {Key::Left, InputLeft},           {Key::Up, InputUp},         {Key::Right, InputRight},
      {Key::Down, InputDown},           {Key::F1, InputLoadScreen}, {Key::F2, InputSaveScreen},
  };
  for (auto [k, bit] : map) {
    in = InputState{};
    in.press(InputSkip);  // another held button must survive
    a.input().keyDown(key(k));
    EXPECT_EQ(in.held, bit | InputSkip) << static_cast<int>(k);
    EXPECT_EQ(in.pressed, bit | InputSkip);
    a.input().keyUp(key(k));
    EXPECT_EQ(in.held, std::uint32_t{InputSkip}) << static_cast<int>(k);
    EXPECT_EQ(in.pressed, bit | InputSkip);  // the press stays until consumed
  }
  in = InputState{};
  a.input().keyDown(letter('Q'));
  a.input().keyUp(letter('Q'));
  EXPECT_EQ(in.held | in.pressed, 0u);
}

TEST(InputMapping, MouseButtonsWheelAndPosition) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  InputState& in = rt.story.input;
  a.input().mouseMove(123, 456);
  EXPECT_EQ(rt.story.input.mouseX, 123);
  EXPECT_EQ(rt.story.input.mouseY, 456);
  a.input().mouseButton(MouseButton::Left, true);
  EXPECT_TRUE(in.isHeld(InputDecide));
  a.input().mouseButton(MouseButton::Middle, true);
  a.input().mouseButton(MouseButton::Left, false);
  EXPECT_EQ(in.held, std::uint32_t{InputVoice});
  a.input().mouseButton(MouseButton::Middle, false);
  EXPECT_EQ(in.held, 0u);
  in = InputState{};
  a.input().wheel(2);
  EXPECT_EQ(in.pressed, std::uint32_t{InputLogBack});
  a.input().wheel(-1);
  EXPECT_EQ(in.pressed, std::uint32_t{InputLogBack | InputLogForward});
  // Right button down does nothing by itself.
  in = InputState{};
  a.input().mouseButton(MouseButton::Right, true);
  EXPECT_EQ(in.held | in.pressed, 0u);
}

TEST(InputMapping, RightClickOpensThePopupOnlyWhileAPageWaits) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  auto rightClick = [&] {
    rt.story.input = InputState{};
    a.input().mouseButton(MouseButton::Right, true);
    a.input().mouseButton(MouseButton::Right, false);
  };
  // No page waits: a plain cancel, released at once.
  rightClick();
  EXPECT_EQ(rt.story.input.pressed, std::uint32_t{InputCancel});
  EXPECT_EQ(rt.story.input.held, 0u);
  EXPECT_EQ(g.platform.popupOpens(), 0);

  rt.story.script->waitingForClick = true;
  rightClick();
  EXPECT_EQ(rt.story.input.pressed, 0u);
  EXPECT_EQ(g.platform.popupOpens(), 1);
  EXPECT_EQ(g.platform.openPopup(), &a.menus().popupMenu());

  for (int blocker = 0; blocker < 3; ++blocker) {
    rt.media.settings.key.context = blocker != 0;
    rt.story.switches.backlogOpen = blocker == 1;
    rt.story.switches.saveScreenOpen = blocker == 2;
    rightClick();
    EXPECT_EQ(rt.story.input.pressed, std::uint32_t{InputCancel}) << blocker;
    EXPECT_EQ(g.platform.popupOpens(), 1) << blocker;
  }
}

TEST(InputMapping, ShortcutsUseTheKeyAndRespectEnabling) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  // Shift+Down is the next-choice shortcut: disabled at start, the key is still used up.
  a.input().keyDown(key(Key::Down, true));
  EXPECT_FALSE(rt.story.script->fastForward);
  EXPECT_EQ(rt.story.input.pressed, 0u);
  a.menus().setQuickItems(true);
  a.input().keyDown(key(Key::Down, true));
  EXPECT_TRUE(rt.story.script->fastForward);
  a.input().keyDown(key(Key::F2, true));
  EXPECT_TRUE(rt.story.script->quickSavePending);
  EXPECT_EQ(rt.story.input.pressed, 0u);
  // Shift+F1 loads only when the quick save exists.
  a.input().keyDown(key(Key::F1, true));
  EXPECT_FALSE(rt.story.script->quickLoadPending);
  g.dir.write("Save800.dat", "x");
  a.input().keyDown(key(Key::F1, true));
  EXPECT_TRUE(rt.story.script->quickLoadPending);
  // Plain F1 is the load screen button.
  a.input().keyDown(key(Key::F1));
  EXPECT_TRUE(rt.story.input.isPressed(InputLoadScreen));
}

TEST(InputMapping, AltF4AsksTheExitQuestion) {
  HeadlessGame g;
  Application& a = g.start();
  a.input().keyDown(key(Key::F4, false, true));
  EXPECT_TRUE(g.reported("本当に終了してもよろしいですか？ -> No"));
  EXPECT_FALSE(a.windowClosed());
  g.platform.queueBoxAnswer(BoxAnswer::Yes);
  a.input().keyDown(key(Key::F4, false, true));
  EXPECT_TRUE(a.windowClosed());
  EXPECT_TRUE(a.runtime().requests().quitRequested);
  EXPECT_TRUE(g.dir.exists("SaveXXX.dat"));
}

TEST(InputMapping, AltEnterTogglesScreenModeOnly) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  a.input().keyDown(key(Key::Enter, false, true));
  EXPECT_FALSE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnFull16").checked);
  EXPECT_FALSE(a.menus().item("MnWindow").checked);
  EXPECT_TRUE(rt.requests().altEnterUsed);
  // Switching the screen does not also advance a page.
  EXPECT_FALSE(rt.story.input.isPressed(InputDecide));
  a.input().keyDown(key(Key::Enter, false, true));
  EXPECT_TRUE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnWindow").checked);
}

TEST(InputMapping, DeactivationGivesTheDesktopBackInFullScreen) {
  HeadlessGame g;
  Application& a = g.start();
  a.input().activationChanged(false);
  EXPECT_TRUE(g.platform.windowed());  // windowed: nothing to do
  a.applyScreenMode(false, true);
  a.input().activationChanged(false);
  EXPECT_TRUE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnFull16").checked);  // check marks untouched
  a.input().activationChanged(true);
  EXPECT_FALSE(g.platform.windowed());
}

TEST(InputMapping, DebugLettersOnlyInDebugMode) {
  {
    HeadlessGame g;
    Application& a = g.start();
    a.input().keyDown(letter('T'));
    a.input().keyDown(letter('N'));
    a.input().keyDown(letter('C'));
    EXPECT_FALSE(g.reported("タイトル画面に戻りますか"));
    EXPECT_FALSE(a.runtime().story.script->fastForward);
    EXPECT_TRUE(g.platform.clipboard().empty());
  }
  {
    HeadlessGame g(true);
    Application& a = g.start();
    a.input().keyDown(letter('T'));
    EXPECT_TRUE(g.reported("MessageBox: [確認] タイトル画面に戻りますか？ -> No"));
    a.input().keyDown(letter('N'));  // the handler runs even while the item is disabled
    EXPECT_TRUE(a.runtime().story.script->fastForward);
    a.input().keyDown(letter('D'));
    EXPECT_TRUE(g.platform.lastDebugForm().has_value());
    a.input().keyDown(letter('C', true));  // Alt+C: the menu shortcut copies once
    EXPECT_NE(g.platform.clipboard().find("(1)\r\n"), std::string::npos);
  }
}

TEST(InputMapping, DroppedFilesShowOnlyInDebugMode) {
  // 2x1, 24 bits; the other picture is a 3x3 PSD, named so that its ending is not .bmp.
  const std::vector<std::uint8_t> psdBytes =
      tools::writeFlatPsd(tools::RgbaImage(3, 3, 1, 2, 3, 255), tools::PsdCompression::Raw);
  const std::string psd(psdBytes.begin(), psdBytes.end());
  std::string bmp("BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 30);
  bmp += std::string(24, '\0') + std::string("\x10\x20\x30\x40\x50\x60\0\0", 8);
  auto dropBoth = [](HeadlessGame& g) {
    InputScript s;
    std::string error;
    EXPECT_TRUE(s.parse("drop " + g.dir.file("drop/a.Bmp") + " " + g.dir.file("drop/b.bmp.psd") + " " +
                            g.dir.file("drop/v.WAV") + "\n",
                        error))
        << error;
    g.platform.setInputScript(std::move(s));
    g.platform.processMessages();
  };
  {
    HeadlessGame g(true);
    g.dir.write("drop/a.Bmp", bmp);
    g.dir.write("drop/b.bmp.psd", psd);
    g.dir.write("drop/v.WAV", "RIFF");
    Application& a = g.start();
    EXPECT_TRUE(g.platform.acceptsDroppedFiles());
    dropBoth(g);
    Runtime& rt = a.runtime();
    EXPECT_TRUE(rt.scene.layers[0].hasPicture());   // ".Bmp": the background
    EXPECT_TRUE(rt.scene.layers[10].hasPicture());  // any other ending: sprite 1
    EXPECT_EQ(rt.scene.layers[0].width(), 2);
    EXPECT_EQ(rt.scene.layers[10].width(), 3);
  }
  {
    HeadlessGame g;
    g.dir.write("drop/a.Bmp", bmp);
    g.dir.write("drop/b.bmp.psd", psd);
    Application& a = g.start();
    EXPECT_FALSE(g.platform.acceptsDroppedFiles());
    dropBoth(g);
    EXPECT_FALSE(a.runtime().scene.layers[0].hasPicture());
    EXPECT_FALSE(a.runtime().scene.layers[10].hasPicture());
    // Even handed on directly, outside debug mode a drop does nothing.
    a.input().filesDropped({g.dir.file("drop/a.Bmp")});
    EXPECT_FALSE(a.runtime().scene.layers[0].hasPicture());
  }
}

}  // namespace
}  // namespace ml::test

namespace ml::test {
namespace {

// The engine's poll reads what the shell delivers: the Ctrl key (held: skip), the wheel
// presses it releases every time, and the mouse in game-area coordinates.
TEST(InputPoll, CtrlWheelAndMouseThroughThePoll) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("move 640 480\nwheel 1\nctrl down\n", err));
  g.platform.setInputScript(s);
  ASSERT_TRUE(poll(*rt.story.script));
  EXPECT_TRUE(rt.story.input.isHeld(InputSkip));
  EXPECT_TRUE(rt.story.input.isPressed(InputLogBack));
  EXPECT_FALSE(rt.story.input.isHeld(InputLogBack));  // released by the same poll
  EXPECT_EQ(rt.story.script->mouseX, 640);
  EXPECT_EQ(rt.story.script->mouseY, 480);
  g.platform.setActive(false);
  ASSERT_TRUE(poll(*rt.story.script));
  EXPECT_FALSE(rt.story.input.isHeld(InputSkip));  // an inactive window does not skip
  EXPECT_EQ(rt.story.script->mouseX, -1);
  g.platform.setActive(true);
  g.platform.setCtrlHeld(false);
  ASSERT_TRUE(poll(*rt.story.script));
  EXPECT_FALSE(rt.story.input.isHeld(InputSkip));
}

}  // namespace
}  // namespace ml::test
