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
    work_ = std::filesystem::temp_directory_path() /
            ("mirelune-runner-" + std::to_string(::getpid()));
  }
  void TearDown() override {
    if (!dump_.empty()) std::filesystem::remove(dump_);
    if (!work_.empty()) std::filesystem::remove_all(work_);
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
  // A copy of a test game: a run writes its settings and read marks into the folder.
  std::string game(const char* name) {
    std::filesystem::path source = std::filesystem::path(MIRELUNE_TEST_DATA) / "scripts" / name;
    std::filesystem::path copy = work_ / name;
    std::filesystem::remove_all(copy);
    if (std::filesystem::exists(source)) {
      std::filesystem::create_directories(copy);
      std::filesystem::copy(source, copy, std::filesystem::copy_options::recursive);
    }
    return copy.string();
  }

  std::string binary_, dump_;
  std::filesystem::path work_;
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

// Autoplay starts a new game at the first title menu and ends the program at the next
// one; without autoplay a menu nobody answers ends the run after its idle minute.
TEST_F(RunnerTest, AutoplayStartsAtTheTitleAndEndsWhenTheStoryComesBack) {
  ASSERT_EQ(run("--game " + game("title") + " --autoplay --seed 1 --dump-state " + dump_), 0);
  auto s = dumped();
  EXPECT_EQ(s->var('A'), 1) << "the new game cleared the first pass";
  EXPECT_EQ(s->var('B'), 1);

  const std::string input = (work_ / "idle.input").string();
  std::ofstream(input) << "wait 10\n";
  ASSERT_EQ(run("--game " + game("title") + " --input " + input + " --seed 1 --dump-state " + dump_), 0);
  s = dumped();
  EXPECT_EQ(s->var('A'), 1);
  EXPECT_EQ(s->var('B'), 0);
}

TEST_F(RunnerTest, DateDisplayWaitsForTheClickAndAnIdleRunEnds) {
  ASSERT_EQ(run("--game " + game("datewait") + " --autoplay --seed 1 --dump-state " + dump_), 0);
  EXPECT_EQ(dumped()->var('A'), 1);
  const std::string input = (work_ / "idle.input").string();
  std::ofstream(input) << "wait 10\n";
  ASSERT_EQ(run("--game " + game("datewait") + " --input " + input + " --seed 1 --dump-state " + dump_), 0);
  EXPECT_EQ(dumped()->var('A'), 0);
}

TEST_F(RunnerTest, BadOptionsAndMissingGame) {
  EXPECT_EQ(run("--frobnicate"), 2);
  EXPECT_EQ(run("--steps"), 2);
  EXPECT_EQ(run("--steps -4"), 2);
  // A game folder that is not there cannot become the current folder: fatal in every mode.
  EXPECT_EQ(run("--game " + game("no-such-game")), 1);
  EXPECT_EQ(run("--game " + game("no-such-game") + " OpenDebugMode"), 1);
  // A folder without the first script: fatal, but not in debug mode.
  std::filesystem::create_directories(work_ / "empty");
  EXPECT_EQ(run("--game " + (work_ / "empty").string()), 1);
  EXPECT_EQ(run("--game " + (work_ / "empty").string() + " OpenDebugMode"), 0);
}

}  // namespace
}  // namespace ml
