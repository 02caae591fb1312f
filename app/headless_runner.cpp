#include "app/headless_runner.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/dialog_host.h"
#include "app/headless_shell.h"
#include "engine/runtime.h"
#include "platform/headless/headless_platform.h"
#include "platform/posix/safe_file.h"

namespace ml {
namespace {

constexpr const char* kUsage =
    "usage: mirelune --headless [--game DIR] [--save-dir DIR] [--steps N] [--frames N] [--seed N]\n"
    "                [--dump-state FILE] [--input FILE] [--autoplay]\n"
    "                [--choose first|last|random] [--screenshot FILE.png]\n"
    "                [--audio-out FILE.wav]\n"
    "                [OpenDebugMode|CloseDebugMode]\n";

// The runner's own options; the shell takes the rest.
struct RunnerOptions {
  bool seeded = false;
  std::uint64_t seed = 0;
  std::string dumpState;
  AutoChoice choose = AutoChoice::First;
};

constexpr std::uint32_t kIdleLimitMs = 60000;

bool parseCount(const std::string& s, std::uint64_t& out) {
  const char* b = s.data();
  const char* e = b + s.size();
  auto [p, ec] = std::from_chars(b, e, out);
  return ec == std::errc() && p == e && p != b;
}

bool parseRunnerOptions(const std::vector<std::string>& rest, RunnerOptions& o,
                        AppOptions& app, std::string& error) {
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    auto value = [&]() -> const std::string* { return i + 1 < rest.size() ? &rest[++i] : nullptr; };
    if (a == "--seed") {
      const std::string* v = value();
      if (!v || !parseCount(*v, o.seed)) {
        error = "--seed needs a number";
        return false;
      }
      o.seeded = true;
    } else if (a == "--dump-state") {
      const std::string* v = value();
      if (!v) {
        error = "--dump-state needs a file";
        return false;
      }
      o.dumpState = *v;
    } else if (a == "--choose") {
      const std::string* v = value();
      if (v && *v == "first") {
        o.choose = AutoChoice::First;
      } else if (v && *v == "last") {
        o.choose = AutoChoice::Last;
      } else if (v && *v == "random") {
        o.choose = AutoChoice::Random;
      } else {
        error = "--choose needs first, last or random";
        return false;
      }
    } else if (applyDebugWord(a, app)) {
      // The debug word may follow the options' values.
    } else {
      error = (a.rfind("-", 0) == 0 ? "unknown option '" : "unexpected argument '") + a + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

int runHeadless(int argc, char** argv) {
  HeadlessShellOptions shell;
  std::vector<std::string> rest;
  std::string error;
  RunnerOptions runner;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  if (!parseHeadlessShellOptions(argc, argv, shell, rest, error) ||
      !parseRunnerOptions(rest, runner, shell.app, error)) {
    std::fprintf(stderr, "mirelune: %s\n%s", error.c_str(), kUsage);
    return 2;
  }

  HeadlessPlatform platform;
  if (!prepareHeadlessPlatform(platform, shell, error)) {
    std::fprintf(stderr, "mirelune: %s\n", error.c_str());
    return 2;
  }

  // Temporaries that killed runs left beside the files this run writes (the game
  // folder's are removed by the start-up itself).
  for (const std::string* out : {&runner.dumpState, &shell.screenshot}) {
    if (out->empty()) continue;
    const std::size_t slash = out->find_last_of('/');
    removeStaleTemporaries(slash == std::string::npos ? std::string(".") : out->substr(0, slash + 1));
  }

  DialogHost dialogs(platform);
  Application app(platform, platform, shell.app);
  app.setDialogHost(&dialogs);
  dialogs.setApplication(&app);
  Runtime& rt = app.runtime();
  // A fixed seed replaces the time: low 32 bits N, high 32 bits 0.
  if (runner.seeded) rt.story.random.seed(static_cast<std::uint32_t>(runner.seed));
  rt.story.autoChoice = shell.autoplay ? runner.choose : AutoChoice::None;

  // Nobody clicks once the input script has run out (and autoplay is off), so a page
  // wait, the title menu or the date display would last for ever: after a minute of
  // virtual time spent waiting for the player the run ends as if the player had quit.
  if (!shell.autoplay) {
    std::uint32_t idleSince = 0;
    bool ended = false;
    platform.setMessageHook([&rt, idleSince, ended](HeadlessPlatform& p, InputSink* sink) mutable {
      const EngineSwitches& sw = rt.story.switches;
      const bool waiting = sw.saveScreenOpen || sw.backlogOpen || sw.titleMenuWaiting ||
                           sw.sceneWaitsForClick || sw.screenIdle ||
                           (rt.story.script && rt.story.script->waitingForClick);
      const bool stuck = waiting && p.inputScriptDone();
      if (!stuck) {
        idleSince = p.ticks();
      } else if (!ended && sink != nullptr && p.ticks() - idleSince >= kIdleLimitMs) {
        ended = true;
        std::fputs("mirelune: the game waits for the player and no input is left; the run ends\n", stderr);
        sink->endRequested();
      }
    });
  } else {
    // Autoplay at the title menu: the first visit of the run starts a new game; every
    // later one (the story came back to the title) presses end and answers the exit
    // question Yes once the input script has run out. Keys, not clicks, so that any game's button pictures work: Down
    // (or Up) lights the first (or the last) button, Enter on a later pass presses it.
    int visits = 0;
    int stage = 0;
    bool wasWaiting = false;
    platform.setMessageHook([&rt, visits, stage, wasWaiting](HeadlessPlatform& p, InputSink* sink) mutable {
      const bool waiting = rt.story.switches.titleMenuWaiting;
      if (waiting && !wasWaiting) {
        ++visits;
        stage = 0;
      }
      wasWaiting = waiting;
      if (!waiting || sink == nullptr || stage > 1) return;
      // A later visit belongs to the input script while it still has something to do
      // there (continue, extras); autoplay only ends the game once it has none.
      if (visits > 1 && !p.inputScriptDone()) return;
      KeyEvent key;
      if (stage == 0) {
        key.key = visits == 1 ? Key::Down : Key::Up;
        if (visits > 1) p.queueBoxAnswer(BoxAnswer::Yes);
      } else {
        key.key = Key::Enter;
      }
      ++stage;
      sink->keyDown(key);
      sink->keyUp(key);
    });
  }

  app.run();
  int status = finishHeadlessRun(platform, app, shell);

  if (!runner.dumpState.empty()) {
    std::string error;
    if (!writeStateDump(rt.story.state, runner.dumpState, error)) {
      std::fprintf(stderr, "mirelune: cannot write the state: %s\n", error.c_str());
      status = 1;
    }
  }
  return status;
}

bool writeStateDump(const GameState& state, const std::string& path, std::string& error) {
  auto dump = std::make_unique<GameState>();
  dump->copyFrom(state);
  dump->checksum = dump->computeChecksum();
  return writeFileSafely(path, dump->bytes(), sizeof(GameState), &error);
}

}  // namespace ml
