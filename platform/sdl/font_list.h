// The installed TrueType faces as the font dialog lists them: one name per family, the
// Japanese name where the family has one (as a Japanese desktop shows it), sorted.
#pragma once

#include <string>
#include <vector>

namespace ml {

std::vector<std::string> installedTrueTypeFaces();  // UTF-8

}  // namespace ml
