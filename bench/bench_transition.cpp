// Cost of the frames of a background cross-fade: a background, three character sprites
// and a shown page (the text sprite over the message-window board), run headless
// through the script command's own path. Each frame of the ramp recomposes the whole
// 800x600 picture, so this is what must stay well inside a 60 fps frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <time.h>
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

namespace {

using namespace ml;
using WallClock = std::chrono::steady_clock;

// Processor time of this thread, which other programs on the machine do not inflate.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct FrameMark {
  WallClock::time_point wall;
  double cpu;
};

// The headless platform without the copy of each frame into a screenshot buffer: it
// only notes when each frame is handed over. A request without pixels (a runtime
// whose presentation does not compose) is composed here.
class BenchPlatform : public HeadlessPlatform {
 public:
  void present(const PresentRequest& request) override {
    if (request.pixels == nullptr && runtime != nullptr) runtime->composeBackBuffer();
    advance(10);
    marks.push_back({WallClock::now(), threadSeconds()});
  }
  Runtime* runtime = nullptr;
  std::vector<FrameMark> marks;
};

tools::RgbaImage gradient(int w, int h, int seed) {
  tools::RgbaImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.set(x, y, std::uint8_t(x + seed), std::uint8_t(y * 3 + seed), std::uint8_t(x ^ y), 255);
  return image;
}

// A standing figure: opaque body with soft (half-transparent) edges on a transparent
// canvas, as character pictures are.
tools::RgbaImage figure(int w, int h, int seed) {
  tools::RgbaImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int dx = x - w / 2, rx = w / 3 + (y % 40) / 4;
      if (dx * dx > rx * rx) continue;
      const std::uint8_t a = dx * dx > (rx - 3) * (rx - 3) ? 128 : 255;
      image.set(x, y, std::uint8_t(seed + y), std::uint8_t(x), std::uint8_t(seed * 3), a);
    }
  return image;
}

struct Game {
  std::filesystem::path dir;
  BenchPlatform platform;
  RecordingReporter reporter;
  std::unique_ptr<Runtime> rt;

  Game() {
    dir = std::filesystem::temp_directory_path() / ("mirelune-bench-transition-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "cg");
    auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
      tools::writeFile((dir / "cg" / (name + ".psd")).string(), bytes);
    };
    write("bgA", tools::writeFlatPsd(gradient(800, 600, 0), tools::PsdCompression::Rle));
    write("bgB", tools::writeFlatPsd(gradient(800, 600, 90), tools::PsdCompression::Rle));
    for (int i = 0; i < 3; ++i) {
      std::vector<tools::PsdLayer> layers(1);
      layers[0].image = figure(300, 560, 40 * i);
      write("ch" + std::to_string(i), tools::writeLayeredPsd(300, 600, layers, tools::PsdCompression::Rle));
    }

    platform.setQuiet(true);
    rt = std::make_unique<Runtime>(platform, reporter, dir.string());
    installScene(*rt);
    platform.runtime = rt.get();
    rt->scene.backBuffer.create();
    rt->media.settings.effect.speed = -4;  // the default: 16 frames a fade

    ScriptContext& sc = *rt->story.script;
    placePicture(sc, 0, "bgA", "FADE_NONE", 0, 0);
    placePicture(sc, 10, "ch0", "FADE_NONE", 20, 0);
    placePicture(sc, 12, "ch1", "FADE_NONE", 480, 0);
    placePicture(sc, 14, "ch2", "FADE_NONE", 250, 0);

    // A shown page: the board and the text over it.
    rt->scene.layers[30].makeMessageBox(40, 420, 720, 160, 0, 0, 64);
    FontHandle font = rt->media.fonts.font(SJ("ＭＳ ゴシック"), 0, 24);
    Sprite& text = rt->scene.layers[33];
    text.setText(SJ("「夜の浜は静かだった。波の音だけが、ずっと遠くから寄せては返している。") +
                     SJ("見上げると、星がひとつ、またひとつと流れていった」"),
                 font, 0xFFFFFF, 24, 28, 4, true);
    text.setPosition(60, 440);
    composeScene(rt->scene.layers, *rt->media.pixels, rt->story.state);
  }
  ~Game() {
    rt.reset();
    std::filesystem::remove_all(dir);
  }
};

// One cross-fade per iteration, back and forth between the two backgrounds; the
// counter is the mean time of one ramp frame (the first frame, which also decodes the
// incoming picture, is left out).
void BM_BackgroundCrossFade(benchmark::State& state) {
  Game game;
  ScriptContext& sc = *game.rt->story.script;
  double wallSeconds = 0, cpuSeconds = 0;
  long frames = 0;
  int i = 0;
  for (auto _ : state) {
    game.platform.marks.clear();
    placePicture(sc, 0, (i++ % 2) ? "bgA" : "bgB", "FADE_CROSS", 0, 0);
    const auto& m = game.platform.marks;
    for (std::size_t k = 1; k < m.size(); ++k) {
      wallSeconds += std::chrono::duration<double>(m[k].wall - m[k - 1].wall).count();
      cpuSeconds += m[k].cpu - m[k - 1].cpu;
      ++frames;
    }
  }
  state.counters["frame_ms"] = frames ? 1000.0 * wallSeconds / double(frames) : 0.0;
  state.counters["frame_cpu_ms"] = frames ? 1000.0 * cpuSeconds / double(frames) : 0.0;
  state.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kAvgIterations);
}

// The composition alone, with the scene in the middle of the cross-fade: the new
// background below, the old one at half alpha, the sprites at half alpha.
void BM_ComposeMidCrossFade(benchmark::State& state) {
  Game game;
  Runtime& rt = *game.rt;
  rt.scene.layers[0].swapContents(rt.scene.layers[1]);
  loadScenePicture(*rt.story.script, rt.scene.layers[0], "bgB");
  rt.scene.layers[1].setAlpha(128);
  for (int s : {10, 12, 14}) rt.scene.layers[s].setAlpha(128);
  double wallSeconds = 0;
  const double cpuStart = threadSeconds();
  for (auto _ : state) {
    const auto start = WallClock::now();
    rt.composeBackBuffer();
    wallSeconds += std::chrono::duration<double>(WallClock::now() - start).count();
    benchmark::DoNotOptimize(rt.scene.backBuffer.pixels());
  }
  const double n = double(state.iterations());
  state.counters["frame_ms"] = 1000.0 * wallSeconds / n;
  state.counters["frame_cpu_ms"] = 1000.0 * (threadSeconds() - cpuStart) / n;
}

}  // namespace

BENCHMARK(BM_BackgroundCrossFade)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeMidCrossFade)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
