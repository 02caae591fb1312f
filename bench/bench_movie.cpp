// The movie figure: the demo's opening movie played at its own pace on the wall clock,
// the way the game plays it. The decoder thread demuxes, decodes and scales each frame
// into the 800x600 game area; the main thread pulls the sound as the output does (every
// 1/60 s), takes the frame that is due and copies it out as the upload to the window
// does. The counter "cpu_percent_of_one_core" is the process's CPU time over the wall
// time, both threads together; "frames" and "late_ms_worst" say what was shown and how
// late the latest frame came against the sound clock.
//
// The movie is MIRELUNE_BENCH_MOVIE or the demo's (build the target `demo` first).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "media/movie/movie_player.h"

namespace {

std::string moviePath() {
  if (const char* env = std::getenv("MIRELUNE_BENCH_MOVIE")) return env;
  return std::string(MIRELUNE_BINARY_DIR) + "/demo/hoshifuru.mpg";
}

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_MoviePlayback(benchmark::State& state) {
  const std::string path = moviePath();
  if (!std::filesystem::exists(path)) {
    state.SkipWithError(("no movie at " + path + " (build the target demo)").c_str());
    return;
  }
  std::vector<std::uint32_t> window(ml::MoviePlayer::kWidth * ml::MoviePlayer::kHeight);
  std::vector<std::int16_t> sound(2 * 44100);
  double cpu = 0, wall = 0, worstLate = 0;
  int frames = 0;
  for (auto _ : state) {
    ml::MoviePlayer player(true);
    std::string why;
    if (!player.open(path, &why)) {
      state.SkipWithError(why.c_str());
      return;
    }
    player.start(true);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    std::uint64_t pulled = 0;
    for (int tick = 1; !player.finished() && tick < 60 * 120; ++tick) {
      std::this_thread::sleep_until(start + std::chrono::microseconds(tick * 1000000LL / 60));
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      const std::uint64_t due = static_cast<std::uint64_t>(elapsed.count()) * 44100 / 1000;
      if (due > pulled) {
        player.render(sound.data(), static_cast<std::size_t>(std::min<std::uint64_t>(due - pulled, 44100)));
        pulled = due;
      }
      if (const std::uint32_t* pixels = player.frameDue(static_cast<std::uint32_t>(elapsed.count()))) {
        std::memcpy(window.data(), pixels, window.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(window.data());
        ++frames;
        const double now = static_cast<double>(player.soundFramesPlayed()) / 44100;
        worstLate = std::max(worstLate, now - player.shownFrameTime());
      }
    }
    cpu += cpuSeconds() - cpuStart;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["cpu_percent_of_one_core"] = wall > 0 ? 100.0 * cpu / wall : 0;
  state.counters["movie_seconds"] = wall / static_cast<double>(state.iterations());
  state.counters["frames"] = frames / static_cast<double>(state.iterations());
  state.counters["late_ms_worst"] = worstLate * 1000;
}
BENCHMARK(BM_MoviePlayback)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
