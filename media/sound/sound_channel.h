// Placeholder: filled in by the work that builds this service.
#pragma once

namespace ml {

class SoundChannel {
 public:
};

}  // namespace ml
