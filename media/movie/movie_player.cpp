#include "media/movie/movie_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace ml {

namespace {

constexpr std::size_t kMaxFrames = 6;                 // decoded pictures ahead
constexpr std::size_t kAudioAhead = 44100;           // a second of sound ahead
constexpr std::size_t kMaxPendingPackets = 2048;     // video packets held back for the queue
constexpr double kMaxLeadSilence = 5.0;               // sound starting late is padded up to this
constexpr double kMaxTimeJump = 5.0;                  // seconds a frame may lie past the one before
// How long a consumer on the virtual clock waits for the decoder before it goes on
// without (only a file whose streams lie far apart in it gets there).
constexpr auto kVirtualWait = std::chrono::seconds(2);

std::string averror(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

struct MoviePlayer::Av {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  SwsContext* sws = nullptr;
  SwrContext* swr = nullptr;
  AVFrame* frame = nullptr;
  std::deque<AVPacket*> pendingVideo;
  std::vector<std::int16_t> converted;
  double startTime = 0;
  double frameStep = 1.0 / 25;
  int swsSrcW = 0, swsSrcH = 0, swsSrcFormat = -1, swsDstW = 0, swsDstH = 0;

  ~Av() {
    for (AVPacket* p : pendingVideo) av_packet_free(&p);
    av_frame_free(&frame);
    sws_freeContext(sws);
    swr_free(&swr);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    avformat_close_input(&format);
  }
};

MoviePlayer::MoviePlayer(bool realTime) : realTime_(realTime) {}

MoviePlayer::~MoviePlayer() { stop(); }

bool MoviePlayer::open(const std::string& hostPath, std::string* why) {
  auto fail = [&](std::string text) {
    if (why) *why = std::move(text);
    av_.reset();
    videoStream_ = audioStream_ = -1;
    return false;
  };
  // Damaged input makes FFmpeg talk on standard error; the player hears of it from us.
  av_log_set_level(AV_LOG_QUIET);
  av_ = std::make_unique<Av>();
  int rc = avformat_open_input(&av_->format, hostPath.c_str(), nullptr, nullptr);
  if (rc < 0) return fail("ムービーとして開けません (" + averror(rc) + ")");
  rc = avformat_find_stream_info(av_->format, nullptr);
  if (rc < 0) return fail("ムービーの形式が分かりません (" + averror(rc) + ")");
  auto openCodec = [&](AVMediaType type, AVCodecContext*& ctx) {
    const AVCodec* codec = nullptr;
    int index = av_find_best_stream(av_->format, type, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) return -1;
    ctx = avcodec_alloc_context3(codec);
    if (ctx == nullptr ||
        avcodec_parameters_to_context(ctx, av_->format->streams[index]->codecpar) < 0 ||
        avcodec_open2(ctx, codec, nullptr) < 0) {
      avcodec_free_context(&ctx);
      return -1;
    }
    return index;
  };
  videoStream_ = openCodec(AVMEDIA_TYPE_VIDEO, av_->video);
  audioStream_ = openCodec(AVMEDIA_TYPE_AUDIO, av_->audio);
  if (videoStream_ < 0 && audioStream_ < 0) return fail("再生できる映像も音声もありません");
  if (videoStream_ >= 0 && (av_->video->width <= 0 || av_->video->height <= 0))
    return fail("映像の大きさが不正です");
  if (audioStream_ >= 0) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&av_->swr, &stereo, AV_SAMPLE_FMT_S16, AudioSource::kRate, &av_->audio->ch_layout,
                            av_->audio->sample_fmt, av_->audio->sample_rate, 0, nullptr) < 0 ||
        swr_init(av_->swr) < 0) {
      // A sound track we cannot convert: the pictures still play.
      swr_free(&av_->swr);
      avcodec_free_context(&av_->audio);
      audioStream_ = -1;
      if (videoStream_ < 0) return fail("音声を変換できません");
    }
  }
  if (av_->format->start_time != AV_NOPTS_VALUE)
    av_->startTime = static_cast<double>(av_->format->start_time) / AV_TIME_BASE;
  if (videoStream_ >= 0) {
    AVRational rate = av_guess_frame_rate(av_->format, av_->format->streams[videoStream_], nullptr);
    if (rate.num > 0 && rate.den > 0) av_->frameStep = av_q2d(av_inv_q(rate));
  }
  av_->frame = av_frame_alloc();
  if (av_->frame == nullptr) return fail("メモリが足りません");
  return true;
}

void MoviePlayer::setDestination(int width, int height) {
  std::lock_guard<std::mutex> lock(m_);
  destWidth_ = std::clamp(width, 1, kWidth);
  destHeight_ = std::clamp(height, 1, kHeight);
}

bool MoviePlayer::start(bool withSound) {
  if (!av_ || started_) return false;
  withSound_ = withSound;
  started_ = true;
  thread_ = std::thread([this] { decodeLoop(); });
  return true;
}

void MoviePlayer::stop() {
  {
    std::lock_guard<std::mutex> lock(m_);
    stopRequested_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(m_);
  decoderDone_ = true;
  frames_.clear();
  audio_.clear();
  audioRead_ = 0;
}

void MoviePlayer::decodeLoop() {
  AVPacket* packet = av_packet_alloc();
  bool eof = false;
  for (;;) {
    AVPacket* video = nullptr;
    bool haveVideo = false;
    {
      std::unique_lock<std::mutex> lock(m_);
      changed_.wait(lock, [&] {
        if (stopRequested_) return true;
        const bool frameRoom = frames_.size() < kMaxFrames;
        if (frameRoom && !av_->pendingVideo.empty()) return true;
        if (eof) return av_->pendingVideo.empty();
        const bool wantSound = audioStream_ >= 0 && withSound_ && audioBuffered() < kAudioAhead;
        return av_->pendingVideo.size() < kMaxPendingPackets && (frameRoom || wantSound);
      });
      if (stopRequested_) break;
      if (frames_.size() < kMaxFrames && !av_->pendingVideo.empty()) {
        video = av_->pendingVideo.front();
        av_->pendingVideo.pop_front();
        haveVideo = true;
      } else if (eof) {
        break;
      }
    }
    if (haveVideo) {
      decodeVideoPacket(video);
      if (video != nullptr) av_packet_free(&video);
      continue;
    }
    const int rc = av_read_frame(av_->format, packet);
    if (rc < 0) {
      // The end, or a damaged stream from here on: what was decoded is played.
      eof = true;
      if (videoStream_ >= 0) {
        std::lock_guard<std::mutex> lock(m_);
        av_->pendingVideo.push_back(nullptr);  // drains the decoder
      }
      if (audioStream_ >= 0) decodeAudioPacket(nullptr);
      {
        std::lock_guard<std::mutex> lock(m_);
        audioEnded_ = true;
      }
      changed_.notify_all();
      continue;
    }
    if (packet->stream_index == videoStream_) {
      std::lock_guard<std::mutex> lock(m_);
      av_->pendingVideo.push_back(av_packet_clone(packet));
    } else if (packet->stream_index == audioStream_) {
      decodeAudioPacket(packet);
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  {
    std::lock_guard<std::mutex> lock(m_);
    decoderDone_ = true;
  }
  changed_.notify_all();
}

bool MoviePlayer::decodeVideoPacket(void* p) {
  AVPacket* packet = static_cast<AVPacket*>(p);
  // A null packet here is the end marker: the decoder gives out what it holds.
  if (avcodec_send_packet(av_->video, packet) < 0 && packet != nullptr) return false;
  while (avcodec_receive_frame(av_->video, av_->frame) >= 0) {
    pushVideoFrame(av_->frame);
    av_frame_unref(av_->frame);
  }
  return true;
}

void MoviePlayer::pushVideoFrame(void* f) {
  AVFrame* frame = static_cast<AVFrame*>(f);
  const AVStream* stream = av_->format->streams[videoStream_];
  const double expected = lastVideoTime_ < 0 ? 0 : lastVideoTime_ + av_->frameStep;
  double time = expected;
  if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
    time = static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base) - av_->startTime;
  // A spoilt time stamp far off would hold the picture (and the movie's end) for
  // ever: the frame keeps the place the frame rate gives it.
  if (!(time >= 0) || time > expected + kMaxTimeJump) time = expected;
  lastVideoTime_ = time;

  int dw, dh;
  {
    std::lock_guard<std::mutex> lock(m_);
    dw = destWidth_;
    dh = destHeight_;
  }
  // The picture's shape, with its pixel aspect, fitted into the destination.
  double aspect = static_cast<double>(frame->width) / std::max(frame->height, 1);
  if (frame->sample_aspect_ratio.num > 0 && frame->sample_aspect_ratio.den > 0)
    aspect *= av_q2d(frame->sample_aspect_ratio);
  if (!(aspect > 0.01 && aspect < 100)) aspect = 4.0 / 3.0;
  int fw = dw, fh = static_cast<int>(std::lround(dw / aspect));
  if (fh > dh) {
    fh = dh;
    fw = std::max(1, static_cast<int>(std::lround(dh * aspect)));
  }
  fw = std::clamp(fw, 1, dw);
  fh = std::clamp(fh, 1, dh);
  const int ox = (dw - fw) / 2, oy = (dh - fh) / 2;
  if (av_->sws == nullptr || av_->swsSrcW != frame->width || av_->swsSrcH != frame->height ||
      av_->swsSrcFormat != frame->format || av_->swsDstW != fw || av_->swsDstH != fh) {
    sws_freeContext(av_->sws);
    av_->sws = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), fw, fh,
                              AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    av_->swsSrcW = frame->width;
    av_->swsSrcH = frame->height;
    av_->swsSrcFormat = frame->format;
    av_->swsDstW = fw;
    av_->swsDstH = fh;
  }
  if (av_->sws == nullptr) return;
  Frame out;
  out.time = time;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (!spare_.empty()) {
      out.pixels = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  out.pixels.assign(static_cast<std::size_t>(kWidth) * kHeight, 0xFF000000u);
  std::uint8_t* dst[4] = {reinterpret_cast<std::uint8_t*>(out.pixels.data() + oy * kWidth + ox), nullptr, nullptr,
                          nullptr};
  int dstStride[4] = {kWidth * 4, 0, 0, 0};
  sws_scale(av_->sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
  for (int y = oy; y < oy + fh; ++y)
    for (int x = ox; x < ox + fw; ++x) out.pixels[static_cast<std::size_t>(y) * kWidth + x] |= 0xFF000000u;
  {
    std::lock_guard<std::mutex> lock(m_);
    frames_.push_back(std::move(out));
  }
  changed_.notify_all();
}

void MoviePlayer::decodeAudioPacket(void* p) {
  AVPacket* packet = static_cast<AVPacket*>(p);
  if (avcodec_send_packet(av_->audio, packet) < 0 && packet != nullptr) return;
  const AVStream* stream = av_->format->streams[audioStream_];
  while (avcodec_receive_frame(av_->audio, av_->frame) >= 0) {
    AVFrame* frame = av_->frame;
    if (!audioStarted_) {
      audioStarted_ = true;
      // Sound that begins after the pictures keeps its place.
      if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
        const double lead =
            static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base) - av_->startTime;
        // Only a plausible gap; a spoilt stamp starts the sound at once.
        if (lead > 0 && lead <= kMaxLeadSilence) {
          std::vector<std::int16_t> silence(2 * static_cast<std::size_t>(lead * AudioSource::kRate), 0);
          pushAudio(silence.data(), silence.size() / 2);
        }
      }
    }
    const int capacity = swr_get_out_samples(av_->swr, frame->nb_samples);
    if (capacity > 0) {
      av_->converted.resize(2 * static_cast<std::size_t>(capacity));
      std::uint8_t* out = reinterpret_cast<std::uint8_t*>(av_->converted.data());
      const int n = swr_convert(av_->swr, &out, capacity, const_cast<const std::uint8_t**>(frame->extended_data),
                                frame->nb_samples);
      if (n > 0) pushAudio(av_->converted.data(), static_cast<std::size_t>(n));
    }
    av_frame_unref(frame);
  }
  if (packet == nullptr) {
    // What the converter still holds.
    const int capacity = swr_get_out_samples(av_->swr, 0);
    if (capacity > 0) {
      av_->converted.resize(2 * static_cast<std::size_t>(capacity));
      std::uint8_t* out = reinterpret_cast<std::uint8_t*>(av_->converted.data());
      const int n = swr_convert(av_->swr, &out, capacity, nullptr, 0);
      if (n > 0) pushAudio(av_->converted.data(), static_cast<std::size_t>(n));
    }
  }
}

void MoviePlayer::pushAudio(const std::int16_t* samples, std::size_t frames) {
  if (!withSound_) return;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (audioRead_ > 0 && audioRead_ * 2 >= audio_.size()) {
      audio_.erase(audio_.begin(), audio_.begin() + static_cast<std::ptrdiff_t>(audioRead_));
      audioRead_ = 0;
    }
    audio_.insert(audio_.end(), samples, samples + 2 * frames);
  }
  changed_.notify_all();
}

std::size_t MoviePlayer::takeAudio(std::int16_t* out, std::size_t frames, std::unique_lock<std::mutex>& lock) {
  if (!realTime_ && started_ && !gaveUp_) {
    // On the virtual clock the sound is waited for, so the run is the same every time.
    if (!changed_.wait_for(lock, kVirtualWait,
                           [&] { return decoderDone_ || audioEnded_ || audioBuffered() >= frames; }))
      gaveUp_ = true;
  }
  const std::size_t n = std::min(frames, audioBuffered());
  if (out != nullptr) std::copy_n(audio_.data() + audioRead_, 2 * n, out);
  audioRead_ += 2 * n;
  audioTaken_ += n;
  return n;
}

void MoviePlayer::render(std::int16_t* out, std::size_t frames) {
  std::size_t n = 0;
  {
    std::unique_lock<std::mutex> lock(m_);
    if (withSound_ && audioStream_ >= 0) n = takeAudio(out, frames, lock);
  }
  std::fill(out + 2 * n, out + 2 * frames, std::int16_t{0});
  changed_.notify_all();
}

void MoviePlayer::skip(std::size_t frames) {
  {
    std::unique_lock<std::mutex> lock(m_);
    if (withSound_ && audioStream_ >= 0) takeAudio(nullptr, frames, lock);
  }
  changed_.notify_all();
}

std::uint64_t MoviePlayer::soundFramesPlayed() {
  std::lock_guard<std::mutex> lock(m_);
  return audioTaken_;
}

const std::uint32_t* MoviePlayer::frameDue(std::uint32_t elapsedMs) {
  std::unique_lock<std::mutex> lock(m_);
  if (!started_) return nullptr;
  const bool soundClock = withSound_ && audioStream_ >= 0;
  double now = elapsedMs / 1000.0;
  if (soundClock) {
    now = static_cast<double>(audioTaken_) / AudioSource::kRate;
    // Once the sound ran out, the pictures go on by the wall clock.
    if ((decoderDone_ || audioEnded_) && audioBuffered() == 0) {
      if (!drainedSeen_) {
        drainedSeen_ = true;
        drainedAtMs_ = elapsedMs;
      }
      now += (elapsedMs - drainedAtMs_) / 1000.0;
    }
  }
  if (!realTime_ && !gaveUp_) {
    if (!changed_.wait_for(lock, kVirtualWait, [&] {
          return decoderDone_ || (!frames_.empty() && frames_.back().time > now) || frames_.size() >= kMaxFrames;
        }))
      gaveUp_ = true;
  }
  bool fresh = false;
  while (!frames_.empty() && frames_.front().time <= now) {
    if (shownAny_) spare_.push_back(std::move(shown_.pixels));
    shown_ = std::move(frames_.front());
    frames_.pop_front();
    shownAny_ = true;
    fresh = true;
  }
  lock.unlock();
  changed_.notify_all();
  return fresh ? shown_.pixels.data() : nullptr;
}

bool MoviePlayer::finished() {
  std::lock_guard<std::mutex> lock(m_);
  if (!started_) return false;
  if (!decoderDone_ || !frames_.empty()) return false;
  return !(withSound_ && audioStream_ >= 0) || audioBuffered() == 0;
}

}  // namespace ml
