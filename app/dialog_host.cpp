#include "app/dialog_host.h"

#include "app/application.h"
#include "app/name_entry.h"
#include "app/option_form.h"
#include "engine/guide_voices.h"
#include "engine/script_context.h"
#include "engine/unread_search.h"
#include "media/sound/sound_channel.h"

#include "platform/platform.h"
#include "platform/posix/optical_drives.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::size_t kCommentMaxBytes = 56;
// What an empty save slot's comment holds.
constexpr std::string_view kEmptySlotMark = "\x01";

}  // namespace

std::string filterCommentText(std::string_view sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size();) {
    const std::size_t len = sjis::charLength(sjis, i);
    if (len == 1 && sjis[i] == '\\') {
      ++i;
      continue;
    }
    // A lead byte without its trail byte is half a character: not kept.
    if (len == 1 && sjis::isLead(static_cast<std::uint8_t>(sjis[i]))) break;
    out.append(sjis.substr(i, len));
    i += len;
  }
  return std::string(sjis::cutAtBoundary(out, kCommentMaxBytes));
}

const std::vector<std::string>& keyHelpLines() {
  static const std::vector<std::string> lines = {
      SJ("キーボード説明"),
      "",
      SJ("[Ctrl] ・・・・・・・・・メッセージスキップ"),
      SJ("[Enter]／[スペース]・・・次のメッセージ／決定"),
      SJ("[Esc]・・・・・・・・・・ログモード終了／セーブ・ロード画面閉じる"),
      SJ("[Page Up]・・・・・・・・ログモード／ログ１つ前"),
      SJ("[Page Down]・・・・・・・ログ１つ次／最新ログの時ログ終了"),
      SJ("[Home] ・・・・・・・・・ログモード時の音声再生"),
      SJ("[F1] ・・・・・・・・・・ロード画面表示"),
      SJ("[F2] ・・・・・・・・・・セーブ画面表示"),
      SJ("[Shift]＋[F1]・・・・・・クイックロード"),
      SJ("[Shift]＋[F2]・・・・・・クイックセーブ"),
      SJ("[Shift]＋[↓]・・・・・・次の選択肢へ高速移動"),
      SJ("[Shift]＋[↑]・・・・・・最後に選択した選択肢へ戻る"),
      SJ("[↑] [↓] [←] [→]・・・選択肢やロード画面等の選択位置変更"),
  };
  return lines;
}

std::string filterJumpText(std::string_view sjis) {
  // A line number: anything else typed is dropped, and nine digits stay within an int.
  std::string out;
  for (char c : sjis)
    if (c >= '0' && c <= '9' && out.size() < 9) out += c;
  return out;
}

DialogHost::DialogHost(Platform& platform) : platform_(platform) {}
DialogHost::~DialogHost() = default;

void DialogHost::showOption() {
  if (app_ == nullptr || drawnOption_ == nullptr) return;
  // Open already: brought forward as it is.
  if (option_) {
    openOption();
    return;
  }
  Runtime& rt = app_->runtime();
  option_ = std::make_unique<OptionForm>();
  OptionForm& form = *option_;
  form.load(rt.media.settings, app_->refreshRates(), app_->refreshEntry(), optionCharaEntry_);
  form.listNames(rt.media.content);
  form.slidersMoved = [this, &form, &rt] {
    form.applySliders(rt.media.settings);
    rt.sound().applyVolumes();
    app_->present();
  };
  form.musicTicked = [&rt](bool on) {
    // The title menu keeps its own music.
    if (!rt.story.switches.titleMenuOpen) rt.sound().setMusicOn(rt.story.state, on);
  };
  form.guideTest = [&form, &rt] {
    // The row chosen in the list, not yet stored, on the interface channel.
    const std::string path = guideVoicePath(rt.media.content, form.values.voice.guideNo, 1);
    if (path.empty() || rt.story.script == nullptr || !rt.story.script->fileExists(path, true)) return;
    SoundChannel* channel = rt.sound().channel(SoundService::kInterfaceChannel);
    if (channel == nullptr || !channel->loadWhole(path)) return;
    channel->setVolume(rt.media.settings.volume.se, true);
    channel->play(false);
  };
  if (!openOption()) option_.reset();
}

bool DialogHost::openOption() {
  return drawnOption_(platform_, *option_, [this] { optionClosed(); });
}

void DialogHost::optionClosed() {
  if (!option_ || app_ == nullptr) return;
  OptionForm& form = *option_;
  Runtime& rt = app_->runtime();
  if (form.nameRequested) {
    // The name dialog is modal over this one: this one waits and shows again.
    std::string family = form.values.user.family, given = form.values.user.name;
    if (showName(family, given)) {
      form.values.user.family = family;
      form.values.user.name = given;
    }
    form.done = form.confirmed = form.cancelled = form.nameRequested = false;
    // Shown again (and perhaps answered at once, which finished it already).
    if (openOption()) return;
  }
  if (form.confirmed) {
    form.store(rt.media.settings);
    rt.sound().applyVolumes();
    optionCharaEntry_ = form.charaEntry();
    option_.reset();
    app_->saveSettings();
    return;
  }
  if (form.cancelled) {
    form.restoreSliders(rt.media.settings);
    rt.sound().applyVolumes();
    // The music as the stored switch has it, outside the title menu.
    if (!rt.story.switches.titleMenuOpen) rt.sound().setMusicOn(rt.story.state, rt.media.settings.volume.bgmOn);
    app_->present();
  }
  // The close box: the sliders already applied stay, the rest is dropped.
  option_.reset();
}

void DialogHost::showFlag() {
  if (app_ == nullptr) return;
  StoryState& story = app_->runtime().story;
  flagView_.refresh(story.state);
  flagView_.lookUp(story.defines, story.state);
  if (drawnFlag_ == nullptr) return;
  // Open already: shown refreshed and brought forward.
  platform_.dialogsChanged();
  drawnFlag_(
      platform_, flagView_, [this, &story] { flagView_.refresh(story.state); },
      [this, &story] { flagView_.lookUp(story.defines, story.state); }, {});
}

void DialogHost::refreshFlag() {
  if (app_ == nullptr) return;
  flagView_.refresh(app_->runtime().story.state);
  // An open viewer shows the new values at its next picture.
  platform_.dialogsChanged();
}

void DialogHost::showKeyHelp() {
  if (drawnText_ != nullptr) drawnText_(platform_, SJ("キーボード説明"), keyHelpLines());
}

bool DialogHost::showJump(std::string& text) {
  TextEntryForm form;
  form.name = "TJumpForm";
  form.caption = SJ("スキップ先");
  form.editName = "EdJump";
  form.text = filterJumpText(text);
  form.filter = filterJumpText;
  if (!platform_.editText(form)) return false;
  text = filterJumpText(form.text);
  return true;
}
std::vector<std::string> DialogHost::findUnread() {
  if (app_ == nullptr) return {};
  return findFirstUnread(app_->runtime());
}

std::optional<std::string> DialogHost::chooseDrive() {
  const std::vector<std::string> roots = opticalDriveRoots();
  int selected = roots.empty() ? -1 : 0;
  // Without a window the first disc is taken, as the dialog proposes.
  if (drawnDrive_ != nullptr) drawnDrive_(platform_, roots, selected);
  // "Ok" on an empty list names no disc: start-up then reports the missing sounds.
  if (selected < 0 || selected >= static_cast<int>(roots.size())) return std::nullopt;
  return roots[static_cast<std::size_t>(selected)];
}
bool DialogHost::showName(std::string& family, std::string& given) {
  std::string f = family, g = given;
  if (std::optional<bool> answered = platform_.answerNameDialog(f, g)) {
    if (!*answered) return false;
    // The answer keeps to the dialog's own rules: double-byte characters, at most three.
    const std::size_t limit = 2 * NameEntry::kMaxChars;
    f = filterNameText(f, limit);
    g = filterNameText(g, limit);
    if (g.empty()) return false;
    if (!f.empty()) family = f;
    given = g;
    return true;
  }
  return drawnName_ != nullptr && drawnName_(platform_, given);
}

bool DialogHost::showComment(std::string& text) {
  TextEntryForm form;
  form.name = "TComForm";
  form.caption = SJ("コメントの入力");
  form.labels = {SJ("［ＯＫ］で上書き"), SJ("［キャンセル］でセーブしない")};
  form.editLabel = SJ("コメント");
  form.editName = "EdComment";
  form.text = text == kEmptySlotMark ? std::string() : filterCommentText(text);
  form.filter = filterCommentText;
  if (!platform_.editText(form)) return false;
  text = filterCommentText(form.text);
  return true;
}

}  // namespace ml
