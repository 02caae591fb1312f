// One movie: FFmpeg demuxes and decodes it on its own thread into a bounded queue of
// frames, already scaled into the 800x600 game area, and a buffer of 44100 Hz stereo
// sound that the mixer pulls as a stream. The main thread only takes the frame that is
// due by the sound clock and presents it.
//
// On a virtual clock (headless runs) the consumers wait for the decoder instead of
// taking what happens to be ready, so every run shows and hears the same.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/sound/mixer.h"

namespace ml {

class MoviePlayer final : public MixStream {
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;

  // realTime false: the virtual clock (see above).
  explicit MoviePlayer(bool realTime);
  ~MoviePlayer() override;
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  // Opens the file and its decoders; false with the reason (UTF-8) when it is not a
  // movie FFmpeg can play.
  bool open(const std::string& hostPath, std::string* why);
  // The rectangle at (0, 0) the picture is fitted into (its aspect kept, black around).
  void setDestination(int width, int height);
  // Starts decoding. withSound false: nobody pulls the sound (no output device), so
  // it is dropped and the pictures follow the wall clock.
  bool start(bool withSound);
  // The frame due at elapsedMs since start when it is a new one, else nullptr. The
  // pointer stays valid until the next call.
  const std::uint32_t* frameDue(std::uint32_t elapsedMs);
  // Everything was shown and heard.
  bool finished();
  // Stops the decoder; the stream stays silent afterwards.
  void stop();

  bool hasVideo() const { return videoStream_ >= 0; }
  bool hasAudio() const { return audioStream_ >= 0; }
  // Frames of sound the mixer has taken.
  std::uint64_t soundFramesPlayed();
  // When (seconds from the start) the frame frameDue handed out last is due; main
  // thread only.
  double shownFrameTime() const { return shown_.time; }

  void render(std::int16_t* out, std::size_t frames) override;
  void skip(std::size_t frames) override;

 private:
  struct Frame {
    double time = 0;  // seconds from the start
    std::vector<std::uint32_t> pixels;
  };
  struct Av;

  void decodeLoop();
  bool decodeVideoPacket(void* packet);
  void decodeAudioPacket(void* packet);
  void pushVideoFrame(void* frame);
  void pushAudio(const std::int16_t* samples, std::size_t frames);
  std::size_t audioBuffered() const { return (audio_.size() - audioRead_) / 2; }
  // Takes up to frames of sound (lock held); the rest is silence.
  std::size_t takeAudio(std::int16_t* out, std::size_t frames, std::unique_lock<std::mutex>& lock);

  const bool realTime_;
  std::unique_ptr<Av> av_;
  int videoStream_ = -1;
  int audioStream_ = -1;
  int destWidth_ = kWidth, destHeight_ = kHeight;
  bool withSound_ = true;

  std::mutex m_;
  std::condition_variable changed_;
  std::thread thread_;
  bool stopRequested_ = false;
  bool decoderDone_ = false;
  bool started_ = false;
  std::deque<Frame> frames_;
  std::vector<std::vector<std::uint32_t>> spare_;
  std::vector<std::int16_t> audio_;
  std::size_t audioRead_ = 0;
  std::uint64_t audioTaken_ = 0;
  bool audioStarted_ = false;
  bool audioEnded_ = false;  // no more sound will come
  // A wait on the virtual clock ran out (a file whose streams lie far apart): from then
  // on nobody waits, the movie just plays on.
  bool gaveUp_ = false;
  double lastVideoTime_ = -1;

  // Main thread only.
  Frame shown_;
  bool shownAny_ = false;
  std::uint32_t drainedAtMs_ = 0;
  bool drainedSeen_ = false;
};

}  // namespace ml
