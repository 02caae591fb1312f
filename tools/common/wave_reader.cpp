#include "tools/common/wave_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/byte_reader.h"
#include "platform/posix/file_handle.h"

namespace ml::tools {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint16_t kFormatVorbis2 = 0x676F;

}  // namespace

bool parseWave(const std::vector<std::uint8_t>& bytes, WaveInfo& info, std::string* error) {
  info = WaveInfo();
  // The RIFF size may be wrong in files written by streaming recorders; the chunks
  // are walked up to the end of the bytes instead.
  ByteReader file(bytes.data(), bytes.size());
  const std::string_view riff = file.text(4);
  file.skip(4);
  if (riff != "RIFF" || file.text(4) != "WAVE") {
    setError(error, "not a RIFF WAVE file");
    return false;
  }
  bool haveFmt = false, haveData = false;
  while (file.remaining() >= 8) {
    const std::size_t pos = file.position();
    WaveChunk chunk;
    chunk.id = file.text(4);
    chunk.size = file.u32le();
    chunk.offset = file.position();
    chunk.available = std::min<std::size_t>(chunk.size, file.remaining());
    info.chunks.push_back(chunk);
    ByteReader d = file.sub(chunk.available);
    if (chunk.id == "fmt " && !haveFmt) {
      if (chunk.available < 16) {
        setError(error, "the \"fmt \" chunk is shorter than 16 bytes");
        return false;
      }
      info.formatTag = d.u16le();
      info.channels = d.u16le();
      info.rate = static_cast<int>(d.u32le());
      d.skip(4);  // bytes per second
      info.blockAlign = d.u16le();
      info.bitsPerSample = d.u16le();
      if (chunk.available >= 18) info.extraSize = d.u16le();
      if (info.formatTag == kFormatExtensible && chunk.available >= 26) {
        d.seek(24);
        info.formatTag = d.u16le();  // the sub-format's tag
      }
      haveFmt = true;
    } else if (chunk.id == "fact" && !info.hasFact && chunk.available >= 4) {
      info.hasFact = true;
      info.factFrames = d.u32le();
    } else if (chunk.id == "data" && !haveData) {
      info.dataOffset = chunk.offset;
      info.dataSize = chunk.available;
      haveData = true;
    }
    std::size_t next = chunk.offset + chunk.size + (chunk.size & 1);
    if (next <= pos || !file.seek(next)) break;
  }
  if (!haveFmt) {
    setError(error, "the file has no \"fmt \" chunk");
    return false;
  }
  if (!haveData) {
    setError(error, "the file has no \"data\" chunk");
    return false;
  }
  if (info.channels < 1 || info.channels > 8 || info.rate < 1 || info.rate > 384000) {
    setError(error, "the channel count or sample rate is out of range");
    return false;
  }
  return true;
}

bool extractOgg(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& ogg, std::string* error) {
  WaveInfo info;
  if (!parseWave(bytes, info, error)) return false;
  if (info.formatTag != kWaveFormatVorbis && info.formatTag != kFormatVorbis2) {
    setError(error, "not a Vorbis WAVE file");
    return false;
  }
  ogg.assign(bytes.begin() + static_cast<std::ptrdiff_t>(info.dataOffset),
             bytes.begin() + static_cast<std::ptrdiff_t>(info.dataOffset + info.dataSize));
  return true;
}

bool readWaveSamples(const std::vector<std::uint8_t>& bytes, AudioBuffer& out, std::string* error) {
  WaveInfo info;
  if (!parseWave(bytes, info, error)) return false;
  if (info.formatTag == kWaveFormatVorbis || info.formatTag == kFormatVorbis2) {
    std::vector<std::uint8_t> ogg;
    if (!extractOgg(bytes, ogg, error)) return false;
    return decodeOggVorbis(ogg, out, error);
  }
  int bytesPerSample = info.bitsPerSample / 8;
  bool isFloat = info.formatTag == kFormatFloat;
  bool supported = (info.formatTag == kWaveFormatPcm && info.bitsPerSample % 8 == 0 && bytesPerSample >= 1 &&
                    bytesPerSample <= 4) ||
                   (isFloat && (info.bitsPerSample == 32 || info.bitsPerSample == 64));
  if (!supported) {
    char text[96];
    std::snprintf(text, sizeof text, "unsupported WAVE encoding (format tag 0x%04X, %d bits)",
                  info.formatTag, info.bitsPerSample);
    setError(error, text);
    return false;
  }
  std::size_t frameBytes = static_cast<std::size_t>(bytesPerSample) * info.channels;
  std::size_t frames = info.dataSize / frameBytes;
  AudioBuffer result;
  result.channels = info.channels;
  result.rate = info.rate;
  result.samples.resize(frames * info.channels);
  ByteReader d(bytes.data() + info.dataOffset, info.dataSize);
  for (std::size_t i = 0; i < result.samples.size(); ++i) {
    float v = 0;
    if (isFloat) {
      if (bytesPerSample == 4) {
        std::uint32_t u = d.u32le();
        float f;
        std::memcpy(&f, &u, 4);
        v = f;
      } else {
        const std::uint64_t low = d.u32le();
        std::uint64_t u = low | (static_cast<std::uint64_t>(d.u32le()) << 32);
        double f;
        std::memcpy(&f, &u, 8);
        v = static_cast<float>(f);
      }
      if (!(v == v)) v = 0;  // NaN
    } else if (bytesPerSample == 1) {
      v = (static_cast<int>(d.u8()) - 128) / 128.0f;  // 8-bit samples are unsigned
    } else {
      std::int32_t s = 0;
      for (int b = 0; b < bytesPerSample; ++b) s |= static_cast<std::int32_t>(d.u8()) << (8 * b);
      int shift = 32 - 8 * bytesPerSample;
      s = static_cast<std::int32_t>(static_cast<std::uint32_t>(s) << shift) >> shift;  // sign-extend
      v = static_cast<float>(s / static_cast<double>(1u << (8 * bytesPerSample - 1)));
    }
    result.samples[i] = v < -1 ? -1 : (v > 1 ? 1 : v);
  }
  out = std::move(result);
  return true;
}

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
  out.clear();
  // A regular file only (a FIFO must not hang the tool), and no larger than asked.
  FileHandle f;
  if (!f.open(path, FileHandle::Mode::Read) || static_cast<std::uint64_t>(f.size()) > maxBytes) return false;
  return f.readAll(out);
}

}  // namespace ml::tools
