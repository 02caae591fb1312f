// A runtime on the headless platform with a temporary game folder holding the message
// window's pictures, for running short scripts with scripted input and looking at the
// window's slots, the switches, the read marks and the composed frame.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "scene/page_display.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "scene/scene_services.h"
#include "engine/script_context.h"
#include "platform/headless/headless_platform.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"
#include "scene/message_window.h"
#include "tools/common/psd_writer.h"

namespace ml::test {

// Window input into the runtime's input buttons, as the application's handler does.
class RuntimeInput : public InputSink {
 public:
  explicit RuntimeInput(Runtime& rt) : rt_(rt) {}
  void keyDown(const KeyEvent& e) override { rt_.story.input.press(bit(e.key)); }
  void keyUp(const KeyEvent& e) override { rt_.story.input.release(bit(e.key)); }
  void mouseMove(int x, int y) override {
    rt_.story.input.mouseX = x;
    rt_.story.input.mouseY = y;
  }
  void mouseButton(MouseButton b, bool down) override {
    // A right click is a cancel (no popup menu here).
    if (b == MouseButton::Right) {
      if (!down) rt_.story.input.press(InputCancel);
      rt_.story.input.release(InputCancel);
      return;
    }
    if (b != MouseButton::Left) return;
    if (down)
      rt_.story.input.press(InputDecide);
    else
      rt_.story.input.release(InputDecide);
  }
  void wheel(int steps) override { rt_.story.input.press(steps > 0 ? InputLogBack : InputLogForward); }
  void closeRequested() override { rt_.requests().quitRequested = true; }
  void activationChanged(bool) override {}

 private:
  static std::uint32_t bit(Key k) {
    switch (k) {
      case Key::Enter:
      case Key::Space: return InputDecide;
      case Key::Escape: return InputCancel;
      case Key::PageUp: return InputLogBack;
      case Key::PageDown: return InputLogForward;
      case Key::Home: return InputVoice;
      case Key::F1: return InputLoadScreen;
      case Key::F2: return InputSaveScreen;
      default: return 0;
    }
  }
  Runtime& rt_;
};

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mirelune-message-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "scr");
    std::filesystem::create_directories(dir_ / "cg");
    writeWindowPictures();
    platform.setQuiet(true);
    makeRuntime();
  }
  void TearDown() override {
    platform.setMessageHook(nullptr);
    platform.setInputSink(nullptr);
    rt.reset();
    std::filesystem::remove_all(dir_);
  }

  void makeRuntime() {
    platform.setInputSink(nullptr);
    input.reset();
    rt = std::make_unique<Runtime>(platform, reporter, dir_.string());
    installScene(*rt);
    ASSERT_TRUE(rt->scene.backBuffer.create());
    rt->story.state.flags[2034] = 0;  // no scene darkening
    // A window snapshot for partial repaints to restore from, as the scene keeps one.
    ASSERT_TRUE(rt->scene.layers[3].makeBox(800, 600));
    rt->scene.layers[3].setVisible(false);
    input = std::make_unique<RuntimeInput>(*rt);
    platform.setInputSink(input.get());
    platform.setMessageHook([this](HeadlessPlatform&, InputSink*) {
      if (onPoll) onPoll();
    });
  }

  void writeBytes(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(tools::writeFile((dir_ / relative).string(), bytes));
  }
  // "cg/<name>.psd": a w x h canvas with `frames` layers, each an opaque block of
  // bw x bh at (bx, by); frame f is coloured (r + f, g, b).
  void layered(const std::string& name, int w, int h, int bx, int by, int bw, int bh, int r, int g,
               int b, int frames = 1) {
    std::vector<tools::PsdLayer> layers(static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) {
      auto& layer = layers[std::size_t(f)];
      layer.image = tools::RgbaImage(bw, bh, std::uint8_t(r + f), std::uint8_t(g), std::uint8_t(b), 255);
      layer.left = bx;
      layer.top = by;
    }
    writeBytes("cg/" + name + ".psd", tools::writeLayeredPsd(w, h, layers, tools::PsdCompression::Raw));
  }
  // Dark pictures for the window parts, so that white text stands out in the frame; the
  // key-wait icon is a 16 x 16 block with three frames.
  void writeWindowPictures() {
    layered("win", 800, 150, 0, 0, 800, 150, 0, 0, 40);
    layered("_WindowF", 800, 150, 0, 0, 800, 4, 0, 0, 60);
    layered("_Ret", 16, 16, 0, 0, 16, 16, 10, 60, 10, 3);
    layered("nam", 200, 40, 0, 0, 200, 40, 0, 40, 0);
    layered("_WinNamF", 200, 40, 0, 0, 200, 2, 0, 60, 0);
    const char* buttons[] = {"_iLog", "_iPrevSel", "_iNextSel", "_iSkip", "_iAuto", "_iOption"};
    int left = 0;
    for (const char* b : buttons) {
      layered(b, 400, 30, left, 0, 30, 30, 0, 0, 90, 3);
      left += 40;
    }
  }

  void writeScript(const std::string& utf8, const std::string& name) {
    std::ofstream out(dir_ / "scr" / (name + ".scr"), std::ios::binary);
    out << "N" << utf8ToSjis(utf8);
  }
  ScriptContext& load(const std::string& utf8, const std::string& name = "test") {
    writeScript(utf8, name);
    EXPECT_TRUE(sc().load("scr\\" + name + ".scr", rt->story.state, true));
    return sc();
  }

  // The standard window: 800 x 150 at (0, 450), text at (20, 20) inside it.
  static std::string windowLine(int columns = 20, int rows = 4) {
    return "window 0 0 450 0 0 20 20 " + std::to_string(columns) + " " + std::to_string(rows) +
           " win 0 0\r\n";
  }

  // One step. A voice command numbers the page as the sound commands will.
  std::uint8_t step() {
    ScriptContext& s = sc();
    s.peekWord(s.word, ScriptContext::kWordCapacity);
    if (std::string(s.word) == "vo")
      s.state->voiceIndex = s.state->readTrackingOff() ? 0 : rt->media.readStatus.ordinalAt(s.scriptPath, s.pos);
    return s.step();
  }

  // Runs until a step answers 0 or the end of the script is reported.
  int run(int maxSteps = 1000) {
    int r = 1;
    for (int i = 0; i < maxSteps; ++i) {
      const bool armed = rt->story.switches.endReportArmed;
      r = step();
      if (r == 0 || (armed && !rt->story.switches.endReportArmed)) break;
    }
    return r;
  }
  // Steps until the script reaches a line that begins with `word` (not run).
  void runUntil(const std::string& utf8Word, int maxSteps = 100) {
    const std::string word = utf8ToSjis(utf8Word);
    for (int i = 0; i < maxSteps; ++i) {
      ScriptContext& s = sc();
      s.peekWord(s.word, ScriptContext::kWordCapacity);
      if (word == s.word) return;
      step();
    }
    ADD_FAILURE() << "never reached " << utf8Word;
  }

  void setInput(const std::string& text) {
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.parse(text, error)) << error;
    platform.setInputScript(std::move(script));
  }

  // Composes the frame from the layer slots as the window would show it.
  const std::uint32_t* compose() {
    EXPECT_TRUE(rt->scene.backBuffer.compose(rt->scene.layers, *rt->media.pixels));
    return rt->scene.backBuffer.surface().pixels(0);
  }
  // Brightest colour channel inside a rectangle of the composed frame.
  int brightest(const std::uint32_t* frame, int x, int y, int w, int h) const {
    int best = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) {
        const std::uint32_t p = frame[j * 800 + i];
        best = std::max({best, int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)});
      }
    return best;
  }

  Sprite& layer(int slot) { return rt->scene.layers[static_cast<std::size_t>(slot)]; }
  ScriptContext& sc() { return *rt->story.script; }
  GameState& state() { return rt->story.state; }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& e : reporter.entries)
      if (e.message != SJ("最後まで実行しました")) out.push_back(sjisToUtf8(e.message));
    return out;
  }

  std::filesystem::path dir_;
  HeadlessPlatform platform;
  RecordingReporter reporter;
  std::unique_ptr<Runtime> rt;
  std::unique_ptr<RuntimeInput> input;
  std::function<void()> onPoll;
};

}  // namespace ml::test
