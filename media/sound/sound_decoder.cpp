#include "media/sound/sound_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace ml {

namespace {

// The "data" chunk as a stream for libvorbisfile.
struct MemorySource {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
};

size_t memoryRead(void* out, size_t size, size_t count, void* source) {
  auto* m = static_cast<MemorySource*>(source);
  if (size == 0) return 0;
  const size_t want = std::min(count, (m->size - m->pos) / size);
  std::memcpy(out, m->data + m->pos, want * size);
  m->pos += want * size;
  return want;
}

int memorySeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<MemorySource*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(m->pos);
  else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(m->size);
  const ogg_int64_t to = base + offset;
  if (to < 0 || to > static_cast<ogg_int64_t>(m->size)) return -1;
  m->pos = static_cast<size_t>(to);
  return 0;
}

long memoryTell(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->pos); }

constexpr ov_callbacks kMemoryCallbacks = {memoryRead, memorySeek, nullptr, memoryTell};

}  // namespace

struct SoundDecoder::Vorbis {
  MemorySource source;
  OggVorbis_File file{};
  bool open = false;
  bool ended = false;
  ~Vorbis() {
    if (open) ov_clear(&file);
  }
};

SoundDecoder::SoundDecoder() = default;
SoundDecoder::~SoundDecoder() = default;

bool SoundDecoder::open(std::vector<std::uint8_t> file, const SoundErrors& errors) {
  ogg_.reset();
  vorbis_ = false;
  length_ = 0;
  sourcePos_ = 0;
  if (!wave_.open(std::move(file), errors) || !wave_.readFormat(errors) || !wave_.findData(errors))
    return false;
  const WaveFormat& f = wave_.format();
  std::uint64_t limit = kMaxDecodedBytes;
  if (f.tag == kWaveTagPcm) {
    const bool usable = (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.channels >= 1 &&
                        f.channels <= 2 && f.rate >= 1000 && f.rate <= 192000 &&
                        f.blockAlign == f.channels * f.bitsPerSample / 8;
    if (!usable) {
      errors.mmSystem(138, kAcmNotPossible);
      return false;
    }
    format_ = {f.channels, static_cast<int>(f.rate)};
    limit = std::min<std::uint64_t>(limit, wave_.data().size() / f.blockAlign * f.channels * 2);
  } else if (f.tag == kWaveTagVorbis || f.tag == kWaveTagVorbis3) {
    ogg_ = std::make_unique<Vorbis>();
    ogg_->source = {wave_.data().data(), wave_.data().size(), 0};
    if (ov_open_callbacks(&ogg_->source, &ogg_->file, nullptr, 0, kMemoryCallbacks) != 0) {
      ogg_.reset();
      errors.mmSystem(138, kAcmNotPossible);
      return false;
    }
    ogg_->open = true;
    const vorbis_info* info = ov_info(&ogg_->file, -1);
    if (info == nullptr || info->channels != f.channels || info->channels < 1 || info->channels > 2 ||
        info->rate < 1000 || info->rate > 192000) {
      ogg_.reset();
      errors.mmSystem(138, kAcmNotPossible);
      return false;
    }
    format_ = {info->channels, static_cast<int>(info->rate)};
    vorbis_ = true;
    const ogg_int64_t total = ov_pcm_total(&ogg_->file, -1);
    if (total >= 0) limit = std::min<std::uint64_t>(limit, static_cast<std::uint64_t>(total) * f.channels * 2);
  } else {
    errors.mmSystem(138, kAcmNotPossible);
    return false;
  }
  length_ = std::min<std::uint64_t>(std::uint64_t(f.channels) * wave_.sampleCount() * 2, limit);
  return true;
}

std::size_t SoundDecoder::produce(std::uint8_t* out, std::size_t n) {
  if (!vorbis_) {
    const std::span<const std::uint8_t> data = wave_.data();
    if (wave_.format().bitsPerSample == 16) {
      const std::size_t take = std::min(n & ~std::size_t(1), (data.size() - sourcePos_) & ~std::size_t(1));
      std::memcpy(out, data.data() + sourcePos_, take);
      sourcePos_ += take;
      return take;
    }
    // 8-bit samples are unsigned around 128.
    const std::size_t take = std::min(n / 2, data.size() - sourcePos_);
    for (std::size_t i = 0; i < take; ++i) {
      const std::int16_t s = static_cast<std::int16_t>((data[sourcePos_ + i] - 128) * 256);
      out[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
    }
    sourcePos_ += take;
    return take * 2;
  }
  if (!ogg_ || ogg_->ended) return 0;
  // Whole frames only: a shorter request would read as the end of the stream.
  const std::size_t frameBytes = static_cast<std::size_t>(format_.bytesPerFrame());
  std::size_t produced = 0;
  while (n - produced >= frameBytes) {
    int section = 0;
    const int want = static_cast<int>(std::min<std::size_t>((n - produced) / frameBytes * frameBytes, 1 << 16));
    const long got = ov_read(&ogg_->file, reinterpret_cast<char*>(out + produced), want, 0, 2, 1, &section);
    if (got == OV_HOLE) continue;
    if (got <= 0) {
      ogg_->ended = true;
      break;
    }
    // A chained stream that changes its layout ends the sound there.
    const vorbis_info* info = ov_info(&ogg_->file, section);
    if (info == nullptr || info->channels != format_.channels) {
      ogg_->ended = true;
      break;
    }
    produced += static_cast<std::size_t>(got);
  }
  return produced;
}

bool SoundDecoder::decodeAll(std::vector<std::uint8_t>& out, const SoundErrors& errors) {
  (void)errors;
  out.clear();
  std::size_t expected = static_cast<std::size_t>(length_);
  if (expected == 0 && !vorbis_) expected = wave_.data().size() * (wave_.format().bitsPerSample == 8 ? 2 : 1);
  out.resize(std::min<std::size_t>(std::max<std::size_t>(expected, 1 << 16), kMaxDecodedBytes));
  std::size_t have = 0;
  for (;;) {
    if (have == out.size()) {
      // Full at the expected length: grow only when the stream really goes on.
      std::uint8_t probe[4096];
      const std::size_t got = produce(probe, sizeof probe);
      if (got == 0 || out.size() >= kMaxDecodedBytes) break;
      out.resize(std::min<std::size_t>(std::max(out.size() * 2, have + got), kMaxDecodedBytes));
      const std::size_t keep = std::min(got, out.size() - have);
      std::memcpy(out.data() + have, probe, keep);
      have += keep;
      continue;
    }
    const std::size_t got = produce(out.data() + have, out.size() - have);
    if (got == 0) break;
    have += got;
  }
  out.resize(have);
  return true;
}

bool SoundDecoder::prepareProgressive(std::size_t chunkBytes, const SoundErrors& errors) {
  (void)errors;
  chunk_.assign(chunkBytes, 0);
  return true;
}

std::size_t SoundDecoder::decodeNext() {
  if (chunk_.empty()) return 0;
  std::size_t have = 0;
  while (have < chunk_.size()) {
    const std::size_t got = produce(chunk_.data() + have, chunk_.size() - have);
    if (got == 0) break;
    have += got;
  }
  return have;
}

void SoundDecoder::finish() {
  chunk_.clear();
  chunk_.shrink_to_fit();
  ogg_.reset();
}

}  // namespace ml
