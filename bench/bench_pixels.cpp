// The hot pixel routines on 800x600 frames, each routine set side by side, with a
// memcpy of one frame as the yardstick and (where available) pixman's OVER composite
// of the same layers for comparison with the whole-frame composition.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "media/gfx/pixel_ops.h"

#if defined(MIRELUNE_HAVE_PIXMAN)
#include <pixman.h>
#endif

namespace {

using ml::kFrameHeight;
using ml::kFramePixels;
using ml::kFrameWidth;
using ml::PixelOps;
using std::uint32_t;

constexpr int kSpriteWidth = 400;
constexpr int kBoardHeight = 160;
constexpr int kGlyphBox = 37;  // a 24-pixel glyph's box
constexpr int kGlyphCount = 60;

std::vector<uint32_t> randomColours(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> v(n);
  for (auto& p : v) p = rng() & 0x00FFFFFFu;
  return v;
}

// A character-like sprite: each row clear at both sides, soft edges, an opaque body.
// About 30% of the pixels are clear, 50% opaque and 20% in between.
std::vector<uint32_t> characterSprite(int width, int rows, unsigned seed) {
  std::vector<uint32_t> v = randomColours(std::size_t(width) * rows, seed);
  for (int y = 0; y < rows; ++y) {
    // The outline wanders a little from row to row.
    const int clear = width * 15 / 100 + (y * 7 % 23) - 11;
    const int soft = width * 10 / 100;
    for (int x = 0; x < width; ++x) {
      const int edge = x < width / 2 ? x : width - 1 - x;
      uint32_t a;
      if (edge < clear) {
        a = 0;
      } else if (edge < clear + soft) {
        a = uint32_t(1 + (edge - clear) * 253 / soft);
      } else {
        a = 255;
      }
      v[std::size_t(y) * width + x] |= a << 24;
    }
  }
  return v;
}

// Glyph boxes as the shadow style draws them: opaque strokes two pixels wide, a shadow
// of alpha 254 one pixel right and down, clear elsewhere.
std::vector<uint32_t> glyphBox(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> v(kGlyphBox * kGlyphBox, 0);
  auto at = [&](int x, int y) -> uint32_t& { return v[std::size_t(y) * kGlyphBox + x]; };
  const int strokes = 4 + int(rng() % 3);
  for (int k = 0; k < strokes; ++k) {
    const bool across = k % 2 == 0;
    const int pos = 4 + int(rng() % 20), from = 3 + int(rng() % 8), to = 16 + int(rng() % 10);
    for (int i = from; i < to; ++i) {
      for (int t = 0; t < 2; ++t) {
        (across ? at(i, pos + t) : at(pos + t, i)) = 0xFFFFFFFFu;
      }
    }
  }
  for (int y = kGlyphBox - 2; y >= 0; --y) {
    for (int x = kGlyphBox - 2; x >= 0; --x) {
      if (at(x, y) == 0xFFFFFFFFu && at(x + 1, y + 1) == 0) at(x + 1, y + 1) = 0xFE202020u;
    }
  }
  return v;
}

struct Layers {
  std::vector<uint32_t> background = randomColours(kFramePixels, 1);
  std::vector<uint32_t> sprites[3] = {characterSprite(kSpriteWidth, kFrameHeight, 2),
                                      characterSprite(kSpriteWidth, kFrameHeight, 3),
                                      characterSprite(kSpriteWidth, kFrameHeight, 4)};
  std::vector<uint32_t> board = [] {
    std::vector<uint32_t> b(std::size_t(kFrameWidth) * kBoardHeight, 0xFF203060u);
    return b;
  }();
  std::vector<uint32_t> glyphs[8] = {glyphBox(5), glyphBox(6), glyphBox(7), glyphBox(8),
                                     glyphBox(9), glyphBox(10), glyphBox(11), glyphBox(12)};
  std::vector<uint32_t> sprite800 = characterSprite(kFrameWidth, kFrameHeight, 6);
  std::vector<uint32_t> frame = std::vector<uint32_t>(kFramePixels);
  std::vector<uint32_t> other = randomColours(kFramePixels, 7);
};

Layers& layers() {
  static Layers l;
  return l;
}

const int kSpriteX[3] = {0, 200, 400};

void setBytes(benchmark::State& state, std::size_t pixelsPerIteration) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixelsPerIteration) * 4);
}

void memcpyFrame(benchmark::State& state) {
  Layers& l = layers();
  for (auto _ : state) {
    std::memcpy(l.frame.data(), l.background.data(), kFramePixels * 4);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void blendAlpha(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->blendAlpha(l.frame.data(), kFrameWidth, l.sprite800.data(), kFrameWidth, kFrameWidth,
                    kFrameHeight);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void blendAlphaScaled(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->blendAlphaScaled(l.frame.data(), kFrameWidth, l.sprite800.data(), kFrameWidth,
                          kFrameWidth, kFrameHeight, 128);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void blendAlphaDarkened(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->blendAlphaDarkened(l.frame.data(), kFrameWidth, l.sprite800.data(), kFrameWidth,
                            kFrameWidth, kFrameHeight, 128);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void copyDarkened(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->copyDarkened(l.frame.data(), kFrameWidth, l.background.data(), kFrameWidth,
                      kFrameWidth, kFrameHeight, 128);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void darkenFrame(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  std::memcpy(l.frame.data(), l.background.data(), kFramePixels * 4);
  for (auto _ : state) {
    // Amount -1 keeps the picture from fading to black over the iterations' run.
    ops->darkenFrame(l.frame.data(), kFrameWidth, kFrameHeight, -1);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

void crossFade(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->crossFade(l.frame.data(), kFrameWidth, l.background.data(), kFrameWidth,
                   l.other.data(), kFrameWidth, kFrameWidth, kFrameHeight, 100);
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

// A typical frame: background copy, three 400x600 character sprites, the message board
// at alpha 128 and a page of glyphs.
void composeFrame(benchmark::State& state, const PixelOps* ops) {
  Layers& l = layers();
  for (auto _ : state) {
    ops->copyPixels(l.frame.data(), kFrameWidth, l.background.data(), kFrameWidth, kFrameWidth,
                    kFrameHeight);
    for (int i = 0; i < 3; ++i) {
      ops->blendAlpha(l.frame.data() + kSpriteX[i], kFrameWidth, l.sprites[i].data(),
                      kSpriteWidth, kSpriteWidth, kFrameHeight);
    }
    uint32_t* boardTop = l.frame.data() + std::size_t(kFrameHeight - kBoardHeight) * kFrameWidth;
    ops->blendAlphaScaled(boardTop, kFrameWidth, l.board.data(), kFrameWidth, kFrameWidth,
                          kBoardHeight, 128);
    for (int g = 0; g < kGlyphCount; ++g) {
      uint32_t* at = boardTop + std::size_t(10 + (g / 20) * 28) * kFrameWidth + 20 + (g % 20) * 24;
      ops->blendAlpha(at, kFrameWidth, l.glyphs[g % 8].data(), kGlyphBox, kGlyphBox, kGlyphBox);
    }
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
}

#if defined(MIRELUNE_HAVE_PIXMAN)
pixman_image_t* wrap(std::vector<uint32_t>& v, int w, int h) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, v.data(), w * 4);
}

void pixmanFrame(benchmark::State& state) {
  Layers& l = layers();
  pixman_image_t* frame = wrap(l.frame, kFrameWidth, kFrameHeight);
  pixman_image_t* bg = wrap(l.background, kFrameWidth, kFrameHeight);
  pixman_image_t* sprites[3];
  for (int i = 0; i < 3; ++i) sprites[i] = wrap(l.sprites[i], kSpriteWidth, kFrameHeight);
  pixman_image_t* board = wrap(l.board, kFrameWidth, kBoardHeight);
  pixman_image_t* glyphs[8];
  for (int i = 0; i < 8; ++i) glyphs[i] = wrap(l.glyphs[i], kGlyphBox, kGlyphBox);
  pixman_color_t half = {0, 0, 0, 0x8080};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, bg, nullptr, frame, 0, 0, 0, 0, 0, 0, kFrameWidth,
                             kFrameHeight);
    for (int i = 0; i < 3; ++i) {
      pixman_image_composite32(PIXMAN_OP_OVER, sprites[i], nullptr, frame, 0, 0, 0, 0,
                               kSpriteX[i], 0, kSpriteWidth, kFrameHeight);
    }
    const int top = kFrameHeight - kBoardHeight;
    pixman_image_composite32(PIXMAN_OP_OVER, board, mask, frame, 0, 0, 0, 0, 0, top,
                             kFrameWidth, kBoardHeight);
    for (int g = 0; g < kGlyphCount; ++g) {
      pixman_image_composite32(PIXMAN_OP_OVER, glyphs[g % 8], nullptr, frame, 0, 0, 0, 0,
                               20 + (g % 20) * 24, top + 10 + (g / 20) * 28, kGlyphBox,
                               kGlyphBox);
    }
    benchmark::ClobberMemory();
  }
  setBytes(state, kFramePixels);
  pixman_image_unref(mask);
  for (auto* g : glyphs) pixman_image_unref(g);
  pixman_image_unref(board);
  for (auto* s : sprites) pixman_image_unref(s);
  pixman_image_unref(bg);
  pixman_image_unref(frame);
}
#endif

// With --benchmark_repetitions the least repetition is reported too: on a busy machine
// it is the steadiest figure.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void registerAll() {
  benchmark::RegisterBenchmark("memcpy_frame", memcpyFrame)->ComputeStatistics("min", least);
  std::vector<const PixelOps*> sets{&ml::portablePixelOps()};
  if (const PixelOps* s = ml::sse2PixelOps()) sets.push_back(s);
  if (const PixelOps* s = ml::avx2PixelOps()) sets.push_back(s);
  using Fn = void (*)(benchmark::State&, const PixelOps*);
  const std::pair<const char*, Fn> routines[] = {
      {"compose_frame", composeFrame},   {"blendAlpha", blendAlpha},
      {"blendAlphaScaled", blendAlphaScaled}, {"blendAlphaDarkened", blendAlphaDarkened},
      {"copyDarkened", copyDarkened},    {"darkenFrame", darkenFrame},
      {"crossFade", crossFade},
  };
  for (const auto& [name, fn] : routines) {
    for (const PixelOps* s : sets) {
      benchmark::RegisterBenchmark((std::string(name) + "/" + s->name).c_str(), fn, s)
          ->ComputeStatistics("min", least);
    }
  }
#if defined(MIRELUNE_HAVE_PIXMAN)
  benchmark::RegisterBenchmark("compose_frame/pixman", pixmanFrame)->ComputeStatistics("min", least);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
