#include "tools/common/canvas.h"

#include <algorithm>
#include <cmath>

namespace ml::tools {
namespace {

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float length(float x, float y) { return std::sqrt(x * x + y * y); }

struct CircleImpl : Shape::Impl {
  float cx, cy, r;
  CircleImpl(float x, float y, float rr) : cx(x), cy(y), r(rr) {}
  float distance(float x, float y) const override { return length(x - cx, y - cy) - r; }
  Bounds bounds() const override { return {cx - r, cy - r, cx + r, cy + r}; }
};

// Distance to an ellipse by a few steps towards the closest point on it (a fixed
// number of steps, so equal input gives equal pixels).
struct EllipseImpl : Shape::Impl {
  float cx, cy, rx, ry;
  EllipseImpl(float x, float y, float a, float b) : cx(x), cy(y), rx(a), ry(b) {}
  float distance(float x, float y) const override {
    float px = std::fabs(x - cx), py = std::fabs(y - cy);
    float a = rx, b = ry;
    float tx = 0.70710678f, ty = 0.70710678f;
    for (int i = 0; i < 3; ++i) {
      float ex = (a * a - b * b) * tx * tx * tx / a;
      float ey = (b * b - a * a) * ty * ty * ty / b;
      float qx = px - ex, qy = py - ey;
      float r = length(a * tx - ex, b * ty - ey), q = length(qx, qy);
      if (q < 1e-6f) break;
      tx = clamp01((qx * r / q + ex) / a);
      ty = clamp01((qy * r / q + ey) / b);
      float t = length(tx, ty);
      if (t < 1e-6f) break;
      tx /= t;
      ty /= t;
    }
    float d = length(px - a * tx, py - b * ty);
    bool inside = (px * px) / (a * a) + (py * py) / (b * b) < 1.0f;
    return inside ? -d : d;
  }
  Bounds bounds() const override { return {cx - rx, cy - ry, cx + rx, cy + ry}; }
};

struct RectImpl : Shape::Impl {
  float cx, cy, hx, hy, r;
  RectImpl(float x0, float y0, float x1, float y1, float radius)
      : cx((x0 + x1) / 2), cy((y0 + y1) / 2), hx(std::fabs(x1 - x0) / 2), hy(std::fabs(y1 - y0) / 2),
        r(std::min({radius, std::fabs(x1 - x0) / 2, std::fabs(y1 - y0) / 2})) {}
  float distance(float x, float y) const override {
    float qx = std::fabs(x - cx) - hx + r;
    float qy = std::fabs(y - cy) - hy + r;
    return length(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - r;
  }
  Bounds bounds() const override { return {cx - hx, cy - hy, cx + hx, cy + hy}; }
};

struct LineImpl : Shape::Impl {
  float ax, ay, bx, by, half;
  LineImpl(float x0, float y0, float x1, float y1, float w) : ax(x0), ay(y0), bx(x1), by(y1), half(w / 2) {}
  float distance(float x, float y) const override {
    float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
    float ee = ex * ex + ey * ey;
    float t = ee > 0 ? clamp01((px * ex + py * ey) / ee) : 0;
    return length(px - ex * t, py - ey * t) - half;
  }
  Bounds bounds() const override {
    return {std::min(ax, bx) - half, std::min(ay, by) - half, std::max(ax, bx) + half,
            std::max(ay, by) + half};
  }
};

struct PolygonImpl : Shape::Impl {
  std::vector<Point> v;
  Bounds box;
  explicit PolygonImpl(std::vector<Point> pts) : v(std::move(pts)) {
    box = {1e9f, 1e9f, -1e9f, -1e9f};
    for (const Point& p : v) {
      box.x0 = std::min(box.x0, p.x);
      box.y0 = std::min(box.y0, p.y);
      box.x1 = std::max(box.x1, p.x);
      box.y1 = std::max(box.y1, p.y);
    }
    if (v.empty()) box = {0, 0, 0, 0};
  }
  float distance(float x, float y) const override {
    if (v.size() < 3) return 1e9f;
    float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
    float s = 1.0f;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
      float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
      float wx = x - v[i].x, wy = y - v[i].y;
      float ee = ex * ex + ey * ey;
      float t = ee > 0 ? clamp01((wx * ex + wy * ey) / ee) : 0;
      float bx = wx - ex * t, by = wy - ey * t;
      d = std::min(d, bx * bx + by * by);
      bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
  }
  Bounds bounds() const override { return box; }
};

enum class Op { Union, Intersect, Subtract };

struct CombineImpl : Shape::Impl {
  Shape a, b;
  Op op;
  CombineImpl(Shape x, Shape y, Op o) : a(std::move(x)), b(std::move(y)), op(o) {}
  float distance(float x, float y) const override {
    float da = a.distance(x, y), db = b.distance(x, y);
    switch (op) {
      case Op::Union: return std::min(da, db);
      case Op::Intersect: return std::max(da, db);
      case Op::Subtract: return std::max(da, -db);
    }
    return da;
  }
  Bounds bounds() const override {
    Bounds p = a.bounds(), q = b.bounds();
    switch (op) {
      case Op::Union:
        return {std::min(p.x0, q.x0), std::min(p.y0, q.y0), std::max(p.x1, q.x1), std::max(p.y1, q.y1)};
      case Op::Intersect:
        return {std::max(p.x0, q.x0), std::max(p.y0, q.y0), std::min(p.x1, q.x1), std::min(p.y1, q.y1)};
      case Op::Subtract: return p;
    }
    return p;
  }
};

struct GrownImpl : Shape::Impl {
  Shape s;
  float d;
  GrownImpl(Shape shape, float by) : s(std::move(shape)), d(by) {}
  float distance(float x, float y) const override { return s.distance(x, y) - d; }
  Bounds bounds() const override {
    Bounds b = s.bounds();
    float g = std::max(d, 0.0f);
    return {b.x0 - g, b.y0 - g, b.x1 + g, b.y1 + g};
  }
};

struct MovedImpl : Shape::Impl {
  Shape s;
  float dx, dy;
  MovedImpl(Shape shape, float x, float y) : s(std::move(shape)), dx(x), dy(y) {}
  float distance(float x, float y) const override { return s.distance(x - dx, y - dy); }
  Bounds bounds() const override {
    Bounds b = s.bounds();
    return {b.x0 + dx, b.y0 + dy, b.x1 + dx, b.y1 + dy};
  }
};

std::uint32_t hash2(int x, int y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float smoothstep(float t) { return t * t * (3 - 2 * t); }

// Edge coverage from a signed distance at a pixel centre.
float coverage(float d, float feather) { return clamp01(0.5f - d / feather); }

// Calls f(x, y, coverage) for every pixel of the canvas the shape touches. Distances
// change by at most one pixel per pixel, so an 8x8 tile whose centre lies far enough
// from the edge is wholly inside or outside and is not measured pixel by pixel.
template <class F>
void forCoverage(const Shape& shape, float feather, int width, int height, F&& f) {
  Bounds b = shape.bounds();
  float pad = feather + 1;
  int x0 = std::max(0, static_cast<int>(std::floor(b.x0 - pad)));
  int y0 = std::max(0, static_cast<int>(std::floor(b.y0 - pad)));
  int x1 = std::min(width, static_cast<int>(std::ceil(b.x1 + pad)));
  int y1 = std::min(height, static_cast<int>(std::ceil(b.y1 + pad)));
  constexpr int kTile = 8;
  const float reach = kTile * 0.7072f + feather;
  for (int ty = y0; ty < y1; ty += kTile) {
    for (int tx = x0; tx < x1; tx += kTile) {
      int ex = std::min(tx + kTile, x1), ey = std::min(ty + kTile, y1);
      float d = shape.distance((tx + ex) * 0.5f, (ty + ey) * 0.5f);
      if (d > reach) continue;
      bool inside = d < -reach;
      for (int y = ty; y < ey; ++y)
        for (int x = tx; x < ex; ++x) {
          float c = inside ? 1.0f : coverage(shape.distance(x + 0.5f, y + 0.5f), feather);
          if (c > 0) f(x, y, c);
        }
    }
  }
}

}  // namespace

Colour rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Colour mix(const Colour& x, const Colour& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

Colour withAlpha(Colour c, float a) {
  c.a = a;
  return c;
}

Colour shade(Colour c, float k) { return {clamp01(c.r * k), clamp01(c.g * k), clamp01(c.b * k), c.a}; }

Shape Shape::circle(float cx, float cy, float r) { return Shape(std::make_shared<CircleImpl>(cx, cy, r)); }
Shape Shape::ellipse(float cx, float cy, float rx, float ry) {
  return Shape(std::make_shared<EllipseImpl>(cx, cy, std::max(rx, 0.01f), std::max(ry, 0.01f)));
}
Shape Shape::rect(float x0, float y0, float x1, float y1, float radius) {
  return Shape(std::make_shared<RectImpl>(x0, y0, x1, y1, radius));
}
Shape Shape::line(float x0, float y0, float x1, float y1, float width) {
  return Shape(std::make_shared<LineImpl>(x0, y0, x1, y1, width));
}
Shape Shape::polygon(std::vector<Point> points) { return Shape(std::make_shared<PolygonImpl>(std::move(points))); }

Shape Shape::smooth(const std::vector<Point>& p, int steps) {
  std::vector<Point> out;
  std::size_t n = p.size();
  if (n < 3) return polygon(p);
  steps = std::max(steps, 1);
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a = p[(i + n - 1) % n];
    const Point& b = p[i];
    const Point& c = p[(i + 1) % n];
    const Point& d = p[(i + 2) % n];
    for (int s = 0; s < steps; ++s) {
      float t = static_cast<float>(s) / steps, t2 = t * t, t3 = t2 * t;
      auto cr = [&](float pa, float pb, float pc, float pd) {
        return 0.5f * (2 * pb + (-pa + pc) * t + (2 * pa - 5 * pb + 4 * pc - pd) * t2 +
                       (-pa + 3 * pb - 3 * pc + pd) * t3);
      };
      out.push_back({cr(a.x, b.x, c.x, d.x), cr(a.y, b.y, c.y, d.y)});
    }
  }
  return polygon(std::move(out));
}

Shape Shape::operator|(const Shape& o) const { return Shape(std::make_shared<CombineImpl>(*this, o, Op::Union)); }
Shape Shape::operator&(const Shape& o) const { return Shape(std::make_shared<CombineImpl>(*this, o, Op::Intersect)); }
Shape Shape::operator-(const Shape& o) const { return Shape(std::make_shared<CombineImpl>(*this, o, Op::Subtract)); }
Shape Shape::grown(float d) const { return Shape(std::make_shared<GrownImpl>(*this, d)); }
Shape Shape::moved(float dx, float dy) const { return Shape(std::make_shared<MovedImpl>(*this, dx, dy)); }

Paint::Paint(Colour c) : kind_(Kind::Solid), colour_(c) {}

Paint Paint::linear(float x0, float y0, float x1, float y1, std::vector<Stop> stops) {
  Paint p;
  p.kind_ = Kind::Linear;
  p.x0_ = x0;
  p.y0_ = y0;
  p.dx_ = x1 - x0;
  p.dy_ = y1 - y0;
  float ll = p.dx_ * p.dx_ + p.dy_ * p.dy_;
  p.inv_ = ll > 0 ? 1.0f / ll : 0;
  p.stops_ = std::move(stops);
  return p;
}

Paint Paint::radial(float cx, float cy, float r, std::vector<Stop> stops) {
  Paint p;
  p.kind_ = Kind::Radial;
  p.x0_ = cx;
  p.y0_ = cy;
  p.r_ = r > 0 ? r : 1;
  p.stops_ = std::move(stops);
  return p;
}

Paint Paint::custom(std::function<Colour(float, float)> f) {
  Paint p;
  p.kind_ = Kind::Custom;
  p.fn_ = std::move(f);
  return p;
}

Colour Paint::ramp(float t) const {
  if (stops_.empty()) return {};
  if (t <= stops_.front().t) return stops_.front().c;
  for (std::size_t i = 1; i < stops_.size(); ++i) {
    if (t <= stops_[i].t) {
      float span = stops_[i].t - stops_[i - 1].t;
      return mix(stops_[i - 1].c, stops_[i].c, span > 0 ? (t - stops_[i - 1].t) / span : 1);
    }
  }
  return stops_.back().c;
}

Colour Paint::at(float x, float y) const {
  switch (kind_) {
    case Kind::Solid: return colour_;
    case Kind::Linear: return ramp(((x - x0_) * dx_ + (y - y0_) * dy_) * inv_);
    case Kind::Radial: return ramp(length(x - x0_, y - y0_) / r_);
    case Kind::Custom: return fn_(x, y);
  }
  return colour_;
}

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), px_(std::size_t(width_) * height_ * 4, 0.0f) {}

Canvas::Canvas(int width, int height, const Paint& fill) : Canvas(width, height) { this->fill(fill); }

void Canvas::fill(const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      Colour c = paint.at(x + 0.5f, y + 0.5f);
      float* p = &px_[(std::size_t(y) * width_ + x) * 4];
      float a = clamp01(c.a);
      p[0] = clamp01(c.r) * a;
      p[1] = clamp01(c.g) * a;
      p[2] = clamp01(c.b) * a;
      p[3] = a;
    }
}

void Canvas::blend(std::size_t i, const Colour& c, float alpha) {
  float* p = &px_[i * 4];
  float a = clamp01(alpha);
  float k = 1 - a;
  p[0] = clamp01(c.r) * a + p[0] * k;
  p[1] = clamp01(c.g) * a + p[1] * k;
  p[2] = clamp01(c.b) * a + p[2] * k;
  p[3] = a + p[3] * k;
}

void Canvas::draw(const Shape& shape, const Paint& paint, float opacity, float feather) {
  feather = std::max(feather, 0.25f);
  forCoverage(shape, feather, width_, height_, [&](int x, int y, float cov) {
    Colour c = paint.at(x + 0.5f, y + 0.5f);
    blend(std::size_t(y) * width_ + x, c, c.a * cov * opacity);
  });
}

void Canvas::erase(const Shape& shape, float opacity, float feather) {
  feather = std::max(feather, 0.25f);
  forCoverage(shape, feather, width_, height_, [&](int x, int y, float cov) {
    float k = 1 - clamp01(cov * opacity);
    float* p = &px_[(std::size_t(y) * width_ + x) * 4];
    for (int c = 0; c < 4; ++c) p[c] *= k;
  });
}

void Canvas::glow(const Shape& shape, const Paint& paint, float strength, float feather) {
  feather = std::max(feather, 0.25f);
  forCoverage(shape, feather, width_, height_, [&](int x, int y, float cov) {
    Colour c = paint.at(x + 0.5f, y + 0.5f);
    float k = clamp01(cov * strength * c.a);
    float* p = &px_[(std::size_t(y) * width_ + x) * 4];
    p[0] += c.r * k;
    p[1] += c.g * k;
    p[2] += c.b * k;
    p[3] = p[3] + (1 - p[3]) * k;
    for (int i = 0; i < 3; ++i) p[i] = std::min(p[i], p[3]);
  });
}

void Canvas::drawCoverage(int dx, int dy, int w, int h, const float* coverage, const Paint& paint,
                          float opacity) {
  for (int y = 0; y < h; ++y) {
    int ty = y + dy;
    if (ty < 0 || ty >= height_) continue;
    for (int x = 0; x < w; ++x) {
      int tx = x + dx;
      float cov = coverage[std::size_t(y) * w + x];
      if (tx < 0 || tx >= width_ || cov <= 0) continue;
      Colour c = paint.at(tx + 0.5f, ty + 0.5f);
      blend(std::size_t(ty) * width_ + tx, c, c.a * clamp01(cov) * opacity);
    }
  }
}

void Canvas::drawCanvas(const Canvas& source, int dx, int dy, float opacity) {
  for (int y = 0; y < source.height_; ++y) {
    int ty = y + dy;
    if (ty < 0 || ty >= height_) continue;
    for (int x = 0; x < source.width_; ++x) {
      int tx = x + dx;
      if (tx < 0 || tx >= width_) continue;
      const float* s = &source.px_[(std::size_t(y) * source.width_ + x) * 4];
      float* d = &px_[(std::size_t(ty) * width_ + tx) * 4];
      float k = 1 - s[3] * opacity;
      for (int c = 0; c < 4; ++c) d[c] = s[c] * opacity + d[c] * k;
    }
  }
}

void Canvas::drawImage(const RgbaImage& image, float x, float y, float scale, float opacity) {
  if (image.empty() || scale <= 0) return;
  int x0 = std::max(0, static_cast<int>(std::floor(x))), y0 = std::max(0, static_cast<int>(std::floor(y)));
  int x1 = std::min(width_, static_cast<int>(std::ceil(x + image.width * scale)));
  int y1 = std::min(height_, static_cast<int>(std::ceil(y + image.height * scale)));
  for (int ty = y0; ty < y1; ++ty)
    for (int tx = x0; tx < x1; ++tx) {
      float sx = (tx + 0.5f - x) / scale - 0.5f, sy = (ty + 0.5f - y) / scale - 0.5f;
      int ix = static_cast<int>(std::floor(sx)), iy = static_cast<int>(std::floor(sy));
      float fx = sx - ix, fy = sy - iy;
      float acc[4] = {0, 0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        int px = ix + (k & 1), py = iy + (k >> 1);
        if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
        float w = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
        const std::uint8_t* p = image.at(px, py);
        float a = p[3] / 255.0f * w;
        for (int c = 0; c < 3; ++c) acc[c] += p[c] / 255.0f * a;
        acc[3] += a;
      }
      if (acc[3] <= 0) continue;
      float* d = &px_[(std::size_t(ty) * width_ + tx) * 4];
      float a = acc[3] * opacity, k = 1 - a;
      for (int c = 0; c < 3; ++c) d[c] = acc[c] * opacity + d[c] * k;
      d[3] = a + d[3] * k;
    }
}

void Canvas::blur(float radius) {
  if (radius <= 0 || px_.empty()) return;
  float sigma = radius / 2;
  int half = std::max(1, static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
  std::vector<float> line;
  auto pass = [&](int count, int length, std::size_t start, std::size_t stride, std::size_t step) {
    line.resize(std::size_t(length) * 4);
    for (int n = 0; n < count; ++n) {
      std::size_t base = start + n * stride;
      for (int i = 0; i < length; ++i)
        for (int c = 0; c < 4; ++c) line[i * 4 + c] = px_[(base + i * step) * 4 + c];
      float sum[4] = {0, 0, 0, 0};
      auto get = [&](int i, int c) { return line[std::clamp(i, 0, length - 1) * 4 + c]; };
      for (int i = -half; i <= half; ++i)
        for (int c = 0; c < 4; ++c) sum[c] += get(i, c);
      float inv = 1.0f / (2 * half + 1);
      for (int i = 0; i < length; ++i) {
        for (int c = 0; c < 4; ++c) {
          px_[(base + i * step) * 4 + c] = sum[c] * inv;
          sum[c] += get(i + half + 1, c) - get(i - half, c);
        }
      }
    }
  };
  for (int k = 0; k < 3; ++k) {
    pass(height_, width_, 0, width_, 1);
    pass(width_, height_, 0, 1, width_);
  }
}

Canvas Canvas::shadow(Colour c, float radius, int dx, int dy) const {
  Canvas out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    int sy = y - dy;
    if (sy < 0 || sy >= height_) continue;
    for (int x = 0; x < width_; ++x) {
      int sx = x - dx;
      if (sx < 0 || sx >= width_) continue;
      float a = px_[(std::size_t(sy) * width_ + sx) * 4 + 3] * c.a;
      float* p = &out.px_[(std::size_t(y) * width_ + x) * 4];
      p[0] = c.r * a;
      p[1] = c.g * a;
      p[2] = c.b * a;
      p[3] = a;
    }
  }
  out.blur(radius);
  return out;
}

void Canvas::transform(const std::function<Colour(Colour, int, int)>& f) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float* p = &px_[(std::size_t(y) * width_ + x) * 4];
      if (p[3] <= 0) continue;
      Colour c{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
      Colour o = f(c, x, y);
      p[0] = clamp01(o.r) * p[3];
      p[1] = clamp01(o.g) * p[3];
      p[2] = clamp01(o.b) * p[3];
    }
}

void Canvas::grain(float strength, std::uint32_t seed) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float n = (hash2(x, y, seed) & 0xFFFF) / 65535.0f - 0.5f;
      float* p = &px_[(std::size_t(y) * width_ + x) * 4];
      for (int c = 0; c < 3; ++c) p[c] = std::clamp(p[c] + n * strength * p[3], 0.0f, p[3]);
    }
}

Colour Canvas::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0, 0};
  const float* p = &px_[(std::size_t(y) * width_ + x) * 4];
  if (p[3] <= 0) return {0, 0, 0, 0};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

RgbaImage Canvas::toImage() const {
  static constexpr float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  RgbaImage out(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const float* p = &px_[(std::size_t(y) * width_ + x) * 4];
      std::uint8_t* o = out.at(x, y);
      float a = clamp01(p[3]);
      float d = (kBayer[y & 3][x & 3] + 0.5f) / 16.0f;
      int ia = static_cast<int>(a * 255 + d);
      if (ia <= 0) {
        o[0] = o[1] = o[2] = o[3] = 0;
        continue;
      }
      for (int c = 0; c < 3; ++c) o[c] = static_cast<std::uint8_t>(std::min(255, static_cast<int>(clamp01(p[c] / a) * 255 + d)));
      o[3] = static_cast<std::uint8_t>(std::min(ia, 255));
    }
  return out;
}

Rect opaqueBounds(const RgbaImage& image) {
  int x0 = image.width, y0 = image.height, x1 = -1, y1 = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.at(x, y)[3] != 0) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return {};
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

RgbaImage cropImage(const RgbaImage& image, const Rect& r) {
  RgbaImage out(std::max(r.width, 0), std::max(r.height, 0));
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      int sx = r.x + x, sy = r.y + y;
      if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) continue;
      const std::uint8_t* s = image.at(sx, sy);
      std::uint8_t* d = out.at(x, y);
      for (int c = 0; c < 4; ++c) d[c] = s[c];
    }
  return out;
}

RgbaImage resizeImage(const RgbaImage& image, int width, int height) {
  RgbaImage out(std::max(width, 0), std::max(height, 0));
  if (image.empty() || out.empty()) return out;
  double sx = static_cast<double>(image.width) / out.width;
  double sy = static_cast<double>(image.height) / out.height;
  for (int y = 0; y < out.height; ++y) {
    int y0 = static_cast<int>(y * sy), y1 = std::max(y0 + 1, static_cast<int>((y + 1) * sy));
    y1 = std::min(y1, image.height);
    for (int x = 0; x < out.width; ++x) {
      int x0 = static_cast<int>(x * sx), x1 = std::max(x0 + 1, static_cast<int>((x + 1) * sx));
      x1 = std::min(x1, image.width);
      double acc[4] = {0, 0, 0, 0};
      int n = 0;
      for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) {
          const std::uint8_t* p = image.at(xx, yy);
          double a = p[3];
          for (int c = 0; c < 3; ++c) acc[c] += p[c] * a;
          acc[3] += a;
          ++n;
        }
      std::uint8_t* d = out.at(x, y);
      if (acc[3] <= 0 || n == 0) continue;
      for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>(std::lround(acc[c] / acc[3]));
      d[3] = static_cast<std::uint8_t>(std::lround(acc[3] / n));
    }
  }
  return out;
}

std::uint64_t Rng::next() {
  // SplitMix64: small, fast and the same everywhere.
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float Rng::uniform() { return static_cast<float>(next() >> 40) / static_cast<float>(1ull << 24); }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
int Rng::below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

float valueNoise(float x, float y, std::uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = smoothstep(x - fx), ty = smoothstep(y - fy);
  auto h = [&](int dx, int dy) { return (hash2(ix + dx, iy + dy, seed) & 0xFFFFFF) / 16777215.0f; };
  float a = h(0, 0) + (h(1, 0) - h(0, 0)) * tx;
  float b = h(0, 1) + (h(1, 1) - h(0, 1)) * tx;
  return a + (b - a) * ty;
}

float fractalNoise(float x, float y, int octaves, std::uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += valueNoise(x, y, seed + i * 101u) * amp;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return norm > 0 ? sum / norm : 0;
}

}  // namespace ml::tools
