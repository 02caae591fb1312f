// Small game folders written for one test, and runs of the built checker and converter
// programs on them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "tools/common/archive_writer.h"
#include "platform/posix/file_handle.h"
#include "media/formats/script_scramble.h"
#include "platform/text_encoding.h"

namespace ml::test {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;  // standard output and error together
  bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
  // The number of output lines that contain every one of the given texts.
  int lines(std::initializer_list<std::string> texts) const {
    std::istringstream in(out);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
      bool all = true;
      for (const std::string& t : texts) all = all && line.find(t) != std::string::npos;
      n += all;
    }
    return n;
  }
};

class GameFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = MIRELUNE_BINARY_DIR;
    std::string pattern = (fs::temp_directory_path() / "mirelune-lint-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    char* made = ::mkdtemp(buf.data());
    ASSERT_NE(made, nullptr);
    dir_ = made;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string path(const std::string& rel) const { return dir_ + "/" + rel; }

  void writeBytes(const std::string& rel, const std::string& bytes) const {
    fs::create_directories(fs::path(path(rel)).parent_path());
    std::ofstream(path(rel), std::ios::binary) << bytes;
  }
  // A script as the engine reads it: marker byte, Shift-JIS, CR LF.
  static std::string engineScript(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return "N" + utf8ToSjis(crlf);
  }
  void script(const std::string& name, const std::string& utf8) const {
    writeBytes("scr/" + name + ".scr", engineScript(utf8));
  }
  // Existence is all the checker asks of a picture or a sound.
  void file(const std::string& rel) const { writeBytes(rel, rel.find(".bmp") != std::string::npos ? "BM......" : "8BPS...."); }

  // An archive of (entry name, bytes), written the way the packer writes it.
  void archive(const std::string& rel, const std::vector<std::pair<std::string, std::string>>& entries,
               bool scrambledIndex) const {
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.begin(path(rel), entries.size(), scrambledIndex, error)) << error;
    for (const auto& [name, bytes] : entries) {
      std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      ASSERT_TRUE(w.add(name, data, error)) << error;
    }
    ASSERT_TRUE(w.finish(error)) << error;
  }

  RunResult run(const std::string& program, const std::string& args) const {
    std::string exe = bin_ + "/" + program;
    RunResult r;
    if (!fs::exists(exe)) return r;
    std::string log = dir_ + ".log";
    std::string command = exe + " " + args + " >" + log + " 2>&1";
    int status = std::system(command.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(log, std::ios::binary);
    r.out.assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(log);
    return r;
  }
  RunResult lint(const std::string& extra = "") const { return run("mirelune-lint", extra + " " + dir_); }

  std::string bin_, dir_;
};

}  // namespace ml::test
