#include "app/headless_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/file_handle.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr const char* kUsage =
    "usage: mirelune --headless [--game DIR] [--steps N] [--frames N] [--seed N] "
    "[--dump-state FILE] [OpenDebugMode|CloseDebugMode]\n";

struct Options {
  std::string gameDir = ".";
  long long steps = -1;   // no limit
  long long frames = -1;  // no limit
  bool seeded = false;
  unsigned long long seed = 0;
  std::string dumpState;
  bool debugMode = false;
};

bool parseNumber(const char* s, unsigned long long& out) {
  if (s == nullptr || *s == 0 || *s == '-') return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtoull(s, &end, 10);
  return errno == 0 && end != nullptr && *end == 0;
}

// Returns 0 when parsed, else the exit status.
int parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    unsigned long long n = 0;
    if (a == "--headless") {
      continue;
    } else if (a == "--game") {
      const char* v = value();
      if (!v) return 2;
      o.gameDir = v;
    } else if (a == "--steps") {
      if (!parseNumber(value(), n)) return 2;
      o.steps = static_cast<long long>(n);
    } else if (a == "--frames") {
      if (!parseNumber(value(), n)) return 2;
      o.frames = static_cast<long long>(n);
    } else if (a == "--seed") {
      if (!parseNumber(value(), n)) return 2;
      o.seeded = true;
      o.seed = n;
    } else if (a == "--dump-state") {
      const char* v = value();
      if (!v) return 2;
      o.dumpState = v;
    } else if (a == "OpenDebugMode") {
      o.debugMode = true;
    } else if (a == "CloseDebugMode") {
      o.debugMode = false;
    } else {
      return 2;
    }
  }
  return 0;
}

bool dumpState(GameState& state, const std::string& path) {
  state.checksum = state.computeChecksum();
  return writeWholeFile(path, state.bytes(), sizeof(GameState));
}

}  // namespace

int runHeadless(int argc, char** argv) {
  Options o;
  if (parseOptions(argc, argv, o) != 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  HeadlessPlatform platform;
  Runtime rt(platform, platform, o.gameDir);
  rt.debugMode = o.debugMode;
  rt.random.seed(o.seeded ? static_cast<std::uint32_t>(o.seed)
                          : static_cast<std::uint32_t>(platform.unixTime()));
  rt.readStatus.load(rt.folder.resolve("SaveXXX.dat"));

  if (o.frames >= 0) {
    // Ends the run like a confirmed quit once enough frames were shown; the waits see
    // the request at their next poll.
    const auto limit = static_cast<std::uint64_t>(o.frames);
    platform.setMessageHook([&rt, limit](HeadlessPlatform& p, InputSink*) {
      if (p.presentedFrames() >= limit) rt.window.quitRequested = true;
    });
  }

  ScriptContext& sc = *rt.script;
  if (!sc.load("scr\\open.scr", rt.state, true) && !rt.debugMode) {
    platform.messageBox("ver 2.40", SJ("シナリオが初期化できません"), BoxButtons::Ok, BoxIcon::Error,
                        false);
    return 1;
  }

  for (long long n = 0; o.steps < 0 || n < o.steps; ++n) {
    if (rt.window.quitRequested) break;
    const bool armed = rt.switches.endReportArmed;
    if (sc.step() == 0) break;
    if (armed && !rt.switches.endReportArmed) break;  // the story has run to its end
  }

  if (!o.dumpState.empty() && !dumpState(rt.state, o.dumpState)) {
    std::fprintf(stderr, "mirelune: cannot write %s\n", o.dumpState.c_str());
    return 1;
  }
  return 0;
}

}  // namespace ml
