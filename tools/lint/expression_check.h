// Static checks of the numeric language: expressions, times, assignments. They accept
// exactly what the engine's evaluator accepts and say what it would report, without
// knowing the values of flags and variables.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ml::lint {

// message and detail are Shift-JIS.
using ReportFn = std::function<void(std::string_view message, std::string_view detail)>;
// Replaces a defined name (a token that begins with a double-byte character) in place.
using SubstituteFn = std::function<void(std::string&)>;

inline constexpr int kFlagCount = 2048;

// Checks an expression; its value when it holds only numbers (nothing when it reads a
// flag or a variable, or is faulty).
std::optional<std::int64_t> checkExpression(std::string_view expression, const ReportFn& report);
// A time argument: decimal seconds with a point, or an expression of whole seconds.
void checkSeconds(std::string_view argument, const ReportFn& report);
// An assignment word ("F12=F3+1", "A=B*2", "名前=1").
void checkAssignment(std::string_view word, const SubstituteFn& substitute, const ReportFn& report);
// The flag number an operand such as "F2048" names, when it is one.
std::optional<std::int64_t> flagNumber(std::string_view operand);

}  // namespace ml::lint
