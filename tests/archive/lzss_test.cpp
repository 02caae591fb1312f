#include "media/formats/lzss.h"

#include <gtest/gtest.h>

#include <random>

namespace ml {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes decode(const Bytes& stream, std::size_t size, std::size_t* produced = nullptr) {
  Bytes out(size, 0xEE);
  std::size_t n = decodeLzss(out, stream);
  if (produced) *produced = n;
  return out;
}

TEST(LzssTest, LiteralsAndReferencesIntoTheZeroedRing) {
  // Flag 0b00000101: literal 'A', reference, literal 'B'. The reference reads ring
  // position 0 (still zero) for 3 bytes.
  Bytes stream{0x05, 'A', 0x00, 0x00, 'B'};
  EXPECT_EQ(decode(stream, 5), (Bytes{'A', 0, 0, 0, 'B'}));
}

TEST(LzssTest, LongestReferenceOverlapsWhatItWrites) {
  // 'x' lands at ring 4078; a reference to 4078 with b2 low nibble 0x0F copies 18 bytes,
  // each one just written: 19 x's in all.
  std::size_t p = 4078;
  Bytes stream{0x01, 'x', static_cast<std::uint8_t>(p & 0xFF),
               static_cast<std::uint8_t>(((p >> 4) & 0xF0) | 0x0F)};
  std::size_t n = 0;
  Bytes out = decode(stream, 19, &n);
  EXPECT_EQ(n, 19u);
  EXPECT_EQ(out, Bytes(19, 'x'));
  // Two-byte period: "ab" then a reference 2 back of length 5 gives "abababa".
  Bytes s2{0x03, 'a', 'b', static_cast<std::uint8_t>(p & 0xFF),
           static_cast<std::uint8_t>(((p >> 4) & 0xF0) | 0x02)};
  EXPECT_EQ(decode(s2, 7), (Bytes{'a', 'b', 'a', 'b', 'a', 'b', 'a'}));
}

TEST(LzssTest, OutputStopsAtTheDeclaredSizeWhateverTheStreamSays) {
  Bytes stream{0xFF, '1', '2', '3', '4', '5', '6', '7', '8', 0xFF, '9', '0'};
  std::size_t n = 0;
  Bytes out = decode(stream, 4, &n);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(out, (Bytes{'1', '2', '3', '4'}));
  // A reference cut short by the end of the buffer.
  Bytes ref{0x00, 0x00, 0x0F};
  EXPECT_EQ(decode(ref, 5, &n), Bytes(5, 0));
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(decodeLzss({}, stream), 0u);
}

TEST(LzssTest, EndsWhereverTheInputRunsOut) {
  std::size_t n = 0;
  EXPECT_EQ(decode({}, 3, &n), Bytes(3, 0xEE));
  EXPECT_EQ(n, 0u);
  decode({0x01}, 3, &n);  // flag byte only
  EXPECT_EQ(n, 0u);
  decode({0x02, 'a'}, 3, &n);  // a reference with one of its two bytes
  EXPECT_EQ(n, 0u);
  decode({0x01, 'a', 0x00}, 8, &n);  // first byte of a reference only
  EXPECT_EQ(n, 1u);
  decode({0x01, 'a'}, 8, &n);  // used-up flag bits wait for more input
  EXPECT_EQ(n, 1u);
}

TEST(LzssTest, EncoderRoundTripsThroughTheDecoder) {
  std::mt19937 rng(12345);
  std::vector<Bytes> samples;
  samples.push_back({});
  samples.push_back({7});
  samples.push_back(Bytes(5000, 0));  // runs into the zero prefix of the ring
  samples.push_back(Bytes(70000, 0xAB));
  Bytes text;
  for (int i = 0; i < 3000; ++i) {
    std::string w = "word" + std::to_string(i % 97) + " ";
    text.insert(text.end(), w.begin(), w.end());
  }
  samples.push_back(text);
  Bytes noise(20000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  samples.push_back(noise);
  // Repeats at exactly the window's edge (4095 and 4096 back).
  Bytes edge(12000);
  for (std::size_t i = 0; i < edge.size(); ++i)
    edge[i] = i < 4096 ? static_cast<std::uint8_t>(rng()) : edge[i - 4095 - (i % 2)];
  samples.push_back(edge);

  for (const Bytes& s : samples) {
    Bytes stream = encodeLzss(s);
    std::size_t n = 0;
    Bytes back = decode(stream, s.size(), &n);
    ASSERT_EQ(n, s.size());
    EXPECT_EQ(back, s) << "sample of " << s.size() << " bytes";
    EXPECT_LE(s.size(), lzssMaxOutput(stream.size()));
  }
  EXPECT_LT(encodeLzss(samples[3]).size(), 10000u);  // long runs do compress
}

}  // namespace
}  // namespace ml
