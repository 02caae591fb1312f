// The one rectangle of the code: a position and a size in pixels.
#pragma once

#include <algorithm>

namespace ml {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  constexpr bool empty() const { return width <= 0 || height <= 0; }
  constexpr int right() const { return x + width; }
  constexpr int bottom() const { return y + height; }
  constexpr bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
  constexpr bool operator==(const Rect&) const = default;
};

// The smallest rectangle holding both; an empty one adds nothing.
constexpr Rect unite(const Rect& a, const Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  return {left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top};
}

// The overlap of both; empty (size 0) when they do not meet.
constexpr Rect intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const int right = std::min(a.right(), b.right()), bottom = std::min(a.bottom(), b.bottom());
  if (right <= left || bottom <= top) return {left, top, 0, 0};
  return {left, top, right - left, bottom - top};
}

}  // namespace ml
