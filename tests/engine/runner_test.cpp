// Runs the built program headless on the scenario scripts in tests/data/scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "engine/game_state.h"
#include "engine/random.h"

namespace ml {
namespace {

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = std::string(MIRELUNE_BINARY_DIR) + "/mirelune";
    if (!std::filesystem::exists(binary_)) GTEST_SKIP() << "mirelune is not built";
    dump_ = (std::filesystem::temp_directory_path() /
             ("mirelune-dump-" + std::to_string(::getpid()) + ".bin"))
                .string();
  }
  void TearDown() override {
    if (!dump_.empty()) std::filesystem::remove(dump_);
  }

  int run(const std::string& args) {
    std::string command = binary_ + " --headless " + args + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::unique_ptr<GameState> dumped() {
    std::ifstream in(dump_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes.size(), sizeof(GameState));
    auto s = std::make_unique<GameState>();
    std::memcpy(s.get(), bytes.data(), std::min(bytes.size(), sizeof(GameState)));
    return s;
  }
  static std::string game(const char* name) {
    return std::string(MIRELUNE_TEST_DATA) + "/scripts/" + name;
  }

  std::string binary_, dump_;
};

TEST_F(RunnerTest, RunsTheStoryToItsEndAndDumpsTheRecord) {
  ASSERT_EQ(run("--game " + game("flow") + " --seed 7 --dump-state " + dump_), 0);
  auto s = dumped();
  EXPECT_EQ(s->checksum, s->computeChecksum());
  EXPECT_EQ(s->version, 400);
  EXPECT_STREQ(s->scriptName, "second");
  EXPECT_EQ(s->flags[1], 20);
  EXPECT_EQ(s->var('A'), -5);
  Random r;
  r.seed(7);
  EXPECT_EQ(s->var('R'), static_cast<int>(r.next31() % 1000));
  EXPECT_EQ(s->flags[2], 0);  // jumped over
  EXPECT_EQ(s->flags[3], 1);
  EXPECT_EQ(s->flags[4], 2);
  EXPECT_EQ(s->flags[5], 0);  // after the change of script
  EXPECT_EQ(s->autoReturnOff(), 1);
}

TEST_F(RunnerTest, StepLimitStopsEarly) {
  ASSERT_EQ(run("--game " + game("flow") + " --steps 3 --seed 7 --dump-state " + dump_), 0);
  auto s = dumped();
  EXPECT_EQ(s->flags[1], 20);
  EXPECT_EQ(s->var('A'), -5);
  EXPECT_EQ(s->var('R'), 0);
  EXPECT_STREQ(s->scriptName, "open");
}

TEST_F(RunnerTest, FrameLimitEndsLongWaits) {
  // "wait 0.5" presents 50 frames; the limit stops it after 20, the run then ends.
  ASSERT_EQ(run("--game " + game("flow") + " --frames 20 --seed 7 --dump-state " + dump_), 0);
  auto s = dumped();
  EXPECT_EQ(s->flags[3], 1);
  EXPECT_STREQ(s->scriptName, "open");
}

TEST_F(RunnerTest, BadOptionsAndMissingGame) {
  EXPECT_EQ(run("--frobnicate"), 2);
  EXPECT_EQ(run("--steps"), 2);
  EXPECT_EQ(run("--steps -4"), 2);
  EXPECT_EQ(run("--game " + game("no-such-game")), 1);
  // In debug mode a missing first script is not fatal.
  EXPECT_EQ(run("--game " + game("no-such-game") + " OpenDebugMode"), 0);
}

}  // namespace
}  // namespace ml
