// The opening movie "hoshifuru.mpg": four seconds of stars falling over the night
// sea and the title fading in, as MPEG-1 video with MPEG audio in an MPEG program
// stream, encoded with FFmpeg's libraries in bit-exact mode so that every run gives
// the same bytes. Built only when those libraries are there; otherwise skipped.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/assetgen/generators.h"
#include "tools/assetgen/scenery.h"
#include "tools/common/synth.h"

#ifdef MIRELUNE_ASSETGEN_MOVIE
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}
#endif

namespace ml::tools {
namespace {

constexpr int kW = 400, kH = 300, kFps = 25, kFrames = 100;

std::vector<RgbaImage> movieFrames(const TextPainter& text) {
  Canvas base(kW, kH, skyPaint(300, {{0, rgb(6, 8, 28)}, {0.55f, rgb(22, 32, 84)}, {1, rgb(64, 72, 136)}}));
  drawStars(base, 3001, 160, 200, 0.9f);
  drawMoon(base, 320, 60, 16, 1.0f);
  drawSea(base, 3002, 200, rgb(30, 44, 100), rgb(10, 14, 40), 320, rgb(230, 236, 255), 0.5f);
  Canvas title(kW, kH);
  TextStyleSpec spec;
  spec.face = "IPAPGothic";
  spec.height = 36;
  spec.style = 1;
  spec.tracking = 4;
  spec.fill = rgb(255, 240, 200);
  spec.glow = 10;
  spec.glowColour = rgb(120, 150, 255, 0.7f);
  drawLabel(title, text, "ほしふる浜で", 200, 110, spec, true);
  std::vector<RgbaImage> frames;
  Rng rng(3003);
  struct Meteor {
    float x, y, start, speed;
  };
  std::vector<Meteor> meteors;
  for (int i = 0; i < 7; ++i) meteors.push_back({rng.range(150, 420), rng.range(-20, 80), rng.range(0, 70), rng.range(5, 9)});
  for (int f = 0; f < kFrames; ++f) {
    Canvas c = base;
    for (const Meteor& m : meteors) {
      float age = f - m.start;
      if (age < 0 || age > 18) continue;
      float x = m.x - age * m.speed, y = m.y + age * m.speed * 0.5f;
      float fade = 1 - age / 18;
      c.glow(Shape::line(x, y, x + 40, y - 20, 1.2f),
             Paint::linear(x, y, x + 40, y - 20, {{0, rgb(255, 255, 255, 0.9f * fade)}, {1, rgb(150, 180, 255, 0)}}), 1.0f, 1.2f);
    }
    float t = static_cast<float>(f) / (kFrames - 1);
    c.drawCanvas(title, 0, 0, smoothstep(0.35f, 0.65f, t));
    // From black and back to black.
    float light = smoothstep(0.0f, 0.15f, t) * (1 - smoothstep(0.85f, 1.0f, t));
    c.draw(Shape::rect(0, 0, kW, kH), rgb(0, 0, 0, 1 - light));
    frames.push_back(c.toImage());
  }
  return frames;
}

AudioBuffer movieSound() {
  using namespace synth;
  Mix m(static_cast<double>(kFrames) / kFps, 2);
  for (int n : {60, 64, 67, 71}) m.note(Instrument::Pad, 0.2, 3.0, midiToHz(n), 0.15f);
  for (int k = 0; k < 6; ++k) m.note(Instrument::Bell, 0.6 + k * 0.4, 1.2, midiToHz(79 + (k * 5) % 12), 0.12f, k % 2 ? 0.5f : -0.5f);
  m.reverb(0.4f, 0.85f);
  m.fadeOut(0.6);
  m.normalise(0.7f);
  return m.take();
}

#ifdef MIRELUNE_ASSETGEN_MOVIE

struct Encoder {
  AVCodecContext* ctx = nullptr;
  AVStream* stream = nullptr;
};

bool sendAndWrite(AVFormatContext* oc, Encoder& e, AVFrame* frame) {
  if (avcodec_send_frame(e.ctx, frame) < 0) return false;
  AVPacket* pkt = av_packet_alloc();
  bool ok = true;
  for (;;) {
    int r = avcodec_receive_packet(e.ctx, pkt);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) {
      ok = false;
      break;
    }
    av_packet_rescale_ts(pkt, e.ctx->time_base, e.stream->time_base);
    pkt->stream_index = e.stream->index;
    if (av_interleaved_write_frame(oc, pkt) < 0) ok = false;
  }
  av_packet_free(&pkt);
  return ok;
}

bool encodeMovie(const std::vector<RgbaImage>& frames, const AudioBuffer& sound, std::vector<std::uint8_t>& out,
                 std::string& error) {
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, "mpeg", nullptr) < 0 || !oc) {
    error = "no MPEG muxer";
    return false;
  }
  oc->flags |= AVFMT_FLAG_BITEXACT;
  Encoder video, audio;
  bool ok = true;
  const AVCodec* vc = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (!vc || !ac) {
    error = "no MPEG-1 video or MPEG audio encoder";
    ok = false;
  }
  if (ok) {
    video.stream = avformat_new_stream(oc, nullptr);
    video.ctx = avcodec_alloc_context3(vc);
    video.ctx->width = kW;
    video.ctx->height = kH;
    video.ctx->time_base = {1, kFps};
    video.ctx->framerate = {kFps, 1};
    video.ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    video.ctx->bit_rate = 1200000;
    video.ctx->gop_size = 12;
    video.ctx->max_b_frames = 0;
    video.ctx->thread_count = 1;
    video.ctx->flags |= AV_CODEC_FLAG_BITEXACT;
    audio.stream = avformat_new_stream(oc, nullptr);
    audio.ctx = avcodec_alloc_context3(ac);
    audio.ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    audio.ctx->sample_rate = sound.rate;
    av_channel_layout_default(&audio.ctx->ch_layout, sound.channels);
    audio.ctx->bit_rate = 128000;
    audio.ctx->time_base = {1, sound.rate};
    audio.ctx->thread_count = 1;
    audio.ctx->flags |= AV_CODEC_FLAG_BITEXACT;
    ok = avcodec_open2(video.ctx, vc, nullptr) >= 0 && avcodec_open2(audio.ctx, ac, nullptr) >= 0 &&
         avcodec_parameters_from_context(video.stream->codecpar, video.ctx) >= 0 &&
         avcodec_parameters_from_context(audio.stream->codecpar, audio.ctx) >= 0;
    if (!ok) error = "the encoders refused their settings";
  }
  if (ok) {
    video.stream->time_base = video.ctx->time_base;
    audio.stream->time_base = audio.ctx->time_base;
    ok = avio_open_dyn_buf(&oc->pb) >= 0 && avformat_write_header(oc, nullptr) >= 0;
    if (!ok) error = "cannot start the MPEG stream";
  }
  if (ok) {
    AVFrame* vf = av_frame_alloc();
    vf->format = AV_PIX_FMT_YUV420P;
    vf->width = kW;
    vf->height = kH;
    AVFrame* af = av_frame_alloc();
    af->format = AV_SAMPLE_FMT_S16;
    af->sample_rate = sound.rate;
    av_channel_layout_copy(&af->ch_layout, &audio.ctx->ch_layout);
    af->nb_samples = audio.ctx->frame_size;
    ok = av_frame_get_buffer(vf, 0) >= 0 && av_frame_get_buffer(af, 0) >= 0;
    std::size_t audioPos = 0;
    std::int64_t audioPts = 0;
    for (int f = 0; ok && f < static_cast<int>(frames.size()); ++f) {
      // Audio up to this frame's time first, so the two streams interleave.
      while (ok && audioPos < sound.frames() && audioPts * kFps <= static_cast<std::int64_t>(f) * sound.rate) {
        ok = av_frame_make_writable(af) >= 0;
        auto* s16 = reinterpret_cast<std::int16_t*>(af->data[0]);
        for (int i = 0; i < af->nb_samples; ++i)
          for (int c = 0; c < sound.channels; ++c) {
            std::size_t at = audioPos + i;
            float v = at < sound.frames() ? sound.samples[at * sound.channels + c] : 0.0f;
            s16[i * sound.channels + c] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767));
          }
        af->pts = audioPts;
        audioPos += af->nb_samples;
        audioPts += af->nb_samples;
        ok = ok && sendAndWrite(oc, audio, af);
      }
      ok = ok && av_frame_make_writable(vf) >= 0;
      if (!ok) break;
      // RGB to BT.601 YUV 4:2:0.
      const RgbaImage& img = frames[f];
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const std::uint8_t* p = img.at(x, y);
          vf->data[0][y * vf->linesize[0] + x] = static_cast<std::uint8_t>((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) / 256 + 16);
        }
      for (int y = 0; y < kH / 2; ++y)
        for (int x = 0; x < kW / 2; ++x) {
          int r = 0, g = 0, b = 0;
          for (int k = 0; k < 4; ++k) {
            const std::uint8_t* p = img.at(x * 2 + (k & 1), y * 2 + (k >> 1));
            r += p[0];
            g += p[1];
            b += p[2];
          }
          r /= 4, g /= 4, b /= 4;
          vf->data[1][y * vf->linesize[1] + x] = static_cast<std::uint8_t>((-38 * r - 74 * g + 112 * b + 128) / 256 + 128);
          vf->data[2][y * vf->linesize[2] + x] = static_cast<std::uint8_t>((112 * r - 94 * g - 18 * b + 128) / 256 + 128);
        }
      vf->pts = f;
      ok = sendAndWrite(oc, video, vf);
    }
    ok = ok && sendAndWrite(oc, video, nullptr) && sendAndWrite(oc, audio, nullptr);
    ok = ok && av_write_trailer(oc) >= 0;
    if (!ok) error = "encoding failed";
    av_frame_free(&vf);
    av_frame_free(&af);
  }
  if (oc->pb) {
    std::uint8_t* buffer = nullptr;
    int size = avio_close_dyn_buf(oc->pb, &buffer);
    if (ok && size > 0) out.assign(buffer, buffer + size);
    av_free(buffer);
    oc->pb = nullptr;
  }
  avcodec_free_context(&video.ctx);
  avcodec_free_context(&audio.ctx);
  avformat_free_context(oc);
  return ok && !out.empty();
}

#endif

}  // namespace

void makeMovie(GenContext& ctx) {
#ifdef MIRELUNE_ASSETGEN_MOVIE
  av_log_set_level(AV_LOG_ERROR);
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!encodeMovie(movieFrames(ctx.text), movieSound(), bytes, error)) {
    std::fprintf(stderr, "mirelune-assetgen: hoshifuru.mpg: %s\n", error.c_str());
    return;
  }
  ctx.sink.looseFile("hoshifuru.mpg", bytes, "mpeg-1 400x300 25 fps 4 s, mpeg audio", "opening movie");
#else
  (void)ctx;
  (void)movieFrames;
  (void)movieSound;
  std::fputs("mirelune-assetgen: built without FFmpeg; the opening movie is not made\n", stderr);
#endif
}

}  // namespace ml::tools
