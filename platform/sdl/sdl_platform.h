// The desktop platform: one SDL window with the 800x600 game area below a Dear ImGui
// menu bar (windowed), or the desktop's full screen with the frame scaled to fit and
// black bars (the display mode is never changed). The frame is uploaded into one
// streaming texture; menus, message boxes and dialogs are ImGui, drawn over it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/present_frame.h"
#include "platform/sdl/imgui_layer.h"

struct SDL_Window;
struct _SDL_GameController;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace ml {

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // SDL's video subsystem; false with a message when there is no display.
  bool initVideo(std::string& error);
  // The main window (hidden until the first frame would show); false with a message.
  bool createWindow(std::string& error);
  bool hasWindow() const { return window_ != nullptr; }
  // F12 writes the shown frame as "<id>-<time>.png" into the pictures folder's
  // "Mirelune" folder; the id names the game.
  void setScreenshotId(std::string id) { screenshotId_ = std::move(id); }

  std::uint32_t ticks() override;
  void sleep(std::uint32_t ms) override;
  std::int64_t unixTime() override;

  void setInputSink(InputSink* sink) override { sink_ = sink; }
  void processMessages() override;
  void present(const PresentRequest& request) override;
  bool windowActive() override { return active_; }
  bool ctrlHeld() override;
  void setCaption(std::string_view sjis) override;
  BoxAnswer messageBox(std::string_view captionSjis, std::string_view textSjis, BoxButtons buttons,
                       BoxIcon icon, bool defaultNo) override;
  void setClipboardText(std::string_view sjis) override;
  bool openUrl(std::string_view url) override;

  void raiseWindow() override;
  void setMenuBar(MenuItem* root) override { menuBar_ = root; }
  void openPopupMenu(MenuItem* root) override;
  void setScreenMode(bool windowed) override;
  DesktopMode desktopMode() override;
  void setSmoothScaling(bool smooth) override;
  void setWindowSize(int width, int height) override;
  bool windowSize(int& width, int& height) override;
  std::vector<int> refreshRates() override;
  void waitForMessages(std::uint32_t ms) override;
  void showDebugForm(DebugFormData& form) override;
  bool chooseFont(FontChoice& choice) override;
  bool editText(TextEntryForm& form) override;
  bool runDialog(const std::function<bool()>& drawFrame) override;
  bool openDialog(ModelessDialog dialog) override;
  bool dialogOpen(std::string_view id) const override;
  void dialogsChanged() override;
  void acceptDroppedFiles(bool accept) override;

  // One device at 44100 Hz, 16-bit stereo; its callback pulls from the source with
  // the device lock held. No device: false, said once on standard error.
  bool openAudio(AudioSource* source) override;
  void closeAudio() override;
  void lockAudio() override;
  void unlockAudio() override;

 private:
  static void audioCallback(void* self, std::uint8_t* stream, int bytes);
  // What a pass of event handling may do with input.
  enum class Pump { Game, Modal };
  void pumpEvents(Pump mode);
  void handleInput(const SDL_Event& e);
  void handleWindowEvent(const SDL_Event& e);
  // Controllers come and go while the game runs.
  void handlePadDevice(const SDL_Event& e);
  void setActive(bool active);
  // A noted termination signal ends the run (once) through the input sink.
  void checkTermination();
  // The game area inside the window now, in output pixels.
  Rect gameArea() const;
  // The menu bar's height in output pixels (0 in full screen).
  int menuBarPixels() const;
  // A window position in game coordinates; false outside the game area.
  bool toGame(int x, int y, int& gameX, int& gameY) const;
  // The default windowed client size: 800x600 below the menu bar, doubled on a HiDPI
  // display that has room for it.
  void defaultWindowSize(int& width, int& height) const;
  // One picture: the frame, the menu bar (windowed), the popup and any modal contents.
  void renderFrame(const std::function<void()>& modalContents = {});
  void runPendingClicks();
  // Whether a new picture would differ from the one shown: a changed frame or layout,
  // input ImGui is answering, an open menu, popup or box, a changed menu bar.
  bool needsRender();
  void redrawSoon();
  // F12: the frame as shown, as PNG; the caption says where it went for a moment.
  void takeScreenshot();
  void showCaption();
  // Runs a modal ImGui window until drawContents answers false; the game is frozen.
  // afterFrame runs between pictures, where it may open a box of its own.
  void runModal(const std::function<bool()>& drawContents, const std::function<void()>& afterFrame = {});
  bool modalPossible() const;
  // The dialogs over the running game, drawn into the current picture; those that
  // closed leave it, their results applied after the frame.
  void drawDialogs();
  // The open dialog that has the keyboard (as the last picture left it), or null.
  struct OpenDialog;
  OpenDialog* focusedDialog();
  // Whether a window position lies on an open dialog.
  bool overDialog(int x, int y) const;
 public:
  // A key pressed since the modal's last picture (ImGui 1.86 misses a press and release
  // that arrive between two frames).
  bool modalKey(int scancode) const;

 private:

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  ImGuiLayer ui_;
  InputSink* sink_ = nullptr;
  MenuItem* menuBar_ = nullptr;
  bool videoReady_ = false;
  bool active_ = true;
  bool windowed_ = true;
  bool shown_ = false;
  int modalDepth_ = 0;
  bool haveFrame_ = false;
  PresentPlan plan_;
  std::uint32_t lastRender_ = 0;
  std::uint32_t modeChangedAt_ = 0;
  bool mouseInGame_[3] = {false, false, false};
  std::string captionUtf8_;
  std::vector<std::function<void()>> pendingClicks_;
  struct OpenDialog {
    ModelessDialog dialog;
    DialogFrame last;     // what the last picture drew
    bool raise = true;    // brought to the front at the next picture
    bool escape = false;  // keys it had since then
    bool enter = false;
  };
  std::vector<OpenDialog> dialogs_;
  std::vector<int> modalKeys_;
  // Files of one drop, handed on together when the drop is complete.
  bool acceptDrops_ = false;
  std::vector<std::string> drops_;
  std::uint32_t audioDevice_ = 0;
  AudioSource* audioSource_ = nullptr;
  bool audioReported_ = false;
  bool terminationSeen_ = false;
  bool smooth_ = false;
  bool padsReady_ = false;
  std::vector<_SDL_GameController*> pads_;
  int windowW_ = 0, windowH_ = 0;
  bool dirty_ = true;
  int uiBusyFrames_ = 0;
  std::size_t menuSignature_ = 0;
  std::vector<std::uint32_t> shownPixels_;
  PresentRequest shownRequest_;
  std::string screenshotId_ = "mirelune";
  std::string captionNote_;
  std::uint32_t captionNoteUntil_ = 0;
};

}  // namespace ml
