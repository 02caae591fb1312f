#include "engine/game_archives.h"

#include "engine/runtime.h"
#include "media/io/game_folder.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

void reportUnreadable(Runtime& rt, std::string_view fileName) {
  std::string text = SJ("データファイルが読めません\n") + std::string(fileName);
  rt.platform.messageBox(rt.media.content.version, text, BoxButtons::Ok, BoxIcon::Error, false);
}

}  // namespace

ArchiveStartup openGameArchives(Runtime& rt, const DriveChooser& chooseDrive,
                                bool discDrivesPresent) {
  // Scripts and pictures: a missing archive is reported and play goes on with loose
  // files (authors run games unpacked).
  if (!rt.media.scriptArchive.open(rt.media.folder.resolveForReading("scr.dat"), true) && !rt.story.debugMode)
    reportUnreadable(rt, "scr.dat");
  rt.media.scriptArchive.attachOverride(rt.media.folder.resolveForReading("arc2.scr"), true);

  if (!rt.media.pictureArchive.open(rt.media.folder.resolveForReading("cg.dat"), true) && !rt.story.debugMode)
    reportUnreadable(rt, "cg.dat");
  rt.media.pictureArchive.attachOverride(rt.media.folder.resolveForReading("arc2.cg"), true);

  bool soundOpen = rt.media.soundArchive.open(rt.media.folder.resolveForReading("wav.dat"), false);
  if (!rt.story.debugMode) {
    std::string supplement = rt.media.folder.resolveForReading("arc2.wav");
    if (!soundOpen && !discDrivesPresent) {
      reportUnreadable(rt, "wav.dat");
    } else if (!soundOpen) {
      // Installed without the sounds: they stay on the game's disc.
      std::optional<std::string> drive;
      if (chooseDrive) drive = chooseDrive(rt);
      GameFolder disc(drive ? *drive : std::string());
      if (!drive || !rt.media.soundArchive.open(disc.resolveForReading("image\\wav.dat"), false)) {
        reportUnreadable(rt, "wav.dat");
        return ArchiveStartup::Stop;
      }
      supplement = disc.resolveForReading("image\\arc2.wav");
    }
    rt.media.soundArchive.attachOverride(supplement, false);
  }
  // Attaching replaces the override, so "arc3.wav" is the one the sounds end up with.
  rt.media.soundArchive.attachOverride(rt.media.folder.resolveForReading("arc3.wav"), false);
  return ArchiveStartup::Continue;
}

}  // namespace ml
