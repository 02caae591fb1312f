#include "app/application.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "engine/game_archives.h"
#include "platform/posix/optical_drives.h"
#include "app/settings_file.h"
#include "engine/poll.h"
#include "scene/scene_services.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/posix/user_dirs.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

constexpr std::size_t kMaxRefreshModes = 10;
// The program's own settings: the window's size and how the frame is scaled.
constexpr std::string_view kScreenSection = "Screen";

}  // namespace

bool applyDebugWord(const std::string& word, AppOptions& options) {
  if (word == "OpenDebugMode") {
    options.debugMode = true;
    return true;
  }
  if (word == "CloseDebugMode") {
    options.debugMode = false;
    return true;
  }
  return false;
}

bool parseCommandLine(int argc, char** argv, AppOptions& options, std::string& error) {
  bool firstWordSeen = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    // "--game=DIR" as well as "--game DIR".
    std::string value;
    bool inlineValue = false;
    if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
      value = a.substr(a.find('=') + 1);
      a.resize(a.find('='));
      inlineValue = true;
    }
    if (a == "--game" || a == "--save-dir") {
      if (!inlineValue) {
        if (i + 1 >= argc) {
          error = a + (a == "--game" ? " needs the game folder" : " needs a folder");
          return false;
        }
        value = argv[++i];
      }
      if (value.empty()) {
        error = a + " needs a folder, not an empty name";
        return false;
      }
      (a == "--game" ? options.gameDir : options.saveDir) = value;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option '" + std::string(argv[i]) + "'";
      return false;
    } else if (!firstWordSeen && applyDebugWord(a, options)) {
      // Only the first word may choose the debug mode, exactly spelt.
      firstWordSeen = true;
    } else {
      error = firstWordSeen ? "unexpected argument '" + a + "' after the debug word"
                            : "unexpected argument '" + a + "' (only OpenDebugMode or CloseDebugMode may stand here; the game folder is given with --game)";
      return false;
    }
  }
  return true;
}

Application::Application(Platform& platform, Reporter& reporter, AppOptions options)
    : platform_(platform),
      options_(std::move(options)),
      menus_(*this),
      rt_(platform, reporter, options_.gameDir),
      screen_(platform, menus_, rt_.scene.backBuffer),
      input_(*this) {
  chooseSaveFolder();
  rt_.story.debugMode = options_.debugMode;
  rt_.story.random.seed(static_cast<std::uint32_t>(platform_.unixTime()));
  platform_.setCaption(rt_.media.content.title);
  // The quick save and the last-choice save last for one run only.
  if (!rt_.story.debugMode) {
    FileHandle::deleteFile(gamePath("Save800.dat"));
    FileHandle::deleteFile(gamePath("Save900.dat"));
  }
  rt_.shell = &menus_;
  installScene(rt_);
  platform_.setInputSink(&input_);
}

Application::~Application() {
  platform_.setInputSink(nullptr);
  platform_.setMenuBar(nullptr);
}

void Application::chooseSaveFolder() {
  // A game folder that is not there stays the place: start-up refuses it anyway, and
  // nothing is made for it elsewhere.
  std::error_code ec;
  const bool usable = std::filesystem::is_directory(options_.gameDir, ec);
  saveChoice_ = ml::chooseSaveFolder(options_.gameDir, options_.saveDir,
                                     !usable || folderWritable(options_.gameDir),
                                     UserDirs::fromEnvironment().dataHome);
  if (saveChoice_.kind != SaveFolderKind::GameFolder && !makeFolders(saveChoice_.path, &saveFolderError_)) {
    // Told once the start-up runs; every write there then fails and is told as well.
  }
  rt_.media.saveFolder = GameFolder(saveChoice_.path);
}

std::string Application::gamePath(std::string_view name) const { return rt_.media.saveFolder.resolve(name); }

std::string Application::settingsPath() const { return gamePath(kSettingsFileName); }

int Application::run() {
  formCreate();
  if (startUp()) runFrameLoop();
  else if (end_ == RunEnd::FatalStartUp) idleUntilClosed();
  shutdown();
  // A file the player's progress or settings should have gone to was not written.
  return fileFailures_ > 0 ? 1 : 0;
}

void Application::reportFileProblem(std::string_view fileName, std::string_view messageSjis,
                                    const std::string& detailUtf8, bool failure) {
  if (failure) ++fileFailures_;
  // The same problem twice (the read marks are saved at several exits) is told once.
  if (!reported_.insert(std::string(fileName) + '\n' + detailUtf8).second) return;
  rt_.reporter.systemError(fileName, 0, messageSjis, utf8ToSjis(detailUtf8));
}

bool Application::keepUnreadable(std::string_view fileName, const std::string& path,
                                 const std::string& reason, std::string_view messageSjis) {
  std::string kept, error;
  if (keepAside(path, &kept, &error)) {
    reportFileProblem(fileName, messageSjis, reason + "; the file is kept as " + kept, false);
    return true;
  }
  reportFileProblem(fileName, SJ("読めないファイルを退避できないため、上書きせずにそのまま残します"),
                    reason + "; " + error, true);
  return false;
}

void Application::formCreate() {
  menus_.item("MnDebug").visible = rt_.story.debugMode;
  menus_.item("MnKaisouExit").visible = false;
  platform_.setMenuBar(&menus_.mainMenu());
  // Only a debug window takes files dropped on it.
  platform_.acceptDroppedFiles(rt_.story.debugMode);
  rebuildFonts();
}

void Application::startUpError(std::string_view textSjis) {
  platform_.messageBox(rt_.media.content.version, textSjis, BoxButtons::Ok, BoxIcon::Error, false);
}

bool Application::fatal(std::string_view messageSjis) {
  if (!messageSjis.empty()) startUpError(messageSjis);
  rt_.requests().quitRequested = true;
  end_ = RunEnd::FatalStartUp;
  // Without a window nobody could close the idle one.
  if (options_.headless) closed_ = true;
  return false;
}

bool Application::startUp() {
  platform_.raiseWindow();

  // The game folder takes the place of the program's drive and folder.
  std::error_code ec;
  if (!std::filesystem::is_directory(options_.gameDir, ec) ||
      ::access(options_.gameDir.c_str(), R_OK | X_OK) != 0)
    return fatal(SJ("フォルダが変更できません"));
  if (!saveFolderError_.empty())
    reportFileProblem(saveChoice_.path, SJ("セーブデータのフォルダを作れません"), saveFolderError_, false);
  // Before anything is written: what killed runs left half-written goes.
  removeStaleTemporaries(options_.gameDir);
  if (saveChoice_.kind != SaveFolderKind::GameFolder) removeStaleTemporaries(saveChoice_.path);

  refreshRates_.clear();
  for (int rate : platform_.refreshRates()) {
    if (refreshRates_.size() >= kMaxRefreshModes) break;
    refreshRates_.push_back(std::to_string(rate));
  }

  // The Vorbis decoder is linked in; there is no codec driver that could be missing.
  menus_.prepareScreenItems();

  if (!rt_.scene.backBuffer.create()) return fatal(SJ("画面の作成に失敗しました"));
  menus_.item("MnFull16").visible = true;

  if (!rt_.sound().openDevice()) startUpError(SJ("Direct Sound が使用できません"));

  DriveChooser chooser = [this](Runtime&) { return rt_.dialogs().chooseDrive(); };
  if (openGameArchives(rt_, chooser, !opticalDriveRoots().empty()) == ArchiveStartup::Stop)
    return fatal({});
  // The game's own title, notices and tables, once its files can be found.
  loadGameContent(rt_);
  platform_.setCaption(rt_.media.content.title);
  menus_.item("MnHP").caption = rt_.media.content.homePageItem;

  // A file that could not be read whole is kept (moved aside) before a fresh one is
  // ever written over it; when it cannot be moved, it is not written at all.
  ReadStatusStore::LoadReport readStatus;
  rt_.media.readStatus.load(gamePath(kReadStatusFile), &readStatus);
  readStatusLoaded_ =
      readStatus.whole() ||
      keepUnreadable(kReadStatusFile, gamePath(kReadStatusFile), readStatus.reason,
                     SJ("既読情報のファイルを読み切れないため、元のファイルを残して新しく作り直します"));

  if (!rt_.story.script->load(SJ("scr\\open.scr"), rt_.story.state, true) && !rt_.story.debugMode)
    return fatal(SJ("シナリオが初期化できません"));

  setAutoMode(false);
  setSkipMode(false);

  // A read-only game that ships its own settings file starts from it the first time
  // its player's files go elsewhere; it is only read, never written.
  std::string settingsSource = settingsPath();
  bool shippedSettings = false;
  if (saveChoice_.kind != SaveFolderKind::GameFolder && !std::filesystem::exists(settingsSource, ec)) {
    std::string shipped = rt_.media.folder.resolve(kSettingsFileName);
    if (std::filesystem::is_regular_file(shipped, ec)) {
      settingsSource = shipped;
      shippedSettings = true;
    }
  }
  SettingsFileStatus settingsFile;
  bool windowed = ReadSettings(settingsSource, rt_.media.settings, refreshRates_, &refreshEntry_, &settingsFile);
  settingsRead_ = shippedSettings || settingsFile.result != IniFile::LoadResult::Unreadable ||
                  keepUnreadable(kSettingsFileName, settingsPath(), settingsFile.reason,
                                 SJ("設定ファイルが読めないため、元のファイルを残して初期設定で始めます"));
  applyPlayerNames(rt_.media.settings, rt_.media.textRules);
  rt_.scene.fontName = rt_.media.settings.font.name;
  rt_.scene.fontStyle = rt_.media.settings.font.style;

  DesktopMode desk = platform_.desktopMode();
  if (desk.width < 800 || desk.height < 600 || desk.bitsPerPixel < 15) {
    startUpError(SJ("デスクトップを ") + "800" + SJ(" × ") + "600" + " " + SJ("ハイカラー以上にして下さい"));
    rt_.requests().quitRequested = true;
    end_ = RunEnd::DesktopRefused;
    closed_ = true;  // the window closes at once
    return false;
  }

  // The window's size and scaling as the player left them (keys of our own, which the
  // settings writer keeps with the other unknown keys).
  IniFile own;
  if (settingsRead_ && own.load(settingsSource) == IniFile::LoadResult::Loaded) {
    platform_.setWindowSize(own.readInt(kScreenSection, "Width", 0), own.readInt(kScreenSection, "Height", 0));
    menus_.item("MnSmoothScale").checked = own.readBool(kScreenSection, "Smooth", false);
  }
  platform_.setSmoothScaling(menus_.item("MnSmoothScale").checked);

  screen_.setWindowedFlag(windowed);
  applyScreenMode(windowed, true);

  FontChoice c;
  c.face = rt_.scene.fontName;
  c.bold = rt_.scene.fontStyle == 1 || rt_.scene.fontStyle == 3;
  c.italic = rt_.scene.fontStyle == 2 || rt_.scene.fontStyle == 3;
  fontDialog_ = c;
  rebuildFonts();

  started_ = true;
  // The first paint shows the back buffer as it is.
  platform_.present(rt_.scene.backBuffer.presentRequest(rt_.scene.paintSuppressed));
  return true;
}

void Application::runFrameLoop() {
  for (;;) {
    platform_.processMessages();
    if (rt_.requests().quitRequested) break;
    if (!platform_.windowActive() && !rt_.media.settings.system.noActive) {
      // The story stands still; wait for the window's messages instead of spinning.
      platform_.waitForMessages(10);
      continue;
    }
    bool endReportArmed = rt_.story.switches.endReportArmed;
    std::uint8_t result = rt_.story.script->step();
    ++steps_;
    if (result == 0) {
      // The read marks of this run are kept at the story's end as at any other exit.
      saveReadStatus();
      rt_.requests().quitRequested = true;
      closed_ = true;
      end_ = RunEnd::StoryEnded;
      break;
    }
    if (options_.endAtScriptEnd && endReportArmed && !rt_.story.switches.endReportArmed) {
      end_ = RunEnd::ScriptEnded;
      endWithoutQuestion();
      break;
    }
    if (options_.maxSteps != 0 && steps_ >= options_.maxSteps) {
      endWithoutQuestion();
      break;
    }
    if (rt_.requests().titleRequested) returnToTitle();
  }
}

void Application::idleUntilClosed() {
  while (!closed_) {
    platform_.processMessages();
    if (!closed_) platform_.waitForMessages(20);
  }
}

void Application::returnToTitle() {
  rt_.requests().titleRequested = false;
  setAutoMode(false);
  setSkipMode(false);
  std::memset(rt_.story.state.flags, 0, sizeof rt_.story.state.flags);
  std::memset(rt_.story.state.pictureNames, 0, sizeof rt_.story.state.pictureNames);
  rt_.story.script->load(SJ("scr\\open.scr"), rt_.story.state, true);
  // After the load, which may have brought the system flags back.
  rt_.story.state.flags[2023] = 0;
  rt_.story.state.flags[2034] = 0;
  rt_.scene.layers.clearAll();
  rt_.sound().stopAllChannels();
  present();
}

void Application::requestTitle() {
  BoxAnswer a = platform_.messageBox(SJ("確認"), SJ("タイトル画面に戻りますか？"), BoxButtons::YesNo,
                                     BoxIcon::Question, true);
  if (a == BoxAnswer::Yes) rt_.requests().titleRequested = true;
}

bool Application::closeQuery() {
  if (rt_.requests().quitRequested) return true;
  BoxAnswer a = platform_.messageBox(SJ("確認"), SJ("本当に終了してもよろしいですか？"),
                                     BoxButtons::YesNo, BoxIcon::Question, true);
  if (a != BoxAnswer::Yes) return false;
  saveReadStatus();
  rt_.requests().quitRequested = true;
  return true;
}

void Application::closeWindow() {
  if (closed_) return;
  bool quitting = rt_.requests().quitRequested;
  if (!closeQuery()) return;
  closed_ = true;
  if (!quitting && end_ == RunEnd::Running) end_ = RunEnd::Closed;
}

void Application::endWithoutQuestion() {
  if (rt_.requests().quitRequested) {
    closed_ = true;
    return;
  }
  saveReadStatus();
  rt_.requests().quitRequested = true;
  closed_ = true;
  if (end_ == RunEnd::Running) end_ = RunEnd::Ended;
}

bool Application::saveReadStatus() {
  // Before the store was loaded it holds nothing of the player's; writing it then
  // could only lose the marks of earlier runs.
  if (!readStatusLoaded_) return false;
  std::string error;
  if (rt_.media.readStatus.save(gamePath(kReadStatusFile), &error)) return true;
  reportFileProblem(kReadStatusFile, SJ("既読情報を保存できませんでした"), error, true);
  return false;
}

void Application::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Written on every exit, but only once the file has been read: settings that were
  // never loaded would overwrite the player's file with defaults.
  saveSettings();
  rt_.sound().stopAllChannels();
  platform_.setMenuBar(nullptr);
}

bool Application::saveSettings() {
  if (!settingsRead_) return false;
  std::string error;
  // The window's own keys travel in the same write as the game's settings.
  auto screenKeys = [this](IniFile& ini) {
    ini.writeBool(kScreenSection, "Smooth", menus_.item("MnSmoothScale").checked);
    int w = 0, h = 0;
    if (platform_.windowSize(w, h)) {
      ini.writeInt(kScreenSection, "Width", w);
      ini.writeInt(kScreenSection, "Height", h);
    }
  };
  if (WriteSettings(settingsPath(), rt_.media.settings, screen_.windowedFlag(), &error, screenKeys)) return true;
  reportFileProblem(kSettingsFileName, SJ("設定を保存できませんでした"), error, true);
  return false;
}

void Application::rebuildFonts() {
  // The large font follows the script's text size, kept as the size code minus one.
  int textSize = static_cast<int>(rt_.story.state.textSizeCode()) + 1;
  rt_.scene.messageFonts.rebuild(rt_.media.fonts, rt_.scene.fontName, rt_.scene.fontStyle, textSize);
  ++fontsRebuilt_;
}

void Application::setAutoMode(bool on) { ml::setAutoMode(rt_, on); }

void Application::setSkipMode(bool on) { ml::setSkipMode(rt_, on); }

bool Application::present() { return ml::present(*rt_.story.script); }

}  // namespace ml
