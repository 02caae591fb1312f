// Arbitrary bytes as a movie file: FFmpeg opens what it can, and the player decodes it
// on its thread, fits its pictures into the game area and hands out its sound, on the
// virtual clock; whatever the bytes, it ends without reading or writing out of bounds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "media/movie/movie_player.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/mirelune-fuzz-movie-" + std::to_string(::getpid()) + ".mpg";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  ml::MoviePlayer player(false);
  if (!player.open(path, nullptr)) return 0;
  // An odd destination, so the fitting sees shapes of every kind.
  player.setDestination(size % 2 ? 800 : 333, size % 3 ? 600 : 97);
  player.start(true);
  std::vector<std::int16_t> sound(2 * 1764);
  std::uint32_t ms = 0;
  for (int i = 0; i < 200 && !player.finished(); ++i) {
    player.render(sound.data(), 1764);
    ms += 40;
    player.frameDue(ms);
  }
  player.stop();
  return 0;
}
