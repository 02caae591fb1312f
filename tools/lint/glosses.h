// Short English glosses of the Japanese messages the checker prints, so that an author
// who does not read Japanese still knows what each report means.
#pragma once

#include <string_view>

namespace ml::lint {

// The gloss of a message (UTF-8, as printed); null when there is none.
const char* englishGloss(std::string_view utf8Message);

}  // namespace ml::lint
