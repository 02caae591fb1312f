#include "media/gfx/back_buffer.h"

#include <algorithm>
#include <cstring>

#include "media/media_context.h"
#include "media/gfx/pixel_ops.h"
#include "media/gfx/layer_slots.h"
#include "media/gfx/sprite.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {

BackBuffer::BackBuffer(const MediaContext& media) : surface_(media) {}

bool BackBuffer::create() {
  if (!surface_.create(kWidth, kHeight, 1)) {
    surface_.media().reporter.systemError("SCRIPT", 98, SJ("バックバッファが作れない"), "");
    return false;
  }
  return true;
}

void BackBuffer::setSolidFill(bool on, int red, int green, int blue) {
  solidFill_ = on;
  red_ = std::clamp(red, 0, 255);
  green_ = std::clamp(green, 0, 255);
  blue_ = std::clamp(blue, 0, 255);
}

void BackBuffer::setHold(int level) { hold_ = std::clamp(level, 0, 255); }

bool BackBuffer::compose(std::span<Sprite> layers, const PixelOps& ops, const SceneShade& shade) {
  std::uint32_t* p = surface_.pixels(0);
  if (!p) return false;
  if (solidFill_) {
    ops.fillPixels(p, red_, green_, blue_, 0, kFramePixels);
    return true;
  }
  if (hold_ >= 1) return true;

  const int count = static_cast<int>(layers.size());
  const int sceneEnd = std::min(count, kSceneLayerEnd);
  // The first sprite that draws decides whether the clear can be left out: when it
  // overwrites every pixel regardless of what lies below, clearing changes nothing.
  bool covered = false;
  for (int i = 0; i < sceneEnd; ++i) {
    const Sprite& s = layers[static_cast<std::size_t>(i)];
    if (!s.visible() || s.empty()) continue;
    covered = s.coversTarget(kWidth, kHeight);
    break;
  }
  if (!covered) std::memset(p, 0, kFramePixels * sizeof(std::uint32_t));

  for (int i = 0; i < sceneEnd; ++i) layers[static_cast<std::size_t>(i)].draw(surface_, ops);

  if (shade.letterboxTop != 0) {
    const int top = std::clamp(8 * shade.letterboxTop, 0, kHeight);
    const int bottom = std::clamp(8 * shade.letterboxBottom, 0, kHeight);
    std::memset(p, 0, std::size_t(top) * kWidth * sizeof(std::uint32_t));
    std::memset(p + std::size_t(bottom) * kWidth, 0, std::size_t(kHeight - bottom) * kWidth * sizeof(std::uint32_t));
  }
  // The darkening dims the scene below the interface; it is drawn with either pixel set.
  if (shade.darkening != 0) ops.darkenFrame(p, kWidth, kHeight, 2 * shade.darkening);

  for (int i = sceneEnd; i < count; ++i) layers[static_cast<std::size_t>(i)].draw(surface_, ops);
  return true;
}

PresentRequest BackBuffer::presentRequest(bool suppressed) const {
  PresentRequest r;
  r.pixels = surface_.pixels(0);
  r.shakeY = shakeY_;
  r.shakeX = shakeX_;
  r.zoom = hold_;
  r.suppressed = suppressed || r.pixels == nullptr;
  return r;
}

}  // namespace ml
