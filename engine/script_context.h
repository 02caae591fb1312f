// Placeholder: filled in by the work that builds the interpreter.
#pragma once

#include <cstdint>

namespace ml {

class Runtime;

class ScriptContext {
 public:
  explicit ScriptContext(Runtime& rt) : rt_(rt) {}
  std::uint8_t step() { return 0; }

 private:
  Runtime& rt_;
};

}  // namespace ml
