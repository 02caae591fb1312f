#include "tools/lint/game_data.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "engine/game_archives.h"
#include "engine/runtime.h"
#include "media/formats/picture_bytes.h"
#include "media/io/archive.h"
#include "platform/posix/file_handle.h"
#include "platform/headless/headless_platform.h"
#include "platform/reporter.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml::lint {
namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A host file name as the engine's names are written: Shift-JIS. Names stored in
// UTF-8 (the usual on Linux) are converted; others are taken as Shift-JIS already.
std::string sjisName(const std::string& host) {
  if (isAscii(host)) return host;
  std::string s = utf8ToSjis(host);
  return sjisToUtf8(s) == host ? s : host;
}

void collectScriptEntries(DataArchive* a, std::vector<std::string>& out) {
  for (; a != nullptr; a = a->overrideArchive()) {
    for (int i = 0; i < a->entryCount(); ++i) {
      std::optional<std::string> name = a->entryName(i);
      if (name && sjis::endsWithFolded(*name, ".scr")) out.push_back(name->substr(0, name->size() - 4));
    }
  }
}

}  // namespace

GameData::GameData(const std::string& folder)
    : platform_(std::make_unique<HeadlessPlatform>()), reporter_(std::make_unique<RecordingReporter>()) {
  platform_->setQuiet(true);
  rt_ = std::make_unique<Runtime>(*platform_, *reporter_, folder);
  // In debug mode the archives open without asking for a disc or showing boxes; the
  // archives a game ends up with are the same.
  rt_->story.debugMode = true;
  openGameArchives(*rt_);
  auto note = [this](DataArchive& a, const char* main, const char* over) {
    if (a.isOpen()) opened_.push_back(main);
    if (a.overrideArchive() && a.overrideArchive()->isOpen()) opened_.push_back(over);
  };
  note(rt_->media.scriptArchive, "scr.dat", "arc2.scr");
  note(rt_->media.pictureArchive, "cg.dat", "arc2.cg");
  note(rt_->media.soundArchive, "wav.dat", "arc3.wav");
  reporter_->entries.clear();
}

GameData::~GameData() = default;

bool GameData::folderExists() const {
  struct stat st {};
  return ::stat(rt_->media.folder.root().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool GameData::looseExists(std::string_view path) const {
  FileHandle f;
  return f.open(rt_->media.folder.resolve(path), FileHandle::Mode::Read);
}

bool GameData::exists(std::string_view path) {
  if (looseExists(path)) return true;
  DataArchive* archive = nullptr;
  if (sjis::endsWithFolded(path, ".scr")) archive = &rt_->media.scriptArchive;
  else if (sjis::endsWithFolded(path, ".wav")) archive = &rt_->media.soundArchive;
  else if (sjis::endsWithFolded(path, ".bmp") || sjis::endsWithFolded(path, ".psd")) archive = &rt_->media.pictureArchive;
  if (archive == nullptr) return false;
  bool found = archive->find(path);
  archive->release();
  return found;
}

bool GameData::pictureExists(std::string_view name) {
  std::string base = "cg\\" + std::string(name);
  return exists(base + ".bmp") || exists(base + ".psd");
}

PictureBytes GameData::pictureBytes(std::string_view path) {
  const bool bmp = sjis::endsWithFolded(path, ".bmp");
  if (!bmp && !sjis::endsWithFolded(path, ".psd")) return PictureBytes::NotAPicture;
  auto known = pictureBytes_.find(std::string(path));
  if (known != pictureBytes_.end()) return known->second;
  std::vector<std::uint8_t> bytes;
  DataArchive& archive = rt_->media.pictureArchive;
  PictureBytes kind = PictureBytes::NotAPicture;
  if (!exists(path)) kind = PictureBytes::NotAPicture;
  else if (loadPictureBytes(rt_->media.folder, archive, path, bmp ? "BM" : "8BPS", bytes)) kind = PictureBytes::AsNamed;
  else if (loadPictureBytes(rt_->media.folder, archive, path, bmp ? "8BPS" : "BM", bytes)) kind = bmp ? PictureBytes::Psd : PictureBytes::Bmp;
  else kind = PictureBytes::Damaged;
  archive.release();
  pictureBytes_[std::string(path)] = kind;
  return kind;
}

ScriptFile GameData::readScript(std::string_view name) {
  ScriptFile out;
  const std::string path = "scr\\" + std::string(name) + ".scr";
  out.alsoArchived = rt_->media.scriptArchive.find(path);
  if (readWholeFile(rt_->media.folder.resolve(path), out.bytes)) {
    out.found = out.loose = true;
  } else if (out.alsoArchived) {
    out.found = rt_->media.scriptArchive.readSelected(out.bytes);
  }
  rt_->media.scriptArchive.release();
  return out;
}

std::vector<std::string> GameData::presentScripts() {
  std::vector<std::string> names;
  std::string dir = rt_->media.folder.resolve("scr");
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n.size() <= 4 || !sjis::endsWithFolded(n, ".scr")) continue;
      std::string s = sjisName(n);
      if (looseExists("scr\\" + s)) names.push_back(s.substr(0, s.size() - 4));
    }
    ::closedir(d);
  }
  collectScriptEntries(&rt_->media.scriptArchive, names);
  // One name per script, ASCII case ignored as the engine finds them.
  std::vector<std::string> unique;
  for (const std::string& n : names) {
    bool seen = std::any_of(unique.begin(), unique.end(),
                            [&](const std::string& u) { return archiveNamesEqual(u, n); });
    if (!seen) unique.push_back(n);
  }
  std::sort(unique.begin(), unique.end());
  return unique;
}

}  // namespace ml::lint
