// The interpreter on arbitrary script bytes: load (plain and scrambled), then run steps
// on the headless platform until the script ends, stops, or a step budget is used up.
// Long waits are cut short by a quit request once the virtual clock has moved on.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/runtime.h"
#include "scene/scene_services.h"
#include "engine/script_context.h"
#include "platform/headless/headless_platform.h"

namespace {

const std::filesystem::path& gameDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("mirelune-fuzz-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d / "scr");
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(gameDir() / "scr" / "open.scr", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ml::HeadlessPlatform platform;
  platform.setQuiet(true);
  ml::RecordingReporter reporter;
  ml::Runtime rt(platform, reporter, gameDir().string());
  ml::installScene(rt);
  rt.story.random.seed(1);
  platform.setMessageHook([&rt](ml::HeadlessPlatform& p, ml::InputSink*) {
    if (p.ticks() > 20000) rt.requests().quitRequested = true;
  });
  ml::ScriptContext& sc = *rt.story.script;
  if (!sc.load("scr\\open.scr", rt.story.state, true)) return 0;
  for (int i = 0; i < 3000 && !rt.requests().quitRequested; ++i) {
    bool armed = rt.story.switches.endReportArmed;
    if (sc.step() == 0) break;
    if (armed && !rt.story.switches.endReportArmed) break;
    if (reporter.entries.size() > 20000) reporter.entries.clear();
  }
  return 0;
}
