// The extras tables: rows checked before use, the derived recollection flags, and what
// the galleries count and show.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "scene/extras_screens.h"
#include "scene/extras_tables.h"

namespace ml {
namespace {

const std::set<std::string> kFiles = {"cg\\ev1.bmp", "cg\\ev2.bmp", "scr\\scene.scr", "wav\\m1.wav"};

bool exists(const std::string& p) { return kFiles.count(p) != 0; }

struct RowCase {
  const char* what;
  ExtrasRows rows;
  int gallery, scenes, rules, tracks, problems;
};

class TableRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(TableRows, FaultyRowsAreReportedAndLeftOut) {
  const RowCase& c = GetParam();
  std::vector<std::string> problems;
  const ExtrasTables t = checkExtrasRows(c.rows, exists, problems);
  int gallery = 0, scenes = 0, tracks = 0;
  for (const auto& p : t.gallery) gallery += static_cast<int>(p.size());
  for (const auto& p : t.recollection) scenes += static_cast<int>(p.size());
  for (const auto& m : t.music) tracks += m.empty() ? 0 : 1;
  EXPECT_EQ(gallery, c.gallery) << c.what;
  EXPECT_EQ(scenes, c.scenes) << c.what;
  EXPECT_EQ(static_cast<int>(t.derivedFlags.size()), c.rules) << c.what;
  EXPECT_EQ(tracks, c.tracks) << c.what;
  EXPECT_EQ(static_cast<int>(problems.size()), c.problems) << c.what;
  // Whatever was kept can be indexed without a check.
  for (const auto& p : t.gallery)
    for (const auto& e : p)
      for (const auto& pic : e.pictures) EXPECT_TRUE(pic.flag >= 0 && pic.flag < 2048);
}

const std::string kLong(70, 'x');

INSTANTIATE_TEST_SUITE_P(
    Extras, TableRows,
    ::testing::Values(
        RowCase{"sound rows", {{{0, {"ev1", "ev2"}, {10, 11}}}, {{1, 5, "scene", 2}}, {{1, 2, 3}}, {{3, "m1"}}},
                1, 1, 1, 1, 0},
        RowCase{"flag above the table", {{{0, {"ev1"}, {2048}}}, {{0, -1, "scene", 0}}, {{1, 2, 4000}}, {}},
                0, 0, 0, 0, 3},
        RowCase{"missing files", {{{0, {"ev1", "nope"}, {1, 2}}}, {{0, 1, "gone", 0}}, {}, {{1, "m9"}}}, 0, 0, 0, 0,
                3},
        RowCase{"over-long names", {{{0, {kLong.c_str()}, {1}}}, {{0, 1, kLong.c_str(), 0}}, {}, {{1, kLong.c_str()}}},
                0, 0, 0, 0, 3},
        RowCase{"pages and tracks outside the tables",
                {{{6, {"ev1"}, {1}}, {-1, {"ev1"}, {1}}}, {{2, 1, "scene", 0}}, {}, {{0, "m1"}, {15, "m1"}}}, 0, 0,
                0, 0, 5},
        RowCase{"an entry without pictures", {{{0, {nullptr}, {0}}}, {{0, 1, "", 0}}, {}, {{2, nullptr}}}, 0, 0, 0,
                0, 3}));

TEST(ExtrasTables, APageHoldsTwentyEntriesAndSevenRulesAtMost) {
  ExtrasRows rows;
  for (int i = 0; i < 22; ++i) rows.gallery.push_back({1, {"ev1"}, {i}});
  for (int i = 0; i < 9; ++i) rows.derivedFlags.push_back({i, i + 1, i + 2});
  std::vector<std::string> problems;
  const ExtrasTables t = checkExtrasRows(rows, exists, problems);
  EXPECT_EQ(t.gallery[1].size(), 20u);
  EXPECT_EQ(t.derivedFlags.size(), 7u);
  EXPECT_EQ(problems.size(), 4u);
}

TEST(ExtrasTables, TheCompiledRowsAreSound) {
  std::vector<std::string> problems;
  const ExtrasTables t = checkExtrasRows(compiledExtrasRows(), [](const std::string&) { return true; }, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_FALSE(t.gallery[0].empty());
  EXPECT_FALSE(t.recollection[0].empty());
}

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
