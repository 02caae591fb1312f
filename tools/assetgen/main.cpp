// mirelune-assetgen OUTDIR [--preview DIR] [--only pictures|sounds]
//
// Draws and synthesises every picture and sound of the demo game into OUTDIR/cg and
// OUTDIR/wav, deterministically: the same program writes the same bytes every run.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/assetgen/generators.h"

namespace {

void usage(std::FILE* to) {
  std::fputs(
      "usage: mirelune-assetgen OUTDIR [--preview DIR] [--only pictures|sounds]\n"
      "       mirelune-assetgen --icons DIR\n"
      "  Writes the demo game's pictures to OUTDIR/cg and its sounds to OUTDIR/wav,\n"
      "  with a list of every file in OUTDIR/assets.txt.\n"
      "  --preview DIR   also write a PNG of every picture (all frames side by side)\n"
      "  --only KIND     make only the pictures or only the sounds\n"
      "  --icons DIR     write the program's icon as DIR/SIZExSIZE/apps/mirelune.png for\n"
      "                  the desktop's icon sizes (16 to 256), and nothing else\n",
      to);
}

int writeIcons(const std::string& dir) {
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string sub = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(sub, ec);
    std::string error;
    if (ec || !ml::tools::writePng(sub + "/mirelune.png", ml::tools::drawAppIcon(size), &error)) {
      std::fprintf(stderr, "mirelune-assetgen: %s\n", ec ? (sub + ": " + ec.message()).c_str() : error.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, preview, only, part;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      usage(stdout);
      return 0;
    }
    if (!std::strcmp(argv[i], "--icons") && i + 1 < argc) {
      return writeIcons(argv[i + 1]);
    }
    if (!std::strcmp(argv[i], "--preview") && i + 1 < argc) {
      preview = argv[++i];
    } else if (!std::strcmp(argv[i], "--part") && i + 1 < argc) {
      part = argv[++i];  // one step by name, for working on it
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
      only = argv[++i];
      if (only != "pictures" && only != "sounds") {
        std::fprintf(stderr, "mirelune-assetgen: --only takes \"pictures\" or \"sounds\", not \"%s\"\n", only.c_str());
        return 2;
      }
    } else if (argv[i][0] == '-' || !out.empty()) {
      std::fprintf(stderr, "mirelune-assetgen: unexpected argument \"%s\"\n", argv[i]);
      usage(stderr);
      return 2;
    } else {
      out = argv[i];
    }
  }
  if (out.empty()) {
    usage(stderr);
    return 2;
  }

  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  ml::tools::AssetSink sink(out, preview);
  ml::tools::TextPainter text;
  if (!text.available()) std::fputs("mirelune-assetgen: warning: no font found; captions stay empty\n", stderr);
  ml::tools::GenContext ctx{sink, text, {}};
  struct Step {
    const char* kind;
    const char* name;
    void (*run)(ml::tools::GenContext&);
  };
  const Step steps[] = {
      {"pictures", "backgrounds", ml::tools::makeBackgrounds},
      {"pictures", "characters", ml::tools::makeCharacters},
      {"pictures", "events", ml::tools::makeEvents},
      {"pictures", "bluesky", ml::tools::makeBlueSky},
      {"pictures", "window", ml::tools::makeWindowParts},
      {"pictures", "title", ml::tools::makeTitleParts},
      {"pictures", "options", ml::tools::makeOptionParts},
      {"pictures", "extras", ml::tools::makeExtrasParts},
      {"sounds", "music", ml::tools::makeMusic},
      {"sounds", "effects", ml::tools::makeEffects},
      {"sounds", "voices", ml::tools::makeVoices},
      {"sounds", "movie", ml::tools::makeMovie},
  };
  for (const Step& step : steps) {
    if (!only.empty() && only != step.kind) continue;
    if (!part.empty() && part != step.name) continue;
    auto t0 = Clock::now();
    step.run(ctx);
    if (!preview.empty())
      std::fprintf(stderr, "%-12s %6.2f s\n", step.name,
                   std::chrono::duration<double>(Clock::now() - t0).count());
  }
  bool ok = preview.empty() || ml::tools::writeMockups(sink);
  ok = sink.finish() && ok;
  std::printf("mirelune-assetgen: %zu files in %s (%.1f s)%s\n", sink.count(), out.c_str(),
              std::chrono::duration<double>(Clock::now() - start).count(), ok ? "" : ", with failures");
  return ok ? 0 : 1;
}
