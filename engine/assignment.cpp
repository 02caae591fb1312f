// Assignment words: "F12=F3+1", "A=B*2". Flags take the value clamped to 0..255;
// variables take the whole 32-bit value.
#include <cstring>
#include <string>

#include "engine/expression.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

bool separatesPieces(std::uint8_t c) { return c != 0 && std::strchr("!%&*+-/=]|", c) != nullptr; }

}  // namespace

std::uint8_t ScriptContext::executeAssignment() {
  const std::string original(word);
  skipWord();

  // Replace defined names piece by piece; the separators stay where they were. The
  // result is held to the word's size.
  std::string joined, piece;
  auto flush = [&]() {
    substituteDefine(piece);
    joined += piece;
    piece.clear();
  };
  for (std::size_t i = 0; i < original.size(); ++i) {
    auto c = static_cast<std::uint8_t>(original[i]);
    if (isLeadByte(c) && i + 1 < original.size()) {
      piece += original[i];
      piece += original[++i];
    } else if (separatesPieces(c)) {
      flush();
      joined += static_cast<char>(c);
    } else {
      piece += static_cast<char>(c);
    }
  }
  flush();
  if (joined.size() > kWordCapacity - 1) joined.resize(kWordCapacity - 1);

  std::size_t eq = std::string::npos;
  for (std::size_t i = 0; i < joined.size(); ++i) {
    auto c = static_cast<std::uint8_t>(joined[i]);
    if (isLeadByte(c)) {
      ++i;
    } else if (c == '=') {
      eq = i;
      break;
    }
  }
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
