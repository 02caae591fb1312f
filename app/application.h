// The game process's main window without its drawing: the construction steps, the
// start-up sequence, the frame loop that drives the interpreter, the return to the
// title, the exit question and the shutdown. The windowed program and the headless
// runner both run the game through this class; only the platform differs.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/input_handler.h"
#include "app/menus.h"
#include "app/screen_mode.h"
#include "engine/runtime.h"
#include "platform/posix/user_dirs.h"

namespace ml {

struct AppOptions {
  std::string gameDir = ".";
  // --save-dir: where settings, read marks and saves go (empty: chosen at start).
  std::string saveDir;
  bool debugMode = false;
  // No window: a fatal start-up error ends the run instead of leaving an idle window.
  bool headless = false;
  // Stop after this many interpreter steps (0: no limit), as after a confirmed close.
  std::uint64_t maxSteps = 0;
  // End the run when the script runs out (its one end-of-script report): a headless
  // run has nobody to close the idle window.
  bool endAtScriptEnd = false;
};

// The windowed program's command line: "--game DIR", "--save-dir DIR" and, as the only
// other argument, "OpenDebugMode" or "CloseDebugMode" (exact). False with a message for
// anything else: an unknown option, a missing value, a stray word.
bool parseCommandLine(int argc, char** argv, AppOptions& options, std::string& error);
// Applies the debug-mode word to options; true when the word was one of the two.
bool applyDebugWord(const std::string& word, AppOptions& options);

// How the run ended.
enum class RunEnd {
  Running,
  StoryEnded,    // the interpreter's step answered 0
  Closed,        // the player confirmed the exit question
  Ended,         // ended without a question (frame or step limit)
  ScriptEnded,   // the script ran out (headless runs only)
  FatalStartUp,  // a start-up error; the window stayed idle until closed
  DesktopRefused,
};

inline constexpr std::string_view kReadStatusFile = "SaveXXX.dat";

class Application {
 public:
  // The main window's construction: debug mode, the random seed, the application
  // title, and outside debug mode the deletion of the quick and last-choice saves.
  Application(Platform& platform, Reporter& reporter, AppOptions options);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // FormCreate, StartUp, the frame loop (or the idle window after a fatal start-up)
  // and shutdown. Returns the process exit status: 0, or 1 when a file the run had to
  // write (read marks, settings) could not be written.
  int run();

  // The pieces of run(), public for the headless runner and tests.
  void formCreate();
  bool startUp();
  void runFrameLoop();
  void idleUntilClosed();
  void shutdown();

  // Return-to-title confirmation: Yes sets TitleRequested.
  void requestTitle();
  void returnToTitle();
  // The close box, "終了", "ゲームの終了", Alt+F4: asks unless the program is quitting.
  void closeWindow();
  // FormCloseQuery: true when the window may close.
  bool closeQuery();
  // Ends the run as after a confirmed close, without the question.
  void endWithoutQuestion();

  void applyScreenMode(bool windowed, bool updateMenus) { screen_.apply(windowed, updateMenus); }
  void rebuildFonts();
  // The engine's switches with their menu captions.
  void setAutoMode(bool on);
  void setSkipMode(bool on);
  // Composes and shows the frame (nothing while inactive unless System/NoActive).
  bool present();
  // Writes the settings file now (the in-game option screen's close); a failure is
  // told once and counts for the exit status. Nothing is written before the file was
  // read.
  bool saveSettings();

  Runtime& runtime() { return rt_; }
  Platform& platform() { return platform_; }
  Menus& menus() { return menus_; }
  InputHandler& input() { return input_; }
  ScreenMode& screen() { return screen_; }
  const AppOptions& options() const { return options_; }
  DialogService& dialogs() { return rt_.dialogs(); }
  void setDialogHost(DialogService* host) { rt_.setDialogs(host); }
  // The windowed program's name dialog, answered by the dialogs the shell keeps.

  RunEnd end() const { return end_; }
  bool windowClosed() const { return closed_; }
  std::uint64_t steps() const { return steps_; }
  bool started() const { return started_; }
  // How many files the run failed to write (each reported to the player once).
  int fileFailures() const { return fileFailures_; }
  // How often the message fonts were rebuilt (the fonts themselves live with the text
  // layer).
  int fontsRebuilt() const { return fontsRebuilt_; }
  // The refresh-rate list (decimal texts) and the selected entry (-1: empty list).
  const std::vector<std::string>& refreshRates() const { return refreshRates_; }
  int refreshEntry() const { return refreshEntry_; }
  // The font dialog's current choice (name, style set, height 24).
  const FontChoice& fontDialogChoice() const { return fontDialog_; }
  void setFontDialogChoice(const FontChoice& c) { fontDialog_ = c; }
  // Host paths of the side files in the game folder.
  std::string settingsPath() const;
  std::string gamePath(std::string_view name) const;
  // Where the player's files go (the game folder, the data folder or --save-dir).
  const SaveFolderChoice& saveFolder() const { return saveChoice_; }

 private:
  // Roots the runtime's folder for the player's files at the chosen place, made when
  // needed.
  void chooseSaveFolder();
  bool fatal(std::string_view messageUtf8);
  void startUpError(std::string_view textSjis);
  bool saveReadStatus();
  void endRun(RunEnd why);
  // Tells the player once (a System Error) about a side file; failure counts it for the
  // exit status.
  void reportFileProblem(std::string_view fileName, std::string_view messageSjis,
                         const std::string& detailUtf8, bool failure);
  // Moves a side file that could not be read whole aside ("NAME.damaged") and tells the
  // player; false (also told) when it cannot be moved: then it must not be written.
  bool keepUnreadable(std::string_view fileName, const std::string& path, const std::string& reason,
                      std::string_view messageSjis);

  Platform& platform_;
  AppOptions options_;
  // The menus outlive the runtime, which points at them as its shell.
  Menus menus_;
  Runtime rt_;
  ScreenMode screen_;
  InputHandler input_;
  RunEnd end_ = RunEnd::Running;
  bool closed_ = false;
  bool started_ = false;
  bool shutDown_ = false;
  bool readStatusLoaded_ = false;
  bool settingsRead_ = false;
  int fontsRebuilt_ = 0;
  int fileFailures_ = 0;
  std::set<std::string> reported_;
  std::uint64_t steps_ = 0;
  std::vector<std::string> refreshRates_;
  int refreshEntry_ = -1;
  FontChoice fontDialog_;
  SaveFolderChoice saveChoice_;
  std::string saveFolderError_;
};

}  // namespace ml
