// Arbitrary bytes as a WAVE file through the sound reader: the RIFF chunks, the
// format and "fact" fields, PCM conversion and the Vorbis stream in "data", decoded
// whole and in chunks. Nothing is read outside the bytes, and no size field makes it
// allocate more than one track can hold.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/sound/sound_channel.h"
#include "media/sound/sound_decoder.h"
#include "media/sound/sound_errors.h"

namespace {

class CountingSink : public ml::SoundBoxSink {
 public:
  void soundBox(std::string_view, std::string_view) override { ++boxes; }
  int boxes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CountingSink sink;
  ml::SoundErrors errors(&sink);
  const std::vector<std::uint8_t> file(data, data + size);

  ml::SoundDecoder stream;
  if (!stream.open(file, errors)) return 0;
  if (stream.prepareProgressive(ml::SoundChannel::kStreamChunk, errors)) {
    // A few seconds are enough to reach every path of the chunked decoding.
    for (int i = 0; i < 4 && stream.decodeNext() > 0; ++i) {
    }
    stream.finish();
  }

  ml::SoundDecoder whole;
  if (!whole.open(file, errors)) return 0;
  std::vector<std::uint8_t> out;
  whole.decodeAll(out, errors);
  // The rate modes over what came out.
  if (!out.empty()) {
    std::vector<std::uint8_t> half(out.size() / 2);
    for (int mode = 1; mode <= 3; ++mode)
      ml::deliverDecoded(out.data(), out.size(), half.data(), half.size(), mode);
  }
  return 0;
}
