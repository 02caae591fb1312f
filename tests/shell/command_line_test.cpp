// The command line as a new user meets it: what is taken, what is refused and how.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/command_line.h"
#include "shell_fixture.h"

namespace ml::test {
namespace {

std::vector<char*> argvFor(std::vector<std::string>& args) {
  std::vector<char*> v{const_cast<char*>("mirelune")};
  for (auto& a : args) v.push_back(a.data());
  v.push_back(nullptr);
  return v;
}

struct ParseCase {
  std::vector<std::string> args;
  bool ok;
  bool debug;
  std::string gameDir, saveDir;
  std::string message;  // part of the error
};

TEST(CommandLine, WindowedArgumentsAreTakenOrRefused) {
  const ParseCase cases[] = {
      {{}, true, false, ".", "", ""},
      {{"OpenDebugMode"}, true, true, ".", "", ""},
      {{"CloseDebugMode"}, true, false, ".", "", ""},
      {{"--game", "/g", "OpenDebugMode"}, true, true, "/g", "", ""},
      {{"OpenDebugMode", "--game", "/g"}, true, true, "/g", "", ""},
      {{"--game=/g", "--save-dir=/s"}, true, false, "/g", "/s", ""},
      {{"--save-dir", "/s"}, true, false, ".", "/s", ""},
      {{"opendebugmode"}, false, false, ".", "", "unexpected argument 'opendebugmode'"},
      {{"mygame"}, false, false, ".", "", "unexpected argument 'mygame'"},
      {{"OpenDebugMode", "CloseDebugMode"}, false, true, ".", "", "unexpected argument 'CloseDebugMode'"},
      {{"-h2"}, false, false, ".", "", "unknown option '-h2'"},
      {{"--bogus"}, false, false, ".", "", "unknown option '--bogus'"},
      {{"--game"}, false, false, ".", "", "--game needs"},
      {{"--save-dir"}, false, false, ".", "", "--save-dir needs"},
      {{"--game="}, false, false, ".", "", "empty"},
  };
  for (const ParseCase& c : cases) {
    std::vector<std::string> args = c.args;
    auto argv = argvFor(args);
    AppOptions o;
    std::string err;
    std::string label = ::testing::PrintToString(c.args);
    EXPECT_EQ(parseCommandLine(static_cast<int>(argv.size()) - 1, argv.data(), o, err), c.ok) << label << err;
    EXPECT_EQ(o.debugMode, c.debug) << label;
    if (c.ok) {
      EXPECT_EQ(o.gameDir, c.gameDir) << label;
      EXPECT_EQ(o.saveDir, c.saveDir) << label;
    } else {
      EXPECT_NE(err.find(c.message), std::string::npos) << label << ": " << err;
    }
  }
}

TEST(CommandLine, HelpAndVersionAreFoundOutsideOptionValues) {
  const std::pair<std::vector<std::string>, InfoRequest> cases[] = {
      {{"--help"}, InfoRequest::Help},
      {{"-h"}, InfoRequest::Help},
      {{"--headless", "--frames", "3", "--help"}, InfoRequest::Help},
      {{"--version"}, InfoRequest::Version},
      {{"--game", "--help"}, InfoRequest::None},  // a folder named so
      {{"--input", "--version", "OpenDebugMode"}, InfoRequest::None},
      {{"OpenDebugMode"}, InfoRequest::None},
  };
  for (const auto& [args, want] : cases) {
    std::vector<std::string> a = args;
    auto argv = argvFor(a);
    EXPECT_EQ(findInfoRequest(static_cast<int>(argv.size()) - 1, argv.data()), want)
        << ::testing::PrintToString(args);
  }
}

// The installed program as a new user runs it: exit codes and where the words go.
struct ProgramResult {
  int status = -1;
  std::string out, err;
};

ProgramResult runProgram(std::vector<std::string> args) {
  TempDir scratch;
  std::string cmd = std::string(MIRELUNE_BINARY_DIR) + "/mirelune";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " >" + scratch.file("out") + " 2>" + scratch.file("err");
  ProgramResult r;
  int s = std::system(cmd.c_str());
  r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  r.out = scratch.read("out");
  r.err = scratch.read("err");
  return r;
}

TEST(CommandLine, ProgramAnswersHelpVersionAndStrayWords) {
  ProgramResult help = runProgram({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--game", "--save-dir", "--headless", "--frames", "--autoplay", "--version",
                             "OpenDebugMode", "XDG_DATA_HOME"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  EXPECT_TRUE(help.err.empty());
  ProgramResult version = runProgram({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("mirelune ", 0), 0u);
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"stray"}, {"--nope"}, {"--headless", "stray"}, {"--headless", "--nope"}}) {
    ProgramResult r = runProgram(bad);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(bad);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find(bad.back()), std::string::npos) << r.err;
  }
}

// A headless run that never ends by itself, stopped by a signal: it ends within a
// second, dies by that signal, and has written its read marks and settings whole.
TEST(CommandLine, TerminationSignalsEndTheRunWithFilesWritten) {
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    HeadlessGame g(true, "N\r\n@loop\r\nwait 100\r\ngoto @loop\r\n");
    std::string bin = std::string(MIRELUNE_BINARY_DIR) + "/mirelune";
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::freopen("/dev/null", "w", stderr);
      ::execl(bin.c_str(), bin.c_str(), "--headless", "--game", g.dir.path().c_str(), "OpenDebugMode",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    ASSERT_EQ(::kill(pid, signo), 0);
    int status = 0;
    const auto start = std::chrono::steady_clock::now();
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      FAIL() << "signal " << signo << ": still running 5 s later";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << signo;
    ASSERT_TRUE(WIFSIGNALED(status)) << signo << " status " << status;
    EXPECT_EQ(WTERMSIG(status), signo);
    EXPECT_NE(g.dir.read("mirelune.ini").find("[Display]"), std::string::npos) << signo;
    EXPECT_TRUE(g.dir.exists("SaveXXX.dat")) << signo;
  }
}

}  // namespace
}  // namespace ml::test
