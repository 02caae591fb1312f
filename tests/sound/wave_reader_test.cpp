// The WAVE reader and decoder: what is refused, with which box, site and code, and
// what the decoded length becomes.
#include "tests/sound/sound_fixture.h"

#include "media/sound/sound_decoder.h"

namespace ml::test {
namespace {

class BoxRecorder : public SoundBoxSink {
 public:
  void soundBox(std::string_view caption, std::string_view text) override {
    boxes.push_back(std::string(caption) + "|" + oneLine(sjisToUtf8(std::string(text))));
  }
  std::vector<std::string> boxes;
};

Bytes fmtChunk(std::uint16_t tag = 1, int channels = 2, int bits = 16) {
  Bytes c;
  chunk(c, "fmt ", fmtBody(tag, channels, 44100, bits), 16);
  return c;
}
Bytes dataChunk(std::size_t bytes, std::uint32_t statedSize) {
  Bytes c;
  chunk(c, "data", Bytes(bytes, 0), statedSize);
  return c;
}
Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes factChunk(std::uint32_t count, std::uint32_t size = 4) {
  Bytes f;
  put32(f, count);
  Bytes c;
  chunk(c, "fact", f, size);
  return c;
}

struct Refusal {
  const char* what;
  Bytes file;
  const char* box;
};

TEST(WaveReader, RefusedFilesNameTheirSiteAndCode) {
  Bytes shortFmt;
  chunk(shortFmt, "fmt ", Bytes(14, 0), 14);
  Bytes hugeExtra = fmtBody(1, 2, 44100, 16);
  put16(hugeExtra, 4000);  // cbSize far beyond the chunk
  Bytes extraChunk;
  chunk(extraChunk, "fmt ", hugeExtra, 18);
  const Refusal cases[] = {
      {"not RIFF", Bytes{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'},
       "MMSystem Error|MMSystem (133) MMIOERR_CHUNKNOTFOUND : 0x00000109"},
      {"too short", Bytes{'R', 'I'}, "MMSystem Error|MMSystem (133) MMIOERR_CHUNKNOTFOUND : 0x00000109"},
      {"not WAVE", riff(fmtChunk(), "AVI "), "MMSystem Error|MMSystem (140) 未定義のエラー : 0x00000001"},
      {"no fmt", riff(dataChunk(8, 8)), "MMSystem Error|MMSystem (169) MMIOERR_CHUNKNOTFOUND : 0x00000109"},
      {"fmt below 16", riff(shortFmt), "MMSystem Error|MMSystem (169) 未定義のエラー : 0x00000001"},
      {"extra past the chunk", riff(extraChunk), "MMSystem Error|MMSystem (187) MMIOERR_CANNOTREAD : 0x00000105"},
      {"fact of 8 bytes", riff(concat({fmtChunk(), factChunk(1, 8), dataChunk(8, 8)})),
       "MMSystem Error|MMSystem (213) 未定義のエラー : 0x00000001"},
      {"no data", riff(concat({fmtChunk(), factChunk(1)})),
       "MMSystem Error|MMSystem (261) MMIOERR_CHUNKNOTFOUND : 0x00000109"},
      {"data past the end", riff(concat({fmtChunk(), factChunk(1), dataChunk(8, 0x7FFFFFF0)})),
       "MMSystem Error|MMSystem (294) MMIOERR_CANNOTREAD : 0x00000105"},
      {"ADPCM", riff(concat({fmtChunk(2), dataChunk(8, 8)})),
       "MMSystem Error|MMSystem (138) ACMERR_NOTPOSSIBLE : 0x00000200"},
      {"24-bit PCM", riff(concat({fmtChunk(1, 2, 24), dataChunk(12, 12)})),
       "MMSystem Error|MMSystem (138) ACMERR_NOTPOSSIBLE : 0x00000200"},
      {"Vorbis tag around garbage", riff(concat({fmtChunk(0x674F), factChunk(100), dataChunk(64, 64)})),
       "MMSystem Error|MMSystem (138) ACMERR_NOTPOSSIBLE : 0x00000200"},
  };
  for (const Refusal& c : cases) {
    BoxRecorder boxes;
    SoundErrors errors(&boxes);
    SoundDecoder d;
    EXPECT_FALSE(d.open(c.file, errors)) << c.what;
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{c.box}) << c.what;
  }
}

TEST(WaveReader, DirectSoundTextsAndNames) {
  EXPECT_EQ(soundErrorText("DSOUND", 440, directSoundErrorName(0x8007000E), 0x8007000E),
            "DSOUND (440)\nDSERR_OUTOFMEMORY : 0x8007000E");
  EXPECT_EQ(directSoundErrorName(0x88780078), "DSERR_NODRIVER");
  EXPECT_EQ(sjisToUtf8(directSoundErrorName(1)), "未定義のエラー");
  EXPECT_EQ(mmSystemErrorName(515), "ACMERR_CANCELED");
}

TEST(WaveReader, DecodedLengthFollowsFactAndIsCutToTheData) {
  struct Case {
    const char* what;
    Bytes file;
    std::uint64_t length;
  };
  const std::vector<std::int16_t> samples = rampSamples(100);
  Bytes bigFact = riff(concat({fmtChunk(), factChunk(0xFFFFFFFF), dataChunk(400, 400)}));
  const Case cases[] = {
      {"fact as written", pcmWave(samples), 400},
      {"no fact", pcmWave(samples, 2, 44100, false), 0},
      {"fact beyond the data is cut", bigFact, 400},
      {"mono", pcmWave(std::vector<std::int16_t>(50, 7), 1), 100},
  };
  for (const Case& c : cases) {
    SoundErrors errors;
    SoundDecoder d;
    ASSERT_TRUE(d.open(c.file, errors)) << c.what;
    EXPECT_EQ(d.decodedLength(), c.length) << c.what;
  }
}

TEST(WaveReader, PcmPassesThroughAndEightBitWidens) {
  SoundErrors errors;
  SoundDecoder d;
  const std::vector<std::int16_t> samples = rampSamples(300);
  ASSERT_TRUE(d.open(pcmWave(samples), errors));
  Bytes out;
  ASSERT_TRUE(d.decodeAll(out, errors));
  ASSERT_EQ(out.size(), samples.size() * 2);
  EXPECT_EQ(0, std::memcmp(out.data(), samples.data(), out.size()));

  Bytes c;
  chunk(c, "fmt ", fmtBody(1, 1, 22050, 8), 16);
  chunk(c, "data", Bytes{0, 128, 255}, 3);
  SoundDecoder d8;
  ASSERT_TRUE(d8.open(riff(c), errors));
  ASSERT_TRUE(d8.decodeAll(out, errors));
  ASSERT_EQ(out.size(), 6u);
  std::int16_t s[3];
  std::memcpy(s, out.data(), 6);
  EXPECT_EQ(s[0], -32768);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[2], 127 * 256);
  EXPECT_EQ(d8.format().rate, 22050);
  EXPECT_EQ(d8.format().channels, 1);
}

TEST(WaveReader, VorbisDecodesWholeAndInChunksAlike) {
  const Bytes file = vorbisWave(2.5);
  SoundErrors errors;
  SoundDecoder whole;
  ASSERT_TRUE(whole.open(file, errors));
  EXPECT_EQ(whole.decodedLength(), 2u * 2 * 110250);
  Bytes all;
  ASSERT_TRUE(whole.decodeAll(all, errors));
  EXPECT_EQ(all.size(), 2u * 2 * 110250);

  SoundDecoder chunks;
  ASSERT_TRUE(chunks.open(file, errors));
  ASSERT_TRUE(chunks.prepareProgressive(176400, errors));
  Bytes joined;
  for (std::size_t n; (n = chunks.decodeNext()) > 0;) {
    EXPECT_LE(n, 176400u);
    joined.insert(joined.end(), chunks.chunk(), chunks.chunk() + n);
  }
  EXPECT_EQ(joined, all);
}

}  // namespace
}  // namespace ml::test
