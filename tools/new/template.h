// What mirelune-new writes besides pictures: the first scripts (UTF-8, as the author
// edits them) and the author's README.
#pragma once

#include <string>
#include <vector>

namespace ml::tools {

struct TemplateFile {
  std::string name;  // "open.scr"
  std::string text;  // UTF-8
};

std::vector<TemplateFile> starterScripts(const std::string& title);
std::string starterReadme(const std::string& title, const std::string& folder);
// The game-data file (scr/gamedata.txt, UTF-8): the title, notices and short credits;
// the other tables empty, each with its row format.
std::string starterGameData(const std::string& title);

}  // namespace ml::tools
