#include "platform/headless/input_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// Records what the platform delivers, with the virtual time of each event.
class RecordingSink : public InputSink {
 public:
  explicit RecordingSink(HeadlessPlatform& p) : p_(p) {}
  void keyDown(const KeyEvent& e) override { log("down", e); }
  void keyUp(const KeyEvent& e) override { log("up", e); }
  void mouseMove(int x, int y) override { add("move " + std::to_string(x) + " " + std::to_string(y)); }
  void mouseButton(MouseButton b, bool down) override {
    const char* n = b == MouseButton::Left ? "left" : b == MouseButton::Right ? "right" : "middle";
    add(std::string(down ? "press " : "release ") + n);
  }
  void wheel(int steps) override { add("wheel " + std::to_string(steps)); }
  void closeRequested() override { add("close"); }
  void activationChanged(bool active) override { add(active ? "active" : "inactive"); }
  void endRequested() override { add("end"); }
  std::vector<std::string> events;

 private:
  void log(const char* what, const KeyEvent& e) {
    std::string s = std::string("key") + what + " " + std::to_string(static_cast<int>(e.key));
    if (e.letter) s += std::string(" ") + e.letter;
    if (e.shift) s += " shift";
    if (e.alt) s += " alt";
    if (e.ctrl) s += " ctrl";
    add(s);
  }
  void add(std::string s) { events.push_back("@" + std::to_string(p_.ticks()) + " " + s); }
  HeadlessPlatform& p_;
};

TEST(InputScriptParse, EveryCommandAndComments) {
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("# a comment\n\n"
                      "wait 250  # trailing comment\n"
                      "frames 3\n"
                      "move 10 20\n"
                      "click right 5 6\n"
                      "click\n"
                      "press middle\nrelease middle\n"
                      "wheel -2\n"
                      "key shift+F1\nkeydown alt+enter\nkeyup t\n"
                      "ctrl down\nanswer yes\n"
                      "font \"IPAGothic Bold\" bold italic\n"
                      "menu MnTitle\nactivate\ndeactivate\nclose\n",
                      err))
      << err;
  ASSERT_EQ(s.commands.size(), 18u);
  using K = InputCommand::Kind;
  EXPECT_EQ(s.commands[0].kind, K::Wait);
  EXPECT_EQ(s.commands[0].value, 250);
  EXPECT_EQ(s.commands[0].line, 3);
  EXPECT_EQ(s.commands[3].kind, K::Click);
  EXPECT_EQ(s.commands[3].button, MouseButton::Right);
  EXPECT_TRUE(s.commands[3].hasPosition);
  EXPECT_EQ(s.commands[4].button, MouseButton::Left);
  EXPECT_FALSE(s.commands[4].hasPosition);
  EXPECT_EQ(s.commands[7].value, -2);
  EXPECT_EQ(s.commands[8].key.key, Key::F1);
  EXPECT_TRUE(s.commands[8].key.shift);
  EXPECT_TRUE(s.commands[9].key.alt);
  EXPECT_EQ(s.commands[10].key.letter, 'T');
  EXPECT_TRUE(s.commands[11].on);
  EXPECT_EQ(s.commands[12].answer, BoxAnswer::Yes);
  EXPECT_EQ(s.commands[13].font.face, "IPAGothic Bold");
  EXPECT_TRUE(s.commands[13].font.bold && s.commands[13].font.italic);
  EXPECT_EQ(s.commands[14].name, "MnTitle");

  // Files dropped together, quoted names with blanks included; at least one.
  InputScript d;
  ASSERT_TRUE(d.parse("drop /g/a.bmp \"/g/b c.psd\"\n", err)) << err;
  ASSERT_EQ(d.commands.size(), 1u);
  EXPECT_EQ(d.commands[0].kind, K::Drop);
  EXPECT_EQ(d.commands[0].paths, (std::vector<std::string>{"/g/a.bmp", "/g/b c.psd"}));
  EXPECT_FALSE(d.parse("drop\n", err));
}

TEST(InputScriptParse, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* expect;
  } cases[] = {
      {"wait\n", "line 1: wait needs"},
      {"wait -5\n", "line 1: wait needs"},
      {"\nmove 1\n", "line 2: move needs X and Y"},
      {"click up\n", "line 1: click takes"},
      {"key shift+q1\n", "line 1: unknown key 'shift+q1'"},
      {"key hyper+a\n", "unknown key"},
      {"answer maybe\n", "answer needs"},
      {"leap 3\n", "unknown command 'leap'"},
      {"font \"open\n", "unclosed quote"},
      {"wheel 0\n", "non-zero"},
      {"close now\n", "takes no arguments"},
      {"unread now\n", "unread takes no arguments"},
  };
  for (const Case& c : cases) {
    InputScript s;
    std::string err;
    EXPECT_FALSE(s.parse(c.text, err)) << c.text;
    EXPECT_NE(err.find(c.expect), std::string::npos) << c.text << " -> " << err;
    EXPECT_TRUE(s.commands.empty());
  }
}

TEST(InputScriptParse, MissingFileIsAnError) {
  InputScript s;
  std::string err;
  EXPECT_FALSE(s.load("/nonexistent/input.txt", err));
  EXPECT_NE(err.find("cannot read"), std::string::npos);
}

TEST(InputScriptPlay, WaitsHoldTheRestInVirtualTime) {
  HeadlessPlatform p;
  p.setQuiet(true);
  RecordingSink sink(p);
  p.setInputSink(&sink);
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("click 1 2\nwait 100\nkey enter\nframes 2\nwheel 1\n", err));
  p.setInputScript(s);
  p.processMessages();
  EXPECT_EQ(sink.events, (std::vector<std::string>{"@0 move 1 2", "@0 press left", "@0 release left"}));
  p.sleep(60);
  p.processMessages();
  EXPECT_EQ(sink.events.size(), 3u);
  p.sleep(40);
  p.processMessages();
  ASSERT_EQ(sink.events.size(), 5u);
  EXPECT_EQ(sink.events[3], "@100 keydown 1");
  EXPECT_EQ(sink.events[4], "@100 keyup 1");
  PresentRequest none;
  p.present(none);
  p.processMessages();
  EXPECT_EQ(sink.events.size(), 5u);
  p.present(none);
  p.processMessages();
  EXPECT_EQ(sink.events.back(), "@120 wheel 1");
  EXPECT_TRUE(p.inputScriptDone());
}

TEST(InputScriptPlay, AnswersCtrlActivationAndClose) {
  HeadlessPlatform p;
  p.setQuiet(true);
  RecordingSink sink(p);
  p.setInputSink(&sink);
  InputScript s;
  std::string err;
  ASSERT_TRUE(s.parse("answer yes\nctrl down\ndeactivate\nactivate\nclose\n", err));
  p.setInputScript(s);
  p.processMessages();
  EXPECT_TRUE(p.ctrlHeld());
  EXPECT_EQ(sink.events, (std::vector<std::string>{"@0 inactive", "@0 active", "@0 close"}));
  // An OK box does not take the queued Yes; the next Yes/No box does.
  EXPECT_EQ(p.messageBox("a", "b", BoxButtons::Ok, BoxIcon::None, false), BoxAnswer::Ok);
  EXPECT_EQ(p.messageBox("a", "b", BoxButtons::YesNo, BoxIcon::Question, true), BoxAnswer::Yes);
  EXPECT_EQ(p.messageBox("a", "b", BoxButtons::YesNo, BoxIcon::Question, true), BoxAnswer::No);
  EXPECT_NE(p.reports().back().find("MessageBox: [a] b -> No"), std::string::npos);
}

TEST(HeadlessPlatform, FrameLimitEndsTheRunOnce) {
  HeadlessPlatform p;
  RecordingSink sink(p);
  p.setInputSink(&sink);
  p.setFrameLimit(2);
  PresentRequest none;
  p.present(none);
  p.processMessages();
  EXPECT_TRUE(sink.events.empty());
  p.present(none);
  p.processMessages();
  p.processMessages();
  EXPECT_EQ(sink.events, (std::vector<std::string>{"@20 end"}));
}

TEST(HeadlessPlatform, FrameLimitKeepsFrameNForTheScreenshot) {
  // An effect cut short by the run's end puts its last frame back (a shake ends
  // unshaken); the screenshot of --frames N must still show frame N.
  HeadlessPlatform p;
  p.setFrameLimit(2);
  std::vector<std::uint32_t> first(800 * 600, 0x00000011u), second(800 * 600, 0x00000022u),
      closing(800 * 600, 0x00000033u);
  PresentRequest r;
  r.pixels = first.data();
  p.present(r);
  r.pixels = second.data();
  p.present(r);
  r.pixels = closing.data();
  p.present(r);
  EXPECT_EQ(p.presentedFrames(), 3u);
  ASSERT_EQ(p.lastFrame().size(), 800u * 600u);
  EXPECT_EQ(p.lastFrame()[0], 0xFF000022u);
}

TEST(HeadlessPlatform, AutoplayClicksAtItsInterval) {
  HeadlessPlatform p;
  RecordingSink sink(p);
  p.setInputSink(&sink);
  p.setAutoplay(true, 50);
  p.processMessages();
  EXPECT_TRUE(sink.events.empty());
  p.sleep(50);
  p.processMessages();
  p.processMessages();
  EXPECT_EQ(sink.events, (std::vector<std::string>{"@50 keydown 1", "@50 keyup 1"}));
}

TEST(HeadlessPlatform, ScreenshotIsAPngOfTheLastFrame) {
  HeadlessPlatform p;
  std::vector<std::uint32_t> frame(800 * 600, 0x00336699u);
  PresentRequest r;
  r.pixels = frame.data();
  p.present(r);
  ASSERT_EQ(p.lastFrame().size(), 800u * 600u);
  EXPECT_EQ(p.lastFrame()[0], 0xFF336699u);
  std::string path = ::testing::TempDir() + "/shot.png";
  ASSERT_TRUE(p.writeScreenshot(path));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char sig[8] = {};
  EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(sig[1], 'P');
  EXPECT_EQ(sig[2], 'N');
  EXPECT_FALSE(p.writeScreenshot("/nonexistent-dir/shot.png"));
}

}  // namespace
}  // namespace ml
