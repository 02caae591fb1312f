// Integer expressions: strictly left to right, no precedence, no parentheses, no
// blanks; numbers, flags F0..F2047 and variables A..Z; arithmetic wraps at 32 bits.
#include "engine/expression.h"

#include <climits>
#include <cstring>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {

std::int32_t leadingDecimal(std::string_view s) {
  std::uint32_t v = 0;
  for (char ch : s) {
    auto c = static_cast<std::uint8_t>(ch);
    if (!isDigit(c)) break;
    v = v * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return static_cast<std::int32_t>(v);
}

std::int64_t leadingFlagNumber(std::string_view s) {
  std::int64_t v = 0;
  for (char ch : s) {
    auto c = static_cast<std::uint8_t>(ch);
    if (!isDigit(c)) break;
    v = v * 10 + (c - '0');
    if (v > 1000000) return 1000000;
  }
  return v;
}

namespace {

constexpr std::int32_t kErrorValue = INT32_MIN;

// Applies a pending operator; false on a division by zero.
bool applyOperator(char op, std::int32_t& acc, std::int32_t value) {
  auto a = static_cast<std::uint32_t>(acc);
  auto v = static_cast<std::uint32_t>(value);
  switch (op) {
    case 0: acc = value; return true;
    case '&': acc = static_cast<std::int32_t>(a & v); return true;
    case '|': acc = static_cast<std::int32_t>(a | v); return true;
    case '^': acc = static_cast<std::int32_t>(a ^ v); return true;
    case '+': acc = static_cast<std::int32_t>(a + v); return true;
    case '-': acc = static_cast<std::int32_t>(a - v); return true;
    case '*': acc = static_cast<std::int32_t>(a * v); return true;
    case '/':
      if (value == 0) return false;
      // The one quotient that does not fit wraps like the rest of the arithmetic.
      acc = (acc == INT32_MIN && value == -1) ? INT32_MIN : acc / value;
      return true;
  }
  return false;
}

}  // namespace

std::int32_t ScriptContext::evaluate(std::string_view expression) {
  // The expression ends at its first NUL, as a C string would.
  std::size_t nul = expression.find('\0');
  if (nul != std::string_view::npos) expression = expression.substr(0, nul);
  const auto* data = reinterpret_cast<const std::uint8_t*>(expression.data());
  const std::size_t size = expression.size();

  auto invalid = [&]() {
    scriptError(SJ("パラメータが不正"), expression);
    return kErrorValue;
  };

  std::int32_t acc = 0;
  char pending = 0;
  char operand[kWordCapacity];
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = data[i];
    std::int32_t value = 0;
    if (isDigit(c)) {
      readOperand(data, size, i, operand, sizeof operand);
      value = leadingDecimal(operand);
    } else if (c == 'F' && i + 1 < size && isDigit(data[i + 1])) {
      readOperand(data, size, i, operand, sizeof operand);
      std::int64_t n = leadingFlagNumber(operand + 1);
      if (n < 0 || n >= GameState::kFlagCount) {
        scriptError(SJ("フラグの範囲を超えている"), operand);
        return kErrorValue;
      }
      value = state->flags[n];
    } else if (isCapital(c)) {
      readOperand(data, size, i, operand, sizeof operand);
      value = state->vars[operand[0] - 'A'];
    } else if (std::strchr("&*+-/^|", c) != nullptr && c != 0) {
      pending = static_cast<char>(c);
      continue;
    } else {
      return invalid();
    }
    if (!applyOperator(pending, acc, value)) return invalid();
    pending = 0;
  }
  if (pending != 0) return invalid();
  return acc;
}

}  // namespace ml
