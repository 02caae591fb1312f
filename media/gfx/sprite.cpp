#include "media/gfx/sprite.h"

#include <algorithm>
#include <utility>

#include "media/media_context.h"
#include "media/gfx/pixel_ops.h"
#include "media/settings.h"
#include "media/text/text_layout.h"
#include "media/text/text_renderer.h"
#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::string_view kTag = "SCRIPT";

std::int32_t toRaw(int pixels) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(pixels) << 16); }
std::int32_t addWrapping(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// A clipped copy of a width x height block between two frames of 32-bit pixels.
bool copyBlock(const std::uint32_t* src, int srcW, int srcH, int sx, int sy, std::uint32_t* dst,
               int dstW, int dstH, int dx, int dy, int width, int height) {
  if (sx < 0) { width += sx; dx -= sx; sx = 0; }
  if (sy < 0) { height += sy; dy -= sy; sy = 0; }
  if (dx < 0) { width += dx; sx -= dx; dx = 0; }
  if (dy < 0) { height += dy; sy -= dy; dy = 0; }
  width = std::min({width, srcW - sx, dstW - dx});
  height = std::min({height, srcH - sy, dstH - dy});
  if (width <= 0 || height <= 0) return false;
  for (int y = 0; y < height; ++y)
    std::copy_n(src + std::size_t(sy + y) * srcW + sx, width, dst + std::size_t(dy + y) * dstW + dx);
  return true;
}

}  // namespace

Sprite::Sprite(const MediaContext& media, int slot) : media_(&media), slot_(slot) {}

void Sprite::swapContents(Sprite& other) noexcept {
  std::swap(*this, other);
  std::swap(slot_, other.slot_);
}

void Sprite::report(int site, std::string_view message, std::string_view detail) const {
  media_->reporter.systemError(kTag, site, message, detail);
}

void Sprite::release() {
  visible_ = false;
  surface_.reset();
  isText_ = false;
  text_.clear();
  font_.reset();
  name_.clear();
  width_ = height_ = 0;
  x_ = y_ = 0;
  vx_ = vy_ = 0;
  tx_ = ty_ = kDefaultTarget;
  fadeStep_ = alphaStep_ = 0;
  mosaic_ = 0;
  rotation_ = 0;
  frameCount_ = 1;
  frame_ = 0;
  animating_ = true;
  delay_ = delayCounter_ = 1;
  step_ = 1;
  loopStart_ = 0;
  holdLast_ = pingPong_ = reverse_ = releaseOffScreen_ = monochrome_ = false;
  reveal_ = kRevealAll;
  penX_ = penY_ = 0;
}

void Sprite::resetProperties() {
  fade_ = alpha_ = 255;
  visible_ = true;
}

bool Sprite::loadPicture(std::string_view name, std::uint32_t tick) {
  release();
  surface_ = std::make_unique<Surface>(*media_);
  if (!surface_->load(name)) {
    report(234, SJ("ファイルが開けません"), name);
    release();
    return false;
  }
  name_ = std::string(name.substr(0, kNameCapacity));
  width_ = surface_->width();
  height_ = surface_->height();
  frameCount_ = surface_->frameCount();
  loadTime_ = tick;
  resetProperties();
  return true;
}

bool Sprite::makeBox(int width, int height, int frames) {
  release();
  surface_ = std::make_unique<Surface>(*media_);
  if (!surface_->create(width, height, frames)) {
    report(299, SJ("ボックスが作れません"), "");
    release();
    return false;
  }
  width_ = width;
  height_ = height;
  frameCount_ = frames;
  resetProperties();
  return true;
}

bool Sprite::makeMessageBox(int x, int y, int width, int height) {
  const Settings& s = media_->settings;
  return makeMessageBox(x, y, width, height, s.window.red, s.window.green, s.window.blue);
}

bool Sprite::makeMessageBox(int x, int y, int width, int height, int red, int green, int blue) {
  release();
  surface_ = std::make_unique<Surface>(*media_);
  if (!surface_->create(width, height, 1)) {
    report(352, SJ("メッセージボックスが作れません"), "");
    release();
    return false;
  }
  auto level = [](int v) { return std::uint32_t(std::clamp(v, 0, 255)); };
  surface_->fill(0xFF000000u | level(red) << 16 | level(green) << 8 | level(blue));
  surface_->setAlphaFlag(true);
  name_ = "MESSAGE_BOX";
  width_ = width;
  height_ = height;
  frameCount_ = 1;
  resetProperties();
  setPosition(x, y);
  setBoardMode(1);
  return true;
}

bool Sprite::setText(std::string_view text, FontHandle font, std::uint32_t colour, int glyphSize,
                     int columns, int rows, bool layoutRules) {
  release();
  isText_ = true;
  text_ = std::string(text);
  font_ = std::move(font);
  colour_ = colour;
  glyphSize_ = glyphSize;
  width_ = columns;
  height_ = rows;
  layoutRules_ = layoutRules;
  reveal_ = kRevealAll;
  fade_ = 255;
  visible_ = true;
  return true;
}

// --- properties ------------------------------------------------------------------

bool Sprite::setPosition(int x, int y) {
  if (empty()) return false;
  x_ = tx_ = toRaw(x);
  y_ = ty_ = toRaw(y);
  return true;
}
int Sprite::x() const { return empty() ? 800 : x_ >> 16; }
int Sprite::y() const { return empty() ? 600 : y_ >> 16; }

bool Sprite::setVelocity(std::int32_t vx, std::int32_t vy) {
  if (empty()) return false;
  vx_ = vx;
  vy_ = vy;
  return true;
}

bool Sprite::setTarget(int x, int y) {
  if (empty()) return false;
  tx_ = toRaw(x);
  ty_ = toRaw(y);
  return true;
}

bool Sprite::setFade(int level) {
  if (empty()) return false;
  fade_ = std::clamp(level, 0, 255);
  return true;
}
bool Sprite::setAlpha(int level) {
  if (empty()) return false;
  alpha_ = std::clamp(level, 0, 255);
  return true;
}
bool Sprite::setFadeStep(int step) {
  if (empty()) return false;
  fadeStep_ = step;
  return true;
}
bool Sprite::setAlphaStep(int step) {
  if (empty()) return false;
  alphaStep_ = step;
  return true;
}
bool Sprite::setMosaic(int level) {
  if (empty()) return false;
  mosaic_ = std::clamp(level, 0, 255);
  return true;
}
bool Sprite::setRotation(int degrees) {
  if (empty()) return false;
  rotation_ = degrees;
  return true;
}
bool Sprite::setMonochrome(bool on) {
  if (empty()) return false;
  monochrome_ = on;
  return true;
}
void Sprite::setBoardMode(int mode) {
  boardMode_ = mode;
  if (mode == 1) alpha_ = std::clamp(media_->settings.window.alpha, 0, 255);
  if (mode == 2) alpha_ = 255;
}
bool Sprite::setVisible(bool on) {
  if (empty()) return false;
  visible_ = on;
  return true;
}

bool Sprite::setFrame(int n) {
  if (empty()) return false;
  if (n > 0) {
    frame_ = std::min(n, frameCount_ - 1);
  } else {
    frame_ = 0;
    step_ = 1;
  }
  return true;
}
bool Sprite::setAnimating(bool on) {
  if (empty()) return false;
  animating_ = on;
  return true;
}
bool Sprite::setHoldLastFrame(bool on) {
  if (empty()) return false;
  holdLast_ = on;
  return true;
}
bool Sprite::setPingPong(bool on) {
  if (empty()) return false;
  pingPong_ = on;
  if (!on) step_ = 1;
  return true;
}
bool Sprite::setReverse(bool on) {
  if (empty()) return false;
  reverse_ = on;
  step_ = on ? -1 : 1;
  return true;
}
bool Sprite::setFrameDelay(int compositions) {
  if (empty()) return false;
  delay_ = delayCounter_ = std::max(compositions, 1);
  return true;
}
bool Sprite::setLoopStart(int frame) {
  if (empty()) return false;
  loopStart_ = std::clamp(frame, 0, frameCount_ - 1);
  return true;
}
bool Sprite::setReleaseOffScreen(bool on) {
  if (empty()) return false;
  releaseOffScreen_ = on;
  return true;
}
bool Sprite::setAlphaFlag(bool on) {
  if (!surface_) return false;
  surface_->setAlphaFlag(on);
  return true;
}
bool Sprite::setFont(FontHandle font) {
  if (empty()) return false;
  font_ = std::move(font);
  return true;
}
bool Sprite::setReveal(int count) {
  if (empty()) return false;
  reveal_ = count;
  return true;
}
int Sprite::twoByteCount() const { return ml::twoByteCount(text_); }

// --- pixels ----------------------------------------------------------------------

bool Sprite::hitTest(int x, int y) const {
  if (!visible_ || !surface_) return false;
  const int lx = x - (x_ >> 16), ly = y - (y_ >> 16);
  if (lx < 0 || ly < 0 || lx >= surface_->width() || ly >= surface_->height()) return false;
  const Surface& s = *surface_;
  const std::uint32_t* p = s.pixels(frame_);
  return p && (p[std::size_t(ly) * s.width() + lx] >> 24) != 0;
}

bool Sprite::tint(int redPercent, int greenPercent, int bluePercent) {
  std::uint32_t* p = surface_ ? surface_->pixels(0) : nullptr;
  if (!p) return false;
  portablePixelOps().scaleRgbPercent(p, std::size_t(surface_->width()) * surface_->height(), redPercent,
                                     greenPercent, bluePercent);
  return true;
}

bool Sprite::shiftHsv(int hue, int saturationPercent, int valuePercent) {
  std::uint32_t* p = surface_ ? surface_->pixels(0) : nullptr;
  if (!p) return false;
  portablePixelOps().adjustHsv(p, std::size_t(surface_->width()) * surface_->height(), hue,
                               saturationPercent, valuePercent);
  return true;
}

bool Sprite::copyRectTo(Surface& target, int x, int y, int width, int height) const {
  const std::uint32_t* src = surface_ ? static_cast<const Surface&>(*surface_).pixels(0) : nullptr;
  std::uint32_t* dst = target.pixels(0);
  if (!src || !dst) return false;
  return copyBlock(src, surface_->width(), surface_->height(), x, y, dst, target.width(), target.height(),
                   x, y, width, height);
}

bool Sprite::copyFrom(const Surface& source, int sx, int sy, int frame, int ownFrame, int width,
                      int height) {
  const std::uint32_t* src = source.pixels(frame);
  if (!src) {
    report(1486, SJ("ソースのデータがありません"), "");
    return false;
  }
  std::uint32_t* dst = surface_ ? surface_->pixels(ownFrame) : nullptr;
  if (!dst) {
    report(1494, SJ("データが初期化されてません"), "");
    return false;
  }
  if (width == -1) width = width_;
  if (height == -1) height = height_;
  copyBlock(src, source.width(), source.height(), sx, sy, dst, surface_->width(), surface_->height(), 0, 0,
            width, height);
  return true;
}

// --- drawing ---------------------------------------------------------------------

void Sprite::nextPosition(std::int32_t& x, std::int32_t& vx, std::int32_t& y, std::int32_t& vy) const {
  x = addWrapping(x_, vx_);
  y = addWrapping(y_, vy_);
  vx = vx_;
  vy = vy_;
  if ((vx > 0 && x > tx_) || (vx < 0 && x < tx_)) {
    x = tx_;
    vx = 0;
  }
  if ((vy > 0 && y > ty_) || (vy < 0 && y < ty_)) {
    y = ty_;
    vy = 0;
  }
}

void Sprite::advanceMotion() { nextPosition(x_, vx_, y_, vy_); }

void Sprite::advanceLevels() {
  auto step = [](int& level, int& delta) {
    if (delta == 0) return;
    level += delta;
    if (level >= 256) {
      level = 255;
      delta = 0;
    } else if (level < 0) {
      level = 0;
      delta = 0;
    }
  };
  step(fade_, fadeStep_);
  step(alpha_, alphaStep_);
}

void Sprite::advanceAnimation() {
  if (!animating_ || --delayCounter_ > 0) return;
  delayCounter_ = delay_;
  frame_ += step_;
  if (!pingPong_) {
    if (reverse_) {
      if (frame_ < 0) frame_ = holdLast_ ? 0 : frameCount_ - 1;
    } else if (frame_ >= frameCount_) {
      frame_ = holdLast_ ? frameCount_ - 1 : loopStart_;
    }
  } else if (frame_ <= loopStart_ || frame_ >= frameCount_ - 1) {
    step_ = -step_;
  }
  // The frame always names a frame the picture has.
  frame_ = std::clamp(frame_, 0, frameCount_ - 1);
}

bool Sprite::coversTarget(int width, int height) const {
  if (!visible_ || !surface_ || isText_) return false;
  const int frame = std::clamp(frame_, 0, frameCount_ - 1);
  const Rect& c = surface_->content(frame);
  std::int32_t nx, nvx, ny, nvy;
  nextPosition(nx, nvx, ny, nvy);
  const int dx = c.x + (nx >> 16), dy = c.y + (ny >> 16);
  if (c.empty() || dx > 0 || dy > 0 || dx + c.width < width || dy + c.height < height) return false;
  // The alpha level as the draw will see it, after its step.
  const int alpha = alphaStep_ == 0 ? alpha_ : std::clamp(alpha_ + alphaStep_, 0, 255);
  if (surface_->alphaFlag() && !opaqueEffect(frame, width, height)) {
    // Blending with full alpha (plain or darkened) ignores what lies below; only a
    // picture that is opaque everywhere covers.
    return alpha >= 255 && surface_->opaque(frame);
  }
  // Plain, darkened and grey copies overwrite every pixel of the rectangle; mosaic
  // leaves partial blocks and rotation pixels whose source lies outside.
  if (monochrome_) return true;
  if (mosaic_ >= 16) return false;
  return rotation_ % 360 == 0 || surface_->width() != width || surface_->height() != height;
}

// Grey, mosaic and rotation are opaque copies. Every loaded picture carries the
// per-pixel-alpha flag, which would leave these effects invisible; on a picture that is
// opaque anyway (backgrounds, event pictures) the copy is what the effect means.
bool Sprite::opaqueEffect(int frame, int targetWidth, int targetHeight) const {
  const bool effect = monochrome_ || mosaic_ >= 16 ||
                      (rotation_ % 360 != 0 && surface_->width() == targetWidth &&
                       surface_->height() == targetHeight);
  return effect && surface_->opaque(frame);
}

int Sprite::draw(Surface& target, const PixelOps& ops) {
  if (!visible_) return 0;
  if (isText_) return drawText(target, ops);
  if (!surface_ || !surface_->isValid()) return 0;
  advanceMotion();
  advanceLevels();

  const int tw = target.width(), th = target.height();
  const int frame = std::clamp(frame_, 0, frameCount_ - 1);
  const Rect& c = surface_->content(frame);
  const int px = x_ >> 16, py = y_ >> 16;
  // A frame without visible pixels draws nothing but still counts as on screen (by
  // its whole rectangle) so that its animation goes on.
  const bool blank = c.empty();
  int dx = (blank ? 0 : c.x) + px, dy = (blank ? 0 : c.y) + py;
  int w = blank ? surface_->width() : c.width, h = blank ? surface_->height() : c.height;
  if (dx >= tw || dy >= th || dx + w <= 0 || dy + h <= 0) {
    if (releaseOffScreen_ && dy + h > 0) release();
    return 0;
  }
  std::uint32_t* dst = target.pixels(0);
  if (!dst) return 0;
  if (blank) {
    advanceAnimation();
    return 0;
  }
  int sx = c.x, sy = c.y;
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  w = std::min(w, tw - dx);
  h = std::min(h, th - dy);

  const Surface& source = *surface_;
  const int sw = source.width();
  const std::uint32_t* src = source.pixels(frame) + std::size_t(sy) * sw + sx;
  std::uint32_t* out = dst + std::size_t(dy) * tw + dx;
  int drawn = 1;
  if (source.alphaFlag() && !opaqueEffect(frame, tw, th)) {
    if (alpha_ >= 255) {
      if (fade_ >= 255)
        ops.blendAlpha(out, tw, src, sw, w, h);
      else
        ops.blendAlphaDarkened(out, tw, src, sw, w, h, fade_);
    } else if (alpha_ >= 1) {
      ops.blendAlphaScaled(out, tw, src, sw, w, h, alpha_);
    } else {
      drawn = 0;
    }
  } else if (monochrome_) {
    ops.copyGrey(out, tw, src, sw, w, h);
  } else if (mosaic_ >= 16) {
    ops.copyMosaic(out, tw, src, sw, w, h, (mosaic_ >> 4) + 1);
  } else if (rotation_ % 360 != 0 && source.width() == tw && source.height() == th) {
    // Rotation turns the whole picture about the target's centre; it needs a picture
    // of the target's size (any other would be read outside its pixels).
    ops.copyRotated(dst, tw, th, source.pixels(frame), ((rotation_ % 360) + 360) % 360);
  } else if (fade_ >= 255) {
    ops.copyPixels(out, tw, src, sw, w, h);
  } else {
    ops.copyDarkened(out, tw, src, sw, w, h, fade_);
  }
  advanceAnimation();
  return drawn;
}

int Sprite::drawText(Surface& target, const PixelOps& ops) {
  std::uint32_t* dst = target.pixels(0);
  if (!dst) return 0;
  static const TextRules kDefaultRules;
  const Settings& settings = media_->settings;
  TextStyle style;
  style.font = font_.get();
  style.colour = colour_;
  style.glyphSize = glyphSize_;
  style.columns = width_;
  style.rows = height_;
  style.layoutRules = layoutRules_;
  style.mojiType = settings.message.mojiType;
  style.readedLumi = settings.message.readedLumi;
  style.readedLumi2 = settings.message.readedLumi2;
  TextTarget t;
  t.pixels = dst;
  t.width = target.width();
  t.height = target.height();
  t.pitch = target.width();
  TextDrawResult r = ml::drawText(text_, style, reveal_, x_ >> 16, y_ >> 16, t, ops,
                                  media_->textRules ? *media_->textRules : kDefaultRules, media_->reporter);
  if (r.penSet) {
    penX_ = r.penX;
    penY_ = r.penY;
  }
  return r.shown > 0 ? 1 : 0;
}

}  // namespace ml
