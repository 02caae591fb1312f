// The platform without window or sound card: a virtual clock that only moves when the
// engine sleeps, waits or presents a frame, reports printed as UTF-8 lines on standard
// error, message boxes answered from the input script or with their default button,
// menus kept as data that the input script can click.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/input_script.h"
#include "platform/platform.h"
#include "platform/reporter.h"

namespace ml {

class HeadlessPlatform : public Platform, public Reporter {
 public:
  HeadlessPlatform();

  // Clock: virtual milliseconds.
  std::uint32_t ticks() override { return now_; }
  bool realTime() const override { return false; }
  void sleep(std::uint32_t ms) override { advanceClock(ms); }
  std::int64_t unixTime() override { return epoch_ + now_ / 1000; }
  void setEpoch(std::int64_t seconds) { epoch_ = seconds; }
  void advance(std::uint32_t ms) { advanceClock(ms); }

  // Audio on the virtual clock: 44100 frames per virtual second are pulled from the
  // source as the clock moves; recorded when asked (--audio-out).
  bool openAudio(AudioSource* source) override;
  void closeAudio() override;
  void recordAudio(bool on) { recordAudio_ = on; }
  // Interleaved stereo frames produced so far (while recording).
  const std::vector<std::int16_t>& recordedAudio() const { return recorded_; }
  std::uint64_t audioFramesProduced() const { return audioFrames_; }
  // The recording as a 16-bit stereo PCM WAVE file.
  bool writeAudio(const std::string& path) const;

  void setInputSink(InputSink* sink) override { sink_ = sink; }
  void processMessages() override;
  void present(const PresentRequest& request) override;
  bool windowActive() override { return active_; }
  bool ctrlHeld() override { return ctrl_ || trigger_; }
  void setCaption(std::string_view sjis) override { caption_ = std::string(sjis); }
  BoxAnswer messageBox(std::string_view captionSjis, std::string_view textSjis, BoxButtons buttons,
                       BoxIcon icon, bool defaultNo) override;
  void setClipboardText(std::string_view sjis) override { clipboard_ = std::string(sjis); }
  bool openUrl(std::string_view url) override;

  void setMenuBar(MenuItem* root) override { menuBar_ = root; }
  void openPopupMenu(MenuItem* root) override;
  void setScreenMode(bool windowed) override { windowed_ = windowed; ++screenModeChanges_; }
  DesktopMode desktopMode() override { return desktop_; }
  std::vector<int> refreshRates() override { return refreshRates_; }
  void waitForMessages(std::uint32_t ms) override { advanceClock(ms); }
  void showDebugForm(DebugFormData& form) override;
  bool chooseFont(FontChoice& choice) override;
  // Answered from the queue of its form (OK with the text, or cancel); an unanswered
  // dialog takes OK with the text it proposed.
  bool editText(TextEntryForm& form) override;
  std::optional<bool> answerNameDialog(std::string& familySjis, std::string& givenSjis) override;
  // Dialogs over the running game are not shown (a headless run answers them at once),
  // unless a test keeps them: then they stay open until drawDialogs closes them.
  bool openDialog(ModelessDialog dialog) override;
  bool dialogOpen(std::string_view id) const override;
  void dialogsChanged() override { ++dialogChanges_; }
  void keepDialogs(bool keep) { keepDialogs_ = keep; }
  // One picture of the kept dialogs, each told `input` (Esc, Enter); those that close
  // leave and their results run afterwards.
  void drawDialogs(const DialogFrame& input = {});
  std::size_t openDialogs() const { return dialogs_.size(); }
  int dialogRaises() const { return dialogRaises_; }
  int dialogChanges() const { return dialogChanges_; }
  void acceptDroppedFiles(bool accept) override { acceptDrops_ = accept; }
  bool acceptsDroppedFiles() const { return acceptDrops_; }

  // Reporter: one line on standard error per report.
  void scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                   int lineNumber, std::string_view lineText) override;
  void systemError(std::string_view fileName, int number, std::string_view message,
                   std::string_view detail) override;

  // Test and runner controls.
  void setActive(bool active);
  void setCtrlHeld(bool held) { ctrl_ = held; }
  void setFrameMilliseconds(std::uint32_t ms) { frameMs_ = ms; }
  void setQuiet(bool quiet) { quiet_ = quiet; }
  void setDesktopMode(const DesktopMode& mode) { desktop_ = mode; }
  void setRefreshRates(std::vector<int> rates) { refreshRates_ = std::move(rates); }
  // Whether opening documents and addresses succeeds (a desktop without a browser).
  void setOpenUrlResult(bool ok) { openUrlOk_ = ok; }
  // Answers for the next message boxes, in order (default button once exhausted).
  void queueBoxAnswer(BoxAnswer a) { boxAnswers_.push_back(a); }
  // Choices for the next font dialogs (cancelled once exhausted).
  void queueFontChoice(const FontChoice& c) { fontChoices_.push_back(c); }
  // Answers for the next text dialogs of a form ("TComForm"): a Shift-JIS text for
  // OK, or nothing for cancel.
  void queueTextAnswer(const std::string& formName, std::optional<std::string> textSjis) {
    textAnswers_.push_back({formName, std::move(textSjis)});
  }
  // Answers for the next name dialogs, family and given name in Shift-JIS (cancelled
  // once exhausted).
  void queueNameAnswer(std::string familySjis, std::string givenSjis) {
    nameAnswers_.push_back({std::move(familySjis), std::move(givenSjis)});
  }
  // Runs before each processMessages; the runner's own scripted input may live here.
  void setMessageHook(std::function<void(HeadlessPlatform&, InputSink*)> hook) {
    hook_ = std::move(hook);
  }
  // --input: the commands run as the engine processes messages.
  void setInputScript(InputScript script);
  bool inputScriptDone() const { return scriptPos_ >= script_.commands.size(); }
  // --frames N: after N presented frames the run ends as after a confirmed close.
  void setFrameLimit(std::uint64_t frames) { frameLimit_ = frames; }
  bool frameLimitReached() const { return frameLimit_ != 0 && frames_ >= frameLimit_; }
  // --autoplay: a click (Enter) whenever this many virtual ms passed since the last.
  void setAutoplay(bool on, std::uint32_t intervalMs = 100) {
    autoplay_ = on;
    autoplayIntervalMs_ = intervalMs;
    lastAutoClick_ = now_;
  }
  // Clicks a menu item by component name as the player would: only when it and its
  // menus are visible and enabled (popup items only while the popup is open).
  bool clickMenuItem(std::string_view name);
  // --screenshot: the last presented frame (black before the first) as PNG; with a
  // frame limit, frame N (the frames of the run's end are not kept).
  bool writeScreenshot(const std::string& path, std::string* error = nullptr) const;

  std::uint64_t presentedFrames() const { return frames_; }
  const std::vector<std::uint32_t>& lastFrame() const { return lastFrame_; }
  const std::string& caption() const { return caption_; }
  const std::string& clipboard() const { return clipboard_; }
  const std::vector<std::string>& reports() const { return reports_; }
  InputSink* sink() const { return sink_; }
  bool windowed() const { return windowed_; }
  int screenModeChanges() const { return screenModeChanges_; }
  MenuItem* menuBar() const { return menuBar_; }
  MenuItem* openPopup() const { return popup_; }
  int popupOpens() const { return popupOpens_; }
  const std::optional<DebugFormData>& lastDebugForm() const { return lastDebugForm_; }
  int mouseX() const { return mouseX_; }
  int mouseY() const { return mouseY_; }

 private:
  void advanceClock(std::uint32_t ms);
  void pullAudio();
  void emit(std::string line);
  void runInputScript();
  // Runs one command; false when it must wait.
  bool runCommand(const InputCommand& c);

  std::uint32_t now_ = 0;
  AudioSource* audio_ = nullptr;
  bool recordAudio_ = false;
  std::uint64_t audioFrames_ = 0;
  std::uint64_t audioStartMs_ = 0;
  std::vector<std::int16_t> audioScratch_;
  std::vector<std::int16_t> recorded_;
  std::int64_t epoch_ = 0;
  std::uint32_t frameMs_ = 10;
  std::uint64_t frames_ = 0;
  std::uint64_t frameLimit_ = 0;
  bool endSignalled_ = false;
  bool active_ = true;
  bool ctrl_ = false;
  bool trigger_ = false;  // a controller trigger held
  bool quiet_ = false;
  bool windowed_ = true;
  int screenModeChanges_ = 0;
  bool openUrlOk_ = true;
  bool acceptDrops_ = false;
  bool autoplay_ = false;
  std::uint32_t autoplayIntervalMs_ = 100;
  std::uint32_t lastAutoClick_ = 0;
  int mouseX_ = 0, mouseY_ = 0;
  InputSink* sink_ = nullptr;
  MenuItem* menuBar_ = nullptr;
  MenuItem* popup_ = nullptr;
  int popupOpens_ = 0;
  DesktopMode desktop_;
  std::vector<int> refreshRates_;
  std::string caption_;
  std::string clipboard_;
  std::deque<BoxAnswer> boxAnswers_;
  std::deque<FontChoice> fontChoices_;
  struct TextAnswer {
    std::string form;
    std::optional<std::string> text;
  };
  std::deque<TextAnswer> textAnswers_;
  std::deque<std::pair<std::string, std::string>> nameAnswers_;
  std::vector<std::string> reports_;
  std::vector<std::uint32_t> lastFrame_;
  std::optional<DebugFormData> lastDebugForm_;
  bool keepDialogs_ = false;
  std::vector<ModelessDialog> dialogs_;
  int dialogRaises_ = 0;
  int dialogChanges_ = 0;
  // `unread`: current-line dialogs still to press the unread search.
  int unreadSearches_ = 0;
  std::function<void(HeadlessPlatform&, InputSink*)> hook_;
  InputScript script_;
  size_t scriptPos_ = 0;
  bool waiting_ = false;
  std::uint32_t waitUntilMs_ = 0;
  std::uint64_t waitUntilFrame_ = 0;
  bool inScript_ = false;
};

}  // namespace ml
