// The message fixture with the title menu's pictures and recording seams: screens that
// note which of them the menu opened (and answer as told) and a shell that notes the
// title item and the close requests.
#pragma once

#include <string>
#include <vector>

#include "message/message_fixture.h"
#include "media/sound/sound_channel.h"
#include "scene/builtin_scenes.h"
#include "scene/picture_layers.h"
#include "scene/title_menu.h"
#include "tools/common/bmp_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::test {

struct ScreenCalls {
  std::vector<std::string> calls;
  bool saveAnswer = false;    // a game was loaded
  bool optionAnswer = false;  // the option screen ended with a title return or quitting
};

class RecordingScreens final : public SystemScreens {
 public:
  RecordingScreens(Runtime& rt, ScreenCalls& calls) : rt_(rt), calls_(calls) {}
  bool runTitleMenu(ScriptContext& sc) override { return ml::runTitleMenu(rt_, sc); }
  bool runSaveScreen(ScriptContext&, bool loadMode) override {
    calls_.calls.push_back(loadMode ? "load" : "save");
    return calls_.saveAnswer;
  }
  bool runOptionScreen(ScriptContext&) override {
    calls_.calls.push_back("options");
    return calls_.optionAnswer;
  }
  bool runExtras(ScriptContext&) override {
    calls_.calls.push_back("extras");
    return true;
  }

 private:
  Runtime& rt_;
  ScreenCalls& calls_;
};

class RecordingShell final : public ShellHooks {
 public:
  void setTitleItemEnabled(bool enabled) override { titleItem.push_back(enabled); }
  void closeMainWindow() override {
    ++closes;
    if (confirmClose) requests().quitRequested = true;
  }
  std::vector<bool> titleItem;
  int closes = 0;
  bool confirmClose = true;
};

// The fixture's input with the arrow keys the menu moves by.
class TitleInput final : public InputSink {
 public:
  TitleInput(Runtime& rt, InputSink& base) : rt_(rt), base_(base) {}
  void keyDown(const KeyEvent& e) override {
    if (std::uint32_t b = arrow(e.key)) rt_.story.input.press(b);
    else base_.keyDown(e);
  }
  void keyUp(const KeyEvent& e) override {
    if (std::uint32_t b = arrow(e.key)) rt_.story.input.release(b);
    else base_.keyUp(e);
  }
  void mouseMove(int x, int y) override { base_.mouseMove(x, y); }
  void mouseButton(MouseButton b, bool down) override { base_.mouseButton(b, down); }
  void wheel(int steps) override { base_.wheel(steps); }
  void closeRequested() override { base_.closeRequested(); }
  void activationChanged(bool active) override { base_.activationChanged(active); }

 private:
  static std::uint32_t arrow(Key k) {
    if (k == Key::Up) return InputUp;
    if (k == Key::Down) return InputDown;
    return 0;
  }
  Runtime& rt_;
  InputSink& base_;
};

// A point on title button i's row.
inline std::string at(int button) { return std::to_string(155) + " " + std::to_string(353 + 34 * button); }

class TitleTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    arrows = std::make_unique<TitleInput>(*rt, *input);
    platform.setInputSink(arrows.get());
    writeBytes("cg/_MnBack.bmp", tools::writeBmp24(tools::RgbaImage(800, 600, 10, 10, 40, 255)));
    // Each button on its own row of one 90 x 210 canvas at (115, 295), three states.
    const char* names[] = {"_MnStart", "_MnCont", "_MnOmake", "_MnOption", "_MnEnd"};
    for (int i = 0; i < kTitleButtonCount; ++i) layered(names[i], 90, 210, 2, 48 + 34 * i, 86, 26, 100, 100, 100, 3);
    layered("_MnMarkL", 56, 26, 0, 0, 56, 26, 200, 200, 0);
    layered("_MnMarkR", 56, 26, 0, 0, 56, 26, 200, 200, 0);
    rt->installScreens(std::make_unique<RecordingScreens>(*rt, screens));
    rt->shell = &shell;
  }
  void TearDown() override {
    platform.setInputSink(nullptr);
    rt->shell = &defaultShell;
    MessageTest::TearDown();
  }


  // A mono tone of the given seconds as "wav/<name>.wav".
  void writeTone(const std::string& name, double seconds) {
    tools::AudioBuffer tone;
    tone.samples.assign(static_cast<std::size_t>(44100 * seconds), 0.25f);
    std::filesystem::create_directories(dir_ / "wav");
    writeBytes("wav/" + name + ".wav", tools::writePcmWave(tone));
  }

  std::unique_ptr<TitleInput> arrows;
  ScreenCalls screens;
  RecordingShell shell;
  ShellHooks defaultShell;
};

}  // namespace ml::test
