// The interpreter on a game folder made from the input: up to four scripts separated
// by NUL bytes, "open.scr" and "b.scr" loose, "c.scr" in "scr.dat" and "d.scr" in the
// override "arc2.scr" (both with scrambled indexes), beside a picture archive holding
// one small picture. The run starts at "open.scr" and follows `change`, `title` and
// whatever else the scripts do, on the headless platform, until the scripts end, stop
// or a step budget is used up. Long waits are cut short by a quit request once the
// virtual clock has moved on.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/runtime.h"
#include "scene/scene_services.h"
#include "engine/script_context.h"
#include "media/formats/bmp.h"
#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "platform/headless/headless_platform.h"
#include "scratch_dir.h"

namespace {

const std::filesystem::path& gameDir() {
  static const std::filesystem::path dir = [] {
    auto d = ml::fuzz::scratchDir("script");
    std::filesystem::create_directories(d / "scr");
    return d;
  }();
  return dir;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// An archive of named entries with a scrambled index; pictures get their head
// scrambled as the packer stores them.
std::string archive(const std::vector<std::pair<std::string, std::string>>& entries, bool pictures) {
  std::vector<std::uint8_t> out(ml::kArchiveHeaderSize + entries.size() * ml::kArchiveEntrySize, 0);
  put32(out, 0, static_cast<std::uint32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t rec = ml::kArchiveHeaderSize + i * ml::kArchiveEntrySize;
    put32(out, rec, static_cast<std::uint32_t>(out.size()));
    put32(out, rec + 4, static_cast<std::uint32_t>(entries[i].second.size()));
    std::memcpy(&out[rec + 8], entries[i].first.data(), std::min(entries[i].first.size(), ml::kArchiveNameSize));
    const std::size_t at = out.size();
    out.insert(out.end(), entries[i].second.begin(), entries[i].second.end());
    if (pictures) ml::applyArchiveKey(out.data() + at, std::min<std::size_t>(32, entries[i].second.size()));
  }
  ml::applyArchiveKey(out.data() + ml::kArchiveHeaderSize, entries.size() * ml::kArchiveEntrySize);
  return std::string(out.begin(), out.end());
}

void writePictureArchive() {
  static bool written = false;
  if (written) return;
  written = true;
  std::vector<std::uint32_t> pixels(16 * 12, 0xFF336699u);
  std::vector<std::uint8_t> bmp = ml::encodeBmp(pixels.data(), 16, 12, 0, false);
  writeFile(gameDir() / "cg.dat", archive({{"bg01.bmp", std::string(bmp.begin(), bmp.end())}}, true));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  writePictureArchive();
  std::vector<std::string_view> parts;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (parts.size() < 3) {
    const std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) break;
    parts.push_back(rest.substr(0, nul));
    rest.remove_prefix(nul + 1);
  }
  parts.push_back(rest);
  parts.resize(4);
  writeFile(gameDir() / "scr" / "open.scr", parts[0]);
  std::error_code ec;
  if (parts[1].empty())
    std::filesystem::remove(gameDir() / "scr" / "b.scr", ec);
  else
    writeFile(gameDir() / "scr" / "b.scr", parts[1]);
  writeFile(gameDir() / "scr.dat", archive({{"c.scr", std::string(parts[2])}}, false));
  writeFile(gameDir() / "arc2.scr", archive({{"d.scr", std::string(parts[3])}, {"c.scr", std::string(parts[3])}}, false));

  ml::HeadlessPlatform platform;
  platform.setQuiet(true);
  ml::RecordingReporter reporter;
  ml::Runtime rt(platform, reporter, gameDir().string());
  ml::installScene(rt);
  rt.story.random.seed(1);
  rt.media.context.pictureBudget.setLimits(std::uint64_t(64) << 20, std::uint64_t(16) << 20);
  rt.media.scriptArchive.open(rt.media.folder.resolve("scr.dat"), true);
  rt.media.scriptArchive.attachOverride(rt.media.folder.resolve("arc2.scr"), true);
  rt.media.pictureArchive.open(rt.media.folder.resolve("cg.dat"), true);
  platform.setMessageHook([&rt](ml::HeadlessPlatform& p, ml::InputSink*) {
    if (p.ticks() > 20000) rt.requests().quitRequested = true;
  });
  ml::ScriptContext& sc = *rt.story.script;
  if (!sc.load("scr\\open.scr", rt.story.state, true)) return 0;
  for (int i = 0; i < 3000 && !rt.requests().quitRequested; ++i) {
    bool armed = rt.story.switches.endReportArmed;
    if (sc.step() == 0) break;
    if (armed && !rt.story.switches.endReportArmed) break;
    if (reporter.entries.size() > 20000) reporter.entries.clear();
  }
  return 0;
}
