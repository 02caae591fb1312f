// The step: read the next command word, classify it and run its handler.
#include <cstdio>
#include <cstring>

#include "engine/command_table.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// An "=" outside double-byte characters makes a word an assignment.
bool isAssignmentWord(const char* w) {
  for (std::size_t i = 0; w[i] != 0; ++i) {
    auto c = static_cast<std::uint8_t>(w[i]);
    if (sjis::isLead(c)) {
      if (w[i + 1] == 0) break;
      ++i;
    } else if (c == '=') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::uint8_t ScriptContext::step() {
  rt.story.switches.screenIdle = false;
  peekWord(word, kWordCapacity);
  copyLineText();

  if (rt.story.debugMode) {
    std::string caption = currentScriptName();
    caption += " (" + std::to_string(lineNumber) + ") : ";
    caption += lineText;
    rt.platform.setCaption(caption);
  }

  if (word[0] == 0) {
    if (!atEnd()) {
      // An empty quoted word has already been passed; a stray NUL byte is passed here,
      // so neither stops the rest of the script from running.
      if (byteAt(pos) == 0) advance(1);
      return 1;
    }
    if (rt.story.switches.endReportArmed) {
      rt.story.switches.endReportArmed = false;
      scriptError(SJ("最後まで実行しました"), "");
    } else {
      rt.platform.sleep(100);
    }
    return 1;
  }

  const auto first = static_cast<std::uint8_t>(word[0]);
  if (first == ';') {
    skipComment();
    return 1;
  }
  if (first == '}') {
    advance(1);
    return 1;
  }
  if (first == '[') return evaluateCondition();
  if (isAssignmentWord(word)) return executeAssignment();
  if (sjis::isLead(first)) return executeTextLine();

  const CommandRow* row = findCommand(rt.story.commands, word);
  if (row == nullptr) {
    scriptError(SJ("未定義のコマンド"), word);
    skipWord();
    return 1;
  }
  if (row->dispatcherAdvances) skipWord();
  std::uint8_t result = row->handler(*this, *row);
  if (row->redraw && !fastForward) rt.scenePort().composeScene();
  return result;
}

}  // namespace ml
