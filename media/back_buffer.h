// Placeholder: filled in by the work that builds this service.
#pragma once

namespace ml {

class BackBuffer {
 public:
};

}  // namespace ml
