// One composition of a typical scene through the back buffer: an opaque background,
// three character sprites with transparency, the translucent message board and its
// frame, with each pixel routine set. The variant with a background that has a
// transparent pixel shows the cost of the clear that an opaque one saves.
#include <benchmark/benchmark.h>

#include <vector>

#include "media/archive.h"
#include "media/back_buffer.h"
#include "media/game_folder.h"
#include "media/media_context.h"
#include "media/pixel_ops.h"
#include "media/settings.h"
#include "media/sprite.h"
#include "platform/reporter.h"

namespace {

struct Scene {
  ml::RecordingReporter reporter;
  ml::GameFolder folder{"/nonexistent"};
  ml::DataArchive archive;
  ml::Settings settings;
  ml::MediaContext media{reporter, folder, archive, settings};
  ml::BackBuffer back{media};
  std::vector<ml::Sprite> layers;

  explicit Scene(bool opaqueBackground) {
    back.create();
    for (int i = 0; i < 260; ++i) layers.emplace_back(media, i);
    picture(0, 800, 600, 0, 0, [](int x, int y) { return 0xFF000000u | std::uint32_t(x * 3 + y * 7); });
    if (!opaqueBackground) layers[0].surface()->pixels(0)[12345] = 0x00000000u;
    // Character sprites: an opaque body with soft edges in a transparent frame.
    for (int k = 0; k < 3; ++k) {
      picture(10 + 2 * k, 400, 600, k * 200, 0, [](int x, int y) {
        int d = x < 200 ? x : 399 - x;
        std::uint32_t a = d < 40 ? 0u : d < 56 ? std::uint32_t((d - 40) * 16) : 255u;
        return a << 24 | std::uint32_t(x * 5 + y);
      });
    }
    layers[30].makeMessageBox(16, 420, 768, 160);
    picture(32, 800, 200, 0, 400, [](int x, int y) {
      return (y < 24 || x < 12 || x > 787) ? 0xFF8090A0u : 0u;
    });
  }

  template <typename Fill>
  void picture(int slot, int w, int h, int x, int y, Fill fill) {
    ml::Sprite& s = layers[slot];
    s.makeBox(w, h);
    std::uint32_t* p = s.surface()->pixels(0);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) p[j * w + i] = fill(i, j);
    s.surface()->computeContent(0);
    s.setAlphaFlag(true);
    s.setPosition(x, y);
  }
};

void compose(benchmark::State& state, const ml::PixelOps& ops, bool opaque) {
  Scene scene(opaque);
  for (auto _ : state) {
    scene.back.compose(scene.layers, ops, ml::SceneShade::fromStateBytes(0xFF, 0, 0));
    benchmark::DoNotOptimize(scene.back.pixels());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ComposePortable(benchmark::State& state) { compose(state, ml::portablePixelOps(), true); }
void BM_ComposeFast(benchmark::State& state) { compose(state, ml::fastPixelOps(), true); }
void BM_ComposeFastWithClear(benchmark::State& state) { compose(state, ml::fastPixelOps(), false); }

BENCHMARK(BM_ComposePortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeFastWithClear)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
