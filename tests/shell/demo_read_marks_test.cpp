// The demo's first play from a clean folder: no page may be drawn in the read colour.
// A page is drawn so when its read mark was set before it was shown, which happens on a
// first play only when two pages share one mark (no voice command between them). Runs
// when MIRELUNE_DEMO_DIR names the built demo (the readmarks stage sets it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "engine/services.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"
#include "tests/shell/shell_fixture.h"

namespace ml::test {
namespace {

// Sees every page as the page display hands it to the backlog, just after the page's
// colour was chosen from its read mark.
class PageRecorder final : public BacklogService {
 public:
  struct Page {
    std::string script;
    int line;
    int mark;
  };
  void addEntry(ScriptContext& sc, const char* choiceText) override {
    if (choiceText != nullptr || !sc.mainGame || sc.state->readTrackingOff() != 0) return;
    // A choice records its prompt under the mark of the page before it; it is no page.
    const std::string word = sc.word;
    if (word == "select" || word == "select2") return;
    const std::string key = std::string(sc.scriptPath) + "#" + std::to_string(sc.state->voiceIndex);
    Page page{sc.scriptPath, sc.lineNumber, sc.state->voiceIndex};
    auto earlier = shownAt.find(key);
    if (earlier != shownAt.end()) drawnRead.push_back({page, earlier->second});
    else shownAt[key] = page.line;
    ++pages;
  }
  std::map<std::string, int> shownAt;
  std::vector<std::pair<Page, int>> drawnRead;
  int pages = 0;
};

TEST(DemoFirstPlay, NoPageIsDrawnInTheReadColour) {
  const char* demo = std::getenv("MIRELUNE_DEMO_DIR");
  if (demo == nullptr) GTEST_SKIP() << "MIRELUNE_DEMO_DIR is not set (the readmarks stage sets it)";
  for (AutoChoice choice : {AutoChoice::First, AutoChoice::Last}) {
    TempDir dir;
    namespace fs = std::filesystem;
    for (const fs::directory_entry& e : fs::directory_iterator(demo)) {
      const std::string name = e.path().filename().string();
      // A clean folder: the game's files only, no read marks, saves or settings.
      if (name == "CMakeFiles" || name.rfind("Save", 0) == 0 || name.find(".ini") != std::string::npos ||
          name.rfind(".", 0) == 0 || name == "cmake_install.cmake")
        continue;
      fs::copy(e.path(), dir.file(name), fs::copy_options::recursive);
    }
    HeadlessPlatform platform;
    platform.setQuiet(true);
    platform.setAutoplay(true, 100);
    // The title menu waits for a button: after its fade-in, Down and Enter start.
    InputScript input;
    std::string error;
    ASSERT_TRUE(input.parse("wait 2000\nkey down\nkey enter\n", error)) << error;
    platform.setInputScript(std::move(input));
    AppOptions options;
    options.gameDir = dir.path();
    options.headless = true;
    options.endAtScriptEnd = true;
    Application app(platform, platform, options);
    app.runtime().story.random.seed(1);
    app.runtime().story.autoChoice = choice;
    app.formCreate();
    ASSERT_TRUE(app.startUp());
    auto recorder = std::make_unique<PageRecorder>();
    PageRecorder& pages = *recorder;
    app.runtime().installBacklog(std::move(recorder));
    // The story ends by going back to the title: there the run ends.
    Runtime& rt = app.runtime();
    bool backAtTitle = false;
    platform.setMessageHook([&](HeadlessPlatform&, InputSink* sink) {
      if (!rt.story.switches.titleMenuWaiting || pages.pages == 0 || sink == nullptr || backAtTitle) return;
      backAtTitle = true;
      sink->endRequested();
    });
    app.runFrameLoop();
    app.shutdown();
    EXPECT_TRUE(backAtTitle || app.end() == RunEnd::ScriptEnded) << "the story did not reach its end";
    EXPECT_GT(pages.pages, 50) << "the story did not run";
    for (const auto& [page, first] : pages.drawnRead)
      ADD_FAILURE() << page.script << " line " << page.line << " is drawn as read on the first play: it shares mark "
                    << page.mark << " with the page at line " << first;
  }
}

}  // namespace
}  // namespace ml::test
