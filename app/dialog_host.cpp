#include "app/dialog_host.h"

#include "app/name_entry.h"

#include "platform/platform.h"
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

void DialogHost::showOption() {}
void DialogHost::showFlag() {}
void DialogHost::refreshFlag() {}
void DialogHost::showKeyHelp() {}
bool DialogHost::showJump(std::string&) { return false; }
std::vector<std::string> DialogHost::findUnread() { return {}; }
std::optional<std::string> DialogHost::chooseDrive() { return std::nullopt; }
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
