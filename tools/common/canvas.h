// A small vector-drawing canvas for generated pictures: shapes given by signed
// distance (so every edge is anti-aliased and can be feathered into a soft glow),
// solid and gradient paints, soft blur, and deterministic noise. Pixels are kept as
// premultiplied floating-point RGBA and turned into an 8-bit RgbaImage at the end.
//
//   Canvas c(800, 600);
//   c.fill(Paint::linear(0, 0, 0, 600, {{0, rgb(40, 90, 200)}, {1, rgb(200, 230, 255)}}));
//   c.draw(Shape::circle(600, 120, 40), rgb(255, 250, 230));
//   RgbaImage picture = c.toImage();
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rect.h"
#include "tools/common/png_io.h"

namespace ml::tools {

// Straight (not premultiplied) colour; components 0..1.
struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

Colour rgb(int r, int g, int b, float a = 1.0f);
Colour mix(const Colour& x, const Colour& y, float t);
Colour withAlpha(Colour c, float a);
// Multiplies the colour (not the alpha) by k: k < 1 darkens, k > 1 brightens.
Colour shade(Colour c, float k);

struct Point {
  float x = 0, y = 0;
};

struct Bounds {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// An area of the plane by its signed distance: negative inside, in pixels.
class Shape {
 public:
  struct Impl {
    virtual ~Impl() = default;
    virtual float distance(float x, float y) const = 0;
    virtual Bounds bounds() const = 0;
  };

  static Shape circle(float cx, float cy, float r);
  static Shape ellipse(float cx, float cy, float rx, float ry);
  // Axis-aligned rectangle, corners rounded by radius.
  static Shape rect(float x0, float y0, float x1, float y1, float radius = 0);
  // A stroke from (x0, y0) to (x1, y1) with round ends, width pixels wide.
  static Shape line(float x0, float y0, float x1, float y1, float width);
  // Closed polygon (either winding).
  static Shape polygon(std::vector<Point> points);
  // Closed smooth outline through the points (Catmull-Rom), as a polygon.
  static Shape smooth(const std::vector<Point>& points, int stepsPerSegment = 8);

  Shape operator|(const Shape& other) const;  // union
  Shape operator&(const Shape& other) const;  // intersection
  Shape operator-(const Shape& other) const;  // difference
  // Grown outward by d pixels (shrunk for negative d).
  Shape grown(float d) const;
  // Moved by (dx, dy).
  Shape moved(float dx, float dy) const;

  float distance(float x, float y) const { return impl_->distance(x, y); }
  Bounds bounds() const { return impl_->bounds(); }

 private:
  explicit Shape(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
  std::shared_ptr<const Impl> impl_;
};

struct Stop {
  float t;
  Colour c;
};

// What a shape is filled with.
class Paint {
 public:
  Paint(Colour c);  // NOLINT: a colour is a paint
  static Paint linear(float x0, float y0, float x1, float y1, std::vector<Stop> stops);
  static Paint radial(float cx, float cy, float r, std::vector<Stop> stops);
  static Paint custom(std::function<Colour(float x, float y)> f);

  Colour at(float x, float y) const;
  bool solid() const { return kind_ == Kind::Solid; }

 private:
  enum class Kind { Solid, Linear, Radial, Custom };
  Paint() = default;
  Colour ramp(float t) const;

  Kind kind_ = Kind::Solid;
  Colour colour_;
  float x0_ = 0, y0_ = 0, dx_ = 0, dy_ = 0, inv_ = 0, r_ = 1;
  std::vector<Stop> stops_;
  std::function<Colour(float, float)> fn_;
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height);
  Canvas(int width, int height, const Paint& fill);

  int width() const { return width_; }
  int height() const { return height_; }

  // Every pixel replaced by the paint.
  void fill(const Paint& paint);
  // The shape painted over what is there. feather is the width of the soft edge in
  // pixels: 1 is plain anti-aliasing, larger values give a blurred rim.
  void draw(const Shape& shape, const Paint& paint, float opacity = 1.0f, float feather = 1.0f);
  // Coverage of the shape removed from the canvas (cuts holes).
  void erase(const Shape& shape, float opacity = 1.0f, float feather = 1.0f);
  // A coverage mask (w x h values 0..1, rows top to bottom) painted at (dx, dy).
  void drawCoverage(int dx, int dy, int w, int h, const float* coverage, const Paint& paint,
                    float opacity = 1.0f);
  // Another canvas painted over this one with its top-left corner at (dx, dy).
  void drawCanvas(const Canvas& source, int dx, int dy, float opacity = 1.0f);
  // A picture drawn with its top-left corner at (x, y), scaled (bilinear).
  void drawImage(const RgbaImage& image, float x, float y, float scale = 1.0f, float opacity = 1.0f);
  // Additive light: the paint's colour times coverage added (for glows and sparkles).
  void glow(const Shape& shape, const Paint& paint, float strength = 1.0f, float feather = 1.0f);
  // Soft blur with roughly the given radius (three box passes).
  void blur(float radius);
  // A canvas of the same size whose alpha is this one's, coloured c, blurred by
  // radius and moved by (dx, dy): a drop shadow or a halo.
  Canvas shadow(Colour c, float radius, int dx, int dy) const;
  // Each pixel's colour passed through f (alpha kept).
  void transform(const std::function<Colour(Colour, int x, int y)>& f);
  // Deterministic film grain of the given strength (0..1), to break up banding.
  void grain(float strength, std::uint32_t seed);

  Colour pixel(int x, int y) const;  // straight colour

  // 8-bit RGBA with an ordered dither, so gradients do not band.
  RgbaImage toImage() const;

 private:
  void blend(std::size_t i, const Colour& c, float alpha);

  int width_ = 0;
  int height_ = 0;
  std::vector<float> px_;  // premultiplied RGBA
};

// The smallest rectangle holding every pixel whose alpha is not 0 (empty when none).
Rect opaqueBounds(const RgbaImage& image);
RgbaImage cropImage(const RgbaImage& image, const Rect& r);
// Area-averaged reduction (or plain enlargement) to width x height.
RgbaImage resizeImage(const RgbaImage& image, int width, int height);

// Deterministic randomness for generated content.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  float uniform();                   // 0 <= u < 1
  float range(float lo, float hi);   // lo <= v < hi
  int below(int n);                  // 0 <= v < n

 private:
  std::uint64_t state_;
};

// Smooth value noise in 0..1 and its fractal sum (octaves halving in size).
float valueNoise(float x, float y, std::uint32_t seed);
float fractalNoise(float x, float y, int octaves, std::uint32_t seed);

}  // namespace ml::tools
