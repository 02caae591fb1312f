// The message fixture with the extras' pictures, a few scene scripts and music, and a
// shell that records what the screens ask of the window.
#pragma once

#include <string>
#include <vector>

#include "message/message_fixture.h"
#include "scene/extras.h"
#include "scene/extras_screens.h"
#include "engine/game_content.h"
#include "app/dialog_host.h"
#include "tools/common/bmp_writer.h"
#include "tools/common/wave_writer.h"

namespace ml::test {

class RecordingShell : public ShellHooks {
 public:
  void settingsChanged() override { calls.push_back("settings"); }
  void setScreenMode(bool windowed) override { calls.push_back(windowed ? "window" : "full"); }
  void chooseFont() override { calls.push_back("font"); }
  void requestTitle() override {
    calls.push_back("title");
    requests().titleRequested = true;
  }
  void closeWindow() override { calls.push_back("close"); }
  void showRecollectionExit(bool visible) override { calls.push_back(visible ? "exit shown" : "exit hidden"); }
  std::vector<std::string> calls;
};

class ExtrasTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    std::filesystem::create_directories(dir_ / "wav");
    rt->shell = &shell;
    writeExtrasPictures();
    ASSERT_TRUE(rt->sound().openDevice());
  }
  void TearDown() override {
    rt->shell = nullptr;
    MessageTest::TearDown();
  }

  // Screen pictures as blocks where the real ones draw their buttons: screen buttons on
  // one 240x32 canvas at (549, 31) (CG 0-76, scenes 82-158, music 164-240), page
  // buttons 36 wide on a 240x30 canvas at (64, 105), tracks 300x20 one under the other
  // on a 640x330 canvas at (87, 133).
  void writeExtrasPictures() {
    for (const char* back : {"_OmCgBack", "_OmKsBack", "_OmMuBack"}) bmp(back, 800, 600);
    layered("_OmBtRet", 84, 30, 0, 0, 84, 30, 50, 0, 0, 3);
    layered("_OmBtCg", 240, 32, 0, 2, 76, 28, 50, 0, 0, 3);
    layered("_OmBtKs", 240, 32, 82, 2, 76, 28, 50, 0, 0, 3);
    layered("_OmBtKs2", 240, 32, 82, 2, 76, 28, 50, 0, 0, 3);
    layered("_OmBtMu", 240, 32, 164, 2, 76, 28, 50, 0, 0, 3);
    for (int p = 0; p < 6; ++p)
      layered("_OmCgBtP" + std::to_string(p + 1), 240, 30, p * 40, 0, 36, 30, 60, 0, 0, 3);
    layered("_OmNo", 19, 26, 0, 0, 19, 26, 200, 200, 0, 10);
    for (const char* sheet : {"_OmCg1", "_OmCg2", "_OmKs1", "_OmKs2"})
      layered(sheet, 800, 600, 0, 0, 800, 600, 10, 10, 10, 3);
    for (int t = 0; t < 14; ++t) {
      char name[16];
      std::snprintf(name, sizeof name, "_OmMu%02d", t + 1);
      layered(name, 640, 330, 0, t * 22, 300, 20, 0, 80, 0, 3);
    }
    layered("_OmMuStop", 136, 36, 0, 0, 136, 36, 0, 0, 80, 3);
    for (const char* a : {"_OmArrowU", "_OmArrowD", "_OmArrowL", "_OmArrowR"}) layered(a, 40, 40, 0, 0, 40, 40, 9, 9, 9);
    for (const char* p : {"ev1", "ev2", "ev3"}) bmp(p, 800, 600);
    bmp("tall", 800, 1200);
    tools::AudioBuffer tone;
    tone.samples.assign(44100, 0.25f);
    writeBytes("wav/m1.wav", tools::writePcmWave(tone));
    writeBytes("wav/m2.wav", tools::writePcmWave(tone));
    // The option screen: buttons on one 200x280 canvas at (587, 315) as the demo's.
    bmp("_Op1Back", 800, 600);
    bmp("_Op2Back", 800, 600);
    layered("_Op0Ok", 200, 280, 10, 226, 180, 40, 70, 0, 0, 3);
    layered("_Op1Font", 200, 280, 10, 4, 180, 36, 70, 0, 0, 3);
    layered("_Op1Title", 200, 280, 10, 52, 180, 36, 70, 0, 0, 3);
    layered("_Op1End", 200, 280, 10, 100, 180, 36, 70, 0, 0, 3);
    layered("_Op1Name", 64, 32, 0, 0, 64, 32, 70, 0, 0, 3);
    layered("_Op0Page1", 280, 36, 0, 2, 134, 32, 70, 0, 0, 3);
    layered("_Op0Page2", 280, 36, 142, 2, 134, 32, 70, 0, 0, 3);
    layered("_Op0Check", 29, 29, 0, 0, 29, 29, 200, 0, 0);
    layered("_Op0Slide", 9, 14, 0, 0, 9, 14, 200, 0, 0);
  }
  void bmp(const std::string& name, int w, int h) {
    writeBytes("cg/" + name + ".bmp", tools::writeBmp24(tools::RgbaImage(w, h, 30, 60, 90, 255)));
  }

  // The extras of a game-data file, which must have no faults.
  ExtrasTables tables(std::string_view fileText) {
    std::vector<ContentProblem> problems;
    GameContent c =
        parseGameContent(fileText, [this](const std::string& p) { return sc().fileExists(p, true); }, problems);
    std::erase_if(problems, [](const ContentProblem& p) { return p.warning; });
    EXPECT_TRUE(problems.empty()) << problems.front().line;
    return c.extras;
  }

  // Thumbnail i's centre.
  static std::string thumb(int i) {
    return std::to_string((i % 5) * 144 + 119) + " " + std::to_string((i / 5) * 103 + 194);
  }

  RecordingShell shell;
};

}  // namespace ml::test
