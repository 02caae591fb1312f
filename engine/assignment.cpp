// Assignment words: "F12=F3+1", "A=B*2". Flags take the value clamped to 0..255;
// variables take the whole 32-bit value.
#include <cstring>
#include <string>

#include "engine/assignment.h"
#include "engine/expression.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {

AssignmentParts splitAssignment(std::string_view word,
                                const std::function<void(std::string&)>& substitute,
                                std::size_t capacity) {
  AssignmentParts parts;
  std::string& joined = parts.joined;
  std::string piece;
  auto flush = [&]() {
    substitute(piece);
    joined += piece;
    piece.clear();
  };
  for (std::size_t i = 0; i < word.size(); ++i) {
    auto c = static_cast<std::uint8_t>(word[i]);
    if (sjis::isLead(c) && i + 1 < word.size()) {
      piece += word[i];
      piece += word[++i];
    } else if (c != 0 && std::strchr("!%&*+-/=]|", c) != nullptr) {
      flush();
      joined += static_cast<char>(c);
    } else {
      piece += static_cast<char>(c);
    }
  }
  flush();
  if (joined.size() > capacity) joined.resize(capacity);

  for (std::size_t i = 0; i < joined.size(); ++i) {
    auto c = static_cast<std::uint8_t>(joined[i]);
    if (sjis::isLead(c)) {
      ++i;
    } else if (c == '=') {
      parts.eq = i;
      break;
    }
  }
  return parts;
}

std::uint8_t ScriptContext::executeAssignment() {
  const std::string original(word);
  skipWord();

  // Replace defined names piece by piece; the separators stay where they were. The
  // result is held to the word's size.
  const AssignmentParts parts = splitAssignment(
      original, [this](std::string& piece) { substituteDefine(piece); }, kWordCapacity - 1);
  const std::string& joined = parts.joined;
  const std::size_t eq = parts.eq;
  if (eq == std::string::npos) {
    scriptError(SJ("代入になっていない"), original);
    return 0;
  }
  const std::string target = joined.substr(0, eq);
  const std::int32_t value = evaluate(std::string_view(joined).substr(eq + 1));

  const auto t0 = target.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(target[0]);
  const auto t1 = target.size() > 1 ? static_cast<std::uint8_t>(target[1]) : std::uint8_t{0};
  if (t0 == 'F' && isDigit(t1)) {
    std::int32_t index = evaluate(std::string_view(target).substr(1));
    if (index < 0 || index >= GameState::kFlagCount) {
      scriptError(SJ("フラグの範囲を超えている"), target);
      return 0;
    }
    state->flags[index] = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    return 1;
  }
  if (isCapital(t0)) {
    state->vars[t0 - 'A'] = value;
    return 1;
  }
  scriptError(SJ("代入できない"), target);
  return 0;
}

}  // namespace ml
