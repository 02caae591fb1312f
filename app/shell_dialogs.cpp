#include "app/shell_dialogs.h"

#include "app/name_entry.h"
#include "platform/platform.h"

namespace ml {

bool ShellDialogs::showName(std::string& family, std::string& given) {
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
  return drawn_ != nullptr && drawn_(platform_, given);
}

}  // namespace ml
