// The services the engine takes from the operating system. Two implementations:
// platform/sdl (a real window, sound card and clock) and platform/headless (virtual
// clock, scripted input, no window), used by tests, the --headless runner and fuzzers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_model.h"

namespace ml {

// Keys the engine distinguishes; everything else arrives as Key::Other with its
// ASCII letter (debug keys) in KeyEvent::letter.
enum class Key {
  Other, Enter, Space, Escape, PageUp, PageDown, Home, Left, Up, Right, Down, F1, F2,
  F4,  // only for the Alt+F4 shortcut
};

enum class MouseButton { Left, Middle, Right };

// Game-controller buttons (SDL's standard layout: A below, B right, the shoulders, the
// d-pad, Start). The triggers are not buttons here: held, they count as the Ctrl key.
enum class PadButton { A, B, X, Y, Start, Back, LeftShoulder, RightShoulder, Up, Down, Left, Right };

struct KeyEvent {
  Key key = Key::Other;
  char letter = 0;  // 'A'..'Z' for letter keys, else 0
  bool alt = false;
  bool shift = false;
  bool ctrl = false;
};

// Receives window input while the platform processes its messages. Installed by the
// application layer; the platform never interprets input itself.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void keyDown(const KeyEvent& e) = 0;
  virtual void keyUp(const KeyEvent& e) = 0;
  virtual void mouseMove(int x, int y) = 0;
  virtual void mouseButton(MouseButton b, bool down) = 0;
  virtual void wheel(int steps) = 0;  // positive: away from the player (up)
  // A game-controller button went down or up.
  virtual void padButton(PadButton b, bool down) {}
  virtual void closeRequested() = 0;
  virtual void activationChanged(bool active) = 0;
  // The run is over without a question, as after a confirmed close (headless frame
  // limit).
  virtual void endRequested() {}
  // Files dropped on the window together (host paths in UTF-8); only while the
  // platform was told to accept drops.
  virtual void filesDropped(const std::vector<std::string>& pathsUtf8) {}
};

// Buttons and icons of a message box.
enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { None, Error, Question, Information };
enum class BoxAnswer { Ok, Yes, No };

// How the composed 800x600 frame is shown (shake and zoom applied at presentation).
struct PresentRequest {
  const std::uint32_t* pixels = nullptr;  // 800x600, BGRA in memory, pitch 800
  int shakeY = 0;
  int shakeX = 0;
  int zoom = 0;            // hold level; above 16 it zooms
  bool suppressed = false; // paint shows nothing from the frame
};

class Clock {
 public:
  virtual ~Clock() = default;
  // False for a virtual clock that moves only when the program sleeps or presents:
  // work running beside it is waited for, so every run goes the same way.
  virtual bool realTime() const { return true; }
  // Milliseconds since the program started (virtual in headless runs).
  virtual std::uint32_t ticks() = 0;
  virtual void sleep(std::uint32_t ms) = 0;
  // Seconds since the epoch, for the random seed and save times.
  virtual std::int64_t unixTime() = 0;
};

// What the audio device plays: 44100 Hz, 16-bit stereo frames. The device calls it
// with its lock held (on the audio thread in a real run, on the virtual clock in a
// headless one); it must not allocate or block.
class AudioSource {
 public:
  static constexpr int kRate = 44100;
  virtual ~AudioSource() = default;
  // Mixes frames into out (interleaved left, right).
  virtual void mix(std::int16_t* out, std::size_t frames) = 0;
  // Moves on by frames without producing output (nobody listens).
  virtual void skip(std::size_t frames) { (void)frames; }
};

// What a dialog drawn over the running game learns and tells at each picture.
struct DialogFrame {
  // In: Esc or Enter went to this window (it had the keyboard) since the last picture.
  bool escape = false;
  bool enter = false;
  // Out, set by the window as it draws: it has the keyboard focus, and where it lies
  // (window coordinates), so that clicks there are not the game's.
  bool focused = false;
  float x = 0, y = 0, width = 0, height = 0;
};

// A dialog that does not hold the game (the option dialog, the flag viewer, the
// keyboard help): a Dear ImGui window drawn with every picture over the game.
struct ModelessDialog {
  std::string id;  // one window per id, e.g. "TOptionForm"
  // Draws the window (Begin to End) inside the picture's frame; false once it closed.
  std::function<bool(DialogFrame&)> draw;
  // Runs after the picture in which it closed, outside the frame (it may ask questions).
  std::function<void()> closed;
};

class Platform : public Clock {
 public:
  ~Platform() override = default;

  // The one audio output. openAudio starts pulling from the source; false when there
  // is no device (the game goes on silent). lockAudio keeps the source from being
  // called until unlockAudio.
  virtual bool openAudio(AudioSource* source) { (void)source; return false; }
  virtual void closeAudio() {}
  virtual void lockAudio() {}
  virtual void unlockAudio() {}

  virtual void setInputSink(InputSink* sink) = 0;
  // Processes pending window messages: input goes to the sink, menus and dialogs run.
  virtual void processMessages() = 0;
  // Shows a composed frame.
  virtual void present(const PresentRequest& request) = 0;
  virtual bool windowActive() = 0;
  // Physical state of the Ctrl key (polled, not taken from key events); a held
  // controller trigger counts as Ctrl.
  virtual bool ctrlHeld() = 0;
  // Caption text arrives as Shift-JIS bytes.
  virtual void setCaption(std::string_view sjis) = 0;
  // Caption and text in Shift-JIS. Headless runs print the box and answer from the
  // input script, or with the default button.
  virtual BoxAnswer messageBox(std::string_view captionSjis, std::string_view textSjis,
                               BoxButtons buttons, BoxIcon icon, bool defaultNo) = 0;
  virtual void setClipboardText(std::string_view sjis) = 0;
  // Opens a document or web address through the desktop; false on failure.
  virtual bool openUrl(std::string_view url) = 0;

  // The main window's own pieces. The defaults suit a platform without a window.
  virtual void raiseWindow() {}
  // The menu bar drawn above the game area while windowed; the application owns the
  // items and may change them between calls. nullptr: no menu bar.
  virtual void setMenuBar(MenuItem* root) {}
  // Opens the popup menu at the mouse; its items run after the menu closes.
  virtual void openPopupMenu(MenuItem* root) {}
  // Windowed: 800x600 game area below the menu bar. Full screen: the desktop, the frame
  // scaled with black bars; the display mode itself is never changed.
  virtual void setScreenMode(bool windowed) {}
  virtual DesktopMode desktopMode() { return {}; }
  // How the frame fills a window larger than 800x600 or the full screen: whole
  // multiples with sharp pixels when one fits (false), or always as large as the aspect
  // allows, smoothly (true).
  virtual void setSmoothScaling(bool smooth) {}
  // The windowed client size as the player left it (0 x 0: the default); read back at
  // exit so the next run opens the same size.
  virtual void setWindowSize(int width, int height) {}
  virtual bool windowSize(int& width, int& height) { return false; }
  // Refresh rates of the 800x600 modes at the desktop's colour depth, in the order the
  // display lists them.
  virtual std::vector<int> refreshRates() { return {}; }
  // Waits up to ms for window messages without handling them (the idle frame loop).
  virtual void waitForMessages(std::uint32_t ms) { sleep(ms); }
  // Whether files dropped on the window reach the input sink (debug mode only).
  virtual void acceptDroppedFiles(bool accept) {}
  // The current-line dialog, modal.
  virtual void showDebugForm(DebugFormData& form) {}
  // The font dialog, modal; true when the player confirmed a choice.
  virtual bool chooseFont(FontChoice& choice) { return false; }
  // A text dialog, modal; true on OK with the typed text in form.text.
  virtual bool editText(TextEntryForm& form) { return false; }
  // The name dialog as a platform without a window answers it (headless runs: from the
  // input script; true with the names in Shift-JIS, false cancelled). nullopt: this
  // platform leaves the dialog to the application, which draws it with runDialog.
  virtual std::optional<bool> answerNameDialog(std::string& familySjis, std::string& givenSjis) {
    return std::nullopt;
  }
  // Runs a modal Dear ImGui window over the frozen game: drawFrame is called once per
  // picture, inside the frame, until it answers false. False when this platform can
  // show none (no window yet, or none at all).
  virtual bool runDialog(const std::function<bool()>& drawFrame) { return false; }
  // Shows a dialog over the running game until it closes itself; the game goes on.
  // Esc and Enter go to it while it has the focus, clicks while the pointer is over it. An id
  // already open is brought to the front instead (the new callbacks are dropped).
  // False when this platform can show none.
  virtual bool openDialog(ModelessDialog dialog) { (void)dialog; return false; }
  virtual bool dialogOpen(std::string_view id) const { (void)id; return false; }
  // What an open dialog shows changed outside it (the flag viewer refreshed).
  virtual void dialogsChanged() {}
};

}  // namespace ml
