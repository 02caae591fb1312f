#include "app/flag_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/define_table.h"
#include "engine/game_state.h"

namespace ml {
namespace {

class FlagViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < GameState::kFlagCount; ++i) state->flags[i] = static_cast<std::uint8_t>(i % 200);
    for (int l = 0; l < 26; ++l) state->vars[l] = l * 1000 - 3;
  }
  // Rows with a heading, and cells with a value, after showing from `start`.
  std::pair<int, int> shown(const std::string& start) {
    view.startText = start;
    view.refresh(*state);
    int rows = 0, cells = 0;
    for (int r = 1; r < FlagView::kRows; ++r) {
      rows += !view.flags[r][0].empty();
      for (int c = 1; c < FlagView::kColumns; ++c) cells += !view.flags[r][c].empty();
    }
    return {rows, cells};
  }
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  FlagView view;
};

TEST_F(FlagViewTest, GridShowsOnlyFlagsInsideTheTable) {
  struct Case {
    std::string start;
    int rows, cells;
  };
  for (const Case& c : {Case{"0", 10, 100}, Case{"2000", 5, 48}, Case{"2045", 1, 3}, Case{"3000", 0, 0},
                        Case{"abc", 10, 100}, Case{"99999999999999", 0, 0}, Case{"2147483647", 0, 0}}) {
    EXPECT_EQ(shown(c.start), std::make_pair(c.rows, c.cells)) << c.start;
    // The heading row stays whatever the start.
    EXPECT_EQ(view.flags[0][1], "  +0") << c.start;
    EXPECT_EQ(view.flags[0][0], "") << c.start;
  }
  shown("2000");
  EXPECT_EQ(view.flags[1][0], "2000");
  EXPECT_EQ(view.flags[1][1], std::string("   0"));  // flag 2000 holds 2000 % 200
  EXPECT_EQ(view.flags[5][8], "  47");                // flag 2047
  EXPECT_EQ(view.flags[5][9], "");
}

TEST_F(FlagViewTest, StepsStayBetweenZeroAndTwoThousand) {
  view.startText = "50";
  view.previous();
  EXPECT_EQ(view.startText, "0");
  view.startText = "1950";
  view.next();
  EXPECT_EQ(view.startText, "2000");
  view.next();
  EXPECT_EQ(view.startText, "2000");
  view.startText = "99999999999999";
  view.next();
  EXPECT_EQ(view.startText, "2000");
  view.startText = "x";
  view.next();
  EXPECT_EQ(view.startText, "100");
}

TEST_F(FlagViewTest, LettersShowVariablesExceptF) {
  view.refresh(*state);
  EXPECT_EQ(view.system[0][0], "   A");
  EXPECT_EQ(view.system[1][0], "     -3");
  EXPECT_EQ(view.system[1]['F' - 'A'], "XXXXXXX");
  EXPECT_EQ(view.system[1]['Z' - 'A'], "  24997");
}

TEST_F(FlagViewTest, MacroLookUp) {
  DefineTable defines;
  defines.add("HERO", "F150");
  defines.add("NAME", "yoruku");
  defines.add("FAR", "F5000");
  struct Case {
    const char* macro;
    const char* definition;
    const char* value;
  };
  for (const Case& c : {Case{"HERO", "F150", "150"}, Case{"NAME", "yoruku", ""}, Case{"FAR", "F5000", ""},
                        Case{"NONE", "", ""}}) {
    view.macro = c.macro;
    view.value = "stale";
    view.lookUp(defines, *state);
    EXPECT_EQ(view.definition, c.definition) << c.macro;
    EXPECT_EQ(view.value, c.value) << c.macro;
  }
}

}  // namespace
}  // namespace ml
