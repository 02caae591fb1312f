// A runtime on the headless platform with a temporary game folder, for running small
// scripts. Scripts are written in UTF-8 here and stored as Shift-JIS with a plain
// marker byte in front.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

namespace ml::test {

class EngineTest : public ::testing::Test {
 protected:
  // What a fixture built on this one asks of the runtime: the tag of its temporary
  // folder, and sound (recorded output, the device open).
  struct Options {
    const char* tag = "engine";
    bool sound = false;
  };
  EngineTest() = default;
  explicit EngineTest(Options options) : options_(options) {}

  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mirelune-" + std::string(options_.tag) + "-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "scr");
    platform.setQuiet(true);
    if (options_.sound) platform.recordAudio(true);
    rt = std::make_unique<Runtime>(platform, reporter, dir_.string());
    installScene(*rt);
    // Start-up makes the frame every presentation composes into.
    ASSERT_TRUE(rt->scene.backBuffer.create());
    if (options_.sound) {
      ASSERT_TRUE(rt->sound().openDevice());
    }
    // The window a window command records: these tests show pages without one.
    rt->story.state.windowColumns = 20;
    rt->story.state.windowRows = 4;
  }
  void TearDown() override {
    rt.reset();
    std::filesystem::remove_all(dir_);
  }

  // Writes raw bytes as a file of the game folder.
  void writeFile(const std::string& relative, const std::string& bytes) {
    std::filesystem::path p = dir_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void writeFile(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    writeFile(relative, std::string(bytes.begin(), bytes.end()));
  }
  // "scr/<name>.scr" holding "N" and the script text converted to Shift-JIS.
  void writeScript(const std::string& name, const std::string& utf8) {
    writeFile("scr/" + name + ".scr", "N" + utf8ToSjis(utf8));
  }
  // A script as the games write it (lines end in CR LF), loaded into the game's
  // interpreter; run() then stops at its end-of-script report.
  ScriptContext& loadCrlf(const std::string& utf8) {
    std::string crlf;
    for (char ch : utf8) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    writeFile("scr/test.scr", "N" + utf8ToSjis(crlf));
    EXPECT_TRUE(sc().load("scr\\test.scr", rt->story.state, true));
    rt->story.switches.endReportArmed = true;
    return sc();
  }
  // Writes and loads a script into the game's interpreter.
  ScriptContext& load(const std::string& utf8, const std::string& name = "test") {
    writeScript(name, utf8);
    EXPECT_TRUE(sc().load("scr\\" + name + ".scr", rt->story.state, true));
    return sc();
  }
  // Runs steps until one answers 0 or the end of the script is reported; returns the
  // last result.
  int run(int maxSteps = 1000) {
    int r = 1;
    for (int i = 0; i < maxSteps; ++i) {
      bool armed = rt->story.switches.endReportArmed;
      r = sc().step();
      if (r == 0 || (armed && !rt->story.switches.endReportArmed)) break;
    }
    return r;
  }

  ScriptContext& sc() { return *rt->story.script; }
  GameState& state() { return rt->story.state; }

  // Messages of the reports made so far, in UTF-8.
  std::vector<std::string> messages() const {
    std::vector<std::string> m;
    for (const auto& e : reporter.entries) m.push_back(sjisToUtf8(e.message));
    return m;
  }
  // Reports other than the end-of-script one.
  std::vector<RecordingReporter::Entry> errors() const {
    std::vector<RecordingReporter::Entry> out;
    for (const auto& e : reporter.entries)
      if (e.message != SJ("最後まで実行しました")) out.push_back(e);
    return out;
  }
  static std::string u(const std::string& sjis) { return sjisToUtf8(sjis); }

  Options options_;
  std::filesystem::path dir_;
  HeadlessPlatform platform;
  RecordingReporter reporter;
  std::unique_ptr<Runtime> rt;
};

}  // namespace ml::test
