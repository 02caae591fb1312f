#include "tools/common/canvas_text.h"

#include <gtest/gtest.h>

namespace ml::tools {
namespace {

float maskSum(const TextMask& m) {
  float s = 0;
  for (float a : m.alpha) s += a;
  return s;
}

TEST(CanvasTextTest, LetteringHasInkWhereTheTextIs) {
  TextPainter painter;
  if (!painter.available()) GTEST_SKIP() << "no font installed";
  TextMask m = painter.render("ほしふる浜で", "IPAPGothic", 32, 1, 0, 6);
  EXPECT_EQ(m.pad, 6);
  EXPECT_EQ(m.width, painter.measure("ほしふる浜で", "IPAPGothic", 32, 1) + 2 * 6 + 2);
  EXPECT_GT(maskSum(m), 100.0f);
  // Nothing outside the padding's inner box, and the outline only adds coverage.
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(m.alpha[std::size_t(y) * m.width + x], 0.0f);
  TextMask g = m.grown(2);
  for (std::size_t i = 0; i < m.alpha.size(); ++i) ASSERT_GE(g.alpha[i] + 1e-6f, m.alpha[i]);
  EXPECT_GT(maskSum(g), maskSum(m));
  EXPECT_NEAR(maskSum(m.blurred(3)), maskSum(m), maskSum(m) * 0.02f);

  // A centred label sits around its x.
  Canvas c(400, 60);
  TextStyleSpec spec;
  spec.height = 24;
  int w = drawLabel(c, painter, "ABC", 200, 10, spec, true);
  Rect r = opaqueBounds(c.toImage());
  EXPECT_GT(w, 20);
  EXPECT_NEAR(r.x + r.width / 2.0, 200, 4);
  EXPECT_EQ(painter.measure("", "IPAPGothic", 24), 0);
}

}  // namespace
}  // namespace ml::tools
