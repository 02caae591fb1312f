// mirelune-convert: converts between the engine's picture and sound formats and
// ordinary files. Each subcommand lives in its own file (see subcommands.h).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/convert/subcommands.h"

namespace {

struct Subcommand {
  const char* name;
  const char* arguments;
  const char* summary;
  int (*run)(const std::vector<std::string>& args);
};

#define MIRELUNE_SUBCOMMAND_ENTRY(name, arguments, summary) {#name, arguments, summary, run_##name},
const Subcommand kSubcommands[] = {MIRELUNE_CONVERT_SUBCOMMANDS(MIRELUNE_SUBCOMMAND_ENTRY)};
#undef MIRELUNE_SUBCOMMAND_ENTRY

void usage(std::FILE* out) {
  std::fprintf(out, "usage: mirelune-convert SUBCOMMAND ARGUMENTS...\n\nsubcommands:\n");
  for (const Subcommand& s : kSubcommands)
    std::fprintf(out, "  %s %s\n      %s\n", s.name, s.arguments, s.summary);
  std::fprintf(out, "\nmirelune-convert SUBCOMMAND --help shows one subcommand.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(argv[1], s.name) != 0) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& a : args) {
      if (a == "--help" || a == "-h") {
        std::printf("usage: mirelune-convert %s %s\n  %s\n", s.name, s.arguments, s.summary);
        return 0;
      }
    }
    return s.run(args);
  }
  std::fprintf(stderr, "mirelune-convert: unknown subcommand \"%s\"\n\n", argv[1]);
  usage(stderr);
  return 2;
}
