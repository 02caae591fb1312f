// mirelune-pack: builds, lists and unpacks the game's data archives, and scrambles
// script files. Build scripts drive it, so its command line and output stay fixed.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "media/io/archive.h"
#include "tools/common/archive_writer.h"
#include "platform/posix/file_handle.h"
#include "media/formats/script_scramble.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace fs = std::filesystem;

namespace ml {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  mirelune-pack create [--lzss] [--scrambled|--plain] [--pictures] ARCHIVE FILE...\n"
    "  mirelune-pack list [--scrambled|--plain] ARCHIVE\n"
    "  mirelune-pack extract [--scrambled|--plain] [--pictures] ARCHIVE DIR\n"
    "  mirelune-pack scramble IN OUT\n"
    "  mirelune-pack unscramble IN OUT\n"
    "  mirelune-pack --help\n";

constexpr const char* kHelp =
    "\n"
    "create   packs FILEs into ARCHIVE (replaced only once complete). Each entry is named\n"
    "         after its file's base name in Shift-JIS: 1 to 23 bytes; longer names, names\n"
    "         without a Shift-JIS form and names equal apart from ASCII case are errors.\n"
    "         --lzss packs every .psd and .bmp that begins with its magic (8BPS, BM);\n"
    "         one whose packed size field would read as the magic, or whose packed form\n"
    "         would be shorter than 32 bytes in a picture archive, is stored unpacked.\n"
    "list     prints one line per entry: name, offset and size, separated by tabs\n"
    "         (names in UTF-8).\n"
    "extract  writes every entry into DIR as the loose file it stands for: picture heads\n"
    "         unscrambled and packed pictures unpacked; scripts stay as stored. Later\n"
    "         entries whose name repeats an earlier one are skipped (the engine never\n"
    "         reads them).\n"
    "scramble    writes IN as a scrambled script: byte 0 becomes \"X\" and every later\n"
    "            byte i is XORed with script key byte (i-1) mod 5. IN must not already\n"
    "            begin with \"X\" (the engine would take it as scrambled).\n"
    "unscramble  the reverse, for a file beginning with \"X\"; byte 0 becomes \"N\", as\n"
    "            the engine marks a script it has unscrambled (the original byte 0 is not\n"
    "            kept by scrambling).\n"
    "\n"
    "Options:\n"
    "  --scrambled / --plain  the index is scrambled or plain. By default it is scrambled\n"
    "                         for scr.dat, cg.dat, arc2.scr and arc2.cg and plain for\n"
    "                         others; list and extract also try the other form when the\n"
    "                         index does not make sense in the expected one.\n"
    "  --pictures             treat ARCHIVE as a picture archive (the default for cg.dat\n"
    "                         and arc2.cg): the first 32 bytes of every .psd and .bmp entry\n"
    "                         are XORed with the archive key.\n"
    "  --lzss                 (create) pack pictures with LZSS.\n"
    "\n"
    "Archive format (all numbers 32-bit little-endian):\n"
    "  offset 0   entry count N\n"
    "  offset 4   12 bytes, zero\n"
    "  offset 16  N index records of 32 bytes: data offset, data size, and the name in\n"
    "             24 bytes (Shift-JIS, NUL-terminated, NUL-padded). In a scrambled index\n"
    "             byte k (counted from offset 16) is XORed with archive key byte k mod 5.\n"
    "  then       the entries' data, in the order given, each as the loose file would be.\n"
    "Packed picture: the unpacked size, then an LZSS stream (4096-byte ring starting as\n"
    "  zeros, writing from 4078; flag bytes read from bit 0; bit 1 a literal byte; bit 0\n"
    "  a reference b1 b2 to ring position b1 | (b2 & 0xF0) << 4 of (b2 & 0x0F) + 3 bytes).\n"
    "\n"
    "Errors print a message and exit with status 1.\n";

struct Options {
  bool lzss = false;
  bool pictures = false;
  int scrambled = -1;  // -1: by the archive's name
  std::vector<std::string> args;
};

int fail(const std::string& message) {
  std::fprintf(stderr, "mirelune-pack: %s\n", message.c_str());
  return 1;
}

std::string lowerAscii(std::string s) {
  for (char& c : s) c = sjis::foldAscii(c);
  return s;
}

std::string baseName(const std::string& path) { return fs::path(path).filename().string(); }

bool scrambledByName(const std::string& archivePath) {
  std::string n = lowerAscii(baseName(archivePath));
  return n == "scr.dat" || n == "cg.dat" || n == "arc2.scr" || n == "arc2.cg";
}

bool pictureArchiveByName(const std::string& archivePath) {
  std::string n = lowerAscii(baseName(archivePath));
  return n == "cg.dat" || n == "arc2.cg";
}

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The Shift-JIS entry name of a host file name (UTF-8, or already Shift-JIS bytes).
bool entryNameFor(const std::string& hostName, std::string& sjis, std::string& error) {
  if (isAscii(hostName)) {
    sjis = hostName;
  } else if (std::string s = utf8ToSjis(hostName); sjisToUtf8(s) == hostName) {
    sjis = s;
  } else if (utf8ToSjis(sjisToUtf8(hostName)) == hostName) {
    sjis = hostName;
  } else {
    error = "\"" + hostName + "\" has no Shift-JIS form";
    return false;
  }
  if (sjis.empty() || sjis.size() >= kArchiveNameSize) {
    error = "\"" + hostName + "\" is " + std::to_string(sjis.size()) +
            " bytes in Shift-JIS; entry names hold 1 to " + std::to_string(kArchiveNameSize - 1);
    return false;
  }
  return true;
}

int create(const Options& o) {
  if (o.args.size() < 2) return fail("create needs ARCHIVE and at least one FILE");
  const std::string& archivePath = o.args[0];
  bool scrambled = o.scrambled >= 0 ? o.scrambled == 1 : scrambledByName(archivePath);
  EntryPacking packing;
  packing.lzss = o.lzss;
  packing.pictureArchive = o.pictures || pictureArchiveByName(archivePath);

  std::vector<std::string> names;
  std::string error;
  for (std::size_t i = 1; i < o.args.size(); ++i) {
    std::string name;
    if (!entryNameFor(baseName(o.args[i]), name, error)) return fail(o.args[i] + ": " + error);
    for (const std::string& earlier : names)
      if (archiveNamesEqual(earlier, name))
        return fail(o.args[i] + ": entry name \"" + sjisToUtf8(name) +
                    "\" is already in the archive (names ignore ASCII case)");
    names.push_back(name);
  }

  ArchiveWriter writer;
  if (!writer.begin(archivePath, names.size(), scrambled, error)) return fail(error);
  std::vector<std::uint8_t> loose, stored;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& file = o.args[i + 1];
    if (!readWholeFile(file, loose)) return fail("cannot read " + file);
    if (!encodeEntry(names[i], loose, packing, stored, error)) return fail(file + ": " + error);
    if (!writer.add(names[i], stored, error)) return fail(file + ": " + error);
  }
  if (!writer.finish(error)) return fail(error);
  return 0;
}

// Whether the index reads as a real one: every entry inside the file, named, with a
// terminator and no control characters.
bool plausible(DataArchive& a) {
  for (int i = 0; i < a.entryCount(); ++i) {
    const ArchiveEntry* e = a.entry(i);
    if (!a.select(i) || e->name[0] == '\0' || std::memchr(e->name, 0, kArchiveNameSize) == nullptr)
      return false;
    for (std::size_t k = 0; k < kArchiveNameSize && e->name[k]; ++k)
      if (static_cast<unsigned char>(e->name[k]) < 0x20) return false;
  }
  a.release();
  return true;
}

int openForReading(const Options& o, const std::string& path, DataArchive& a) {
  bool scrambled = o.scrambled >= 0 ? o.scrambled == 1 : scrambledByName(path);
  bool opened = a.open(path, scrambled);
  if (o.scrambled < 0 && (!opened || !plausible(a))) {
    DataArchive other;
    if (other.open(path, !scrambled) && plausible(other)) {
      std::fprintf(stderr, "mirelune-pack: %s: the index reads as %s\n", path.c_str(),
                   scrambled ? "plain" : "scrambled");
      a = std::move(other);
      opened = true;
    }
  }
  if (!opened) {
    FileHandle f;
    if (!f.open(path, FileHandle::Mode::Read)) return fail("cannot open " + path);
    return fail(path + ": not an archive (its header or index runs past the end of the file)");
  }
  return 0;
}

int list(const Options& o) {
  if (o.args.size() != 1) return fail("list needs ARCHIVE");
  DataArchive a;
  if (int rc = openForReading(o, o.args[0], a)) return rc;
  for (int i = 0; i < a.entryCount(); ++i) {
    const ArchiveEntry* e = a.entry(i);
    std::string name = sjisToUtf8(*a.entryName(i));
    std::printf("%s\t%u\t%u%s\n", name.c_str(), e->offset, e->size,
                a.select(i) ? "" : "\t(outside the file)");
  }
  return 0;
}

bool safeHostName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

int extract(const Options& o) {
  if (o.args.size() != 2) return fail("extract needs ARCHIVE and DIR");
  DataArchive a;
  if (int rc = openForReading(o, o.args[0], a)) return rc;
  bool pictureArchive = o.pictures || pictureArchiveByName(o.args[0]);
  std::error_code ec;
  fs::create_directories(o.args[1], ec);
  if (ec) return fail("cannot create " + o.args[1] + ": " + ec.message());

  int status = 0;
  std::vector<std::string> done;
  std::vector<std::uint8_t> stored, loose;
  for (int i = 0; i < a.entryCount(); ++i) {
    std::string name = *a.entryName(i);
    std::string hostName = sjisToUtf8(name);
    bool repeated = false;
    for (const std::string& d : done) repeated = repeated || archiveNamesEqual(d, name);
    if (repeated) {
      std::fprintf(stderr, "mirelune-pack: %s: repeated entry skipped (the first one wins)\n",
                   hostName.c_str());
      continue;
    }
    // Names come from the file: never let one climb out of DIR.
    if (!safeHostName(hostName)) {
      status = fail("entry " + std::to_string(i) + ": unusable file name \"" + hostName + "\"");
      continue;
    }
    if (!a.select(i) || !a.readSelected(stored)) {
      status = fail(hostName + ": its bytes lie outside the archive file");
      continue;
    }
    std::string error;
    if (!decodeEntry(name, stored, pictureArchive, loose, error)) {
      status = fail(error + " (written as stored)");
    }
    std::string out = (fs::path(o.args[1]) / hostName).string();
    if (!writeWholeFile(out, loose.data(), loose.size(), &error)) {
      status = fail("cannot write " + error);
      continue;
    }
    done.push_back(name);
  }
  return status;
}

int scramble(const Options& o, bool forward) {
  if (o.args.size() != 2) return fail(std::string(forward ? "scramble" : "unscramble") + " needs IN and OUT");
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(o.args[0], bytes)) return fail("cannot read " + o.args[0]);
  if (bytes.empty()) return fail(o.args[0] + ": empty file");
  if (forward) {
    if (bytes[0] == kScrambledScriptMarker)
      return fail(o.args[0] + ": already scrambled (begins with \"X\")");
    bytes[0] = kScrambledScriptMarker;
    applyScriptKey(bytes);
  } else if (!unscrambleScript(bytes)) {
    return fail(o.args[0] + ": not a scrambled script (does not begin with \"X\")");
  }
  std::string error;
  if (!writeWholeFile(o.args[1], bytes.data(), bytes.size(), &error)) return fail("cannot write " + error);
  return 0;
}

int run(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  Options o;
  bool optionsEnded = false;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (a == "--") optionsEnded = true;
      else if (a == "--lzss") o.lzss = true;
      else if (a == "--pictures") o.pictures = true;
      else if (a == "--scrambled") o.scrambled = 1;
      else if (a == "--plain") o.scrambled = 0;
      else if (a == "--help") {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
      }
      else return fail("unknown option " + a + "\n" + kUsage);
      continue;
    }
    o.args.push_back(a);
  }
  bool archiveCommand = command == "create" || command == "list" || command == "extract";
  if (!archiveCommand && (o.lzss || o.pictures || o.scrambled >= 0))
    return fail("options apply to create, list and extract only");
  if (command == "list" && (o.lzss || o.pictures)) return fail("list takes only --scrambled or --plain");
  if (command == "extract" && o.lzss) return fail("--lzss applies to create only");
  if (command == "create") return create(o);
  if (command == "list") return list(o);
  if (command == "extract") return extract(o);
  if (command == "scramble") return scramble(o, true);
  if (command == "unscramble") return scramble(o, false);
  return fail("unknown command " + command + "\n" + kUsage);
}

}  // namespace
}  // namespace ml

int main(int argc, char** argv) { return ml::run(argc, argv); }
