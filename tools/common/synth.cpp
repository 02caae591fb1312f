#include "tools/common/synth.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>

#include "tools/common/canvas.h"

namespace ml::tools::synth {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A sinusoid advanced by rotation, so long notes need no sin() per sample.
struct Phasor {
  std::complex<double> z{0, 1}, w{1, 0};
  Phasor(double freq, int rate, double phase = 0) : z(std::polar(1.0, phase)), w(std::polar(1.0, 2 * kPi * freq / rate)) {}
  double next() {
    double v = z.imag();
    z *= w;
    return v;
  }
};

struct Partial {
  double ratio;
  double level;
  double decay;  // per second; 0 holds
};

struct Envelope {
  double attack, decay, sustain, release;
};

double envelope(const Envelope& e, double t, double held) {
  double v;
  if (t < e.attack)
    v = t / e.attack;
  else if (e.decay > 0)
    v = e.sustain + (1 - e.sustain) * std::exp(-(t - e.attack) / e.decay);
  else
    v = 1;
  if (t > held) v *= std::max(0.0, 1 - (t - held) / e.release);
  return v;
}

}  // namespace

Mix::Mix(double seconds, int channels, int rate)
    : channels_(channels), rate_(rate), frames_(static_cast<std::size_t>(std::max(0.0, seconds) * rate)),
      data_(frames_ * channels, 0.0f) {}

Mix::Gains Mix::gains(float pan) const {
  double a = (std::clamp(pan, -1.0f, 1.0f) + 1) * kPi / 4;
  return {static_cast<float>(std::cos(a) * 1.4142), static_cast<float>(std::sin(a) * 1.4142)};
}

void Mix::put(std::size_t frame, float value, const Gains& g) {
  if (frame >= frames_) return;
  float* p = at(frame);
  if (channels_ == 1) {
    p[0] += value;
    return;
  }
  p[0] += value * g.left;
  p[1] += value * g.right;
}

void Mix::note(Instrument instrument, double start, double duration, double freq, float level, float pan) {
  const Gains g = gains(pan);
  std::vector<Partial> partials;
  Envelope env{0.005, 0, 1, 0.08};
  double vibrato = 0, vibratoDelay = 0.2;
  double inharmonic = 0;
  std::vector<double> detune = {1.0};
  switch (instrument) {
    case Instrument::Piano: {
      double tau = 1.1 * std::pow(440.0 / freq, 0.35);
      for (int n = 1; n <= 8; ++n) partials.push_back({double(n), 1.0 / std::pow(n, 1.3), (0.6 + 0.55 * n) / tau});
      env = {0.004, 0, 1, 0.25};
      inharmonic = 0.0003;
      break;
    }
    case Instrument::Pad:
      // Two slightly detuned voices of the same spectrum.
      for (int n = 1; n <= 7; ++n) partials.push_back({double(n), 0.5 / n * std::exp(-n / 4.0), 0});
      detune = {1.0017, 0.9983};
      env = {0.45, 0, 1, 0.9};
      break;
    case Instrument::Bell:
      partials = {{1, 1, 0.45}, {2.76, 0.6, 0.8}, {5.40, 0.4, 1.4}, {8.93, 0.25, 2.4}, {13.34, 0.18, 3.5}};
      env = {0.002, 0, 1, 1.5};
      break;
    case Instrument::MusicBox:
      partials = {{1, 1, 1.1}, {3.0, 0.35, 2.5}, {5.42, 0.18, 4}, {8.1, 0.08, 6}};
      env = {0.002, 0, 1, 0.6};
      break;
    case Instrument::Bass:
      partials = {{1, 1, 0.4}, {2, 0.35, 1.2}, {3, 0.12, 2}};
      env = {0.01, 0.3, 0.7, 0.1};
      break;
    case Instrument::Flute:
      partials = {{1, 1, 0}, {2, 0.18, 0}, {3, 0.06, 0}};
      env = {0.08, 0, 1, 0.12};
      vibrato = 0.004;
      break;
    case Instrument::Strings:
      for (int n = 1; n <= 12; ++n) partials.push_back({double(n), 0.9 / n * std::exp(-n / 6.0), 0});
      env = {0.18, 0, 1, 0.45};
      vibrato = 0.003;
      vibratoDelay = 0.3;
      break;
    case Instrument::Organ:
      partials = {{1, 1, 0}, {2, 0.6, 0}, {3, 0.35, 0}, {4, 0.25, 0}, {6, 0.12, 0}, {8, 0.08, 0}};
      env = {0.02, 0, 1, 0.08};
      break;
    case Instrument::Pluck: {
      // Karplus-Strong: a noise burst in a delay line that damps itself.
      std::size_t period = std::max<std::size_t>(2, static_cast<std::size_t>(rate_ / freq));
      std::vector<double> line(period);
      Rng rng(static_cast<std::uint64_t>(freq * 1000) ^ 0x5EED);
      for (double& v : line) v = rng.range(-1, 1);
      std::size_t total = static_cast<std::size_t>((duration + 0.3) * rate_);
      std::size_t first = static_cast<std::size_t>(start * rate_);
      double prev = 0;
      for (std::size_t i = 0; i < total; ++i) {
        std::size_t k = i % period;
        double v = line[k];
        line[k] = 0.5 * (v + prev) * 0.996;
        prev = v;
        double t = static_cast<double>(i) / rate_;
        double fade = t > duration ? std::max(0.0, 1 - (t - duration) / 0.3) : 1;
        put(first + i, static_cast<float>(v * level * 0.6 * fade), g);
      }
      return;
    }
  }
  double total = duration + env.release;
  std::size_t count = static_cast<std::size_t>(total * rate_);
  std::size_t first = static_cast<std::size_t>(start * rate_);

  // A steady spectrum of whole harmonics is read from one period computed once.
  bool steady = inharmonic == 0;
  for (const Partial& p : partials) steady = steady && p.decay == 0 && p.ratio == std::floor(p.ratio);
  if (steady) {
    constexpr int kTable = 4096;
    std::vector<double> table(kTable + 1, 0.0);
    double norm = 0;
    for (const Partial& p : partials) {
      if (freq * p.ratio * detune[0] >= rate_ / 2.0) continue;
      for (int k = 0; k < kTable; ++k) table[k] += p.level * std::sin(2 * kPi * p.ratio * k / kTable + p.ratio * 0.7);
      norm += p.level;
    }
    if (norm <= 0) return;
    table[kTable] = table[0];
    norm *= static_cast<double>(detune.size());
    std::vector<double> phase(detune.size(), 0.0), step(detune.size());
    for (std::size_t d = 0; d < detune.size(); ++d) {
      step[d] = freq * detune[d] / rate_ * kTable;
      phase[d] = d * kTable / 3.0;
    }
    Phasor lfo(5.2, rate_);
    for (std::size_t i = 0; i < count; ++i) {
      double t = static_cast<double>(i) / rate_;
      double v = 0;
      for (std::size_t d = 0; d < detune.size(); ++d) {
        int k = static_cast<int>(phase[d]);
        double frac = phase[d] - k;
        v += table[k] + (table[k + 1] - table[k]) * frac;
        phase[d] += step[d];
        if (phase[d] >= kTable) phase[d] -= kTable;
      }
      double mod = lfo.next();
      if (vibrato > 0 && t > vibratoDelay) v *= 1 + vibrato * 8 * mod;
      v *= envelope(env, t, duration) / norm;
      put(first + i, static_cast<float>(v * level), g);
    }
    return;
  }

  std::vector<Phasor> osc;
  double norm = 0;
  for (const Partial& p : partials) {
    double f = freq * p.ratio * std::sqrt(1 + inharmonic * p.ratio * p.ratio);
    if (f >= rate_ / 2.0) {
      osc.emplace_back(0, rate_);
      continue;
    }
    osc.emplace_back(f, rate_, p.ratio * 0.7);
    norm += p.level;
  }
  if (norm <= 0) return;
  Phasor lfo(5.2, rate_);
  // Each partial's level decays by a constant factor per sample.
  std::vector<double> amp(partials.size()), fall(partials.size());
  for (std::size_t k = 0; k < partials.size(); ++k) {
    amp[k] = partials[k].level;
    fall[k] = std::exp(-partials[k].decay / rate_);
  }
  for (std::size_t i = 0; i < count; ++i) {
    double t = static_cast<double>(i) / rate_;
    double v = 0;
    for (std::size_t k = 0; k < partials.size(); ++k) {
      v += amp[k] * osc[k].next();
      amp[k] *= fall[k];
    }
    double mod = lfo.next();
    if (vibrato > 0 && t > vibratoDelay) {
      // Vibrato as a slight amplitude shimmer keeps the phasors exact.
      v *= 1 + vibrato * 8 * mod;
    }
    v *= envelope(env, t, duration) / norm;
    put(first + i, static_cast<float>(v * level), g);
  }
}

void Mix::kick(double start, float level) {
  const Gains g = gains(0);
  std::size_t first = static_cast<std::size_t>(start * rate_);
  double phase = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(0.35 * rate_); ++i) {
    double t = static_cast<double>(i) / rate_;
    double f = 45 + 110 * std::exp(-t * 30);
    phase += 2 * kPi * f / rate_;
    put(first + i, static_cast<float>(std::sin(phase) * std::exp(-t * 9) * level), g);
  }
}

void Mix::snare(double start, float level, float pan) {
  noise(start, 0.02, level * 0.8f, 800, 7000, static_cast<std::uint32_t>(start * 1000) + 11, 0.001f, 0.16f, pan);
  sweep(start, 0.06, 220, 160, level * 0.5f, pan);
}

void Mix::hat(double start, float level, float pan, bool open) {
  noise(start, 0.01, level, 6000, 16000, static_cast<std::uint32_t>(start * 1000) + 7, 0.001f, open ? 0.25f : 0.05f, pan);
}

void Mix::noise(double start, double duration, float level, float lowCut, float highCut, std::uint32_t seed, float attack,
                float release, float pan) {
  const Gains g = gains(pan);
  Rng rng(seed);
  std::size_t first = static_cast<std::size_t>(start * rate_);
  std::size_t count = static_cast<std::size_t>((duration + release) * rate_);
  double aHigh = 1 - std::exp(-2 * kPi * highCut / rate_), aLow = 1 - std::exp(-2 * kPi * lowCut / rate_);
  double lpHigh = 0, lpLow = 0;
  for (std::size_t i = 0; i < count; ++i) {
    double t = static_cast<double>(i) / rate_;
    double x = rng.range(-1, 1);
    lpHigh += aHigh * (x - lpHigh);
    lpLow += aLow * (x - lpLow);
    double band = lpHigh - lpLow;
    double env = std::min(1.0, t / std::max(attack, 1e-4f));
    if (t > duration) env *= std::max(0.0, 1 - (t - duration) / std::max(release, 1e-4f));
    put(first + i, static_cast<float>(band * env * level * 2), g);
  }
}

void Mix::sweep(double start, double duration, double f0, double f1, float level, float pan, int harmonics) {
  const Gains g = gains(pan);
  std::size_t first = static_cast<std::size_t>(start * rate_);
  std::size_t count = static_cast<std::size_t>(duration * rate_);
  double phase = 0;
  for (std::size_t i = 0; i < count; ++i) {
    double t = static_cast<double>(i) / std::max<std::size_t>(count, 1);
    double f = f0 * std::pow(f1 / f0, t);
    phase += 2 * kPi * f / rate_;
    double v = 0, norm = 0;
    for (int h = 1; h <= harmonics; ++h) {
      if (f * h >= rate_ / 2.0) break;
      v += std::sin(phase * h) / h;
      norm += 1.0 / h;
    }
    double env = std::min(1.0, t * duration / 0.005) * std::min(1.0, (1 - t) * duration / 0.02);
    put(first + i, static_cast<float>(v / std::max(norm, 1e-9) * env * level), g);
  }
}

void Mix::add(const std::vector<float>& mono, double start, float level, float pan) {
  std::size_t first = static_cast<std::size_t>(start * rate_);
  const Gains g = gains(pan);
  for (std::size_t i = 0; i < mono.size(); ++i) put(first + i, mono[i] * level, g);
}

void Mix::reverb(float wet, float roomSize) {
  // Four damped combs and two all-passes (the classic Schroeder arrangement), the
  // right channel's delays a little longer for width.
  const int combs[4] = {1116, 1188, 1277, 1356};
  const int passes[2] = {556, 441};
  double feedback = 0.7 + 0.28 * roomSize, damp = 0.25;
  for (int ch = 0; ch < channels_; ++ch) {
    int spread = ch * 23;
    std::vector<std::vector<double>> comb(4);
    std::vector<double> store(4, 0);
    std::vector<std::size_t> ci(4, 0);
    for (int k = 0; k < 4; ++k) comb[k].assign(static_cast<std::size_t>((combs[k] + spread) * rate_ / 44100.0), 0);
    std::vector<std::vector<double>> ap(2);
    std::vector<std::size_t> ai(2, 0);
    for (int k = 0; k < 2; ++k) ap[k].assign(static_cast<std::size_t>((passes[k] + spread) * rate_ / 44100.0), 0);
    for (std::size_t i = 0; i < frames_; ++i) {
      double in = at(i)[ch] * 0.015;
      double out = 0;
      for (int k = 0; k < 4; ++k) {
        double y = comb[k][ci[k]];
        store[k] = y * (1 - damp) + store[k] * damp;
        comb[k][ci[k]] = in + store[k] * feedback;
        ci[k] = (ci[k] + 1) % comb[k].size();
        out += y;
      }
      for (int k = 0; k < 2; ++k) {
        double b = ap[k][ai[k]];
        ap[k][ai[k]] = out + b * 0.5;
        ai[k] = (ai[k] + 1) % ap[k].size();
        out = b - out;
      }
      at(i)[ch] = static_cast<float>(at(i)[ch] * (1 - wet * 0.5) + out * wet * 3.0);
    }
  }
}

void Mix::lowPass(float cutoff) {
  double a = 1 - std::exp(-2 * kPi * cutoff / rate_);
  for (int ch = 0; ch < channels_; ++ch) {
    double y = 0;
    for (std::size_t i = 0; i < frames_; ++i) {
      y += a * (at(i)[ch] - y);
      at(i)[ch] = static_cast<float>(y);
    }
  }
}

void Mix::normalise(float peak) {
  float m = 0;
  for (float v : data_) m = std::max(m, std::fabs(v));
  if (m <= 0) return;
  float k = peak / m;
  for (float& v : data_) v *= k;
}

void Mix::fadeOut(double seconds) {
  std::size_t n = std::min(frames_, static_cast<std::size_t>(seconds * rate_));
  for (std::size_t i = 0; i < n; ++i) {
    float k = static_cast<float>(i) / n;
    for (int ch = 0; ch < channels_; ++ch) at(frames_ - 1 - i)[ch] *= k;
  }
}

void Mix::foldLoop(double length) {
  std::size_t n = std::min(frames_, static_cast<std::size_t>(length * rate_));
  if (n == 0) return;
  for (std::size_t i = n; i < frames_; ++i)
    for (int ch = 0; ch < channels_; ++ch) at(i % n)[ch] += at(i)[ch];
  frames_ = n;
  data_.resize(n * channels_);
}

AudioBuffer Mix::take() {
  AudioBuffer a;
  a.channels = channels_;
  a.rate = rate_;
  a.samples = data_;
  return a;
}

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

std::vector<TuneNote> parseTune(const std::string& tune) {
  std::vector<TuneNote> out;
  double beat = 0;
  std::size_t i = 0;
  auto number = [&](double fallback) {
    std::size_t j = i;
    while (j < tune.size() && (std::isdigit(static_cast<unsigned char>(tune[j])) || tune[j] == '.')) ++j;
    double v = j > i ? std::atof(tune.substr(i, j - i).c_str()) : fallback;
    i = j;
    return v;
  };
  while (i < tune.size()) {
    char c = tune[i];
    if (c == ' ') {
      ++i;
      continue;
    }
    int midi = -1;
    if (c == '-') {
      ++i;
    } else {
      static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
      char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (up < 'A' || up > 'G') {
        ++i;
        continue;
      }
      int semis = base[up - 'A'];
      ++i;
      if (i < tune.size() && tune[i] == '#') ++semis, ++i;
      if (i < tune.size() && tune[i] == 'b') --semis, ++i;
      int octave = static_cast<int>(number(4));
      midi = (octave + 1) * 12 + semis;
    }
    double length = 1;
    while (i < tune.size() && (tune[i] == '/' || tune[i] == '*')) {
      char op = tune[i++];
      double v = number(2);
      if (v <= 0) v = 1;
      length = op == '/' ? length / v : length * v;
    }
    out.push_back({beat, length, midi});
    beat += length;
  }
  return out;
}

}  // namespace ml::tools::synth
