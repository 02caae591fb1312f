// The composed 800x600 frame: the sprites of the layer table drawn in slot order, with
// the scene's letterbox bands and darkening between the scene and the interface, and
// the presentation settings the window applies when it shows the frame (shake
// offsets, hold/zoom level, solid colour fill).
#pragma once

#include <cstdint>
#include <span>

#include "media/gfx/surface.h"
#include "platform/platform.h"

namespace ml {

struct MediaContext;
struct PixelOps;
class Sprite;

// The scene's shading of slots 0-29, as the game state stores it: letterbox bands in
// units of 8 rows (top, and the first band row of the bottom), and the darkening
// byte, signed, holding half the darkening level.
struct SceneShade {
  int letterboxTop = 0;
  int letterboxBottom = 0;
  int darkening = 0;

  static SceneShade fromStateBytes(std::uint8_t darkeningByte, std::uint8_t top, std::uint8_t bottom) {
    return SceneShade{top, bottom, static_cast<std::int8_t>(darkeningByte)};
  }
};

class BackBuffer {
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;
  // Slots 0-29 are the scene (shaded), 30 and above the interface.

  explicit BackBuffer(const MediaContext& media);

  // Makes the 800x600 frame; start-up treats failure as fatal.
  bool create();
  Surface& surface() { return surface_; }
  const Surface& surface() const { return surface_; }
  std::uint32_t* pixels() { return surface_.pixels(0); }

  void setWindowed(bool windowed) { windowed_ = windowed; }
  bool isWindowed() const { return windowed_; }

  // Offsets applied at presentation; a vertical offset wins over a horizontal one.
  void setShake(int dy) { shakeY_ = dy; }
  void setShakeX(int dx) { shakeX_ = dx; }
  int shake() const { return shakeY_; }
  int shakeX() const { return shakeX_; }

  // While on, composition fills the frame with the colour (alpha 0) instead of drawing.
  void setSolidFill(bool on, int red, int green, int blue);
  bool solidFill() const { return solidFill_; }
  int solidRed() const { return red_; }
  int solidGreen() const { return green_; }
  int solidBlue() const { return blue_; }

  // Level 0-255 (clamped). From 1 on, composition keeps the last frame; above 16 it
  // is also the zoom of the presentation.
  void setHold(int level);
  int hold() const { return hold_; }

  // Builds the frame: solid fill; or nothing while held; or clear, slots 0-29, the
  // letterbox, the darkening, slots 30 and above. The darkening is applied with the
  // portable pixel set as well as with the fast one. False when the frame was never
  // created.
  bool compose(std::span<Sprite> layers, const PixelOps& ops, const SceneShade& shade);
  bool compose(std::span<Sprite> layers, const PixelOps& ops) {
    return compose(layers, ops, SceneShade{});
  }

  // What the window shows: the frame with its shake and zoom.
  PresentRequest presentRequest(bool suppressed = false) const;

 private:
  Surface surface_;
  bool windowed_ = true;
  int shakeY_ = 0;
  int shakeX_ = 0;
  bool solidFill_ = false;
  int red_ = 0, green_ = 0, blue_ = 0;
  int hold_ = 0;
};

}  // namespace ml
