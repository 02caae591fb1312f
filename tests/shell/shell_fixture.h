// A game folder in a temporary directory and an application on the headless platform.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/application.h"
#include "tools/common/archive_writer.h"
#include "platform/headless/headless_platform.h"
#include "platform/text_encoding.h"

namespace ml::test {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "mirelune-shell-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (made != nullptr) path_ = made;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
    std::ofstream(file(name), std::ios::binary) << bytes;
  }
  // A small sound archive: outside debug mode start-up stops without one.
  bool writeSoundArchive(const std::string& name = "wav.dat") const {
    ArchiveWriter w;
    std::string err;
    std::vector<std::uint8_t> bytes{'R', 'I', 'F', 'F'};
    return w.begin(file(name), 1, false, err) && w.add("wav\\dummy.wav", bytes, err) && w.finish(err);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }
  std::string read(const std::string& name) const {
    std::ifstream f(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

 private:
  std::string path_;
};

// One headless game: the folder holds "scr/open.scr" (a comment line unless given).
struct HeadlessGame {
  explicit HeadlessGame(bool debug = false, const std::string& openScript = "N; start\r\n",
                        bool writeScript = true) {
    debug_ = debug;
    if (writeScript) dir.write("scr/open.scr", openScript);
    EXPECT_TRUE(dir.writeSoundArchive());
    platform.setQuiet(true);
  }
  Application& make(AppOptions options = {}) {
    options.gameDir = dir.path();
    options.headless = true;
    options.debugMode = options.debugMode || debug_;
    app = std::make_unique<Application>(platform, platform, options);
    return *app;
  }
  Application& start(AppOptions options = {}) {
    Application& a = make(options);
    a.formCreate();
    EXPECT_TRUE(a.startUp());
    return a;
  }
  bool reported(const std::string& utf8) const {
    for (const std::string& r : platform.reports())
      if (r.find(utf8) != std::string::npos) return true;
    return false;
  }

  TempDir dir;
  HeadlessPlatform platform;
  std::unique_ptr<Application> app;
  bool debug_ = false;
};

}  // namespace ml::test
