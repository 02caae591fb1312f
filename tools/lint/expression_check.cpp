#include "tools/lint/expression_check.h"

#include <cstring>

#include "engine/assignment.h"
#include "engine/expression.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml::lint {
namespace {

std::string operandAt(std::string_view s, std::size_t& i) {
  char buf[ScriptContext::kWordCapacity];
  readOperand(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), i, buf, sizeof buf);
  return buf;
}

std::int64_t leadingNumber(std::string_view s) {
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
    if (v > 100000000) break;  // far past every limit that matters here
  }
  return v;
}

}  // namespace

std::optional<std::int64_t> flagNumber(std::string_view operand) {
  if (operand.size() < 2 || operand[0] != 'F' || !isDigit(static_cast<std::uint8_t>(operand[1])))
    return std::nullopt;
  return leadingNumber(operand.substr(1));
}

std::optional<std::int64_t> checkExpression(std::string_view expression, const ReportFn& report) {
  std::size_t nul = expression.find('\0');
  if (nul != std::string_view::npos) expression = expression.substr(0, nul);
  bool literal = true;
  std::int64_t acc = 0;
  char pending = 0;
  auto invalid = [&]() -> std::optional<std::int64_t> {
    report(SJ("パラメータが不正"), expression);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < expression.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(expression[i]);
    std::int64_t value = 0;
    if (isDigit(c)) {
      value = leadingNumber(operandAt(expression, i));
    } else if (c == 'F' && i + 1 < expression.size() && isDigit(static_cast<std::uint8_t>(expression[i + 1]))) {
      std::string operand = operandAt(expression, i);
      if (*flagNumber(operand) >= kFlagCount) {
        report(SJ("フラグの範囲を超えている"), operand);
        return std::nullopt;
      }
      literal = false;
    } else if (isCapital(c)) {
      operandAt(expression, i);
      literal = false;
    } else if (c != 0 && std::strchr("&*+-/^|", c) != nullptr) {
      pending = static_cast<char>(c);
      continue;
    } else {
      return invalid();
    }
    // A literal divisor of zero is refused by the evaluator.
    if (pending == '/' && isDigit(c) && value == 0) return invalid();
    if (literal) {
      switch (pending) {
        case 0: acc = value; break;
        case '&': acc &= value; break;
        case '|': acc |= value; break;
        case '^': acc ^= value; break;
        case '+': acc += value; break;
        case '-': acc -= value; break;
        case '*': acc *= value; break;
        case '/': acc /= value; break;
      }
      acc = static_cast<std::int32_t>(acc);
    }
    pending = 0;
  }
  if (pending != 0) return invalid();
  if (!literal) return std::nullopt;
  return acc;
}

void checkSeconds(std::string_view argument, const ReportFn& report) {
  bool point = false;
  for (char c : argument) {
    if (c == ',') report(SJ("不正な文字があります"), argument);
    if (c == '.') point = true;
  }
  if (point) {
    // Decimal seconds: digits around one point.
    std::size_t start = !argument.empty() && argument[0] == '-' ? 1 : 0;
    int points = 0;
    for (std::size_t i = start; i < argument.size(); ++i) {
      char c = argument[i];
      if (c == '.') ++points;
      else if ((c < '0' || c > '9') && c != ',') points = 99;
    }
    if (points != 1) report(SJ("パラメータが不正"), argument);
    return;
  }
  checkExpression(argument, report);
}

void checkAssignment(std::string_view word, const SubstituteFn& substitute, const ReportFn& report) {
  // Split exactly as the interpreter does.
  const AssignmentParts parts = splitAssignment(word, substitute);
  const std::string& joined = parts.joined;
  const std::size_t eq = parts.eq;
  if (eq == std::string::npos) {
    report(SJ("代入になっていない"), word);
    return;
  }
  const std::string target = joined.substr(0, eq);
  checkExpression(std::string_view(joined).substr(eq + 1), report);
  const auto t0 = target.empty() ? 0 : static_cast<std::uint8_t>(target[0]);
  const auto t1 = target.size() > 1 ? static_cast<std::uint8_t>(target[1]) : 0;
  if (t0 == 'F' && isDigit(t1)) {
    std::optional<std::int64_t> index = checkExpression(std::string_view(target).substr(1), report);
    if (index && (*index < 0 || *index >= kFlagCount)) report(SJ("フラグの範囲を超えている"), target);
    return;
  }
  if (isCapital(t0)) return;
  report(SJ("代入できない"), target);
}

}  // namespace ml::lint
