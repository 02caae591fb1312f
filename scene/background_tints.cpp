// The demo game's backgrounds and the light they are lit by: preset 0 day, 1 dusk,
// 2 night. The scripts set the three presets with set_rgb_ex1..3.
#include "scene/background_tints.h"

#include <iterator>

namespace ml {
namespace {

constexpr BackgroundTint kRows[] = {
    {"bg01a", 0},  // sky by day
    {"bg01b", 1},  // sky at dusk
    {"bg02a", 0},  // room by day
    {"bg02b", 2},  // room at night
    {"bg03a", 1},  // street at dusk
    {"bg03b", 2},  // street at night
    {"bg04a", 2},  // seaside under the moon
    {"bg05a", 0},  // park by day
};

static_assert(std::size(kRows) <= 256, "the table holds at most 256 rows");

}  // namespace

std::span<const BackgroundTint> backgroundTintTable() { return kRows; }

int backgroundTintPreset(std::string_view backgroundName) {
  for (const BackgroundTint& row : kRows) {
    if (row.name[0] == 0) break;
    if (backgroundName == row.name) return row.preset;
  }
  return -1;
}

}  // namespace ml
