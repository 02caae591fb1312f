// A small additive synthesiser for the demo's music, effects and voices: notes of a
// few instruments built from partials and envelopes, noise, simple filters and a
// reverb, mixed into an AudioBuffer. Everything is deterministic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/wave_writer.h"

namespace ml::tools::synth {

inline constexpr int kRate = 44100;

enum class Instrument { Piano, Pad, Bell, Pluck, Bass, Flute, Strings, MusicBox, Organ };

// A stereo or mono mix being built; time in seconds.
class Mix {
 public:
  Mix(double seconds, int channels = 2, int rate = kRate);

  int channels() const { return channels_; }
  int rate() const { return rate_; }
  std::size_t frames() const { return frames_; }

  // One note: frequency in Hz, level 0..1, pan -1 (left) … 1 (right).
  void note(Instrument instrument, double start, double duration, double freq, float level, float pan = 0);
  // Drums.
  void kick(double start, float level);
  void snare(double start, float level, float pan = 0);
  void hat(double start, float level, float pan = 0, bool open = false);
  // Filtered noise with an envelope (wind, rain, breath), between two cut-offs.
  void noise(double start, double duration, float level, float lowCut, float highCut, std::uint32_t seed,
             float attack = 0.05f, float release = 0.2f, float pan = 0);
  // A tone whose frequency glides from f0 to f1.
  void sweep(double start, double duration, double f0, double f1, float level, float pan = 0, int harmonics = 1);
  // Adds a finished mono signal at a start time.
  void add(const std::vector<float>& mono, double start, float level, float pan = 0);

  void reverb(float wet, float roomSize = 0.8f);
  void lowPass(float cutoff);
  // Scales so the peak is at `peak`.
  void normalise(float peak = 0.89f);
  void fadeOut(double seconds);
  // For loops: everything past `length` seconds (reverb tails, long notes) is folded
  // onto the start, and the mix is cut to exactly `length`, so it repeats seamlessly.
  void foldLoop(double length);

  AudioBuffer take();

 private:
  float* at(std::size_t frame) { return &data_[frame * channels_]; }
  // Equal-power gains of a pan position, computed once per sound.
  struct Gains {
    float left, right;
  };
  Gains gains(float pan) const;
  void put(std::size_t frame, float value, const Gains& g);

  int channels_;
  int rate_;
  std::size_t frames_;
  std::vector<float> data_;
};

// Equal temperament: MIDI note number to Hz.
double midiToHz(double note);
// Parses a tune such as "E5/2 D5 C5/2 - G4*2" into notes: a name with octave, "/n"
// divides and "*n" multiplies the beat length, "-" is a rest of one beat.
struct TuneNote {
  double beat;    // start, in beats
  double length;  // in beats
  int midi;       // -1 for a rest
};
std::vector<TuneNote> parseTune(const std::string& tune);

}  // namespace ml::tools::synth
