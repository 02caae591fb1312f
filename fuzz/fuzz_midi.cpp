// Arbitrary bytes as a MIDI file: the check that stands before the synthesiser reads
// only inside the bytes, and what it lets through is played a little by FluidSynth
// (when a soundfont is installed), so the pair never crashes on a damaged file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/sound/midi_file.h"
#include "media/sound/midi_synth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string why;
  ml::MidiFileInfo info;
  const bool good = ml::checkMidiFile(data, size, &info, &why);
  if (!good) return 0;
  static std::unique_ptr<ml::MidiSynth> synth;
  static bool tried = false;
  if (!tried) {
    tried = true;
    synth = std::make_unique<ml::MidiSynth>();
    if (!synth->prepare(nullptr)) synth.reset();
  }
  if (!synth) return 0;
  const std::vector<std::uint8_t> bytes(data, data + size);
  if (!synth->start(bytes, &why)) return 0;
  std::vector<std::int16_t> out(2 * 4096);
  for (int i = 0; i < 4 && synth->active(); ++i) synth->render(out.data(), 4096);
  return 0;
}
