// A bounded check of a Standard MIDI File before the synthesiser is given it: the
// header, every track chunk inside the file and every event inside its track. A file
// that passes can be played to its end; one that does not is refused with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ml {

struct MidiFileInfo {
  int format = 0;       // 0, 1 or 2
  int tracks = 0;       // track chunks read
  int division = 0;     // ticks per quarter note (or the SMPTE word)
  std::uint64_t events = 0;
  std::uint64_t notes = 0;  // note-ons with a velocity above 0
};

// True when the bytes are a whole, well-formed MIDI file; otherwise false with a short
// reason in `why` (UTF-8 Japanese, for the error text).
bool checkMidiFile(const std::uint8_t* data, std::size_t size, MidiFileInfo* info, std::string* why);

}  // namespace ml
