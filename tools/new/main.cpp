// mirelune-new DIR [--title "..."]: a small playable game folder to start from: the
// starter skin (every picture the engine loads by name), a sample background and
// sprite, the first scripts in UTF-8 beside their Shift-JIS form, and a README.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <dirent.h>

#include "media/formats/script_scramble.h"
#include "tools/common/archive_writer.h"
#include "tools/assetgen/generators.h"
#include "tools/common/psd_writer.h"
#include "tools/common/script_text.h"
#include "tools/new/template.h"

namespace {

constexpr const char* kHelp =
    "usage: mirelune-new DIR [--title \"TITLE\"]\n"
    "\n"
    "Writes a small game that plays as it is into DIR (which must be new or empty):\n"
    "  cg/           the starter skin (message window, name plate, backlog, choices,\n"
    "                title menu, save/load, options, extras) and a sample background\n"
    "                bg01.bmp and sprite chara01.psd\n"
    "  src/*.scr     the scripts as you edit them (UTF-8)\n"
    "  scr/*.scr     the same converted to what the engine reads (Shift-JIS, CR LF)\n"
    "  wav/          for music, effects and voices\n"
    "  assets.txt    every picture with its size and use\n"
    "  scr.dat, cg.dat, wav.dat  empty archives, so that the game starts without\n"
    "                complaint while everything is loose; pack them to ship\n"
    "  README.md     how to go on: edit, convert, check, play, pack, ship\n"
    "--title sets the title drawn on the title menu and named in the scripts\n"
    "(default: the folder's name).\n";

bool emptyOrMissing(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return true;
  bool empty = true;
  while (dirent* e = ::readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
  ::closedir(d);
  return empty;
}

std::string baseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The engine tells the player at start-up about each archive it cannot open; a new
// game keeps everything loose (loose files win over packed ones) behind three empty
// archives until it is packed for shipping.
bool emptyArchive(const std::string& path, bool scrambledIndex) {
  ml::ArchiveWriter w;
  std::string error;
  if (w.begin(path, 0, scrambledIndex, error) && w.finish(error)) return true;
  std::fprintf(stderr, "mirelune-new: cannot write %s: %s\n", path.c_str(), error.c_str());
  return false;
}

bool write(const std::string& path, const std::string& text) {
  std::string error;
  if (ml::tools::writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()), &error)) return true;
  std::fprintf(stderr, "mirelune-new: cannot write %s\n", error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir, title;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--title" && i + 1 < argc) {
      title = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "mirelune-new: unknown option \"%s\"\n\n%s", a.c_str(), kHelp);
      return 2;
    } else if (dir.empty()) {
      dir = a;
    } else {
      std::fprintf(stderr, "mirelune-new: only one folder, not \"%s\"\n", a.c_str());
      return 2;
    }
  }
  if (dir.empty()) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  if (!emptyOrMissing(dir)) {
    std::fprintf(stderr, "mirelune-new: %s is not empty; give a new folder\n", dir.c_str());
    return 1;
  }
  if (title.empty()) title = baseName(dir);

  // The scripts first: a title that Shift-JIS cannot hold stops here, before anything
  // is drawn.
  std::vector<ml::tools::TemplateFile> scripts = ml::tools::starterScripts(title);
  std::vector<std::string> converted, errors;
  for (const ml::tools::TemplateFile& f : scripts) {
    std::string out(1, static_cast<char>(ml::kPlainScriptMarker));
    ml::tools::utf8ScriptToSjis(f.text, "src/" + f.name, out, errors);
    converted.push_back(out);
  }
  if (!errors.empty()) {
    for (const std::string& e : errors) std::fprintf(stderr, "mirelune-new: %s\n", e.c_str());
    std::fprintf(stderr, "mirelune-new: the title has characters Shift-JIS cannot hold; nothing written\n");
    return 1;
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "mirelune-new: cannot make %s: %s\n", dir.c_str(), ec.message().c_str());
    return 1;
  }
  ml::tools::AssetSink sink(dir);
  ml::tools::TextPainter text;
  if (!text.available()) std::fputs("mirelune-new: warning: no font found; captions stay empty\n", stderr);
  ml::tools::GenContext ctx{sink, text, {}};
  ml::tools::makeSkin(ctx, title);
  sink.bmp24("bg01.bmp", ml::tools::drawStarterBackground(), "sample background (bg1 bg01), 800x600");
  sink.framesPsd("chara01.psd", {ml::tools::drawStarterCharacter()[0]}, ml::tools::PsdCompression::Rle,
                 "sample sprite (sp1 chara01), 400x600 with transparency");
  bool ok = sink.finish();

  ::mkdir((dir + "/src").c_str(), 0755);
  ::mkdir((dir + "/scr").c_str(), 0755);
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    ok = write(dir + "/src/" + scripts[i].name, scripts[i].text) && ok;
    ok = write(dir + "/scr/" + scripts[i].name, converted[i]) && ok;
  }
  ok = write(dir + "/scr/gamedata.txt", ml::tools::starterGameData(title)) && ok;
  ok = write(dir + "/README.md", ml::tools::starterReadme(title, baseName(dir))) && ok;
  ok = emptyArchive(dir + "/scr.dat", true) && ok;
  ok = emptyArchive(dir + "/cg.dat", true) && ok;
  ok = emptyArchive(dir + "/wav.dat", false) && ok;
  if (!ok) return 1;
  std::printf("mirelune-new: a new game \"%s\" in %s (%zu pictures, %zu scripts); see %s/README.md\n", title.c_str(),
              dir.c_str(), sink.count(), scripts.size(), dir.c_str());
  return 0;
}
