// A save file of arbitrary bytes (any length) loaded into a running game, then read as
// the system save and merged into it. A whole record is tried a second time with its
// checksum made to match, so that every field behind the checksum is reached; the
// loaded game then runs a few steps. The game folder holds the scripts a save may name
// ("open", "story" with voice lines) and the pictures it may show.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "engine/game_state.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/formats/bmp.h"
#include "platform/headless/headless_platform.h"
#include "scene/scene_services.h"
#include "scratch_dir.h"

namespace {

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const std::filesystem::path& gameDir() {
  static const std::filesystem::path dir = [] {
    auto d = ml::fuzz::scratchDir("save");
    std::filesystem::create_directories(d / "scr");
    std::filesystem::create_directories(d / "cg");
    writeFile(d / "scr" / "open.scr", "N; title\r\nF1=1\r\n");
    writeFile(d / "scr" / "story.scr",
              "Nwindow 0 0 450 0 0 20 20 20 4 win 0 0\r\nvo v001\r\nF1=1\r\nvo v002\r\nF2=2\r\nret\r\nF3=3\r\n");
    std::vector<std::uint32_t> pixels(16 * 12, 0xFF336699u);
    std::vector<std::uint8_t> bmp = ml::encodeBmp(pixels.data(), 16, 12, 0, false);
    const std::string picture(bmp.begin(), bmp.end());
    for (const char* name : {"win", "bg01", "chr"}) writeFile(d / "cg" / (std::string(name) + ".bmp"), picture);
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  writeFile(gameDir() / "Save001.dat", bytes);
  writeFile(gameDir() / "Save000.dat", bytes);
  std::error_code ec;
  std::filesystem::remove(gameDir() / "Save002.dat", ec);
  if (size == sizeof(ml::GameState)) {
    auto record = std::make_unique<ml::GameState>();
    std::memcpy(record.get(), data, size);
    record->checksum = record->computeChecksum();
    writeFile(gameDir() / "Save002.dat",
              std::string_view(reinterpret_cast<const char*>(record->bytes()), sizeof(ml::GameState)));
  }

  ml::HeadlessPlatform platform;
  platform.setQuiet(true);
  ml::RecordingReporter reporter;
  ml::Runtime rt(platform, reporter, gameDir().string());
  ml::installScene(rt);
  rt.media.context.pictureBudget.setLimits(std::uint64_t(64) << 20, std::uint64_t(16) << 20);
  if (!rt.scene.backBuffer.create()) return 0;
  platform.setMessageHook([&rt](ml::HeadlessPlatform& p, ml::InputSink*) {
    if (p.ticks() > 5000) rt.requests().quitRequested = true;
  });
  ml::ScriptContext& sc = *rt.story.script;
  if (!sc.load("scr\\open.scr", rt.story.state, true)) return 0;

  rt.saves().loadGame(sc, 1, true);
  if (size == sizeof(ml::GameState) && rt.saves().loadGame(sc, 2, false)) {
    for (int i = 0; i < 20 && !rt.requests().quitRequested; ++i) {
      const bool armed = rt.story.switches.endReportArmed;
      if (sc.step() == 0 || (armed && !rt.story.switches.endReportArmed)) break;
    }
  }
  rt.saves().readSystemSave();
  rt.saves().updateSystemSave();
  return 0;
}
