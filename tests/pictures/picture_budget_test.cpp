#include "media/gfx/picture_budget.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "media/gfx/sprite.h"
#include "media/gfx/surface.h"
#include "media/io/archive.h"
#include "picture_fixture.h"

namespace ml::test {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void putBe(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An 8-bit run-length BMP of the given size: headers, a full palette and an
// end-of-picture pair (1,080 bytes whatever the size it claims).
std::vector<std::uint8_t> rleBmp(int w, int h) {
  std::vector<std::uint8_t> b(54 + 1024, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, 54 + 1024);
  put32(b, 14, 40);
  put32(b, 18, std::uint32_t(w));
  put32(b, 22, std::uint32_t(h));
  b[26] = 1;
  b[28] = 8;
  put32(b, 30, 1);
  b.push_back(0);  // end of picture
  b.push_back(1);
  return b;
}

// A flat run-length PSD of side x side pixels, every row one repeated value: about
// side * side / 43 bytes for side * side * 4 bytes of pixels.
std::vector<std::uint8_t> rlePsd(int side) {
  std::vector<std::uint8_t> b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  putBe(b, 3, 2);
  putBe(b, std::uint32_t(side), 4);
  putBe(b, std::uint32_t(side), 4);
  putBe(b, 8, 2);
  putBe(b, 3, 2);
  putBe(b, 0, 4);  // colour-mode data
  putBe(b, 0, 4);  // image resources
  putBe(b, 0, 4);  // no layer section
  putBe(b, 1, 2);  // run-length
  std::vector<std::uint8_t> row;
  for (int left = side; left > 0; left -= 129) {
    const int n = left < 129 ? left : 129;
    row.push_back(n == 1 ? 0 : static_cast<std::uint8_t>(1 - n));
    row.push_back(0x40);
  }
  for (int i = 0; i < 3 * side; ++i) putBe(b, std::uint32_t(row.size()), 2);
  b.reserve(b.size() + row.size() * 3 * std::size_t(side));
  for (int i = 0; i < 3 * side; ++i) b.insert(b.end(), row.begin(), row.end());
  return b;
}

// Runs work in a forked child (the test program's own memory does not count) and
// returns its wall time and peak resident memory.
struct ChildRun {
  bool ok = false;
  double seconds = 0;
  std::uint64_t peakKiB = 0;
};

std::uint64_t peakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6));
  return 0;
}

ChildRun runInChild(const std::function<bool()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    // Start the peak at what the child holds now.
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", f);
      std::fclose(f);
    }
    const auto start = std::chrono::steady_clock::now();
    const bool ok = work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char text[128];
    const int n = std::snprintf(text, sizeof text, "%d %f %llu", ok ? 1 : 0, seconds,
                                static_cast<unsigned long long>(peakResidentKiB()));
    if (::write(fds[1], text, std::size_t(n)) != n) ::_exit(2);
    ::_exit(0);
  }
  ::close(fds[1]);
  char text[128] = {};
  std::size_t got = 0;
  for (ssize_t n; (n = ::read(fds[0], text + got, sizeof text - 1 - got)) > 0;) got += std::size_t(n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ChildRun run;
  int ok = 0;
  unsigned long long peak = 0;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::sscanf(text, "%d %lf %llu", &ok, &run.seconds, &peak) == 3) {
    run.ok = ok == 1;
    run.peakKiB = peak;
  }
  return run;
}

class PictureBudgetTest : public PictureTest {};

TEST_F(PictureBudgetTest, PicturesAreRefusedBeyondThePerPictureOrTotalLimit) {
  media.pictureBudget.setLimits(4 * kMiB, 512 * 1024);  // 4 MiB in all, 0.5 Mpixel each
  struct Case {
    int w, h, frames;
    bool fits;
  } cases[] = {
      {800, 600, 1, true},    // a screen
      {1024, 512, 1, true},   // exactly the per-picture limit
      {1024, 513, 1, false},  // one row more
      {512, 512, 2, true},    // frames count together
      {512, 512, 3, false},
      {1 << 30, 1 << 30, 1, false},
      {0, 10, 1, false},
  };
  for (const Case& c : cases) {
    Surface s(media);
    EXPECT_EQ(s.create(c.w, c.h, c.frames), c.fits) << c.w << "x" << c.h << "x" << c.frames;
    EXPECT_EQ(media.pictureBudget.bytesInUse(), c.fits ? std::uint64_t(c.w) * c.h * c.frames * 4 : 0u);
  }
  EXPECT_EQ(media.pictureBudget.bytesInUse(), 0u);  // every surface gave its share back

  // The total: two 2 MiB pictures fit, a third does not until one is released.
  std::vector<Surface> held;
  for (int i = 0; i < 2; ++i) {
    held.emplace_back(media);
    ASSERT_TRUE(held.back().create(1024, 512, 1));
  }
  Surface third(media);
  EXPECT_FALSE(third.create(1024, 512, 1));
  EXPECT_FALSE(media.pictureBudget.admits(1, 1, 1));
  held[0].release();
  EXPECT_TRUE(third.create(1024, 512, 1));
  // A moved surface carries its share along.
  Surface moved = std::move(held[1]);
  held.clear();
  EXPECT_EQ(media.pictureBudget.bytesInUse(), 4 * kMiB);
  moved.release();
  third.release();
  EXPECT_EQ(media.pictureBudget.bytesInUse(), 0u);
}

TEST_F(PictureBudgetTest, LoadersReportTheMemoryMessageAndSpritesGiveTheirShareBack) {
  media.pictureBudget.setLimits(6 * kMiB, 1024 * 1024);
  writeGameFile("cg/big.bmp", rleBmp(1024, 1024));  // 4 MiB decoded
  writeGameFile("cg/big.psd", rlePsd(1024));
  Sprite a(media, 0), b(media, 1);
  ASSERT_TRUE(a.loadPicture("cg\\big.bmp"));
  // The second picture does not fit beside the first: refused with the memory message
  // of its loader, before anything is decoded.
  EXPECT_FALSE(b.loadPicture("cg\\big.bmp"));
  ASSERT_GE(reporter.entries.size(), 1u);
  EXPECT_EQ(reporter.entries.front().number, 311);
  EXPECT_EQ(sjisToUtf8(reporter.entries.front().message), "メモリが足りない、またはファイルが開けない");
  reporter.entries.clear();
  EXPECT_FALSE(b.loadPicture("cg\\big.psd"));
  ASSERT_GE(reporter.entries.size(), 1u);
  EXPECT_EQ(reporter.entries.front().number, 312);
  EXPECT_EQ(sjisToUtf8(reporter.entries.front().message), "メモリが足りない");
  EXPECT_EQ(sjisToUtf8(reporter.entries.front().detail), "cg\\big.psd");
  // Releasing the sprite returns its share.
  a.release();
  EXPECT_EQ(media.pictureBudget.bytesInUse(), 0u);
  EXPECT_TRUE(b.loadPicture("cg\\big.psd"));
  EXPECT_EQ(media.pictureBudget.bytesInUse(), 4 * kMiB);
}

TEST_F(PictureBudgetTest, DefaultsAllowLongScrollingPicturesButNotGigabyteCanvases) {
  const PictureBudget budget;
  if (std::getenv("MIRELUNE_PICTURE_BUDGET_MB")) GTEST_SKIP() << "budget set from the environment";
  EXPECT_EQ(budget.totalBytes(), std::uint64_t(1) << 30);
  EXPECT_TRUE(budget.admits(800, 600 * 20, 1));    // a long scrolling background
  EXPECT_TRUE(budget.admits(800, 600, 100));       // a strip of animation frames
  EXPECT_TRUE(budget.admits(8192, 8192, 1));       // the per-picture limit itself
  EXPECT_FALSE(budget.admits(16384, 16384, 1));
  EXPECT_FALSE(budget.admits(30000, 30000, 1));
}

// The three files that once took gigabytes: each must be refused within a second and
// the process must stay under 300 MB.
TEST_F(PictureBudgetTest, TinyFilesClaimingHugePicturesOrIndexesAreRefusedFast) {
  constexpr std::uint64_t kPeakLimitKiB = 300 * 1024;
  writeGameFile("cg/huge.bmp", rleBmp(16384, 16384));
  ASSERT_EQ(std::filesystem::file_size(hostPath("cg/huge.bmp")), 1080u);

  ChildRun bmp = runInChild([&] {
    // As a background and three sprites.
    std::vector<Sprite> sprites;
    for (int i = 0; i < 4; ++i) sprites.emplace_back(media, i);
    bool anyLoaded = false;
    for (Sprite& s : sprites) anyLoaded |= s.loadPicture("cg\\huge.bmp");
    return !anyLoaded && reporter.entries.size() >= 4;
  });
  EXPECT_TRUE(bmp.ok);
  EXPECT_LT(bmp.seconds, 1.0);
  EXPECT_LT(bmp.peakKiB, kPeakLimitKiB);

  ChildRun psd = runInChild([&] {
    std::vector<std::uint8_t> bytes = rlePsd(16384);  // about 12.7 MB claiming 1 GiB
    if (bytes.size() < 12 * kMiB) return false;
    Surface s(media);
    return !s.loadPsdBytes(std::move(bytes), "cg\\huge.psd") && !reporter.entries.empty() &&
           reporter.entries.back().number == 312;
  });
  EXPECT_TRUE(psd.ok);
  EXPECT_LT(psd.seconds, 1.0);
  EXPECT_LT(psd.peakKiB, kPeakLimitKiB);

  // A sparse 1.28 GB archive whose header claims an index filling it.
  const std::filesystem::path scr = hostPath("scr.dat");
  {
    const int fd = ::open(scr.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::uint64_t size = 1280ull * 1000 * 1000;
    std::vector<std::uint8_t> header(16, 0);
    put32(header, 0, static_cast<std::uint32_t>((size - 16) / 32));
    ASSERT_EQ(::write(fd, header.data(), header.size()), 16);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ::close(fd);
  }
  ChildRun archive = runInChild([&] {
    DataArchive a;
    return !a.open(scr.string(), true) && a.entryCount() == 0;
  });
  EXPECT_TRUE(archive.ok);
  EXPECT_LT(archive.seconds, 1.0);
  EXPECT_LT(archive.peakKiB, kPeakLimitKiB);

  // Sparse picture files of a gigabyte are refused by their size before being read.
  for (const char* name : {"cg/sparse.bmp", "cg/sparse.psd"}) {
    writeGameFile(name, rleBmp(16, 16));
    ASSERT_EQ(::truncate(hostPath(name).c_str(), off_t(1) << 30), 0);
  }
  ChildRun sparse = runInChild([&] {
    Sprite a(media, 0), b(media, 1);
    return !a.loadPicture("cg\\sparse.bmp") && !b.loadPicture("cg\\sparse.psd");
  });
  EXPECT_TRUE(sparse.ok);
  EXPECT_LT(sparse.seconds, 1.0);
  EXPECT_LT(sparse.peakKiB, kPeakLimitKiB);
  std::printf("bmp %.3f s %llu KiB; psd %.3f s %llu KiB; archive %.3f s %llu KiB; sparse pictures %.3f s %llu KiB\n",
              bmp.seconds, static_cast<unsigned long long>(bmp.peakKiB), psd.seconds,
              static_cast<unsigned long long>(psd.peakKiB), archive.seconds,
              static_cast<unsigned long long>(archive.peakKiB), sparse.seconds,
              static_cast<unsigned long long>(sparse.peakKiB));
}

}  // namespace
}  // namespace ml::test
