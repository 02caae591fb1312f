// A runtime on the headless platform with its sound open and recorded, plus makers of
// small test movies (MPEG-1 video in solid colours and an MPEG audio tone, encoded
// with FFmpeg) and MIDI files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "engine/engine_fixture.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/headless/headless_platform.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"
#include "media/sound/midi_synth.h"
#include "scene/media_control.h"
#include "scene/scene_services.h"
#include "tools/common/midi_writer.h"

namespace ml::test {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  int r, g, b;
};

// One colour per second of the movie, kFps frames each, and a 440 Hz tone throughout
// (or none).
inline bool encodeTestMovie(const std::string& path, const std::vector<Rgb>& seconds, bool withSound) {
  constexpr int kW = 160, kH = 120, kFps = 25, kRate = 44100;
  av_log_set_level(AV_LOG_ERROR);
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, "mpeg", path.c_str()) < 0 || !oc) return false;
  const AVCodec* vc = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (!vc || !ac) return false;
  AVStream* vs = avformat_new_stream(oc, nullptr);
  AVCodecContext* v = avcodec_alloc_context3(vc);
  v->width = kW;
  v->height = kH;
  v->time_base = {1, kFps};
  v->framerate = {kFps, 1};
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->bit_rate = 400000;
  v->gop_size = 5;
  v->max_b_frames = 0;
  AVStream* as = nullptr;
  AVCodecContext* a = nullptr;
  bool ok = avcodec_open2(v, vc, nullptr) >= 0 && avcodec_parameters_from_context(vs->codecpar, v) >= 0;
  vs->time_base = v->time_base;
  if (withSound) {
    as = avformat_new_stream(oc, nullptr);
    a = avcodec_alloc_context3(ac);
    a->sample_fmt = AV_SAMPLE_FMT_S16;
    a->sample_rate = kRate;
    av_channel_layout_default(&a->ch_layout, 2);
    a->bit_rate = 128000;
    a->time_base = {1, kRate};
    ok = ok && avcodec_open2(a, ac, nullptr) >= 0 && avcodec_parameters_from_context(as->codecpar, a) >= 0;
    as->time_base = a->time_base;
  }
  ok = ok && avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(oc, nullptr) >= 0;
  auto send = [&](AVCodecContext* ctx, AVStream* st, AVFrame* f) {
    if (avcodec_send_frame(ctx, f) < 0) return false;
    AVPacket* p = av_packet_alloc();
    while (avcodec_receive_packet(ctx, p) >= 0) {
      av_packet_rescale_ts(p, ctx->time_base, st->time_base);
      p->stream_index = st->index;
      av_interleaved_write_frame(oc, p);
    }
    av_packet_free(&p);
    return true;
  };
  AVFrame* vf = av_frame_alloc();
  vf->format = AV_PIX_FMT_YUV420P;
  vf->width = kW;
  vf->height = kH;
  AVFrame* af = av_frame_alloc();
  ok = ok && av_frame_get_buffer(vf, 0) >= 0;
  if (a) {
    af->format = AV_SAMPLE_FMT_S16;
    af->sample_rate = kRate;
    av_channel_layout_copy(&af->ch_layout, &a->ch_layout);
    af->nb_samples = a->frame_size;
    ok = ok && av_frame_get_buffer(af, 0) >= 0;
  }
  const int frames = static_cast<int>(seconds.size()) * kFps;
  const std::int64_t totalSamples = static_cast<std::int64_t>(seconds.size()) * kRate;
  std::int64_t apts = 0;
  for (int f = 0; ok && f < frames; ++f) {
    while (a && apts < totalSamples && apts * kFps <= static_cast<std::int64_t>(f) * kRate) {
      av_frame_make_writable(af);
      auto* s = reinterpret_cast<std::int16_t*>(af->data[0]);
      for (int i = 0; i < af->nb_samples; ++i)
        s[2 * i] = s[2 * i + 1] = static_cast<std::int16_t>(12000 * std::sin(6.283185307 * 440.0 * static_cast<double>(apts + i) / kRate));
      af->pts = apts;
      apts += af->nb_samples;
      ok = send(a, as, af);
    }
    av_frame_make_writable(vf);
    const Rgb c = seconds[static_cast<std::size_t>(f / kFps)];
    const int y = (66 * c.r + 129 * c.g + 25 * c.b + 128) / 256 + 16;
    const int u = (-38 * c.r - 74 * c.g + 112 * c.b + 128) / 256 + 128;
    const int w = (112 * c.r - 94 * c.g - 18 * c.b + 128) / 256 + 128;
    for (int row = 0; row < kH; ++row) std::fill_n(vf->data[0] + row * vf->linesize[0], kW, static_cast<std::uint8_t>(y));
    for (int row = 0; row < kH / 2; ++row) {
      std::fill_n(vf->data[1] + row * vf->linesize[1], kW / 2, static_cast<std::uint8_t>(u));
      std::fill_n(vf->data[2] + row * vf->linesize[2], kW / 2, static_cast<std::uint8_t>(w));
    }
    vf->pts = f;
    ok = send(v, vs, vf);
  }
  if (ok) {
    send(v, vs, nullptr);
    if (a) send(a, as, nullptr);
    ok = av_write_trailer(oc) >= 0;
  }
  av_frame_free(&vf);
  av_frame_free(&af);
  avcodec_free_context(&v);
  avcodec_free_context(&a);
  avio_closep(&oc->pb);
  avformat_free_context(oc);
  return ok;
}

// A short tune: a few piano notes from the start, lasting about `beats` half-seconds.
inline Bytes testMidi(int beats = 4) {
  tools::MidiSong song;
  song.bpm = 120;
  song.programs = {{0, 0}};
  for (int i = 0; i < beats; ++i) song.notes.push_back({static_cast<double>(i), 0.9, 60 + 2 * i, 110, 0});
  return tools::writeMidi(song);
}

// The MIDI tests need a General MIDI soundfont (Debian timgm6mb-soundfont).
inline bool haveSoundFont() {
  MidiSynth probe;
  return probe.prepare(nullptr);
}

class MovieTest : public EngineTest {
 protected:
  MovieTest() : EngineTest(Options{"movie", true}) {}

  std::string path(const std::string& relative) const { return (dir_ / relative).string(); }
  void writeText(const std::string& relative, const std::string& text) { writeFile(relative, text); }
  ScriptContext& load(const std::string& utf8) { return loadCrlf(utf8); }
  // The media control the scene installed.
  GameMediaControl& mci() { return dynamic_cast<GameMediaControl&>(rt->mediaControl()); }
  std::vector<RecordingReporter::Entry> mciErrors() const {
    std::vector<RecordingReporter::Entry> out;
    for (const auto& e : reporter.entries)
      if (e.message == SJ("ＭＣＩエラー")) out.push_back(e);
    return out;
  }
  // Peak level of the recorded sound over frames [from, to).
  int peak(std::uint64_t from, std::uint64_t to) const {
    const auto& s = platform.recordedAudio();
    int p = 0;
    for (std::uint64_t i = 2 * from; i < 2 * to && i < s.size(); ++i) p = std::max(p, std::abs(static_cast<int>(s[i])));
    return p;
  }
};

}  // namespace ml::test
