// Writes 32-bit frames (BGRA in memory, as the back buffer holds them) as RGB PNG files:
// headless screenshots and golden images of tests.
#pragma once

#include <cstdint>
#include <string>

namespace ml {

// Written through the safe write path; false, with *error ("PATH: reason"), no file
// left behind and the old one untouched, when the file cannot be written.
bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              std::string* error = nullptr);

}  // namespace ml
