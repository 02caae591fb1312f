#include "engine/game_archives.h"
#include "platform/posix/optical_drives.h"

#include <gtest/gtest.h>

#include "archive_bytes.h"
#include "engine/runtime.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_encoding.h"
#include "temp_dir.h"

namespace ml {
namespace {

using test::archiveBytes;
using test::readAllOf;
using test::TempDir;

struct Box {
  std::string caption, text;
  BoxButtons buttons;
  BoxIcon icon;
};

class BoxRecorder : public HeadlessPlatform {
 public:
  BoxAnswer messageBox(std::string_view caption, std::string_view text, BoxButtons buttons,
                       BoxIcon icon, bool defaultNo) override {
    boxes.push_back({std::string(caption), std::string(text), buttons, icon});
    return BoxAnswer::Ok;
  }
  std::vector<Box> boxes;
};

std::string unreadable(const std::string& file) {
  return utf8ToSjis("データファイルが読めません\n") + file;
}

class GameArchivesTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.setQuiet(true); }
  std::string read(DataArchive& a, const std::string& path) {
    return a.find(path) ? readAllOf(a) : std::string("<missing>");
  }
  void writeAll() {
    dir.write("SCR.DAT", archiveBytes({{"open.scr", "main"}, {"b.scr", "main-b"}}, true));
    dir.write("arc2.scr", archiveBytes({{"b.scr", "patch-b"}}, true));
    dir.write("cg.dat", archiveBytes({{"bg.psd", "pic"}}, true));
    dir.write("arc2.cg", archiveBytes({{"ev.psd", "patch-pic"}}, true));
    dir.write("wav.dat", archiveBytes({{"m.wav", "music"}, {"v.wav", "voice"}, {"s.wav", "se"}}, false));
    dir.write("arc2.wav", archiveBytes({{"v.wav", "voice2"}}, false));
    dir.write("arc3.wav", archiveBytes({{"s.wav", "se3"}}, false));
  }

  TempDir dir;
  BoxRecorder platform;
  Runtime rt{platform, platform, dir.path()};
};

TEST_F(GameArchivesTest, OpensAllThreeWithTheirOverrides) {
  writeAll();
  EXPECT_EQ(openGameArchives(rt), ArchiveStartup::Continue);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(read(rt.media.scriptArchive, "scr\\open.scr"), "main");
  EXPECT_EQ(read(rt.media.scriptArchive, "scr\\b.scr"), "patch-b");
  EXPECT_EQ(read(rt.media.pictureArchive, "cg\\bg.psd"), "pic");
  EXPECT_EQ(read(rt.media.pictureArchive, "cg\\ev.psd"), "patch-pic");
  EXPECT_EQ(read(rt.media.soundArchive, "wav\\m.wav"), "music");
  EXPECT_EQ(read(rt.media.soundArchive, "wav\\s.wav"), "se3");
  // "arc3.wav" replaces "arc2.wav" as the override.
  EXPECT_EQ(read(rt.media.soundArchive, "wav\\v.wav"), "voice");
}

TEST_F(GameArchivesTest, MissingScriptAndPictureArchivesAreReportedButNotFatal) {
  dir.write("wav.dat", archiveBytes({}, false));
  dir.write("cg.dat", std::string(8, 'x'));  // too short to be an archive
  dir.write("arc2.cg", archiveBytes({{"ev.psd", "patch-pic"}}, true));
  EXPECT_EQ(openGameArchives(rt), ArchiveStartup::Continue);
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[0].caption, "ver 2.40");
  EXPECT_EQ(platform.boxes[0].text, unreadable("scr.dat"));
  EXPECT_EQ(platform.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_EQ(platform.boxes[0].icon, BoxIcon::Error);
  EXPECT_EQ(platform.boxes[1].text, unreadable("cg.dat"));
  // The override alone still serves its pictures.
  EXPECT_EQ(read(rt.media.pictureArchive, "cg\\ev.psd"), "patch-pic");
}

TEST_F(GameArchivesTest, MissingSoundsComeFromTheChosenDisc) {
  writeAll();
  std::filesystem::remove(dir / "wav.dat");
  TempDir disc;
  disc.write("IMAGE/WAV.DAT", archiveBytes({{"m.wav", "disc-music"}, {"v.wav", "disc-voice"}}, false));
  disc.write("IMAGE/Arc2.WAV", archiveBytes({{"m.wav", "disc-patch"}}, false));
  int asked = 0;
  auto chooser = [&](Runtime&) -> std::optional<std::string> {
    ++asked;
    return disc.path();
  };
  EXPECT_EQ(openGameArchives(rt, chooser), ArchiveStartup::Continue);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(read(rt.media.soundArchive, "m.wav"), "disc-music");  // arc3.wav replaced the disc's arc2
  EXPECT_EQ(read(rt.media.soundArchive, "s.wav"), "se3");
}

TEST_F(GameArchivesTest, NoSoundsAnywhereStopsStartUp) {
  writeAll();
  std::filesystem::remove(dir / "wav.dat");
  TempDir emptyDisc;
  auto chooser = [&](Runtime&) -> std::optional<std::string> { return emptyDisc.path(); };
  EXPECT_EQ(openGameArchives(rt, chooser), ArchiveStartup::Stop);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, unreadable("wav.dat"));

  // No drive chosen (or no drive dialog wired) is the same.
  BoxRecorder p2;
  p2.setQuiet(true);
  Runtime rt2(p2, p2, dir.path());
  EXPECT_EQ(openGameArchives(rt2, [](Runtime&) { return std::optional<std::string>(); }),
            ArchiveStartup::Stop);
  EXPECT_EQ(openGameArchives(rt2), ArchiveStartup::Stop);
  EXPECT_EQ(p2.boxes.size(), 2u);
}

TEST_F(GameArchivesTest, WithoutAnyDiscDriveTheMissingSoundArchiveIsOnlyReported) {
  writeAll();
  std::filesystem::remove(dir / "wav.dat");
  int asked = 0;
  auto chooser = [&](Runtime&) -> std::optional<std::string> { ++asked; return std::nullopt; };
  EXPECT_EQ(openGameArchives(rt, chooser, false), ArchiveStartup::Continue);
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, unreadable("wav.dat"));
  // arc3.wav still serves its sounds.
  EXPECT_EQ(read(rt.media.soundArchive, "s.wav"), "se3");
}

TEST(OpticalDrivesTest, OnlyDiscFileSystemsCount) {
  auto roots = opticalDriveRootsFrom(
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sr0 /media/cdrom0 iso9660 ro 0 0\n"
      "/dev/sr1 /media/My\\040Disc udf ro 0 0\n"
      "garbage\n");
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(roots[0], "/media/cdrom0");
  EXPECT_EQ(roots[1], "/media/My Disc");
}

TEST_F(GameArchivesTest, DebugModeReportsNothingAndSkipsTheDiscAndArc2Wav) {
  writeAll();
  std::filesystem::remove(dir / "scr.dat");
  std::filesystem::remove(dir / "SCR.DAT");
  rt.story.debugMode = true;
  int asked = 0;
  EXPECT_EQ(openGameArchives(rt, [&](Runtime&) { ++asked; return std::optional<std::string>(); }),
            ArchiveStartup::Continue);
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(read(rt.media.scriptArchive, "b.scr"), "patch-b");
  EXPECT_EQ(read(rt.media.soundArchive, "s.wav"), "se3");

  std::filesystem::remove(dir / "wav.dat");
  Runtime rt2(platform, platform, dir.path());
  rt2.story.debugMode = true;
  EXPECT_EQ(openGameArchives(rt2), ArchiveStartup::Continue);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(read(rt2.media.soundArchive, "s.wav"), "se3");
}

}  // namespace
}  // namespace ml
