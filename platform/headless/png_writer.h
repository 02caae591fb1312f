// Writes 32-bit frames (BGRA in memory, as the back buffer holds them) as RGB PNG files:
// headless screenshots and golden images of tests.
#pragma once

#include <cstdint>
#include <string>

namespace ml {

// False (and no file left behind) when the file cannot be written.
bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height);

}  // namespace ml
