#include "media/sound/midi_synth.h"

#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "media/sound/midi_file.h"

namespace ml {

namespace {

// After the last event, notes still ring out for this long before the stream stops.
constexpr std::size_t kTailFrames = 2 * 44100;
constexpr std::size_t kBlockFrames = 1024;

bool regularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// FluidSynth's own messages would land on standard error beside the game's reports;
// its failures come back to us as results instead.
void quietLog(int, const char*, void*) {}

}  // namespace

std::vector<std::string> MidiSynth::defaultSoundFonts() {
  std::vector<std::string> out;
  if (const char* env = std::getenv("MIRELUNE_SOUNDFONT"); env != nullptr && *env != '\0') out.push_back(env);
  for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2",
                        "/usr/share/soundfonts/FluidR3_GM.sf2"})
    out.emplace_back(p);
  return out;
}

MidiSynth::MidiSynth(std::vector<std::string> soundFonts) : candidates_(std::move(soundFonts)) {}

MidiSynth::~MidiSynth() {
  if (player_ != nullptr) delete_fluid_player(player_);
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

bool MidiSynth::prepare(std::string* why) {
  if (synth_ != nullptr) return true;
  std::string found;
  for (const std::string& c : candidates_)
    if (regularFile(c)) {
      found = c;
      break;
    }
  if (found.empty()) {
    if (why) *why = "General MIDI のサウンドフォントがありません (timgm6mb-soundfont を入れてください)";
    return false;
  }
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, quietLog, nullptr);
  settings_ = new_fluid_settings();
  if (settings_ == nullptr) {
    if (why) *why = "MIDI シンセサイザを作成できません";
    return false;
  }
  fluid_settings_setnum(settings_, "synth.sample-rate", AudioSource::kRate);
  fluid_settings_setnum(settings_, "synth.gain", 1.5);
  // The player follows the frames rendered, not the wall clock.
  fluid_settings_setstr(settings_, "player.timing-source", "sample");
  fluid_settings_setint(settings_, "synth.cpu-cores", 1);
  synth_ = new_fluid_synth(settings_);
  if (synth_ == nullptr || fluid_synth_sfload(synth_, found.c_str(), 1) == FLUID_FAILED) {
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    synth_ = nullptr;
    delete_fluid_settings(settings_);
    settings_ = nullptr;
    if (why) *why = "サウンドフォントを読み込めません: " + found;
    return false;
  }
  soundFont_ = found;
  scratch_.assign(2 * kBlockFrames, 0);
  return true;
}

bool MidiSynth::start(const std::vector<std::uint8_t>& bytes, std::string* why) {
  if (!prepare(why)) return false;
  MidiFileInfo info;
  if (!checkMidiFile(bytes.data(), bytes.size(), &info, why)) return false;
  if (player_ != nullptr) {
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
  }
  active_ = false;
  fluid_synth_system_reset(synth_);
  file_ = bytes;
  player_ = new_fluid_player(synth_);
  if (player_ == nullptr || fluid_player_add_mem(player_, file_.data(), file_.size()) != FLUID_OK ||
      fluid_player_play(player_) != FLUID_OK) {
    if (player_ != nullptr) delete_fluid_player(player_);
    player_ = nullptr;
    if (why) *why = "MIDI ファイルを再生できません";
    return false;
  }
  tailFrames_ = 0;
  active_ = true;
  return true;
}

void MidiSynth::renderBlock(std::int16_t* out, std::size_t frames) {
  fluid_synth_write_s16(synth_, static_cast<int>(frames), out, 0, 2, out, 1, 2);
  if (player_ != nullptr && fluid_player_get_status(player_) == FLUID_PLAYER_DONE) {
    tailFrames_ += frames;
    if (tailFrames_ >= kTailFrames) active_ = false;
  }
}

void MidiSynth::render(std::int16_t* out, std::size_t frames) {
  if (!active_ || synth_ == nullptr) {
    std::fill_n(out, 2 * frames, 0);
    return;
  }
  while (frames > 0) {
    const std::size_t n = std::min(frames, kBlockFrames);
    renderBlock(out, n);
    out += 2 * n;
    frames -= n;
  }
}

void MidiSynth::skip(std::size_t frames) {
  // The player moves on only as frames are made; they are made and dropped.
  while (active_ && frames > 0) {
    const std::size_t n = std::min(frames, kBlockFrames);
    renderBlock(scratch_.data(), n);
    frames -= n;
  }
}

}  // namespace ml
