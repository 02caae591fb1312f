#include "tools/lint/script_checker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "scene/command_table.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/formats/script_scramble.h"
#include "media/text/text_layout.h"
#include "platform/reporter.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "tools/lint/command_arguments.h"
#include "tools/lint/expression_check.h"
#include "tools/lint/implied_files.h"

namespace ml::lint {
namespace {

constexpr int kMessageCapacity = ScriptContext::kMessageCapacity;
constexpr int kChoiceSlots = ScriptContext::kChoiceSlots;

bool hasEqualsOutsideDoubleByte(const char* word) {
  for (std::size_t i = 0; word[i] != 0; ++i) {
    auto c = static_cast<std::uint8_t>(word[i]);
    if (sjis::isLead(c) && word[i + 1] != 0) ++i;
    else if (c == '=') return true;
  }
  return false;
}

int glyphSizeOfCode(std::int64_t code) {
  // moji stores code - 1; the page display maps the stored value to a size.
  switch (code - 1) {
    case 1: return 36;
    case 3: return 48;
    case 5: return 60;
    case 8: return 72;
    default: return 24;
  }
}

// A script as bytes that are valid UTF-8 with multi-byte characters was most likely
// never converted to Shift-JIS.
int firstUtf8Line(const std::vector<std::uint8_t>& t) {
  if (t.size() < 2) return 0;
  const std::string_view text(reinterpret_cast<const char*>(t.data()) + 1, t.size() - 1);
  if (!isUtf8(text)) return 0;
  int line = 1;
  for (char c : text) {
    if (c == '\n') ++line;
    if (static_cast<std::uint8_t>(c) >= 0x80) return line;
  }
  return 0;
}

}  // namespace

// The state of one pass over one script.
struct ScriptChecker::Walk {
  Walk(ScriptChecker& checker, ScriptContext& context, PageSetup& setup, std::vector<std::string>* targets)
      : c(checker), sc(context), page(setup), changesTo(targets) {}
  ScriptChecker& c;
  ScriptContext& sc;
  PageSetup& page;
  std::vector<std::string>* changesTo;  // null in the collecting pass
  std::set<std::string> labels;
  std::string pageText;
  int pageLine = 0;
  int choices = 0;
  int depth = 0;
  std::vector<int> openLines;
  // The page as it stood where each open block began: text inside a block is laid out
  // as if the block ran, and the page goes on after it as if it had not, so that
  // alternatives are never added up.
  std::vector<std::string> pageAtOpen;
  bool lastEndsFlow = false;  // the previous command never falls through (goto, change)
  int undefinedLine = 0;      // a line already reported for an undefined word
  // Read marks: the mark the next page takes (-1 before any voice command of the
  // script: whatever the script before left), and the line of the last page shown
  // under each mark.
  std::map<std::int32_t, std::int32_t> voiceOrdinals;
  std::int32_t mark = -1;
  std::map<std::int32_t, int> pageOfMark;
  std::vector<std::pair<std::size_t, int>> sharedRuns;  // finding index, pages after it
  bool runOpen = false;          // the last page shown repeated the mark before it
  bool markUnregistered = false; // the mark came from a voice command the loader passed over
  bool markSwallowed = false;    // the page's voice command was read as another's argument

  bool collecting() const { return changesTo == nullptr; }
  // Passes over the rest of the current line: what follows a fault on it is the fault's
  // own debris, not a fault of its own.
  void skipRestOfLine() {
    while (!sc.atEnd() && sc.byteAt(sc.pos) != '\r' && sc.byteAt(sc.pos) != '\n')
      sc.advance(sjis::isLead(sc.byteAt(sc.pos)) ? 2 : 1);
  }
  // The next word on the same line, without moving.
  std::string nextWordOnLine() {
    std::int64_t i = sc.pos;
    while (i < sc.size && isBlank(sc.byteAt(i))) ++i;
    std::string w;
    while (i < sc.size && !isBlank(sc.byteAt(i)) && sc.byteAt(i) != '\r' && sc.byteAt(i) != '\n')
      w += static_cast<char>(sc.byteAt(i++));
    return w;
  }
  void report(int line, std::string_view message, std::string_view detail, bool note = false) {
    if (!collecting()) c.report(line, message, detail, note);
  }
  ReportFn at(int line) {
    return [this, line](std::string_view m, std::string_view d) { report(line, m, d); };
  }

  void collectLabels();
  void collectVoicePositions();
  void run();
  void condition();
  void textLine();
  void command(const CommandRow& row);
  void endPage(int line);
  void finishMarks();
  void layOut(const std::string& text, int line, bool speakerName = false);
  void checkPicture(int line, std::string name, bool nullAllowed = false);
  void checkPictureBytes(int line, const std::string& path);
  void checkSound(int line, std::string name, bool defined);
  void checkImplied(int line, std::string_view keyword, const std::vector<std::string>& args);
  std::optional<std::int64_t> literal(const std::string& arg) {
    return checkExpression(arg, [](std::string_view, std::string_view) {});
  }
};

ScriptChecker::ScriptChecker(GameData& data, std::vector<Finding>& findings)
    : data_(data), findings_(findings) {}

void ScriptChecker::report(int line, std::string_view message, std::string_view detail, bool note,
                           bool warning) {
  auto key = std::make_tuple(path_, line, std::string(message), std::string(detail));
  if (!seen_.insert(key).second) return;
  findings_.push_back(Finding{path_, line, std::string(message), std::string(detail), note, warning});
}

void ScriptChecker::drainEngineReports(int lineOverride) {
  auto& entries = data_.reports().entries;
  // The collecting pass only fills the define tables; the checking pass reports.
  if (collecting_) {
    entries.clear();
    return;
  }
  for (const RecordingReporter::Entry& e : entries)
    report(lineOverride >= 0 ? lineOverride : (e.script ? e.number : 0), e.message, e.detail);
  entries.clear();
}

bool ScriptChecker::install(const ScriptFile& file) {
  ScriptContext& sc = *data_.runtime().story.script;
  sc.reset();
  sc.state = &data_.runtime().story.state;
  sc.text = file.bytes;
  sc.size = static_cast<std::int32_t>(sc.text.size());
  unscrambleScript(sc.text);
  return sc.size > 0;
}

void ScriptChecker::collectDefinitions(const ScriptFile& file) {
  if (!install(file) || firstUtf8Line(data_.runtime().story.script->text) != 0) return;
  PageSetup scratch;
  Walk w(*this, *data_.runtime().story.script, scratch, nullptr);
  collecting_ = true;
  w.run();
  collecting_ = false;
  data_.reports().entries.clear();
}

void ScriptChecker::check(std::string_view name, const ScriptFile& file, PageSetup& page,
                          std::vector<std::string>& changesTo) {
  path_ = "scr\\" + std::string(name) + ".scr";
  Runtime& rt = data_.runtime();
  std::snprintf(rt.story.state.scriptName, sizeof rt.story.state.scriptName, "%.*s",
                static_cast<int>(std::min<std::size_t>(name.size(), sizeof rt.story.state.scriptName - 1)),
                name.data());
  if (!install(file)) {
    report(0, SJ("サイズがおかしい"), path_);
    return;
  }
  ScriptContext& sc = *rt.story.script;
  // A script left in UTF-8 would only bury that one fault under reports of mojibake.
  if (int line = firstUtf8Line(sc.text)) {
    report(line, SJ("Shift-JIS ではない"), SJ("UTF-8 のまま (mirelune-convert script で変換する)"));
    return;
  }
  // The engine reads CR LF; a bare LF does not end a word, so arguments run on into the
  // next line. A script with no CR LF at all was never converted: told once, and its
  // words, all run together, are not checked.
  bool crlf = false;
  int bareLf = 0;
  for (std::size_t i = 1, line = 1; i < sc.text.size(); ++i) {
    if (sc.text[i] != '\n') continue;
    if (sc.text[i - 1] == '\r') crlf = true;
    else if (bareLf == 0) bareLf = static_cast<int>(line);
    ++line;
  }
  if (bareLf > 0) {
    report(bareLf, SJ("改行が LF だけになっている"),
           crlf ? SJ("行末は CR LF にする") : SJ("行末は CR LF にする (mirelune-convert script で変換する)"));
    if (!crlf) return;
  }

  Walk w(*this, sc, page, &changesTo);
  w.collectLabels();
  w.collectVoicePositions();
  w.run();
}

// The labels a goto can reach: every token that begins with "@", except the token
// after a goto, which names a target.
void ScriptChecker::Walk::collectLabels() {
  sc.pos = 1;
  sc.lineNumber = 1;
  char token[ScriptContext::kWordCapacity];
  bool afterGoto = false;
  while (!sc.atEnd()) {
    int n = sc.peekWord(token, sizeof token);
    sc.advance(n);
    if (token[0] == '@' && !afterGoto) labels.insert(token);
    afterGoto = std::strcmp(token, "goto") == 0;
    if (n == 0) sc.advance(1);
  }
  c.data_.reports().entries.clear();  // the walk below reports what the tokens hold
  sc.pos = 1;
  sc.lineNumber = 1;
}

// The voice commands the loader registers for read marks, as it finds them: "vo" and a
// blank after a blank or a line break, outside comments and double-byte characters.
void ScriptChecker::Walk::collectVoicePositions() {
  const std::vector<std::uint8_t>& t = sc.text;
  std::int32_t ordinal = 0;
  for (std::size_t i = 1; i < t.size();) {
    const std::uint8_t b = t[i];
    if (sjis::isLead(b)) {
      i += 2;
    } else if (b == ';') {
      while (i < t.size() && t[i] != '\n') ++i;
    } else if (b == 'v' && i + 2 < t.size() && t[i + 1] == 'o' && isBlank(t[i + 2]) &&
               (isBlank(t[i - 1]) || t[i - 1] == '\r' || t[i - 1] == '\n')) {
      voiceOrdinals[static_cast<std::int32_t>(i)] = ordinal++;
      i += 3;
    } else {
      ++i;
    }
  }
}

void ScriptChecker::Walk::run() {
  sc.pos = 1;
  sc.lineNumber = 1;
  while (!sc.atEnd()) {
    int n = sc.peekWord(sc.word, ScriptContext::kWordCapacity);
    const int line = sc.lineNumber;
    if (sc.word[0] == 0) {
      if (sc.atEnd()) break;
      // A NUL byte (or an empty quoted word) reads as the end of the script.
      report(line, SJ("スクリプトの途中で終わっている"), SJ("NUL バイトまたは空の \"\""));
      sc.advance(n > 0 ? n : 1);
      continue;
    }
    sc.copyLineText();
    c.drainEngineReports();
    const auto first = static_cast<std::uint8_t>(sc.word[0]);
    const bool endsFlowBefore = lastEndsFlow;
    lastEndsFlow = false;
    if (first == ';') {
      sc.skipComment();
      lastEndsFlow = endsFlowBefore;  // a comment does not change where flow comes from
    } else if (first == '}') {
      sc.advance(1);
      if (depth == 0) {
        report(line, SJ("括弧が閉じていない"), SJ("対応する { がない }"));
      } else {
        --depth;
        openLines.pop_back();
        if (!collecting() && pageText != pageAtOpen.back()) layOut(pageText, pageLine > 0 ? pageLine : line);
        pageText = pageAtOpen.back();
        pageAtOpen.pop_back();
      }
    } else if (first == '[') {
      condition();
    } else if (hasEqualsOutsideDoubleByte(sc.word)) {
      const std::string word = sc.word;
      sc.skipWord();
      checkAssignment(word, [this](std::string& t) { sc.substituteDefine(t); }, at(line));
    } else if (sjis::isLead(first)) {
      textLine();
    } else if (const CommandRow* row = findCommand(sc.word)) {
      command(*row);
    } else {
      std::string detail = sc.word;
      if (first == '@' && !endsFlowBefore)
        detail += SJ("  (ラベルの行に処理が流れ込む。ラベルは「; @名前」のようにコメント行に書く)");
      // The words after an unknown one are most likely its arguments: one report a line.
      sc.skipWord();
      if ((first != '@' || !endsFlowBefore) && undefinedLine != line) {
        const std::string after = nextWordOnLine();
        if (!after.empty() && after[0] == '=') {
          // "F1 = 1": the engine stops at the lone "="; one fault, the blanks.
          detail += SJ("  (代入は「F1=1」のように空白を入れずに書く / write assignments without blanks: F1=1)");
          skipRestOfLine();
        }
        report(line, SJ("未定義のコマンド"), detail);
        undefinedLine = line;
      }
    }
    c.drainEngineReports();
  }
  for (int open : openLines) report(open, SJ("括弧が閉じていない"), "{");
  if (!collecting()) finishMarks();
  if (!collecting() && !pageText.empty() && page.autoReturnOff)
    report(pageLine, SJ("ページが表示されないまま終わっている"), SJ("最後の文章のあとに ret がない"), true);
}

void ScriptChecker::Walk::condition() {
  const int line = sc.lineNumber;
  sc.advance(1);  // "["
  char comparison = 0, logic = 0;
  bool blankReported = false;
  // The engine gives up on a condition at its first fault; the rest of it (up to "]" or
  // the line end) is skipped here so that one fault gives one report, and a "{" that
  // stood in it still opens the block its "}" closes.
  bool abandoned = false, braceInSkipped = false;
  auto abandon = [&]() {
    abandoned = true;
    while (!sc.atEnd() && sc.byteAt(sc.pos) != ']' && sc.byteAt(sc.pos) != '\r' && sc.byteAt(sc.pos) != '\n') {
      const std::uint8_t b = sc.byteAt(sc.pos);
      if (b == '{') braceInSkipped = true;
      sc.advance(sjis::isLead(b) ? 2 : 1);
    }
    if (sc.byteAt(sc.pos) == ']') sc.advance(1);
  };
  auto fold = [&]() {
    if (comparison != 0) logic = 0;
    comparison = 0;
  };
  for (;;) {
    if (sc.atEnd()) {
      report(line, SJ("スクリプトの終わりになった"), "");
      return;
    }
    const std::uint8_t b = sc.byteAt(sc.pos);
    if (b == ']') {
      sc.advance(1);
      break;
    }
    std::size_t i = static_cast<std::size_t>(sc.pos);
    if (isBlank(b)) {
      if (!blankReported) report(line, SJ("余分なスペースが入っている"), "");
      blankReported = true;
    } else if (b == '\r' || b == '\n') {
      report(line, SJ("改行で終わっている"), "");
      abandon();
      break;
    } else if (b == '=' || b == '!') {
      comparison = static_cast<char>(b);
    } else if (b == '<' || b == '>') {
      comparison = static_cast<char>(b);
      if (sc.byteAt(sc.pos + 1) == '=') ++i;
    } else if (b == '&' || b == '|') {
      logic = static_cast<char>(b);
    } else {
      char operand[ScriptContext::kWordCapacity];
      readOperand(sc.text.data(), sc.text.size(), i, operand, sizeof operand);
      std::string value = operand;
      if (value.empty()) {
        report(line, SJ("不正な文字"), std::string(1, static_cast<char>(b)));
        abandon();
        break;
      }
      if (!(b >= '0' && b <= '9') && !(b >= 'A' && b <= 'Z')) {
        sc.substituteDefine(value);
        if (value.empty() || value[0] != 'F') {
          report(line, SJ("不正な文字"), operand);
          abandon();
          break;
        }
      }
      if (std::optional<std::int64_t> f = flagNumber(value); f && *f >= kFlagCount)
        report(line, SJ("フラグの範囲を超えている"), value);
      fold();
    }
    sc.advance(static_cast<std::int64_t>(i) + 1 - sc.pos);
  }
  if (!abandoned && (comparison != 0 || logic != 0)) report(line, SJ("演算が途中で終わっている"), "");

  // The block must follow, after blanks, line breaks and comment lines.
  for (; !braceInSkipped;) {
    const std::uint8_t b = sc.skipLineBreaks();
    if (b == 0 && sc.atEnd()) {
      report(line, SJ("スクリプトの終わりになった"), "");
      return;
    }
    if (isBlank(b)) {
      sc.advance(1);
    } else if (b == ';') {
      sc.skipComment();
    } else if (b == '{') {
      sc.advance(1);
      break;
    } else {
      if (!abandoned) report(sc.lineNumber, SJ("複文が開始されていない"), "");
      // "[F1=1]]{": a "{" later on the line still opens the block its "}" closes.
      std::int64_t i = sc.pos;
      while (i < sc.size && sc.byteAt(i) != '{' && sc.byteAt(i) != '\r' && sc.byteAt(i) != '\n')
        i += sjis::isLead(sc.byteAt(i)) ? 2 : 1;
      if (i >= sc.size || sc.byteAt(i) != '{') return;
      sc.advance(i + 1 - sc.pos);
      break;
    }
  }
  // A skipped block ends at the brace that balances it, counted byte by byte.
  int d = 1;
  for (std::size_t i = static_cast<std::size_t>(sc.pos); i < sc.text.size() && d > 0; ++i) {
    const std::uint8_t b = sc.text[i];
    if (sjis::isLead(b)) ++i;
    else if (b == ';') while (i + 1 < sc.text.size() && sc.text[i + 1] != '\r' && sc.text[i + 1] != '\n') ++i;
    else if (b == '{') ++d;
    else if (b == '}') --d;
  }
  if (d > 0) {
    report(line, SJ("括弧が閉じていない"), "{");
    return;  // reported once here rather than again at the end
  }
  ++depth;
  openLines.push_back(line);
  pageAtOpen.push_back(pageText);
}

void ScriptChecker::Walk::textLine() {
  const int line = sc.lineNumber;
  const std::size_t length = std::strlen(sc.word);
  const std::string word = sc.word;
  sc.skipWord();
  if (collecting()) return;
  if (!page.windowDefined) {
    report(line, SJ("window が定義されていません"), "");
    page.windowDefined = true;  // once is enough
  }
  if (pageText.empty()) pageLine = line;
  if (pageText.size() + length < static_cast<std::size_t>(kMessageCapacity)) {
    pageText += word;
  } else {
    report(line, SJ("ページの文章が 2000 バイトを超える"), SJ("この行は捨てられる"));
  }
  const std::uint8_t next = sc.byteAt(sc.pos);
  if ((sc.atEnd() || next == '\r' || next == '\n') && pageText.size() + 1 < static_cast<std::size_t>(kMessageCapacity))
    pageText += '\n';
  if (!page.autoReturnOff) endPage(line);
}

void ScriptChecker::Walk::endPage(int line) {
  if (pageText.empty()) return;
  const int at = pageLine > 0 ? pageLine : line;
  layOut(pageText, at);
  if (markSwallowed) {
    markSwallowed = false;
  } else if (!page.readTrackingOff) {
    // Consecutive pages under one mark are one fault, told at the first that repeats it.
    auto earlier = pageOfMark.find(mark);
    if (mark < 0) {
      // Before any voice command the page takes whatever number the script before left,
      // looked up among this script's marks.
      if (earlier == pageOfMark.end())
        c.report(at, SJ("既読マークが決まっていない"),
                 SJ("このページの前に vo がない / no vo before this page"), false, true);
    } else if (earlier == pageOfMark.end()) {
      runOpen = false;
    } else if (runOpen && !sharedRuns.empty()) {
      ++sharedRuns.back().second;
    } else {
      const std::size_t before = c.findings_.size();
      std::string detail = std::to_string(earlier->second) + SJ(" 行目のページと同じ。");
      detail += markUnregistered
                    ? SJ("vol と vor は既読マークを持たず 0 番になる / vol and vor take mark 0")
                    : SJ("ページごとに vo を置く (声がなければ vo \"\") / give each page a vo (vo \"\" without a voice)");
      c.report(at, SJ("既読マークが前のページと同じ"), detail, false, true);
      if (c.findings_.size() > before) sharedRuns.push_back({before, 0});
      runOpen = true;
    }
    pageOfMark[mark] = at;
  }
  pageText.clear();
  pageLine = 0;
}

void ScriptChecker::Walk::finishMarks() {
  for (const auto& [index, more] : sharedRuns)
    if (more > 0 && index < c.findings_.size())
      c.findings_[index].detail += SJ(" (このあとさらに ") + std::to_string(more) + SJ(" ページ)");
}

void ScriptChecker::Walk::layOut(const std::string& page_, int line, bool speakerName) {
  Runtime& rt = c.data_.runtime();
  TextLayoutParams params;
  // The speaker's name is set in 24-pixel text on the name plate's grid.
  params.glyphSize = speakerName ? 24 : page.glyphSize;
  params.columns = speakerName ? page.plateColumns : page.columns;
  params.rows = speakerName ? page.plateRows : page.rows;
  std::vector<PlacedChar> placed;
  std::string text = page_;
  layoutText(text, params, rt.media.textRules, c.data_.reports(), placed);
  c.drainEngineReports(line);
}

void ScriptChecker::Walk::checkPicture(int line, std::string name, bool nullAllowed) {
  if (name.empty() || (nullAllowed && name == "NULL")) return;
  sc.substituteDefine(name);
  const std::string base = "cg\\" + name;
  if (c.data_.exists(base + ".bmp")) checkPictureBytes(line, base + ".bmp");
  else if (c.data_.exists(base + ".psd")) checkPictureBytes(line, base + ".psd");
  else report(line, SJ("ファイルが存在しない"), base + ".psd");
}

// The engine picks the decoder by the name; bytes of the other kind fail to load with
// that decoder's message.
void ScriptChecker::Walk::checkPictureBytes(int line, const std::string& path) {
  const PictureBytes kind = c.data_.pictureBytes(path);
  const bool bmp = sjis::endsWithFolded(path, ".bmp");
  // Damaged bytes are left to the loader's own reports at play time. The file is the
  // fault: told at its first use only.
  if (kind != PictureBytes::Psd && kind != PictureBytes::Bmp) return;
  if (!c.misnamedPictures_.insert(path).second) return;
  const char* content = kind == PictureBytes::Psd ? "  (中身は PSD)" : "  (中身は BMP)";
  report(line, bmp ? SJ("メモリが足りない、またはファイルが開けない") : SJ("ファイルが開けない"), path + utf8ToSjis(content));
}

void ScriptChecker::Walk::checkSound(int line, std::string name, bool defined) {
  if (name.empty()) return;
  if (defined) sc.substituteDefine(name);
  std::string path = "wav\\" + name + ".wav";
  if (!c.data_.exists(path)) report(line, SJ("ファイルが存在しない"), path);
}

void ScriptChecker::Walk::checkImplied(int line, std::string_view keyword, const std::vector<std::string>& args) {
  // A game without a skin misses dozens of these at once: one report names the first.
  std::vector<std::string> missing;
  for (const std::string& path : impliedFiles(keyword, args)) {
    if (!c.impliedChecked_.insert(path).second) continue;
    if (!c.data_.exists(path)) missing.push_back(path);
    else if (sjis::endsWithFolded(path, ".bmp") || sjis::endsWithFolded(path, ".psd")) checkPictureBytes(line, path);
  }
  if (missing.empty()) return;
  std::string detail = missing[0] + SJ("  (") + std::string(keyword) + SJ(" で使う");
  if (missing.size() > 1)
    detail += SJ("。ほかに ") + std::to_string(missing.size() - 1) + SJ(" 個: ") + missing[1] +
              (missing.size() > 2 ? SJ(" など。mirelune-new が書く skin にすべてある") : "");
  report(line, SJ("ファイルが存在しない"), detail + ")");
}

void ScriptChecker::Walk::command(const CommandRow& row) {
  const int line = sc.lineNumber;
  const std::string keyword = row.keyword;
  const CommandArguments* spec = findCommandArguments(keyword);
  const std::int32_t position = sc.pos;
  sc.skipWord();
  if (spec == nullptr) {
    report(line, SJ("検査できないコマンド"), keyword);
    return;
  }
  std::vector<std::string> args;
  std::vector<int> lines;
  for (const ArgSpec& a : spec->args) {
    args.push_back(sc.readArgument(a.capacity));
    lines.push_back(sc.lineNumber);
  }
  // Too few arguments on the line: the command reads the next line's command or text as
  // its argument, and that line's rest is debris. Told once, at the command.
  for (std::size_t i = 0; i < args.size() && !collecting(); ++i) {
    if (lines[i] == line) continue;
    const std::string& a = args[i];
    if (a.empty() || !(findCommand(a) != nullptr || sjis::isLead(static_cast<std::uint8_t>(a[0])))) continue;
    c.drainEngineReports();
    report(line, SJ("引数が足りない"),
           keyword + SJ(" は ") + std::to_string(spec->args.size()) + SJ(" 個。次の行の「") + a +
               SJ("」を引数として読む / ") + keyword + " takes " + std::to_string(spec->args.size()) + ": \"" + a +
               "\" on the next line is read as one");
    skipRestOfLine();
    undefinedLine = lines[i];
    // A voice command taken as an argument leaves its page without a mark: that is
    // this fault again, not another.
    if (a == "vo" || a == "vol" || a == "vor") markSwallowed = true;
    return;
  }
  // An over-long argument is cut and its rest read as the next word: one fault, told
  // once, with neither the cut name nor the rest checked.
  bool tooLong = false;
  for (const RecordingReporter::Entry& e : c.data_.reports().entries)
    tooLong = tooLong || e.message == SJ("トークンが長すぎる");
  c.drainEngineReports();
  if (tooLong) {
    undefinedLine = line;
    return;
  }

  if (keyword == "define" || keyword == "def_cg") {
    DefineTable& table = keyword == "define" ? c.data_.runtime().story.defines : c.data_.runtime().story.pictureFlags;
    if (collecting() && !table.add(args[0], args[1])) report(line, SJ("これ以上登録できない"), "");
    if (!collecting()) c.used_.insert(keyword);
    if (keyword == "def_cg") {
      if (std::optional<std::int64_t> f = literal(args[1]); f && (*f < 0 || *f >= kFlagCount))
        report(line, SJ("フラグの範囲を超えている"), args[1]);
    }
    return;
  }
  if (collecting()) return;
  c.used_.insert(keyword);

  // Transitions that take away the picture shown never load the one named.
  bool keepsOld = false;
  for (std::size_t i = 0; i < args.size(); ++i)
    if (spec->args[i].kind == ArgKind::Transition && transitionKeepsOldPicture(args[i])) keepsOld = true;

  std::optional<std::int64_t> windowKind;
  if (keyword == "window") windowKind = literal(args[0]);

  for (std::size_t i = 0; i < args.size(); ++i) {
    const ArgSpec& a = spec->args[i];
    const std::string& v = args[i];
    const int l = lines[i];
    switch (a.kind) {
      case ArgKind::Expression: checkExpression(v, at(l)); break;
      case ArgKind::Seconds: checkSeconds(v, at(l)); break;
      case ArgKind::Picture:
        if (!keepsOld) checkPicture(l, v, keyword == "window" && windowKind == 2);
        break;
      case ArgKind::Sound: checkSound(l, v, false); break;
      case ArgKind::Effect: checkSound(l, v, true); break;
      case ArgKind::Script:
        if (v.empty() || v.size() > 63) {
          report(l, SJ("ファイルが存在しない"), "scr\\" + v + ".scr");
        } else {
          if (!c.data_.exists("scr\\" + v + ".scr")) report(l, SJ("ファイルが存在しない"), "scr\\" + v + ".scr");
          changesTo->push_back(v);
        }
        break;
      case ArgKind::Label:
        if (labels.count(v) == 0) report(l, SJ("ラベルが見つからない"), v);
        break;
      case ArgKind::Transition:
        if (!isTransitionWord(v)) report(l, SJ("パラメータが不正"), v);
        break;
      case ArgKind::Keyword: {
        bool known = false;
        for (std::string_view w : a.words) known = known || v == w;
        if (!known) report(l, SJ("パラメータが不正"), v);
        break;
      }
      case ArgKind::Movie: {
        std::string file = v.find('.') == std::string::npos ? v + ".mpg" : v;
        // A missing movie is passed over by the engine without a word.
        if (!c.data_.looseExists(file)) report(l, SJ("ファイルが存在しない"), file, true);
        break;
      }
      case ArgKind::Midi:
        if (!c.data_.looseExists(v + ".mid")) report(l, SJ("ファイルが存在しない"), v + ".mid");
        break;
      case ArgKind::Text:
      case ArgKind::Ignored:
        break;
    }
  }

  checkImplied(line, keyword, args);
  lastEndsFlow = keyword == "goto" || keyword == "change" || keyword == "title";

  if (keyword == "window") {
    if (windowKind == 0) {
      page.windowDefined = true;
      if (auto cols = literal(args[7])) page.columns = static_cast<int>(*cols);
      if (auto rows = literal(args[8])) page.rows = static_cast<int>(*rows);
    } else if (windowKind == 2) {
      auto cols = literal(args[7]);
      auto rows = literal(args[8]);
      page.plateColumns = cols && rows ? static_cast<int>(*cols) : 0;
      page.plateRows = rows ? static_cast<int>(*rows) : 0;
    } else if (windowKind && *windowKind != 2) {
      report(line, SJ("現在サポートされていないウィンドウＮｏ．"), args[0]);
    }
  } else if (keyword == "window_sel" || keyword == "select" || keyword == "select2") {
    if (auto n = literal(args[0]); n && *n != 1) report(line, SJ("現在サポートされていないウィンドウＮｏ．"), args[0]);
    if (keyword == "window_sel") {
      page.choiceWindowDefined = true;
    } else {
      // Without a choice window the bars are looked up under an empty name.
      if (!page.choiceWindowDefined) report(line, SJ("ファイルが存在しない"), SJ("cg\\.psd  (select の前に window_sel がない)"));
      choices = 0;
    }
  } else if (keyword == "def_sel") {
    // Told at the first choice too many; the ones after it are the same fault.
    if (args[0] != "NULL" && ++choices == kChoiceSlots + 1) report(line, SJ("選択肢はこれ以上登録できない"), "");
  } else if (keyword == "effect") {
    if (args[0] != "FADE_IN" && isTransitionWord(args[0])) report(lines[0], SJ("パラメータが不正"), args[0]);
  } else if (keyword == "ret" || keyword == "ret_noskip") {
    if (page.autoReturnOff) endPage(line);
  } else if (keyword == "msg2") {
    if (page.plateColumns > 0 && page.plateRows > 0 && !args[0].empty()) layOut(args[0], line, true);
  } else if (keyword == "vo" || keyword == "vol" || keyword == "vor") {
    // Only "vo" stands where the loader registers voice commands; the others look their
    // place up in vain and take mark 0.
    auto found = voiceOrdinals.find(position);
    mark = found == voiceOrdinals.end() ? 0 : found->second;
    markUnregistered = found == voiceOrdinals.end();
    runOpen = false;
  } else if (keyword == "set_read_mode") {
    if (auto v = literal(args[0])) page.readTrackingOff = (*v & 0xFF) != 0;
  } else if (keyword == "auto_ret_on" || keyword == "auto_ret_off") {
    page.autoReturnOff = keyword == "auto_ret_off";
  } else if (keyword == "moji") {
    if (auto code = literal(args[0])) page.glyphSize = glyphSizeOfCode(*code);
  } else if (keyword == "def_indent") {
    c.data_.runtime().media.textRules.setOpeningBrackets(args[0]);
  } else if (keyword == "def_kinsoku") {
    c.data_.runtime().media.textRules.setLineEnd(args[0]);
  } else if (keyword == "title") {
    page.glyphSize = 24;  // the return to the title resets the text size and read tracking
    page.readTrackingOff = false;
  }
}

}  // namespace ml::lint
