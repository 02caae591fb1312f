#include "tools/common/wave_reader.h"

#include <cstdio>
#include <cstring>

#include "platform/posix/file_handle.h"

namespace ml::tools {
namespace {

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::uint32_t get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint16_t kFormatVorbis2 = 0x676F;

}  // namespace

bool parseWave(const std::vector<std::uint8_t>& bytes, WaveInfo& info, std::string* error) {
  info = WaveInfo();
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    setError(error, "not a RIFF WAVE file");
    return false;
  }
  // The RIFF size may be wrong in files written by streaming recorders; the chunks
  // are walked up to the end of the bytes instead.
  std::size_t pos = 12;
  bool haveFmt = false, haveData = false;
  while (pos + 8 <= bytes.size()) {
    WaveChunk chunk;
    chunk.id.assign(reinterpret_cast<const char*>(bytes.data() + pos), 4);
    chunk.size = get32(bytes.data() + pos + 4);
    chunk.offset = pos + 8;
    chunk.available = std::min<std::size_t>(chunk.size, bytes.size() - chunk.offset);
    info.chunks.push_back(chunk);
    const std::uint8_t* d = bytes.data() + chunk.offset;
    if (chunk.id == "fmt " && !haveFmt) {
      if (chunk.available < 16) {
        setError(error, "the \"fmt \" chunk is shorter than 16 bytes");
        return false;
      }
      info.formatTag = static_cast<std::uint16_t>(get16(d));
      info.channels = static_cast<int>(get16(d + 2));
      info.rate = static_cast<int>(get32(d + 4));
      info.blockAlign = static_cast<int>(get16(d + 12));
      info.bitsPerSample = static_cast<int>(get16(d + 14));
      if (chunk.available >= 18) info.extraSize = static_cast<std::uint16_t>(get16(d + 16));
      if (info.formatTag == kFormatExtensible && chunk.available >= 26)
        info.formatTag = static_cast<std::uint16_t>(get16(d + 24));  // the sub-format's tag
      haveFmt = true;
    } else if (chunk.id == "fact" && !info.hasFact && chunk.available >= 4) {
      info.hasFact = true;
      info.factFrames = get32(d);
    } else if (chunk.id == "data" && !haveData) {
      info.dataOffset = chunk.offset;
      info.dataSize = chunk.available;
      haveData = true;
    }
    std::size_t next = chunk.offset + chunk.size + (chunk.size & 1);
    if (next <= pos || next > bytes.size()) break;
    pos = next;
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
  const std::uint8_t* d = bytes.data() + info.dataOffset;
  for (std::size_t i = 0; i < result.samples.size(); ++i, d += bytesPerSample) {
    float v = 0;
    if (isFloat) {
      if (bytesPerSample == 4) {
        std::uint32_t u = get32(d);
        float f;
        std::memcpy(&f, &u, 4);
        v = f;
      } else {
        std::uint64_t u = get32(d) | (static_cast<std::uint64_t>(get32(d + 4)) << 32);
        double f;
        std::memcpy(&f, &u, 8);
        v = static_cast<float>(f);
      }
      if (!(v == v)) v = 0;  // NaN
    } else if (bytesPerSample == 1) {
      v = (static_cast<int>(d[0]) - 128) / 128.0f;  // 8-bit samples are unsigned
    } else {
      std::int32_t s = 0;
      for (int b = 0; b < bytesPerSample; ++b) s |= static_cast<std::int32_t>(d[b]) << (8 * b);
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
