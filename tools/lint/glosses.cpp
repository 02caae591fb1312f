#include "tools/lint/glosses.h"

#include "engine/game_content.h"

namespace ml::lint {
namespace {

struct Gloss {
  std::string_view message;
  const char* english;
};

constexpr Gloss kGlosses[] = {
    // The engine's own messages.
    {"未定義のコマンド", "undefined command"},
    {"ラベルが見つからない", "label not found"},
    {"ファイルが存在しない", "file does not exist"},
    {"フラグの範囲を超えている", "flag number out of range (F0-F2047)"},
    {"パラメータが不正", "invalid parameter"},
    {"不正な文字", "invalid character"},
    {"不正な文字があります", "invalid character in the time"},
    {"代入できない", "cannot assign to this"},
    {"代入になっていない", "not an assignment"},
    {"余分なスペースが入っている", "blank inside a condition"},
    {"改行で終わっている", "condition runs into the line end (missing \"]\")"},
    {"演算が途中で終わっている", "condition ends after an operator"},
    {"複文が開始されていない", "no \"{\" after the condition"},
    {"括弧が閉じていない", "braces do not balance"},
    {"スクリプトの終わりになった", "script ended inside a condition or block"},
    {"これ以上登録できない", "table full (1000 names)"},
    {"トークンが長すぎる", "word too long"},
    {"１行が１０２４文字を超えている", "line longer than 1023 bytes"},
    {"メッセージがあふれました", "page has more lines than the window"},
    {"不正な制御コード", "invalid control code after a backslash"},
    {"window が定義されていません", "text before any \"window 0\" command"},
    {"現在サポートされていないウィンドウＮｏ．", "unsupported window number"},
    {"選択肢はこれ以上登録できない", "more than ten choices"},
    {"サイズがおかしい", "empty script"},
    {"オープンできません", "cannot open"},
    {"メモリが足りません", "out of memory"},
    {"メモリが足りない、またはファイルが開けない", "not a bitmap (BMP) file"},
    {"ファイルが開けない", "not a Photoshop (PSD) file"},
    // The checker's own.
    {"Shift-JIS ではない", "script is not Shift-JIS (still UTF-8?); not checked further"},
    {"改行が LF だけになっている", "bare LF line ends; the engine wants CR LF"},
    {"open から到達できない", "not reachable from open"},
    {"スクリプトの途中で終わっている", "script ends early (NUL byte or empty \"\")"},
    {"ページの文章が 2000 バイトを超える", "page text over 2000 bytes"},
    {"ページが表示されないまま終わっている", "text at the end is never shown"},
    {"検査できないコマンド", "command the checker cannot check"},
    {"既読マークが決まっていない", "page before any vo command: its read mark is the number the script before left"},
    {"既読マークが前のページと同じ", "shares the read mark of an earlier page, so it shows as read once that one is"},
    {"引数が足りない", "too few arguments on the line"},
    {"ゲームデータのファイルがありません", "no game-data file (scr/gamedata.txt)"},
    {"読み込みできません", "cannot read the file"},
};

}  // namespace

const char* englishGloss(std::string_view utf8Message) {
  for (const Gloss& g : kGlosses)
    if (g.message == utf8Message) return g.english;
  return gameContentGloss(utf8Message);
}

}  // namespace ml::lint
