// Placeholder: filled in by the work that builds defines.
#pragma once

namespace ml {

class DefineTable {
 public:
};

}  // namespace ml
