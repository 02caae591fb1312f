// mirelune-lint GAMEDIR: checks a game's scripts before anyone plays them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "scene/command_table.h"
#include "engine/runtime.h"
#include "media/io/archive.h"
#include "platform/text_encoding.h"
#include "tools/lint/command_arguments.h"
#include "tools/lint/content_check.h"
#include "tools/lint/game_data.h"
#include "tools/lint/glosses.h"
#include "tools/lint/script_checker.h"

namespace {

constexpr const char* kHelp =
    "usage: mirelune-lint [--verbose] [--usage] [--json] GAMEDIR\n"
    "\n"
    "Checks the scripts of a game folder the way the engine will read them: loose files\n"
    "first, then scr.dat, cg.dat and wav.dat with their override archives. Every script\n"
    "reachable from \"open\" through change and change_kaisou is checked, and then every\n"
    "other script present (loose or packed), which is only noted as unreachable.\n"
    "\n"
    "Reported, with file and line, in the engine's own words where it has them:\n"
    "  undefined command words (a label line that execution runs into is one too),\n"
    "  goto labels missing from the script, change targets that do not exist,\n"
    "  pictures (cg\\NAME.bmp or .psd), sounds (wav\\NAME.wav) and MIDI files that are\n"
    "  named but missing, defined names resolved; files the engine loads by itself for\n"
    "  a command (the window's frame and buttons, the title menu's pictures ...),\n"
    "  condition blocks whose braces do not balance and malformed conditions,\n"
    "  over-long lines and tokens, too few arguments on a line, flags out of range\n"
    "  (F2048 and above), malformed numbers and times, keywords a command does not\n"
    "  take, more than ten choices,\n"
    "  pages that overflow the message window, bare LF line ends, pictures whose bytes\n"
    "  are not what their name says (.bmp, .psd), unconverted UTF-8 scripts (told\n"
    "  once; such a script is not checked further), and every row of the game-data\n"
    "  file scr/gamedata.txt the engine would leave out (a missing picture, script or\n"
    "  sound, a flag out of range, a malformed row ...).\n"
    "\n"
    "Output: one line per fault, \"scr/NAME.scr:LINE: MESSAGE (gloss): DETAIL\" (UTF-8),\n"
    "the path relative to the game folder, the engine's own Japanese message followed by\n"
    "a short English gloss. Lines marked \"note:\" (unreachable scripts, missing movies,\n"
    "which the engine skips silently) are told but do not count; lines marked\n"
    "\"warning:\" (pages that share one read mark because no voice command stands between\n"
    "them, so that a later page shows as read as soon as an earlier one is) do not\n"
    "change the exit status.\n"
    "  --json     one JSON document instead: {\"findings\": [{\"file\", \"line\",\n"
    "             \"severity\" (error|warning|note), \"message\", \"gloss\", \"detail\"}],\n"
    "             \"scripts\", \"problems\", \"warnings\"}\n"
    "  --verbose  also tell where each script was read from\n"
    "  --usage    also list the command words the scripts use and those they do not\n"
    "\n"
    "Exit status: 0 clean, 1 when anything was reported, 2 on bad usage or a missing\n"
    "folder.\n";

// "scr\\open.scr" as an editor opens it from the game folder: "scr/open.scr".
std::string editorPath(const std::string& sjisPath) {
  std::string p = ml::sjisToUtf8(sjisPath);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool sameName(const std::string& a, const std::string& b) { return ml::archiveNamesEqual(a, b); }

bool contains(const std::vector<std::string>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& n) { return sameName(n, name); });
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  bool verbose = false, usage = false, json = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--verbose" || a == "-v") {
      verbose = true;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--usage") {
      usage = true;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "mirelune-lint: unknown option \"%s\"\n", a.c_str());
      return 2;
    } else if (folder.empty()) {
      folder = a;
    } else {
      std::fprintf(stderr, "mirelune-lint: only one game folder, not \"%s\"\n", a.c_str());
      return 2;
    }
  }
  if (folder.empty()) {
    std::fputs(kHelp, stderr);
    return 2;
  }

  // The checker must describe every word the engine knows; a word added to the engine
  // without a description here would be passed over unchecked.
  for (const ml::CommandRow& row : ml::commandTable()) {
    if (ml::lint::findCommandArguments(row.keyword) == nullptr) {
      std::fprintf(stderr, "mirelune-lint: internal: no argument description for \"%s\"\n", row.keyword);
      return 2;
    }
  }

  ml::lint::GameData data(folder);
  if (!data.folderExists()) {
    std::fprintf(stderr, "mirelune-lint: %s is not a folder\n", folder.c_str());
    return 2;
  }

  std::vector<ml::lint::Finding> findings;
  ml::lint::ScriptChecker checker(data, findings);
  std::vector<std::string> present = data.presentScripts();
  if (!contains(present, "open")) present.insert(present.begin(), "open");

  // Defined names hold wherever they are used once the script defining them has run.
  std::map<std::string, ml::lint::ScriptFile> files;
  for (const std::string& name : present) {
    files[name] = data.readScript(name);
    if (files[name].found) checker.collectDefinitions(files[name]);
  }
  auto fileOf = [&](const std::string& name) -> ml::lint::ScriptFile& {
    for (auto& [n, f] : files)
      if (sameName(n, name)) return f;
    files[name] = data.readScript(name);
    return files[name];
  };

  // Scripts in the order play reaches them, each starting from the page setup the one
  // before left.
  std::vector<std::string> visited, queue = {"open"};
  ml::lint::PageSetup page;
  page.autoReturnOff = data.runtime().story.state.autoReturnOff() != 0;
  page.readTrackingOff = data.runtime().story.state.readTrackingOff() != 0;
  std::vector<std::string> sources;
  std::size_t checked = 0;
  auto checkOne = [&](const std::string& name, bool reachable) {
    visited.push_back(name);
    ml::lint::ScriptFile& file = fileOf(name);
    std::string path = "scr\\" + name + ".scr";
    if (!file.found) {
      if (name == "open")
        findings.push_back({path, 0, SJ("ファイルが存在しない"), path + SJ("  (ゲームはここから始まる)"), false});
      return;
    }
    if (verbose)
      sources.push_back(editorPath(path) + ": " +
                        (file.loose ? (file.alsoArchived ? "loose file (wins over the copy in scr.dat)" : "loose file")
                                    : "scr.dat"));
    ++checked;
    if (!reachable)
      findings.push_back({path, 0, SJ("open から到達できない"), SJ("単独で検査した"), true});
    std::vector<std::string> targets;
    checker.check(name, file, page, targets);
    for (const std::string& t : targets)
      if (!contains(visited, t) && !contains(queue, t)) queue.push_back(t);
  };
  for (std::size_t i = 0; i < queue.size(); ++i) checkOne(queue[i], true);
  for (const std::string& name : present)
    if (!contains(visited, name)) checkOne(name, false);

  ml::lint::checkGameContent(data, findings);

  int problems = 0, warnings = 0;
  std::string jsonFindings;
  if (!json)
    for (const std::string& s : sources) std::printf("%s\n", s.c_str());
  for (const ml::lint::Finding& f : findings) {
    const std::string file = editorPath(f.script);
    const std::string message = ml::sjisToUtf8(f.message);
    const std::string detail = ml::sjisToUtf8(f.detail);
    const char* gloss = ml::lint::englishGloss(message);
    const char* severity = f.note ? "note" : f.warning ? "warning" : "error";
    if (f.warning) ++warnings;
    else if (!f.note) ++problems;
    if (json) {
      jsonFindings += std::string(jsonFindings.empty() ? "\n" : ",\n") + "    {\"file\": " + jsonString(file) +
                      ", \"line\": " + std::to_string(f.line) + ", \"severity\": \"" + severity +
                      "\", \"message\": " + jsonString(message) + ", \"gloss\": " + jsonString(gloss ? gloss : "") +
                      ", \"detail\": " + jsonString(detail) + "}";
      continue;
    }
    std::string text = file;
    if (f.line > 0) text += ":" + std::to_string(f.line);
    text += ": ";
    if (f.note || f.warning) text += std::string(severity) + ": ";
    text += message;
    if (gloss != nullptr) text += std::string(" (") + gloss + ")";
    if (!detail.empty()) text += ": " + detail;
    std::printf("%s\n", text.c_str());
  }
  if (json) {
    std::printf("{\n  \"findings\": [%s%s],\n  \"scripts\": %zu,\n  \"problems\": %d,\n  \"warnings\": %d\n}\n",
                jsonFindings.c_str(), jsonFindings.empty() ? "" : "\n  ", checked, problems, warnings);
    return problems > 0 ? 1 : 0;
  }
  if (usage) {
    const auto& used = checker.usedCommands();
    std::string unused;
    for (const ml::CommandRow& row : ml::commandTable())
      if (used.count(row.keyword) == 0) unused += std::string(unused.empty() ? "" : " ") + row.keyword;
    std::printf("command words used: %zu / %zu\n", used.size(), ml::commandTable().size());
    if (!unused.empty()) std::printf("not used: %s\n", unused.c_str());
  }
  std::vector<std::string> archives = data.openedArchives();
  std::string from;
  for (const std::string& a : archives) from += (from.empty() ? "" : ", ") + a;
  std::printf("mirelune-lint: %zu scripts checked (%s), %d problem%s", checked,
              from.empty() ? "loose files only" : ("loose files and " + from).c_str(), problems,
              problems == 1 ? "" : "s");
  if (warnings > 0) std::printf(", %d warning%s", warnings, warnings == 1 ? "" : "s");
  std::printf("\n");
  return problems > 0 ? 1 : 0;
}
