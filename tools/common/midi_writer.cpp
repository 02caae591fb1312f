#include "tools/common/midi_writer.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "tools/common/byte_writer.h"

namespace ml::tools {
namespace {

constexpr int kTicksPerBeat = 480;

void putVarLen(std::vector<std::uint8_t>& out, std::uint32_t v) {
  std::uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = static_cast<std::uint8_t>((v & 0x7F) | 0x80);
  while (n > 0) out.push_back(buf[--n]);
}

struct Event {
  std::uint32_t tick;
  int order;  // note-offs (0) before other events (1) at the same tick
  std::vector<std::uint8_t> bytes;
};

}  // namespace

std::vector<std::uint8_t> writeMidi(const MidiSong& song) {
  std::vector<Event> events;
  auto ticks = [](double beats) { return static_cast<std::uint32_t>(std::lround(std::max(0.0, beats) * kTicksPerBeat)); };
  for (const auto& [channel, program] : song.programs) {
    int ch = std::clamp(channel, 0, 15);
    events.push_back({0, 1, {static_cast<std::uint8_t>(0xC0 | ch), static_cast<std::uint8_t>(std::clamp(program, 0, 127))}});
  }
  for (const MidiNote& n : song.notes) {
    auto ch = static_cast<std::uint8_t>(std::clamp(n.channel, 0, 15));
    auto key = static_cast<std::uint8_t>(std::clamp(n.key, 0, 127));
    auto vel = static_cast<std::uint8_t>(std::clamp(n.velocity, 1, 127));
    std::uint32_t on = ticks(n.beat), off = std::max(on + 1, ticks(n.beat + n.length));
    events.push_back({on, 1, {static_cast<std::uint8_t>(0x90 | ch), key, vel}});
    events.push_back({off, 0, {static_cast<std::uint8_t>(0x80 | ch), key, 0}});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return std::tie(a.tick, a.order) < std::tie(b.tick, b.order); });

  std::vector<std::uint8_t> track;
  // Tempo: microseconds per beat.
  auto tempo = static_cast<std::uint32_t>(std::lround(60000000.0 / std::max(song.bpm, 1.0)));
  track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03});
  track.push_back(static_cast<std::uint8_t>(tempo >> 16));
  track.push_back(static_cast<std::uint8_t>(tempo >> 8));
  track.push_back(static_cast<std::uint8_t>(tempo));
  std::uint32_t now = 0;
  for (const Event& e : events) {
    putVarLen(track, e.tick - now);
    now = e.tick;
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  putBe16(out, kTicksPerBeat);
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  putBe32(out, static_cast<std::uint32_t>(track.size()));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

}  // namespace ml::tools
