#include "platform/headless/headless_platform.h"

#include "platform/posix/termination_signals.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/headless/png_writer.h"
#include "platform/posix/file_handle.h"
#include "platform/present_frame.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

// The item and every menu above it must be visible and enabled to be clicked.
MenuItem* findClickable(MenuItem* menu, std::string_view name) {
  for (MenuItem& item : menu->items) {
    if (!item.visible || !item.enabled || item.separator) continue;
    if (item.name == name) return &item;
    if (MenuItem* hit = findClickable(&item, name)) return hit;
  }
  return nullptr;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform() : epoch_(static_cast<std::int64_t>(std::time(nullptr))) {}

void HeadlessPlatform::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (sink_ != nullptr) sink_->activationChanged(active);
}

void HeadlessPlatform::setInputScript(InputScript script) {
  script_ = std::move(script);
  scriptPos_ = 0;
  waiting_ = false;
}

void HeadlessPlatform::processMessages() {
  // The frame limit, or SIGTERM, SIGINT, SIGHUP: the run ends as after a confirmed close.
  if ((frameLimitReached() || terminationSignal() != 0) && !endSignalled_) {
    endSignalled_ = true;
    if (sink_ != nullptr) sink_->endRequested();
  }
  runInputScript();
  if (autoplay_ && sink_ != nullptr && now_ - lastAutoClick_ >= autoplayIntervalMs_) {
    lastAutoClick_ = now_;
    KeyEvent enter;
    enter.key = Key::Enter;
    sink_->keyDown(enter);
    sink_->keyUp(enter);
  }
  if (hook_) hook_(*this, sink_);
}

void HeadlessPlatform::runInputScript() {
  // A command may open a box or a menu that processes messages again; the outer pass
  // goes on with the script.
  if (inScript_) return;
  inScript_ = true;
  while (scriptPos_ < script_.commands.size()) {
    const InputCommand& c = script_.commands[scriptPos_];
    if (!runCommand(c)) break;
    ++scriptPos_;
  }
  inScript_ = false;
}

bool HeadlessPlatform::runCommand(const InputCommand& c) {
  using K = InputCommand::Kind;
  if (c.kind == K::Wait || c.kind == K::Frames) {
    if (!waiting_) {
      waiting_ = true;
      waitUntilMs_ = now_ + static_cast<std::uint32_t>(c.value);
      waitUntilFrame_ = frames_ + static_cast<std::uint64_t>(c.value);
    }
    bool over = c.kind == K::Wait ? static_cast<std::int32_t>(now_ - waitUntilMs_) >= 0
                                  : frames_ >= waitUntilFrame_;
    if (!over) return false;
    waiting_ = false;
    return true;
  }
  InputSink* s = sink_;
  switch (c.kind) {
    case K::Move:
      mouseX_ = c.x;
      mouseY_ = c.y;
      if (s) s->mouseMove(c.x, c.y);
      break;
    case K::Click:
      if (c.hasPosition) {
        mouseX_ = c.x;
        mouseY_ = c.y;
        if (s) s->mouseMove(c.x, c.y);
      }
      if (s) {
        s->mouseButton(c.button, true);
        s->mouseButton(c.button, false);
      }
      break;
    case K::Press:
    case K::Release:
      if (s) s->mouseButton(c.button, c.kind == K::Press);
      break;
    case K::Wheel:
      if (s) s->wheel(static_cast<int>(c.value));
      break;
    case K::Key:
      if (s) {
        s->keyDown(c.key);
        s->keyUp(c.key);
      }
      break;
    case K::KeyDown:
      if (s) s->keyDown(c.key);
      break;
    case K::KeyUp:
      if (s) s->keyUp(c.key);
      break;
    case K::Ctrl:
      ctrl_ = c.on;
      break;
    case K::Pad:
      if (s) {
        s->padButton(c.pad, true);
        s->padButton(c.pad, false);
      }
      break;
    case K::PadDown:
    case K::PadUp:
      if (s) s->padButton(c.pad, c.kind == K::PadDown);
      break;
    case K::Trigger:
      trigger_ = c.on;
      break;
    case K::Answer:
      boxAnswers_.push_back(c.answer);
      break;
    case K::Font:
      fontChoices_.push_back(c.font);
      break;
    case K::Comment:
      queueTextAnswer("TComForm", c.cancel ? std::nullopt : std::optional<std::string>(c.name));
      break;
    case K::Jump:
      queueTextAnswer("TJumpForm", c.cancel ? std::nullopt : std::optional<std::string>(c.name));
      break;
    case K::Unread:
      ++unreadSearches_;
      break;
    case K::Name:
      queueNameAnswer(utf8ToSjis(c.paths.at(0)), utf8ToSjis(c.paths.at(1)));
      break;
    case K::Menu:
      if (!clickMenuItem(c.name)) emit("InputScript: line " + std::to_string(c.line) +
                                       ": menu item " + c.name + " cannot be clicked now");
      break;
    case K::Activate:
      setActive(true);
      break;
    case K::Deactivate:
      setActive(false);
      break;
    case K::Close:
      if (s) s->closeRequested();
      break;
    case K::Drop:
      // A window that does not accept drops refuses them before the game hears of it.
      if (s && acceptDrops_) s->filesDropped(c.paths);
      break;
    case K::Wait:
    case K::Frames:
      break;
  }
  return true;
}

void HeadlessPlatform::openPopupMenu(MenuItem* root) {
  popup_ = root;
  ++popupOpens_;
}

bool HeadlessPlatform::clickMenuItem(std::string_view name) {
  MenuItem* item = nullptr;
  if (popup_ != nullptr) {
    item = findClickable(popup_, name);
    popup_ = nullptr;  // any click closes the popup
  }
  if (item == nullptr && menuBar_ != nullptr && windowed_) item = findClickable(menuBar_, name);
  if (item == nullptr) return false;
  if (item->onClick) item->onClick();
  return true;
}

void HeadlessPlatform::present(const PresentRequest& request) {
  // Past the frame limit the run is ending: the closing frames (an effect put back to
  // its end state) must not replace frame N, which the screenshot is meant to show.
  const bool pastLimit = frameLimitReached();
  ++frames_;
  advanceClock(frameMs_);
  if (!pastLimit) renderPresent(request, lastFrame_);
}

bool HeadlessPlatform::writeScreenshot(const std::string& path, std::string* error) const {
  if (lastFrame_.size() == static_cast<size_t>(kGameWidth) * kGameHeight)
    return writePng(path, lastFrame_.data(), kGameWidth, kGameHeight, error);
  std::vector<std::uint32_t> black(static_cast<size_t>(kGameWidth) * kGameHeight, 0xFF000000u);
  return writePng(path, black.data(), kGameWidth, kGameHeight, error);
}

BoxAnswer HeadlessPlatform::messageBox(std::string_view captionSjis, std::string_view textSjis,
                                       BoxButtons buttons, BoxIcon, bool defaultNo) {
  BoxAnswer answer;
  bool fits = false;
  if (!boxAnswers_.empty()) {
    answer = boxAnswers_.front();
    // An answer that the box does not offer is dropped, not applied to the wrong box.
    fits = buttons == BoxButtons::Ok ? answer == BoxAnswer::Ok : answer != BoxAnswer::Ok;
    if (fits) boxAnswers_.pop_front();
  }
  if (!fits) {
    if (buttons == BoxButtons::Ok) answer = BoxAnswer::Ok;
    else answer = defaultNo ? BoxAnswer::No : BoxAnswer::Yes;
  }
  std::string line = "MessageBox: [" + sjisToUtf8(captionSjis) + "] " + sjisToUtf8(textSjis);
  line += answer == BoxAnswer::Ok ? " -> OK" : answer == BoxAnswer::Yes ? " -> Yes" : " -> No";
  emit(oneLine(std::move(line)));
  return answer;
}

bool HeadlessPlatform::openUrl(std::string_view url) {
  emit("OpenUrl: " + std::string(url) + (openUrlOk_ ? "" : " -> failed"));
  return openUrlOk_;
}

void HeadlessPlatform::showDebugForm(DebugFormData& form) {
  std::string line = "DebugForm: " + sjisToUtf8(form.lineText);
  for (const std::string& m : form.memo) line += " | " + sjisToUtf8(m);
  emit(oneLine(std::move(line)));
  if (unreadSearches_ > 0 && form.unreadButton && form.findUnread) {
    --unreadSearches_;
    form.memo = form.findUnread();
    std::string found = "Dialog: [デバッグ] 未読位置確認";
    for (const std::string& m : form.memo) found += " | " + sjisToUtf8(m);
    emit(oneLine(std::move(found)));
  }
  lastDebugForm_ = form;
}

bool HeadlessPlatform::editText(TextEntryForm& form) {
  std::optional<std::string> answer = form.text;
  for (auto it = textAnswers_.begin(); it != textAnswers_.end(); ++it) {
    if (it->form != form.name) continue;
    answer = it->text;
    textAnswers_.erase(it);
    break;
  }
  // The answer is typed into the edit: the dialog's own limits apply.
  if (answer && form.filter) answer = form.filter(*answer);
  std::string line = "Dialog: [" + sjisToUtf8(form.caption) + "] ";
  line += answer ? "\"" + sjisToUtf8(*answer) + "\" -> OK" : "-> Cancel";
  emit(oneLine(std::move(line)));
  if (!answer) return false;
  form.text = *answer;
  return true;
}

bool HeadlessPlatform::openDialog(ModelessDialog dialog) {
  if (!keepDialogs_) return false;
  for (const ModelessDialog& d : dialogs_) {
    if (d.id != dialog.id) continue;
    ++dialogRaises_;
    return true;
  }
  dialogs_.push_back(std::move(dialog));
  return true;
}

bool HeadlessPlatform::dialogOpen(std::string_view id) const {
  for (const ModelessDialog& d : dialogs_)
    if (d.id == id) return true;
  return false;
}

void HeadlessPlatform::drawDialogs(const DialogFrame& input) {
  std::vector<std::function<void()>> closed;
  for (std::size_t i = 0; i < dialogs_.size();) {
    DialogFrame frame = input;
    const std::function<bool(DialogFrame&)> draw = dialogs_[i].draw;
    if (draw && draw(frame)) {
      ++i;
      continue;
    }
    closed.push_back(std::move(dialogs_[i].closed));
    dialogs_.erase(dialogs_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  for (auto& c : closed)
    if (c) c();
}

bool HeadlessPlatform::chooseFont(FontChoice& choice) {
  if (fontChoices_.empty()) return false;
  choice = fontChoices_.front();
  fontChoices_.pop_front();
  return true;
}

std::optional<bool> HeadlessPlatform::answerNameDialog(std::string& familySjis, std::string& givenSjis) {
  if (nameAnswers_.empty()) {
    emit("NameDialog: -> Cancel");
    return false;
  }
  familySjis = std::move(nameAnswers_.front().first);
  givenSjis = std::move(nameAnswers_.front().second);
  nameAnswers_.pop_front();
  emit(oneLine("NameDialog: " + sjisToUtf8(familySjis) + " " + sjisToUtf8(givenSjis) + " -> OK"));
  return true;
}

void HeadlessPlatform::scriptError(std::string_view message, std::string_view detail,
                                   std::string_view fileName, int lineNumber,
                                   std::string_view lineText) {
  emit(scriptErrorLine(message, detail, fileName, lineNumber, lineText));
}

void HeadlessPlatform::systemError(std::string_view fileName, int number, std::string_view message,
                                   std::string_view detail) {
  emit(systemErrorLine(fileName, number, message, detail));
}

void HeadlessPlatform::emit(std::string line) {
  if (!quiet_) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
  }
  reports_.push_back(std::move(line));
}

}  // namespace ml

namespace ml {

void HeadlessPlatform::advanceClock(std::uint32_t ms) {
  now_ += ms;
  pullAudio();
}

bool HeadlessPlatform::openAudio(AudioSource* source) {
  audio_ = source;
  audioStartMs_ = now_;
  audioFrames_ = 0;
  audioScratch_.assign(2 * 4096, 0);
  return source != nullptr;
}

void HeadlessPlatform::closeAudio() {
  pullAudio();
  audio_ = nullptr;
}

void HeadlessPlatform::pullAudio() {
  if (audio_ == nullptr) return;
  // Frames due by now, counted from the opening so rounding never accumulates.
  const std::uint64_t due = (static_cast<std::uint64_t>(now_) - audioStartMs_) *
                            AudioSource::kRate / 1000;
  while (audioFrames_ < due) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(due - audioFrames_, 4096));
    if (recordAudio_) {
      audio_->mix(audioScratch_.data(), n);
      recorded_.insert(recorded_.end(), audioScratch_.begin(), audioScratch_.begin() + 2 * n);
    } else {
      audio_->skip(n);
    }
    audioFrames_ += n;
  }
}

bool HeadlessPlatform::writeAudio(const std::string& path) const {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(std::min<std::size_t>(
      recorded_.size() * 2, 0xFFFFFFF0u - 36));
  std::vector<std::uint8_t> out(44 + dataBytes);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  std::memcpy(out.data(), "RIFF", 4);
  put32(4, 36 + dataBytes);
  std::memcpy(out.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 2);
  put32(24, AudioSource::kRate);
  put32(28, AudioSource::kRate * 4);
  put16(32, 4);
  put16(34, 16);
  std::memcpy(out.data() + 36, "data", 4);
  put32(40, dataBytes);
  for (std::size_t i = 0; i < dataBytes / 2; ++i)
    put16(44 + 2 * i, static_cast<std::uint16_t>(recorded_[i]));
  return writeWholeFile(path, out.data(), out.size());
}

}  // namespace ml
