#include "scene/media_control.h"

#include <cerrno>
#include <cstdlib>

#include "engine/runtime.h"
#include "media/movie/movie_player.h"
#include "media/sound/midi_file.h"
#include "media/sound/midi_synth.h"
#include "media/sound/sound_device.h"
#include "platform/posix/file_handle.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

// No MIDI file of a game comes near this; a larger one is refused before it is read.
constexpr std::int64_t kMaxMidiBytes = 16 << 20;

std::vector<std::string> splitWords(std::string_view command) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && (command[i] == ' ' || command[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < command.size() && command[i] != ' ' && command[i] != '\t') ++i;
    if (i > start) words.emplace_back(command.substr(start, i - start));
  }
  return words;
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool isMidiName(std::string_view name) {
  return sjis::endsWithFolded(name, ".mid") || sjis::endsWithFolded(name, ".midi") ||
         sjis::endsWithFolded(name, ".rmi");
}

bool parseInt(const std::string& word, int& out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < -1000000 || v > 1000000) return false;
  out = static_cast<int>(v);
  return true;
}

// A level 0-255 as the channels turn it into hundredths of a decibel.
int attenuationOf(int level) {
  const int a = 15 * level - 3825;
  return a <= -3800 ? -10000 : a;
}

}  // namespace

GameMediaControl::GameMediaControl(Runtime& rt, SoundDevice* device)
    : GameMediaControl(rt, device, MidiSynth::defaultSoundFonts()) {}

GameMediaControl::GameMediaControl(Runtime& rt, SoundDevice* device, std::vector<std::string> soundFonts)
    : rt_(rt), device_(device), soundFonts_(std::move(soundFonts)) {}

GameMediaControl::~GameMediaControl() {
  closeMovie();
  if (midiAttached_ && device_ != nullptr) {
    SoundDevice::Lock lock(*device_);
    device_->mixer().setStream(Mixer::kMidiStream, nullptr);
  }
}

std::uint32_t GameMediaControl::fail(std::uint32_t code, std::string detailUtf8) {
  lastError_ = code;
  lastDetail_ = std::move(detailUtf8);
  return code;
}

std::string GameMediaControl::errorText(std::uint32_t code) {
  std::string text;
  switch (code) {
    case 0: text = "エラーはありません"; break;
    case kMciUnrecognizedKeyword: text = "コマンドに使えないキーワードがあります"; break;
    case kMciUnrecognizedCommand: text = "認識できないコマンドです"; break;
    case kMciInvalidDeviceName: text = "開かれていないデバイス名です"; break;
    case kMciDeviceOpen: text = "このデバイス名は既に使われています"; break;
    case kMciBadInteger: text = "数値が不正です"; break;
    case kMciMissingParameter: text = "パラメータが足りません"; break;
    case kMciUnsupportedFunction: text = "このデバイスではその操作はできません"; break;
    case kMciFileNotFound: text = "ファイルが見つかりません"; break;
    case kMciDriver: text = "デバイスを準備できません"; break;
    case kMciMissingDeviceName: text = "デバイス名がありません"; break;
    case kMciInvalidFile: text = "このファイルは再生できません"; break;
    default: text = "未定義のエラーです"; break;
  }
  if (code == lastError_ && !lastDetail_.empty()) text += ": " + lastDetail_;
  return utf8ToSjis(text);
}

std::uint32_t GameMediaControl::send(std::string_view command, std::string* returned) {
  lastError_ = 0;
  lastDetail_.clear();
  const std::vector<std::string> words = splitWords(command);
  std::uint32_t code = 0;
  if (words.empty()) code = fail(kMciUnrecognizedCommand, {});
  else if (words.size() < 2) code = fail(kMciMissingDeviceName, {});
  else if (sameWord(words[0], "open")) code = open(words);
  else if (sameWord(words[0], "window")) code = window(words);
  else if (sameWord(words[0], "play")) code = play(words);
  else if (sameWord(words[0], "put")) code = put(words);
  else if (sameWord(words[0], "close")) code = close(words);
  else code = fail(kMciUnrecognizedCommand, words[0]);
  if (returned != nullptr) *returned = code == 0 ? std::string() : errorText(code);
  return code;
}

std::uint32_t GameMediaControl::open(const std::vector<std::string>& words) {
  const std::string& alias = words[1];
  bool midi = isMidiName(alias);
  if (words.size() == 4 && sameWord(words[2], "type")) {
    if (sameWord(words[3], "MPEGVideo")) midi = false;
    else if (sameWord(words[3], "sequencer")) midi = true;
    else return fail(kMciInvalidDeviceName, words[3]);
  } else if (words.size() != 2) {
    return fail(kMciUnrecognizedKeyword, words[2]);
  }
  if ((movie_ && sameWord(alias, movieAlias_)) || (!midi && sameWord(alias, midiAlias_)))
    return fail(kMciDeviceOpen, alias);
  const std::string host = rt_.media.folder.resolveForReading(alias);
  FileHandle file;
  if (host.empty() || !rt_.media.folder.open(alias, file)) return fail(kMciFileNotFound, sjisToUtf8(alias));

  if (!midi) {
    if (movie_) return fail(kMciDeviceOpen, sjisToUtf8(movieAlias_));
    auto player = std::make_unique<MoviePlayer>(rt_.platform.realTime());
    std::string why;
    if (!player->open(host, &why)) return fail(kMciInvalidFile, why);
    movie_ = std::move(player);
    movieAlias_ = alias;
    moviePlaying_ = false;
    notifyPending_ = false;
    return 0;
  }

  const std::int64_t size = file.size();
  std::vector<std::uint8_t> bytes;
  if (size <= 0 || size > kMaxMidiBytes || !file.readAll(bytes))
    return fail(kMciInvalidFile, "MIDI ファイルを読めません");
  if (!midi_) midi_ = std::make_unique<MidiSynth>(soundFonts_);
  std::string why;
  if (!midi_->prepare(&why)) return fail(kMciDriver, why);
  if (!checkMidiFile(bytes.data(), bytes.size(), nullptr, &why)) return fail(kMciInvalidFile, why);
  // One tune at a time: opening another takes the synthesiser over.
  midiAlias_ = alias;
  midiBytes_ = std::move(bytes);
  return 0;
}

std::uint32_t GameMediaControl::window(const std::vector<std::string>& words) {
  const std::string& alias = words[1];
  if (!midiAlias_.empty() && sameWord(alias, midiAlias_)) return fail(kMciUnsupportedFunction, "window");
  if (!movie_ || !sameWord(alias, movieAlias_)) return fail(kMciInvalidDeviceName, sjisToUtf8(alias));
  if (words.size() < 4) return fail(kMciMissingParameter, "handle");
  if (!sameWord(words[2], "handle")) return fail(kMciUnrecognizedKeyword, words[2]);
  if (words.size() > 4) return fail(kMciUnrecognizedKeyword, words[4]);
  int handle = 0;
  if (!parseInt(words[3], handle) || handle != kMainWindowHandle) return fail(kMciBadInteger, words[3]);
  return 0;
}

void GameMediaControl::attachMidi() {
  if (device_ == nullptr || !device_->valid() || midiAttached_) return;
  SoundDevice::Lock lock(*device_);
  device_->mixer().setStream(Mixer::kMidiStream, midi_.get());
  midiAttached_ = true;
}

std::uint32_t GameMediaControl::play(const std::vector<std::string>& words) {
  const std::string& alias = words[1];
  bool notify = false;
  if (words.size() > 3) return fail(kMciUnrecognizedKeyword, words[3]);
  if (words.size() == 3) {
    if (!sameWord(words[2], "notify")) return fail(kMciUnrecognizedKeyword, words[2]);
    notify = true;
  }
  if (movie_ && sameWord(alias, movieAlias_)) {
    if (!moviePlaying_) {
      const bool withSound = device_ != nullptr && device_->valid() && movie_->hasAudio();
      movie_->start(withSound);
      if (withSound) {
        SoundDevice::Lock lock(*device_);
        appliedAttenuation_ = musicAttenuation();
        device_->mixer().setStream(Mixer::kMovieStream, movie_.get(), gainsFor(appliedAttenuation_, 0));
      }
      movieStartMs_ = rt_.platform.ticks();
      moviePlaying_ = true;
    }
    notifyPending_ = notify;
    return 0;
  }
  if (!midiAlias_.empty() && sameWord(alias, midiAlias_)) {
    std::string why;
    const int attenuation = musicAttenuation();
    bool started;
    if (device_ != nullptr && device_->valid()) {
      attachMidi();
      SoundDevice::Lock lock(*device_);
      device_->mixer().setStream(Mixer::kMidiStream, midi_.get(), gainsFor(attenuation, 0));
      appliedAttenuation_ = attenuation;
      started = midi_->start(midiBytes_, &why);
    } else {
      started = midi_->start(midiBytes_, &why);
    }
    if (!started) return fail(kMciInvalidFile, why);
    midiNotify_ = notify;
    return 0;
  }
  return fail(kMciInvalidDeviceName, sjisToUtf8(alias));
}

std::uint32_t GameMediaControl::put(const std::vector<std::string>& words) {
  const std::string& alias = words[1];
  if (!midiAlias_.empty() && sameWord(alias, midiAlias_)) return fail(kMciUnsupportedFunction, "put");
  if (!movie_ || !sameWord(alias, movieAlias_)) return fail(kMciInvalidDeviceName, sjisToUtf8(alias));
  if (words.size() < 8) return fail(kMciMissingParameter, "destination at x y width height");
  if (!sameWord(words[2], "destination")) return fail(kMciUnrecognizedKeyword, words[2]);
  if (!sameWord(words[3], "at")) return fail(kMciUnrecognizedKeyword, words[3]);
  if (words.size() > 8) return fail(kMciUnrecognizedKeyword, words[8]);
  int v[4];
  for (int i = 0; i < 4; ++i)
    if (!parseInt(words[4 + static_cast<std::size_t>(i)], v[i])) return fail(kMciBadInteger, words[4 + static_cast<std::size_t>(i)]);
  if (v[2] <= 0 || v[3] <= 0) return fail(kMciBadInteger, words[v[2] <= 0 ? 6 : 7]);
  // The picture always starts at the game area's corner; the size is what counts.
  movie_->setDestination(v[2], v[3]);
  return 0;
}

void GameMediaControl::closeMovie() {
  if (!movie_) return;
  if (device_ != nullptr) {
    SoundDevice::Lock lock(*device_);
    if (device_->mixer().stream(Mixer::kMovieStream) == movie_.get())
      device_->mixer().setStream(Mixer::kMovieStream, nullptr);
  }
  movie_->stop();
  movie_.reset();
  movieAlias_.clear();
  moviePlaying_ = false;
  notifyPending_ = false;
}

std::uint32_t GameMediaControl::close(const std::vector<std::string>& words) {
  const std::string& alias = words[1];
  if (words.size() > 2) return fail(kMciUnrecognizedKeyword, words[2]);
  if (movie_ && sameWord(alias, movieAlias_)) {
    closeMovie();
    return 0;
  }
  if (!midiAlias_.empty() && sameWord(alias, midiAlias_)) {
    if (device_ != nullptr && midiAttached_) {
      SoundDevice::Lock lock(*device_);
      device_->mixer().setStream(Mixer::kMidiStream, nullptr);
      midiAttached_ = false;
    }
    midi_.reset();
    midiAlias_.clear();
    midiBytes_.clear();
    midiNotify_ = false;
    return 0;
  }
  return fail(kMciInvalidDeviceName, sjisToUtf8(alias));
}

int GameMediaControl::musicAttenuation() const {
  const Settings& s = rt_.media.settings;
  return s.volume.bgmOn ? attenuationOf(s.volume.bgm) : -10000;
}

void GameMediaControl::followMusicVolume() {
  // Only while something of ours plays through the device.
  if (!(movie_ && moviePlaying_) && !midiAttached_) return;
  if (device_ == nullptr || !device_->valid()) return;
  const int attenuation = musicAttenuation();
  if (attenuation == appliedAttenuation_) return;
  appliedAttenuation_ = attenuation;
  SoundDevice::Lock lock(*device_);
  Mixer& mixer = device_->mixer();
  for (int slot : {Mixer::kMovieStream, Mixer::kMidiStream})
    if (MixStream* stream = mixer.stream(slot)) mixer.setStream(slot, stream, gainsFor(attenuation, 0));
}

void GameMediaControl::service() {
  // The option dialog stays open while a movie or a tune plays: its music volume and
  // switch are heard at once.
  followMusicVolume();
  if (movie_ && moviePlaying_) {
    if (const std::uint32_t* pixels = movie_->frameDue(rt_.platform.ticks() - movieStartMs_)) {
      PresentRequest frame;
      frame.pixels = pixels;
      rt_.platform.present(frame);
    }
    if (notifyPending_ && movie_->finished()) {
      notifyPending_ = false;
      rt_.requests().mciNotified = true;
    }
  }
  if (midiNotify_ && midi_) {
    bool active;
    if (device_ != nullptr && midiAttached_) {
      SoundDevice::Lock lock(*device_);
      active = midi_->active();
    } else {
      active = false;  // nobody renders it: it is over at once
    }
    if (!active) {
      midiNotify_ = false;
      rt_.requests().mciNotified = true;
    }
  }
}

}  // namespace ml
