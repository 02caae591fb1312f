#include "platform/posix/user_dirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/posix/safe_file.h"

namespace ml {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::string homeFolder() {
  std::string home = env("HOME");
  if (!home.empty() && home.front() == '/') return home;
  // No usable $HOME (a service, a bare environment): the password database's.
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buf[4096];
  if (::getpwuid_r(::geteuid(), &pw, buf, sizeof buf, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/')
    return found->pw_dir;
  return "/tmp";
}

std::string trimmed(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

std::string userDirFromConfig(const std::string& text, const std::string& key, const std::string& home) {
  std::istringstream in(text);
  std::string line;
  std::string value;
  while (std::getline(in, line)) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos || trimmed(line.substr(0, eq)) != key) continue;
    std::string v = trimmed(line.substr(eq + 1));
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') continue;
    v = v.substr(1, v.size() - 2);
    // The format allows exactly two forms: "$HOME/..." and an absolute path.
    if (v == "$HOME") v = home;
    else if (v.rfind("$HOME/", 0) == 0) v = home + v.substr(5);
    else if (v.empty() || v.front() != '/') continue;
    value = v;  // the last line of a key wins
  }
  // "$HOME/" alone means the home folder, which the convention treats as "disabled".
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  if (value == home) return {};
  return value;
}

UserDirs UserDirs::fromEnvironment() {
  UserDirs d;
  d.home = homeFolder();
  std::string data = env("XDG_DATA_HOME");
  // Relative values are invalid by the convention and are ignored.
  d.dataHome = !data.empty() && data.front() == '/' ? data : d.home + "/.local/share";
  std::string pictures = env("XDG_PICTURES_DIR");
  if (pictures.empty() || pictures.front() != '/') {
    std::string config = env("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') config = d.home + "/.config";
    std::ifstream f(config + "/user-dirs.dirs");
    std::stringstream text;
    if (f) text << f.rdbuf();
    pictures = userDirFromConfig(text.str(), "XDG_PICTURES_DIR", d.home);
  }
  d.pictures = !pictures.empty() ? pictures : d.home + "/Pictures";
  return d;
}

std::uint64_t canonicalPathHash(const std::string& folder) {
  std::string real = realPathOf(folder);
  if (real.empty()) real = folder;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : real) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string gameId(const std::string& gameDir) {
  std::string real = realPathOf(gameDir);
  if (real.empty()) real = gameDir;
  while (real.size() > 1 && real.back() == '/') real.pop_back();
  std::string name = real.substr(real.find_last_of('/') + 1);
  std::string safe;
  for (unsigned char c : name) {
    // UTF-8 names (Japanese folder names) stay readable; what a file name or a shell
    // would trip over does not.
    bool ok = c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '-' || c == '_' || c == '.' || c == '+';
    safe.push_back(ok ? static_cast<char>(c) : '_');
  }
  // Neither hidden nor taken for an option.
  while (!safe.empty() && (safe.front() == '.' || safe.front() == '-')) safe.erase(safe.begin());
  if (safe.size() > 48) {
    safe.resize(48);
    // Not in the middle of a UTF-8 sequence.
    while (!safe.empty() && (static_cast<unsigned char>(safe.back()) & 0xC0) == 0x80) safe.pop_back();
    if (!safe.empty() && static_cast<unsigned char>(safe.back()) >= 0xC0) safe.pop_back();
  }
  if (safe.empty()) safe = "game";
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08llx",
                static_cast<unsigned long long>(canonicalPathHash(gameDir) & 0xFFFFFFFFull));
  return safe + "-" + hex;
}

std::string screenshotFileName(const std::string& gameId, std::int64_t unixTime,
                               const std::function<bool(const std::string&)>& taken) {
  std::time_t t = static_cast<std::time_t>(unixTime);
  std::tm local{};
  localtime_r(&t, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = gameId + "-" + stamp;
  std::string name = base + ".png";
  for (int n = 2; taken && taken(name) && n < 1000; ++n) name = base + "-" + std::to_string(n) + ".png";
  return name;
}

SaveFolderChoice chooseSaveFolder(const std::string& gameDir, const std::string& saveDirOption,
                                  bool gameDirWritable, const std::string& dataHome) {
  if (!saveDirOption.empty()) return {SaveFolderKind::Chosen, saveDirOption};
  if (gameDirWritable) return {SaveFolderKind::GameFolder, gameDir};
  return {SaveFolderKind::DataFolder, dataHome + "/mirelune/" + gameId(gameDir)};
}

bool folderWritable(const std::string& folder) {
  const char* path = folder.empty() ? "." : folder.c_str();
  // access() answers for this process and sees read-only mounts.
  if (::access(path, W_OK | X_OK) != 0) return false;
  // The superuser passes access() everywhere; a folder whose write bits are all off was
  // still made read-only on purpose (an installed or packed copy of a game).
  struct stat st;
  return ::geteuid() != 0 || (::stat(path, &st) == 0 && (st.st_mode & 0222) != 0);
}

bool makeFolders(const std::string& folder, std::string* error) {
  auto fail = [&](const std::string& path, int err) {
    if (error) *error = path + ": " + std::strerror(err);
    return false;
  };
  if (folder.empty()) return fail(folder, ENOENT);
  std::size_t pos = 0;
  for (;;) {
    pos = folder.find('/', pos + 1);
    std::string part = folder.substr(0, pos);
    struct stat st;
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST &&
        !(::stat(part.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
      return fail(part, errno);
    if (pos == std::string::npos) break;
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return fail(folder, errno);
  if (!S_ISDIR(st.st_mode)) return fail(folder, ENOTDIR);
  return true;
}

}  // namespace ml
