#include "tools/lint/content_check.h"

#include <string>

#include "engine/game_content.h"
#include "engine/runtime.h"
#include "platform/text_encoding.h"
#include "tools/lint/game_data.h"

namespace ml::lint {

void checkGameContent(GameData& data, std::vector<Finding>& findings) {
  Runtime& rt = data.runtime();
  const std::string path(kGameContentPath);
  std::string bytes;
  const ContentFile file = readGameContentFile(rt, bytes);
  if (file == ContentFile::Missing) {
    findings.push_back({path, 0, SJ("ゲームデータのファイルがありません"),
                        SJ("デモの内容が使われる (no game-data file: the demo's built-in title, credits and tables are used)"),
                        true});
    return;
  }
  if (file == ContentFile::Unreadable) {
    findings.push_back({path, 0, SJ("読み込みできません"), "", false, false});
    return;
  }
  std::vector<ContentProblem> problems;
  const GameContent content =
      parseGameContent(bytes, [&rt](const std::string& p) { return gameHasFile(rt, p); }, problems);
  for (const ContentProblem& p : problems)
    findings.push_back({path, p.line, p.message, p.detail.empty() ? p.text : p.detail, false, p.warning});
  // The manual is opened from the game folder itself, never from an archive.
  if (!content.manual.empty() && !data.looseExists(content.manual))
    findings.push_back({path, 0, SJ("ファイルが存在しない"), content.manual + SJ("  (マニュアルの項目は起動エラーになる)"),
                        false, true});
}

}  // namespace ml::lint
