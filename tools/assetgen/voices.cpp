// Voices: the demo's lines spoken by its three characters, made with a small formant
// synthesiser from romanised Japanese (a pulse source shaped by three vowel
// resonances, noise for consonants, an intonation contour). They sound like murmured
// speech, which is what a demo needs. Names start with the character's three-letter
// prefix ("aoi", "rin", "sou"), as the engine pairs voices with sprites by it. Guide
// voices speak the window buttons' names.
#include <cctype>
#include <cmath>

#include "platform/sjis.h"
#include "tools/assetgen/generators.h"
#include "tools/common/synth.h"

namespace ml::tools {
namespace {

using namespace synth;

constexpr double kPi = 3.14159265358979323846;

struct Speaker {
  double pitch;    // Hz
  double formant;  // scale of the vowel resonances
  double rate;     // morae per second
  float breath;
};

const Speaker kAoi{235, 1.16, 7.5, 0.04f};
const Speaker kRin{270, 1.2, 8.5, 0.05f};
const Speaker kSou{122, 1.0, 7.0, 0.03f};

struct Formants {
  double f1, f2, f3;
};

Formants vowel(char v) {
  switch (v) {
    case 'a': return {800, 1250, 2600};
    case 'i': return {300, 2300, 3000};
    case 'u': return {350, 1350, 2400};
    case 'e': return {480, 1900, 2600};
    case 'o': return {480, 850, 2500};
    case 'n': return {260, 1200, 2500};  // the moraic nasal
    default: return {500, 1500, 2500};
  }
}

// A two-pole resonator whose centre can move from sample to sample: unity gain at
// 0 Hz (a vowel formant in a cascade), or with peak gain one (a noise band).
struct Resonator {
  double y1 = 0, y2 = 0;
  bool peakUnity = false;
  double run(double x, double freq, double bandwidth, int rate) {
    double r = std::exp(-kPi * bandwidth / rate);
    double theta = 2 * kPi * freq / rate;
    double c = -r * r, b = 2 * r * std::cos(theta);
    double a = peakUnity ? (1 - r) * std::sqrt(1 - 2 * r * std::cos(2 * theta) + r * r) : 1 - b - c;
    double y = a * x + b * y1 + c * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

struct Mora {
  std::string consonant;
  char vowel;  // a i u e o, n for the nasal, 0 for a pause
  double length;
};

// Romaji to morae: "kyou wa" -> kyo, u, wa. Punctuation makes pauses; "?" raises the
// end of the phrase.
std::vector<Mora> morae(const std::string& text, bool& question) {
  std::vector<Mora> out;
  question = false;
  std::string cons;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = sjis::foldAscii(text[i]);
    if (c == '?') question = true;
    if (c == ',' || c == '.' || c == '!' || c == '?') {
      out.push_back({"", 0, c == ',' ? 0.6 : 1.2});
      cons.clear();
      continue;
    }
    if (c == ' ') continue;
    if (std::string("aiueo").find(c) != std::string::npos) {
      out.push_back({cons, c, 1.0});
      cons.clear();
    } else if (c == 'n' && (i + 1 >= text.size() || std::string("aiueoy").find(sjis::foldAscii(text[i + 1])) == std::string::npos)) {
      out.push_back({"", 'n', 1.0});
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      if (!cons.empty() && cons.back() == c) {  // a doubled consonant: a short stop
        out.push_back({"", 0, 0.5});
        continue;
      }
      cons += c;
    }
  }
  return out;
}

std::vector<float> speak(const Speaker& sp, const std::string& text, std::uint64_t seed) {
  bool question = false;
  std::vector<Mora> ms = morae(text, question);
  double moraLen = 1.0 / sp.rate;
  double total = 0.15;
  for (const Mora& m : ms) total += m.length * moraLen;
  total += 0.25;
  const int rate = kRate;
  std::vector<float> out(static_cast<std::size_t>(total * rate), 0.0f);
  Rng rng(seed);
  Resonator r1, r2, r3, fric;
  fric.peakUnity = true;
  double phase = 0, t0 = 0.1;
  Formants prev = vowel('a');
  int voicedIndex = 0, voicedCount = 0;
  for (const Mora& m : ms)
    if (m.vowel) ++voicedCount;
  for (const Mora& m : ms) {
    double len = m.length * moraLen * rng.range(0.9f, 1.1f);
    std::size_t a = static_cast<std::size_t>(t0 * rate), b = std::min(out.size(), static_cast<std::size_t>((t0 + len) * rate));
    if (!m.vowel) {  // pause
      t0 += len;
      continue;
    }
    Formants target = vowel(m.vowel);
    const std::string& c = m.consonant;
    bool fricative = c.find('s') != std::string::npos || c.find('h') != std::string::npos || c.find('z') != std::string::npos ||
                     c.find('f') != std::string::npos;
    bool plosive = c.find('k') != std::string::npos || c.find('t') != std::string::npos || c.find('p') != std::string::npos ||
                   c.find('g') != std::string::npos || c.find('d') != std::string::npos || c.find('b') != std::string::npos;
    bool nasal = c.find('m') != std::string::npos || c.find('n') != std::string::npos;
    double consLen = fricative ? 0.35 : (plosive ? 0.22 : (nasal ? 0.3 : 0.15));
    // Intonation: a gentle fall over the phrase, a rise on the first morae and, for
    // questions, at the end.
    double progress = voicedCount > 1 ? static_cast<double>(voicedIndex) / (voicedCount - 1) : 0;
    ++voicedIndex;
    for (std::size_t i = a; i < b; ++i) {
      double u = static_cast<double>(i - a) / std::max<std::size_t>(1, b - a);
      double p = progress + u / std::max(voicedCount, 1);
      double contour = 1.0 - 0.18 * p + (p < 0.15 ? 0.1 * p / 0.15 : 0.1);
      if (question && p > 0.8) contour += (p - 0.8) * 1.4;
      double f0 = sp.pitch * contour * (1 + 0.01 * std::sin(2 * kPi * 5.5 * i / rate));
      double k = std::min(1.0, u / 0.35);
      Formants f{(prev.f1 + (target.f1 - prev.f1) * k) * sp.formant, (prev.f2 + (target.f2 - prev.f2) * k) * sp.formant,
                 (prev.f3 + (target.f3 - prev.f3) * k) * sp.formant};
      if (nasal && u < consLen) f = {260 * sp.formant, (c.find('m') != std::string::npos ? 1000 : 1500) * sp.formant, 2500 * sp.formant};
      // Source: a falling-slope pulse per period, softened; aspiration noise on top.
      phase += f0 / rate;
      if (phase >= 1) phase -= 1;
      double pulse = (phase < 0.6 ? std::sin(kPi * phase / 0.6) : 0) - 0.38;
      double voiced = 1.0, noiseAmt = sp.breath;
      if (u < consLen) {
        if (plosive) {
          bool closure = u < consLen * 0.6;
          bool voicedStop = c.find('g') != std::string::npos || c.find('d') != std::string::npos || c.find('b') != std::string::npos;
          voiced = closure ? (voicedStop ? 0.15 : 0.0) : 0.5;
          noiseAmt = closure ? 0.0 : 0.6;
        } else if (fricative) {
          voiced = c.find('z') != std::string::npos ? 0.4 : 0.0;
          noiseAmt = 0.5;
        } else if (nasal) {
          voiced = 0.55;
        }
      }
      double n = rng.range(-1, 1);
      double src = pulse * voiced + n * noiseAmt * 0.4;
      double v = r3.run(r2.run(r1.run(src, f.f1, 80, rate), f.f2, 110, rate), f.f3, 170, rate);
      double s = v * 0.02;
      if (fricative && u < consLen) {
        double centre = c.find("sh") != std::string::npos ? 3200 : (c.find('s') != std::string::npos || c.find('z') != std::string::npos ? 5500 : 1800);
        s += fric.run(n, centre, 1500, rate) * 0.12;
      }
      // Soft edges at the start and end of the voiced stretch.
      double edge = std::min(1.0, std::min(u / 0.08, (1 - u) / 0.12 + 0.6));
      out[i] += static_cast<float>(s * edge);
    }
    prev = target;
    t0 += len;
  }
  // Normalise, then a short fade at both ends.
  float peak = 0;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  if (peak > 0)
    for (float& v : out) v *= 0.8f / peak;
  return out;
}

AudioBuffer voice(const Speaker& sp, const std::string& text, std::uint64_t seed) {
  std::vector<float> mono = speak(sp, text, seed);
  Mix m(mono.size() / static_cast<double>(kRate) + 0.3, 1);
  m.add(mono, 0, 1.0f);
  m.reverb(0.08f, 0.3f);
  m.normalise(0.8f);
  return m.take();
}

struct Line {
  const char* file;
  const Speaker* speaker;
  const char* text;
  const char* note;
};

// The demo's voiced lines, spoken from their romanised text.
const Line kLines[] = {
    {"aoi001.wav", &kAoi, "dashita n da kedo, nandaka kiru ki ga shinakute.", "Aoi: I took it out, but I don't feel like wearing it"},
    {"aoi002.wav", &kAoi, "un. koko ja nai to, yakusoku ni naranai.", "Aoi: it has to be here, or it's no promise"},
    {"aoi003.wav", &kAoi, "hontou wa, itte hoshikunai. rin ga inai natsu nante, souzou dekinai.",
     "Aoi: I don't want you to go"},
    {"rin001.wav", &kRin, "aoii! mou shitaku dekitaa?", "Rin: Aoi, are you ready?"},
    {"rin002.wav", &kRin, "waa, kotoshi mo kingyo sukui deteru! ato de zettai yarou ne.", "Rin: goldfish scooping!"},
    {"rin003.wav", &kRin, "tsumeta! demo, kore kore. natsu no aji.", "Rin: cold! the taste of summer"},
    {"rin004.wav", &kRin, "yappari, saigo wa koko da yo ne.", "Rin: it had to end here"},
    {"rin005.wav", &kRin, "aa.", "Rin: ah"},
    {"sou001.wav", &kSou, "ooi, soko no futari. hiyakashi nara kaeree.", "Sou: you two, buy something or go home"},
    {"sou002.wav", &kSou, "you. tokutouseki, tottoite yatta zo.", "Sou: I kept you the best seats"},
    {"sou003.wav", &kSou, "ooi, maniatta! kore, senbetsu. uchi no mise no, ichigo shiroppu.",
     "Sou: made it! a parting gift, strawberry syrup"},
};

// What the guide voices say for window buttons 1 to 9.
const char* kGuideWords[] = {"rogu", "roodo", "seebu", "modoru", "susumu", "sukippu", "ooto", "settei", "kesu"};

}  // namespace

void makeVoices(GenContext& ctx) {
  std::uint64_t seed = 2001;
  for (const Line& l : kLines)
    ctx.sink.vorbisWave(l.file, voice(*l.speaker, l.text, seed++), 0.2f, std::string("voice: ") + l.note);
  struct Guide {
    const char* prefix;
    const Speaker* speaker;
    const char* name;
  };
  const Guide guides[] = {{"gv_aoi", &kAoi, "Aoi"}, {"gv_rin", &kRin, "Rin"}, {"gv_sou", &kSou, "Sou"}};
  for (const Guide& g : guides)
    for (int m = 1; m <= 9; ++m) {
      char name[32];
      std::snprintf(name, sizeof name, "%s_%02d.wav", g.prefix, m);
      ctx.sink.vorbisWave(name, voice(*g.speaker, kGuideWords[m - 1], seed++), 0.2f,
                          std::string("guide voice (") + g.name + ") for window button " + std::to_string(m));
    }
}

}  // namespace ml::tools
