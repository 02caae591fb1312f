// wav: a sound for the engine. An Ogg Vorbis file is wrapped as it is (no second
// encoding); a PCM or floating-point WAVE is encoded to Vorbis; a Vorbis WAVE gets
// its chunks rewritten with the exact sample count. --pcm writes 16-bit PCM instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/common/psd_writer.h"
#include "tools/common/wave_reader.h"
#include "tools/common/wave_writer.h"
#include "tools/convert/subcommands.h"

namespace {

constexpr std::size_t kArchiveNameBytes = 23;

void usage() {
  std::fprintf(stderr,
               "usage: mirelune-convert wav IN.(ogg|wav) OUT.wav [--quality Q] [--pcm]\n"
               "  Ogg Vorbis is wrapped without re-encoding; PCM WAVE is encoded to Vorbis at\n"
               "  quality Q (-0.1 to 1.0, default 0.4); --pcm writes 16-bit PCM WAVE instead.\n");
}

bool isOgg(const std::vector<std::uint8_t>& b) { return b.size() >= 4 && std::memcmp(b.data(), "OggS", 4) == 0; }
bool isRiff(const std::vector<std::uint8_t>& b) { return b.size() >= 4 && std::memcmp(b.data(), "RIFF", 4) == 0; }

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int run_wav(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  float quality = 0.4f;
  bool pcm = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pcm") {
      pcm = true;
    } else if (args[i] == "--quality") {
      if (i + 1 >= args.size()) {
        usage();
        return 2;
      }
      char* end = nullptr;
      quality = std::strtof(args[++i].c_str(), &end);
      if (!end || *end != '\0' || quality < -0.1f || quality > 1.0f) {
        std::fprintf(stderr, "mirelune-convert wav: the quality must be a number from -0.1 to 1.0\n");
        return 2;
      }
    } else if (!args[i].empty() && args[i][0] == '-') {
      std::fprintf(stderr, "mirelune-convert wav: unknown option %s\n", args[i].c_str());
      usage();
      return 2;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) {
    usage();
    return 2;
  }
  const std::string& in = files[0];
  const std::string& out = files[1];
  std::vector<std::uint8_t> bytes;
  if (!ml::tools::readFileBytes(in, bytes)) {
    std::fprintf(stderr, "mirelune-convert wav: cannot read %s\n", in.c_str());
    return 1;
  }

  std::string error;
  std::vector<std::uint8_t> result;
  ml::tools::AudioBuffer audio;
  bool decoded = false;
  if (isOgg(bytes)) {
    if (pcm) {
      decoded = ml::tools::decodeOggVorbis(bytes, audio, &error);
    } else if (!ml::tools::wrapOggVorbis(bytes, result, &error)) {
      std::fprintf(stderr, "mirelune-convert wav: %s: %s\n", in.c_str(), error.c_str());
      return 1;
    }
  } else if (isRiff(bytes)) {
    ml::tools::WaveInfo info;
    if (!ml::tools::parseWave(bytes, info, &error)) {
      std::fprintf(stderr, "mirelune-convert wav: %s: %s\n", in.c_str(), error.c_str());
      return 1;
    }
    std::vector<std::uint8_t> ogg;
    if (!pcm && ml::tools::extractOgg(bytes, ogg, nullptr)) {
      if (!ml::tools::wrapOggVorbis(ogg, result, &error)) {
        std::fprintf(stderr, "mirelune-convert wav: %s: %s\n", in.c_str(), error.c_str());
        return 1;
      }
    } else {
      decoded = ml::tools::readWaveSamples(bytes, audio, &error);
    }
  } else {
    std::fprintf(stderr, "mirelune-convert wav: %s is neither an Ogg Vorbis file nor a WAVE file\n", in.c_str());
    return 1;
  }
  if (result.empty()) {
    if (!decoded) {
      std::fprintf(stderr, "mirelune-convert wav: %s: %s\n", in.c_str(), error.c_str());
      return 1;
    }
    if (pcm) {
      result = ml::tools::writePcmWave(audio);
    } else if (!ml::tools::writeVorbisWave(audio, quality, result, &error)) {
      std::fprintf(stderr, "mirelune-convert wav: %s: %s\n", in.c_str(), error.c_str());
      return 1;
    }
  }

  ml::tools::WaveInfo made;
  ml::tools::parseWave(result, made, nullptr);
  if (made.rate != 44100 || made.channels != 2)
    std::fprintf(stderr, "mirelune-convert wav: note: %s is %d Hz, %d channel(s); music start positions are counted "
                         "in 44100 Hz stereo bytes\n", out.c_str(), made.rate, made.channels);
  if (!ml::tools::writeFile(out, result, &error)) {
    std::fprintf(stderr, "mirelune-convert wav: cannot write %s\n", error.c_str());
    return 1;
  }
  if (baseName(out).size() > kArchiveNameBytes)
    std::fprintf(stderr, "mirelune-convert wav: note: the name %s is longer than the %zu bytes an archive keeps\n",
                 baseName(out).c_str(), kArchiveNameBytes);
  std::printf("%s: %s, %d Hz, %d channel(s), %u samples\n", out.c_str(), made.formatTag == 1 ? "PCM" : "Vorbis",
              made.rate, made.channels, made.factFrames);
  return 0;
}
