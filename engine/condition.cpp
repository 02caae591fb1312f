// Conditions "[F1=1&F2!0]" followed by a "{ ... }" block that runs when they hold and
// is skipped, nested blocks included, when they do not.
#include <cstring>

#include "engine/expression.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// Pending comparisons; '=', '!', '<', '>' stand for themselves.
constexpr char kLessEqual = 'l';
constexpr char kGreaterEqual = 'g';

std::int32_t compare(char op, std::int32_t a, std::int32_t b) {
  switch (op) {
    case '=': return a == b;
    case '!': return a != b;
    case '<': return a < b;
    case '>': return a > b;
    case kLessEqual: return a <= b;
    case kGreaterEqual: return a >= b;
  }
  return b;
}

}  // namespace

std::uint8_t ScriptContext::nextSignificantByte(bool bracesOnly) {
  for (;;) {
    std::uint8_t b = skipLineBreaks();
    if (atEnd()) {
      scriptError(SJ("スクリプトの終わりになった"), "");
      return 0;
    }
    advance(sjis::isLead(b) ? 2 : 1);
    if (isBlank(b)) continue;
    if (b == ';') {
      while (!atEnd() && byteAt(pos) != '\r' && byteAt(pos) != '\n') advance(1);
      if (atEnd()) {
        scriptError(SJ("スクリプトの終わりになった"), "");
        return 0;
      }
      continue;
    }
    if (sjis::isLead(b)) {
      if (bracesOnly) continue;
      return b;
    }
    if (!bracesOnly || b == '{' || b == '}') return b;
  }
}

std::uint8_t ScriptContext::evaluateCondition() {
  advance(1);  // the "["
  std::int32_t comparison = 0, logic = 0;
  char pendingComparison = 0, pendingLogic = 0;
  char operand[kWordCapacity];

  auto fold = [&](std::int32_t value) {
    if (pendingComparison == 0) {
      comparison = value;
    } else {
      comparison = compare(pendingComparison, comparison, value);
      if (pendingLogic == '&')
        logic = (logic != 0 && comparison != 0);
      else if (pendingLogic == '|')
        logic = (logic != 0 || comparison != 0);
      else
        logic = comparison;
      pendingLogic = 0;
    }
    pendingComparison = 0;
  };
  // A flag operand, by the number after its "F"; one outside the flags is an error.
  auto flagValue = [&](const char* op, std::int32_t& out) {
    std::int64_t n = leadingFlagNumber(op + 1);
    if (n >= GameState::kFlagCount) {
      scriptError(SJ("フラグの範囲を超えている"), op);
      return false;
    }
    out = state->flags[n];
    return true;
  };
  auto readOperandHere = [&]() {
    std::size_t index = static_cast<std::size_t>(pos);
    std::size_t start = index;
    readOperand(text.data(), static_cast<std::size_t>(size), index, operand, sizeof operand);
    // Leave pos on the operand's last byte; the loop's advance passes it.
    advance(static_cast<std::int64_t>(index + 1 - start) - 1);
  };

  for (;;) {
    if (atEnd()) {
      scriptError(SJ("スクリプトの終わりになった"), "");
      return 0;
    }
    const std::uint8_t b = byteAt(pos);
    if (b == ']') break;
    if (isBlank(b)) {
      scriptError(SJ("余分なスペースが入っている"), "");
    } else if (b == '\r' || b == '\n') {
      scriptError(SJ("改行で終わっている"), "");
    } else if (isDigit(b) || isCapital(b)) {
      readOperandHere();
      std::int32_t value = 0;
      if (isDigit(b)) {
        value = leadingDecimal(operand);
      } else if (b == 'F') {
        if (!flagValue(operand, value)) return 0;
      } else {
        value = state->vars[b - 'A'];
      }
      fold(value);
    } else if (b == '=' || b == '!') {
      pendingComparison = static_cast<char>(b);
    } else if (b == '<' || b == '>') {
      if (byteAt(pos + 1) == '=') {
        pendingComparison = b == '<' ? kLessEqual : kGreaterEqual;
        advance(1);
      } else {
        pendingComparison = static_cast<char>(b);
      }
    } else if (b == '&' || b == '|') {
      pendingLogic = static_cast<char>(b);
    } else {
      readOperandHere();
      std::string name(operand);
      substituteDefine(name);
      if (name.empty() || name[0] != 'F') {
        scriptError(SJ("不正な文字"), "");
        return 0;
      }
      std::int32_t value = 0;
      if (!flagValue(name.c_str(), value)) return 0;
      fold(value);
    }
    advance(1);
  }
  advance(1);  // the "]"
  if (pendingComparison != 0 || pendingLogic != 0) {
    scriptError(SJ("演算が途中で終わっている"), "");
    return 0;
  }

  if (logic != 0) {
    // At the end of the text the scan has reported it, and the block has not begun.
    std::uint8_t b = nextSignificantByte(false);
    if (b != '{') {
      scriptError(SJ("複文が開始されていない"), "");
      return 0;
    }
    return 1;
  }

  int depth = 0;
  for (;;) {
    std::uint8_t b = nextSignificantByte(true);
    if (b == 0) return 0;
    depth += b == '{' ? 1 : -1;
    if (depth < 0) {
      scriptError(SJ("括弧が閉じていない"), "");
      return 0;
    }
    if (depth == 0) return 1;
  }
}

}  // namespace ml
