#include "tools/common/wave_writer.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/common/byte_writer.h"

namespace ml::tools {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// RIFF header, "fmt ", "fact" and "data" around the given data bytes.
std::vector<std::uint8_t> riffWave(std::uint16_t tag, int channels, int rate, std::uint32_t avgBytes,
                                   std::uint16_t blockAlign, std::uint16_t bits, bool extendedFmt,
                                   bool withFact, std::uint32_t frames,
                                   const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out;
  out.reserve(size + 64);
  putTag(out, "RIFF");
  putLe32(out, 0);  // patched
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  putLe32(out, extendedFmt ? 18 : 16);
  putLe16(out, tag);
  putLe16(out, static_cast<std::uint32_t>(channels));
  putLe32(out, static_cast<std::uint32_t>(rate));
  putLe32(out, avgBytes);
  putLe16(out, blockAlign);
  putLe16(out, bits);
  if (extendedFmt) putLe16(out, 0);  // cbSize: no codec-specific bytes
  if (withFact) {
    putTag(out, "fact");
    putLe32(out, 4);
    putLe32(out, frames);
  }
  putTag(out, "data");
  putLe32(out, static_cast<std::uint32_t>(size));
  if (size) out.insert(out.end(), data, data + size);
  if (size % 2) out.push_back(0);  // chunks are word aligned
  std::uint32_t riffSize = static_cast<std::uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
  return out;
}

struct MemoryStream {
  const std::vector<std::uint8_t>* bytes;
  std::size_t pos = 0;
};

std::size_t memRead(void* ptr, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<MemoryStream*>(source);
  if (size == 0) return 0;
  std::size_t left = m->bytes->size() - m->pos;
  std::size_t n = std::min(count, left / size);
  if (n) std::memcpy(ptr, m->bytes->data() + m->pos, n * size);
  m->pos += n * size;
  return n;
}

int memSeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<MemoryStream*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos)
                                                                 : static_cast<ogg_int64_t>(m->bytes->size());
  ogg_int64_t to = base + offset;
  if (to < 0 || to > static_cast<ogg_int64_t>(m->bytes->size())) return -1;
  m->pos = static_cast<std::size_t>(to);
  return 0;
}

long memTell(void* source) { return static_cast<long>(static_cast<MemoryStream*>(source)->pos); }

// An open vorbisfile over bytes in memory; closed on destruction.
class OggReader {
 public:
  explicit OggReader(const std::vector<std::uint8_t>& bytes) : stream_{&bytes} {
    ov_callbacks cb{memRead, memSeek, nullptr, memTell};
    status_ = ov_open_callbacks(&stream_, &file_, nullptr, 0, cb);
  }
  ~OggReader() {
    if (status_ == 0) ov_clear(&file_);
  }
  OggReader(const OggReader&) = delete;
  OggReader& operator=(const OggReader&) = delete;
  bool ok() const { return status_ == 0; }
  OggVorbis_File* file() { return &file_; }

 private:
  MemoryStream stream_;
  OggVorbis_File file_{};
  int status_ = -1;
};

// Longest stream accepted when reading: an hour at 48 kHz in 8 channels is far more
// than any game sound, and bounds memory on damaged input.
constexpr std::uint64_t kMaxSamples = 48000ull * 3600 * 8;

}  // namespace

std::vector<std::uint8_t> writePcmWave(const AudioBuffer& audio, bool withFact) {
  std::vector<std::uint8_t> data;
  data.reserve(audio.samples.size() * 2);
  for (float s : audio.samples) {
    float c = std::clamp(s, -1.0f, 1.0f);
    auto v = static_cast<std::int16_t>(std::lround(c * 32767.0f));
    putLe16(data, static_cast<std::uint16_t>(v));
  }
  auto blockAlign = static_cast<std::uint16_t>(audio.channels * 2);
  return riffWave(kWaveFormatPcm, audio.channels, audio.rate,
                  static_cast<std::uint32_t>(audio.rate) * blockAlign, blockAlign, 16, false, withFact,
                  static_cast<std::uint32_t>(audio.frames()), data.data(), data.size());
}

bool encodeOggVorbis(const AudioBuffer& audio, float quality, std::uint32_t serial,
                     std::vector<std::uint8_t>& ogg, std::string* error) {
  ogg.clear();
  if (audio.channels < 1 || audio.channels > 8 || audio.rate < 8000 || audio.rate > 192000) {
    setError(error, "unsupported channel count or sample rate");
    return false;
  }
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, audio.channels, audio.rate, std::clamp(quality, -0.1f, 1.0f)) != 0) {
    vorbis_info_clear(&vi);
    setError(error, "the Vorbis encoder refused the channel count and rate");
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "mirelune");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, static_cast<int>(serial));

  auto append = [&](const ogg_page& page) {
    ogg.insert(ogg.end(), page.header, page.header + page.header_len);
    ogg.insert(ogg.end(), page.body, page.body + page.body_len);
  };

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  // The audio starts on a page of its own, as decoders expect.
  while (ogg_stream_flush(&os, &page) != 0) append(page);

  const std::size_t frames = audio.frames();
  const std::size_t chunk = 1024;
  std::size_t done = 0;
  bool eos = false;
  while (!eos) {
    std::size_t n = std::min(chunk, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (std::size_t i = 0; i < n; ++i)
        for (int c = 0; c < audio.channels; ++c)
          buffer[c][i] = std::clamp(audio.samples[(done + i) * audio.channels + c], -1.0f, 1.0f);
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (!eos && ogg_stream_pageout(&os, &page) != 0) {
          append(page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      // Everything is written: flush whatever the stream still holds.
      while (ogg_stream_flush(&os, &page) != 0) append(page);
      eos = true;
    }
  }

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return true;
}

std::vector<std::uint8_t> vorbisWaveFromOgg(const std::vector<std::uint8_t>& ogg, int channels, int rate,
                                            std::uint32_t frames) {
  // The average byte rate describes the stream as it is (rounded; at least 1).
  double seconds = rate > 0 ? static_cast<double>(frames) / rate : 0;
  auto avg = static_cast<std::uint32_t>(seconds > 0 ? std::max(1.0, ogg.size() / seconds) : 1);
  return riffWave(kWaveFormatVorbis, channels, rate, avg, 1, 16, true, true, frames, ogg.data(), ogg.size());
}

bool writeVorbisWave(const AudioBuffer& audio, float quality, std::vector<std::uint8_t>& out,
                     std::string* error, std::uint32_t serial) {
  std::vector<std::uint8_t> ogg;
  if (!encodeOggVorbis(audio, quality, serial, ogg, error)) return false;
  out = vorbisWaveFromOgg(ogg, audio.channels, audio.rate, static_cast<std::uint32_t>(audio.frames()));
  return true;
}

bool wrapOggVorbis(const std::vector<std::uint8_t>& ogg, std::vector<std::uint8_t>& out, std::string* error) {
  OggReader reader(ogg);
  if (!reader.ok()) {
    setError(error, "not an Ogg Vorbis stream");
    return false;
  }
  if (ov_streams(reader.file()) != 1) {
    setError(error, "the Ogg file holds more than one logical stream");
    return false;
  }
  vorbis_info* vi = ov_info(reader.file(), -1);
  ogg_int64_t total = ov_pcm_total(reader.file(), -1);
  if (!vi || total < 0) {
    setError(error, "the length of the Ogg Vorbis stream cannot be determined");
    return false;
  }
  if (static_cast<std::uint64_t>(total) * vi->channels > kMaxSamples || total > 0xFFFFFFFFll) {
    setError(error, "the Ogg Vorbis stream is too long");
    return false;
  }
  out = vorbisWaveFromOgg(ogg, vi->channels, static_cast<int>(vi->rate), static_cast<std::uint32_t>(total));
  return true;
}

bool decodeOggVorbis(const std::vector<std::uint8_t>& ogg, AudioBuffer& out, std::string* error) {
  OggReader reader(ogg);
  if (!reader.ok()) {
    setError(error, "not an Ogg Vorbis stream");
    return false;
  }
  vorbis_info* vi = ov_info(reader.file(), -1);
  if (!vi || vi->channels < 1) {
    setError(error, "the Ogg Vorbis stream has no usable header");
    return false;
  }
  AudioBuffer result;
  result.channels = vi->channels;
  result.rate = static_cast<int>(vi->rate);
  int section = 0;
  for (;;) {
    float** pcm = nullptr;
    long n = ov_read_float(reader.file(), &pcm, 4096, &section);
    if (n == 0) break;
    if (n == OV_HOLE) continue;  // a gap in the data: decoding resumes after it
    if (n < 0) {
      setError(error, "the Ogg Vorbis data is damaged");
      return false;
    }
    vorbis_info* now = ov_info(reader.file(), section);
    if (!now || now->channels != result.channels) {
      setError(error, "the channel count changes inside the stream");
      return false;
    }
    if (result.samples.size() + static_cast<std::size_t>(n) * result.channels > kMaxSamples) {
      setError(error, "the Ogg Vorbis stream is too long");
      return false;
    }
    for (long i = 0; i < n; ++i)
      for (int c = 0; c < result.channels; ++c) result.samples.push_back(pcm[c][i]);
  }
  out = std::move(result);
  return true;
}

}  // namespace ml::tools
