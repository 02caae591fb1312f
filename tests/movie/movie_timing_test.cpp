// The movie player's pacing on the virtual clock: every frame is shown, in order, and
// none later than one frame period after it was due by the sound clock.
#include "movie/movie_fixture.h"

#include "media/movie/movie_player.h"

namespace ml::test {
namespace {

TEST(MovieTiming, EveryFrameIsShownWithinOneFramePeriodOfItsTime) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("mirelune-movie-timing-" + std::to_string(::getpid()) + ".mpg"))
                               .string();
  ASSERT_TRUE(encodeTestMovie(path, {{200, 0, 0}, {0, 200, 0}}, true));
  constexpr double kPeriod = 1.0 / 25;
  for (const std::uint32_t stepMs : {10u, 16u, 33u}) {
    MoviePlayer player(false);
    std::string why;
    ASSERT_TRUE(player.open(path, &why)) << why;
    ASSERT_TRUE(player.start(true));
    std::vector<std::int16_t> sound(2 * 44100);
    int shown = 0;
    double lastTime = -1, worst = 0;
    std::uint32_t elapsed = 0;
    std::uint64_t pulled = 0;
    while (!player.finished() && elapsed < 10000) {
      elapsed += stepMs;
      // The mixer pulls the sound that is due, as the output would.
      const std::uint64_t due = std::uint64_t{elapsed} * 44100 / 1000;
      player.render(sound.data(), static_cast<std::size_t>(due - pulled));
      pulled = due;
      if (player.frameDue(elapsed) == nullptr) continue;
      ++shown;
      const double now = static_cast<double>(player.soundFramesPlayed()) / 44100;
      EXPECT_GT(player.shownFrameTime(), lastTime) << "frames in order";
      lastTime = player.shownFrameTime();
      worst = std::max(worst, now - player.shownFrameTime());
    }
    EXPECT_TRUE(player.finished()) << stepMs;
    // A pass longer than a frame period cannot show every frame: it shows the newest.
    if (stepMs / 1000.0 <= kPeriod) {
      EXPECT_EQ(shown, 50) << stepMs;
    }
    EXPECT_LE(worst, std::max(kPeriod, stepMs / 1000.0)) << "ms per pass " << stepMs;
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace ml::test
