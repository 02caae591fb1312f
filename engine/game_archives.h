// Opening the game's three archives at start-up: scripts, pictures and sounds, each
// with the override archives that patch it.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ml {

class Runtime;

// The drive dialog: asks the player for the disc holding the sound archive when
// "wav.dat" is not beside the program. Returns the chosen disc's root folder (a host
// path), or nothing when none was chosen.
using DriveChooser = std::function<std::optional<std::string>(Runtime&)>;

enum class ArchiveStartup {
  Continue,  // start-up goes on (a missing script or picture archive is only reported)
  Stop,      // the sound archive is nowhere: start-up must stop
};

// Opens scr.dat + arc2.scr, cg.dat + arc2.cg, wav.dat + arc2.wav (or the disc's
// image\wav.dat + image\arc2.wav), then arc3.wav, into rt's archives. Unreadable data
// files are shown in "ver 2.40" boxes unless rt.story.debugMode is on. Without a chooser a
// missing "wav.dat" is treated as no disc chosen. When the machine has no disc drive at
// all (discDrivesPresent false) there is nothing to choose from: the missing sound
// archive is only reported and the sounds are looked up as loose files.
ArchiveStartup openGameArchives(Runtime& rt, const DriveChooser& chooseDrive = {},
                                bool discDrivesPresent = true);

}  // namespace ml
