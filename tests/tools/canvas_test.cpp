#include "tools/common/canvas.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ml::tools {
namespace {

double alphaSum(const RgbaImage& img) {
  double s = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) s += img.at(x, y)[3] / 255.0;
  return s;
}

TEST(CanvasTest, ShapesCoverTheirAreaWithSoftEdges) {
  Canvas c(100, 100);
  c.draw(Shape::circle(50, 50, 30), rgb(255, 0, 0));
  RgbaImage img = c.toImage();
  EXPECT_NEAR(alphaSum(img), 3.14159 * 30 * 30, 30);
  EXPECT_EQ(img.at(50, 50)[3], 255);
  EXPECT_EQ(img.at(50, 50)[0], 255);
  EXPECT_EQ(img.at(5, 5)[3], 0);
  int partial = 0;
  for (int x = 0; x < 100; ++x) {
    int a = img.at(x, 50)[3];
    if (a > 0 && a < 255) ++partial;
  }
  EXPECT_GE(partial, 1);  // anti-aliased rim
  EXPECT_LE(partial, 4);

  // Combinations: a ring is the circle less a smaller one.
  Canvas ring(100, 100);
  ring.draw(Shape::circle(50, 50, 30) - Shape::circle(50, 50, 20), rgb(0, 0, 255));
  RgbaImage r = ring.toImage();
  EXPECT_EQ(r.at(50, 50)[3], 0);
  EXPECT_EQ(r.at(50, 25)[3], 255);
  EXPECT_NEAR(alphaSum(r), 3.14159 * (900 - 400), 30);

  // Thin and elongated shapes are not lost by the tile shortcut.
  Canvas thin(200, 40);
  thin.draw(Shape::ellipse(100, 20, 95, 2), rgb(255, 255, 255));
  thin.draw(Shape::polygon({{0, 30}, {200, 31}, {200, 32}, {0, 31}}), rgb(255, 255, 255));
  RgbaImage t = thin.toImage();
  EXPECT_NEAR(alphaSum(t), 3.14159 * 95 * 2 + 200, 25);
}

TEST(CanvasTest, BoundsCropAndBlurKeepContent) {
  Canvas c(64, 48);
  c.draw(Shape::rect(10, 12, 30, 20), rgb(0, 255, 0));
  RgbaImage img = c.toImage();
  Rect r = opaqueBounds(img);
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 12);
  EXPECT_EQ(r.width, 20);
  EXPECT_EQ(r.height, 8);
  RgbaImage crop = cropImage(img, r);
  EXPECT_EQ(crop.width, 20);
  EXPECT_EQ(alphaSum(crop), alphaSum(img));
  EXPECT_EQ(opaqueBounds(RgbaImage(5, 5)).width, 0);

  double before = alphaSum(img);
  c.blur(6);
  RgbaImage blurred = c.toImage();
  EXPECT_NEAR(alphaSum(blurred), before, before * 0.05);
  EXPECT_GT(opaqueBounds(blurred).width, 20);
}

TEST(CanvasTest, GradientsAndDeterminism) {
  Canvas c(256, 1, Paint::linear(0, 0, 256, 0, {{0, rgb(0, 0, 0)}, {1, rgb(255, 255, 255)}}));
  RgbaImage img = c.toImage();
  EXPECT_LE(img.at(0, 0)[0], 2);
  EXPECT_GE(img.at(255, 0)[0], 253);
  for (int x = 1; x < 256; ++x) EXPECT_GE(img.at(x, 0)[0] + 1, img.at(x - 1, 0)[0]);

  auto make = [] {
    Canvas k(80, 60, rgb(10, 20, 30));
    k.fill(Paint::custom([](float x, float y) {
      float n = fractalNoise(x / 20, y / 20, 4, 7);
      return rgb(static_cast<int>(n * 255), 100, 50);
    }));
    k.grain(0.05f, 3);
    return k.toImage().pixels;
  };
  EXPECT_EQ(make(), make());
  Rng a(5), b(5);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(a.next(), b.next());
}

}  // namespace
}  // namespace ml::tools
