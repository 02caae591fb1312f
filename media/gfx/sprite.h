// One drawable object of the layer table: a picture with frames (loaded from a file or
// made as a box) or a text. Every draw also advances what runs by itself: the move
// towards a target, fade and alpha ramps, and frame animation, one step per
// composition.
//
// Positions, targets and velocities are 16.16 fixed-point pixels internally; the
// setters and getters named in pixels convert. Levels (fade, alpha, mosaic) are 0-255.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "media/text/font.h"
#include "media/gfx/surface.h"

namespace ml {

struct MediaContext;
struct PixelOps;

class Sprite {
 public:
  static constexpr std::int32_t kDefaultTarget = 10000;  // raw 16.16, as after release
  static constexpr int kRevealAll = 10000;
  static constexpr std::size_t kNameCapacity = 255;

  Sprite(const MediaContext& media, int slot);
  Sprite(Sprite&&) noexcept = default;
  Sprite& operator=(Sprite&&) noexcept = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Exchanges everything but the slot index (the layer table swaps pictures between
  // slots, the slots stay where they are).
  void swapContents(Sprite& other) noexcept;

  int slot() const { return slot_; }

  // --- making a sprite (each releases what it held first) ------------------------
  // Loads a picture file (game path). All properties are reset as at construction,
  // the sprite is visible; tick is recorded as the load time.
  bool loadPicture(std::string_view name, std::uint32_t tick = 0);
  // A zeroed (transparent black) picture of `frames` frames, visible.
  bool makeBox(int width, int height, int frames = 1);
  // A one-frame board filled with the window colour of the settings (or the colour
  // given), drawn with its alpha channel at the board opacity (Window/Alpha).
  bool makeMessageBox(int x, int y, int width, int height);
  bool makeMessageBox(int x, int y, int width, int height, int red, int green, int blue);
  // A text sprite: Shift-JIS text in a grid of columns x rows cells of glyphSize
  // pixels; colour is a system colour value 0x00BBGGRR. Everything is revealed.
  bool setText(std::string_view text, FontHandle font, std::uint32_t colour, int glyphSize,
               int columns, int rows, bool layoutRules);
  // Frees picture and text; fade and alpha levels and the board mode stay.
  void release();

  bool empty() const { return !surface_ && !isText_; }
  bool hasPicture() const { return surface_ != nullptr; }
  bool isText() const { return isText_; }
  Surface* surface() { return surface_.get(); }
  const Surface* surface() const { return surface_.get(); }
  const std::string& name() const { return name_; }
  std::uint32_t loadTime() const { return loadTime_; }

  // --- drawing -------------------------------------------------------------------
  // Draws onto frame 0 of target (the back buffer or a snapshot picture) with the
  // pixel routine set chosen at start-up. Returns 1 when something was drawn.
  int draw(Surface& target, const PixelOps& ops);
  // True when the next draw will overwrite every pixel of a width x height target
  // with a result that does not depend on what was there (lets composition skip the
  // clear under an opaque full-screen picture).
  bool coversTarget(int width, int height) const;

  // --- properties (setters return false and change nothing on an empty sprite) ----
  bool setPosition(int x, int y);  // pixels; the target moves along
  int x() const;                   // integer pixels; 800 when empty
  int y() const;                   // 600 when empty
  std::int32_t rawX() const { return x_; }
  std::int32_t rawY() const { return y_; }
  bool setVelocity(std::int32_t vx, std::int32_t vy);  // 16.16 pixels per composition
  std::int32_t velocityX() const { return vx_; }
  std::int32_t velocityY() const { return vy_; }
  bool setTarget(int x, int y);  // pixels
  int targetX() const { return tx_ >> 16; }
  int targetY() const { return ty_ >> 16; }
  std::int32_t rawTargetX() const { return tx_; }
  std::int32_t rawTargetY() const { return ty_; }

  bool setFade(int level);   // clamped to 0..255
  bool setAlpha(int level);  // clamped to 0..255
  int fade() const { return fade_; }
  int alpha() const { return alpha_; }
  bool setFadeStep(int step);
  bool setAlphaStep(int step);
  int fadeStep() const { return fadeStep_; }
  int alphaStep() const { return alphaStep_; }
  bool setMosaic(int level);  // clamped to 0..255; 16 and above draws blocks
  int mosaic() const { return mosaic_; }
  bool setRotation(int degrees);
  int rotation() const { return rotation_; }
  bool setMonochrome(bool on);
  bool monochrome() const { return monochrome_; }
  // Also on an empty sprite: 1 sets the alpha level to Window/Alpha, 2 to 255.
  void setBoardMode(int mode);
  int boardMode() const { return boardMode_; }

  bool setVisible(bool on);
  bool visible() const { return visible_; }

  // Animation.
  bool setFrame(int n);  // n > 0: min(n, frameCount - 1); else 0 and forwards
  int currentFrame() const { return empty() ? -1 : frame_; }
  int visibleFrame() const { return empty() || !visible_ ? -1 : frame_; }
  int frameCount() const { return empty() ? -1 : frameCount_; }
  bool isLastFrame() const { return !empty() && frame_ == frameCount_ - 1; }
  bool setAnimating(bool on);
  bool animating() const { return animating_; }
  bool setHoldLastFrame(bool on);
  bool holdLastFrame() const { return holdLast_; }
  bool setPingPong(bool on);  // off: forwards again
  bool setReverse(bool on);   // play backwards
  bool setFrameDelay(int compositions);  // at least 1
  bool setLoopStart(int frame);
  int frameStep() const { return step_; }
  bool setReleaseOffScreen(bool on);

  int width() const { return width_; }    // pixels; columns for a text
  int height() const { return height_; }  // pixels; rows for a text

  bool setAlphaFlag(bool on);
  bool alphaFlag() const { return surface_ && surface_->alphaFlag(); }

  // Text.
  const std::string& text() const { return text_; }
  bool setFont(FontHandle font);
  bool setReveal(int count);
  int reveal() const { return reveal_; }
  int twoByteCount() const;
  // Pen after the last line end of the last draw, relative to the sprite's position.
  int penX() const { return penX_; }
  int penY() const { return penY_; }

  // True when visible and (x, y) lies on a pixel of the current frame, placed at the
  // sprite's position, whose alpha is not 0.
  bool hitTest(int x, int y) const;

  // Colour changes of frame 0 in place (alpha unchanged).
  bool tint(int redPercent, int greenPercent, int bluePercent);
  bool shiftHsv(int hue, int saturationPercent, int valuePercent);

  // Copies the rectangle of frame 0 into the same place of frame 0 of another picture.
  bool copyRectTo(Surface& target, int x, int y, int width, int height) const;
  // Copies width x height pixels from (sx, sy) of source's frame into the top-left of
  // the sprite's own frame; -1 stands for the sprite's width or height.
  bool copyFrom(const Surface& source, int sx, int sy, int frame, int ownFrame, int width,
                int height);

 private:
  bool opaqueEffect(int frame, int targetWidth, int targetHeight) const;
  void resetProperties();
  void nextPosition(std::int32_t& x, std::int32_t& vx, std::int32_t& y, std::int32_t& vy) const;
  void advanceMotion();
  void advanceLevels();
  void advanceAnimation();
  int drawText(Surface& target, const PixelOps& ops);
  void report(int site, std::string_view message, std::string_view detail) const;

  const MediaContext* media_;
  int slot_;

  bool visible_ = false;
  std::unique_ptr<Surface> surface_;
  int frame_ = 0;
  int frameCount_ = 1;
  std::string name_;

  std::int32_t x_ = 0, y_ = 0;
  std::int32_t tx_ = kDefaultTarget, ty_ = kDefaultTarget;
  std::int32_t vx_ = 0, vy_ = 0;
  int fade_ = 255, alpha_ = 255;
  int fadeStep_ = 0, alphaStep_ = 0;
  int mosaic_ = 0;
  int rotation_ = 0;
  bool monochrome_ = false;
  int boardMode_ = 1;
  int width_ = 0, height_ = 0;

  bool animating_ = true;
  int delay_ = 1, delayCounter_ = 1;
  int step_ = 1;
  int loopStart_ = 0;
  bool holdLast_ = false, pingPong_ = false, reverse_ = false;
  bool releaseOffScreen_ = false;
  std::uint32_t loadTime_ = 0;

  bool isText_ = false;
  std::string text_;
  std::uint32_t colour_ = 0;
  int glyphSize_ = 24;
  FontHandle font_;
  int reveal_ = kRevealAll;
  bool layoutRules_ = true;
  int penX_ = 0, penY_ = 0;
};

}  // namespace ml
