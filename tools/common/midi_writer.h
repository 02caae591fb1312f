// Writes Standard MIDI Files (format 0, one track) for the demo's MIDI music.
#pragma once

#include <cstdint>
#include <vector>

namespace ml::tools {

struct MidiNote {
  double beat;     // start, in beats
  double length;   // in beats
  int key;         // 0-127
  int velocity;    // 1-127
  int channel = 0; // 0-15
};

struct MidiSong {
  double bpm = 120;
  // General MIDI programs (0-127) per channel, set at the start.
  std::vector<std::pair<int, int>> programs;  // (channel, program)
  std::vector<MidiNote> notes;
};

// 480 ticks per beat; notes are sorted by time, note-offs before note-ons at equal
// times; out-of-range keys, velocities and channels are clamped.
std::vector<std::uint8_t> writeMidi(const MidiSong& song);

}  // namespace ml::tools
