// The settings file on arbitrary text, through the reader the game uses: every value
// (numbers out of range, names cut inside a character, the refresh list) is taken in,
// written back and read again, round after round.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "app/settings_file.h"
#include "scratch_dir.h"

namespace {

const std::filesystem::path& workDir() {
  static const std::filesystem::path dir = [] {
    auto d = ml::fuzz::scratchDir("settings");
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path input = workDir() / "mirelune.ini";
  const std::filesystem::path first = workDir() / "first.ini";
  const std::filesystem::path second = workDir() / "second.ini";
  std::error_code ec;
  std::filesystem::remove(first, ec);
  std::filesystem::remove(second, ec);
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static const std::string kRates[] = {"60", "75", "85", "100"};
  ml::Settings settings;
  int entry = 99;
  ml::ReadSettings(input.string(), settings, kRates, &entry);
  if (entry < 0 || entry >= 4) std::abort();
  if (settings.user.name.size() > ml::kPlayerNameBytes || settings.user.family.size() > ml::kPlayerNameBytes)
    std::abort();

  // Writing what was read and reading it back may tidy a value once (blanks around a
  // text, a text cut inside a character); after that every round must give the same
  // file, or a value would drift from one run of the game to the next.
  ml::WriteSettings(first.string(), settings, settings.display.window);
  ml::Settings again;
  ml::ReadSettings(first.string(), again);
  ml::WriteSettings(second.string(), again, again.display.window);
  ml::Settings third;
  ml::ReadSettings(second.string(), third);
  std::filesystem::remove(first, ec);
  ml::WriteSettings(first.string(), third, third.display.window);
  if (std::filesystem::exists(second) && slurp(first) != slurp(second)) std::abort();
  return 0;
}
