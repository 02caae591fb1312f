// The parts of an assignment word ("F12=F3+1", "A=B*2") as the interpreter reads them;
// shared with the script checker so that both split a word the same way.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ml {

struct AssignmentParts {
  std::string joined;  // the word with defined names replaced between its separators
  std::size_t eq = std::string::npos;  // its first "=" outside double-byte characters
};

// Replaces each piece between the separators ! % & * + - / = ] | through `substitute`
// (double-byte characters are never split), keeps the separators, and finds the "=".
// The joined word is held to `capacity` bytes.
AssignmentParts splitAssignment(std::string_view word,
                                const std::function<void(std::string&)>& substitute,
                                std::size_t capacity = std::string::npos);

}  // namespace ml
