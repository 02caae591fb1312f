// A game controller drives the same input buttons as the keyboard and mouse.
#include <gtest/gtest.h>

#include "engine/input_state.h"
#include "platform/headless/input_script.h"
#include "shell_fixture.h"

namespace ml::test {
namespace {

TEST(Gamepad, ButtonsPressAndReleaseTheirInputs) {
  HeadlessGame g;
  Application& a = g.start();
  InputState& in = a.runtime().story.input;
  const std::pair<PadButton, std::uint32_t> cases[] = {
      {PadButton::A, InputDecide},          {PadButton::B, InputCancel},
      {PadButton::LeftShoulder, InputLogBack}, {PadButton::RightShoulder, InputLogForward},
      {PadButton::Up, InputUp},             {PadButton::Down, InputDown},
      {PadButton::Left, InputLeft},         {PadButton::Right, InputRight},
      {PadButton::X, 0u},                   {PadButton::Y, 0u},
      {PadButton::Back, 0u},
  };
  for (const auto& [button, bit] : cases) {
    in = InputState{};
    a.input().padButton(button, true);
    EXPECT_EQ(in.pressed, bit) << static_cast<int>(button);
    EXPECT_EQ(in.held, bit) << static_cast<int>(button);
    a.input().padButton(button, false);
    EXPECT_EQ(in.held, 0u) << static_cast<int>(button);
    EXPECT_EQ(in.pressed, bit) << "a press stays until consumed";
  }
}

TEST(Gamepad, StartOpensThePopupWhereARightClickWould) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  a.input().padButton(PadButton::Start, true);
  EXPECT_EQ(g.platform.popupOpens(), 0);  // no page waits
  EXPECT_EQ(rt.story.input.pressed, 0u);  // and it is no cancel either
  rt.story.script->waitingForClick = true;
  a.input().padButton(PadButton::Start, true);
  a.input().padButton(PadButton::Start, false);
  EXPECT_EQ(g.platform.popupOpens(), 1);
}

// Input scripts press pad buttons, and a held trigger skips as Ctrl does.
TEST(Gamepad, InputScriptsPressPadButtonsAndHoldTheTrigger) {
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("pad a\npaddown lb\npadup lb\npaddown trigger\n", err)) << err;
  for (const char* bad : {"pad trigger\n", "pad z\n", "paddown\n"}) {
    InputScript b;
    EXPECT_FALSE(b.parse(bad, err)) << bad;
  }
  HeadlessGame g;
  Application& a = g.start();
  g.platform.setInputScript(s);
  EXPECT_FALSE(g.platform.ctrlHeld());
  g.platform.processMessages();
  EXPECT_EQ(a.runtime().story.input.pressed, std::uint32_t{InputDecide | InputLogBack});
  EXPECT_EQ(a.runtime().story.input.held, 0u);
  EXPECT_TRUE(g.platform.ctrlHeld());
}

}  // namespace
}  // namespace ml::test
