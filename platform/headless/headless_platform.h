// The platform without window or sound card: a virtual clock that only moves when the
// engine sleeps or presents a frame, reports printed as UTF-8 lines on standard error,
// message boxes answered with their default button unless the input script says else.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/reporter.h"

namespace ml {

class HeadlessPlatform : public Platform, public Reporter {
 public:
  HeadlessPlatform();

  // Clock: virtual milliseconds.
  std::uint32_t ticks() override { return now_; }
  void sleep(std::uint32_t ms) override { now_ += ms; }
  std::int64_t unixTime() override { return epoch_ + now_ / 1000; }
  void setEpoch(std::int64_t seconds) { epoch_ = seconds; }
  void advance(std::uint32_t ms) { now_ += ms; }

  void setInputSink(InputSink* sink) override { sink_ = sink; }
  void processMessages() override;
  void present(const PresentRequest& request) override;
  bool windowActive() override { return active_; }
  bool ctrlHeld() override { return ctrl_; }
  void setCaption(std::string_view sjis) override { caption_ = std::string(sjis); }
  BoxAnswer messageBox(std::string_view captionSjis, std::string_view textSjis, BoxButtons buttons,
                       BoxIcon icon, bool defaultNo) override;
  void setClipboardText(std::string_view sjis) override { clipboard_ = std::string(sjis); }
  bool openUrl(std::string_view url) override;

  // Reporter: one line on standard error per report.
  void scriptError(std::string_view message, std::string_view detail, std::string_view fileName,
                   int lineNumber, std::string_view lineText) override;
  void systemError(std::string_view fileName, int number, std::string_view message,
                   std::string_view detail) override;

  // Test and runner controls.
  void setActive(bool active) { active_ = active; }
  void setCtrlHeld(bool held) { ctrl_ = held; }
  void setFrameMilliseconds(std::uint32_t ms) { frameMs_ = ms; }
  void setQuiet(bool quiet) { quiet_ = quiet; }
  // Answers for the next message boxes, in order (default button once exhausted).
  void queueBoxAnswer(BoxAnswer a) { boxAnswers_.push_back(a); }
  // Runs before each processMessages; the runner's scripted input lives here.
  void setMessageHook(std::function<void(HeadlessPlatform&, InputSink*)> hook) {
    hook_ = std::move(hook);
  }

  std::uint64_t presentedFrames() const { return frames_; }
  const std::vector<std::uint32_t>& lastFrame() const { return lastFrame_; }
  const std::string& caption() const { return caption_; }
  const std::string& clipboard() const { return clipboard_; }
  const std::vector<std::string>& reports() const { return reports_; }
  InputSink* sink() const { return sink_; }

 private:
  void emit(std::string line);

  std::uint32_t now_ = 0;
  std::int64_t epoch_ = 0;
  std::uint32_t frameMs_ = 10;
  std::uint64_t frames_ = 0;
  bool active_ = true;
  bool ctrl_ = false;
  bool quiet_ = false;
  InputSink* sink_ = nullptr;
  std::string caption_;
  std::string clipboard_;
  std::deque<BoxAnswer> boxAnswers_;
  std::vector<std::string> reports_;
  std::vector<std::uint32_t> lastFrame_;
  std::function<void(HeadlessPlatform&, InputSink*)> hook_;
};

}  // namespace ml
