// A runtime on the headless platform with a temporary game folder holding test
// pictures, for running short scene scripts and looking at layers, the recorded scene
// and the composed frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/runtime.h"
#include "scene/scene_services.h"
#include "engine/script_context.h"
#include "platform/headless/headless_platform.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"
#include "scene/compose_scene.h"
#include "scene/picture_layers.h"
#include "tools/common/psd_writer.h"

namespace ml::test {

// The headless platform with a look at every presented frame. A request without
// pixels (a runtime whose presentation does not compose) is composed here, so that
// the frames are always those the player would see.
class ScenePlatform : public HeadlessPlatform {
 public:
  void present(const PresentRequest& request) override {
    PresentRequest r = request;
    if (r.pixels == nullptr && runtime != nullptr) {
      runtime->composeBackBuffer();
      r = runtime->scene.backBuffer.presentRequest();
    }
    HeadlessPlatform::present(r);
    if (onPresent) onPresent();
  }
  Runtime* runtime = nullptr;
  std::function<void()> onPresent;
};

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mirelune-scene-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "scr");
    std::filesystem::create_directories(dir_ / "cg");
    platform.setQuiet(true);
    rt = std::make_unique<Runtime>(platform, reporter, dir_.string());
    installScene(*rt);
    platform.runtime = rt.get();
    ASSERT_TRUE(rt->scene.backBuffer.create());
    // The fast set copies opaque pixels exactly, which keeps expected colours simple.
    rt->media.pixels = &fastPixelOps();
    rt->story.state.flags[2034] = 0;  // no darkening unless a test asks for it
    platform.setMessageHook([this](HeadlessPlatform&, InputSink*) {
      ++polls;
      if (onPoll) onPoll();
    });
  }
  void TearDown() override {
    platform.setMessageHook(nullptr);
    platform.onPresent = nullptr;
    platform.runtime = nullptr;
    rt.reset();
    std::filesystem::remove_all(dir_);
  }

  void writeBytes(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(tools::writeFile((dir_ / relative).string(), bytes));
  }
  // An opaque one-colour picture "cg/<name>.psd".
  void picture(const std::string& name, int r, int g, int b, int w = 800, int h = 600) {
    tools::RgbaImage image(w, h, std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 255);
    writeBytes("cg/" + name + ".psd", tools::writeFlatPsd(image, tools::PsdCompression::Rle));
  }
  void picture(const std::string& name, const tools::RgbaImage& image) {
    writeBytes("cg/" + name + ".psd", tools::writeFlatPsd(image, tools::PsdCompression::Rle));
  }
  // A character picture: w x h canvas, transparent except an opaque block of one
  // colour at (bx, by) of bw x bh; `frames` layers of the same block.
  void character(const std::string& name, int w, int h, int bx, int by, int bw, int bh, int r, int g, int b,
                 int frames = 1) {
    std::vector<tools::PsdLayer> layers(static_cast<std::size_t>(frames));
    for (auto& layer : layers) {
      layer.image = tools::RgbaImage(bw, bh, std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 255);
      layer.left = bx;
      layer.top = by;
    }
    writeBytes("cg/" + name + ".psd", tools::writeLayeredPsd(w, h, layers, tools::PsdCompression::Raw));
  }

  // Loads a script (UTF-8 here, Shift-JIS in the file) into the game's interpreter.
  // Lines end in CR LF, as the game's scripts do.
  ScriptContext& load(const std::string& utf8, const std::string& name = "test") {
    std::string text;
    for (char c : utf8) {
      if (c == '\n') text += '\r';
      text += c;
    }
    std::ofstream out(dir_ / "scr" / (name + ".scr"), std::ios::binary);
    out << "N" << utf8ToSjis(text);
    out.close();
    EXPECT_TRUE(sc().load("scr\\" + name + ".scr", rt->story.state, true));
    return sc();
  }

  std::uint8_t step() { return sc().step(); }
  // Runs until a step answers 0 or the script has no more words.
  int run(int maxSteps = 1000) {
    int r = 1;
    for (int i = 0; i < maxSteps; ++i) {
      char next[ScriptContext::kWordCapacity];
      if (sc().peekWord(next, sizeof next) == 0 && sc().atEnd()) break;
      r = step();
      if (r == 0) break;
    }
    return r;
  }
  int runScript(const std::string& utf8) {
    load(utf8);
    return run();
  }

  ScriptContext& sc() { return *rt->story.script; }
  GameState& state() { return rt->story.state; }
  Sprite& layer(int slot) { return rt->scene.layers[static_cast<std::size_t>(slot)]; }
  std::string name(int sceneSlot) { return recordedName(rt->story.state, sceneSlot); }

  // A pixel of the last presented frame, as the window shows it (opaque).
  std::uint32_t shownPixel(int x, int y) {
    const auto& f = platform.lastFrame();
    return f.size() == 800u * 600u ? f[std::size_t(y) * 800 + x] & 0xFFFFFFu : 0xDEADBEEFu;
  }
  // The composed frame, as composition would make it now.
  std::uint32_t framePixel(int x, int y) { return rt->scene.backBuffer.pixels()[y * 800 + x] & 0xFFFFFFu; }
  void compose() { ASSERT_TRUE(rt->composeBackBuffer()); }
  static int red(std::uint32_t p) { return int(p >> 16) & 255; }
  static int green(std::uint32_t p) { return int(p >> 8) & 255; }
  static int blue(std::uint32_t p) { return int(p) & 255; }

  // Effect speed index 0..11 (step 128 .. 1).
  void speed(int index) { rt->media.settings.effect.speed = -index; }

  // Reports other than the end-of-script one, as UTF-8 "message|detail".
  std::vector<std::string> errors() const {
    std::vector<std::string> out;
    for (const auto& e : reporter.entries)
      if (e.message != SJ("最後まで実行しました")) out.push_back(sjisToUtf8(e.message) + "|" + sjisToUtf8(e.detail));
    return out;
  }

  std::filesystem::path dir_;
  ScenePlatform platform;
  RecordingReporter reporter;
  std::unique_ptr<Runtime> rt;
  int polls = 0;
  std::function<void()> onPoll;
};

}  // namespace ml::test
