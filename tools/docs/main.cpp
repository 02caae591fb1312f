// mirelune-docs OUT.md: writes the command reference (docs/commands.md).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/common/psd_writer.h"
#include "tools/docs/command_docs.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs("usage: mirelune-docs OUT.md\n  writes the command reference made from the command table\n",
               argc == 2 && std::string(argv[1]) == "--help" ? stdout : stderr);
    return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
  }
  const std::string page = ml::docs::renderCommandReference();
  std::string error;
  if (!ml::tools::writeFile(argv[1], std::vector<std::uint8_t>(page.begin(), page.end()), &error)) {
    std::fprintf(stderr, "mirelune-docs: cannot write %s\n", error.c_str());
    return 1;
  }
  return 0;
}
