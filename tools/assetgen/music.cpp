// Music: fourteen short pieces (the music room's tracks), 44100 Hz stereo Vorbis
// WAVE. All but the ending loop seamlessly: their tails are folded onto their starts.
// A piece is a chord progression arranged in one of a few styles, with a melody that
// is either written out or grown from a one-bar motif that follows the chords.
#include <cmath>
#include <iterator>

#include "tools/assetgen/generators.h"
#include "tools/common/synth.h"
#include "tools/common/midi_writer.h"

namespace ml::tools {
namespace {

using namespace synth;

enum class Style { Ballad, Daily, Tension, Festival, Night, Solo, MusicBox, Ending };

struct Piece {
  const char* file;
  const char* title;
  Style style;
  int key;          // MIDI note of the tonic
  bool minor;
  double bpm;
  std::vector<int> chords;  // scale degrees (0-6), one per bar
  const char* tune;         // written melody, or nullptr for a grown one
  Instrument lead;
  std::uint64_t seed;
  bool loops;
};

const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

int scaleNote(const Piece& p, int degree, int octave) {
  const int* scale = p.minor ? kMinor : kMajor;
  int d = ((degree % 7) + 7) % 7;
  int o = (degree - d) / 7;
  return p.key + scale[d] + 12 * (octave + o);
}

// Triad on a degree, as MIDI notes around the given octave.
std::vector<int> triad(const Piece& p, int degree, int octave) {
  return {scaleNote(p, degree, octave), scaleNote(p, degree + 2, octave), scaleNote(p, degree + 4, octave)};
}

// A melody grown from a motif: one bar's rhythm and shape, repeated on each chord
// with small changes so it sounds intended rather than random.
std::vector<TuneNote> growMelody(const Piece& p, int bars) {
  Rng rng(p.seed);
  static const std::vector<std::vector<double>> rhythms = {
      {1, 1, 1, 1}, {1.5, 0.5, 1, 1}, {0.5, 0.5, 1, 2}, {2, 1, 1}, {1, 0.5, 0.5, 2}, {0.5, 0.5, 0.5, 0.5, 2}};
  const std::vector<double>& rhythm = rhythms[rng.below(static_cast<int>(rhythms.size()))];
  std::vector<int> shape;
  for (std::size_t i = 0; i < rhythm.size(); ++i) shape.push_back(rng.below(5) - 2);
  std::vector<TuneNote> out;
  for (int bar = 0; bar < bars; ++bar) {
    int chord = p.chords[bar % p.chords.size()];
    double beat = bar * 4.0;
    int degree = chord + (rng.uniform() < 0.5 ? 2 : 4) + 7;
    bool last = bar == bars - 1;
    for (std::size_t i = 0; i < rhythm.size(); ++i) {
      int step = shape[i] + (rng.uniform() < 0.25 ? rng.below(3) - 1 : 0);
      if (i == 0) step = 0;
      degree += step;
      // Long notes land on chord tones.
      if (rhythm[i] >= 2) {
        int rel = ((degree - chord) % 7 + 7) % 7;
        if (rel != 0 && rel != 2 && rel != 4) degree += rel == 1 || rel == 3 ? -1 : 1;
      }
      double len = rhythm[i];
      if (last && i + 1 == rhythm.size()) len = 4.0 - (beat - bar * 4.0);
      out.push_back({beat, len, scaleNote(p, degree, 0)});
      beat += rhythm[i];
    }
  }
  return out;
}

void arrange(Mix& m, const Piece& p, int bars, double offset = 0) {
  double spb = 60.0 / p.bpm;  // seconds per beat
  auto at = [&](double beat) { return offset + beat * spb; };
  for (int bar = 0; bar < bars; ++bar) {
    int chord = p.chords[bar % p.chords.size()];
    double b0 = bar * 4.0;
    std::vector<int> mid = triad(p, chord, 0), low = triad(p, chord, -1);
    int root = scaleNote(p, chord, -2);
    switch (p.style) {
      case Style::Ballad:
      case Style::Ending:
        for (int n : mid) m.note(Instrument::Pad, at(b0), 4 * spb, midiToHz(n), 0.16f, (n % 3 - 1) * 0.4f);
        for (int k = 0; k < 8; ++k) {
          int n = low[k % 3] + (k >= 3 && k < 6 ? 12 : 0);
          m.note(Instrument::Piano, at(b0 + k * 0.5), 0.9 * spb, midiToHz(n), 0.2f, -0.3f + 0.1f * (k % 3));
        }
        m.note(Instrument::Bass, at(b0), 1.9 * spb, midiToHz(root), 0.35f);
        m.note(Instrument::Bass, at(b0 + 2), 1.9 * spb, midiToHz(root + 7), 0.3f);
        if (p.style == Style::Ending && bar >= 4) {
          m.kick(at(b0), 0.5f);
          m.kick(at(b0 + 2), 0.45f);
          m.snare(at(b0 + 1), 0.25f);
          m.snare(at(b0 + 3), 0.25f);
          for (int k = 0; k < 8; ++k) m.hat(at(b0 + k * 0.5), 0.08f, 0.4f);
          for (int n : mid) m.note(Instrument::Strings, at(b0), 4 * spb, midiToHz(n + 12), 0.1f, -0.5f);
        }
        break;
      case Style::Daily:
        for (int k = 0; k < 8; ++k) {
          int n = mid[(k * 2) % 3] + (k % 4 == 3 ? 12 : 0);
          m.note(Instrument::Pluck, at(b0 + k * 0.5), 0.45 * spb, midiToHz(n), 0.35f, 0.35f);
        }
        for (int k = 0; k < 4; ++k) m.note(Instrument::Bass, at(b0 + k), 0.8 * spb, midiToHz(root + (k == 2 ? 7 : 0)), 0.32f);
        m.kick(at(b0), 0.55f);
        m.kick(at(b0 + 2.5), 0.4f);
        m.snare(at(b0 + 1), 0.28f, 0.1f);
        m.snare(at(b0 + 3), 0.28f, 0.1f);
        for (int k = 0; k < 8; ++k) m.hat(at(b0 + k * 0.5), k % 2 ? 0.06f : 0.1f, -0.4f);
        break;
      case Style::Tension:
        for (int n : low) m.note(Instrument::Strings, at(b0), 4 * spb, midiToHz(n), 0.13f, -0.2f);
        for (int k = 0; k < 8; ++k) m.note(Instrument::Bass, at(b0 + k * 0.5), 0.4 * spb, midiToHz(root + (k % 4 == 3 ? 1 : 0)), 0.3f);
        m.note(Instrument::Bell, at(b0 + 3.5), 1.5, midiToHz(mid[2] + 12), 0.12f, 0.6f);
        m.kick(at(b0), 0.5f);
        m.kick(at(b0 + 1.5), 0.35f);
        break;
      case Style::Festival:
        for (int n : mid) m.note(Instrument::Organ, at(b0), 1.8 * spb, midiToHz(n), 0.09f, -0.3f);
        for (int n : mid) m.note(Instrument::Organ, at(b0 + 2), 1.8 * spb, midiToHz(n), 0.08f, -0.3f);
        for (int k = 0; k < 8; ++k) m.note(Instrument::Pluck, at(b0 + k * 0.5), 0.4 * spb, midiToHz(mid[k % 3] + 12), 0.25f, 0.4f);
        for (int k = 0; k < 4; ++k) {
          m.kick(at(b0 + k), 0.45f);
          m.note(Instrument::Bass, at(b0 + k), 0.45 * spb, midiToHz(root), 0.3f);
          m.note(Instrument::Bass, at(b0 + k + 0.5), 0.45 * spb, midiToHz(root + 12), 0.25f);
        }
        m.snare(at(b0 + 1), 0.3f);
        m.snare(at(b0 + 3), 0.3f);
        m.snare(at(b0 + 3.5), 0.2f);
        for (int k = 0; k < 16; ++k) m.hat(at(b0 + k * 0.25), 0.05f, 0.3f, k % 4 == 2);
        break;
      case Style::Night:
        for (int n : mid) m.note(Instrument::Pad, at(b0), 4 * spb, midiToHz(n - 12), 0.15f);
        for (int k = 0; k < 6; ++k)
          m.note(Instrument::Bell, at(b0 + k * 0.67), 1.2, midiToHz(mid[(k * 2) % 3] + 12), 0.1f, k % 2 ? 0.5f : -0.5f);
        m.note(Instrument::Bass, at(b0), 3.8 * spb, midiToHz(root), 0.25f);
        break;
      case Style::Solo:
        for (int k = 0; k < 4; ++k) m.note(Instrument::Piano, at(b0 + k), 1.5 * spb, midiToHz(low[k % 3] + (k == 3 ? 12 : 0)), 0.22f, -0.2f);
        m.note(Instrument::Piano, at(b0), 3.5 * spb, midiToHz(root + 12), 0.22f, -0.3f);
        break;
      case Style::MusicBox:
        for (int n : mid) m.note(Instrument::Pad, at(b0), 4 * spb, midiToHz(n - 12), 0.1f);
        for (int k = 0; k < 4; ++k) m.note(Instrument::MusicBox, at(b0 + k), 0.9 * spb, midiToHz(low[k % 3] + 12), 0.12f, -0.4f);
        break;
    }
  }
  // The melody.
  std::vector<TuneNote> melody = p.tune ? parseTune(p.tune) : growMelody(p, bars);
  double total = bars * 4.0;
  for (const TuneNote& n : melody) {
    if (n.midi < 0 || n.beat >= total) continue;
    float level = p.lead == Instrument::Flute ? 0.22f : (p.lead == Instrument::MusicBox ? 0.3f : 0.26f);
    m.note(p.lead, at(n.beat), n.length * spb * 0.95, midiToHz(n.midi), level, 0.1f);
  }
}

// The demo plays bgm01 (its everyday theme), bgm02 (the festival), bgm03 (the music
// box, once), bgm04 (the night sea, started 2 s in), bgm05 (a bright morning) and
// bgm13 (the ending); the rest fill the music room.
const Piece kPieces[] = {
    {"bgm01.wav", "いつもの部屋", Style::Ballad, 60, false, 84, {0, 4, 5, 3},
     "E5 G5/2 E5/2 D5*2 | D5 E5/2 D5/2 B4*2 C5 E5/2 C5/2 A4*2 A4 C5/2 D5/2 C5*2", Instrument::Flute, 1, true},
    {"bgm02.wav", "夏祭り", Style::Festival, 69, false, 132, {0, 3, 4, 0}, nullptr, Instrument::Flute, 8, true},
    {"bgm03.wav", "オルゴール", Style::MusicBox, 65, false, 80, {0, 3, 5, 4, 0, 3, 4, 0}, nullptr, Instrument::MusicBox, 11, false},
    {"bgm04.wav", "夜の海", Style::Night, 64, false, 72, {0, 5, 3, 4}, nullptr, Instrument::MusicBox, 7, true},
    {"bgm05.wav", "晴れた朝", Style::Daily, 67, false, 112, {0, 3, 4, 0}, nullptr, Instrument::Piano, 2, true},
    {"bgm06.wav", "胸騒ぎ", Style::Tension, 50, true, 120, {0, 0, 5, 4}, nullptr, Instrument::Strings, 6, true},
    {"bgm07.wav", "放課後の道", Style::Daily, 65, false, 100, {5, 3, 0, 4}, nullptr, Instrument::Flute, 3, true},
    {"bgm08.wav", "夕焼けの約束", Style::Ballad, 62, false, 76, {0, 2, 3, 4}, nullptr, Instrument::Strings, 4, true},
    {"bgm09.wav", "ひとりの時間", Style::Solo, 52, true, 66, {0, 3, 6, 4}, nullptr, Instrument::Piano, 9, true},
    {"bgm10.wav", "海へ", Style::Ballad, 58, false, 92, {0, 5, 3, 4}, nullptr, Instrument::Strings, 10, true},
    {"bgm11.wav", "静かな部屋", Style::Solo, 57, true, 72, {0, 5, 2, 6}, nullptr, Instrument::Piano, 5, true},
    {"bgm12.wav", "星に願いを", Style::Ballad, 60, false, 88, {5, 3, 0, 4}, nullptr, Instrument::Piano, 12, true},
    {"bgm13.wav", "エンディング", Style::Ending, 60, false, 84, {0, 4, 5, 3, 0, 4, 5, 3},
     "E5 G5/2 E5/2 D5*2 | D5 E5/2 D5/2 B4*2 C5 E5/2 C5/2 A4*2 A4 C5/2 D5/2 C5*2 "
     "E5 G5/2 E5/2 D5*2 D5 E5/2 D5/2 G5*2 A5 G5/2 E5/2 C5*2 D5 E5/2 D5/2 C5*2",
     Instrument::Flute, 13, false},
    {"bgm14.wav", "おやすみ", Style::MusicBox, 67, false, 66, {0, 3, 0, 4}, nullptr, Instrument::MusicBox, 14, true},
};

// The letter scene's MIDI tune: a summer song for music box and strings.
MidiSong natsu() {
  MidiSong song;
  song.bpm = 96;
  song.programs = {{0, 10}, {1, 48}, {2, 32}};  // music box, strings, acoustic bass
  const char* tune = "G4/2 C5/2 E5 D5/2 C5/2 D5*2 E5/2 G5/2 A5 G5/2 E5/2 D5*2 "
                     "C5/2 D5/2 E5 E5/2 D5/2 C5 A4 G4/2 A4/2 C5 D5/2 E5/2 C5*2";
  for (const TuneNote& n : parseTune(tune))
    if (n.midi >= 0) song.notes.push_back({n.beat, n.length * 0.95, n.midi, 96, 0});
  const int chords[8][3] = {{60, 64, 67}, {55, 59, 62}, {57, 60, 64}, {53, 57, 60},
                            {60, 64, 67}, {53, 57, 60}, {55, 59, 62}, {60, 64, 67}};
  for (int bar = 0; bar < 8; ++bar) {
    for (int k = 0; k < 3; ++k) song.notes.push_back({bar * 4.0, 3.9, chords[bar][k], 56, 1});
    song.notes.push_back({bar * 4.0, 1.9, chords[bar][0] - 24, 80, 2});
    song.notes.push_back({bar * 4.0 + 2, 1.9, chords[bar][0] - 17, 72, 2});
  }
  return song;
}

AudioBuffer render(const Piece& p) {
  int bars = static_cast<int>(p.chords.size());
  double length = bars * 4 * 60.0 / p.bpm;
  bool ending = !p.loops;
  Mix m(length + (ending ? 3.0 : 2.5));
  arrange(m, p, bars);
  if (ending) {
    // A last held chord after the tune.
    for (int n : triad(p, 0, 0)) m.note(Instrument::Pad, length, 2.5, midiToHz(n), 0.16f);
    m.note(Instrument::Bell, length, 2.5, midiToHz(p.key + 24), 0.14f);
  }
  m.reverb(p.style == Style::Night || p.style == Style::MusicBox ? 0.45f : 0.3f, 0.85f);
  if (ending)
    m.fadeOut(1.0);
  else
    m.foldLoop(length);
  m.normalise(0.85f);
  return m.take();
}

}  // namespace

const char* musicTitle(int track) {
  int n = static_cast<int>(std::size(kPieces));
  return track >= 1 && track <= n ? kPieces[track - 1].title : "";
}

void makeMusic(GenContext& ctx) {
  for (const Piece& p : kPieces)
    ctx.sink.vorbisWave(p.file, render(p), 0.3f,
                        std::string("music: \"") + p.title + "\"" + (p.loops ? " (loops)" : " (ends; play it once)"));
  ctx.sink.looseFile("natsu.mid", writeMidi(natsu()), "midi format 0", "MIDI tune for the letter scene");
}

}  // namespace ml::tools
