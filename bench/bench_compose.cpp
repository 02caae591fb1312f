// The cost of composing one typical frame, against two yardsticks:
//   BM_FrameMemcpy          memcpy of one 800x600 frame
//   BM_ComposeTypicalFrame  the back buffer's composition of a typical scene with the
//                           fast pixel routines: an opaque background, three 400x600
//                           sprites with per-pixel alpha (30% clear, 50% opaque, 20% in
//                           between), the message board (800x160, alpha 128) and a
//                           three-line page of 24-pixel text in glyph style 0
//   BM_PixmanTypicalFrame   pixman's OVER composite of the same layers (text as glyph
//                           boxes of the same size and count)
// Variants with the portable routines and with a background that forces the clear are
// there to show what the fast routines and the skipped clear save.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#if defined(MIRELUNE_HAVE_PIXMAN)
#include <pixman.h>
#endif

#include "media/io/archive.h"
#include "media/gfx/back_buffer.h"
#include "media/text/font.h"
#include "media/io/game_folder.h"
#include "media/media_context.h"
#include "media/gfx/pixel_ops.h"
#include "media/settings.h"
#include "media/gfx/sprite.h"
#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kSpriteWidth = 400;
constexpr int kSpriteX[3] = {0, 200, 400};
constexpr int kBoardTop = 440, kBoardHeight = 160;

// One row of a character sprite: 60 clear pixels, a 40-pixel soft edge, 200 opaque,
// the edge and the clear margin again.
std::uint32_t spritePixel(int x, int y) {
  const int d = x < kSpriteWidth / 2 ? x : kSpriteWidth - 1 - x;
  std::uint32_t a = d < 60 ? 0u : d < 100 ? std::uint32_t(1 + (d - 60) * 6) : 255u;
  std::uint32_t colour = std::uint32_t((x * 5 + y) & 0xFF) | std::uint32_t((y * 3) & 0xFF) << 8 |
                         0x80u << 16;
  return a << 24 | colour;
}

std::uint32_t backgroundPixel(int x, int y) {
  return 0xFF000000u | std::uint32_t(x & 0xFF) | std::uint32_t(y & 0xFF) << 8 | 0x40u << 16;
}

struct Scene {
  ml::RecordingReporter reporter;
  ml::GameFolder folder{"/nonexistent"};
  ml::DataArchive archive;
  ml::Settings settings;
  ml::TextRules rules;
  ml::MediaContext media{reporter, folder, archive, settings, &rules};
  ml::FontLibrary fonts;
  ml::BackBuffer back{media};
  std::vector<ml::Sprite> layers;

  explicit Scene(bool opaqueBackground) {
    settings.window.alpha = 128;
    back.create();
    layers.reserve(260);
    for (int i = 0; i < 260; ++i) layers.emplace_back(media, i);
    picture(0, kWidth, kHeight, 0, 0, backgroundPixel);
    if (!opaqueBackground) layers[0].surface()->pixels(0)[12345] = 0;
    for (int k = 0; k < 3; ++k) picture(10 + 2 * k, kSpriteWidth, kHeight, kSpriteX[k], 0, spritePixel);
    layers[30].makeMessageBox(0, kBoardTop, kWidth, kBoardHeight);
    const std::string page = ml::utf8ToSjis(
        "「夏祭りの最後の夜、浜辺に出ると空いっぱいに星が流れていた。」\n"
        "「きれいだね」と凛が言った。波の音だけが答えていた。\n"
        "明日になれば、この町を離れる。そう思うと胸が苦しくなった。");
    layers[33].setText(page, fonts.font(settings.font.name, 0, 24), 0xFFFFFF, 24, 30, 3, true);
    layers[33].setPosition(40, kBoardTop + 24);
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
  // The first composition fills the glyph cache; a running game pays that once.
  scene.back.compose(scene.layers, ops, ml::SceneShade::fromStateBytes(0, 0, 0));
  for (auto _ : state) {
    scene.back.compose(scene.layers, ops, ml::SceneShade::fromStateBytes(0, 0, 0));
    benchmark::DoNotOptimize(scene.back.pixels());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<std::uint32_t> from(kWidth * kHeight, 0x12345678u), to(kWidth * kHeight);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ComposeTypicalFrame(benchmark::State& state) {
  compose(state, ml::fastPixelOps(), true);
}
void BM_ComposeTypicalFramePortable(benchmark::State& state) {
  compose(state, ml::portablePixelOps(), true);
}
void BM_ComposeTypicalFrameWithClear(benchmark::State& state) {
  compose(state, ml::fastPixelOps(), false);
}

BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeTypicalFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeTypicalFramePortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeTypicalFrameWithClear)->Unit(benchmark::kMicrosecond);

#if defined(MIRELUNE_HAVE_PIXMAN)
// pixman wants premultiplied colour; the picture data is converted once, outside the loop.
std::vector<std::uint32_t> premultiplied(int w, int h, std::uint32_t (*fill)(int, int)) {
  std::vector<std::uint32_t> v(std::size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = fill(x, y), a = p >> 24;
      auto c = [&](int shift) { return (((p >> shift) & 0xFF) * a / 255) << shift; };
      v[std::size_t(y) * w + x] = a << 24 | c(16) | c(8) | c(0);
    }
  return v;
}

std::uint32_t glyphPixel(int x, int y) {
  // A stroke pattern with the coverage mix of a rasterised character.
  const bool ink = (x % 7 < 3 && y > 2 && y < 21) || (y % 8 < 2 && x > 2 && x < 21);
  return ink ? 0xFFFFFFFFu : 0u;
}

void BM_PixmanTypicalFrame(benchmark::State& state) {
  auto frame = std::vector<std::uint32_t>(std::size_t(kWidth) * kHeight);
  auto bg = premultiplied(kWidth, kHeight, backgroundPixel);
  auto sprite = premultiplied(kSpriteWidth, kHeight, spritePixel);
  auto board = premultiplied(kWidth, kBoardHeight, [](int, int) { return 0xFF101020u; });
  auto glyph = premultiplied(24, 24, glyphPixel);
  auto wrap = [](std::vector<std::uint32_t>& v, int w, int h) {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, v.data(), w * 4);
  };
  pixman_image_t* dst = wrap(frame, kWidth, kHeight);
  pixman_image_t* bgImage = wrap(bg, kWidth, kHeight);
  pixman_image_t* spriteImage = wrap(sprite, kSpriteWidth, kHeight);
  pixman_image_t* boardImage = wrap(board, kWidth, kBoardHeight);
  pixman_image_t* glyphImage = wrap(glyph, 24, 24);
  pixman_color_t half = {0, 0, 0, 0x8080};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, bgImage, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    for (int x : kSpriteX)
      pixman_image_composite32(PIXMAN_OP_OVER, spriteImage, nullptr, dst, 0, 0, 0, 0, x, 0,
                               kSpriteWidth, kHeight);
    pixman_image_composite32(PIXMAN_OP_OVER, boardImage, mask, dst, 0, 0, 0, 0, 0, kBoardTop,
                             kWidth, kBoardHeight);
    for (int g = 0; g < 84; ++g)
      pixman_image_composite32(PIXMAN_OP_OVER, glyphImage, nullptr, dst, 0, 0, 0, 0,
                               40 + (g % 28) * 24, kBoardTop + 24 + (g / 28) * 28, 24, 24);
    benchmark::DoNotOptimize(frame.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  for (pixman_image_t* i : {dst, bgImage, spriteImage, boardImage, glyphImage, mask})
    pixman_image_unref(i);
}
BENCHMARK(BM_PixmanTypicalFrame)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
