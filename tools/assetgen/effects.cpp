// Sound effects (channel 2) and interface sounds (channel 3). Loopable effects
// (waves, wind, rain, steps) fold their tails onto their starts like the music. Most
// are Vorbis WAVE; the interface sounds and two effects are plain 16-bit PCM WAVE.
#include <cmath>

#include "tools/assetgen/generators.h"
#include "tools/common/synth.h"

namespace ml::tools {
namespace {

using namespace synth;

AudioBuffer finish(Mix& m, float peak = 0.8f) {
  m.normalise(peak);
  return m.take();
}

AudioBuffer knock() {
  Mix m(1.0, 1);
  for (int k = 0; k < 2; ++k) {
    double t = 0.05 + k * 0.24;
    m.sweep(t, 0.08, 180, 90, 0.8f, 0, 3);
    m.noise(t, 0.005, 0.5f, 200, 2500, 31 + k, 0.001f, 0.06f);
    m.noise(t + 0.01, 0.06, 0.12f, 1500, 5000, 35 + k, 0.005f, 0.08f);  // the paper panes rattle
  }
  m.reverb(0.2f, 0.5f);
  return finish(m);
}

AudioBuffer door() {
  Mix m(1.6, 2);
  // A creak: a slow, rough glide; then the latch and a soft thud.
  for (int h = 0; h < 3; ++h) m.sweep(0.05, 0.7, 320 + h * 37, 410 + h * 23, 0.15f, -0.3f, 6);
  m.noise(0.05, 0.7, 0.08f, 300, 3000, 41, 0.1f, 0.1f, -0.3f);
  m.noise(0.85, 0.01, 0.6f, 1500, 8000, 42, 0.001f, 0.03f, 0.2f);
  m.sweep(0.95, 0.18, 120, 60, 0.9f, 0, 2);
  m.reverb(0.3f, 0.6f);
  return finish(m);
}

AudioBuffer steps() {
  Mix m(2.4, 2);
  for (int k = 0; k < 4; ++k) {
    double t = k * 0.6;
    float pan = k % 2 ? 0.2f : -0.2f;
    m.sweep(t, 0.05, 110, 70, 0.6f, pan, 2);
    m.noise(t, 0.03, 0.35f, 300, 4000, 51 + k, 0.002f, 0.08f, pan);
  }
  m.reverb(0.15f, 0.4f);
  m.foldLoop(2.4);
  return finish(m, 0.7f);
}

AudioBuffer chime() {
  Mix m(7.0, 2);
  const int notes[] = {64, 60, 62, 55, 55, 62, 64, 60};
  for (int k = 0; k < 8; ++k) m.note(Instrument::Bell, 0.1 + k * 0.65, 1.5, midiToHz(notes[k]), 0.5f, k % 2 ? 0.3f : -0.3f);
  m.reverb(0.5f, 0.9f);
  m.fadeOut(0.8);
  return finish(m);
}

// A wind chime in a soft breeze, looping.
AudioBuffer windChime() {
  const double length = 6.0;
  Mix m(length + 2.5, 2);
  Rng rng(61);
  const int notes[] = {88, 91, 93, 95, 98};
  for (int k = 0; k < 9; ++k)
    m.note(Instrument::Bell, rng.range(0, static_cast<float>(length)), 1.2, midiToHz(notes[rng.below(5)]), rng.range(0.2f, 0.4f),
           rng.range(-0.6f, 0.6f));
  m.noise(0, length, 0.08f, 200, 900, 62, 1.5f, 1.5f);
  m.reverb(0.4f, 0.7f);
  m.foldLoop(length);
  return finish(m, 0.7f);
}

// Festival drums: a taiko pattern with a rim click, looping.
AudioBuffer taiko() {
  const double beat = 60.0 / 120, length = 8 * beat;
  Mix m(length + 1.5, 2);
  const double hits[] = {0, 1, 1.5, 2, 3, 4, 5, 5.5, 6, 6.5, 7};
  for (double h : hits) {
    bool strong = h == 0 || h == 4;
    m.sweep(h * beat, 0.3, strong ? 110 : 130, 60, strong ? 0.9f : 0.6f, -0.1f, 2);
    m.noise(h * beat, 0.02, 0.25f, 100, 1200, static_cast<std::uint32_t>(h * 10) + 150, 0.001f, 0.15f, -0.1f);
  }
  for (double h : {0.5, 2.5, 4.5, 6.5, 7.5}) m.noise(h * beat, 0.005, 0.3f, 2000, 8000, static_cast<std::uint32_t>(h * 10) + 170, 0.001f, 0.03f, 0.3f);
  m.reverb(0.3f, 0.8f);
  m.foldLoop(length);
  return finish(m, 0.8f);
}

AudioBuffer splash() {
  Mix m(1.2, 2);
  m.noise(0.0, 0.08, 0.7f, 400, 7000, 181, 0.002f, 0.3f);
  Rng rng(182);
  for (int k = 0; k < 14; ++k)
    m.sweep(rng.range(0.02f, 0.4f), 0.03, rng.range(900, 1600), rng.range(1800, 3200), rng.range(0.08f, 0.2f), rng.range(-0.5f, 0.5f), 1);
  m.reverb(0.15f, 0.4f);
  return finish(m, 0.7f);
}

// A firework: a rising whistle, the burst, and crackles falling away.
AudioBuffer firework() {
  Mix m(4.0, 2);
  m.sweep(0.0, 1.1, 900, 2400, 0.25f, -0.2f, 2);
  m.noise(1.15, 0.05, 1.0f, 30, 900, 191, 0.001f, 1.2f, 0.1f);
  m.sweep(1.15, 0.4, 90, 40, 0.8f, 0.1f, 2);
  Rng rng(192);
  for (int k = 0; k < 40; ++k)
    m.noise(1.4 + rng.range(0, 1.6f), 0.004, rng.range(0.1f, 0.35f), 2000, 9000, 193 + k, 0.001f, 0.02f, rng.range(-0.8f, 0.8f));
  m.reverb(0.45f, 0.9f);
  return finish(m, 0.75f);
}

AudioBuffer waves() {
  const double length = 8.0;
  Mix m(length + 3, 2);
  for (int k = 0; k < 3; ++k) {
    double t = k * length / 3;
    m.noise(t, 1.4, 0.5f, 150, 1800, 71 + k, 0.9f, 1.8f, k % 2 ? 0.4f : -0.4f);
    m.noise(t + 0.6, 0.6, 0.25f, 2000, 9000, 74 + k, 0.3f, 1.4f, k % 2 ? -0.3f : 0.3f);
  }
  m.reverb(0.2f, 0.7f);
  m.foldLoop(length);
  return finish(m, 0.7f);
}

AudioBuffer wind() {
  const double length = 6.0;
  Mix m(length + 2, 2);
  m.noise(0, length, 0.3f, 200, 900, 81, 1.5f, 1.5f, -0.3f);
  m.noise(1.5, length - 1, 0.25f, 300, 1400, 82, 1.5f, 1.5f, 0.3f);
  for (int h = 0; h < 2; ++h) m.sweep(1.0 + h * 2.5, 2.0, 380, 520 - h * 60, 0.03f, h ? 0.5f : -0.5f, 1);
  m.foldLoop(length);
  return finish(m, 0.6f);
}

AudioBuffer rain() {
  const double length = 4.0;
  Mix m(length + 1, 2);
  m.noise(0, length, 0.35f, 800, 12000, 91, 0.01f, 0.5f, -0.2f);
  m.noise(0, length, 0.35f, 800, 12000, 92, 0.01f, 0.5f, 0.2f);
  Rng rng(93);
  for (int k = 0; k < 60; ++k) {
    double t = rng.range(0, static_cast<float>(length));
    m.sweep(t, 0.025, rng.range(1800, 3500), rng.range(900, 1400), rng.range(0.05f, 0.15f), rng.range(-0.8f, 0.8f), 1);
  }
  m.foldLoop(length);
  return finish(m, 0.6f);
}

AudioBuffer heartbeat() {
  Mix m(1.0, 1);
  for (double t : {0.05, 0.30}) m.sweep(t, 0.12, 70, 45, t < 0.1 ? 1.0f : 0.75f, 0, 2);
  m.foldLoop(1.0);
  return finish(m);
}

AudioBuffer phone() {
  Mix m(2.4, 2);
  for (int burst = 0; burst < 2; ++burst)
    for (int k = 0; k < 14; ++k) {
      double t = burst * 1.2 + k * 0.05;
      m.sweep(t, 0.045, k % 2 ? 1280 : 1600, k % 2 ? 1280 : 1600, 0.4f, 0.1f, 3);
    }
  m.reverb(0.1f, 0.3f);
  return finish(m, 0.7f);
}

AudioBuffer sparkle() {
  Mix m(2.5, 2);
  for (int k = 0; k < 12; ++k)
    m.note(Instrument::Bell, 0.05 + k * 0.08, 0.8, midiToHz(84 + (k * 5) % 17), 0.3f, (k % 5) * 0.4f - 0.8f);
  m.noise(0, 1.2, 0.05f, 6000, 14000, 101, 0.3f, 0.8f);
  m.reverb(0.5f, 0.85f);
  m.fadeOut(0.4);
  return finish(m, 0.7f);
}

AudioBuffer thunder() {
  Mix m(4.0, 2);
  m.noise(0.0, 0.05, 0.9f, 300, 6000, 111, 0.001f, 0.3f, 0.3f);
  m.noise(0.1, 1.2, 0.8f, 25, 220, 112, 0.05f, 2.2f, -0.2f);
  m.noise(0.4, 0.8, 0.5f, 30, 160, 113, 0.2f, 1.8f, 0.3f);
  m.reverb(0.4f, 0.9f);
  return finish(m, 0.7f);
}

AudioBuffer blip(double f0, double f1, double duration, float level) {
  Mix m(duration + 0.1, 1);
  m.sweep(0.0, duration, f0, f1, level, 0, 3);
  m.note(Instrument::Bell, 0.0, duration, f1 * 2, level * 0.3f);
  return finish(m, 0.6f);
}

AudioBuffer pageTurn() {
  Mix m(0.5, 1);
  m.noise(0.0, 0.15, 0.4f, 1500, 9000, 121, 0.06f, 0.15f);
  m.noise(0.05, 0.05, 0.25f, 400, 3000, 122, 0.01f, 0.1f);
  return finish(m, 0.5f);
}

AudioBuffer savedChime() {
  Mix m(1.5, 2);
  m.note(Instrument::Bell, 0.0, 0.4, midiToHz(79), 0.4f, -0.2f);
  m.note(Instrument::Bell, 0.12, 0.8, midiToHz(84), 0.4f, 0.2f);
  m.reverb(0.3f, 0.6f);
  return finish(m, 0.6f);
}

}  // namespace

void makeEffects(GenContext& ctx) {
  AssetSink& s = ctx.sink;
  s.pcmWave("se_knock.wav", knock(), "effect: two knocks on a sliding door");
  s.vorbisWave("se_wind.wav", windChime(), 0.2f, "effect: a wind chime in the breeze (loops)");
  s.vorbisWave("se_taiko.wav", taiko(), 0.25f, "effect: festival drums (loops)");
  s.vorbisWave("se_splash.wav", splash(), 0.2f, "effect: a small splash of water");
  s.vorbisWave("se_hanabi.wav", firework(), 0.2f, "effect: a firework, whistle and burst");
  s.vorbisWave("se_kira.wav", sparkle(), 0.2f, "effect: a shooting-star sparkle");
  s.vorbisWave("se_wave.wav", waves(), 0.2f, "effect: waves on the beach (loops)");
  s.vorbisWave("se_door.wav", door(), 0.2f, "effect: a door opens and closes");
  s.vorbisWave("se_steps.wav", steps(), 0.2f, "effect: footsteps (loops)");
  s.vorbisWave("se_chime.wav", chime(), 0.2f, "effect: the school chime");
  s.vorbisWave("se_breeze.wav", wind(), 0.2f, "effect: wind (loops)");
  s.vorbisWave("se_rain.wav", rain(), 0.2f, "effect: rain (loops)");
  s.pcmWave("se_heart.wav", heartbeat(), "effect: a heartbeat (loops)");
  s.vorbisWave("se_phone.wav", phone(), 0.2f, "effect: a telephone rings");
  s.vorbisWave("se_thunder.wav", thunder(), 0.2f, "effect: distant thunder");
  s.pcmWave("sys_hover.wav", blip(1800, 2200, 0.05, 0.4f), "interface: pointer over a button");
  s.pcmWave("sys_click.wav", blip(900, 1400, 0.09, 0.6f), "interface: a button pressed");
  s.pcmWave("sys_cancel.wav", blip(900, 500, 0.12, 0.6f), "interface: cancel");
  s.pcmWave("sys_page.wav", pageTurn(), "interface: page turn");
  s.pcmWave("sys_save.wav", savedChime(), "interface: saved");
}

}  // namespace ml::tools
