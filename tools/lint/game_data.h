// A game folder as the engine sees it: loose files first, then the three archives with
// their overrides, opened the way the program opens them at start-up.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ml {
class Runtime;
class HeadlessPlatform;
class RecordingReporter;
}  // namespace ml

namespace ml::lint {

// What a picture file holds, compared with what its name promises.
enum class PictureBytes { AsNamed, Psd, Bmp, Damaged, NotAPicture };

struct ScriptFile {
  bool found = false;
  bool loose = false;        // a loose file (which wins over any archive entry)
  bool alsoArchived = false; // the script archive has it too
  std::vector<std::uint8_t> bytes;  // as stored (possibly scrambled)
};

class GameData {
 public:
  explicit GameData(const std::string& folder);
  ~GameData();
  GameData(const GameData&) = delete;
  GameData& operator=(const GameData&) = delete;

  // The runtime whose folder, archives, script reader and text rules the checker uses.
  Runtime& runtime() { return *rt_; }
  // Reports the runtime's own readers make while the checker drives them.
  RecordingReporter& reports() { return *reporter_; }

  bool folderExists() const;
  // What the archives that exist are called, for the summary ("scr.dat", "arc2.cg" ...).
  std::vector<std::string> openedArchives() const { return opened_; }

  // Shift-JIS paths as scripts write them ("cg\bg01.psd").
  bool looseExists(std::string_view path) const;
  bool exists(std::string_view path);
  // A picture name as the picture commands look it up: ".bmp" first, then ".psd".
  bool pictureExists(std::string_view name);

  // "cg\x.bmp" or "cg\x.psd" (loose or packed, possibly LZSS): whether the bytes are
  // what the extension says. NotAPicture for other names and missing files.
  PictureBytes pictureBytes(std::string_view path);

  // "scr\<name>.scr" from a loose file or the script archive.
  ScriptFile readScript(std::string_view name);
  // Names (Shift-JIS, without folder and extension) of every script present: loose
  // files in the scr folder and ".scr" entries of the script archive and its override.
  std::vector<std::string> presentScripts();

 private:
  std::unique_ptr<HeadlessPlatform> platform_;
  std::unique_ptr<RecordingReporter> reporter_;
  std::unique_ptr<Runtime> rt_;
  std::vector<std::string> opened_;
  std::map<std::string, PictureBytes> pictureBytes_;
};

}  // namespace ml::lint
