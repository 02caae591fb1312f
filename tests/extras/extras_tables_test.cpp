// The extras tables: the derived recollection flags, and what the galleries count and
// show. (How the tables' rows are read and checked is tested with the game-data file.)
#include <gtest/gtest.h>

#include <cstring>

#include "scene/extras_screens.h"
#include "engine/game_content.h"

namespace ml {
namespace {

struct DerivedCase {
  std::vector<int> set;
  int derived;  // expected value of F100
};

class DerivedFlags : public ::testing::TestWithParam<DerivedCase> {};

TEST_P(DerivedFlags, AFlagIsSetWhenEitherOfItsTwoIs) {
  // F100 <- F1 | F2; F101 <- F100 | F3 (rules apply in order, so a chain carries on).
  const std::vector<DerivedFlagRule> rules = {{1, 2, 100}, {100, 3, 101}};
  std::uint8_t flags[2048] = {};
  for (int f : GetParam().set) flags[f] = 1;
  applyDerivedFlags(rules, flags);
  EXPECT_EQ(flags[100], GetParam().derived);
  EXPECT_EQ(flags[101], flags[100] || flags[3] ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Extras, DerivedFlags,
                         ::testing::Values(DerivedCase{{}, 0}, DerivedCase{{1}, 1}, DerivedCase{{2}, 1},
                                           DerivedCase{{1, 2}, 1}, DerivedCase{{3}, 0}, DerivedCase{{100}, 1}));

TEST(ExtrasTables, ARuleNeverClearsAndNeverReachesOutsideTheTable) {
  std::uint8_t flags[2048] = {};
  flags[7] = 1;
  applyDerivedFlags({{1, 2, 7}, {2047, 0, 5000}}, flags);
  EXPECT_EQ(flags[7], 1);
}

TEST(GalleryCounts, SeenPicturesAndThePercentage) {
  ExtrasTables t;
  t.gallery[0].push_back({{{"a", 1}, {"b", 2}, {"c", 3}}});
  t.gallery[3].push_back({{{"d", 4}}});
  std::uint8_t flags[2048] = {};
  flags[2] = flags[3] = 1;
  const GalleryCount c = countSeen(t.gallery[0][0], flags);
  EXPECT_EQ(c.seen, 2);
  EXPECT_EQ(c.total, 3);
  EXPECT_EQ(galleryPercent(t, flags), 50);
  EXPECT_EQ(galleryPercent(ExtrasTables{}, flags), 0);
  t.recollection[1].push_back({9, "s", 0});
  t.recollection[0].push_back({8, "s", 0});
  flags[9] = 1;
  EXPECT_EQ(recollectionPercent(t, flags), 50);
}

TEST(GalleryCounts, PercentDigitsStandWhereThreePlacesPutThem) {
  struct Case {
    int percent, d0, d1, d2;
  };
  for (const Case& c : {Case{0, -1, -1, 0}, Case{7, -1, -1, 7}, Case{50, -1, 5, 0}, Case{100, 1, 0, 0}}) {
    int d[3];
    percentDigits(c.percent, d);
    EXPECT_EQ(d[0], c.d0) << c.percent;
    EXPECT_EQ(d[1], c.d1) << c.percent;
    EXPECT_EQ(d[2], c.d2) << c.percent;
  }
}

}  // namespace
}  // namespace ml
