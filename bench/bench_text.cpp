// Cost of one composition of a message page: layout plus glyph boxes, with a warm
// glyph cache (the normal case) and with every box built anew.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "media/text/font.h"
#include "media/text/glyph_cache.h"
#include "media/gfx/pixel_ops.h"
#include "media/text/text_layout.h"
#include "media/text/text_renderer.h"
#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace {

using namespace ml;

// Three full lines of 24-pixel text in a 22-column window.
std::string page() {
  return SJ("「吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。") +
         SJ("何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している」") + "\n";
}

struct Scene {
  FontLibrary fonts;
  FontHandle font = fonts.font(SJ("ＭＳ ゴシック"), 0, 24);
  TextRules rules;
  RecordingReporter reporter;
  std::vector<std::uint32_t> frame = std::vector<std::uint32_t>(800 * 600, 0xFF204060u);
  TextStyle style(int moji, bool cache) {
    TextStyle st;
    st.font = font.get();
    st.mojiType = moji;
    st.columns = 22;
    st.rows = 3;
    st.cacheGlyphs = cache;
    return st;
  }
};

void composePage(benchmark::State& state, bool cache, const PixelOps& ops) {
  Scene scene;
  TextStyle st = scene.style(static_cast<int>(state.range(0)), cache);
  std::string text = page();
  int shown = 0;
  for (auto _ : state) {
    TextDrawResult r = drawText(text, st, 10000, 40, 460, {scene.frame.data(), 800, 600, 800},
                                ops, scene.rules, scene.reporter);
    shown = r.shown;
    benchmark::DoNotOptimize(scene.frame.data());
  }
  state.counters["chars"] = shown;
}

void BM_PageCachedFast(benchmark::State& state) { composePage(state, true, fastPixelOps()); }
void BM_PageCachedPortable(benchmark::State& state) {
  composePage(state, true, portablePixelOps());
}
void BM_PageUncached(benchmark::State& state) { composePage(state, false, fastPixelOps()); }

void BM_LayoutOnly(benchmark::State& state) {
  TextRules rules;
  RecordingReporter reporter;
  std::string text = page();
  std::vector<PlacedChar> placed;
  TextLayoutParams params;
  params.columns = 22;
  params.rows = 3;
  for (auto _ : state) {
    placed.clear();
    benchmark::DoNotOptimize(layoutText(text, params, rules, reporter, placed));
  }
}

}  // namespace

BENCHMARK(BM_PageCachedFast)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageCachedPortable)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageUncached)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
